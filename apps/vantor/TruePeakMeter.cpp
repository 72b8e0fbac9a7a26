#include "TruePeakMeter.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace {

// A four-times reading may fall short of the peak next to it by up to
// 0.69 dB (a tone at 0.5 fs, its peak midway between two readings); with the
// short interpolator's passband error the worst is 0.75 dB (near 0.4 fs).
// Readings under 0.9 (-0.92 dB) of the largest cannot lead to it; the
// largest reading itself may overstate its peak by 0.12 dB.
constexpr float kCandidateRatio = 0.9f * 0.986f;

// Zeroth-order modified Bessel function, for the Kaiser window.
double BesselI0(double x)
{
    double fSum = 1.0, fTerm = 1.0;
    for (int k = 1; k < 60; ++k) {
        fTerm *= (x / (2.0 * k)) * (x / (2.0 * k));
        fSum += fTerm;
        if (fTerm < 1e-12 * fSum)
            break;
    }
    return fSum;
}

// A Kaiser-windowed sinc of nPhases * nTapsPerPhase taps for nPhases-times
// interpolation, split into phases, each scaled to unity gain at DC and
// reversed so that a dot product runs forward over the input: phase p,
// tap k is h[nPhases * (nTapsPerPhase - 1 - k) + p], centred on tap
// nTapsPerPhase / 2 of phase 0.
template <int nPhases, int nTapsPerPhase> struct SInterpolator {
    float taps[nPhases][nTapsPerPhase];
    explicit SInterpolator(double fBeta)
    {
        constexpr int kTaps = nPhases * nTapsPerPhase;
        const double fCentre = 0.5 * kTaps; // kTaps is even: the centre lies on a tap
        const double fWindowScale = 1.0 / BesselI0(fBeta);
        for (int p = 0; p < nPhases; ++p) {
            double fTaps[nTapsPerPhase];
            double fSum = 0.0;
            for (int k = 0; k < nTapsPerPhase; ++k) {
                const int n = nPhases * k + p;
                const double x = (n - fCentre) / nPhases;
                const double fSinc = n == kTaps / 2 ? 1.0 : std::sin(M_PI * x) / (M_PI * x);
                const double r = (n - fCentre) / fCentre;
                fTaps[k] = fSinc * BesselI0(fBeta * std::sqrt(std::max(0.0, 1.0 - r * r))) * fWindowScale;
                fSum += fTaps[k];
            }
            for (int k = 0; k < nTapsPerPhase; ++k)
                taps[p][nTapsPerPhase - 1 - k] = static_cast<float>(fTaps[k] / fSum);
        }
    }
};

using CLong = SInterpolator<CTruePeakMeter::kPhases, CTruePeakMeter::kTapsPerPhase>;
using CShort = SInterpolator<CTruePeakMeter::kCoarsePhases, CTruePeakMeter::kCoarseTapsPerPhase>;

const CLong& Long()
{
    static const CLong interpolator(7.0);
    return interpolator;
}

const CShort& Short()
{
    static const CShort interpolator(4.0);
    return interpolator;
}

// The short interpolator's window for frame i starts here, so that its
// phase 0 falls on the same input sample as the long one's.
constexpr int kShortOffset = CTruePeakMeter::kDelay - CTruePeakMeter::kCoarseTapsPerPhase / 2;

// Phases 1..3 of every frame from the short interpolator, and the input
// sample itself, as magnitudes. The taps are unrolled, so the loop over
// frames vectorises; processors with AVX2 get an eight-wide copy, picked at
// load time (no fused multiply-add, so every copy rounds alike).
__attribute__((target_clones("avx2", "default"))) void Coarse(
    const CShort& interpolator, const float* pfHistory, unsigned nFrames, float* pfCoarse)
{
    const auto& taps = interpolator.taps;
    for (size_t i = 0; i < nFrames; ++i) {
        float a1 = 0.0f, a2 = 0.0f, a3 = 0.0f;
        const float* pfIn = pfHistory + i + 1 + kShortOffset;
#pragma GCC unroll 16
        for (int k = 0; k < CTruePeakMeter::kCoarseTapsPerPhase; ++k) {
            const float x = pfIn[k];
            a1 += taps[1][k] * x;
            a2 += taps[2][k] * x;
            a3 += taps[3][k] * x;
        }
        pfCoarse[4 * i] = std::fabs(pfHistory[i + CTruePeakMeter::kDelay]);
        pfCoarse[4 * i + 1] = std::fabs(a1);
        pfCoarse[4 * i + 2] = std::fabs(a2);
        pfCoarse[4 * i + 3] = std::fabs(a3);
    }
}

__attribute__((target_clones("avx2", "default"))) float Phase(const float* pfTaps, const float* pfWindow)
{
    float fSum[8] = {};
    for (int k = 0; k < CTruePeakMeter::kTapsPerPhase; k += 8) {
        for (int j = 0; j < 8; ++j)
            fSum[j] += pfTaps[k + j] * pfWindow[k + j];
    }
    return ((fSum[0] + fSum[1]) + (fSum[2] + fSum[3])) + ((fSum[4] + fSum[5]) + (fSum[6] + fSum[7]));
}

} // namespace

