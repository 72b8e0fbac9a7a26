#include "toolkit/epiDiskResFile.h"

#include "toolkit/epiPath.h"
#include "toolkit/epiTypes.h"

#include <cstring>
#include <new>
#include <set>
#include <vector>

epiDiskResFile::epiDiskResFile()
    : mbPathSet(false)
    , mbOpen(false)
    , mbReadOnly(false)
    , mbDirty(false)
    , mnVersion(1)
    , mnCapacity(0)
    , mnCount(0)
    , mnReserved(0)
    , mnDataEnd(kFirstDataOffset)
    , miCursor(-1)
{ }

epiDiskResFile::~epiDiskResFile()
{
    if (mbOpen)
        epiDiskResFile::Close();
}

epiDiskFile* epiDiskResFile::GetFile()
{
    if (!mpFile)
        mpFile.reset(new (std::nothrow) epiDiskFile());
    return mpFile.get();
}

bool epiDiskResFile::SetPath(const std::string& sToolkitPath)
{
    if (sToolkitPath.size() > 255)
        return false;
    msPath = sToolkitPath;
    mbPathSet = true;
    return true;
}

void epiDiskResFile::FreeDirectory()
{
    mpDirectory.reset();
    mnCount = 0;
    mnCapacity = 0;
    miCursor = -1;
}

bool epiDiskResFile::MakeEmptyDirectory()
{
    mpDirectory.reset(new (std::nothrow) SEntry[kNewCapacity]());
    if (!mpDirectory)
        return false;
    mnVersion = 1;
    mnCapacity = kNewCapacity;
    mnCount = 0;
    mnReserved = 0;
    mnDataEnd = kFirstDataOffset;
    miCursor = -1;
    return true;
}

bool epiDiskResFile::ReadDirectory()
{
    epiDiskFile* pFile = mpFile.get();
    int32_t nFileSize = 0;
    uint8_t aHeader[kHeaderBytes];
    if (pFile == nullptr || !pFile->GetSize(nFileSize) || !pFile->Seek(0, kEpiSeekStart)
        || !pFile->Read(kHeaderBytes, aHeader))
        return false;
    mnVersion = EpiGetBE16(aHeader);
    mnCapacity = EpiGetBE16(aHeader + 2);
    mnCount = EpiGetBE16(aHeader + 4);
    mnReserved = EpiGetBE16(aHeader + 6);
    const int64_t nDirectoryEnd = kHeaderBytes + static_cast<int64_t>(mnCapacity) * kEntryBytes;
    if (mnCount > mnCapacity || nDirectoryEnd > nFileSize) {
        FreeDirectory();
        return false;
    }
    mpDirectory.reset(new (std::nothrow) SEntry[mnCapacity > 0 ? mnCapacity : 1]());
    std::vector<uint8_t> raw(static_cast<size_t>(mnCount) * kEntryBytes);
    if (!mpDirectory || !pFile->Read(static_cast<int32_t>(raw.size()), raw.data())) {
        FreeDirectory();
        return false;
    }
    int64_t nDataEnd = kFirstDataOffset;
    for (unsigned i = 0; i < mnCount; ++i) {
        const uint8_t* p = raw.data() + i * kEntryBytes;
        SEntry& entry = mpDirectory[i];
        entry.iId = static_cast<int32_t>(EpiGetBE32(p));
        entry.nType = EpiGetBE32(p + 4);
        entry.nSize = EpiGetBE32(p + 8);
        entry.nOffset = EpiGetBE32(p + 12);
        // Every run must lie inside the file (64-bit sum: no wrap) and a
        // non-empty one behind the directory, which a rewrite would clobber.
        const int64_t nEnd = static_cast<int64_t>(entry.nOffset) + entry.nSize;
        if (nEnd > nFileSize || (entry.nSize > 0 && entry.nOffset < nDirectoryEnd)) {
            FreeDirectory();
            return false;
        }
        if (nEnd > nDataEnd)
            nDataEnd = nEnd;
    }
    mnDataEnd = static_cast<uint32_t>(nDataEnd);
    miCursor = -1;
    return true;
}

