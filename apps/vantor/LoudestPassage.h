// The loudest passage of an input, found while the input streams past once:
// the run of blocks with the most energy over kPassageSeconds, kept with the
// kRunUpSeconds before it (long enough for any detector to settle), so the
// gain reduction probe never has to read the input a second time.
#pragma once

#include <cstddef>
#include <vector>

class CLoudestPassage {
public:
    static constexpr unsigned kBlockFrames = 4096;
    static constexpr double kPassageSeconds = 2.0;
    static constexpr double kRunUpSeconds = 2.0;

    CLoudestPassage(unsigned nChannels, double fSampleRate);

    // Interleaved blocks of kBlockFrames in input order; only the last may
    // be shorter.
    void Add(const float* pfInterleaved, unsigned nFrames);
    // After the last block: the run-up and the passage, interleaved.
    const std::vector<float>& GetAudio();
    // Frames of run-up before the passage in GetAudio().
    long long GetRunUpFrames() const { return mnBestRunUp; }
    double GetFromSeconds() const { return static_cast<double>(mnBestStart) / mfSampleRate; }
    double GetToSeconds() const { return static_cast<double>(mnBestEnd) / mfSampleRate; }

private:
    // Copies frames [nFrom, nTo) of the input, still in the ring, into mBest.
    void Keep(long long nFrom, long long nTo, long long nStart);

    unsigned mnChannels;
    double mfSampleRate;
    size_t mnPassageBlocks;
    long long mnRunUpFrames;
    std::vector<float> mRing; // the last mnRingFrames frames
    long long mnRingFrames;
    long long mnFrames = 0; // frames added so far
    std::vector<double> mEnergies; // of the last mnPassageBlocks blocks
    size_t mnBlocks = 0;
    double mfBestEnergy = -1.0;
    std::vector<float> mBest;
    long long mnBestStart = 0, mnBestEnd = 0, mnBestRunUp = 0;
    bool mbHasBest = false;
};
