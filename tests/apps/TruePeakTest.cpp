// The true-peak meter against the tests' own 16x oversampler
// (ReferenceMeters.h). Tones at the rates and frequencies
// where four-times meters read low, at many phases; square waves; a mix
// clipped hard at full scale.
#include "ReferenceMeters.h"
#include "apps/vantor/TruePeakMeter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

double Db(double f)
{
    return 20.0 * std::log10(f);
}

double ReferencePeak(const std::vector<float>& x)
{
    return reference::Peak(x);
}

// The meter fed in uneven blocks, as files arrive.
double MeterPeak(const std::vector<float>& x)
{
    CTruePeakMeter meter(1);
    size_t nDone = 0;
    for (unsigned nBlock = 1; nDone < x.size(); nBlock = nBlock * 3 + 7) {
        const unsigned nFrames = static_cast<unsigned>(std::min<size_t>(nBlock % 5000 + 1, x.size() - nDone));
        meter.Add(x.data() + nDone, nFrames);
        nDone += nFrames;
    }
    return meter.GetTruePeak();
}

std::vector<float> Tone(double fCycles, double fPhase, double fAmplitude, int nFrames)
{
    std::vector<float> x(static_cast<size_t>(nFrames));
    for (int i = 0; i < nFrames; ++i) {
        // A short fade in and out keeps the edges from ringing above the tone.
        const double fFade = std::min({ 1.0, i / 64.0, (nFrames - 1 - i) / 64.0 });
        x[static_cast<size_t>(i)]
            = static_cast<float>(fAmplitude * fFade * std::cos(2.0 * M_PI * fCycles * i + fPhase));
    }
    return x;
}

TEST(TruePeak, TonesReadTheirAmplitudeAtEveryPhaseUpToNearlyHalfTheRate)
{
    // Frequencies as fractions of the sample rate: a quarter, near 0.45
    // (19.8 kHz at 44.1 kHz, 43 kHz at 96 kHz), 20 kHz at 48 and 192 kHz.
    const double fCycles[] = { 0.25, 0.2512, 0.449, 0.4479, 20000.0 / 48000.0, 20000.0 / 192000.0, 997.0 / 44100.0 };
    for (const double f : fCycles) {
        for (int nPhase = 0; nPhase < 16; ++nPhase) {
            const double fPhase = nPhase * M_PI / 8.0 + 0.1;
            const std::vector<float> x = Tone(f, fPhase, 0.7, 1500);
            const double fMeter = Db(MeterPeak(x));
            SCOPED_TRACE(testing::Message() << f << " fs, phase " << fPhase);
            EXPECT_NEAR(fMeter, Db(0.7), 0.05);
            if (nPhase % 4 == 0) {
                EXPECT_NEAR(fMeter, Db(ReferencePeak(x)), 0.1);
            }
        }
    }
}

TEST(TruePeak, SquareWavesAndClippedMixesAgreeWithTheReference)
{
    std::vector<std::vector<float>> signals;
    // Naive square waves: their steps overshoot between the samples. Periods
    // of 4k samples: an odd half period puts a harmonic exactly at half the
    // sample rate, where no interpolator can say what the peak is (the
    // reference's sinc passes it whole, ours at half).
    for (const int nHalfPeriod : { 2, 4, 20, 50 }) {
        std::vector<float> x(3000);
        for (size_t i = 0; i < x.size(); ++i)
            x[i] = (i / static_cast<size_t>(nHalfPeriod)) % 2 == 0 ? 0.5f : -0.5f;
        signals.push_back(x);
    }
    // A mix of tones and noise driven 12 dB into a hard clip at full scale,
    // the brickwall master whose overs sit between the samples.
    std::mt19937 random(13);
    std::normal_distribution<double> noise(0.0, 0.1);
    std::vector<float> mix(6000);
    for (size_t i = 0; i < mix.size(); ++i) {
        const double t = static_cast<double>(i);
        const double f
            = std::sin(0.031 * t) + 0.6 * std::sin(0.77 * t + 1.0) + 0.4 * std::sin(2.51 * t) + noise(random);
        mix[i] = static_cast<float>(std::clamp(4.0 * f, -1.0, 1.0));
    }
    signals.push_back(mix);
    // A single full-scale sample and a click pair of opposite signs.
    std::vector<float> click(600, 0.0f);
    click[300] = 1.0f;
    signals.push_back(click);
    click[301] = -1.0f;
    signals.push_back(click);

    for (size_t n = 0; n < signals.size(); ++n) {
        const double fReference = ReferencePeak(signals[n]);
        const double fMeter = MeterPeak(signals[n]);
        EXPECT_NEAR(Db(fMeter), Db(fReference), 0.1) << "signal " << n;
    }
    // The clipped mix holds samples at full scale and overs beyond them.
    EXPECT_GT(Db(MeterPeak(mix)), 0.5);
}

TEST(TruePeak, SilenceAndStereoChannels)
{
    CTruePeakMeter silent(2);
    const std::vector<float> zeros(2000, 0.0f);
    silent.Add(zeros.data(), 1000);
    EXPECT_EQ(silent.GetTruePeak(), 0.0);

    // The right channel alone holds the peak; the channels are not mixed.
    const std::vector<float> tone = Tone(0.25, M_PI / 4.0, 0.5, 2000);
    std::vector<float> stereo(2 * tone.size());
    for (size_t i = 0; i < tone.size(); ++i) {
        stereo[2 * i] = 0.1f * tone[i];
        stereo[2 * i + 1] = tone[i];
    }
    CTruePeakMeter meter(2);
    meter.Add(stereo.data(), static_cast<unsigned>(tone.size()));
    EXPECT_NEAR(Db(meter.GetTruePeak()), Db(0.5), 0.05);
}

} // namespace
