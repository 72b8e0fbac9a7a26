#include "PresetStore.h"

#include "ProcessDataManager.h"
#include "ToolError.h"
#include "platform/Platform.h"
#include "presets/PresetFile.h"
#include "presets/PresetList.h"
#include "processor/PresetLayout.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

std::vector<CPresetStore::SNode> Nodes(const CPresetList::PresetInfoList& infos)
{
    std::vector<CPresetStore::SNode> nodes;
    for (const CPresetList::SPresetInfo* pInfo : infos) {
        CPresetStore::SNode node;
        node.sName = pInfo->name;
        node.bIsFolder = pInfo->isFolder;
        node.children = Nodes(pInfo->children);
        nodes.push_back(std::move(node));
    }
    std::sort(nodes.begin(), nodes.end(),
        [](const CPresetStore::SNode& a, const CPresetStore::SNode& b) { return a.sName < b.sName; });
    return nodes;
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
    const std::string& sPath, int nMode, const CParameterText& parameters)
{
    const std::string sWhat = "'" + sPath + "' is not a usable preset: ";
    SPresetContents contents;
    uint32_t nDetail = 0;
    switch (ParsePresetFile(sPath, contents, nDetail)) {
    case EPresetFault::kNone: break;
    case EPresetFault::kUnreadable: throw FailureError("cannot read preset '" + sPath + "': " + std::strerror(errno));
    case EPresetFault::kTooLarge: throw FailureError(sWhat + "far too large");
    case EPresetFault::kNoHeader: throw FailureError(sWhat + "no RYXP header");
    case EPresetFault::kUnknownVersion: throw FailureError(sWhat + "unknown version " + std::to_string(nDetail));
    case EPresetFault::kDirectoryPastEnd:
        throw FailureError(
            sWhat + "truncated (its directory of " + std::to_string(nDetail) + " blocks runs past the end)");
    }
    const std::vector<SPresetBlock> layout = VantorPresetLayout();
    std::vector<std::pair<int, int>> records;
    bool bHasMode = nMode == 4 || nMode < 0;
    for (size_t nBlock = 0; nBlock < contents.blocks.size(); ++nBlock) {
        const SPresetContents::SBlock& block = contents.blocks[nBlock];
        if (!block.bInFile)
            throw FailureError(sWhat + "truncated (block " + std::to_string(nBlock + 1) + " runs past the end)");
        const auto pLayout = std::find_if(
            layout.begin(), layout.end(), [&block](const SPresetBlock& b) { return b.nModule == block.nModule; });
        if (pLayout == layout.end())
            throw FailureError(sWhat + "damaged (unknown module " + std::to_string(block.nModule) + ")");
        bHasMode = bHasMode || block.nModule == nMode;
        // Every record must belong to its block's parameters and lie in range.
        for (const SPresetContents::SRecord& record : block.records) {
            if (record.nUnit < pLayout->nFirstUnit
                || record.nUnit >= pLayout->nFirstUnit + static_cast<int>(pLayout->nRecords)
                || static_cast<size_t>(record.nUnit) >= parameters.GetCount())
                throw FailureError(sWhat + "damaged (parameter " + std::to_string(record.nUnit) + " in the "
                    + (block.nModule < 0 ? std::string("global") : kModuleNames[block.nModule]) + " block)");
            const SParameterText& parameter = parameters.Get(record.nUnit);
            if (record.nValue < parameter.nMin || record.nValue > parameter.nMax)
                throw FailureError(sWhat + "damaged (" + parameter.names.front() + " holds "
                    + std::to_string(record.nValue) + ", outside " + std::to_string(parameter.nMin) + ".."
                    + std::to_string(parameter.nMax) + ")");
            records.emplace_back(record.nUnit, record.nValue);
        }
    }
    if (!bHasMode)
        throw FailureError("preset '" + sPath + "' has no settings for the " + kModuleNames[nMode]);
    return records;
}

std::vector<std::pair<int, int>> CPresetStore::Read(const std::string& sPath, const CParameterText& parameters) const
{
    return Check(sPath, -1, parameters);
}

void CPresetStore::Load(
    const std::string& sPath, vpa::IProcess& process, unsigned nMode, const CParameterText& parameters) const
{
    Check(sPath, static_cast<int>(nMode), parameters);
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
    if (WritePresetFile(sPath, dataManager, nMode, VantorPresetLayout()))
        return;
    const int nError = errno != 0 ? errno : EIO;
    if (bCreateFolders)
        throw FailureError("the presets folder " + sRoot + " is not writable (" + std::strerror(nError)
            + "); save the preset to a file of your own with -o FILE");
    throw FailureError("cannot write '" + sPath + "' (" + std::strerror(nError) + ")");
}

std::vector<CPresetStore::SNode> CPresetStore::List(unsigned nMode, bool bUser) const
{
    CPresetList presets(nMode); // the preset menu's folder walk
    presets.RefreshFrom(bUser ? msUserFolder : msFolder);
    return Nodes(presets.GetRoot());
}
