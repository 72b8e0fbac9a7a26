// The resource container over a memory file: loaded from disk and saved back,
// or held in memory only and never written to disk.
#pragma once

#include "toolkit/epiDiskResFile.h"
#include "toolkit/epiRamFile.h"

#include <cstdint>

class epiRamResFile : public epiDiskResFile {
public:
    epiRamResFile();
    ~epiRamResFile() override;

    // Creates an epiRamFile.
    epiDiskFile* GetFile() override;
    // Flushes and frees the directory; in memory-only mode the image then ends
    // exactly at the data end and stays in memory, otherwise the memory file
    // is closed, which writes it to disk.
    bool Close() override;

    // An empty, dirty container in memory (capacity 1000); nothing is written
    // until it is flushed or closed.
    virtual bool CreateInMemory(int32_t nInitialBytes);
    // CreateInMemory, then the bytes copied into the memory block; call
    // AttachSize to read them as a container.
    virtual bool CreateFromMemory(int32_t nSize, const void* pBytes);
    // The memory block and its logical size; null and 0 unless memory only.
    virtual const uint8_t* GetBuffer();
    virtual int32_t GetBufferSize();
    // Takes the first nSize bytes of the memory block as a container image and
    // reads its header and directory. A bad image leaves the container closed.
    virtual bool AttachSize(int32_t nSize);

private:
    epiRamFile* RamFile() { return static_cast<epiRamFile*>(GetFile()); }

    bool mbMemoryOnly;
};
