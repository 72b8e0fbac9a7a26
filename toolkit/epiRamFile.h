// The byte-file interface over a growable memory block, optionally loaded
// from a disk file and saved back to it when closed.
#pragma once

#include "toolkit/epiDiskFile.h"

#include <cstdint>
#include <memory>

class epiRamFile : public epiDiskFile {
public:
    // Memory grows in steps of this many bytes.
    static constexpr int32_t kGrowthStep = 2048;
    // A block never grows past this (hostile offsets must not exhaust memory).
    static constexpr int32_t kMaxCapacity = 256 * 1024 * 1024;

    epiRamFile();
    ~epiRamFile() override;

    // With a disk file opened for writing, writes the first position-many
    // bytes to it from offset 0 and closes it. Position 0 afterwards.
    bool Close() override;
    // Fails, moving nothing, when position + count passes the size.
    bool Read(int32_t nCount, void* pBuffer) override;
    // Grows as needed; position and size both become the end of the write, so
    // a write in the middle shortens the logical size.
    bool Write(int32_t nCount, const void* pBuffer) override;
    // Grows the block when the new position passes the capacity.
    bool Seek(int32_t nOffset, int nOrigin) override;
    bool GetPosition(int32_t& nPosition) override;
    bool GetSize(int32_t& nSize) override;
    bool Flush() override;
    // No change when n is below the capacity, else grows to hold n bytes.
    virtual bool Reserve(int32_t nBytes);

    // Marks the file open in memory only, with mode, size and position set.
    void OpenInMemory(int nMode);
    void SetSize(int32_t nSize);
    uint8_t* GetBlock() { return mpBlock.get(); }
    int32_t GetCapacity() const { return mnCapacity; }
    int32_t GetLogicalSize() const { return mnSize; }

protected:
    bool OpenNative(const std::string& sNativePath, int nMode) override;

private:
    bool Grow(int64_t nBytes);

    std::unique_ptr<uint8_t[]> mpBlock;
    int32_t mnCapacity;
    int32_t mnSize;
    int32_t mnPosition;
};
