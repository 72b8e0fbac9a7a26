// File objects: a thin layer over the platform's file handles, used by the
// preset code to read and write little-endian files.
#pragma once

#include <cstdint>
#include <string>

namespace utils {

class IFile {
public:
    virtual void Destroy() = 0;
    // Mode 0 opens an existing file for reading, mode 1 creates or truncates
    // a file for writing. Any other mode fails.
    virtual bool Open(std::string sPath, int nMode) = 0;
    virtual void Close() = 0;
    virtual unsigned Read(void* pBuffer, unsigned nBytes) = 0;
    virtual unsigned Write(const void* pBuffer, unsigned nBytes) = 0;
    virtual unsigned Seek(unsigned nOffset) = 0;
    virtual unsigned GetSize() = 0;

    // Typed transfers: the number of whole elements moved.
    virtual unsigned WriteInt32Array(const int32_t* pData, unsigned nCount) = 0;
    virtual unsigned ReadInt32Array(int32_t* pData, unsigned nCount) = 0;
    virtual unsigned WriteUInt32Array(const uint32_t* pData, unsigned nCount) = 0;
    virtual unsigned ReadUInt32Array(uint32_t* pData, unsigned nCount) = 0;
    virtual unsigned WriteInt16Array(const int16_t* pData, unsigned nCount) = 0;
    virtual unsigned ReadInt16Array(int16_t* pData, unsigned nCount) = 0;
    virtual unsigned WriteFloatArray(const float* pData, unsigned nCount) = 0;
    virtual unsigned ReadFloatArray(float* pData, unsigned nCount) = 0;
    virtual unsigned WriteWordArray(const uint32_t* pData, unsigned nCount) = 0;
    virtual unsigned ReadWordArray(uint32_t* pData, unsigned nCount) = 0;
    virtual unsigned WriteShortArray(const uint16_t* pData, unsigned nCount) = 0;
    virtual unsigned ReadShortArray(uint16_t* pData, unsigned nCount) = 0;

    virtual ~IFile() = default;
};

class CFile : public IFile {
public:
    CFile();
    ~CFile() override;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    void Destroy() override;
    bool Open(std::string sPath, int nMode) override;
    void Close() override;
    unsigned Read(void* pBuffer, unsigned nBytes) override;
    unsigned Write(const void* pBuffer, unsigned nBytes) override;
    unsigned Seek(unsigned nOffset) override;
    unsigned GetSize() override;

    unsigned WriteInt32Array(const int32_t* pData, unsigned nCount) override;
    unsigned ReadInt32Array(int32_t* pData, unsigned nCount) override;
    unsigned WriteUInt32Array(const uint32_t* pData, unsigned nCount) override;
    unsigned ReadUInt32Array(uint32_t* pData, unsigned nCount) override;
    unsigned WriteInt16Array(const int16_t* pData, unsigned nCount) override;
    unsigned ReadInt16Array(int16_t* pData, unsigned nCount) override;
    unsigned WriteFloatArray(const float* pData, unsigned nCount) override;
    unsigned ReadFloatArray(float* pData, unsigned nCount) override;
    unsigned WriteWordArray(const uint32_t* pData, unsigned nCount) override;
    unsigned ReadWordArray(uint32_t* pData, unsigned nCount) override;
    unsigned WriteShortArray(const uint16_t* pData, unsigned nCount) override;
    unsigned ReadShortArray(uint16_t* pData, unsigned nCount) override;

private:
    // Arrays whose elements pass through the little-endian conversion (the
    // float and word variants) on their way to and from the file.
    template <typename T> unsigned WriteConverted(const T* pData, unsigned nCount);
    template <typename T> unsigned ReadConverted(T* pData, unsigned nCount);

    uint32_t size; // bytes, as found when opened; 0 while closed
    int handle; // platform file handle; invalid while closed
};

// A new closed file object, or null when memory runs out.
IFile* CreateFileObject();

} // namespace utils
