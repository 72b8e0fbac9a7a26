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

    // Typed reads in the machine's byte order (the preset files' words): the
    // number of whole elements moved.
    virtual unsigned ReadInt32Array(int32_t* pData, unsigned nCount) = 0;
    virtual unsigned ReadUInt32Array(uint32_t* pData, unsigned nCount) = 0;

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

    unsigned ReadInt32Array(int32_t* pData, unsigned nCount) override;
    unsigned ReadUInt32Array(uint32_t* pData, unsigned nCount) override;

private:
    uint32_t size; // bytes, as found when opened; 0 while closed
    int handle; // platform file handle; invalid while closed
};

// A new closed file object, or null when memory runs out.
IFile* CreateFileObject();

} // namespace utils
