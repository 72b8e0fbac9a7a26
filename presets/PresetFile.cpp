#include "PresetFile.h"

#include "parameters/DataManager.h"
#include "platform/Platform.h"
#include "support/File.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr char kMagic[4] = { 'R', 'Y', 'X', 'P' };
constexpr unsigned kHeaderBytes = 12;
constexpr unsigned kDirectoryRecordBytes = 12;
constexpr unsigned kRecordBytes = 8;

struct SBlock {
    int nModule; // -1 global, 0..3 module
    int nFirstUnit;
    unsigned nRecords;
};

constexpr SBlock kBlocks[5] = {
    { -1, 0, 2 },
    { 0, 2, 20 },
    { 1, 22, 8 },
    { 2, 30, 13 },
    { 3, 43, 4 },
};

struct SDirectoryRecord {
    int32_t nModule;
    uint32_t nOffset;
    uint32_t nRecords;
};

struct FileDeleter {
    void operator()(utils::IFile* pFile) const { pFile->Destroy(); }
};
using FilePtr = std::unique_ptr<utils::IFile, FileDeleter>;

// Modes above 4 run the full chain, so their presets are chain presets.
unsigned ChainMode(unsigned nMode)
{
    return nMode > 4 ? 4 : nMode;
}

bool ContainsModule(unsigned nMode, int nModule)
{
    return nMode == 4 || nModule == -1 || static_cast<unsigned>(nModule) == nMode;
}

// Reads and checks the header and directory. False for anything that is not
// a preset: too short, wrong magic or version, a directory past the end.
bool ReadDirectory(utils::IFile& file, std::vector<SDirectoryRecord>& directory)
{
    const uint64_t nSize = file.GetSize();
    char magic[4];
    uint32_t header[2];
    if (nSize < kHeaderBytes || file.Read(magic, 4) != 4 || file.ReadUInt32Array(header, 2) != 2)
        return false;
    if (std::memcmp(magic, kMagic, 4) != 0 || header[0] != 0)
        return false;
    const uint64_t nCount = header[1];
    if (kHeaderBytes + nCount * kDirectoryRecordBytes > nSize)
        return false;
    directory.resize(static_cast<size_t>(nCount));
    for (SDirectoryRecord& record : directory) {
        int32_t nModule;
        uint32_t where[2];
        if (file.ReadInt32Array(&nModule, 1) != 1 || file.ReadUInt32Array(where, 2) != 2)
            return false;
        record = { nModule, where[0], where[1] };
    }
    return true;
}

} // namespace

std::string GetModuleFolder()
{
    return platform::GetModuleFolder();
}

std::string GetPresetsFolder()
{
    return GetModuleFolder() + kPresetsFolderName + platform::kPathSeparator;
}

std::string GetUserPresetsFolder()
{
    const std::string sData = platform::GetUserDataFolder();
    return sData.empty() ? std::string()
                         : sData + "vantor" + platform::kPathSeparator + "presets" + platform::kPathSeparator;
}

std::string PresetNameToPath(const std::string& sName)
{
    std::string sPath = sName;
    for (char& c : sPath) {
        if (c == ':')
            c = platform::kPathSeparator;
    }
    return sPath;
}

std::string TidyPresetName(const std::string& sTyped, std::string& sWhy)
{
    // Longest file name most file systems take, less the extension.
    constexpr size_t kMaxPart = 255 - 5;
    auto trim = [](const std::string& s) {
        const size_t nFirst = s.find_first_not_of(' ');
        return nFirst == std::string::npos ? std::string() : s.substr(nFirst, s.find_last_not_of(' ') - nFirst + 1);
    };
    sWhy.clear();
    if (trim(sTyped).empty()) {
        sWhy = "Type a name for the preset.";
        return std::string();
    }
    std::string sName;
    size_t nStart = 0;
    while (true) {
        const size_t nColon = sTyped.find(':', nStart);
        const std::string sPart
            = trim(sTyped.substr(nStart, nColon == std::string::npos ? std::string::npos : nColon - nStart));
        const bool bControl = std::any_of(
            sPart.begin(), sPart.end(), [](char c) { return static_cast<unsigned char>(c) < 32 || c == 127; });
        if (sPart.empty())
            sWhy = "A folder or preset name between ':' is empty.";
        else if (sPart[0] == '.')
            sWhy = "A name must not start with '.'.";
        else if (sPart.find('/') != std::string::npos)
            sWhy = "A name must not contain '/'; use ':' for folders.";
        else if (sPart.size() > kMaxPart)
            sWhy = "The name is too long.";
        else if (bControl)
            sWhy = "The name holds a control character.";
        if (!sWhy.empty())
            return std::string();
        sName += sPart;
        if (nColon == std::string::npos)
            return sName;
        sName += ':';
        nStart = nColon + 1;
    }
}

std::string GetDefaultPresetPath(int nModule)
{
    static const char* const kNames[4] = { "EQ.ryxp", "Compressor.ryxp", "Limiter.ryxp", "Clipper.ryxp" };
    std::string sPath = GetPresetsFolder() + kDefaultsFolderName + platform::kPathSeparator;
    if (nModule >= 0 && nModule < 4)
        sPath += kNames[nModule];
    return sPath;
}

