// The output meter against what loudness measurement and a peak meter must
// read: the standard's sine levels in LUFS (a 997 Hz sine is weighted by
// almost exactly 0 dB), peaks held 1.5 s, silence at the floor.
#include "ProcessRig.h"

#include "processor/IVantorProcess.h"
#include "processor/OutputMeter.h"
#include "processor/ParameterTable.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Feeds nSeconds of a stereo signal in blocks of 512 frames.
template <typename Signal> void Feed(COutputMeter& meter, double fRate, double fSeconds, Signal signal, long& nAt)
{
    std::vector<float> left(512), right(512);
    const long nEnd = nAt + static_cast<long>(fSeconds * fRate);
    while (nAt < nEnd) {
        const unsigned nFrames = static_cast<unsigned>(std::min<long>(512, nEnd - nAt));
        for (unsigned n = 0; n < nFrames; ++n)
            signal(nAt + n, left[n], right[n]);
        const float* pp[2] = { left.data(), right.data() };
        meter.Process(pp, 2, nFrames);
        nAt += nFrames;
    }
}

TEST(OutputMeter, SineLevelsReadAsTheLoudnessStandardSays)
{
    for (const double fRate : { 44100.0, 48000.0, 96000.0 }) {
        COutputMeter meter;
        meter.SetSampleRate(static_cast<float>(fRate));
        long nAt = 0;
        // -12 dBFS on both channels: -12 LUFS (each channel's mean square is
        // a quarter of the peak's square; two channels add).
        const double fAmplitude = std::pow(10.0, -12.0 / 20.0);
        Feed(
            meter, fRate, 4.0,
            [&](long n, float& l, float& r) {
                l = r = static_cast<float>(fAmplitude * std::sin(2.0 * kPi * 997.0 * n / fRate));
            },
            nAt);
        EXPECT_NEAR(meter.GetShortTermLufs(), -12.0 + 10.0 * std::log10(0.5 * 2.0), 0.1) << fRate;
        EXPECT_NEAR(meter.GetHeldPeak(0), fAmplitude, 1e-3);
        // One channel alone reads 3 dB less.
        Feed(
            meter, fRate, 4.0,
            [&](long n, float& l, float& r) {
                l = static_cast<float>(fAmplitude * std::sin(2.0 * kPi * 997.0 * n / fRate));
                r = 0.0f;
            },
            nAt);
        EXPECT_NEAR(meter.GetShortTermLufs(), -15.01, 0.1) << fRate;
        // 10 kHz lies on the weighting's shelf, 4 dB up (and without the
        // 0.691 dB the calibration takes off to make 1 kHz read 0 dB).
        Feed(
            meter, fRate, 4.0,
            [&](long n, float& l, float& r) {
                l = r = static_cast<float>(fAmplitude * std::sin(2.0 * kPi * 10000.0 * n / fRate));
            },
            nAt);
        EXPECT_NEAR(meter.GetShortTermLufs(), -12.0 + 4.0 - 0.691, 0.1) << fRate;
        Feed(
            meter, fRate, 3.5, [](long, float& l, float& r) { l = r = 0.0f; }, nAt);
        EXPECT_EQ(meter.GetShortTermLufs(), COutputMeter::kSilenceLufs);
    }
}

TEST(OutputMeter, PeaksAreHeldOneAndAHalfSecondsAndTakenByTheReader)
{
    const double fRate = 48000.0;
    COutputMeter meter;
    meter.SetSampleRate(static_cast<float>(fRate));
    long nAt = 0;
    // A spike of 0.8 on the left at 0.1 s, a steady 0.3 on the right.
    Feed(
        meter, fRate, 0.2,
        [&](long n, float& l, float& r) {
            l = n == static_cast<long>(0.1 * fRate) ? -0.8f : 0.1f;
            r = 0.3f;
        },
        nAt);
    EXPECT_FLOAT_EQ(meter.TakePeak(0), 0.8f);
    EXPECT_FLOAT_EQ(meter.TakePeak(0), 0.0f) << "read and cleared";
    EXPECT_FLOAT_EQ(meter.TakePeak(1), 0.3f);
    auto steady = [](long, float& l, float& r) { l = 0.1f, r = 0.3f; };
    Feed(meter, fRate, 1.2, steady, nAt); // 1.3 s after the spike
    EXPECT_FLOAT_EQ(meter.GetHeldPeak(0), 0.8f);
    Feed(meter, fRate, 0.4, steady, nAt); // 1.7 s after
    EXPECT_FLOAT_EQ(meter.GetHeldPeak(0), 0.1f);
    EXPECT_FLOAT_EQ(meter.GetHeldPeak(1), 0.3f);
    EXPECT_FLOAT_EQ(meter.TakePeak(0), 0.1f);
    // A fresh start forgets everything.
    meter.Restart();
    Feed(
        meter, fRate, 0.01, [](long, float& l, float& r) { l = r = 0.0f; }, nAt);
    EXPECT_EQ(meter.GetHeldPeak(0), 0.0f);
    EXPECT_EQ(meter.GetShortTermLufs(), COutputMeter::kSilenceLufs);
}

TEST(OutputMeter, TheProcessMetersWhatLeavesTheChain)
{
    SProcessRig rig(3, 44100.0f); // the clipper alone
    EXPECT_EQ(rig.pProcess->GetNrOfMeters(), static_cast<unsigned>(kNrOfMeters));
    rig.pProcess->SetParameter(kClipperEnable, 0); // a plain 64-sample delay
    const unsigned nFrames = 4096;
    std::vector<float> audio(2 * nFrames);
    for (int nBlock = 0; nBlock < 40; ++nBlock) {
        for (unsigned n = 0; n < nFrames; ++n) {
            audio[n] = static_cast<float>(0.5 * std::sin(2.0 * kPi * 997.0 * (nBlock * nFrames + n) / 44100.0));
            audio[nFrames + n] = 0.25f * audio[n];
        }
        rig.Run(audio, 2, nFrames);
    }
    EXPECT_NEAR(rig.pProcess->GetMeter(kMeterPeakLeft), 0.5f, 1e-3);
    EXPECT_NEAR(rig.pProcess->GetMeter(kMeterHeldPeakRight), 0.125f, 1e-3);
    // Left at -6 dBFS and right 12 dB below it: 10·log10(1/8 + 1/128) − 0.691 + 0.691.
    EXPECT_NEAR(rig.pProcess->GetMeter(kMeterShortTermLufs), 10.0 * std::log10(0.125 + 0.125 / 16.0), 0.1);
}

} // namespace

TEST(OutputMeter, AMeterNobodyReadsRestsAndWakesWhenRead)
{
    COutputMeter meter;
    meter.SetSampleRate(48000.0f);
    long nAt = 0;
    const auto Loud = [](long n, float& l, float& r) { l = r = 0.25f * static_cast<float>(std::sin(0.13 * n)); };
    // Six seconds unread: the meter has gone to rest and shows silence.
    Feed(meter, 48000.0, 6.0, Loud, nAt);
    EXPECT_EQ(meter.GetShortTermLufs(), COutputMeter::kSilenceLufs);
    EXPECT_EQ(meter.TakePeak(0), 0.0f);
    // Read, it measures again from the next block.
    Feed(meter, 48000.0, 3.5, Loud, nAt);
    EXPECT_GT(meter.GetShortTermLufs(), -20.0f);
    EXPECT_NEAR(meter.TakePeak(0), 0.25f, 0.01f);
}
