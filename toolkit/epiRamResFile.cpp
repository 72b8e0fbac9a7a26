#include "toolkit/epiRamResFile.h"

#include <cstring>
#include <new>

epiRamResFile::epiRamResFile()
    : mbMemoryOnly(false)
{ }

epiRamResFile::~epiRamResFile()
{
    if (mbOpen)
        epiRamResFile::Close();
}

epiDiskFile* epiRamResFile::GetFile()
{
    if (!mpFile)
        mpFile.reset(new (std::nothrow) epiRamFile());
    return mpFile.get();
}

bool epiRamResFile::Close()
{
    if (!mbOpen)
        return false;
    const bool bFlushed = Flush();
    FreeDirectory();
    epiRamFile* pFile = RamFile();
    pFile->Seek(static_cast<int32_t>(mnDataEnd), kEpiSeekStart);
    bool bClosed = true;
    if (mbMemoryOnly)
        pFile->SetSize(pFile->Tell());
    else
        bClosed = pFile->Close();
    mbOpen = false;
    mbDirty = false;
    return bFlushed && bClosed;
}

bool epiRamResFile::CreateInMemory(int32_t nInitialBytes)
{
    if (mbOpen)
        Close();
    epiRamFile* pFile = RamFile();
    if (pFile == nullptr || nInitialBytes < 0)
        return false;
    if (pFile->IsOpen())
        pFile->Close();
    if (!pFile->Reserve(nInitialBytes))
        return false;
    if (!MakeEmptyDirectory())
        return false;
    mbMemoryOnly = true;
    pFile->OpenInMemory(kEpiOpenRead | kEpiOpenWrite);
    mbOpen = true;
    mbDirty = true;
    return true;
}

bool epiRamResFile::CreateFromMemory(int32_t nSize, const void* pBytes)
{
    if (nSize < 0 || (pBytes == nullptr && nSize > 0) || !CreateInMemory(nSize))
        return false;
    if (nSize > 0)
        std::memcpy(RamFile()->GetBlock(), pBytes, static_cast<size_t>(nSize));
    return true;
}

const uint8_t* epiRamResFile::GetBuffer()
{
    return mbMemoryOnly && mpFile ? RamFile()->GetBlock() : nullptr;
}

int32_t epiRamResFile::GetBufferSize()
{
    return mbMemoryOnly && mpFile ? RamFile()->GetLogicalSize() : 0;
}

bool epiRamResFile::AttachSize(int32_t nSize)
{
    epiRamFile* pFile = RamFile();
    if (pFile == nullptr || nSize < 0 || nSize > pFile->GetCapacity())
        return false;
    FreeDirectory();
    mbOpen = false;
    pFile->OpenInMemory(kEpiOpenRead | kEpiOpenWrite);
    pFile->SetSize(nSize);
    if (!ReadDirectory()) {
        mbDirty = false;
        return false;
    }
    mbOpen = true;
    mbDirty = false;
    return true;
}
