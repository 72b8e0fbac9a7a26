#include "OutputStream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Held back before the first bytes go down a pipe: every header the
// encoders write fits, and most short files go out whole and exact.
constexpr size_t kHeldBytes = 1 << 16;

bool WriteAll(int nDescriptor, const unsigned char* pBytes, size_t nCount, long long nOffset, bool bAt)
{
    while (nCount > 0) {
        const ssize_t nWritten
            = bAt ? ::pwrite(nDescriptor, pBytes, nCount, nOffset) : ::write(nDescriptor, pBytes, nCount);
        if (nWritten < 0 && errno == EINTR)
            continue;
        if (nWritten < 0)
            return false;
        if (nWritten == 0) {
            errno = EIO;
            return false;
        }
        pBytes += nWritten;
        nCount -= static_cast<size_t>(nWritten);
        nOffset += nWritten;
    }
    return true;
}

void Put32(unsigned char* p, uint32_t nValue, bool bBig)
{
    for (int i = 0; i < 4; ++i)
        p[bBig ? 3 - i : i] = static_cast<unsigned char>(nValue >> (8 * i));
}

} // namespace

COutputStream::~COutputStream()
{
    if (mbOwned && mnDescriptor >= 0)
        ::close(mnDescriptor);
}

bool COutputStream::Attach(int nDescriptor, bool bOwned, int nContainer)
{
    mnDescriptor = nDescriptor;
    mbOwned = bOwned;
    mnContainer = nContainer;
    struct stat info;
    if (::fstat(nDescriptor, &info) != 0)
        return false;
    // A regular file is written where the encoder asks, from where the
    // descriptor stands (standard output may follow other output); one
    // opened for appending can only be written in order, like a pipe.
    const off_t nStart = ::lseek(nDescriptor, 0, SEEK_CUR);
    const int nFlags = ::fcntl(nDescriptor, F_GETFL);
    mbSeekable = S_ISREG(info.st_mode) && nStart >= 0 && nFlags >= 0 && (nFlags & O_APPEND) == 0;
    mnBase = mbSeekable ? static_cast<long long>(nStart) : 0;
    return true;
}

void COutputStream::Fail(int nError)
{
    if (mnError == 0)
        mnError = nError != 0 ? nError : EIO;
}

SF_VIRTUAL_IO& COutputStream::GetCallbacks()
{
    static SF_VIRTUAL_IO callbacks = { &GetLengthOf, &Seek, &Read, &Write, &Tell };
    return callbacks;
}

sf_count_t COutputStream::GetLengthOf(void* pUser)
{
    return static_cast<COutputStream*>(pUser)->mnLength;
}

sf_count_t COutputStream::Seek(sf_count_t nOffset, int nWhence, void* pUser)
{
    COutputStream& stream = *static_cast<COutputStream*>(pUser);
    const long long nBase = nWhence == SEEK_CUR ? stream.mnPosition : nWhence == SEEK_END ? stream.mnLength : 0;
    if (nBase + nOffset < 0)
        return -1;
    stream.mnPosition = nBase + nOffset;
    return stream.mnPosition;
}

sf_count_t COutputStream::Tell(void* pUser)
{
    return static_cast<COutputStream*>(pUser)->mnPosition;
}

sf_count_t COutputStream::Read(void* pBuffer, sf_count_t nCount, void* pUser)
{
    // Encoders that read back what they wrote do so from a file only.
    COutputStream& stream = *static_cast<COutputStream*>(pUser);
    if (!stream.mbSeekable || nCount <= 0)
        return 0;
    const ssize_t nRead
        = ::pread(stream.mnDescriptor, pBuffer, static_cast<size_t>(nCount), stream.mnBase + stream.mnPosition);
    if (nRead <= 0)
        return 0;
    stream.mnPosition += nRead;
    return nRead;
}

