#include "TruePeakMeter.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

using Taps = float[CTruePeakMeter::kPhases][CTruePeakMeter::kTapsPerPhase];

// |f| as its bit pattern: for magnitudes the integer order is the float
// order, and an integer maximum vectorises where a float one (with its NaN
// rules) does not.
inline uint32_t Magnitude(float f)
{
    uint32_t n;
    std::memcpy(&n, &f, sizeof(n));
    return n & 0x7FFFFFFFu;
}

// All four phases of nFrames outputs; returns the largest magnitude. Each
// output's taps are unrolled, so the loop over outputs vectorises and every
// input sample is loaded once for the four phases. Processors with AVX2 get
// an eight-wide copy, picked at load time (no fused multiply-add, so every
// copy rounds alike).
__attribute__((target_clones("avx2", "default"))) float Interpolate(const Taps& taps, const float* pfHistory,
                                                                    unsigned nFrames, float fPeak)
{
    uint32_t nPeak = Magnitude(fPeak);
    for (size_t i = 0; i < nFrames; ++i) {
        float a0 = 0.0f, a1 = 0.0f, a2 = 0.0f, a3 = 0.0f;
        const float* pfIn = pfHistory + i;
#pragma GCC unroll 12
        for (int k = 0; k < CTruePeakMeter::kTapsPerPhase; ++k) {
            const float x = pfIn[k];
            a0 += taps[0][k] * x;
            a1 += taps[1][k] * x;
            a2 += taps[2][k] * x;
            a3 += taps[3][k] * x;
        }
        const uint32_t n01 = std::max(Magnitude(a0), Magnitude(a1));
        const uint32_t n23 = std::max(Magnitude(a2), Magnitude(a3));
        nPeak = std::max(nPeak, std::max(n01, n23));
    }
    float fLargest;
    std::memcpy(&fLargest, &nPeak, sizeof(fLargest));
    return fLargest;
}

} // namespace

CTruePeakMeter::CTruePeakMeter(unsigned nChannels)
    : mnChannels(nChannels)
    , mHistory(nChannels, std::vector<float>(kTapsPerPhase - 1, 0.0f))
{
    // h[n] = sinc((n - centre) / 4) * Blackman window, n = 0 .. 47, split
    // into four phases: phase p, tap k is h[4k + p]. With an even length the
    // phases fall 1/8, 3/8, 5/8 and 7/8 of a sample after each input sample,
    // as with the 48-tap filter of BS.1770. Each phase is scaled to unity
    // gain at DC so that steady levels read exactly.
    constexpr int kTaps = kPhases * kTapsPerPhase;
    const double fCentre = (kTaps - 1) / 2.0;
    for (int p = 0; p < kPhases; ++p) {
        double fSum = 0.0;
        double fTaps[kTapsPerPhase];
        for (int k = 0; k < kTapsPerPhase; ++k) {
            const int n = kPhases * k + p;
            const double x = (n - fCentre) / kPhases;
            const double fSinc = x == 0.0 ? 1.0 : std::sin(M_PI * x) / (M_PI * x);
            const double fPhase = 2.0 * M_PI * (n + 0.5) / kTaps;
            const double fWindow = 0.42 - 0.5 * std::cos(fPhase) + 0.08 * std::cos(2.0 * fPhase);
            fTaps[k] = fSinc * fWindow;
            fSum += fTaps[k];
        }
        // Reversed, so the inner loop runs forward over the history.
        for (int k = 0; k < kTapsPerPhase; ++k)
            mfCoefficients[p][kTapsPerPhase - 1 - k] = static_cast<float>(fTaps[k] / fSum);
    }
}

void CTruePeakMeter::Add(const float* pfInterleaved, unsigned nFrames)
{
    for (unsigned c = 0; c < mnChannels; ++c) {
        std::vector<float>& history = mHistory[c];
        history.resize(kTapsPerPhase - 1 + nFrames);
        for (unsigned i = 0; i < nFrames; ++i)
            history[kTapsPerPhase - 1 + i] = pfInterleaved[i * mnChannels + c];
        AddChannel(c, nFrames);
        std::copy(history.end() - (kTapsPerPhase - 1), history.end(), history.begin());
    }
}

void CTruePeakMeter::AddChannel(unsigned nChannel, unsigned nFrames)
{
    const float* pfHistory = mHistory[nChannel].data();
    float fPeak = Interpolate(mfCoefficients, pfHistory, nFrames, mfPeak);
    // The original samples too (the interpolator's phases fall between them).
    for (unsigned i = 0; i < nFrames; ++i)
        fPeak = std::max(fPeak, std::fabs(pfHistory[kTapsPerPhase - 1 + i]));
    mfPeak = fPeak;
}

double CTruePeakMeter::GetTruePeak() const
{
    return mfPeak;
}
