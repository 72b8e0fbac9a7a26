// The bytes of one input, opened once, behind libsndfile's virtual I/O.
// A regular file is read where libsndfile asks. Anything else (standard
// input, a named pipe, process substitution) can be read only once and only
// forwards, so the stream keeps what libsndfile may come back to: the head of
// the input (the header parsers seek back into it) and a window behind the
// read position. A jump far ahead (the WAV and AIFF parsers look past the
// audio for trailing chunks, the Ogg parser for the last page) reads as the
// end of the input instead of pulling the whole stream into memory.
#pragma once

#include <sndfile.h>

#include <string>
#include <vector>

class CInputStream {
public:
    CInputStream() = default;
    ~CInputStream();
    CInputStream(const CInputStream&) = delete;
    CInputStream& operator=(const CInputStream&) = delete;

    // Takes the descriptor (closed with the stream). False with errno set
    // when it cannot be examined.
    bool Attach(int nDescriptor, bool bOwned);

    bool IsSeekable() const { return mbSeekable; }
    int GetDescriptor() const { return mnDescriptor; }
    bool IsFolder() const { return mbFolder; }
    // The first bytes of the input (up to kHeadBytes), for header checks.
    std::vector<unsigned char> GetHead() const;
    // The first nBytes of the input (fewer if it is shorter), read ahead of
    // the decoder; false on a read error.
    bool PeekHead(size_t nBytes, std::vector<unsigned char>& head);
    // The last bytes of the input (up to kWindowBytes), for trailer checks;
    // of a stream, the last bytes read so far.
    std::vector<unsigned char> GetTail() const;
    // errno of the first failed read, 0 if none.
    int GetError() const { return mnError; }

    // The callbacks libsndfile calls with this object as user data.
    static SF_VIRTUAL_IO& GetCallbacks();

    static constexpr size_t kHeadBytes = 1 << 20;
    static constexpr size_t kWindowBytes = 1 << 18;

private:
    static sf_count_t GetLength(void* pUser);
    static sf_count_t Seek(sf_count_t nOffset, int nWhence, void* pUser);
    static sf_count_t Read(void* pBuffer, sf_count_t nCount, void* pUser);
    static sf_count_t Write(const void* pBuffer, sf_count_t nCount, void* pUser);
    static sf_count_t Tell(void* pUser);

    sf_count_t ReadFile(unsigned char* pBuffer, sf_count_t nCount);
    sf_count_t ReadStream(unsigned char* pBuffer, sf_count_t nCount);
    // Reads from the descriptor until nEnd bytes of the stream were taken in
    // or it ends; false on a read error.
    bool Fill(long long nEnd);
    // Copies of the stream bytes [nFrom, nFrom + nCount) still held; how many.
    size_t CopyHeld(long long nFrom, unsigned char* pBuffer, size_t nCount) const;

    int mnDescriptor = -1;
    bool mbOwned = false;
    bool mbSeekable = false;
    bool mbFolder = false;
    long long mnLength = 0; // of a file
    long long mnPosition = 0; // where libsndfile reads next
    int mnError = 0;
    // A stream: its first bytes, and a ring of the last kWindowBytes taken in.
    std::vector<unsigned char> mHead;
    std::vector<unsigned char> mWindow;
    long long mnTaken = 0; // bytes taken from the descriptor
    bool mbEnded = false;
};
