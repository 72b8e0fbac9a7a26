// Where libsndfile's encoder writes, through its virtual I/O, so that every
// byte is accounted for: the first failed or short write is kept (libsndfile
// does not report every one: its FLAC and Ogg encoders drop the errors of
// their last pages), and Finish() flushes, syncs and closes with each step
// checked. A file (or standard output redirected to one) is written where
// the encoder asks. A pipe is written as the audio comes: the stream holds
// back the first bytes until the header is complete, marks a WAV or AIFF
// header as of unknown length (the encoder fills in the real length only at
// the end, when it is too late for a pipe) and drops the encoder's late
// rewrites of bytes already sent.
#pragma once

#include <sndfile.h>

#include <vector>

class COutputStream {
public:
    COutputStream() = default;
    ~COutputStream();
    COutputStream(const COutputStream&) = delete;
    COutputStream& operator=(const COutputStream&) = delete;

    // nContainer: SF_FORMAT_WAV etc., for the header of a pipe. False with
    // errno set when the descriptor cannot be examined.
    bool Attach(int nDescriptor, bool bOwned, int nContainer);
    bool IsSeekable() const { return mbSeekable; }

    // Sends what is held back, syncs a file and closes an owned descriptor.
    // False when this or any earlier write failed; GetError() says why.
    bool Finish();
    // errno of the first failure, 0 if none.
    int GetError() const { return mnError; }
    // Bytes in the file (of a pipe: bytes sent).
    long long GetLength() const { return mnLength; }

    // The callbacks libsndfile calls with this object as user data.
    static SF_VIRTUAL_IO& GetCallbacks();

private:
    static sf_count_t GetLengthOf(void* pUser);
    static sf_count_t Seek(sf_count_t nOffset, int nWhence, void* pUser);
    static sf_count_t Read(void* pBuffer, sf_count_t nCount, void* pUser);
    static sf_count_t Write(const void* pBuffer, sf_count_t nCount, void* pUser);
    static sf_count_t Tell(void* pUser);

    void WriteFile(const unsigned char* pBytes, sf_count_t nCount);
    void WritePipe(const unsigned char* pBytes, sf_count_t nCount);
    // Sends the held bytes down the pipe.
    void Send();
    void MarkUnknownLength();
    void Fail(int nError);

    int mnDescriptor = -1;
    bool mbOwned = false;
    bool mbSeekable = false;
    int mnContainer = 0;
    int mnError = 0;
    long long mnBase = 0; // where a file's bytes start
    long long mnPosition = 0;
    long long mnLength = 0;
    // A pipe: bytes from mnSent on, not yet sent.
    std::vector<unsigned char> mHeld;
    long long mnSent = 0;
    bool mbHeaderSent = false;
};
