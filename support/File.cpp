#include "File.h"

#include "platform/Platform.h"

#include <new>

namespace utils {

namespace {

// Byte count of nCount elements, or 0 when it does not fit in 32 bits.
template <typename T> unsigned ByteCount(unsigned nCount)
{
    const uint64_t nBytes = static_cast<uint64_t>(nCount) * sizeof(T);
    return nBytes > 0xFFFFFFFFu ? 0u : static_cast<unsigned>(nBytes);
}

} // namespace

CFile::CFile()
    : size(0)
    , handle(platform::kInvalidFile)
{ }

CFile::~CFile()
{
    Close();
}

void CFile::Destroy()
{
    delete this;
}

bool CFile::Open(std::string sPath, int nMode)
{
    Close();
    if (nMode != 0 && nMode != 1)
        return false;
    handle = platform::OpenFile(sPath, nMode == 0 ? platform::EFileMode::Read : platform::EFileMode::Create);
    if (handle == platform::kInvalidFile)
        return false;
    size = platform::GetFileSize(handle);
    Seek(0);
    return true;
}

void CFile::Close()
{
    if (handle != platform::kInvalidFile) {
        platform::CloseFile(handle);
        handle = platform::kInvalidFile;
    }
    size = 0;
}

unsigned CFile::Read(void* pBuffer, unsigned nBytes)
{
    return platform::ReadFile(handle, pBuffer, nBytes);
}

unsigned CFile::Write(const void* pBuffer, unsigned nBytes)
{
    return platform::WriteFile(handle, pBuffer, nBytes);
}

unsigned CFile::Seek(unsigned nOffset)
{
    return platform::SeekFile(handle, nOffset);
}

unsigned CFile::GetSize()
{
    return size;
}

unsigned CFile::ReadInt32Array(int32_t* pData, unsigned nCount)
{
    return Read(pData, ByteCount<int32_t>(nCount)) / sizeof(int32_t);
}

unsigned CFile::ReadUInt32Array(uint32_t* pData, unsigned nCount)
{
    return Read(pData, ByteCount<uint32_t>(nCount)) / sizeof(uint32_t);
}

IFile* CreateFileObject()
{
    return new (std::nothrow) CFile();
}

} // namespace utils
