#include "PresetList.h"

#include "PresetFile.h"
#include "platform/Platform.h"

#include <cctype>
#include <vector>

namespace {

// A preset file name ends in ".ryxp", the letters in any case.
bool HasPresetExtension(const std::string& sName)
{
    static const char kLetters[] = "ryxp";
    if (sName.size() < 5 || sName[sName.size() - 5] != '.')
        return false;
    for (int i = 0; i < 4; ++i) {
        if (std::tolower(static_cast<unsigned char>(sName[sName.size() - 4 + i])) != kLetters[i])
            return false;
    }
    return true;
}

// Folders nested deeper than this are not followed (a link loop would
// otherwise never end).
constexpr int kMaxDepth = 32;

} // namespace

CPresetList::CPresetList(unsigned nMode)
    : mnMode(nMode)
    , msTop(GetPresetsFolder())
{ }

CPresetList::~CPresetList()
{
    for (SPresetInfo* pInfo : mRoot)
        delete pInfo;
}

void CPresetList::Refresh()
{
    RefreshFrom(GetPresetsFolder());
}

void CPresetList::RefreshFrom(const std::string& sFolder)
{
    msTop = sFolder;
    ScanFolder(sFolder, &mRoot);
}

void CPresetList::ScanFolder(std::string sFolder, PresetInfoList* pInto)
{
    // Depth from the number of separators below the folder being scanned.
    int nDepth = 0;
    const size_t nTop = sFolder.compare(0, msTop.size(), msTop) == 0 ? msTop.size() : 0;
    for (size_t i = nTop; i < sFolder.size(); ++i)
        nDepth += sFolder[i] == platform::kPathSeparator;
    if (nDepth > kMaxDepth || pInto == nullptr)
        return;

    std::vector<platform::SFolderEntry> entries;
    if (!platform::ListFolder(sFolder, entries))
        return;
    for (const platform::SFolderEntry& entry : entries) {
        if (entry.bIsHidden)
            continue;
        if (entry.bIsFolder) {
            auto* pFolder = new SPresetInfo(entry.sName, true);
            pInto->push_back(pFolder);
            ScanFolder(sFolder + entry.sName + platform::kPathSeparator, &pFolder->children);
        } else if (HasPresetExtension(entry.sName)) {
            if (IsValidPreset(sFolder + entry.sName))
                pInto->push_back(new SPresetInfo(entry.sName.substr(0, entry.sName.size() - 5), false));
        }
    }
}

bool CPresetList::IsValidPreset(const std::string& sPath)
{
    return IsValidPresetFile(sPath, mnMode);
}
