#include "LoudestPassage.h"

#include <algorithm>

CLoudestPassage::CLoudestPassage(unsigned nChannels, double fSampleRate)
    : mnChannels(nChannels)
    , mfSampleRate(fSampleRate)
    , mnPassageBlocks(std::max<size_t>(1, static_cast<size_t>(kPassageSeconds * fSampleRate / kBlockFrames)))
    , mnRunUpFrames(static_cast<long long>(kRunUpSeconds * fSampleRate))
    , mnRingFrames(mnRunUpFrames + static_cast<long long>(mnPassageBlocks * kBlockFrames))
{
    mRing.resize(static_cast<size_t>(mnRingFrames) * nChannels);
    mEnergies.resize(mnPassageBlocks);
}

void CLoudestPassage::Add(const float* pfInterleaved, unsigned nFrames)
{
    double fEnergy = 0.0;
    for (size_t i = 0; i < static_cast<size_t>(nFrames) * mnChannels; ++i)
        fEnergy += static_cast<double>(pfInterleaved[i]) * pfInterleaved[i];
    for (unsigned i = 0; i < nFrames; ++i) {
        const size_t nAt = static_cast<size_t>((mnFrames + i) % mnRingFrames) * mnChannels;
        std::copy(pfInterleaved + static_cast<size_t>(i) * mnChannels,
            pfInterleaved + static_cast<size_t>(i + 1) * mnChannels, mRing.begin() + nAt);
    }
    mnFrames += nFrames;
    mEnergies[mnBlocks % mnPassageBlocks] = fEnergy;
    ++mnBlocks;
    if (mnBlocks < mnPassageBlocks)
        return;
    double fSum = 0.0;
    for (double f : mEnergies)
        fSum += f;
    if (fSum > mfBestEnergy) {
        mfBestEnergy = fSum;
        const long long nStart = static_cast<long long>(mnBlocks - mnPassageBlocks) * kBlockFrames;
        Keep(std::max(0LL, nStart - mnRunUpFrames), mnFrames, nStart);
    }
}

void CLoudestPassage::Keep(long long nFrom, long long nTo, long long nStart)
{
    mBest.resize(static_cast<size_t>(nTo - nFrom) * mnChannels);
    for (long long n = nFrom; n < nTo; ++n) {
        const size_t nAt = static_cast<size_t>(n % mnRingFrames) * mnChannels;
        std::copy(mRing.begin() + nAt, mRing.begin() + nAt + mnChannels,
            mBest.begin() + static_cast<size_t>(n - nFrom) * mnChannels);
    }
    mnBestStart = nStart;
    mnBestEnd = nTo;
    mnBestRunUp = nStart - nFrom;
    mbHasBest = true;
}

const std::vector<float>& CLoudestPassage::GetAudio()
{
    // Shorter than one passage: all of it.
    if (!mbHasBest)
        Keep(0, mnFrames, 0);
    return mBest;
}
