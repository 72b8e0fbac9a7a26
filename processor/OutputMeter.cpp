#include "OutputMeter.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kHoldSeconds = 1.5;

} // namespace

COutputMeter::COutputMeter()
    : mfRequestedRate(44100.0f)
    , mbRestart(true)
    , mfRate(0.0)
    , mnBlockLength(4410)
    , mnBlockDone(0)
    , mfBlockEnergy(0.0)
    , mafBlocks {}
    , mnNextBlock(0)
    , mnBlocks(0)
    , mafHeld {}
    , manHoldLeft {}
    , mafPeak {}
    , mafHeldOut {}
    , mfLufs(kSilenceLufs)
{ }

void COutputMeter::SetSampleRate(float fHz)
{
    mfRequestedRate.store(fHz, std::memory_order_relaxed);
}

void COutputMeter::Restart()
{
    mbRestart.store(true, std::memory_order_relaxed);
}

// The K-weighting of loudness measurement: a high shelf of about +4 dB above
// 1.5 kHz, then a high-pass at 38 Hz, designed for the rate by the bilinear
// transform (the constants give the standard's 48 kHz filters exactly).
void COutputMeter::Design(double fRate)
{
    mfRate = fRate;
    const double kShelfHz = 1681.974450955533, kShelfGainDb = 3.999843853973347, kShelfQ = 0.7071752369554196;
    double k = std::tan(kPi * kShelfHz / fRate);
    const double fVh = std::pow(10.0, kShelfGainDb / 20.0);
    const double fVb = std::pow(fVh, 0.4996667741545416);
    double a0 = 1.0 + k / kShelfQ + k * k;
    for (SBiquad& shelf : mShelf) {
        shelf.b0 = (fVh + fVb * k / kShelfQ + k * k) / a0;
        shelf.b1 = 2.0 * (k * k - fVh) / a0;
        shelf.b2 = (fVh - fVb * k / kShelfQ + k * k) / a0;
        shelf.a1 = 2.0 * (k * k - 1.0) / a0;
        shelf.a2 = (1.0 - k / kShelfQ + k * k) / a0;
    }
    const double kHighPassHz = 38.13547087602444, kHighPassQ = 0.5003270373238773;
    k = std::tan(kPi * kHighPassHz / fRate);
    a0 = 1.0 + k / kHighPassQ + k * k;
    for (SBiquad& highPass : mHighPass) {
        highPass.b0 = 1.0;
        highPass.b1 = -2.0;
        highPass.b2 = 1.0;
        highPass.a1 = 2.0 * (k * k - 1.0) / a0;
        highPass.a2 = (1.0 - k / kHighPassQ + k * k) / a0;
    }
    mnBlockLength = std::max(1u, static_cast<unsigned>(std::lround(fRate / 10.0)));
}

void COutputMeter::Clear()
{
    for (SBiquad* pFilters : { mShelf, mHighPass })
        for (int ch = 0; ch < 2; ++ch)
            pFilters[ch].x1 = pFilters[ch].x2 = pFilters[ch].y1 = pFilters[ch].y2 = 0.0;
    mnBlockDone = 0;
    mfBlockEnergy = 0.0;
    std::fill(std::begin(mafBlocks), std::end(mafBlocks), 0.0);
    mnNextBlock = 0;
    mnBlocks = 0;
    for (int ch = 0; ch < 2; ++ch) {
        mafHeld[ch] = 0.0f;
        manHoldLeft[ch] = 0;
        mafHeldOut[ch].store(0.0f, std::memory_order_relaxed);
    }
    mfLufs.store(kSilenceLufs, std::memory_order_relaxed);
}

// The K-weighted energy of a run of the output, both channels in one loop
// (their filters are independent chains the processor overlaps), with the
// filters' state in locals so that it stays in registers.
double COutputMeter::WeightedEnergy(const float* const* ppfChannels, int nChannels, unsigned nOffset, unsigned nFrames)
{
    auto Clean = [](double x) { return std::fabs(x) <= 3.4e38 ? x : 0.0; };
    SBiquad shelf0 = mShelf[0], highPass0 = mHighPass[0];
    const float* pf0 = ppfChannels[0] + nOffset;
    double fEnergy = 0.0;
    if (nChannels > 1) {
        SBiquad shelf1 = mShelf[1], highPass1 = mHighPass[1];
        const float* pf1 = ppfChannels[1] + nOffset;
        double fEnergy1 = 0.0;
        for (unsigned n = 0; n < nFrames; ++n) {
            const double y0 = highPass0.Run(shelf0.Run(Clean(pf0[n])));
            const double y1 = highPass1.Run(shelf1.Run(Clean(pf1[n])));
            fEnergy += y0 * y0;
            fEnergy1 += y1 * y1;
        }
        mShelf[1] = shelf1;
        mHighPass[1] = highPass1;
        fEnergy += fEnergy1;
    } else {
        for (unsigned n = 0; n < nFrames; ++n) {
            const double y0 = highPass0.Run(shelf0.Run(Clean(pf0[n])));
            fEnergy += y0 * y0;
        }
    }
    mShelf[0] = shelf0;
    mHighPass[0] = highPass0;
    return fEnergy;
}

