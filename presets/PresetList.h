// The presets folder as a tree of folders and presets, holding only valid
// presets that have settings for the module(s) the process runs. The preset
// menu builds one each time it builds its menu.
#pragma once

#include <list>
#include <string>

class CPresetList {
public:
    struct SPresetInfo {
        SPresetInfo(const std::string& sName, bool bIsFolder)
            : name(sName)
            , isFolder(bIsFolder)
        { }
        virtual ~SPresetInfo()
        {
            for (SPresetInfo* pChild : children)
                delete pChild;
        }
        SPresetInfo(const SPresetInfo&) = delete;
        SPresetInfo& operator=(const SPresetInfo&) = delete;

        std::string name; // folder name, or file name without ".ryxp"
        bool isFolder;
        std::list<SPresetInfo*> children; // owned; in the order found
    };
    using PresetInfoList = std::list<SPresetInfo*>;

    // nMode: the process type 0..4 whose modules a preset must have.
    explicit CPresetList(unsigned nMode);
    virtual ~CPresetList();
    CPresetList(const CPresetList&) = delete;
    CPresetList& operator=(const CPresetList&) = delete;

    // Scans the presets folder into the root list (appending).
    virtual void Refresh();
    // The same for another folder (with a trailing separator): the user's.
    void RefreshFrom(const std::string& sFolder);
    // Appends the presets and subfolders of sFolder (with a trailing
    // separator) to *pInto, in the order the file system gives them.
    virtual void ScanFolder(std::string sFolder, PresetInfoList* pInto);
    virtual bool IsValidPreset(const std::string& sPath);

    const PresetInfoList& GetRoot() const { return mRoot; }

private:
    unsigned mnMode;
    PresetInfoList mRoot;
    std::string msTop; // the folder being scanned, for the depth limit
};
