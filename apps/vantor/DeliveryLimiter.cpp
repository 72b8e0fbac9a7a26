#include "DeliveryLimiter.h"

#include "TruePeakMeter.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr unsigned kHistory = CTruePeakMeter::kHistory;
constexpr unsigned kInterpolatorDelay = CTruePeakMeter::kDelay;
// Frames whose four-times reading comes this close to the ceiling are read
// with the long interpolator (see CTruePeakMeter).
constexpr float kFineRatio = 0.85f;

} // namespace

CDeliveryLimiter::CDeliveryLimiter(unsigned nChannels, double fSampleRate, double fCeilingDb)
    : mnChannels(nChannels)
    , mfCeiling(static_cast<float>(std::pow(10.0, fCeilingDb / 20.0)))
    , mfTarget(static_cast<float>(std::pow(10.0, (fCeilingDb - kMarginDb) / 20.0)))
    , mnLookAhead(std::max(1u, static_cast<unsigned>(std::lround(kLookAheadSeconds * fSampleRate))))
    , mnLatency(mnLookAhead + kInterpolatorDelay)
    , mfRelease(1.0 - std::exp(-1.0 / (kReleaseSeconds * fSampleRate)))
    , mHistory(nChannels, std::vector<float>(kHistory, 0.0f))
    , mDelay(static_cast<size_t>(mnLatency) * nChannels, 0.0f)
    , mAverageRing(mnLookAhead, 1.0)
    , mfAverageSum(mnLookAhead)
    , mnSkip(mnLatency)
{ }

float CDeliveryLimiter::NextGain(float fRequest)
{
    const long long t = mnFrame++;
    // At rest (nothing to limit in the window): unity, and nothing to update.
    if (fRequest == 1.0f && mnBelowOne == 0 && mfReleased == 1.0 && mMinQueue.size() == 1
        && mMinQueue.front().second == 1.0f) {
        mMinQueue.front().first = t;
        return 1.0f;
    }
    while (!mMinQueue.empty() && mMinQueue.back().second >= fRequest)
        mMinQueue.pop_back();
    mMinQueue.emplace_back(t, fRequest);
    while (mMinQueue.front().first < t - static_cast<long long>(mnLookAhead))
        mMinQueue.pop_front();
    const double fHeld = mMinQueue.front().second;

    double fReleased = std::min(fHeld, mfReleased + (1.0 - mfReleased) * mfRelease);
    if (fHeld == 1.0 && fReleased > 1.0 - 1e-6)
        fReleased = 1.0;
    mfReleased = fReleased;

    double& fOld = mAverageRing[mnAverageAt];
    mnBelowOne -= fOld < 1.0;
    mnBelowOne += fReleased < 1.0;
    mfAverageSum += fReleased - fOld;
    fOld = fReleased;
    if (++mnAverageAt == mAverageRing.size())
        mnAverageAt = 0;
    if (mnBelowOne == 0) {
        mfAverageSum = static_cast<double>(mnLookAhead);
        return 1.0f;
    }
    return static_cast<float>(mfAverageSum / mnLookAhead);
}

unsigned CDeliveryLimiter::Process(const float* pfIn, unsigned nFrames, float* pfOut)
{
    mCoarse.resize(static_cast<size_t>(CTruePeakMeter::kCoarsePhases) * nFrames * mnChannels);
    for (unsigned c = 0; c < mnChannels; ++c) {
        std::vector<float>& history = mHistory[c];
        history.resize(kHistory + nFrames);
        for (unsigned i = 0; i < nFrames; ++i)
            history[kHistory + i] = pfIn[i * mnChannels + c];
        CTruePeakMeter::GetCoarsePhases(history.data(), nFrames, mCoarse.data() + static_cast<size_t>(c) * 4 * nFrames);
    }
    const float fFineFrom = kFineRatio * mfCeiling;
    unsigned nOut = 0;
    for (unsigned i = 0; i < nFrames; ++i) {
        float fPeak = 0.0f;
        for (unsigned c = 0; c < mnChannels; ++c) {
            const float* pfCoarse = mCoarse.data() + (static_cast<size_t>(c) * nFrames + i) * 4;
            fPeak = std::max({ fPeak, pfCoarse[0], pfCoarse[1], pfCoarse[2], pfCoarse[3] });
        }
        if (fPeak > fFineFrom) {
            fPeak = 0.0f;
            for (unsigned c = 0; c < mnChannels; ++c) {
                const float* pfCoarse = mCoarse.data() + (static_cast<size_t>(c) * nFrames + i) * 4;
                const long long nLargest = std::max_element(pfCoarse, pfCoarse + 4) - pfCoarse;
                fPeak = std::max(fPeak, CTruePeakMeter::RefinePeak(mHistory[c].data(), 4LL * i + nLargest, nFrames));
            }
        }
        const float fRequest = fPeak > mfCeiling ? mfTarget / fPeak : 1.0f;
        const float fGain = NextGain(fRequest);

        // The delay line: the frame that leaves is the one the gain is for.
        float* pfDelayed = mDelay.data() + mnDelayAt * mnChannels;
        if (fGain < 1.0f) {
            ++mnLimited;
            mfLowestGain = std::min(mfLowestGain, fGain);
        }
        for (unsigned c = 0; c < mnChannels; ++c) {
            const float fLeaving = pfDelayed[c];
            pfDelayed[c] = pfIn[i * mnChannels + c];
            if (mnSkip == 0)
                pfOut[nOut * mnChannels + c] = fGain == 1.0f ? fLeaving : fLeaving * fGain;
        }
        if (++mnDelayAt == mnLatency)
            mnDelayAt = 0;
        if (mnSkip > 0)
            --mnSkip;
        else
            ++nOut;
    }
    for (std::vector<float>& history : mHistory) {
        std::copy(history.end() - kHistory, history.end(), history.begin());
        history.resize(kHistory);
    }
    return nOut;
}

unsigned CDeliveryLimiter::Flush(float* pfOut)
{
    const std::vector<float> silence(static_cast<size_t>(mnLatency) * mnChannels, 0.0f);
    return Process(silence.data(), mnLatency, pfOut);
}

double CDeliveryLimiter::GetDeepestReductionDb() const
{
    return mfLowestGain < 1.0f ? -20.0 * std::log10(mfLowestGain) : 0.0;
}
