#include "AudioReader.h"

#include "ToolError.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const int kStringIds[] = {SF_STR_TITLE,   SF_STR_COPYRIGHT, SF_STR_SOFTWARE, SF_STR_ARTIST,
                          SF_STR_COMMENT, SF_STR_DATE,      SF_STR_ALBUM,    SF_STR_LICENSE,
                          SF_STR_TRACKNUMBER, SF_STR_GENRE};

} // namespace

CAudioReader::~CAudioReader()
{
    if (mpFile != nullptr)
        sf_close(mpFile);
}

void CAudioReader::Open(const std::string& sPath)
{
    msPath = sPath;
    const std::string sName = sPath == "-" ? std::string("standard input") : "'" + sPath + "'";
    if (sPath == "-") {
        mpStandardInput = std::make_unique<CMemoryStream>();
        if (!mpStandardInput->ReadAll(STDIN_FILENO))
            throw FailureError(std::string("cannot read standard input: ") + std::strerror(errno));
        mpFile = sf_open_virtual(&CMemoryStream::GetCallbacks(), SFM_READ, &mInfo, mpStandardInput.get());
    } else {
        struct stat info;
        if (::stat(sPath.c_str(), &info) != 0 || ::access(sPath.c_str(), R_OK) != 0)
            throw FailureError("cannot read " + sName + ": " + std::strerror(errno));
        if (S_ISDIR(info.st_mode))
            throw FailureError("cannot read " + sName + ": it is a folder");
        mpFile = sf_open(sPath.c_str(), SFM_READ, &mInfo);
    }
    if (mpFile == nullptr)
        throw FailureError(sName + " is not an audio file the tool can read (" + sf_strerror(nullptr) + ")");
    if (mInfo.channels < 1 || mInfo.channels > 2)
        throw FailureError(sName + " has " + std::to_string(mInfo.channels) +
                           " channels; only mono and stereo files can be mastered");
    if (mInfo.frames <= 0)
        throw FailureError(sName + " holds no audio (zero length)");
    if (mInfo.samplerate < 8000 || mInfo.samplerate > 384000)
        throw FailureError(sName + " has a sample rate of " + std::to_string(mInfo.samplerate) +
                           " Hz; 8 kHz to 384 kHz can be mastered");
    // Integer files read at full scale 1.0 exactly (16-bit sample / 32768).
    sf_command(mpFile, SFC_SET_NORM_FLOAT, nullptr, SF_TRUE);
    for (int nId : kStringIds) {
        if (const char* pszText = sf_get_string(mpFile, nId); pszText != nullptr && *pszText != '\0')
            mMetadata.strings.emplace_back(nId, pszText);
    }
    mMetadata.bHasBroadcastInfo = sf_command(mpFile, SFC_GET_BROADCAST_INFO, &mMetadata.broadcastInfo,
                                             sizeof(mMetadata.broadcastInfo)) == SF_TRUE;
}

unsigned CAudioReader::Read(float* pfInterleaved, unsigned nFrames)
{
    const sf_count_t nRead = sf_readf_float(mpFile, pfInterleaved, nFrames);
    if (nRead < 0 || (nRead < static_cast<sf_count_t>(nFrames) && sf_error(mpFile) != SF_ERR_NO_ERROR))
        throw FailureError("reading '" + msPath + "' failed: " + sf_strerror(mpFile));
    return static_cast<unsigned>(nRead);
}

void CAudioReader::Seek(long long nFrame)
{
    if (sf_seek(mpFile, nFrame, SEEK_SET) != nFrame)
        throw FailureError("cannot seek in '" + msPath + "': " + sf_strerror(mpFile));
}