void COutputMeter::Process(const float* const* ppfChannels, int nChannels, unsigned nFrames)
{
    const double fRate = mfRequestedRate.load(std::memory_order_relaxed);
    if (!(fRate >= 1000.0 && fRate < 1.0e7) || ppfChannels == nullptr || nChannels < 1)
        return;
    const bool bRestart = mbRestart.exchange(false, std::memory_order_relaxed);
    if (fRate != mfRate)
        Design(fRate);
    if (bRestart || fRate != mfRate)
        Clear();
    // Nobody has read the meter for a while (no editor open, no meter port
    // connected): it rests at silence and costs nothing until read again.
    if (mbRead.exchange(false, std::memory_order_relaxed)) {
        mnUnreadFrames = 0;
        if (mbAsleep) {
            mbAsleep = false;
            Clear();
        }
    } else if (mbAsleep) {
        return;
    } else if ((mnUnreadFrames += nFrames) > kSleepSeconds * mfRate) {
        mbAsleep = true;
        Clear();
        for (std::atomic<float>& fPeak : mafPeak)
            fPeak.store(0.0f, std::memory_order_relaxed);
        return;
    }
    nChannels = std::min(nChannels, 2);

    // Peaks per channel; a mono output shows on both.
    const unsigned nHold = static_cast<unsigned>(kHoldSeconds * mfRate);
    for (int ch = 0; ch < 2; ++ch) {
        const float* pfIn = ppfChannels[std::min(ch, nChannels - 1)];
        float fPeak = 0.0f;
        for (unsigned n = 0; n < nFrames; ++n)
            fPeak = std::max(fPeak, std::fabs(pfIn[n]));
        if (!std::isfinite(fPeak))
            fPeak = 0.0f;
        // Against what the reader has not taken yet: the higher stays.
        float fOld = mafPeak[ch].load(std::memory_order_relaxed);
        while (fPeak > fOld && !mafPeak[ch].compare_exchange_weak(fOld, fPeak, std::memory_order_relaxed)) { }
        // A new highest peak, or the old one has stood its 1.5 s.
        if (fPeak >= mafHeld[ch] || manHoldLeft[ch] <= nFrames) {
            mafHeld[ch] = fPeak;
            manHoldLeft[ch] = nHold;
        } else {
            manHoldLeft[ch] -= nFrames;
        }
        mafHeldOut[ch].store(mafHeld[ch], std::memory_order_relaxed);
    }

    for (unsigned n = 0; n < nFrames;) {
        // Up to the end of the current 100 ms block.
        const unsigned nRun = std::min(nFrames - n, mnBlockLength - mnBlockDone);
        mfBlockEnergy += WeightedEnergy(ppfChannels, nChannels, n, nRun);
        n += nRun;
        mnBlockDone += nRun;
        if (mnBlockDone < mnBlockLength)
            continue;
        mafBlocks[mnNextBlock] = mfBlockEnergy / mnBlockLength;
        mnNextBlock = (mnNextBlock + 1) % kBlocksPerWindow;
        mnBlocks = std::min(mnBlocks + 1, kBlocksPerWindow);
        mnBlockDone = 0;
        mfBlockEnergy = 0.0;
        double fSum = 0.0;
        for (int b = 0; b < mnBlocks; ++b)
            fSum += mafBlocks[b];
        const double fMeanSquare = fSum / mnBlocks;
        const double fLufs = fMeanSquare > 0.0 ? -0.691 + 10.0 * std::log10(fMeanSquare) : kSilenceLufs;
        mfLufs.store(static_cast<float>(std::max<double>(fLufs, kSilenceLufs)), std::memory_order_relaxed);
    }
}

float COutputMeter::TakePeak(int nChannel)
{
    mbRead.store(true, std::memory_order_relaxed);
    return nChannel == 0 || nChannel == 1 ? mafPeak[nChannel].exchange(0.0f, std::memory_order_relaxed) : 0.0f;
}

float COutputMeter::GetHeldPeak(int nChannel) const
{
    mbRead.store(true, std::memory_order_relaxed);
    return nChannel == 0 || nChannel == 1 ? mafHeldOut[nChannel].load(std::memory_order_relaxed) : 0.0f;
}

float COutputMeter::GetShortTermLufs() const
{
    mbRead.store(true, std::memory_order_relaxed);
    return mfLufs.load(std::memory_order_relaxed);
}
