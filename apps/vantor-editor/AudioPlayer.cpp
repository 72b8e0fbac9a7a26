#include "AudioPlayer.h"

#include "host-interface/vpaProcess.h"

#include <sndfile.h>

#include <chrono>

CAudioPlayer::CAudioPlayer()
    : mnChannels(0)
    , mnFrames(0)
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

void CAudioPlayer::Start(vpa::IProcess* pProcess)
{
    Stop();
    if (pProcess == nullptr || mnFrames == 0)
        return;
    mpProcess = pProcess;
    mbRunning = true;
    mThread = std::thread([this] { Run(); });
}

void CAudioPlayer::Stop()
{
    mbRunning = false;
    if (mThread.joinable())
        mThread.join();
}

void CAudioPlayer::Run()
{
    using Clock = std::chrono::steady_clock;
    std::vector<std::vector<float>> blocks(mnChannels, std::vector<float>(kBlockFrames));
    std::vector<float*> pointers(mnChannels);
    const auto blockTime = std::chrono::duration<double>(kBlockFrames / static_cast<double>(mfRate));
    auto next = Clock::now();
    size_t nPosition = 0;
    while (mbRunning.load(std::memory_order_relaxed)) {
        for (unsigned c = 0; c < mnChannels; ++c) {
            for (unsigned n = 0; n < kBlockFrames; ++n)
                blocks[c][n] = maChannels[c][(nPosition + n) % mnFrames];
            pointers[c] = blocks[c].data();
        }
        nPosition = (nPosition + kBlockFrames) % mnFrames;
        int nFlag = 0;
        mpProcess->ProcessInPlace(pointers.data(), kBlockFrames, &nFlag);
        next += std::chrono::duration_cast<Clock::duration>(blockTime);
        std::this_thread::sleep_until(next);
    }
}
