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

    const float over[3] = { 1.5f, -1.5f, 1.0f };
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

// Power of the quantisation error in a band, from a Hann-windowed DFT.
double BandPower(const std::vector<double>& error, double fRate, double fLowHz, double fHighHz)
{
    const size_t n = error.size();
    double fPower = 0.0;
    for (size_t k = static_cast<size_t>(fLowHz / fRate * n); k < static_cast<size_t>(fHighHz / fRate * n); ++k) {
        double fRe = 0.0, fIm = 0.0;
        for (size_t i = 0; i < n; ++i) {
            const double w = 0.5 - 0.5 * std::cos(2.0 * M_PI * i / n);
            fRe += w * error[i] * std::cos(2.0 * M_PI * k * i / n);
            fIm -= w * error[i] * std::sin(2.0 * M_PI * k * i / n);
        }
        fPower += fRe * fRe + fIm * fIm;
    }
    return fPower;
}

TEST(Quantiser, ShapedDitherMovesTheNoiseUpAndLeavesExactBlocksAlone)
{
    // A tone at -60 dBFS in mono, quantised to 16 bits both ways.
    constexpr size_t kCount = 4096;
    std::vector<float> in(kCount);
    for (size_t i = 0; i < kCount; ++i)
        in[i] = static_cast<float>(0.001 * std::sin(2.0 * M_PI * 1000.0 * i / 44100.0));
    auto Error = [&](EDither eDither) {
        CSampleQuantiser quantiser;
        quantiser.Setup(16, eDither, 1);
        std::vector<int> out(kCount);
        quantiser.Convert(in.data(), out.data(), kCount);
        std::vector<double> error(kCount);
        for (size_t i = 0; i < kCount; ++i)
            error[i] = (out[i] >> 16) - in[i] * 32768.0;
        return error;
    };
    const std::vector<double> flat = Error(EDither::Tpdf), shaped = Error(EDither::Shaped);
    const double fLowDb
        = 10.0 * std::log10(BandPower(shaped, 44100.0, 50.0, 4000.0) / BandPower(flat, 44100.0, 50.0, 4000.0));
    const double fHighDb
        = 10.0 * std::log10(BandPower(shaped, 44100.0, 16000.0, 22000.0) / BandPower(flat, 44100.0, 16000.0, 22000.0));
    EXPECT_LT(fLowDb, -8.0);
    EXPECT_GT(fHighDb, 6.0);
    // The shaping keeps the signal: the error stays bounded.
    for (const double e : shaped)
        ASSERT_LT(std::fabs(e), 40.0);

    // Exact 16-bit values and digital silence get no dither of any kind.
    std::vector<float> exact(kCount, 0.0f);
    for (size_t i = 0; i < kCount / 2; ++i)
        exact[i] = static_cast<float>((static_cast<int>(i % 200) - 100) / 32768.0);
    CSampleQuantiser quantiser;
    quantiser.Setup(16, EDither::Shaped, 1);
    std::vector<int> out(kCount);
    quantiser.Convert(exact.data(), out.data(), kCount);
    for (size_t i = 0; i < kCount; ++i)
        ASSERT_EQ(out[i] >> 16, std::lround(exact[i] * 32768.0)) << i;
    EXPECT_EQ(quantiser.GetDitheredSamples(), 0);
}

} // namespace

TEST(Meters, ReadingsOverTimeFollowTheSignalAndLeaveTheWholeFiguresAlone)
{
    // A tone between samples' peaks (11025 Hz at 48 kHz, 45 degrees): 4 s at
    // -30 dBFS, then 4 s at -6 dBFS. Its true peak is its amplitude; the
    // short-term loudness of a steady tone settles at its BS.1770 level once
    // the 3 s window holds only it.
    const double fRate = 48000.0;
    std::vector<float> tone = Sine(11025.0, fRate, 1.0, M_PI / 4.0, 8 * 48000, 2);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] *= static_cast<float>(i < tone.size() / 2 ? std::pow(10.0, -30.0 / 20.0) : std::pow(10.0, -6.0 / 20.0));
    CTimeSeries shortTerm, truePeak;
    CLoudnessMeter withSeries(2, fRate), plain(2, fRate);
    withSeries.SetSeries(&shortTerm, &truePeak);
    for (size_t i = 0; i < tone.size(); i += 2 * 4096) {
        const unsigned n = static_cast<unsigned>(std::min<size_t>(4096, (tone.size() - i) / 2));
        withSeries.Add(tone.data() + i, n);
        plain.Add(tone.data() + i, n);
    }
    EXPECT_NEAR(withSeries.GetResult().fTruePeakDb, plain.GetResult().fTruePeakDb, 0.001);
    // The step itself rings a little above the louder level.
    EXPECT_NEAR(withSeries.GetResult().fTruePeakDb, -6.0, 0.1);
    EXPECT_EQ(withSeries.GetResult().fIntegratedLufs, plain.GetResult().fIntegratedLufs);

    const std::vector<double> peaks = truePeak.GetValues(), loudness = shortTerm.GetValues();
    ASSERT_EQ(peaks.size(), 80u);
    ASSERT_EQ(loudness.size(), 80u);
    EXPECT_DOUBLE_EQ(truePeak.GetStepSeconds(), 0.1);
    // The reference loudness of the tone's two levels, from the energy the
    // reference meter reads on each half alone.
    const std::vector<float> quiet(tone.begin() + 48000 * 2, tone.begin() + 48000 * 2 * 4);
    const std::vector<float> loud(tone.begin() + 48000 * 2 * 6, tone.end());
    CLoudnessMeter quietMeter(2, fRate), loudMeter(2, fRate);
    quietMeter.Add(quiet.data(), static_cast<unsigned>(quiet.size() / 2));
    loudMeter.Add(loud.data(), static_cast<unsigned>(loud.size() / 2));
    for (int n = 5; n < 38; ++n)
        EXPECT_NEAR(peaks[static_cast<size_t>(n)], -30.0, 0.05) << n;
    for (int n = 42; n < 80; ++n)
        EXPECT_NEAR(peaks[static_cast<size_t>(n)], -6.0, 0.05) << n;
    EXPECT_NEAR(loudness[35], quietMeter.GetResult().fIntegratedLufs, 0.05);
    EXPECT_NEAR(loudness[79], loudMeter.GetResult().fIntegratedLufs, 0.05);
}
