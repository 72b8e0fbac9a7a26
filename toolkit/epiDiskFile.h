// A byte file on disk, opened by mode flags and addressed by toolkit paths.
#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <string>

// Open mode bits.
enum : int {
    kEpiOpenRead = 1,
    kEpiOpenWrite = 2, // read and write; must exist unless kEpiOpenCreate; starts at the end
    kEpiOpenCreate = 4, // with kEpiOpenWrite: create when opening an existing file fails
    kEpiOpenDeleteFirst = 8, // with kEpiOpenWrite: remove the file before opening
    kEpiOpenAtEnd = 16,
    kEpiOpenRefuse = 64, // the open fails at once
};

// Seek origins.
enum : int { kEpiSeekStart = 0, kEpiSeekEnd = 1, kEpiSeekCurrent = 2 };

class epiDiskFile {
public:
    epiDiskFile();
    virtual ~epiDiskFile(); // closes
    epiDiskFile(const epiDiskFile&) = delete;
    epiDiskFile& operator=(const epiDiskFile&) = delete;

    // Converts the toolkit path to a native one and opens it (OpenNative).
    // Fails when already open. Records the system error toolkit-wide.
    bool Open(const std::string& sToolkitPath, int nMode);
    // Fails when not open. A file opened for writing is cut at the current
    // position first.
    virtual bool Close();
    // True only when exactly nCount bytes were read.
    virtual bool Read(int32_t nCount, void* pBuffer);
    virtual bool Write(int32_t nCount, const void* pBuffer);
    virtual bool Seek(int32_t nOffset, int nOrigin);
    // The position, or 0 on failure.
    int32_t Tell();
    virtual bool GetPosition(int32_t& nPosition);
    virtual bool GetSize(int32_t& nSize);
    virtual bool Flush();
    bool OpenReadOnly(const std::string& sToolkitPath) { return Open(sToolkitPath, kEpiOpenRead); }
    // Read, write, create, delete first: a new empty file.
    bool Create(const std::string& sToolkitPath)
    {
        return Open(sToolkitPath, kEpiOpenRead | kEpiOpenWrite | kEpiOpenCreate | kEpiOpenDeleteFirst);
    }

    bool IsOpen() const { return mbOpen; }
    int GetMode() const { return miMode; }

protected:
    // Opens the native path with the mode; the part a memory file replaces.
    virtual bool OpenNative(const std::string& sNativePath, int nMode);
    // The disk side, shared with the memory file that loads and saves.
    bool OpenDisk(const std::string& sNativePath, int nMode);
    void CloseDisk();

    platform::FileHandle mhFile;
    int miMode;
    bool mbOpen;
};
