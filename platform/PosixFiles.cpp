// POSIX files and folders.
#include "Platform.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

FileHandle OpenFile(const std::string& sPath, EFileMode eMode)
{
    // Truncation waits until the lock is held, so a refused open changes nothing.
    const int nFlags = eMode == EFileMode::Read ? O_RDONLY : (O_WRONLY | O_CREAT);
    int hFile;
    do {
        hFile = ::open(sPath.c_str(), nFlags | O_CLOEXEC, 0644);
    } while (hFile < 0 && errno == EINTR);
    if (hFile < 0)
        return kInvalidFile;

    // Folders open for reading on POSIX; they are not files.
    struct stat st { };
    if (::fstat(hFile, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int nError = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(hFile);
        errno = nError; // the caller says why
        return kInvalidFile;
    }
    // Exclusive use, as an unshared open would give: a second opener fails.
    if (::flock(hFile, LOCK_EX | LOCK_NB) != 0) {
        ::close(hFile);
        return kInvalidFile;
    }
    if (eMode == EFileMode::Create && ::ftruncate(hFile, 0) != 0) {
        ::close(hFile);
        return kInvalidFile;
    }
    ::posix_fadvise(hFile, 0, 0, POSIX_FADV_SEQUENTIAL);
    return hFile;
}

void CloseFile(FileHandle hFile)
{
    if (hFile != kInvalidFile)
        ::close(hFile);
}

unsigned ReadFile(FileHandle hFile, void* pBuffer, unsigned nBytes)
{
    if (hFile == kInvalidFile || (pBuffer == nullptr && nBytes > 0))
        return 0;
    ssize_t nDone;
    do {
        nDone = ::read(hFile, pBuffer, nBytes);
    } while (nDone < 0 && errno == EINTR);
    return nDone < 0 ? 0u : static_cast<unsigned>(nDone);
}

unsigned WriteFile(FileHandle hFile, const void* pBuffer, unsigned nBytes)
{
    if (hFile == kInvalidFile || (pBuffer == nullptr && nBytes > 0))
        return 0;
    // A short write is followed by another, which either goes on or fails
    // with the reason (a full disk) in errno.
    unsigned nDone = 0;
    while (nDone < nBytes) {
        const ssize_t nWritten = ::write(hFile, static_cast<const char*>(pBuffer) + nDone, nBytes - nDone);
        if (nWritten < 0 && errno == EINTR)
            continue;
        if (nWritten <= 0)
            break;
        nDone += static_cast<unsigned>(nWritten);
    }
    return nDone;
}

unsigned SeekFile(FileHandle hFile, unsigned nOffset)
{
    if (hFile == kInvalidFile)
        return 0xFFFFFFFFu;
    const off_t nAt = ::lseek(hFile, static_cast<off_t>(nOffset), SEEK_SET);
    return nAt < 0 ? 0xFFFFFFFFu : static_cast<unsigned>(nAt);
}

unsigned GetFileSize(FileHandle hFile)
{
    struct stat st { };
    if (hFile == kInvalidFile || ::fstat(hFile, &st) != 0)
        return 0;
    if (st.st_size > static_cast<off_t>(0xFFFFFFFFu))
        return 0xFFFFFFFFu;
    return static_cast<unsigned>(st.st_size);
}

bool FlushFile(FileHandle hFile)
{
    return hFile != kInvalidFile && ::fsync(hFile) == 0;
}

bool ReplaceFile(const std::string& sFrom, const std::string& sTo)
{
    return std::rename(sFrom.c_str(), sTo.c_str()) == 0;
}

bool RemoveFile(const std::string& sPath)
{
    return ::unlink(sPath.c_str()) == 0;
}

std::string ResolvePath(const std::string& sPath)
{
    char* pszReal = ::realpath(sPath.c_str(), nullptr);
    if (pszReal == nullptr)
        return std::string();
    std::string sReal = pszReal;
    std::free(pszReal);
    return sReal;
}

bool FileExists(const std::string& sPath)
{
    struct stat st { };
    return ::stat(sPath.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool ListFolder(const std::string& sPath, std::vector<SFolderEntry>& entries)
{
    entries.clear();
    DIR* pDir = ::opendir(sPath.c_str());
    if (pDir == nullptr)
        return false;
    std::string sBase = sPath;
    if (!sBase.empty() && sBase.back() != kPathSeparator)
        sBase += kPathSeparator;
    while (const dirent* pEntry = ::readdir(pDir)) {
        const std::string sName = pEntry->d_name;
        if (sName == "." || sName == "..")
            continue;
        bool bIsFolder = pEntry->d_type == DT_DIR;
        if (pEntry->d_type == DT_UNKNOWN || pEntry->d_type == DT_LNK) {
            struct stat st { };
            bIsFolder = ::stat((sBase + sName).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        entries.push_back(SFolderEntry { sName, bIsFolder, sName[0] == '.' });
    }
    ::closedir(pDir);
    return true;
}

bool CreateFolders(const std::string& sPath)
{
    if (sPath.empty()) {
        errno = ENOENT;
        return false;
    }
    // Each folder along the path, the path itself last.
    for (size_t nSlash = sPath.find('/', 1);; nSlash = sPath.find('/', nSlash + 1)) {
        const std::string sPart = sPath.substr(0, nSlash);
        if (::mkdir(sPart.c_str(), 0777) != 0 && errno != EEXIST)
            return false;
        struct stat st { };
        if (::stat(sPart.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
            errno = ENOTDIR;
            return false;
        }
        if (nSlash == std::string::npos)
            return true;
    }
}

bool CanWriteFolder(const std::string& sPath)
{
    struct stat st { };
    if (::stat(sPath.c_str(), &st) != 0)
        return false;
    if (!S_ISDIR(st.st_mode)) {
        errno = ENOTDIR;
        return false;
    }
    // Permission bits do not tell for root or read-only file systems: a
    // file made and removed again does.
    const std::string sProbe
        = sPath + (sPath.back() == '/' ? "" : "/") + ".vantor-write-test-" + std::to_string(::getpid());
    const int nFile = ::open(sProbe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (nFile < 0)
        return errno == EEXIST;
    ::close(nFile);
    ::unlink(sProbe.c_str());
    return true;
}

bool CanWriteFile(const std::string& sPath)
{
    const int nFile = ::open(sPath.c_str(), O_WRONLY | O_CLOEXEC);
    if (nFile < 0)
        return false;
    ::close(nFile);
    return true;
}

std::string DescribeSystemError(int nError)
{
    return std::strerror(nError);
}

std::string GetUserDataFolder()
{
    // The XDG base directory rules: only an absolute path counts.
    const char* pszData = std::getenv("XDG_DATA_HOME");
    if (pszData != nullptr && pszData[0] == '/') {
        std::string sFolder = pszData;
        return sFolder.back() == '/' ? sFolder : sFolder + '/';
    }
    const char* pszHome = std::getenv("HOME");
    if (pszHome == nullptr || pszHome[0] == '\0')
        return std::string();
    std::string sHome = pszHome;
    return (sHome.back() == '/' ? sHome : sHome + '/') + ".local/share/";
}

} // namespace platform
