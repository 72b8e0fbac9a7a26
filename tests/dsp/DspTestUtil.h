// Shared helpers of the signal-chain tests: test signals, response
// measurement, analog prototype evaluation and seeded randomness.
#pragma once

#include "dsp/Block.h"
#include "dsp/Filters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

namespace dsptest {

constexpr double kPi = 3.14159265358979323846;

// |H(j w)| of an analog prototype at w rad/s.
inline double AnalogMagnitude(const SPrototype2& p, double w)
{
    const std::complex<double> s(0.0, w);
    return std::abs((double(p.b2) * s * s + double(p.b1) * s + double(p.b0))
        / (double(p.a2) * s * s + double(p.a1) * s + double(p.a0)));
}

inline double AnalogMagnitude(const SPrototype1& p, double w)
{
    const std::complex<double> s(0.0, w);
    return std::abs((double(p.b1) * s + double(p.b0)) / (double(p.a1) * s + double(p.a0)));
}

// |H(e^{jw})| of a digital biquad's coefficients at f Hz.
inline double DigitalMagnitude(const SBiquad& s, double f, double fs)
{
    const std::complex<double> z1 = std::polar(1.0, -2.0 * kPi * f / fs);
    return std::abs((double(s.B0) + double(s.B1) * z1 + double(s.B2) * z1 * z1)
        / (1.0 - double(s.A1) * z1 - double(s.A2) * z1 * z1));
}

// A block processor: fills out[ch] (64 samples) from in[ch].
using BlockFunction = std::function<void(float** ppOut, float** ppIn)>;

// Runs a sine of f Hz through a block processor on nChannels channels and
// returns the gain of channel 0 at f after settling: the output's component
// at f (by quadrature over a whole number of periods) over the input's.
inline double MeasureSineGain(const BlockFunction& process, double f, double fs, int nChannels = 1,
    double fAmplitude = 0.25, int nSettleBlocks = 0)
{
    if (nSettleBlocks == 0)
        nSettleBlocks = static_cast<int>(std::ceil(fs * 0.5 / kBlockSize)) + 8; // half a second
    const long nStart = static_cast<long>(nSettleBlocks) * kBlockSize;
    const double fCycles = std::ceil(0.25 * f) + 4.0; // at least a quarter second
    const long nLength = std::lround(fCycles * fs / f);
    std::vector<float> in(2 * kBlockSize), out(2 * kBlockSize);
    float* ppIn[2] = { in.data(), in.data() + kBlockSize };
    float* ppOut[2] = { out.data(), out.data() + kBlockSize };
    std::complex<double> inSum, outSum;
    for (long nSample = 0; nSample < nStart + nLength;) {
        std::vector<float> input(kBlockSize);
        for (int n = 0; n < kBlockSize; ++n) {
            input[n] = static_cast<float>(fAmplitude * std::sin(2.0 * kPi * f * (nSample + n) / fs));
            for (int ch = 0; ch < nChannels; ++ch)
                ppIn[ch][n] = input[n];
        }
        process(ppOut, ppIn);
        for (int n = 0; n < kBlockSize; ++n, ++nSample) {
            if (nSample < nStart || nSample >= nStart + nLength)
                continue;
            const std::complex<double> phasor = std::polar(1.0, -2.0 * kPi * f * nSample / fs);
            inSum += double(input[n]) * phasor;
            outSum += double(ppOut[0][n]) * phasor;
        }
    }
    return std::abs(outSum) / std::abs(inSum);
}

inline double ToDb(double fGain)
{
    return 20.0 * std::log10(fGain);
}

// Seed for random tests: VANTOR_TEST_SEED overrides; the seed is logged.
inline uint32_t TestSeed()
{
    uint32_t nSeed = 12345;
    if (const char* psz = std::getenv("VANTOR_TEST_SEED"))
        nSeed = static_cast<uint32_t>(std::strtoul(psz, nullptr, 10));
    ::testing::Test::RecordProperty("seed", static_cast<int>(nSeed));
    std::printf("random seed %u (set VANTOR_TEST_SEED to repeat)\n", nSeed);
    return nSeed;
}

// An aligned channel block that frees itself.
class CBlock {
public:
    explicit CBlock(size_t nFloats = kBlockSize)
        : mpData(AllocBlock(nFloats))
    { }
    ~CBlock() { FreeBlock(mpData); }
    CBlock(const CBlock&) = delete;
    CBlock& operator=(const CBlock&) = delete;
    float* get() const { return mpData; }
    float& operator[](size_t i) { return mpData[i]; }

private:
    float* mpData;
};

} // namespace dsptest