bool WritePresetFile(const std::string& sPath, adl::IDataManager& dataManager, unsigned nMode)
{
    nMode = ChainMode(nMode);
    std::vector<SBlock> blocks;
    for (const SBlock& block : kBlocks) {
        if (ContainsModule(nMode, block.nModule))
            blocks.push_back(block);
    }

    // Header and directory.
    std::vector<unsigned char> bytes(kHeaderBytes + kDirectoryRecordBytes * blocks.size());
    const uint32_t header[2] = { 0, static_cast<uint32_t>(blocks.size()) };
    std::memcpy(bytes.data(), kMagic, 4);
    std::memcpy(bytes.data() + 4, header, sizeof(header));
    uint32_t nOffset = static_cast<uint32_t>(bytes.size());
    for (size_t i = 0; i < blocks.size(); ++i) {
        const int32_t nModule = blocks[i].nModule;
        const uint32_t where[2] = { nOffset, blocks[i].nRecords };
        std::memcpy(bytes.data() + kHeaderBytes + i * kDirectoryRecordBytes, &nModule, 4);
        std::memcpy(bytes.data() + kHeaderBytes + i * kDirectoryRecordBytes + 4, where, sizeof(where));
        nOffset += blocks[i].nRecords * kRecordBytes;
    }
    // Blocks, straight from the data manager, in directory order.
    for (const SBlock& block : blocks) {
        unsigned char buffer[1024] = {};
        dataManager.GetChunkRange(buffer, static_cast<unsigned>(block.nFirstUnit), block.nRecords);
        bytes.insert(bytes.end(), buffer, buffer + block.nRecords * kRecordBytes);
    }

    // Beside the destination first, then renamed over it.
    const std::string sTemporary = sPath + ".part";
    FilePtr pFile(utils::CreateFileObject());
    if (!pFile || !pFile->Open(sTemporary, 1))
        return false;
    const unsigned nWritten = pFile->Write(bytes.data(), static_cast<unsigned>(bytes.size()));
    const int nWriteError = errno;
    pFile->Close();
    if (nWritten != bytes.size() || !platform::ReplaceFile(sTemporary, sPath)) {
        // The caller reports errno: the write's or the rename's, not the clean-up's.
        const int nError = nWritten != bytes.size() ? nWriteError : errno;
        platform::RemoveFile(sTemporary);
        errno = nError;
        return false;
    }
    return true;
}

bool ReadPresetFile(const std::string& sPath, adl::IDataManager& dataManager, unsigned nMode, int nModule)
{
    nMode = ChainMode(nMode);
    FilePtr pFile(utils::CreateFileObject());
    std::vector<SDirectoryRecord> directory;
    if (!pFile || !pFile->Open(sPath, 0) || !ReadDirectory(*pFile, directory))
        return false;
    const uint64_t nSize = pFile->GetSize();
    for (const SDirectoryRecord& record : directory) {
        const bool bInMode = nMode == 4 || (record.nModule >= 0 && static_cast<unsigned>(record.nModule) == nMode);
        const bool bWanted = nModule == -1 || record.nModule == nModule;
        const uint64_t nBytes = static_cast<uint64_t>(record.nRecords) * kRecordBytes;
        if (!bInMode || !bWanted || record.nOffset + nBytes > nSize)
            continue;
        std::vector<unsigned char> block(static_cast<size_t>(nBytes));
        if (pFile->Seek(record.nOffset) != record.nOffset
            || pFile->Read(block.data(), static_cast<unsigned>(nBytes)) != nBytes)
            continue;
        dataManager.SetChunk(block.data(), static_cast<unsigned>(nBytes));
    }
    return true;
}

bool IsValidPresetFile(const std::string& sPath, unsigned nMode)
{
    nMode = ChainMode(nMode);
    FilePtr pFile(utils::CreateFileObject());
    std::vector<SDirectoryRecord> directory;
    if (!pFile || !pFile->Open(sPath, 0) || !ReadDirectory(*pFile, directory))
        return false;
    if (nMode == 4)
        return true;
    for (const SDirectoryRecord& record : directory) {
        if (record.nModule >= 0 && static_cast<unsigned>(record.nModule) == nMode)
            return true;
    }
    return false;
}

bool PresetNameLess(const std::string& a, const std::string& b)
{
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            // Compare the numbers: without leading zeros, the longer is larger.
            size_t iEnd = i, jEnd = j;
            while (iEnd < a.size() && isDigit(a[iEnd]))
                ++iEnd;
            while (jEnd < b.size() && isDigit(b[jEnd]))
                ++jEnd;
            size_t iFirst = i, jFirst = j;
            while (iFirst + 1 < iEnd && a[iFirst] == '0')
                ++iFirst;
            while (jFirst + 1 < jEnd && b[jFirst] == '0')
                ++jFirst;
            if (iEnd - iFirst != jEnd - jFirst)
                return iEnd - iFirst < jEnd - jFirst;
            const int nOrder = a.compare(iFirst, iEnd - iFirst, b, jFirst, jEnd - jFirst);
            if (nOrder != 0)
                return nOrder < 0;
            i = iEnd;
            j = jEnd;
            continue;
        }
        const auto ca = static_cast<unsigned char>(fold(a[i]));
        const auto cb = static_cast<unsigned char>(fold(b[j]));
        if (ca != cb)
            return ca < cb;
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j))
        return a.size() - i < b.size() - j;
    return a < b; // equal but for case or leading zeros: still a strict order
}
