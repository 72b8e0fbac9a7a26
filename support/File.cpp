#include "File.h"

#include "platform/Platform.h"

#include <cstring>
#include <new>
#include <utility>

namespace utils {

namespace {

// Little-endian conversion of one element: the identity on little-endian
// processors, a byte swap elsewhere.
template <typename T> T ToLittleEndian(T value)
{
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    return value;
#else
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &value, sizeof(T));
    for (size_t i = 0; i < sizeof(T) / 2; ++i)
        std::swap(bytes[i], bytes[sizeof(T) - 1 - i]);
    std::memcpy(&value, bytes, sizeof(T));
    return value;
#endif
}

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

template <typename T> unsigned CFile::WriteConverted(const T* pData, unsigned nCount)
{
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    return Write(pData, ByteCount<T>(nCount)) / sizeof(T);
#else
    unsigned nWritten = 0;
    for (unsigned i = 0; i < nCount; ++i) {
        const T value = ToLittleEndian(pData[i]);
        if (Write(&value, sizeof(T)) != sizeof(T))
            break;
        ++nWritten;
    }
    return nWritten;
#endif
}

template <typename T> unsigned CFile::ReadConverted(T* pData, unsigned nCount)
{
    const unsigned nElements = Read(pData, ByteCount<T>(nCount)) / sizeof(T);
    for (unsigned i = 0; i < nElements; ++i)
        pData[i] = ToLittleEndian(pData[i]);
    return nElements;
}

unsigned CFile::WriteInt32Array(const int32_t* pData, unsigned nCount)
{
    return Write(pData, ByteCount<int32_t>(nCount)) / sizeof(int32_t);
}

unsigned CFile::ReadInt32Array(int32_t* pData, unsigned nCount)
{
    return Read(pData, ByteCount<int32_t>(nCount)) / sizeof(int32_t);
}

unsigned CFile::WriteUInt32Array(const uint32_t* pData, unsigned nCount)
{
    return Write(pData, ByteCount<uint32_t>(nCount)) / sizeof(uint32_t);
}

unsigned CFile::ReadUInt32Array(uint32_t* pData, unsigned nCount)
{
    return Read(pData, ByteCount<uint32_t>(nCount)) / sizeof(uint32_t);
}

unsigned CFile::WriteInt16Array(const int16_t* pData, unsigned nCount)
{
    return Write(pData, ByteCount<int16_t>(nCount)) / sizeof(int16_t);
}

unsigned CFile::ReadInt16Array(int16_t* pData, unsigned nCount)
{
    return Read(pData, ByteCount<int16_t>(nCount)) / sizeof(int16_t);
}

unsigned CFile::WriteFloatArray(const float* pData, unsigned nCount)
{
    return WriteConverted(pData, nCount);
}

unsigned CFile::ReadFloatArray(float* pData, unsigned nCount)
{
    return ReadConverted(pData, nCount);
}

unsigned CFile::WriteWordArray(const uint32_t* pData, unsigned nCount)
{
    return WriteConverted(pData, nCount);
}

unsigned CFile::ReadWordArray(uint32_t* pData, unsigned nCount)
{
    return ReadConverted(pData, nCount);
}

unsigned CFile::WriteShortArray(const uint16_t* pData, unsigned nCount)
{
    return WriteConverted(pData, nCount);
}

unsigned CFile::ReadShortArray(uint16_t* pData, unsigned nCount)
{
    return ReadConverted(pData, nCount);
}

IFile* CreateFileObject()
{
    return new (std::nothrow) CFile();
}

} // namespace utils