sf_count_t COutputStream::Write(const void* pBuffer, sf_count_t nCount, void* pUser)
{
    COutputStream& stream = *static_cast<COutputStream*>(pUser);
    if (nCount <= 0)
        return 0;
    // After a failure nothing more is written, and the encoder hears of it.
    if (stream.mnError != 0)
        return 0;
    const unsigned char* pBytes = static_cast<const unsigned char*>(pBuffer);
    if (stream.mbSeekable)
        stream.WriteFile(pBytes, nCount);
    else
        stream.WritePipe(pBytes, nCount);
    if (stream.mnError != 0)
        return 0;
    stream.mnPosition += nCount;
    stream.mnLength = std::max(stream.mnLength, stream.mnPosition);
    return nCount;
}

void COutputStream::WriteFile(const unsigned char* pBytes, sf_count_t nCount)
{
    if (!WriteAll(mnDescriptor, pBytes, static_cast<size_t>(nCount), mnBase + mnPosition, true))
        Fail(errno);
}

void COutputStream::WritePipe(const unsigned char* pBytes, sf_count_t nCount)
{
    long long nAt = mnPosition;
    // Bytes already sent cannot change; the encoder rewrites only its header.
    if (nAt < mnSent) {
        const long long nSkip = std::min<long long>(nCount, mnSent - nAt);
        pBytes += nSkip;
        nCount -= nSkip;
        nAt += nSkip;
    }
    if (nCount <= 0)
        return;
    const size_t nOffset = static_cast<size_t>(nAt - mnSent);
    if (mHeld.size() < nOffset + static_cast<size_t>(nCount))
        mHeld.resize(nOffset + static_cast<size_t>(nCount));
    std::memcpy(mHeld.data() + nOffset, pBytes, static_cast<size_t>(nCount));
    // Once the header is surely complete, send whatever the encoder appends.
    if (mHeld.size() >= 2 * kHeldBytes && nAt + nCount == mnSent + static_cast<long long>(mHeld.size()))
        Send();
}

void COutputStream::Send()
{
    if (mHeld.empty())
        return;
    if (!mbHeaderSent) {
        MarkUnknownLength();
        mbHeaderSent = true;
    }
    if (!WriteAll(mnDescriptor, mHeld.data(), mHeld.size(), 0, false))
        Fail(errno);
    mnSent += static_cast<long long>(mHeld.size());
    mHeld.clear();
}

void COutputStream::MarkUnknownLength()
{
    // WAV: the RIFF and data sizes; AIFF: the FORM and sound data sizes.
    const bool bWave = mnContainer == SF_FORMAT_WAV;
    const bool bAiff = mnContainer == SF_FORMAT_AIFF;
    if ((!bWave && !bAiff) || mHeld.size() < 12)
        return;
    unsigned char* p = mHeld.data();
    Put32(p + 4, 0xFFFFFFFFu, bAiff);
    for (size_t nAt = 12; nAt + 8 <= mHeld.size();) {
        unsigned char* pChunk = p + nAt;
        if (std::memcmp(pChunk, bWave ? "data" : "SSND", 4) == 0) {
            Put32(pChunk + 4, 0xFFFFFFFFu, bAiff);
            return;
        }
        const uint32_t nChunk = bWave ? (pChunk[4] | pChunk[5] << 8 | pChunk[6] << 16 | uint32_t(pChunk[7]) << 24)
                                      : (uint32_t(pChunk[4]) << 24 | pChunk[5] << 16 | pChunk[6] << 8 | pChunk[7]);
        nAt += 8 + static_cast<size_t>(nChunk) + (nChunk & 1);
    }
}

bool COutputStream::Finish()
{
    if (!mbSeekable && mnError == 0) {
        // A short stream goes out whole, with the header the encoder finished.
        mbHeaderSent = mbHeaderSent || mnSent == 0;
        Send();
    }
    if (mbSeekable && mnError == 0 && ::fsync(mnDescriptor) != 0)
        Fail(errno);
    // Whatever writes to the descriptor next follows the audio.
    if (mbSeekable && !mbOwned)
        ::lseek(mnDescriptor, mnBase + mnLength, SEEK_SET);
    if (mbOwned && mnDescriptor >= 0) {
        if (::close(mnDescriptor) != 0)
            Fail(errno);
        mnDescriptor = -1;
    }
    return mnError == 0;
}
