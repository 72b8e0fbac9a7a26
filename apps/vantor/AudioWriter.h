// The mastered file: libsndfile encodes it into a temporary file in the
// output's folder, which is renamed over the output only when every write,
// the final flush and the close succeeded and the file reads back whole; a
// failure (a full disk, a killed run) leaves no partial output and never
// touches an existing file. "-" streams to standard output as the audio
// comes.
#pragma once

#include "AudioReader.h"
#include "LoudnessMeter.h"
#include "OutputStream.h"
#include "SampleQuantiser.h"
#include "TagCopy.h"

#include <sndfile.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// --bits: keep the input's sample format, or 16, 24 bits, 32-bit float.
enum class EBitsRequest { Keep, Pcm16, Pcm24, Float32 };

struct SOutputFormat {
    int nFormat = 0; // SF_FORMAT_* container | subtype
    std::string sNote; // why the subtype differs from the input's, or ""
    double fQuality = -1; // Vorbis quality 0-10, FLAC level 0-8; -1 for the default
};

constexpr double kDefaultVorbisQuality = 6.0;

// The container comes from the output's extension (or the input's container
// for "-" and unknown extensions is a usage error); the subtype is the
// input's where the container holds it, else the request, else the nearest
// one the container has. Throws a usage error for impossible requests.
SOutputFormat ChooseOutputFormat(const std::string& sOutput, int nInputFormat, EBitsRequest eBits);
// --quality (>= 0) for the chosen format; throws a usage error where it does not apply.
void SetQuality(SOutputFormat& format, double fQuality);

class CAudioWriter {
public:
    CAudioWriter() = default;
    ~CAudioWriter(); // removes an uncommitted temporary file
    CAudioWriter(const CAudioWriter&) = delete;
    CAudioWriter& operator=(const CAudioWriter&) = delete;

    // eDither applies where the format has fewer bits than a float.
    void Open(const std::string& sPath, const SOutputFormat& format, unsigned nChannels, int nSampleRate,
        const SAudioMetadata& metadata, EDither eDither);
    // Called with the audio exactly as the file holds it (interleaved):
    // fixed-point samples as written, after dither and rounding; for lossy
    // formats the decoded file, while Close() reads it back.
    using WrittenSink = std::function<void(const float* pfInterleaved, unsigned nFrames)>;
    void SetWrittenSink(WrittenSink sink) { mWrittenSink = std::move(sink); }
    void Write(const float* pfInterleaved, unsigned nFrames);
    // The loudness of what was written, for the loudness fields of a
    // broadcast WAV's header.
    void SetLoudness(const SLoudness& loudness)
    {
        mLoudness = loudness;
        mbHasLoudness = true;
    }
    // Finishing in two steps: Close() finishes and verifies the temporary file,
    // Publish() renames it into place. Between them the file can still be
    // dropped (by destroying the writer).
    void Close();
    void Publish(bool bReplace);
    bool IsLossy() const { return mQuantiser.GetBits() == 0 && !mbFloat; }
    bool CanRetry() const { return !msTemporary.empty(); }
    long long GetDitheredSamples() const { return mQuantiser.GetDitheredSamples(); }
    // Samples that the format could not hold and were clipped.
    long long GetClippedSamples() const { return mQuantiser.GetClippedSamples(); }

private:
    void Discard();
    std::string Name() const;
    // Throws, after discarding, with the first failure's reason.
    [[noreturn]] void Fail(const std::string& sReason);
    // Reads the finished temporary file back; throws unless it holds every
    // byte written, then (after the tags went in) every frame.
    void VerifyLength();
    void VerifyFrames();
    // Fills the loudness fields of the finished file's "bext" chunk, if it has one.
    void WriteBroadcastLoudness();

    std::string msPath;
    std::string msTemporary; // "" for standard output
    COutputStream mStream;
    SNDFILE* mpFile = nullptr;
    long long mnWrittenFrames = 0;
    int mnContainer = 0;
    STagSet mTags;
    SLoudness mLoudness {};
    bool mbHasLoudness = false;
    unsigned mnChannels = 0;
    CSampleQuantiser mQuantiser;
    std::unique_ptr<int[]> mpnConverted;
    unsigned mnConvertedFrames = 0;
    bool mbFloat = false;
    WrittenSink mWrittenSink;
    std::vector<float> mWritten;
};
