// The report's loudness meter and the writer's quantiser against what theory
// says (the true-peak meter has its own tests).
#include "apps/vantor/LoudnessMeter.h"
#include "apps/vantor/SampleQuantiser.h"
#include "apps/vantor/TruePeakMeter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

std::vector<float> Sine(double fHz, double fRate, double fAmplitude, double fPhase, long long nFrames, int nChannels)
{
    std::vector<float> samples(static_cast<size_t>(nFrames * nChannels));
    for (long long i = 0; i < nFrames; ++i) {
        const float f = static_cast<float>(fAmplitude * std::sin(2.0 * M_PI * fHz * i / fRate + fPhase));
        for (int c = 0; c < nChannels; ++c)
            samples[static_cast<size_t>(i * nChannels + c)] = f;
    }
    return samples;
}

TEST(Meters, LoudnessOfACalibrationToneAndOfSilence)
{
    // 997 Hz at -20 dBFS in both channels reads -20 LUFS (BS.1770's
    // calibration: 0 dBFS in one channel is -3.01 LKFS).
    const std::vector<float> tone = Sine(997.0, 48000.0, std::pow(10.0, -20.0 / 20.0), 0.0, 48000 * 10, 2);
    CLoudnessMeter meter(2, 48000.0);
    for (size_t i = 0; i < tone.size(); i += 2 * 4096)
        meter.Add(tone.data() + i, static_cast<unsigned>(std::min<size_t>(4096, (tone.size() - i) / 2)));
    const SLoudness result = meter.GetResult();
    EXPECT_NEAR(result.fIntegratedLufs, -20.0, 0.1);
    EXPECT_NEAR(result.fRangeLu, 0.0, 0.1);
    EXPECT_NEAR(result.fSamplePeakDb, -20.0, 0.01);
    EXPECT_NEAR(result.fTruePeakDb, -20.0, 0.05);

    const std::vector<float> silence(2 * 48000, 0.0f);
    CLoudnessMeter quiet(2, 48000.0);
    quiet.Add(silence.data(), 48000);
    EXPECT_TRUE(std::isinf(quiet.GetResult().fIntegratedLufs));
    EXPECT_TRUE(std::isinf(quiet.GetResult().fTruePeakDb));
}

TEST(Quantiser, SixteenBitValuesComeBackExactlyWithoutDither)
{
    CSampleQuantiser quantiser;
    quantiser.Setup(16, EDither::None);
    std::vector<float> in;
    for (int s = -32768; s < 32768; s += 7)
        in.push_back(static_cast<float>(s / 32768.0));
    std::vector<int> out(in.size());
    quantiser.Convert(in.data(), out.data(), static_cast<unsigned>(in.size()));
    for (size_t i = 0; i < in.size(); ++i)
        ASSERT_EQ(out[i] >> 16, static_cast<int>(std::lround(in[i] * 32768.0))) << i;
    EXPECT_EQ(quantiser.GetClippedSamples(), 0);

    const float over[3] = {1.5f, -1.5f, 1.0f};
    int clipped[3];
    quantiser.Convert(over, clipped, 3);
    EXPECT_EQ(clipped[0] >> 16, 32767);
    EXPECT_EQ(clipped[1] >> 16, -32768);
    EXPECT_EQ(clipped[2] >> 16, 32767);
    EXPECT_EQ(quantiser.GetClippedSamples(), 3);
}

TEST(Quantiser, DitherIsTriangularOfOneStepAndRepeatable)
{
    CSampleQuantiser quantiser;
    quantiser.Setup(16, EDither::Tpdf);
    // Half a step above zero: without dither always 0 or 1; with TPDF the
    // results spread over -1..2 and average to the input.
    const std::vector<float> in(100000, static_cast<float>(0.5 / 32768.0));
    std::vector<int> out(in.size());
    quantiser.Convert(in.data(), out.data(), static_cast<unsigned>(in.size()));
    double fSum = 0.0;
    int nLowest = 0, nHighest = 0;
    for (int n : out) {
        fSum += n >> 16;
        nLowest = std::min(nLowest, n >> 16);
        nHighest = std::max(nHighest, n >> 16);
    }
    EXPECT_NEAR(fSum / static_cast<double>(out.size()), 0.5, 0.01);
    EXPECT_GE(nLowest, -1);
    EXPECT_LE(nHighest, 2);
    EXPECT_LT(nLowest, nHighest);

    std::vector<int> again(in.size());
    quantiser.Setup(16, EDither::Tpdf);
    quantiser.Convert(in.data(), again.data(), static_cast<unsigned>(in.size()));
    EXPECT_EQ(out, again);
}

} // namespace
