#include "InputStream.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A read further ahead than this from what a stream has delivered is a
// parser looking for the end, not reading on.
constexpr long long kLongestSkip = 1 << 20;

} // namespace

CInputStream::~CInputStream()
{
    if (mbOwned && mnDescriptor >= 0)
        ::close(mnDescriptor);
}

bool CInputStream::Attach(int nDescriptor, bool bOwned)
{
    mnDescriptor = nDescriptor;
    mbOwned = bOwned;
    struct stat info;
    if (::fstat(nDescriptor, &info) != 0)
        return false;
    mbFolder = S_ISDIR(info.st_mode);
    // Block devices and regular files can be read anywhere; the rest once.
    mbSeekable = (S_ISREG(info.st_mode) || S_ISBLK(info.st_mode)) && ::lseek(nDescriptor, 0, SEEK_CUR) >= 0;
    if (mbSeekable) {
        mnLength = S_ISREG(info.st_mode) ? static_cast<long long>(info.st_size)
                                         : static_cast<long long>(::lseek(nDescriptor, 0, SEEK_END));
    } else {
        mWindow.resize(kWindowBytes);
    }
    return true;
}

std::vector<unsigned char> CInputStream::GetHead() const
{
    if (!mbSeekable)
        return mHead;
    std::vector<unsigned char> head(static_cast<size_t>(std::min<long long>(kHeadBytes, mnLength)));
    const ssize_t nRead = ::pread(mnDescriptor, head.data(), head.size(), 0);
    head.resize(nRead > 0 ? static_cast<size_t>(nRead) : 0);
    return head;
}

bool CInputStream::PeekHead(size_t nBytes, std::vector<unsigned char>& head)
{
    nBytes = std::min(nBytes, kHeadBytes);
    if (mbSeekable) {
        head.resize(static_cast<size_t>(std::min<long long>(static_cast<long long>(nBytes), mnLength)));
        const ssize_t nRead = ::pread(mnDescriptor, head.data(), head.size(), 0);
        if (nRead < 0) {
            mnError = errno;
            return false;
        }
        head.resize(static_cast<size_t>(nRead));
        return true;
    }
    if (!Fill(static_cast<long long>(nBytes)))
        return false;
    head.assign(mHead.begin(), mHead.begin() + static_cast<std::ptrdiff_t>(std::min(nBytes, mHead.size())));
    return true;
}

std::vector<unsigned char> CInputStream::GetTail() const
{
    const long long nEnd = mbSeekable ? mnLength : mnTaken;
    const long long nFrom = std::max(0LL, nEnd - static_cast<long long>(kWindowBytes));
    std::vector<unsigned char> tail(static_cast<size_t>(nEnd - nFrom));
    size_t nGot = 0;
    if (mbSeekable) {
        const ssize_t nRead = ::pread(mnDescriptor, tail.data(), tail.size(), nFrom);
        nGot = nRead > 0 ? static_cast<size_t>(nRead) : 0;
    } else {
        nGot = CopyHeld(nFrom, tail.data(), tail.size());
    }
    tail.resize(nGot);
    return tail;
}

SF_VIRTUAL_IO& CInputStream::GetCallbacks()
{
    static SF_VIRTUAL_IO callbacks = { &GetLength, &Seek, &Read, &Write, &Tell };
    return callbacks;
}

sf_count_t CInputStream::GetLength(void* pUser)
{
    const CInputStream& stream = *static_cast<CInputStream*>(pUser);
    // A stream's length is unknown: as long as it goes on.
    return stream.mbSeekable ? stream.mnLength : LLONG_MAX;
}

