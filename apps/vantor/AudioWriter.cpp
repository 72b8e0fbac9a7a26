#include "AudioWriter.h"

#include "TemporaryFiles.h"
#include "ToolError.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

int ContainerOfExtension(const std::string& sPath)
{
    static const struct {
        const char* pszExtension;
        int nContainer;
    } kExtensions[] = {
        { ".wav", SF_FORMAT_WAV },
        { ".wave", SF_FORMAT_WAV },
        { ".aif", SF_FORMAT_AIFF },
        { ".aiff", SF_FORMAT_AIFF },
        { ".aifc", SF_FORMAT_AIFF },
        { ".flac", SF_FORMAT_FLAC },
        { ".ogg", SF_FORMAT_OGG },
        { ".oga", SF_FORMAT_OGG },
    };
    const size_t nSlash = sPath.rfind('/');
    const size_t nDot = sPath.rfind('.');
    if (nDot == std::string::npos || (nSlash != std::string::npos && nDot < nSlash))
        return 0;
    for (const auto& extension : kExtensions) {
        if (::strcasecmp(sPath.c_str() + nDot, extension.pszExtension) == 0)
            return extension.nContainer;
    }
    return 0;
}

int SubtypeOfBits(EBitsRequest eBits)
{
    switch (eBits) {
    case EBitsRequest::Pcm16: return SF_FORMAT_PCM_16;
    case EBitsRequest::Pcm24: return SF_FORMAT_PCM_24;
    case EBitsRequest::Float32: return SF_FORMAT_FLOAT;
    case EBitsRequest::Keep: break;
    }
    return 0;
}

bool IsValid(int nFormat, int nChannels = 2)
{
    SF_INFO info {};
    info.samplerate = 44100;
    info.channels = nChannels;
    info.format = nFormat;
    return sf_format_check(&info) == SF_TRUE;
}

// Word length of a fixed-point subtype, 0 for anything else.
int BitsOfSubtype(int nSubtype)
{
    switch (nSubtype) {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8: return 8;
    case SF_FORMAT_PCM_16: return 16;
    case SF_FORMAT_PCM_24: return 24;
    case SF_FORMAT_PCM_32: return 32;
    default: return 0;
    }
}

const char* DescribeSubtype(int nSubtype)
{
    SF_FORMAT_INFO info {};
    info.format = nSubtype;
    return sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof(info)) == 0 ? info.name : "this sample format";
}

} // namespace

void SetQuality(SOutputFormat& format, double fQuality)
{
    if (fQuality < 0.0)
        return;
    const int nContainer = format.nFormat & SF_FORMAT_TYPEMASK;
    if (nContainer == SF_FORMAT_FLAC && (fQuality > 8.0 || fQuality != static_cast<int>(fQuality)))
        throw UsageError("--quality for FLAC is a compression level from 0 to 8");
    if (nContainer != SF_FORMAT_FLAC && nContainer != SF_FORMAT_OGG)
        throw UsageError("--quality applies to FLAC and Ogg outputs");
    format.fQuality = fQuality;
}

