// Presets as the tool sees them: the "Vantor Presets" folder beside the
// loaded library (names with ':' between folders, "Mastering:Gentle Glue"),
// or any .ryxp file. Files are read and written by the preset code the
// process itself uses, through a CProcessDataManager; before a file is
// applied it is checked whole, so a damaged preset is refused with a clear
// message instead of being half applied.
#pragma once

#include "hosting/ParameterText.h"
#include "host-interface/vpaProcess.h"

#include <string>
#include <utility>
#include <vector>

class CPresetStore {
public:
    struct SNode {
        std::string sName; // folder or preset name (without ".ryxp")
        bool bIsFolder = false;
        std::vector<SNode> children; // sorted by name
    };

    // A preset found by name, in the library's folder or the user's.
    struct SEntry {
        std::string sName; // "Mastering:Gentle Glue"
        std::string sPath;
        bool bUser = false;
    };

    // sFolder: the library's presets folder, with a trailing '/'. The user's
    // folder is the one the editor uses too (GetUserPresetsFolder).
    explicit CPresetStore(const std::string& sFolder);

    const std::string& GetFolder() const { return msFolder; }
    const std::string& GetUserFolder() const { return msUserFolder; }

    // The file a --preset argument means: a path (it has a '/', ends in
    // ".ryxp" or names an existing file) or a preset name. Names are found
    // in any case, in the library's folder first, then the user's; the
    // folder part may be left out while only one folder holds the name.
    // Throws when there is no such preset or the name is ambiguous.
    std::string Resolve(const std::string& sNameOrFile) const;
    // Every preset file of both folders (library first), sorted by name.
    std::vector<SEntry> Entries() const;

    // The parameters a preset file holds, as (index, stored value) in file
    // order, after the same checks as Load().
    std::vector<std::pair<int, int>> Read(const std::string& sPath, const CParameterText& parameters) const;

    // Checks the whole file against the preset layout and the parameters'
    // ranges, then applies the blocks the mode holds. Throws, changing
    // nothing, when the file is not a sound preset or has nothing for the mode.
    void Load(const std::string& sPath, vpa::IProcess& process, unsigned nMode, const CParameterText& parameters) const;

    // Where "preset save NAME" writes: the library's folder + "Rock/Warm.ryxp"
    // for "Rock:Warm", or the user's folder when the library's cannot be
    // written (an installed bundle). Throws a usage error for names that
    // leave the folder.
    std::string PathOfName(const std::string& sName) const;

    // Writes the process's settings for the mode through a temporary file and
    // a rename. Refuses an existing file unless bForce. Creates the subfolders
    // a name asks for when bCreateFolders.
    void Save(const std::string& sPath, vpa::IProcess& process, unsigned nMode, bool bForce, bool bCreateFolders) const;

    // The presets valid in the mode, as a tree: of the library's folder, or
    // of the user's.
    std::vector<SNode> List(unsigned nMode, bool bUser = false) const;

private:
    // Checks the file's layout and ranges; its records, or throws. nMode -1:
    // any mode.
    static std::vector<std::pair<int, int>> Check(
        const std::string& sPath, int nMode, const CParameterText& parameters);

    std::string msFolder;
    std::string msUserFolder;
};
