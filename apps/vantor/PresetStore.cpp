#include "PresetStore.h"

#include "ProcessDataManager.h"
#include "ToolError.h"
#include "platform/Platform.h"
#include "presets/PresetFile.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr size_t kHeaderBytes = 12;
constexpr size_t kDirectoryRecordBytes = 12;
constexpr size_t kRecordBytes = 8;
// Far above any preset (448 bytes for the chain); anything larger is not one.
constexpr std::streamsize kLargestPreset = 1 << 20;

// First parameter and record count of each block, by module id + 1.
constexpr int kBlockFirst[5] = { 0, 2, 22, 30, 43 };
constexpr int kBlockCount[5] = { 2, 20, 8, 13, 4 };

const char* const kModuleNames[4] = { "equaliser", "compressor", "limiter", "clipper" };

bool EndsWithPresetExtension(const std::string& sName)
{
    const size_t nLength = std::strlen(kPresetExtension);
    return sName.size() >= nLength && ::strcasecmp(sName.c_str() + sName.size() - nLength, kPresetExtension) == 0;
}

bool IsRegularFile(const std::string& sPath)
{
    struct stat info;
    return ::stat(sPath.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsFolder(const std::string& sPath)
{
    struct stat info;
    return ::stat(sPath.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

uint32_t ReadWord(const std::vector<unsigned char>& bytes, size_t nAt)
{
    uint32_t n = 0;
    for (int i = 3; i >= 0; --i)
        n = (n << 8) | bytes[nAt + static_cast<size_t>(i)];
    return n;
}

} // namespace

CPresetStore::CPresetStore(const std::string& sFolder)
    : msFolder(sFolder)
    , msUserFolder(GetUserPresetsFolder())
{ }

std::vector<CPresetStore::SEntry> CPresetStore::Entries() const
{
    std::vector<SEntry> entries;
    for (const bool bUser : { false, true }) {
        // Folders to walk, with the name prefix their presets get.
        std::vector<std::pair<std::string, std::string>> folders = { { bUser ? msUserFolder : msFolder, "" } };
        std::vector<SEntry> found;
        while (!folders.empty()) {
            const auto [sFolder, sPrefix] = folders.back();
            folders.pop_back();
            std::vector<platform::SFolderEntry> items;
            if (!platform::ListFolder(sFolder, items))
                continue;
            for (const platform::SFolderEntry& item : items) {
                if (item.bIsHidden)
                    continue;
                if (item.bIsFolder)
                    folders.emplace_back(sFolder + item.sName + "/", sPrefix + item.sName + ":");
                else if (EndsWithPresetExtension(item.sName))
                    found.push_back({ sPrefix + item.sName.substr(0, item.sName.size() - std::strlen(kPresetExtension)),
                        sFolder + item.sName, bUser });
            }
        }
        std::sort(found.begin(), found.end(), [](const SEntry& a, const SEntry& b) { return a.sName < b.sName; });
        entries.insert(entries.end(), found.begin(), found.end());
    }
    return entries;
}

std::string CPresetStore::Resolve(const std::string& sNameOrFile) const
{
    if (sNameOrFile.empty())
        throw UsageError("--preset needs a preset name or file");
    const bool bIsPath = sNameOrFile.find('/') != std::string::npos || EndsWithPresetExtension(sNameOrFile)
        || IsRegularFile(sNameOrFile);
    if (bIsPath) {
        if (::access(sNameOrFile.c_str(), R_OK) != 0)
            throw FailureError("cannot read preset '" + sNameOrFile + "': " + std::strerror(errno));
        return sNameOrFile;
    }
    const std::vector<SEntry> entries = Entries();
    // The whole name in any case, the library's before the user's.
    for (const SEntry& entry : entries) {
        if (::strcasecmp(entry.sName.c_str(), sNameOrFile.c_str()) == 0)
            return entry.sPath;
    }
    // The name without (or with the end of) its folders, while only one folder holds it.
    std::vector<const SEntry*> matches;
    for (const SEntry& entry : entries) {
        const size_t nLength = sNameOrFile.size();
        if (entry.sName.size() > nLength && entry.sName[entry.sName.size() - nLength - 1] == ':'
            && ::strcasecmp(entry.sName.c_str() + entry.sName.size() - nLength, sNameOrFile.c_str()) == 0)
            matches.push_back(&entry);
    }
    if (matches.size() == 1)
        return matches.front()->sPath;
    if (matches.size() > 1) {
        std::string sCandidates;
        for (const SEntry* pEntry : matches)
            sCandidates += (sCandidates.empty() ? "" : ", ") + pEntry->sName + (pEntry->bUser ? " (user)" : "");
        throw UsageError("'" + sNameOrFile + "' is in more than one folder: " + sCandidates + "; name the folder");
    }
    throw UsageError(
        "no preset named '" + sNameOrFile + "' in " + msFolder + " or " + msUserFolder + " (see 'vantor presets')");
}

std::vector<std::pair<int, int>> CPresetStore::Check(
    const std::vector<unsigned char>& bytes, const std::string& sPath, int nMode, const CParameterText& parameters)
{
    std::vector<std::pair<int, int>> records;
    const std::string sWhat = "'" + sPath + "' is not a usable preset: ";
    if (bytes.size() < kHeaderBytes || std::memcmp(bytes.data(), "RYXP", 4) != 0)
        throw FailureError(sWhat + "no RYXP header");
    if (ReadWord(bytes, 4) != 0)
        throw FailureError(sWhat + "unknown version " + std::to_string(ReadWord(bytes, 4)));
    const uint64_t nBlocks = ReadWord(bytes, 8);
    if (kHeaderBytes + nBlocks * kDirectoryRecordBytes > bytes.size())
        throw FailureError(
            sWhat + "truncated (its directory of " + std::to_string(nBlocks) + " blocks runs past the end)");
    bool bHasMode = nMode == 4 || nMode < 0;
    for (uint64_t nBlock = 0; nBlock < nBlocks; ++nBlock) {
        const size_t nAt = kHeaderBytes + static_cast<size_t>(nBlock) * kDirectoryRecordBytes;
        const int32_t nModule = static_cast<int32_t>(ReadWord(bytes, nAt));
        const uint64_t nOffset = ReadWord(bytes, nAt + 4);
        const uint64_t nRecords = ReadWord(bytes, nAt + 8);
        if (nOffset + nRecords * kRecordBytes > bytes.size())
            throw FailureError(sWhat + "truncated (block " + std::to_string(nBlock + 1) + " runs past the end)");
        if (nModule < -1 || nModule > 3)
            throw FailureError(sWhat + "damaged (unknown module " + std::to_string(nModule) + ")");
        bHasMode = bHasMode || nModule == nMode;
        // Every record must belong to its block's parameters and lie in range.
        for (uint64_t nRecord = 0; nRecord < nRecords; ++nRecord) {
            const size_t nRecordAt = static_cast<size_t>(nOffset + nRecord * kRecordBytes);
            const int32_t nIndex = static_cast<int32_t>(ReadWord(bytes, nRecordAt));
            const int32_t nValue = static_cast<int32_t>(ReadWord(bytes, nRecordAt + 4));
            const int nFirst = kBlockFirst[nModule + 1];
            if (nIndex < nFirst || nIndex >= nFirst + kBlockCount[nModule + 1]
                || static_cast<size_t>(nIndex) >= parameters.GetCount())
                throw FailureError(sWhat + "damaged (parameter " + std::to_string(nIndex) + " in the "
                    + (nModule < 0 ? std::string("global") : kModuleNames[nModule]) + " block)");
            const SParameterText& parameter = parameters.Get(nIndex);
            if (nValue < parameter.nMin || nValue > parameter.nMax)
                throw FailureError(sWhat + "damaged (" + parameter.names.front() + " holds " + std::to_string(nValue)
                    + ", outside " + std::to_string(parameter.nMin) + ".." + std::to_string(parameter.nMax) + ")");
            records.emplace_back(nIndex, nValue);
        }
    }
    if (!bHasMode)
        throw FailureError("preset '" + sPath + "' has no settings for the " + kModuleNames[nMode]);
    return records;
}

std::vector<unsigned char> CPresetStore::ReadBytes(const std::string& sPath)
{
    std::ifstream file(sPath, std::ios::binary);
    if (!file)
        throw FailureError("cannot read preset '" + sPath + "': " + std::strerror(errno));
    std::vector<unsigned char> bytes;
    bytes.reserve(512);
    char buffer[4096];
    while (file && static_cast<std::streamsize>(bytes.size()) <= kLargestPreset) {
        file.read(buffer, sizeof(buffer));
        bytes.insert(bytes.end(), buffer, buffer + file.gcount());
    }
    if (static_cast<std::streamsize>(bytes.size()) > kLargestPreset)
        throw FailureError("'" + sPath + "' is not a usable preset: far too large");
    return bytes;
}

std::vector<std::pair<int, int>> CPresetStore::Read(const std::string& sPath, const CParameterText& parameters) const
{
    return Check(ReadBytes(sPath), sPath, -1, parameters);
}

void CPresetStore::Load(
    const std::string& sPath, vpa::IProcess& process, unsigned nMode, const CParameterText& parameters) const
{
    Check(ReadBytes(sPath), sPath, static_cast<int>(nMode), parameters);
    CProcessDataManager dataManager(process);
    if (!ReadPresetFile(sPath, dataManager, nMode, -1))
        throw FailureError("cannot read preset '" + sPath + "'");
}

std::string CPresetStore::PathOfName(const std::string& sName) const
{
    std::string sWhy;
    const std::string sTidy = TidyPresetName(sName, sWhy);
    if (sTidy.empty()) {
        // The reason is a sentence for the editor; here it ends a line.
        if (!sWhy.empty() && sWhy.back() == '.')
            sWhy.pop_back();
        if (!sWhy.empty())
            sWhy[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(sWhy[0])));
        throw UsageError("'" + sName + "' is not a preset name: " + sWhy + " (use ':' between folders, or -o FILE)");
    }
    // The library's folder when it can take the file, else the user's.
    const bool bLibraryWritable = ::access(msFolder.c_str(), W_OK) == 0
        || (::access(msFolder.c_str(), F_OK) != 0 && platform::CreateFolders(msFolder));
    if (!bLibraryWritable && msUserFolder.empty())
        throw FailureError("the presets folder " + msFolder
            + " is not writable and there is no home folder for your own"
              " presets; save the preset to a file of your own with -o FILE");
    return (bLibraryWritable ? msFolder : msUserFolder) + PresetNameToPath(sTidy) + kPresetExtension;
}

void CPresetStore::Save(
    const std::string& sPath, vpa::IProcess& process, unsigned nMode, bool bForce, bool bCreateFolders) const
{
    const std::string sFolder = sPath.find('/') == std::string::npos ? "./" : sPath.substr(0, sPath.rfind('/') + 1);
    const std::string& sRoot = !msUserFolder.empty() && sPath.rfind(msUserFolder, 0) == 0 ? msUserFolder : msFolder;
    if (bCreateFolders && !platform::CreateFolders(sFolder)) {
        throw FailureError("the presets folder " + sRoot + " is not writable (" + std::strerror(errno)
            + "); save the preset to a file of your own with -o FILE");
    }
    if (!bForce && ::access(sPath.c_str(), F_OK) == 0)
        throw UsageError("'" + sPath + "' exists; add -f to replace it");
    if (IsFolder(sPath))
        throw FailureError("'" + sPath + "' is a folder");
    CProcessDataManager dataManager(process);
    errno = 0;
    if (WritePresetFile(sPath, dataManager, nMode))
        return;
    const int nError = errno != 0 ? errno : EIO;
    if (bCreateFolders)
        throw FailureError("the presets folder " + sRoot + " is not writable (" + std::strerror(nError)
            + "); save the preset to a file of your own with -o FILE");
    throw FailureError("cannot write '" + sPath + "' (" + std::strerror(nError) + ")");
}

std::vector<CPresetStore::SNode> CPresetStore::List(unsigned nMode, bool bUser) const
{
    std::vector<SNode> root;
    Scan(bUser ? msUserFolder : msFolder, nMode, root);
    return root;
}

void CPresetStore::Scan(const std::string& sFolder, unsigned nMode, std::vector<SNode>& into) const
{
    DIR* pFolder = ::opendir(sFolder.c_str());
    if (pFolder == nullptr)
        return;
    while (const dirent* pEntry = ::readdir(pFolder)) {
        const std::string sName = pEntry->d_name;
        if (sName.empty() || sName[0] == '.')
            continue;
        const std::string sPath = sFolder + sName;
        if (IsFolder(sPath)) {
            SNode folder;
            folder.sName = sName;
            folder.bIsFolder = true;
            Scan(sPath + "/", nMode, folder.children);
            into.push_back(std::move(folder));
        } else if (EndsWithPresetExtension(sName) && IsValidPresetFile(sPath, nMode)) {
            SNode preset;
            preset.sName = sName.substr(0, sName.size() - std::strlen(kPresetExtension));
            into.push_back(std::move(preset));
        }
    }
    ::closedir(pFolder);
    std::sort(into.begin(), into.end(), [](const SNode& a, const SNode& b) { return a.sName < b.sName; });
}