SOutputFormat ChooseOutputFormat(const std::string& sOutput, int nInputFormat, EBitsRequest eBits)
{
    const int nInputContainer = nInputFormat & SF_FORMAT_TYPEMASK;
    const int nInputSubtype = nInputFormat & SF_FORMAT_SUBMASK;
    int nContainer = sOutput == "-" ? nInputContainer : ContainerOfExtension(sOutput);
    if (sOutput == "-" && nContainer == SF_FORMAT_MPEG)
        nContainer = SF_FORMAT_WAV; // MP3 is read, not written
    if (nContainer == 0)
        throw UsageError("cannot tell the format of '" + sOutput + "' from its name (use .wav, .aiff, .flac or .ogg)");
    SOutputFormat format;
    if (nContainer == SF_FORMAT_OGG) {
        if (eBits != EBitsRequest::Keep)
            throw UsageError("--bits does not apply to Ogg Vorbis output");
        // Ogg keeps an Opus input Opus; everything else becomes Vorbis.
        format.nFormat = nContainer | (nInputSubtype == SF_FORMAT_OPUS ? SF_FORMAT_OPUS : SF_FORMAT_VORBIS);
        return format;
    }
    if (eBits != EBitsRequest::Keep) {
        format.nFormat = nContainer | SubtypeOfBits(eBits);
        if (!IsValid(format.nFormat))
            throw UsageError(std::string("--bits: ") + DescribeSubtype(SubtypeOfBits(eBits)) + " does not fit in "
                + (nContainer == SF_FORMAT_FLAC ? "FLAC (use 16 or 24)" : "this format"));
        return format;
    }
    if (BitsOfSubtype(nInputSubtype) == 0 && nInputSubtype != SF_FORMAT_FLOAT && nInputSubtype != SF_FORMAT_DOUBLE) {
        // A lossy or companded input (MP3, Vorbis, A-law...): its encoding is
        // one to read, not to write again; CD depth unless --bits says.
        format.nFormat = nContainer | SF_FORMAT_PCM_16;
        format.sNote = std::string("writing ") + DescribeSubtype(SF_FORMAT_PCM_16) + " (the input is "
            + DescribeSubtype(nInputSubtype) + "; --bits for another depth)";
        return format;
    }
    if (IsValid(nContainer | nInputSubtype)) {
        format.nFormat = nContainer | nInputSubtype;
        return format;
    }
    // The container cannot hold the input's samples: FLAC takes 24 bits,
    // the others 32-bit float (lossless for every decoded source).
    const int nNearest = nContainer == SF_FORMAT_FLAC
        ? (BitsOfSubtype(nInputSubtype) == 16 || BitsOfSubtype(nInputSubtype) == 8 ? SF_FORMAT_PCM_16
                                                                                   : SF_FORMAT_PCM_24)
        : SF_FORMAT_FLOAT;
    format.nFormat = nContainer | nNearest;
    format.sNote = std::string("writing ") + DescribeSubtype(nNearest) + " (the format cannot hold "
        + DescribeSubtype(nInputSubtype) + ")";
    return format;
}

CAudioWriter::~CAudioWriter()
{
    Discard();
}

std::string CAudioWriter::Name() const
{
    return msPath == "-" ? std::string("standard output") : "'" + msPath + "'";
}

void CAudioWriter::Discard()
{
    if (mpFile != nullptr) {
        sf_close(mpFile);
        mpFile = nullptr;
    }
    if (!msTemporary.empty()) {
        CTemporaryFiles::Remove(msTemporary);
        msTemporary.clear();
    }
}

void CAudioWriter::Fail(const std::string& sReason)
{
    Discard();
    throw FailureError(
        "writing " + Name() + " failed (" + sReason + ")" + (msPath == "-" ? std::string() : "; nothing was written"));
}

