// The narrow operating-system layer. Everything above platform/ reaches the
// OS only through these declarations; the POSIX implementation lives in the
// platform/*.cpp files beside this header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// --- The library's own file -------------------------------------------------

// Absolute path of the binary that contains this code (Vantor.vpa when linked
// into the plug-in, the executable when linked statically), or "" if unknown.
// Fixed when the binary is loaded: a later change of the working directory
// does not move it.
std::string GetModuleFile();

// Folder of GetModuleFile() including the trailing separator, or "".
std::string GetModuleFolder();

// The native path separator.
constexpr char kPathSeparator = '/';

// A shared library loaded at run time (how hosts load Vantor.vpa).
class CSharedLibrary {
public:
    CSharedLibrary();
    ~CSharedLibrary(); // unloads
    CSharedLibrary(const CSharedLibrary&) = delete;
    CSharedLibrary& operator=(const CSharedLibrary&) = delete;

    // Loads the file; false with GetError() telling why.
    bool Load(const std::string& sPath);
    void Unload();
    bool IsLoaded() const { return mpHandle != nullptr; }
    // Address of an exported symbol, or null.
    void* FindSymbol(const char* pszName) const;
    const std::string& GetError() const { return msError; }

private:
    void* mpHandle;
    std::string msError;
};

// --- Aligned signal blocks --------------------------------------------------

// Zero-filled block of nBytes whose start is 16-byte aligned. The raw
// allocation's address is kept in the word just before the returned block.
// Returns null when memory runs out.
void* AllocAligned(size_t nBytes);

// Releases a block from AllocAligned; null is ignored.
void FreeAligned(void* pBlock);

// --- Processor --------------------------------------------------------------

// True when the four-wide SSE kernels may be used (x86 with SSE); false on
// every other processor, which then runs the scalar kernels.
bool IsSSEUsable();

// Sets flush-to-zero and denormals-are-zero for the lifetime of the object and
// restores the caller's mode afterwards. A no-op on processors without them.
class CScopedNoDenormals {
public:
    CScopedNoDenormals();
    ~CScopedNoDenormals();
    CScopedNoDenormals(const CScopedNoDenormals&) = delete;
    CScopedNoDenormals& operator=(const CScopedNoDenormals&) = delete;

private:
    unsigned mnSavedMode;
};

// --- Time -------------------------------------------------------------------

// Milliseconds from a monotonic clock; wraps like a 32-bit tick count.
uint32_t GetTickCount();

// --- Files ------------------------------------------------------------------

using FileHandle = int;
constexpr FileHandle kInvalidFile = -1;

enum class EFileMode {
    Read, // an existing file, read only
    Create, // created or truncated, write only
};

// Opens a file exclusively (no other opener through this layer may use it
// meanwhile) with a sequential-access hint. kInvalidFile on failure.
FileHandle OpenFile(const std::string& sPath, EFileMode eMode);
void CloseFile(FileHandle hFile);

// One transfer at the current position; the count transferred, 0 on failure.
unsigned ReadFile(FileHandle hFile, void* pBuffer, unsigned nBytes);
unsigned WriteFile(FileHandle hFile, const void* pBuffer, unsigned nBytes);

// Moves to an absolute offset; the new position, or 0xFFFFFFFF on failure.
unsigned SeekFile(FileHandle hFile, unsigned nOffset);

// Size in bytes (saturated at 0xFFFFFFFF), 0 on failure.
unsigned GetFileSize(FileHandle hFile);

// Forces written data to the disk; false on failure.
bool FlushFile(FileHandle hFile);

// Renames sFrom to sTo, replacing sTo atomically; false on failure.
bool ReplaceFile(const std::string& sFrom, const std::string& sTo);

bool RemoveFile(const std::string& sPath);

// The absolute path with every symbolic link resolved, or "" when the path
// does not lead to an existing file.
std::string ResolvePath(const std::string& sPath);
bool FileExists(const std::string& sPath);

// --- Files opened for update (the skin container) ---------------------------

// Opens an existing file read only, shared with other readers: a second
// reader may open it meanwhile, an opener for update may not. kInvalidFile on
// failure.
FileHandle OpenFileShared(const std::string& sPath);

// Opens a file for reading and writing at offset 0 without truncating it,
// exclusively. With bCreate a missing file is created empty; without it a
// missing file fails. kInvalidFile on failure.
FileHandle OpenFileForUpdate(const std::string& sPath, bool bCreate);

// The current position, or 0xFFFFFFFF on failure.
unsigned TellFile(FileHandle hFile);

// Cuts (or extends with zeros) the file to nBytes; false on failure.
bool SetFileSize(FileHandle hFile, unsigned nBytes);

// The system's error number of the latest failed call in this thread.
int GetLastSystemError();

// --- Folders ----------------------------------------------------------------

struct SFolderEntry {
    std::string sName; // name inside the folder, no path
    bool bIsFolder;
    bool bIsHidden; // the name starts with '.'
};

// Lists the entries of a folder, without "." and "..", in no particular
// order. False when the folder cannot be read.
bool ListFolder(const std::string& sPath, std::vector<SFolderEntry>& entries);

// Creates a folder and every missing folder above it (the umask applies).
// True when the folder exists afterwards, also when it was there already;
// false with errno set (ENOTDIR when a file stands in the way).
bool CreateFolders(const std::string& sPath);

// Whether this process may create and replace files in an existing folder;
// false with errno set otherwise.
bool CanWriteFolder(const std::string& sPath);
// Whether this process may write an existing file; false with errno set.
bool CanWriteFile(const std::string& sPath);

// The text of a system error number ("Permission denied").
std::string DescribeSystemError(int nError);

// Where the user's own data lives: $XDG_DATA_HOME, else ~/.local/share, with
// a trailing separator; "" when neither it nor HOME is set.
std::string GetUserDataFolder();

} // namespace platform
