// The skin's resource container: a fixed-capacity directory of (type, id)
// keys, each pointing at one byte run of the same file, all big-endian.
//
// Header (8 bytes): version (always written 1), capacity, count, reserved,
// 16 bits each. Then capacity × 16 bytes of directory: id, type, size and
// absolute offset, 32 bits each. Data follows; new files have capacity 1000,
// so their data starts at 16008. Nothing compacts the data area: a resource
// that outgrows its run moves to the end and leaves a hole.
#pragma once

#include "toolkit/epiDiskFile.h"

#include <cstdint>
#include <memory>
#include <string>

class epiDiskResFile {
public:
    static constexpr uint16_t kNewCapacity = 1000;
    static constexpr int32_t kHeaderBytes = 8;
    static constexpr int32_t kEntryBytes = 16;
    static constexpr int32_t kFirstDataOffset = kHeaderBytes + kNewCapacity * kEntryBytes; // 16008

    struct SEntry {
        int32_t iId;
        uint32_t nType;
        uint32_t nSize;
        uint32_t nOffset;
    };

    epiDiskResFile();
    virtual ~epiDiskResFile(); // closes as Close does
    epiDiskResFile(const epiDiskResFile&) = delete;
    epiDiskResFile& operator=(const epiDiskResFile&) = delete;

    // The file object, created on first use and owned by the container.
    virtual epiDiskFile* GetFile();
    // Flushes, seeks to the data end and closes (a writable file is cut there).
    virtual bool Close();

    // Path in the toolkit form, at most 255 characters.
    bool SetPath(const std::string& sToolkitPath);
    void SetReadOnly(bool bReadOnly) { mbReadOnly = bReadOnly; }
    bool Open();
    // Fails if the file exists; writes an empty header and directory.
    bool Create();
    bool Flush();
    // Count 0, written at once; the data end stays.
    bool RemoveAll();

    bool Find(uint32_t nType, int32_t iId);
    bool Put(const void* pData, int32_t nSize, uint32_t nType, int32_t iId);
    // True only when the resource exists with exactly nSize bytes.
    bool Get(void* pBuffer, int32_t nSize, uint32_t nType, int32_t iId);
    // A zero-filled block of the stored size (at least one byte) holding the
    // resource; the caller owns it. Null on any failure.
    std::unique_ptr<uint8_t[]> GetAllocated(uint32_t nType, int32_t iId);
    bool Remove(uint32_t nType, int32_t iId);
    bool ChangeId(uint32_t nType, int32_t iOldId, int32_t iNewId);
    bool HasSize(int32_t nSize, uint32_t nType, int32_t iId);
    int32_t GetSize(uint32_t nType, int32_t iId);

    int CountOfType(uint32_t nType) const;
    // The id of the n-th entry of the type in directory order; -1 if none,
    // 0 if the container is not open.
    int32_t IdOfNth(uint32_t nType, int n) const;
    // One more than the largest id of the type (ids taken as 16-bit); 0 if none.
    int32_t UniqueId(uint32_t nType) const;
    int CountTypes() const;
    uint32_t NthType(int n) const;
    bool GetEntry(int iIndex, uint32_t* pType, int32_t* pId, int32_t* pSize) const;
    int Count() const { return mbOpen ? mnCount : 0; }

    bool IsOpen() const { return mbOpen; }
    uint16_t GetCapacity() const { return mnCapacity; }
    uint32_t GetDataEnd() const { return mnDataEnd; }

protected:
    // Reads header and directory from the open file and checks them against
    // its size: count above capacity, a directory past the end or a run past
    // the end rejects the file. On failure the directory is freed.
    bool ReadDirectory();
    bool WriteDirectory();
    // An empty directory of the new capacity.
    bool MakeEmptyDirectory();
    void FreeDirectory();

    std::unique_ptr<epiDiskFile> mpFile;
    std::string msPath;
    bool mbPathSet;
    bool mbOpen;
    bool mbReadOnly;
    bool mbDirty;
    uint16_t mnVersion;
    uint16_t mnCapacity;
    uint16_t mnCount;
    uint16_t mnReserved;
    std::unique_ptr<SEntry[]> mpDirectory;
    uint32_t mnDataEnd;
    int miCursor;
};
