// Presets as the tool sees them: the "Vantor Presets" folder beside the
// loaded library (names with ':' between folders, "Mastering:Gentle Glue"),
// or any .ryxp file. Files are read and written by the preset code the
// process itself uses, through a CProcessDataManager; before a file is
// applied it is checked whole, so a damaged preset is refused with a clear
// message instead of being half applied.
#pragma once

#include "apps/host/ParameterText.h"
#include "host-interface/vpaProcess.h"

#include <string>
#include <vector>

class CPresetStore {
public:
    struct SNode {
        std::string sName; // folder or preset name (without ".ryxp")
        bool bIsFolder = false;
        std::vector<SNode> children; // sorted by name
    };

    // sFolder: the presets folder, with a trailing '/'.
    explicit CPresetStore(const std::string& sFolder)
        : msFolder(sFolder)
    {
    }

    const std::string& GetFolder() const { return msFolder; }

    // The file a --preset argument means: a path (it has a '/', ends in
    // ".ryxp" or names an existing file) or a preset name in the folder.
    // Throws when there is no such preset.
    std::string Resolve(const std::string& sNameOrFile) const;

    // Checks the whole file against the preset layout and the parameters'
    // ranges, then applies the blocks the mode holds. Throws, changing
    // nothing, when the file is not a sound preset or has nothing for the mode.
    void Load(const std::string& sPath, vpa::IProcess& process, unsigned nMode,
              const CParameterText& parameters) const;

    // Where "preset save NAME" writes: the folder + "Rock/Warm.ryxp" for
    // "Rock:Warm". Throws a usage error for names that leave the folder.
    std::string PathOfName(const std::string& sName) const;

    // Writes the process's settings for the mode through a temporary file and
    // a rename. Refuses an existing file unless bForce. Creates the subfolders
    // a name asks for when bCreateFolders.
    void Save(const std::string& sPath, vpa::IProcess& process, unsigned nMode, bool bForce,
              bool bCreateFolders) const;

    // The presets valid in the mode, as a tree.
    std::vector<SNode> List(unsigned nMode) const;

private:
    static void Check(const std::vector<unsigned char>& bytes, const std::string& sPath, unsigned nMode,
                      const CParameterText& parameters);
    void Scan(const std::string& sFolder, unsigned nMode, std::vector<SNode>& into) const;

    std::string msFolder;
};
