// POSIX files opened for update or shared reading (the skin container).
#include "Platform.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Opens with the flags and takes the lock; only regular files count.
FileHandle OpenLocked(const std::string& sPath, int nFlags, int nLock)
{
    int hFile;
    do {
        hFile = ::open(sPath.c_str(), nFlags | O_CLOEXEC, 0644);
    } while (hFile < 0 && errno == EINTR);
    if (hFile < 0)
        return kInvalidFile;
    struct stat st { };
    if (::fstat(hFile, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(hFile);
        errno = EISDIR;
        return kInvalidFile;
    }
    if (::flock(hFile, nLock | LOCK_NB) != 0) {
        const int nError = errno;
        ::close(hFile);
        errno = nError;
        return kInvalidFile;
    }
    ::posix_fadvise(hFile, 0, 0, POSIX_FADV_RANDOM);
    return hFile;
}

} // namespace

FileHandle OpenFileShared(const std::string& sPath)
{
    return OpenLocked(sPath, O_RDONLY, LOCK_SH);
}

FileHandle OpenFileForUpdate(const std::string& sPath, bool bCreate)
{
    return OpenLocked(sPath, O_RDWR | (bCreate ? O_CREAT : 0), LOCK_EX);
}

unsigned TellFile(FileHandle hFile)
{
    if (hFile == kInvalidFile)
        return 0xFFFFFFFFu;
    const off_t nAt = ::lseek(hFile, 0, SEEK_CUR);
    return nAt < 0 || nAt > static_cast<off_t>(0xFFFFFFFEu) ? 0xFFFFFFFFu : static_cast<unsigned>(nAt);
}

bool SetFileSize(FileHandle hFile, unsigned nBytes)
{
    return hFile != kInvalidFile && ::ftruncate(hFile, static_cast<off_t>(nBytes)) == 0;
}

int GetLastSystemError()
{
    return errno;
}

} // namespace platform