sf_count_t CInputStream::Seek(sf_count_t nOffset, int nWhence, void* pUser)
{
    CInputStream& stream = *static_cast<CInputStream*>(pUser);
    long long nBase = 0;
    if (nWhence == SEEK_CUR)
        nBase = stream.mnPosition;
    else if (nWhence == SEEK_END)
        nBase = stream.mbSeekable ? stream.mnLength : LLONG_MAX;
    if (nOffset > 0 && nBase > LLONG_MAX - nOffset)
        return -1;
    const long long nTarget = nBase + nOffset;
    if (nTarget < 0)
        return -1;
    stream.mnPosition = nTarget;
    return nTarget;
}

sf_count_t CInputStream::Tell(void* pUser)
{
    return static_cast<CInputStream*>(pUser)->mnPosition;
}

sf_count_t CInputStream::Write(const void*, sf_count_t, void*)
{
    return 0;
}

sf_count_t CInputStream::Read(void* pBuffer, sf_count_t nCount, void* pUser)
{
    CInputStream& stream = *static_cast<CInputStream*>(pUser);
    if (nCount <= 0)
        return 0;
    unsigned char* pBytes = static_cast<unsigned char*>(pBuffer);
    const sf_count_t nRead = stream.mbSeekable ? stream.ReadFile(pBytes, nCount) : stream.ReadStream(pBytes, nCount);
    stream.mnPosition += nRead;
    return nRead;
}

sf_count_t CInputStream::ReadFile(unsigned char* pBuffer, sf_count_t nCount)
{
    sf_count_t nDone = 0;
    while (nDone < nCount) {
        const ssize_t nRead
            = ::pread(mnDescriptor, pBuffer + nDone, static_cast<size_t>(nCount - nDone), mnPosition + nDone);
        if (nRead < 0 && errno == EINTR)
            continue;
        if (nRead < 0 && mnError == 0)
            mnError = errno;
        if (nRead <= 0)
            break;
        nDone += nRead;
    }
    return nDone;
}

sf_count_t CInputStream::ReadStream(unsigned char* pBuffer, sf_count_t nCount)
{
    if (mnPosition > mnTaken + kLongestSkip)
        return 0;
    if (mnPosition + nCount > mnTaken && !Fill(mnPosition + nCount))
        return 0;
    return static_cast<sf_count_t>(CopyHeld(mnPosition, pBuffer, static_cast<size_t>(nCount)));
}

bool CInputStream::Fill(long long nEnd)
{
    unsigned char buffer[1 << 16];
    while (mnTaken < nEnd && !mbEnded) {
        const size_t nWant = static_cast<size_t>(std::min<long long>(sizeof(buffer), nEnd - mnTaken));
        const ssize_t nRead = ::read(mnDescriptor, buffer, nWant);
        if (nRead < 0 && errno == EINTR)
            continue;
        if (nRead < 0) {
            if (mnError == 0)
                mnError = errno;
            return false;
        }
        if (nRead == 0) {
            mbEnded = true;
            break;
        }
        for (ssize_t i = 0; i < nRead; ++i) {
            const long long nAt = mnTaken + i;
            if (nAt < static_cast<long long>(kHeadBytes))
                mHead.push_back(buffer[i]);
            mWindow[static_cast<size_t>(nAt % static_cast<long long>(kWindowBytes))] = buffer[i];
        }
        mnTaken += nRead;
    }
    return true;
}

size_t CInputStream::CopyHeld(long long nFrom, unsigned char* pBuffer, size_t nCount) const
{
    const long long nWindowStart = std::max(0LL, mnTaken - static_cast<long long>(kWindowBytes));
    size_t nDone = 0;
    for (; nDone < nCount; ++nDone) {
        const long long nAt = nFrom + static_cast<long long>(nDone);
        if (nAt >= mnTaken)
            break;
        if (nAt >= nWindowStart)
            pBuffer[nDone] = mWindow[static_cast<size_t>(nAt % static_cast<long long>(kWindowBytes))];
        else if (nAt < static_cast<long long>(mHead.size()))
            pBuffer[nDone] = mHead[static_cast<size_t>(nAt)];
        else
            break; // fell out of what is held: the stream cannot go back there
    }
    return nDone;
}
