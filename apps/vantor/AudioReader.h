// An audio file read with libsndfile (WAV, AIFF, FLAC, Ogg and whatever else
// it knows), or standard input for "-". Every input is opened once and read
// from start to end, so pipes and process substitution work like files.
// Samples arrive as interleaved floats at full scale 1.0.
#pragma once

#include "InputStream.h"
#include "TagCopy.h"

#include <sndfile.h>

#include <string>
#include <utility>
#include <vector>

// What libsndfile can carry from one file to another.
struct SAudioMetadata {
    std::vector<std::pair<int, std::string>> strings; // SF_STR_* id, text
    bool bHasBroadcastInfo = false;
    SF_BROADCAST_INFO broadcastInfo {};
    STagSet tags; // every tag TagLib reads, for the finished output file
};

class CAudioReader {
public:
    CAudioReader() = default;
    ~CAudioReader();
    CAudioReader(const CAudioReader&) = delete;
    CAudioReader& operator=(const CAudioReader&) = delete;

    // Opens the input and checks it is something the tool can master: mono
    // or stereo at a usable rate. Throws a CToolError saying why not.
    void Open(const std::string& sPath);

    int GetFormat() const { return mInfo.format; }
    int GetSampleRate() const { return mInfo.samplerate; }
    unsigned GetChannels() const { return static_cast<unsigned>(mInfo.channels); }
    // The length the input announces, 0 when it does not (a stream).
    long long GetAnnouncedFrames() const { return mnPromised; }
    const SAudioMetadata& GetMetadata() const { return mMetadata; }

    // Reads up to nFrames frames; 0 at the end. Throws when the input cannot
    // be read at all; a decoder that gives up part way ends the input early
    // (GetDamage() tells).
    unsigned Read(float* pfInterleaved, unsigned nFrames);
    long long GetFramesRead() const { return mnRead; }
    // After the end: why the input is shorter than it says, or "" when it
    // was read whole.
    std::string GetDamage() const;

private:
    std::string Name() const;

    std::string msPath;
    CInputStream mStream;
    SNDFILE* mpFile = nullptr;
    SF_INFO mInfo {};
    SAudioMetadata mMetadata;
    long long mnPromised = 0;
    long long mnRead = 0;
    bool mbEnded = false;
    std::string msDecoderError;
};