bool epiDiskResFile::WriteDirectory()
{
    epiDiskFile* pFile = mpFile.get();
    if (pFile == nullptr || !mpDirectory)
        return false;
    std::vector<uint8_t> raw(kHeaderBytes + static_cast<size_t>(mnCapacity) * kEntryBytes, 0);
    EpiPutBE16(raw.data(), 1);
    EpiPutBE16(raw.data() + 2, mnCapacity);
    EpiPutBE16(raw.data() + 4, mnCount);
    EpiPutBE16(raw.data() + 6, mnReserved);
    for (unsigned i = 0; i < mnCount; ++i) {
        uint8_t* p = raw.data() + kHeaderBytes + i * kEntryBytes;
        const SEntry& entry = mpDirectory[i];
        EpiPutBE32(p, static_cast<uint32_t>(entry.iId));
        EpiPutBE32(p + 4, entry.nType);
        EpiPutBE32(p + 8, entry.nSize);
        EpiPutBE32(p + 12, entry.nOffset);
    }
    return pFile->Seek(0, kEpiSeekStart) && pFile->Write(static_cast<int32_t>(raw.size()), raw.data());
}

bool epiDiskResFile::Open()
{
    if (!mbPathSet)
        return false;
    if (mbOpen)
        Close();
    epiDiskFile* pFile = GetFile();
    if (pFile == nullptr || !pFile->Open(msPath, mbReadOnly ? kEpiOpenRead : kEpiOpenRead | kEpiOpenWrite))
        return false;
    if (!ReadDirectory()) {
        // Not cut: the open was a read, whatever the mode.
        pFile->Seek(0, kEpiSeekEnd);
        pFile->Close();
        return false;
    }
    mbOpen = true;
    mbDirty = false;
    return true;
}

bool epiDiskResFile::Create()
{
    if (!mbPathSet || mbOpen)
        return false;
    if (platform::FileExists(epi::NativePathFrom(msPath)))
        return false;
    epiDiskFile* pFile = GetFile();
    if (pFile == nullptr || !pFile->Create(msPath))
        return false;
    if (!MakeEmptyDirectory() || !WriteDirectory()) {
        FreeDirectory();
        pFile->Close();
        return false;
    }
    mbOpen = true;
    mbDirty = false;
    return true;
}

bool epiDiskResFile::Flush()
{
    if (!mbOpen)
        return false;
    if (!mbDirty)
        return true;
    if (!WriteDirectory())
        return false;
    mbDirty = false;
    return true;
}

bool epiDiskResFile::Close()
{
    if (!mbOpen)
        return false;
    const bool bFlushed = Flush();
    FreeDirectory();
    epiDiskFile* pFile = mpFile.get();
    pFile->Seek(static_cast<int32_t>(mnDataEnd), kEpiSeekStart);
    const bool bClosed = pFile->Close();
    mbOpen = false;
    mbDirty = false;
    return bFlushed && bClosed;
}

bool epiDiskResFile::RemoveAll()
{
    if (!mbOpen)
        return false;
    mnCount = 0;
    miCursor = -1;
    std::memset(mpDirectory.get(), 0, sizeof(SEntry) * mnCapacity);
    mbDirty = true;
    return Flush();
}

bool epiDiskResFile::Find(uint32_t nType, int32_t iId)
{
    if (!mbOpen)
        return false;
    if (miCursor >= 0 && miCursor < mnCount && mpDirectory[miCursor].nType == nType && mpDirectory[miCursor].iId == iId)
        return true;
    for (int i = 0; i < mnCount; ++i) {
        if (mpDirectory[i].nType == nType && mpDirectory[i].iId == iId) {
            miCursor = i;
            return true;
        }
    }
    miCursor = -1;
    return false;
}

bool epiDiskResFile::Put(const void* pData, int32_t nSize, uint32_t nType, int32_t iId)
{
    if (!mbOpen || nSize < 0 || (pData == nullptr && nSize > 0))
        return false;
    mbDirty = true;
    SEntry* pEntry;
    if (Find(nType, iId)) {
        pEntry = &mpDirectory[miCursor];
        if (pEntry->nSize < static_cast<uint32_t>(nSize)) {
            // Outgrown: a fresh run at the end; the old one is abandoned.
            pEntry->nOffset = mnDataEnd;
            pEntry->nSize = 0;
        }
    } else {
        if (mnCount >= mnCapacity)
            return false;
        pEntry = &mpDirectory[mnCount];
        *pEntry = SEntry { iId, nType, 0, mnDataEnd };
        miCursor = mnCount;
        ++mnCount;
    }
    const int64_t nEnd = static_cast<int64_t>(pEntry->nOffset) + nSize;
    if (nEnd > 0x7FFFFFFF)
        return false;
    epiDiskFile* pFile = mpFile.get();
    if (!pFile->Seek(static_cast<int32_t>(pEntry->nOffset), kEpiSeekStart) || !pFile->Write(nSize, pData))
        return false;
    pEntry->nSize = static_cast<uint32_t>(nSize);
    if (nEnd > mnDataEnd)
        mnDataEnd = static_cast<uint32_t>(nEnd);
    return true;
}

