#include "processor/AnalogueVU.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

// The coefficients come from cos(w) with w near 0: DC gain is 1 to about 1e-9.
constexpr double kSettled = 1e-7;

// Feeds nSamples of fLevel one sample at a time; returns every needle value.
std::vector<double> Feed(CAnalogueVU& vu, float fLevel, int nSamples)
{
    std::vector<double> needle(nSamples);
    for (int i = 0; i < nSamples; ++i)
        needle[i] = vu.ProcessMono(&fLevel, 1);
    return needle;
}

// Three seconds of fLevel in one-second blocks; returns the needle after them.
double Settle(CAnalogueVU& vu, float fLevel, int nRate)
{
    std::vector<float> block(nRate, fLevel);
    for (int s = 0; s < 2; ++s)
        vu.ProcessMono(block.data(), nRate);
    return vu.ProcessMono(block.data(), nRate);
}

TEST(AnalogueVU, AStepOvershootsLikeTheAnalogueMovementAndSettlesAtItsMagnitude)
{
    // Second-order low-pass, Q 0.62: damping z = 1 / (2 Q), overshoot
    // exp(-pi z / sqrt(1 - z^2)) (about 1.4 %), peak at pi / (w0 sqrt(1 - z^2)).
    const double z = 1.0 / (2.0 * 0.62), kPi = std::acos(-1.0);
    const double fOvershoot = std::exp(-kPi * z / std::sqrt(1.0 - z * z));
    const double fPeakSeconds = kPi / (2.0 * kPi * 2.1 * std::sqrt(1.0 - z * z));
    ASSERT_NEAR(fOvershoot, 0.014, 0.0005);
    for (int nRate : { 44100, 96000 }) {
        SCOPED_TRACE(nRate);
        CAnalogueVU vu;
        vu.SetSampleRate(nRate);
        const std::vector<double> needle = Feed(vu, 1.0f, 2 * nRate);
        size_t nPeak = 0;
        for (size_t i = 1; i < needle.size(); ++i)
            nPeak = needle[i] > needle[nPeak] ? i : nPeak;
        EXPECT_NEAR(needle[nPeak] - 1.0, fOvershoot, 0.0002);
        EXPECT_NEAR(static_cast<double>(nPeak) / nRate, fPeakSeconds, 0.005);
        EXPECT_NEAR(Settle(vu, 1.0f, nRate), 1.0, kSettled) << "unity gain at DC";
        EXPECT_NEAR(Settle(vu, -0.5f, nRate), 0.5, kSettled) << "the input is rectified";
    }
}

TEST(AnalogueVU, StereoFeedsTheRectifiedMeanOfBothChannels)
{
    CAnalogueVU stereo, mono, opposite;
    const std::vector<float> left(1000, -0.25f), right(1000, -0.75f), mean(1000, 0.5f), plus(1000, 1.0f);
    for (int b = 0; b < 5; ++b)
        EXPECT_EQ(stereo.ProcessStereo(left.data(), right.data(), 1000), mono.ProcessMono(mean.data(), 1000));
    const std::vector<float> minus(1000, -1.0f);
    EXPECT_EQ(opposite.ProcessStereo(plus.data(), minus.data(), 1000), 0.0) << "opposite channels cancel";
}

TEST(AnalogueVU, AnEmptyBlockReadsTheNeedleAndARateChangeKeepsIt)
{
    CAnalogueVU vu;
    const double fMidRise = Feed(vu, 1.0f, 4000).back();
    ASSERT_TRUE(fMidRise > 0.1 && fMidRise < 0.9);
    EXPECT_EQ(vu.ProcessMono(nullptr, 0), fMidRise);
    EXPECT_EQ(vu.ProcessStereo(nullptr, nullptr, 0), fMidRise);
    vu.SetSampleRate(48000);
    EXPECT_EQ(vu.ProcessMono(nullptr, 0), fMidRise);
    EXPECT_NEAR(Feed(vu, 1.0f, 1)[0], fMidRise, 1e-3) << "the needle goes on from where it was";
}

TEST(AnalogueVU, BadRatesAndResetKeepTheBallistics)
{
    CAnalogueVU reference, vu, fresh;
    reference.SetSampleRate(48000);
    vu.SetSampleRate(48000);
    for (int nRate : { 0, -44100, 4 }) // 2.1 Hz would not lie below Nyquist
        vu.SetSampleRate(nRate);
    Settle(vu, 1.0f, 48000);
    vu.Reset();
    EXPECT_EQ(vu.ProcessMono(nullptr, 0), 0.0);
    EXPECT_EQ(Feed(vu, 1.0f, 20000), Feed(reference, 1.0f, 20000));

    reference.Reset();
    reference.SetSampleRate(44100);
    EXPECT_EQ(Feed(fresh, 1.0f, 20000), Feed(reference, 1.0f, 20000)) << "44100 Hz until told otherwise";
}

TEST(AnalogueVU, ANonFiniteInputDoesNotHoldTheNeedle)
{
    for (float fBad : { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity() }) {
        CAnalogueVU vu;
        const float pfBlock[3] = { 0.5f, fBad, 0.5f };
        EXPECT_TRUE(std::isfinite(vu.ProcessMono(pfBlock, 3)));
        EXPECT_NEAR(Settle(vu, 1.0f, 44100), 1.0, kSettled);
    }
}

} // namespace