void CAudioWriter::Open(const std::string& sPath, const SOutputFormat& format, unsigned nChannels, int nSampleRate,
    const SAudioMetadata& metadata, EDither eDither)
{
    msPath = sPath;
    mnChannels = nChannels;
    SF_INFO info {};
    info.samplerate = nSampleRate;
    info.channels = static_cast<int>(nChannels);
    info.format = format.nFormat;
    const int nContainer = format.nFormat & SF_FORMAT_TYPEMASK;
    mnContainer = nContainer;
    if (sPath == "-") {
        if (!mStream.Attach(STDOUT_FILENO, false, nContainer))
            throw FailureError(std::string("cannot write to standard output: ") + std::strerror(errno));
    } else {
        const int nDescriptor = CTemporaryFiles::Create(sPath, msTemporary);
        if (nDescriptor < 0) {
            const size_t nSlash = sPath.rfind('/');
            const std::string sFolder = nSlash == std::string::npos ? std::string(".") : sPath.substr(0, nSlash + 1);
            throw FailureError("cannot write to '" + sFolder + "': " + std::strerror(errno));
        }
        // mkstemp makes the file private; give it the permissions a new file gets.
        const mode_t nMask = ::umask(0);
        ::umask(nMask);
        ::fchmod(nDescriptor, 0666 & ~nMask);
        if (!mStream.Attach(nDescriptor, true, nContainer))
            Fail(std::strerror(errno));
    }
    mpFile = sf_open_virtual(&COutputStream::GetCallbacks(), SFM_WRITE, &info, &mStream);
    if (mpFile == nullptr)
        Fail(mStream.GetError() != 0 ? std::strerror(mStream.GetError()) : sf_strerror(nullptr));
    for (const auto& text : metadata.strings)
        sf_set_string(mpFile, text.first, text.second.c_str());
    mTags = metadata.tags;
    if (metadata.bHasBroadcastInfo && nContainer == SF_FORMAT_WAV) {
        SF_BROADCAST_INFO broadcastInfo = metadata.broadcastInfo;
        sf_command(mpFile, SFC_SET_BROADCAST_INFO, &broadcastInfo, sizeof(broadcastInfo));
    }
    if (nContainer == SF_FORMAT_OGG || nContainer == SF_FORMAT_FLAC) {
        // Vorbis quality 0-10 (6 unless asked: clear of audible artefacts on
        // program material), FLAC compression level 0-8 (libsndfile's own
        // default unless asked).
        if (nContainer == SF_FORMAT_OGG) {
            double fQuality = (format.fQuality >= 0.0 ? format.fQuality : kDefaultVorbisQuality) / 10.0;
            sf_command(mpFile, SFC_SET_VBR_ENCODING_QUALITY, &fQuality, sizeof(fQuality));
        } else if (format.fQuality >= 0.0) {
            double fLevel = format.fQuality / 8.0;
            sf_command(mpFile, SFC_SET_COMPRESSION_LEVEL, &fLevel, sizeof(fLevel));
        }
    }
    const int nBits = BitsOfSubtype(format.nFormat & SF_FORMAT_SUBMASK);
    if (nBits > 0) {
        mQuantiser.Setup(nBits, eDither, nChannels);
    } else {
        mQuantiser.Setup(0, EDither::None);
        const int nSubtype = format.nFormat & SF_FORMAT_SUBMASK;
        mbFloat = nSubtype == SF_FORMAT_FLOAT || nSubtype == SF_FORMAT_DOUBLE;
        // Lossy and companded formats: libsndfile converts, clipping at full scale.
        sf_command(mpFile, SFC_SET_CLIPPING, nullptr, SF_TRUE);
    }
}

void CAudioWriter::Write(const float* pfInterleaved, unsigned nFrames)
{
    sf_count_t nWritten;
    if (mQuantiser.GetBits() > 0) {
        const unsigned nCount = nFrames * mnChannels;
        if (mnConvertedFrames < nFrames) {
            mpnConverted.reset(new int[nCount]);
            mnConvertedFrames = nFrames;
        }
        mQuantiser.Convert(pfInterleaved, mpnConverted.get(), nCount);
        nWritten = sf_writef_int(mpFile, mpnConverted.get(), nFrames);
        if (mWrittenSink) {
            // What a reader gets back: the integer over 2^31.
            mWritten.resize(nCount);
            for (unsigned i = 0; i < nCount; ++i)
                mWritten[i] = static_cast<float>(mpnConverted[i] * (1.0 / 2147483648.0));
            mWrittenSink(mWritten.data(), nFrames);
        }
    } else {
        nWritten = sf_writef_float(mpFile, pfInterleaved, nFrames);
        if (mWrittenSink && mbFloat)
            mWrittenSink(pfInterleaved, nFrames);
    }
    if (mStream.GetError() != 0)
        Fail(std::strerror(mStream.GetError()));
    if (nWritten != static_cast<sf_count_t>(nFrames))
        Fail(sf_strerror(mpFile));
    mnWrittenFrames += nFrames;
}

void CAudioWriter::Close()
{
    // Closing writes the header and the encoder's last pages.
    const int nError = sf_error(mpFile);
    const int nClose = sf_close(mpFile);
    mpFile = nullptr;
    const bool bFinished = mStream.Finish();
    if (!bFinished)
        Fail(std::strerror(mStream.GetError()));
    if (nError != SF_ERR_NO_ERROR || nClose != 0)
        Fail(sf_error_number(nError != 0 ? nError : nClose));
    if (msTemporary.empty())
        return;
    VerifyLength();
    const std::string sTagError = CTagCopy::Write(msTemporary, mnContainer, mTags);
    if (!sTagError.empty())
        Fail(sTagError);
    VerifyFrames();
}

void CAudioWriter::Publish(bool bReplace)
{
    if (msTemporary.empty())
        return;
    if (mbHasLoudness && mnContainer == SF_FORMAT_WAV)
        WriteBroadcastLoudness();
    if (const int nPublishError = CTemporaryFiles::Publish(msTemporary, msPath, bReplace)) {
        Discard();
        throw FailureError("cannot put '" + msPath + "' in place: " + std::strerror(nPublishError));
    }
    msTemporary.clear();
}

