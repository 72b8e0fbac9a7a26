#include "SpoolFile.h"

#include "ToolError.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

std::string Folder()
{
    const char* pszFolder = std::getenv("TMPDIR");
    return pszFolder != nullptr && pszFolder[0] != '\0' ? pszFolder : "/tmp";
}

} // namespace

CSpoolFile::CSpoolFile(unsigned nChannels)
    : mnChannels(nChannels)
{
    const std::string sFolder = Folder();
    mnDescriptor = ::open(sFolder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (mnDescriptor < 0) {
        // File systems without O_TMPFILE: a named file, unlinked at once.
        std::string sName = sFolder + "/vantor-spool-XXXXXX";
        mnDescriptor = ::mkostemp(sName.data(), O_CLOEXEC);
        if (mnDescriptor >= 0)
            ::unlink(sName.c_str());
    }
    if (mnDescriptor < 0)
        throw FailureError("cannot make a temporary file in '" + sFolder + "': " + std::strerror(errno));
}

CSpoolFile::~CSpoolFile()
{
    if (mnDescriptor >= 0)
        ::close(mnDescriptor);
}

void CSpoolFile::Write(const float* pfInterleaved, unsigned nFrames)
{
    const char* pBytes = reinterpret_cast<const char*>(pfInterleaved);
    size_t nLeft = static_cast<size_t>(nFrames) * mnChannels * sizeof(float);
    off_t nAt = static_cast<off_t>(mnFrames * mnChannels * static_cast<long long>(sizeof(float)));
    while (nLeft > 0) {
        const ssize_t nWritten = ::pwrite(mnDescriptor, pBytes, nLeft, nAt);
        if (nWritten < 0 && errno == EINTR)
            continue;
        if (nWritten <= 0)
            throw FailureError(std::string("cannot write a temporary file in '") + Folder()
                + "': " + std::strerror(nWritten < 0 ? errno : ENOSPC));
        pBytes += nWritten;
        nAt += nWritten;
        nLeft -= static_cast<size_t>(nWritten);
    }
    mnFrames += nFrames;
}

void CSpoolFile::Seek(long long nFrame)
{
    mnReadFrames = nFrame < 0 ? 0 : (nFrame > mnFrames ? mnFrames : nFrame);
}

unsigned CSpoolFile::Read(float* pfInterleaved, unsigned nFrames)
{
    const unsigned nTaken = ReadAt(mnReadFrames, pfInterleaved, nFrames);
    mnReadFrames += nTaken;
    return nTaken;
}

unsigned CSpoolFile::ReadAt(long long nFrame, float* pfInterleaved, unsigned nFrames) const
{
    const long long nLeftFrames = nFrame < mnFrames ? mnFrames - nFrame : 0;
    const unsigned nTake = static_cast<unsigned>(nLeftFrames < nFrames ? nLeftFrames : nFrames);
    char* pBytes = reinterpret_cast<char*>(pfInterleaved);
    size_t nLeft = static_cast<size_t>(nTake) * mnChannels * sizeof(float);
    off_t nAt = static_cast<off_t>(nFrame * mnChannels * static_cast<long long>(sizeof(float)));
    while (nLeft > 0) {
        const ssize_t nRead = ::pread(mnDescriptor, pBytes, nLeft, nAt);
        if (nRead < 0 && errno == EINTR)
            continue;
        if (nRead <= 0)
            throw FailureError(
                std::string("cannot read back a temporary file: ") + std::strerror(nRead < 0 ? errno : EIO));
        pBytes += nRead;
        nAt += nRead;
        nLeft -= static_cast<size_t>(nRead);
    }
    return nTake;
}
