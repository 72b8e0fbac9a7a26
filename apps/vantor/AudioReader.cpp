#include "AudioReader.h"

#include "ToolError.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

const int kStringIds[] = { SF_STR_TITLE, SF_STR_COPYRIGHT, SF_STR_SOFTWARE, SF_STR_ARTIST, SF_STR_COMMENT, SF_STR_DATE,
    SF_STR_ALBUM, SF_STR_LICENSE, SF_STR_TRACKNUMBER, SF_STR_GENRE };

uint32_t Little32(const unsigned char* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint32_t Big32(const unsigned char* p)
{
    return (static_cast<uint32_t>(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

// Streams of unknown length carry these sizes (0 and all ones by common
// practice, 0x7ffff000 and 0x7f000000 as some tools write them to pipes).
bool IsUnknownSize(uint32_t nSize)
{
    return nSize == 0 || nSize == 0xFFFFFFFFu || nSize == 0x7FFFF000u || nSize == 0x7F000000u;
}

// The frames a WAV or AIFF header promises, read from the header itself:
// libsndfile shortens the length of a cut file to what is there, which hides
// the damage. 0 when the header does not say, -1 for other kinds of file.
long long HeaderFrames(const std::vector<unsigned char>& head)
{
    const size_t nSize = head.size();
    if (nSize < 12)
        return -1;
    const unsigned char* p = head.data();
    const bool bWave = std::memcmp(p, "RIFF", 4) == 0 && std::memcmp(p + 8, "WAVE", 4) == 0;
    const bool bAiff
        = std::memcmp(p, "FORM", 4) == 0 && (std::memcmp(p + 8, "AIFF", 4) == 0 || std::memcmp(p + 8, "AIFC", 4) == 0);
    if (!bWave && !bAiff)
        return -1;
    unsigned nBlockAlign = 0;
    for (size_t nAt = 12; nAt + 8 <= nSize;) {
        const unsigned char* pChunk = p + nAt;
        const uint32_t nChunk = bWave ? Little32(pChunk + 4) : Big32(pChunk + 4);
        if (bWave && std::memcmp(pChunk, "fmt ", 4) == 0 && nAt + 22 <= nSize)
            nBlockAlign = pChunk[20] | (pChunk[21] << 8);
        else if (bWave && std::memcmp(pChunk, "data", 4) == 0)
            return nBlockAlign == 0 || IsUnknownSize(nChunk) ? 0 : nChunk / nBlockAlign;
        else if (bAiff && std::memcmp(pChunk, "COMM", 4) == 0 && nAt + 14 <= nSize) {
            const uint32_t nFrames = Big32(pChunk + 10);
            return IsUnknownSize(nFrames) ? 0 : nFrames;
        }
        nAt += 8 + static_cast<size_t>(nChunk) + (nChunk & 1);
    }
    return 0;
}

// A WAV or AIFF chunk other than the audio that claims more than this is
// damaged: the decoder would allocate what it claims to read it.
constexpr uint32_t kMaxHeaderChunkBytes = 16u << 20;
// How much of the input is read ahead for that check.
constexpr size_t kHeaderCheckBytes = 1 << 16;

// What is wrong with the chunks of a WAV or AIFF header among those in head,
// or "": a chunk other than the audio that claims more than
// kMaxHeaderChunkBytes, or (when head is the whole input) a chunk header cut
// short, whose size the decoder would read from beyond the end.
std::string HeaderChunkFault(const std::vector<unsigned char>& head, bool bWhole)
{
    const size_t nSize = head.size();
    if (nSize < 12)
        return "";
    const unsigned char* p = head.data();
    const bool bWave = std::memcmp(p, "RIFF", 4) == 0 && std::memcmp(p + 8, "WAVE", 4) == 0;
    const bool bAiff
        = std::memcmp(p, "FORM", 4) == 0 && (std::memcmp(p + 8, "AIFF", 4) == 0 || std::memcmp(p + 8, "AIFC", 4) == 0);
    if (!bWave && !bAiff)
        return "";
    size_t nAt = 12;
    for (; nAt + 8 <= nSize;) {
        const unsigned char* pChunk = p + nAt;
        const uint32_t nChunk = bWave ? Little32(pChunk + 4) : Big32(pChunk + 4);
        if (std::memcmp(pChunk, bWave ? "data" : "SSND", 4) == 0)
            return "";
        if (nChunk > kMaxHeaderChunkBytes) {
            std::string sName;
            for (int i = 0; i < 4; ++i)
                sName += pChunk[i] >= 0x20 && pChunk[i] < 0x7F ? static_cast<char>(pChunk[i]) : '?';
            return "its '" + sName + "' chunk claims " + std::to_string(nChunk) + " bytes";
        }
        nAt += 8 + static_cast<size_t>(nChunk) + (nChunk & 1);
    }
    return bWhole && nAt < nSize ? "its header ends inside a chunk's name and size" : "";
}

// An Ogg stream read to its end finishes with a whole page marked as the
// last; a cut file does not.
bool OggEndsWhole(const std::vector<unsigned char>& tail)
{
    for (size_t nAt = tail.size() >= 27 ? tail.size() - 27 : 0; nAt + 27 <= tail.size(); --nAt) {
        const unsigned char* p = tail.data() + nAt;
        if (std::memcmp(p, "OggS", 4) == 0 && p[4] == 0) {
            const size_t nSegments = p[26];
            if (nAt + 27 + nSegments > tail.size())
                return false;
            size_t nBody = 0;
            for (size_t i = 0; i < nSegments; ++i)
                nBody += p[27 + i];
            return nAt + 27 + nSegments + nBody == tail.size() && (p[5] & 0x04) != 0;
        }
        if (nAt == 0)
            break;
    }
    return false;
}

} // namespace

CAudioReader::~CAudioReader()
{
    if (mpFile != nullptr)
        sf_close(mpFile);
}

std::string CAudioReader::Name() const
{
    return msPath == "-" ? std::string("standard input") : "'" + msPath + "'";
}

void CAudioReader::Open(const std::string& sPath)
{
    msPath = sPath;
    if (sPath == "-") {
        if (!mStream.Attach(STDIN_FILENO, false))
            throw FailureError(std::string("cannot read standard input: ") + std::strerror(errno));
    } else {
        const int nDescriptor = ::open(sPath.c_str(), O_RDONLY | O_CLOEXEC);
        if (nDescriptor < 0 || !mStream.Attach(nDescriptor, true))
            throw FailureError("cannot read " + Name() + ": " + std::strerror(errno));
    }
    if (mStream.IsFolder())
        throw FailureError("cannot read " + Name() + ": it is a folder");
    // The header's chunks are checked first: libsndfile allocates what a
    // chunk claims, so a few damaged bytes could ask for gigabytes.
    std::vector<unsigned char> head;
    if (!mStream.PeekHead(kHeaderCheckBytes, head))
        throw FailureError("cannot read " + Name() + ": " + std::strerror(mStream.GetError()));
    const std::string sFault = HeaderChunkFault(head, head.size() < kHeaderCheckBytes);
    if (!sFault.empty())
        throw FailureError(Name() + " is damaged: " + sFault);
    mpFile = sf_open_virtual(&CInputStream::GetCallbacks(), SFM_READ, &mInfo, &mStream);
    if (mpFile == nullptr) {
        if (mStream.GetError() != 0)
            throw FailureError("cannot read " + Name() + ": " + std::strerror(mStream.GetError()));
        throw FailureError(Name() + " is not an audio file the tool can read (" + sf_strerror(nullptr) + ")");
    }
    if (mInfo.channels < 1 || mInfo.channels > 2)
        throw FailureError(Name() + " has " + std::to_string(mInfo.channels)
            + " channels; only mono and stereo files can be mastered");
    if (mInfo.frames <= 0)
        throw FailureError(Name() + " holds no audio (zero length)");
    if (mInfo.samplerate < 8000 || mInfo.samplerate > 384000)
        throw FailureError(Name() + " has a sample rate of " + std::to_string(mInfo.samplerate)
            + " Hz; 8 kHz to 384 kHz can be mastered");
    mnPromised = HeaderFrames(mStream.GetHead());
    if (mnPromised < 0)
        mnPromised = mInfo.frames != LLONG_MAX ? mInfo.frames : 0;
    // Integer files read at full scale 1.0 exactly (16-bit sample / 32768).
    sf_command(mpFile, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
    for (int nId : kStringIds) {
        if (const char* pszText = sf_get_string(mpFile, nId); pszText != nullptr && *pszText != '\0')
            mMetadata.strings.emplace_back(nId, pszText);
    }
    mMetadata.bHasBroadcastInfo
        = sf_command(mpFile, SFC_GET_BROADCAST_INFO, &mMetadata.broadcastInfo, sizeof(mMetadata.broadcastInfo))
        == SF_TRUE;
    mMetadata.tags = CTagCopy::Read(mStream, mInfo.format & SF_FORMAT_TYPEMASK);
}

unsigned CAudioReader::Read(float* pfInterleaved, unsigned nFrames)
{
    if (mbEnded)
        return 0;
    sf_count_t nRead = sf_readf_float(mpFile, pfInterleaved, nFrames);
    if (mStream.GetError() != 0)
        throw FailureError("reading " + Name() + " failed: " + std::strerror(mStream.GetError()));
    if (nRead < 0)
        nRead = 0;
    if (nRead < static_cast<sf_count_t>(nFrames)) {
        mbEnded = true;
        if (sf_error(mpFile) != SF_ERR_NO_ERROR) {
            msDecoderError = sf_strerror(mpFile);
            // "Error : flac decoder lost sync." reads as "flac decoder lost sync" in a sentence.
            if (msDecoderError.rfind("Error : ", 0) == 0)
                msDecoderError.erase(0, 8);
            if (!msDecoderError.empty() && msDecoderError.back() == '.')
                msDecoderError.pop_back();
            if (mnRead + nRead == 0)
                throw FailureError("reading " + Name() + " failed: " + msDecoderError);
        }
    }
    mnRead += nRead;
    return static_cast<unsigned>(nRead);
}

std::string CAudioReader::GetDamage() const
{
    std::string sWhy;
    if (mnPromised > mnRead)
        sWhy
            = "its header promises " + std::to_string(mnPromised) + " frames, " + std::to_string(mnRead) + " were read";
    else if ((mInfo.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_OGG && !OggEndsWhole(mStream.GetTail()))
        sWhy = "the Ogg stream stops before its last page after " + std::to_string(mnRead) + " frames";
    if (!msDecoderError.empty())
        sWhy += (sWhy.empty() ? "the decoder stopped after " + std::to_string(mnRead) + " frames" : std::string())
            + " (" + msDecoderError + ")";
    return sWhy.empty() ? sWhy : Name() + " is damaged or cut short: " + sWhy;
}
