#include "toolkit/epiDiskFile.h"

#include "toolkit/epiAlert.h"
#include "toolkit/epiPath.h"

epiDiskFile::epiDiskFile()
    : mhFile(platform::kInvalidFile)
    , miMode(0)
    , mbOpen(false)
{ }

epiDiskFile::~epiDiskFile()
{
    // The memory file closes itself in its own destructor; this one only
    // sees the disk side.
    if (mbOpen)
        epiDiskFile::Close();
}

bool epiDiskFile::Open(const std::string& sToolkitPath, int nMode)
{
    if (mbOpen)
        return false;
    return OpenNative(epi::NativePathFrom(sToolkitPath), nMode);
}

bool epiDiskFile::OpenNative(const std::string& sNativePath, int nMode)
{
    if (!OpenDisk(sNativePath, nMode))
        return false;
    mbOpen = true;
    return true;
}

bool epiDiskFile::OpenDisk(const std::string& sNativePath, int nMode)
{
    if ((nMode & kEpiOpenRefuse) != 0 || mhFile != platform::kInvalidFile)
        return false;
    if ((nMode & kEpiOpenWrite) != 0) {
        if ((nMode & kEpiOpenDeleteFirst) != 0)
            platform::RemoveFile(sNativePath);
        mhFile = platform::OpenFileForUpdate(sNativePath, false);
        if (mhFile == platform::kInvalidFile && (nMode & kEpiOpenCreate) != 0) {
            mhFile = platform::OpenFileForUpdate(sNativePath, true);
            if (mhFile != platform::kInvalidFile && !platform::SetFileSize(mhFile, 0)) {
                platform::CloseFile(mhFile);
                mhFile = platform::kInvalidFile;
            }
        }
    } else {
        mhFile = platform::OpenFileShared(sNativePath);
    }
    if (mhFile == platform::kInvalidFile)
        return false;
    miMode = nMode;
    if ((nMode & (kEpiOpenWrite | kEpiOpenAtEnd)) != 0)
        platform::SeekFile(mhFile, platform::GetFileSize(mhFile));
    return true;
}

void epiDiskFile::CloseDisk()
{
    if (mhFile == platform::kInvalidFile)
        return;
    if ((miMode & kEpiOpenWrite) != 0) {
        const unsigned nAt = platform::TellFile(mhFile);
        if (nAt != 0xFFFFFFFFu)
            platform::SetFileSize(mhFile, nAt);
    }
    platform::CloseFile(mhFile);
    mhFile = platform::kInvalidFile;
}

bool epiDiskFile::Close()
{
    if (!mbOpen)
        return false;
    CloseDisk();
    mbOpen = false;
    miMode = 0;
    return true;
}

bool epiDiskFile::Read(int32_t nCount, void* pBuffer)
{
    if (!mbOpen || nCount < 0)
        return false;
    if (nCount == 0)
        return true;
    const unsigned nDone = platform::ReadFile(mhFile, pBuffer, static_cast<unsigned>(nCount));
    return nDone == static_cast<unsigned>(nCount);
}

bool epiDiskFile::Write(int32_t nCount, const void* pBuffer)
{
    if (!mbOpen || nCount < 0 || (miMode & kEpiOpenWrite) == 0)
        return false;
    if (nCount == 0)
        return true;
    const unsigned nDone = platform::WriteFile(mhFile, pBuffer, static_cast<unsigned>(nCount));
    return nDone == static_cast<unsigned>(nCount);
}

bool epiDiskFile::Seek(int32_t nOffset, int nOrigin)
{
    if (!mbOpen)
        return false;
    int64_t nBase = 0;
    if (nOrigin == kEpiSeekEnd)
        nBase = platform::GetFileSize(mhFile);
    else if (nOrigin == kEpiSeekCurrent)
        nBase = platform::TellFile(mhFile);
    else if (nOrigin != kEpiSeekStart)
        return false;
    const int64_t nTarget = nBase + nOffset;
    if (nTarget < 0 || nTarget >= 0xFFFFFFFFll)
        return false;
    return platform::SeekFile(mhFile, static_cast<unsigned>(nTarget)) == static_cast<unsigned>(nTarget);
}

int32_t epiDiskFile::Tell()
{
    int32_t nPosition = 0;
    return GetPosition(nPosition) ? nPosition : 0;
}

bool epiDiskFile::GetPosition(int32_t& nPosition)
{
    if (!mbOpen)
        return false;
    const unsigned nAt = platform::TellFile(mhFile);
    if (nAt > 0x7FFFFFFFu)
        return false;
    nPosition = static_cast<int32_t>(nAt);
    return true;
}

bool epiDiskFile::GetSize(int32_t& nSize)
{
    if (!mbOpen)
        return false;
    const unsigned nBytes = platform::GetFileSize(mhFile);
    nSize = nBytes > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int32_t>(nBytes);
    return true;
}

bool epiDiskFile::Flush()
{
    return mbOpen && platform::FlushFile(mhFile);
}