bool epiDiskResFile::Get(void* pBuffer, int32_t nSize, uint32_t nType, int32_t iId)
{
    if (!Find(nType, iId) || nSize < 0 || mpDirectory[miCursor].nSize != static_cast<uint32_t>(nSize))
        return false;
    epiDiskFile* pFile = mpFile.get();
    return pFile->Seek(static_cast<int32_t>(mpDirectory[miCursor].nOffset), kEpiSeekStart)
        && pFile->Read(nSize, pBuffer);
}

std::unique_ptr<uint8_t[]> epiDiskResFile::GetAllocated(uint32_t nType, int32_t iId)
{
    if (!Find(nType, iId) || mpDirectory[miCursor].nSize > 0x7FFFFFFFu)
        return nullptr;
    const int32_t nSize = static_cast<int32_t>(mpDirectory[miCursor].nSize);
    std::unique_ptr<uint8_t[]> pBlock(new (std::nothrow) uint8_t[nSize > 0 ? nSize : 1]());
    if (!pBlock || !Get(pBlock.get(), nSize, nType, iId))
        return nullptr;
    return pBlock;
}

bool epiDiskResFile::Remove(uint32_t nType, int32_t iId)
{
    if (!Find(nType, iId))
        return false;
    for (int i = miCursor; i + 1 < mnCount; ++i)
        mpDirectory[i] = mpDirectory[i + 1];
    --mnCount;
    mpDirectory[mnCount] = SEntry {};
    miCursor = -1;
    mbDirty = true;
    return true;
}

bool epiDiskResFile::ChangeId(uint32_t nType, int32_t iOldId, int32_t iNewId)
{
    if (!mbOpen || Find(nType, iNewId) || !Find(nType, iOldId))
        return false;
    mpDirectory[miCursor].iId = iNewId;
    mbDirty = true;
    return true;
}

bool epiDiskResFile::HasSize(int32_t nSize, uint32_t nType, int32_t iId)
{
    return Find(nType, iId) && nSize >= 0 && mpDirectory[miCursor].nSize == static_cast<uint32_t>(nSize);
}

int32_t epiDiskResFile::GetSize(uint32_t nType, int32_t iId)
{
    if (!Find(nType, iId) || mpDirectory[miCursor].nSize > 0x7FFFFFFFu)
        return 0;
    return static_cast<int32_t>(mpDirectory[miCursor].nSize);
}

int epiDiskResFile::CountOfType(uint32_t nType) const
{
    if (!mbOpen)
        return 0;
    int n = 0;
    for (int i = 0; i < mnCount; ++i)
        n += mpDirectory[i].nType == nType ? 1 : 0;
    return n;
}

int32_t epiDiskResFile::IdOfNth(uint32_t nType, int n) const
{
    if (!mbOpen)
        return 0;
    for (int i = 0; i < mnCount; ++i)
        if (mpDirectory[i].nType == nType && n-- == 0)
            return mpDirectory[i].iId;
    return -1;
}

int32_t epiDiskResFile::UniqueId(uint32_t nType) const
{
    if (!mbOpen)
        return 0;
    bool bAny = false;
    int32_t iLargest = 0;
    for (int i = 0; i < mnCount; ++i) {
        if (mpDirectory[i].nType != nType)
            continue;
        const int32_t iId = static_cast<int16_t>(mpDirectory[i].iId);
        if (!bAny || iId > iLargest)
            iLargest = iId;
        bAny = true;
    }
    return bAny ? iLargest + 1 : 0;
}

int epiDiskResFile::CountTypes() const
{
    if (!mbOpen)
        return 0;
    std::set<uint32_t> types;
    for (int i = 0; i < mnCount; ++i)
        types.insert(mpDirectory[i].nType);
    return static_cast<int>(types.size());
}

uint32_t epiDiskResFile::NthType(int n) const
{
    if (!mbOpen || n < 0)
        return 0;
    std::set<uint32_t> seen;
    for (int i = 0; i < mnCount; ++i) {
        if (seen.insert(mpDirectory[i].nType).second && n-- == 0)
            return mpDirectory[i].nType;
    }
    return 0;
}

bool epiDiskResFile::GetEntry(int iIndex, uint32_t* pType, int32_t* pId, int32_t* pSize) const
{
    if (!mbOpen || iIndex < 0 || iIndex >= mnCount)
        return false;
    const SEntry& entry = mpDirectory[iIndex];
    if (pType != nullptr)
        *pType = entry.nType;
    if (pId != nullptr)
        *pId = entry.iId;
    if (pSize != nullptr)
        *pSize = static_cast<int32_t>(entry.nSize);
    return true;
}
