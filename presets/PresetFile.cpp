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

// Far above any preset (448 bytes for the chain); anything larger is not one.
constexpr uint64_t kLargestPreset = 1 << 20;

static_assert(sizeof(SPresetContents::SRecord) == kRecordBytes, "records are read straight from the file");

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

bool WritePresetFile(
    const std::string& sPath, adl::IDataManager& dataManager, unsigned nMode, const std::vector<SPresetBlock>& layout)
{
    nMode = ChainMode(nMode);
    std::vector<SPresetBlock> blocks;
    for (const SPresetBlock& block : layout) {
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
    for (const SPresetBlock& block : blocks) {
        std::vector<unsigned char> buffer(block.nRecords * kRecordBytes);
        dataManager.GetChunkRange(buffer.data(), static_cast<unsigned>(block.nFirstUnit), block.nRecords);
        bytes.insert(bytes.end(), buffer.begin(), buffer.end());
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

EPresetFault ParsePresetFile(const std::string& sPath, SPresetContents& contents, uint32_t& nDetail)
{
    contents.blocks.clear();
    nDetail = 0;
    std::vector<unsigned char> bytes;
    {
        FilePtr pFile(utils::CreateFileObject());
        if (!pFile || !pFile->Open(sPath, 0))
            return EPresetFault::kUnreadable;
        const uint64_t nSize = pFile->GetSize();
        if (nSize > kLargestPreset)
            return EPresetFault::kTooLarge;
        bytes.resize(static_cast<size_t>(nSize));
        if (nSize > 0 && pFile->Read(bytes.data(), static_cast<unsigned>(nSize)) != nSize) {
            if (errno == 0)
                errno = EIO;
            return EPresetFault::kUnreadable;
        }
    }
    // Words in the machine's byte order, as the data manager's chunks.
    const auto word = [&bytes](uint64_t nAt) {
        uint32_t n;
        std::memcpy(&n, bytes.data() + nAt, 4);
        return n;
    };
    if (bytes.size() < kHeaderBytes || std::memcmp(bytes.data(), kMagic, 4) != 0)
        return EPresetFault::kNoHeader;
    if (word(4) != 0) {
        nDetail = word(4);
        return EPresetFault::kUnknownVersion;
    }
    const uint64_t nBlocks = word(8);
    if (kHeaderBytes + nBlocks * kDirectoryRecordBytes > bytes.size()) {
        nDetail = static_cast<uint32_t>(nBlocks);
        return EPresetFault::kDirectoryPastEnd;
    }
    contents.blocks.resize(static_cast<size_t>(nBlocks));
    for (uint64_t n = 0; n < nBlocks; ++n) {
        const uint64_t nAt = kHeaderBytes + n * kDirectoryRecordBytes;
        SPresetContents::SBlock& block = contents.blocks[static_cast<size_t>(n)];
        block.nModule = static_cast<int32_t>(word(nAt));
        const uint64_t nOffset = word(nAt + 4);
        const uint64_t nRecords = word(nAt + 8);
        block.bInFile = nOffset + nRecords * kRecordBytes <= bytes.size();
        if (!block.bInFile)
            continue;
        block.records.resize(static_cast<size_t>(nRecords));
        if (nRecords > 0)
            std::memcpy(block.records.data(), bytes.data() + nOffset, static_cast<size_t>(nRecords * kRecordBytes));
    }
    return EPresetFault::kNone;
}

bool ReadPresetFile(const std::string& sPath, adl::IDataManager& dataManager, unsigned nMode, int nModule)
{
    nMode = ChainMode(nMode);
    SPresetContents contents;
    uint32_t nDetail = 0;
    if (ParsePresetFile(sPath, contents, nDetail) != EPresetFault::kNone)
        return false;
    for (const SPresetContents::SBlock& block : contents.blocks) {
        const bool bInMode = nMode == 4 || (block.nModule >= 0 && static_cast<unsigned>(block.nModule) == nMode);
        const bool bWanted = nModule == -1 || block.nModule == nModule;
        if (bInMode && bWanted && block.bInFile)
            dataManager.SetChunk(block.records.data(), static_cast<unsigned>(block.records.size() * kRecordBytes));
    }
    return true;
}

bool IsValidPresetFile(const std::string& sPath, unsigned nMode)
{
    nMode = ChainMode(nMode);
    SPresetContents contents;
    uint32_t nDetail = 0;
    if (ParsePresetFile(sPath, contents, nDetail) != EPresetFault::kNone)
        return false;
    return nMode == 4
        || std::any_of(contents.blocks.begin(), contents.blocks.end(), [nMode](const SPresetContents::SBlock& block) {
               return block.nModule >= 0 && static_cast<unsigned>(block.nModule) == nMode;
           });
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