void CTruePeakMeter::GetCoarsePhases(const float* pfHistory, unsigned nFrames, float* pfCoarse)
{
    Coarse(Short(), pfHistory, nFrames, pfCoarse);
}

float CTruePeakMeter::RefinePeak(const float* pfHistory, long long nCoarse, unsigned nFrames)
{
    const long long nFrame = nCoarse / kCoarsePhases;
    const int nPhase = static_cast<int>(nCoarse % kCoarsePhases) * kCoarseStep;
    constexpr int kReach = kCoarseStep - 1;
    float fValues[2 * kReach + 1];
    bool bKnown[2 * kReach + 1];
    int nBest = -1;
    for (int d = -kReach; d <= kReach; ++d) {
        const int q = nPhase + d;
        const long long nAt = nFrame + (q < 0 ? -1 : q >= kPhases ? 1 : 0);
        const int nFine = (q + kPhases) % kPhases;
        bKnown[d + kReach] = nAt >= -1 && nAt < static_cast<long long>(nFrames);
        if (!bKnown[d + kReach])
            continue;
        fValues[d + kReach] = std::fabs(Phase(Long().taps[nFine], pfHistory + nAt + 1));
        if (nBest < 0 || fValues[d + kReach] > fValues[nBest])
            nBest = d + kReach;
    }
    const float b = fValues[nBest];
    if (nBest == 0 || nBest == 2 * kReach || !bKnown[nBest - 1] || !bKnown[nBest + 1])
        return b;
    // The parabola through the largest fine value and its neighbours.
    const double a = fValues[nBest - 1], c = fValues[nBest + 1];
    const double fCurve = a - 2.0 * b + c;
    if (!(fCurve < 0.0))
        return b;
    return static_cast<float>(b - (a - c) * (a - c) / (8.0 * fCurve));
}

CTruePeakMeter::CTruePeakMeter(unsigned nChannels)
    : mnChannels(nChannels)
    , mHistory(nChannels, std::vector<float>(kHistory, 0.0f))
{ }

void CTruePeakMeter::Add(const float* pfInterleaved, unsigned nFrames)
{
    for (unsigned c = 0; c < mnChannels; ++c) {
        std::vector<float>& history = mHistory[c];
        history.resize(kHistory + nFrames);
        for (unsigned i = 0; i < nFrames; ++i)
            history[kHistory + i] = pfInterleaved[i * mnChannels + c];
        if (mbWindows) {
            // Each window measured on its own finds its own peak; the
            // whole signal's is the highest of them.
            mfWindowPeak = Measure(history, nFrames, mfWindowPeak);
            mfPeak = std::max(mfPeak, mfWindowPeak);
        } else {
            mfPeak = Measure(history, nFrames, mfPeak);
        }
        std::copy(history.end() - kHistory, history.end(), history.begin());
        history.resize(kHistory);
    }
}

float CTruePeakMeter::Measure(const std::vector<float>& history, unsigned nFrames, float fPeak) const
{
    mCoarse.resize(static_cast<size_t>(kCoarsePhases) * nFrames);
    GetCoarsePhases(history.data(), nFrames, mCoarse.data());
    const long long nCount = static_cast<long long>(mCoarse.size());
    float fLargest = fPeak;
    for (const float f : mCoarse)
        fLargest = std::max(fLargest, f);
    float fThreshold = kCandidateRatio * fLargest;
    // In runs of kRun readings: most runs hold nothing near the peak and are
    // passed over on their largest reading alone.
    constexpr long long kRun = 64;
    for (long long nRun = 0; nRun < nCount; nRun += kRun) {
        const long long nEnd = std::min(nCount, nRun + kRun);
        float fRunLargest = 0.0f;
        for (long long j = nRun; j < nEnd; ++j)
            fRunLargest = std::max(fRunLargest, mCoarse[static_cast<size_t>(j)]);
        if (!(fRunLargest >= fThreshold))
            continue;
        for (long long j = nRun; j < nEnd; ++j) {
            const float f = mCoarse[static_cast<size_t>(j)];
            if (!(f >= fThreshold) || f == 0.0f)
                continue;
            if ((j > 0 && mCoarse[static_cast<size_t>(j - 1)] > f)
                || (j + 1 < nCount && mCoarse[static_cast<size_t>(j + 1)] > f))
                continue;
            fPeak = std::max(fPeak, RefinePeak(history.data(), j, nFrames));
            fThreshold = std::max(fThreshold, 0.9f * fPeak);
        }
    }
    return fPeak;
}

double CTruePeakMeter::TakeWindowPeak()
{
    const double fPeak = mfWindowPeak;
    mfWindowPeak = 0.0f;
    return fPeak;
}

double CTruePeakMeter::GetTruePeak() const
{
    // The interpolator looks half its length ahead: run the last samples
    // out against the silence that follows the signal.
    float fPeak = mfPeak;
    constexpr unsigned kTail = kDelay + 1;
    for (const std::vector<float>& history : mHistory) {
        std::vector<float> tail(history);
        tail.resize(kHistory + kTail, 0.0f);
        fPeak = Measure(tail, kTail, fPeak);
    }
    return fPeak;
}
