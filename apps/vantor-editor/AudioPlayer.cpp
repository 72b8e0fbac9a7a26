#include "AudioPlayer.h"

#include "host-interface/vpaProcess.h"

#include <samplerate.h>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>

CAudioPlayer::CAudioPlayer()
    : mnChannels(0)
    , mnFrames(0)
    , mnPosition(0)
    , mfRate(0.0f)
    , mpProcess(nullptr)
    , mbRunning(false)
{ }

CAudioPlayer::~CAudioPlayer()
{
    Stop();
}

bool CAudioPlayer::Load(const std::string& sPath, std::string& sError)
{
    SF_INFO info {};
    SNDFILE* pFile = sf_open(sPath.c_str(), SFM_READ, &info);
    if (pFile == nullptr) {
        sError = sf_strerror(nullptr);
        return false;
    }
    if (info.channels < 1 || info.channels > 2 || info.frames <= 0 || info.samplerate <= 0) {
        sf_close(pFile);
        sError = "only mono and stereo files with audio in them can be played";
        return false;
    }
    std::vector<float> interleaved(static_cast<size_t>(info.frames) * info.channels);
    const sf_count_t nRead = sf_readf_float(pFile, interleaved.data(), info.frames);
    sf_close(pFile);
    if (nRead <= 0) {
        sError = "the file holds no readable audio";
        return false;
    }
    mnChannels = static_cast<unsigned>(info.channels);
    mnFrames = static_cast<size_t>(nRead);
    mfRate = static_cast<float>(info.samplerate);
    maChannels.assign(mnChannels, std::vector<float>(mnFrames));
    for (size_t n = 0; n < mnFrames; ++n)
        for (unsigned c = 0; c < mnChannels; ++c)
            maChannels[c][n] = interleaved[n * mnChannels + c];
    return true;
}

bool CAudioPlayer::ConvertRate(float fNewRate, std::string& sError)
{
    if (fNewRate == mfRate || mnFrames == 0)
        return true;
    const double fRatio = static_cast<double>(fNewRate) / mfRate;
    const size_t nNewFrames = static_cast<size_t>(std::ceil(mnFrames * fRatio));
    std::vector<std::vector<float>> aConverted(mnChannels, std::vector<float>(nNewFrames));
    for (unsigned c = 0; c < mnChannels; ++c) {
        SRC_DATA data {};
        data.data_in = maChannels[c].data();
        data.input_frames = static_cast<long>(mnFrames);
        data.data_out = aConverted[c].data();
        data.output_frames = static_cast<long>(nNewFrames);
        data.src_ratio = fRatio;
        const int nError = src_simple(&data, SRC_SINC_MEDIUM_QUALITY, 1);
        if (nError != 0 || data.output_frames_gen <= 0) {
            sError = std::string("cannot convert the file to the server's rate: ") + src_strerror(nError);
            return false;
        }
        aConverted[c].resize(static_cast<size_t>(data.output_frames_gen));
    }
    mnFrames = aConverted[0].size();
    for (const auto& channel : aConverted)
        mnFrames = std::min(mnFrames, channel.size());
    maChannels = std::move(aConverted);
    mfRate = fNewRate;
    return true;
}

bool CAudioPlayer::OpenJack(const std::string& sClientName, std::string& sError)
{
    if (!mJack.Open(sClientName, sError))
        return false;
    if (!ConvertRate(mJack.GetSampleRate(), sError)) {
        mJack.Close();
        return false;
    }
    return true;
}

bool CAudioPlayer::Start(vpa::IProcess* pProcess, bool bConnect, std::string& sError)
{
    // Nothing to play, or playing already.
    if (pProcess == nullptr || mnFrames == 0 || mpProcess != nullptr)
        return true;
    mpProcess = pProcess;
    mnPosition = 0;
    if (mJack.IsOpen())
        return mJack.Start(this, bConnect, sError);
    mbRunning = true;
    mThread = std::thread([this] { RunPaced(); });
    return true;
}

bool CAudioPlayer::FallBackIfJackLost()
{
    if (!mJack.IsOpen() || !mJack.HasShutDown())
        return false;
    mJack.Close();
    mbRunning = true;
    mThread = std::thread([this] { RunPaced(); });
    return true;
}

void CAudioPlayer::Stop()
{
    mJack.Close();
    mbRunning = false;
    if (mThread.joinable())
        mThread.join();
    mpProcess = nullptr;
}

// The audio thread: the next nFrames of the loop through the process.
void CAudioPlayer::Render(float* ppfOut[2], unsigned nFrames)
{
    if (mpProcess == nullptr || nFrames > kMaxBlockFrames) {
        std::fill(ppfOut[0], ppfOut[0] + nFrames, 0.0f);
        std::fill(ppfOut[1], ppfOut[1] + nFrames, 0.0f);
        return;
    }
    for (unsigned c = 0; c < mnChannels; ++c) {
        const float* pfSource = maChannels[c].data();
        for (unsigned nDone = 0; nDone < nFrames;) {
            const size_t nPart = std::min<size_t>(nFrames - nDone, mnFrames - (mnPosition + nDone) % mnFrames);
            std::memcpy(ppfOut[c] + nDone, pfSource + (mnPosition + nDone) % mnFrames, nPart * sizeof(float));
            nDone += static_cast<unsigned>(nPart);
        }
    }
    mnPosition = (mnPosition + nFrames) % mnFrames;
    int nFlag = 0;
    mpProcess->ProcessInPlace(ppfOut, nFrames, &nFlag);
    // A mono file sounds on both speakers.
    if (mnChannels == 1)
        std::memcpy(ppfOut[1], ppfOut[0], nFrames * sizeof(float));
}

void CAudioPlayer::RunPaced()
{
    using Clock = std::chrono::steady_clock;
    std::vector<float> aBlocks(2 * kPacedBlockFrames);
    float* ppfBlocks[2] = { aBlocks.data(), aBlocks.data() + kPacedBlockFrames };
    const auto blockTime = std::chrono::duration<double>(kPacedBlockFrames / static_cast<double>(mfRate));
    auto next = Clock::now();
    while (mbRunning.load(std::memory_order_relaxed)) {
        Render(ppfBlocks, kPacedBlockFrames);
        next += std::chrono::duration_cast<Clock::duration>(blockTime);
        std::this_thread::sleep_until(next);
    }
}
