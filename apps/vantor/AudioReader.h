// An audio file read with libsndfile (WAV, AIFF, FLAC, Ogg and whatever else
// it knows), or standard input for "-". Samples arrive as interleaved floats
// at full scale 1.0.
#pragma once

#include "MemoryStream.h"

#include <sndfile.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

// What libsndfile can carry from one file to another.
struct SAudioMetadata {
    std::vector<std::pair<int, std::string>> strings; // SF_STR_* id, text
    bool bHasBroadcastInfo = false;
    SF_BROADCAST_INFO broadcastInfo{};
};

class CAudioReader {
public:
    CAudioReader() = default;
    ~CAudioReader();
    CAudioReader(const CAudioReader&) = delete;
    CAudioReader& operator=(const CAudioReader&) = delete;

    // Opens the file and checks it is something the tool can master: mono or
    // stereo, at least one frame. Throws a CToolError saying why not.
    void Open(const std::string& sPath);

    const std::string& GetPath() const { return msPath; }
    const SF_INFO& GetInfo() const { return mInfo; }
    unsigned GetChannels() const { return static_cast<unsigned>(mInfo.channels); }
    long long GetFrames() const { return static_cast<long long>(mInfo.frames); }
    double GetSampleRate() const { return mInfo.samplerate; }
    const SAudioMetadata& GetMetadata() const { return mMetadata; }

    // Reads up to nFrames frames; fewer at the end; throws on a read error.
    unsigned Read(float* pfInterleaved, unsigned nFrames);
    // Moves to a frame; throws when the file cannot seek there.
    void Seek(long long nFrame);

private:
    std::string msPath;
    SNDFILE* mpFile = nullptr;
    SF_INFO mInfo{};
    std::unique_ptr<CMemoryStream> mpStandardInput;
    SAudioMetadata mMetadata;
};
