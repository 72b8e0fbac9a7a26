// A seekable file in memory behind libsndfile's virtual I/O: standard input
// is read into one before decoding, and standard output is encoded into one
// and copied out at the end, so every format works through pipes.
#pragma once

#include <sndfile.h>

#include <vector>

class CMemoryStream {
public:
    // Reads the whole descriptor (until end of file); false on a read error.
    bool ReadAll(int nDescriptor);
    // Writes the bytes to the descriptor; false on a write error.
    bool WriteAll(int nDescriptor) const;

    // The callbacks libsndfile calls with this object as user data.
    static SF_VIRTUAL_IO& GetCallbacks();

    const std::vector<unsigned char>& GetBytes() const { return mBytes; }

private:
    static sf_count_t GetLength(void* pUser);
    static sf_count_t Seek(sf_count_t nOffset, int nWhence, void* pUser);
    static sf_count_t Read(void* pBuffer, sf_count_t nCount, void* pUser);
    static sf_count_t Write(const void* pBuffer, sf_count_t nCount, void* pUser);
    static sf_count_t Tell(void* pUser);

    std::vector<unsigned char> mBytes;
    size_t mnPosition = 0;
};