void CAudioWriter::VerifyLength()
{
    struct stat info;
    if (::stat(msTemporary.c_str(), &info) != 0)
        Fail(std::strerror(errno));
    if (info.st_size != mStream.GetLength())
        Fail(
            "the file holds " + std::to_string(info.st_size) + " of " + std::to_string(mStream.GetLength()) + " bytes");
}

void CAudioWriter::VerifyFrames()
{
    SF_INFO format {};
    SNDFILE* pFile = sf_open(msTemporary.c_str(), SFM_READ, &format);
    if (pFile == nullptr)
        Fail(std::string("it does not read back: ") + sf_strerror(nullptr));
    // Decoding it through counts what a player will get, whatever the header says.
    std::vector<float> block(4096 * static_cast<size_t>(format.channels > 0 ? format.channels : 1));
    long long nFrames = 0;
    while (const sf_count_t nRead = sf_readf_float(pFile, block.data(), 4096)) {
        if (nRead < 0)
            break;
        if (mWrittenSink && IsLossy())
            mWrittenSink(block.data(), static_cast<unsigned>(nRead));
        nFrames += nRead;
    }
    const int nReadError = sf_error(pFile);
    sf_close(pFile);
    if (nReadError != SF_ERR_NO_ERROR || nFrames != mnWrittenFrames
        || (format.frames != mnWrittenFrames && format.frames != SF_COUNT_MAX))
        Fail("it reads back as " + std::to_string(nFrames) + " of " + std::to_string(mnWrittenFrames) + " frames");
}

void CAudioWriter::WriteBroadcastLoudness()
{
    // The loudness fields of a version 2 "bext" chunk: integrated loudness,
    // loudness range and maximum true peak in hundredths, 0x7fff where
    // there is no figure (momentary and short-term maxima are not measured).
    constexpr size_t kVersionAt = 346, kLoudnessAt = 412, kFieldsEnd = 422;
    const int nDescriptor = ::open(msTemporary.c_str(), O_RDWR | O_CLOEXEC);
    if (nDescriptor < 0)
        Fail(std::strerror(errno));
    unsigned char header[1 << 16];
    const ssize_t nRead = ::pread(nDescriptor, header, sizeof(header), 0);
    long long nChunk = -1;
    for (size_t nAt = 12; nRead > 0 && nAt + 8 <= static_cast<size_t>(nRead);) {
        const uint32_t nSize = header[nAt + 4] | header[nAt + 5] << 8 | header[nAt + 6] << 16
            | static_cast<uint32_t>(header[nAt + 7]) << 24;
        if (std::memcmp(header + nAt, "bext", 4) == 0) {
            if (nSize >= kFieldsEnd)
                nChunk = static_cast<long long>(nAt) + 8;
            break;
        }
        nAt += 8 + static_cast<size_t>(nSize) + (nSize & 1);
    }
    bool bWritten = true;
    if (nChunk >= 0) {
        auto Hundredths = [](double f) {
            return std::isfinite(f) && std::fabs(f) < 327.0 ? static_cast<int16_t>(std::lround(f * 100.0))
                                                            : static_cast<int16_t>(0x7fff);
        };
        const int16_t fields[5] = { Hundredths(mLoudness.fIntegratedLufs), Hundredths(mLoudness.fRangeLu),
            Hundredths(mLoudness.fTruePeakDb), 0x7fff, 0x7fff };
        unsigned char bytes[10];
        for (int i = 0; i < 5; ++i) {
            bytes[2 * i] = static_cast<unsigned char>(fields[i] & 0xff);
            bytes[2 * i + 1] = static_cast<unsigned char>((fields[i] >> 8) & 0xff);
        }
        const unsigned char version[2] = { 2, 0 };
        bWritten = ::pwrite(nDescriptor, version, 2, nChunk + static_cast<long long>(kVersionAt)) == 2
            && ::pwrite(nDescriptor, bytes, 10, nChunk + static_cast<long long>(kLoudnessAt)) == 10
            && ::fsync(nDescriptor) == 0;
    }
    const int nError = errno;
    if (::close(nDescriptor) != 0 || !bWritten)
        Fail(std::strerror(bWritten ? errno : nError));
}
