#include "MemoryStream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

bool CMemoryStream::ReadAll(int nDescriptor)
{
    unsigned char buffer[1 << 16];
    while (true) {
        const ssize_t nRead = ::read(nDescriptor, buffer, sizeof(buffer));
        if (nRead == 0)
            return true;
        if (nRead < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        mBytes.insert(mBytes.end(), buffer, buffer + nRead);
    }
}

bool CMemoryStream::WriteAll(int nDescriptor) const
{
    size_t nDone = 0;
    while (nDone < mBytes.size()) {
        const ssize_t nWritten = ::write(nDescriptor, mBytes.data() + nDone, mBytes.size() - nDone);
        if (nWritten < 0 && errno == EINTR)
            continue;
        if (nWritten <= 0)
            return false;
        nDone += static_cast<size_t>(nWritten);
    }
    return true;
}

SF_VIRTUAL_IO& CMemoryStream::GetCallbacks()
{
    static SF_VIRTUAL_IO callbacks = {&GetLength, &Seek, &Read, &Write, &Tell};
    return callbacks;
}

sf_count_t CMemoryStream::GetLength(void* pUser)
{
    return static_cast<sf_count_t>(static_cast<CMemoryStream*>(pUser)->mBytes.size());
}

sf_count_t CMemoryStream::Seek(sf_count_t nOffset, int nWhence, void* pUser)
{
    CMemoryStream& stream = *static_cast<CMemoryStream*>(pUser);
    sf_count_t nBase = 0;
    if (nWhence == SEEK_CUR)
        nBase = static_cast<sf_count_t>(stream.mnPosition);
    else if (nWhence == SEEK_END)
        nBase = static_cast<sf_count_t>(stream.mBytes.size());
    const sf_count_t nTarget = nBase + nOffset;
    if (nTarget < 0)
        return -1;
    stream.mnPosition = static_cast<size_t>(nTarget);
    return nTarget;
}

sf_count_t CMemoryStream::Read(void* pBuffer, sf_count_t nCount, void* pUser)
{
    CMemoryStream& stream = *static_cast<CMemoryStream*>(pUser);
    if (nCount <= 0 || stream.mnPosition >= stream.mBytes.size())
        return 0;
    const size_t nTake = std::min(static_cast<size_t>(nCount), stream.mBytes.size() - stream.mnPosition);
    std::memcpy(pBuffer, stream.mBytes.data() + stream.mnPosition, nTake);
    stream.mnPosition += nTake;
    return static_cast<sf_count_t>(nTake);
}

sf_count_t CMemoryStream::Write(const void* pBuffer, sf_count_t nCount, void* pUser)
{
    CMemoryStream& stream = *static_cast<CMemoryStream*>(pUser);
    if (nCount <= 0)
        return 0;
    const size_t nEnd = stream.mnPosition + static_cast<size_t>(nCount);
    if (nEnd > stream.mBytes.size())
        stream.mBytes.resize(nEnd);
    std::memcpy(stream.mBytes.data() + stream.mnPosition, pBuffer, static_cast<size_t>(nCount));
    stream.mnPosition = nEnd;
    return nCount;
}

sf_count_t CMemoryStream::Tell(void* pUser)
{
    return static_cast<sf_count_t>(static_cast<CMemoryStream*>(pUser)->mnPosition);
}
