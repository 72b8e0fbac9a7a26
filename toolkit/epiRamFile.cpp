#include "toolkit/epiRamFile.h"

#include <cstring>
#include <new>

epiRamFile::epiRamFile()
    : mnCapacity(0)
    , mnSize(0)
    , mnPosition(0)
{ }

epiRamFile::~epiRamFile()
{
    if (mbOpen)
        epiRamFile::Close();
}

bool epiRamFile::Grow(int64_t nBytes)
{
    // Capacity (n / step + 1) × step: always strictly more than n.
    const int64_t nCapacity = (nBytes / kGrowthStep + 1) * kGrowthStep;
    if (nBytes < 0 || nCapacity > kMaxCapacity)
        return false;
    std::unique_ptr<uint8_t[]> pBlock(new (std::nothrow) uint8_t[static_cast<size_t>(nCapacity)]());
    if (!pBlock)
        return false;
    if (mpBlock && mnCapacity > 0)
        std::memcpy(pBlock.get(), mpBlock.get(), static_cast<size_t>(mnCapacity));
    mpBlock = std::move(pBlock);
    mnCapacity = static_cast<int32_t>(nCapacity);
    return true;
}

bool epiRamFile::Reserve(int32_t nBytes)
{
    if (nBytes < mnCapacity)
        return true;
    return Grow(nBytes);
}

bool epiRamFile::OpenNative(const std::string& sNativePath, int nMode)
{
    if (!OpenDisk(sNativePath, nMode))
        return false;
    mnSize = 0;
    mnPosition = 0;
    if ((nMode & kEpiOpenRead) != 0) {
        const unsigned nFileSize = platform::GetFileSize(mhFile);
        const bool bRead = nFileSize < static_cast<unsigned>(kMaxCapacity) && Reserve(static_cast<int32_t>(nFileSize))
            && platform::SeekFile(mhFile, 0) == 0 && platform::ReadFile(mhFile, mpBlock.get(), nFileSize) == nFileSize;
        if (!bRead) {
            const int nMode0 = miMode;
            miMode = 0; // no write-back of a failed load
            CloseDisk();
            miMode = nMode0;
            return false;
        }
        mnSize = static_cast<int32_t>(nFileSize);
    }
    mbOpen = true;
    return true;
}

void epiRamFile::OpenInMemory(int nMode)
{
    mbOpen = true;
    miMode = nMode;
    mnSize = 0;
    mnPosition = 0;
}

void epiRamFile::SetSize(int32_t nSize)
{
    if (nSize >= 0 && nSize <= mnCapacity)
        mnSize = nSize;
}

bool epiRamFile::Close()
{
    if (!mbOpen)
        return false;
    bool bDone = true;
    if (mhFile != platform::kInvalidFile) {
        if ((miMode & kEpiOpenWrite) != 0) {
            // Written from offset 0; the disk side then cuts the file there.
            const unsigned nBytes = static_cast<unsigned>(mnPosition);
            bDone = platform::SeekFile(mhFile, 0) == 0
                && (nBytes == 0 || platform::WriteFile(mhFile, mpBlock.get(), nBytes) == nBytes);
        }
        CloseDisk();
    }
    mbOpen = false;
    miMode = 0;
    mnPosition = 0;
    return bDone;
}

bool epiRamFile::Read(int32_t nCount, void* pBuffer)
{
    if (!mbOpen || nCount < 0 || static_cast<int64_t>(mnPosition) + nCount > mnSize)
        return false;
    if (nCount > 0)
        std::memcpy(pBuffer, mpBlock.get() + mnPosition, static_cast<size_t>(nCount));
    mnPosition += nCount;
    return true;
}

bool epiRamFile::Write(int32_t nCount, const void* pBuffer)
{
    if (!mbOpen || nCount < 0)
        return false;
    const int64_t nEnd = static_cast<int64_t>(mnPosition) + nCount;
    if (nEnd > mnCapacity && !Grow(nEnd))
        return false;
    if (nCount > 0)
        std::memcpy(mpBlock.get() + mnPosition, pBuffer, static_cast<size_t>(nCount));
    mnPosition = static_cast<int32_t>(nEnd);
    mnSize = mnPosition;
    return true;
}

bool epiRamFile::Seek(int32_t nOffset, int nOrigin)
{
    if (!mbOpen)
        return false;
    int64_t nBase = 0;
    if (nOrigin == kEpiSeekEnd)
        nBase = mnSize;
    else if (nOrigin == kEpiSeekCurrent)
        nBase = mnPosition;
    else if (nOrigin != kEpiSeekStart)
        return false;
    const int64_t nTarget = nBase + nOffset;
    if (nTarget < 0 || (nTarget > mnCapacity && !Grow(nTarget)))
        return false;
    mnPosition = static_cast<int32_t>(nTarget);
    return true;
}

bool epiRamFile::GetPosition(int32_t& nPosition)
{
    if (!mbOpen)
        return false;
    nPosition = mnPosition;
    return true;
}

bool epiRamFile::GetSize(int32_t& nSize)
{
    if (!mbOpen)
        return false;
    nSize = mnSize;
    return true;
}

bool epiRamFile::Flush()
{
    return mbOpen;
}
