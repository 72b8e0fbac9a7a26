// Preset files (".ryxp"): a 12-byte header "RYXP", version 0, block count;
// a directory of {module id, offset, record count}; and blocks of 8-byte
// {unit index, value} records. Module id -1 is the global block (global
// bypass and patch), 0..3 the equaliser, compressor, limiter and clipper.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace adl {
class IDataManager;
}

constexpr const char* kPresetExtension = ".ryxp";
constexpr const char* kPresetsFolderName = "Vantor Presets";
constexpr const char* kDefaultsFolderName = "Defaults";

// The folder the plug-in library lies in, with a trailing separator.
std::string GetModuleFolder();
// GetModuleFolder() + "Vantor Presets/".
std::string GetPresetsFolder();
// The user's own presets, shared with the command-line tool:
// platform::GetUserDataFolder() + "vantor/presets/" ("" without a home).
std::string GetUserPresetsFolder();
// "Rock:Warm" -> "Rock/Warm" (':' separates folders in preset names).
std::string PresetNameToPath(const std::string& sName);
// A preset name as a user typed it, made ready to save under: the spaces
// around it and around each ':' are dropped. Every part must then hold more
// than spaces, must not start with '.' (hidden files, "..") and must not
// hold '/' or control characters, and must leave room for the extension in
// a file name. A name that breaks a rule gives "" and the reason in sWhy,
// one short sentence for the user.
std::string TidyPresetName(const std::string& sTyped, std::string& sWhy);
// The order presets and folders are listed in: letters without regard to
// case, runs of digits by their value ("Take 9" before "Take 10").
bool PresetNameLess(const std::string& a, const std::string& b);
// The default preset file of a module (0..3); for other values the bare
// defaults folder, which no load finds.
std::string GetDefaultPresetPath(int nModule);

// One block of a preset file: a module and the run of units it holds.
struct SPresetBlock {
    int nModule; // -1 the global block, 0..3 a module
    int nFirstUnit;
    unsigned nRecords;
};

// A preset file as read: its blocks in directory order with their records.
struct SPresetContents {
    struct SRecord {
        int32_t nUnit;
        int32_t nValue;
    };
    struct SBlock {
        int32_t nModule;
        bool bInFile; // false: the directory places the block past the end of the file
        std::vector<SRecord> records; // empty when not in the file
    };
    std::vector<SBlock> blocks;
};

// Why a file is not a preset.
enum class EPresetFault {
    kNone,
    kUnreadable, // cannot be opened or read; errno says why
    kTooLarge, // far larger than any preset
    kNoHeader, // too short for a header, or not "RYXP"
    kUnknownVersion, // nDetail: the version
    kDirectoryPastEnd, // nDetail: the block count
};

// Reads a whole preset file and checks its header and directory; blocks that
// lie past the end are kept, marked. Any fault leaves contents empty.
EPresetFault ParsePresetFile(const std::string& sPath, SPresetContents& contents, uint32_t& nDetail);

// Writes the blocks of layout that a process mode (0..3 one module, 4 the
// chain) contains, with the values held by the data manager. The file is
// written beside its destination and renamed into place, so a failed write
// never loses the previous file. False when nothing was written.
bool WritePresetFile(
    const std::string& sPath, adl::IDataManager& dataManager, unsigned nMode, const std::vector<SPresetBlock>& layout);

// Applies the blocks of a preset file that the mode contains (and only
// nModule's block unless nModule is -1) through the data manager's SetChunk.
// False when the file cannot be read or is not a preset; blocks that do not
// fit in the file are skipped.
bool ReadPresetFile(const std::string& sPath, adl::IDataManager& dataManager, unsigned nMode, int nModule);

// True for a readable preset that holds a block for the mode (any valid
// preset in mode 4).
bool IsValidPresetFile(const std::string& sPath, unsigned nMode);
