#include "DspTestUtil.h"

#include "dsp/ML2.h"

#include <cfloat>
#include <cstring>
#include <memory>

using namespace dsptest;

namespace {

// A limiter with its own blocks; Run processes one block of in[].
class CRig {
public:
    explicit CRig(int nChannels, bool bSIMD = true, float fRate = 44100.0f)
        : mfRate(fRate)
    {
        dsp::SetSIMDAllowed(bSIMD);
        mpModule = std::make_unique<ML2>(fRate, nChannels);
        dsp::SetSIMDAllowed(true);
    }
    ML2& Module() { return *mpModule; }
    ML2HostDSP& Kernel() { return *mpModule->Kernel(); }
    void Run()
    {
        float* ppIn[2] = { in[0].get(), in[1].get() };
        float* ppOut[2] = { out[0].get(), out[1].get() };
        float* ppAux[2] = { nullptr, trace.get() };
        mpModule->GetHostDSP()->Process(ppOut, ppIn, ppAux, 0, 0);
    }
    // nBlocks of a sine (Hz) on both channels; returns the peak output.
    double RunTone(double fAmplitude, double f, int nBlocks)
    {
        double fPeak = 0.0;
        for (int b = 0; b < nBlocks; ++b) {
            for (int n = 0; n < kBlockSize; ++n, ++mnSample)
                in[0][n] = in[1][n] = static_cast<float>(fAmplitude * std::sin(2.0 * kPi * f * mnSample / mfRate));
            Run();
            for (int n = 0; n < kBlockSize; ++n)
                fPeak = std::max(fPeak, double(std::fabs(out[0][n])));
        }
        return fPeak;
    }
    // Lets only one band through unfiltered (its sections pass the input,
    // the others' give 0), so the band's gain can be read off directly.
    void IsolateBand(int nBand)
    {
        ML2HostDSP& k = Kernel();
        for (int ch = 0; ch < 2; ++ch) {
            k.low[ch].B0 = nBand == 1 ? 1.0f : 0.0f;
            k.mid[ch].B0 = nBand == 2 ? 1.0f : 0.0f;
            k.high[ch].B0 = nBand == 3 ? 1.0f : 0.0f;
            k.low[ch].B1 = k.low[ch].B2 = k.low[ch].A1 = k.low[ch].A2 = 0.0f;
            k.mid[ch].B1 = k.mid[ch].B2 = k.mid[ch].A1 = k.mid[ch].A2 = 0.0f;
            k.high[ch].B1 = k.high[ch].A1 = 0.0f;
        }
    }

    CBlock in[2], out[2], trace;

private:
    float mfRate;
    long mnSample = 0;
    std::unique_ptr<ML2> mpModule;
};

double FirstOrderMagnitude(const SFirstOrder& s, double f, double fs)
{
    const std::complex<double> z1 = std::polar(1.0, -2.0 * kPi * f / fs);
    return std::abs((double(s.B0) + double(s.B1) * z1) / (1.0 - double(s.A1) * z1));
}

TEST(ML2, CrossoverBandsFollowTheirPrototypesAndSumToTheInput)
{
    std::mt19937 random(TestSeed());
    std::uniform_real_distribution<float> noise(-0.25f, 0.25f);
    // Crossover values act as rad/s as they arrive: defaults, and two
    // settings from the step tables (200 / 20400 and 30 / 1000).
    struct SCase {
        float fRate, w1, w2;
    };
    for (const SCase c : { SCase { 44100.0f, 1256.6f, 15079.2f }, SCase { 96000.0f, 200.0f, 20400.0f },
             SCase { 32000.0f, 30.0f, 1000.0f } }) {
        CRig rig(2, true, c.fRate);
        ML2& m = rig.Module();
        if (c.w1 != 1256.6f) {
            m.SetParameter(23, c.w1);
            m.SetParameter(24, c.w2);
        }
        const double fs = c.fRate;
        const SPrototype2 low { c.fRate, 0.0f, 0.0f, c.w1 * c.w2, 1.0f, c.w1 + c.w2, c.w1 * c.w2 };
        const SPrototype2 mid { c.fRate, 0.0f, c.w2, 0.0f, 1.0f, c.w1 + c.w2, c.w1 * c.w2 };
        const SPrototype1 high { c.fRate, 1.0f, 0.0f, 1.0f, c.w2 };
        const ML2HostDSP& k = rig.Kernel();
        for (double f : { 20.0, 100.0, 500.0, 2000.0, 8000.0, 14000.0 }) {
            // Without prewarp the digital response at f is the analog one at
            // 2 fs tan(pi f / fs).
            const double w = 2.0 * fs * std::tan(kPi * f / fs);
            const double fTolerance = fs > 50000.0 ? 0.05 : 0.02;
            for (int ch = 0; ch < 2; ++ch) {
                if (AnalogMagnitude(low, w) > 1e-2) {
                    EXPECT_NEAR(ToDb(DigitalMagnitude(k.low[ch], f, fs)), ToDb(AnalogMagnitude(low, w)), fTolerance);
                }
                if (AnalogMagnitude(mid, w) > 1e-2) {
                    EXPECT_NEAR(ToDb(DigitalMagnitude(k.mid[ch], f, fs)), ToDb(AnalogMagnitude(mid, w)), fTolerance);
                }
                if (AnalogMagnitude(high, w) > 1e-2) {
                    EXPECT_NEAR(
                        ToDb(FirstOrderMagnitude(k.high[ch], f, fs)), ToDb(AnalogMagnitude(high, w)), fTolerance);
                }
            }
        }

        // With unit gains, no reduction (r = 0 stays 0) and thresholds far
        // above the signal, the output is the input times the 0.995 trim.
        for (int nIndex : { 26, 30, 34 })
            m.SetParameter(nIndex, 12.0f);
        m.SetParameter(21, 5.0f);
        rig.Kernel().r1 = rig.Kernel().r2 = rig.Kernel().r3 = 0.0f;
        double fWorst = 0.0;
        for (int b = 0; b < 200; ++b) {
            for (int n = 0; n < kBlockSize; ++n) {
                rig.in[0][n] = noise(random);
                rig.in[1][n] = b < 100 ? noise(random) : rig.in[0][n];
            }
            const float x0 = rig.in[0][7], x1 = rig.in[1][7];
            rig.Run();
            fWorst = std::max({ fWorst, std::fabs(rig.out[0][7] / 0.995 - x0), std::fabs(rig.out[1][7] / 0.995 - x1) });
            ASSERT_EQ(rig.trace[5], 1.0f);
        }
        EXPECT_LT(fWorst, 2e-5) << "fs " << fs;
        EXPECT_EQ(rig.Kernel().r1 + rig.Kernel().r2 + rig.Kernel().r3, 0.0f);
    }
}

TEST(ML2, EachBandGainsDriveOverOnePlusRAndTheClipperCapsTheSum)
{
    const double fDrive = std::pow(10.0, 6.0 / 20.0);
    const double fG2 = std::pow(10.0, -4.0 / 20.0);
    for (int nChannels : { 1, 2 }) {
        for (int nBand = 1; nBand <= 3; ++nBand) {
            CRig rig(nChannels);
            rig.Module().SetParameter(20, 6.0f);
            rig.Module().SetParameter(29, -4.0f);
            rig.IsolateBand(nBand);
            rig.Module().Reset();
            for (int n = 0; n < kBlockSize; ++n)
                rig.in[0][n] = rig.in[1][n] = 0.01f;
            rig.Run();
            // After a reset every state is 0.02: the first sample's gain is
            // drive / 1.02 on every band.
            const double fGain = nBand == 2 ? fG2 : 1.0;
            const double fExpected = 0.01f * fDrive / 1.02 * fGain * 0.995f;
            EXPECT_NEAR(rig.out[0][0], fExpected, 1e-6 * fExpected) << "band " << nBand;
            if (nBand == 1) {
                // Band 1 is below its floor and holds the gain all block long.
                EXPECT_NEAR(rig.out[0][63], fExpected, 1e-6 * fExpected);
            } else {
                // Bands 2 and 3 release towards the full drive.
                EXPECT_GT(rig.out[0][63], rig.out[0][0]);
                EXPECT_LT(rig.out[0][63], fExpected * 1.02);
            }
        }
    }

    // The overload clipper: inside its 0.577 knee a sample passes, at 2.0
    // it is exactly 1.0 (then the 0.995 trim).
    CRig rig(2);
    rig.IsolateBand(1);
    rig.Module().SetParameter(26, 12.0f);
    rig.Module().SetParameter(21, 5.0f);
    rig.Kernel().r1 = 0.0f;
    const float samples[] = { 0.5f, -0.5f, 2.0f, -2.0f, 0.8f, 100.0f };
    for (int n = 0; n < kBlockSize; ++n)
        rig.in[0][n] = rig.in[1][n] = samples[n % 6];
    rig.Run();
    EXPECT_EQ(rig.out[0][0], 0.5f * 0.995f);
    EXPECT_EQ(rig.out[1][1], -0.5f * 0.995f);
    EXPECT_EQ(rig.out[0][2], 0.995f);
    EXPECT_EQ(rig.out[1][3], -0.995f);
    EXPECT_GT(rig.out[0][4], 0.577f * 0.995f);
    EXPECT_LT(rig.out[0][4], 0.8f * 0.995f);
    EXPECT_EQ(rig.out[0][5], 0.995f);
}

TEST(ML2, EachBandAttacksOnlyAboveItsThresholdWhateverItsGain)
{
    // theta = 10^((T + overload) / 20) x 0.4048583 (bands 1 and 2) or
    // x 0.3496503 (band 3), compared with the band after drive and state
    // gain, before the band's own gain.
    struct SCase {
        float fT, fOverload;
    };
    for (const SCase c : { SCase { 0.0f, 0.0f }, SCase { -6.0f, 2.5f }, SCase { 12.0f, -5.0f } }) {
        for (int nBand = 1; nBand <= 3; ++nBand) {
            const double fTheta = std::pow(10.0, (c.fT + c.fOverload) / 20.0) * (nBand == 3 ? 0.3496503 : 0.4048583);
            // Band 1 at 0.04 (below its floor: still without a signal);
            // bands 2 and 3 at 0 (0 x release stays 0).
            const float fStart = nBand == 1 ? 0.04f : 0.0f;
            for (double fMargin : { 0.9999, 1.0001 }) {
                CRig rig(2);
                ML2& m = rig.Module();
                m.SetParameter(21, c.fOverload);
                m.SetParameter(nBand == 1 ? 26 : nBand == 2 ? 30 : 34, c.fT);
                m.SetParameter(nBand == 1 ? 25 : nBand == 2 ? 29 : 33, -6.0f);
                rig.IsolateBand(nBand);
                ML2HostDSP& k = rig.Kernel();
                k.r1 = k.r2 = k.r3 = 0.0f;
                (nBand == 1 ? k.r1 : nBand == 2 ? k.r2 : k.r3) = fStart;
                for (int n = 0; n < kBlockSize; ++n)
                    rig.in[0][n] = rig.in[1][n] = static_cast<float>(fTheta * (1.0 + fStart) * fMargin);
                rig.in[0][0] = 0.0f; // either channel alone triggers
                rig.Run();
                const float r = nBand == 1 ? k.r1 : nBand == 2 ? k.r2 : k.r3;
                // The trace is the mean of the three band gains 1 / (1 + r),
                // taken after the sample's update (the other two states are 0).
                const double fAfterFirst = fMargin < 1.0 ? fStart
                    : nBand == 1                         ? fStart * 1.004
                    : nBand == 2                         ? 0.007
                                                         : 0.03;
                EXPECT_NEAR(rig.trace[0], (2.0 + 1.0 / (1.0 + fAfterFirst)) / 3.0, 1e-6);
                if (fMargin < 1.0)
                    EXPECT_EQ(r, fStart) << "band " << nBand << " T " << c.fT;
                else
                    EXPECT_GT(r, fStart) << "band " << nBand << " T " << c.fT;
            }
        }
    }
}

TEST(ML2, StatesAttackAndReleaseAtTheirRatesAndBandOneStopsAtItsFloor)
{
    // Over threshold band 1 grows by x1.004 per sample (doubling in about
    // 174 samples), bands 2 and 3 by +0.007 and +0.03 per sample.
    const double expected[3] = { 0.02 * std::pow(2.0, 128.0 / 174.0), 0.02 + 128 * 0.007, 0.02 + 128 * 0.03 };
    for (int nBand = 1; nBand <= 3; ++nBand) {
        CRig attack(2);
        attack.IsolateBand(nBand);
        for (int n = 0; n < kBlockSize; ++n)
            attack.in[0][n] = attack.in[1][n] = n % 2 ? 4.0f : -4.0f;
        for (int b = 0; b < 2; ++b)
            attack.Run();
        const ML2HostDSP& k = attack.Kernel();
        const float r = nBand == 1 ? k.r1 : nBand == 2 ? k.r2 : k.r3;
        EXPECT_NEAR(r, expected[nBand - 1], expected[nBand - 1] * 2e-3) << "band " << nBand;
    }

    // Release: each state falls by 100 in its share of the release time
    // (0.95, 0.6, 0.5 x R), here R = 0.5 s (step 30) at 48 kHz.
    for (int nChannels : { 1, 2 }) {
        CRig rig(nChannels, true, 48000.0f);
        EXPECT_EQ(rig.Module().SetParameterStep(22, 30), 0.5f);
        ML2HostDSP& k = rig.Kernel();
        const double times[3] = { 0.95 * 0.5, 0.6 * 0.5, 0.5 * 0.5 };
        for (int nBand = 0; nBand < 3; ++nBand) {
            k.r1 = k.r2 = k.r3 = 0.0f;
            float& r = nBand == 0 ? k.r1 : nBand == 1 ? k.r2 : k.r3;
            r = 20.0f;
            const long nSamples = std::lround(times[nBand] * 48000.0);
            for (long i = 0; i < nSamples / kBlockSize; ++i)
                rig.Run(); // silence
            // The remaining samples at 1/100 per time t, so compare the
            // exponent.
            const double fExpected = 20.0 * std::pow(0.01, (nSamples / kBlockSize) * kBlockSize / double(nSamples));
            EXPECT_NEAR(r, fExpected, fExpected * 0.01) << "band " << nBand + 1;
        }

        // Band 1 stops at the first value at or below its floor (0.1 mono,
        // 0.05 stereo) and stays there; below the floor it never changes.
        const double fFloor = nChannels == 1 ? 0.1 : 0.05;
        k.r1 = 0.3f;
        for (int b = 0; b < 400; ++b)
            rig.Run();
        EXPECT_LE(k.r1, fFloor);
        EXPECT_GT(k.r1, fFloor * 0.999);
        const float fSettled = k.r1;
        k.r1 = 0.07f;
        for (int n = 0; n < kBlockSize; ++n)
            rig.in[0][n] = rig.in[1][n] = 0.1f * std::sin(0.3f * n); // below threshold
        for (int b = 0; b < 300; ++b)
            rig.Run();
        if (nChannels == 1) {
            EXPECT_EQ(k.r1, 0.07f);
        } else {
            EXPECT_LE(k.r1, 0.05f);
            k.r1 = fSettled;
            rig.Run();
            EXPECT_EQ(k.r1, fSettled);
        }
    }
}

TEST(ML2, LoudSignalIsLimitedLinkedAcrossChannelsAndMetered)
{
    CRig rig(2);
    ML2& m = rig.Module();
    EXPECT_EQ(m.GetMeter(0), -60.0f) << "after a reset the hold is 1000";
    rig.Run(); // silence: every band gain is near 1 / 1.02
    const float fQuiet = m.GetMeter(0);
    EXPECT_GT(fQuiet, 0.0f);
    EXPECT_LE(fQuiet, ToDb(1.02) + 1e-4);
    EXPECT_EQ(m.GetMeter(0), -60.0f) << "a read restarts the hold";

    // A loud tone at 700 Hz, the centre of the mid band (where the low and
    // high bands nearly cancel), over a -6 dB threshold: the mid band's gain
    // falls and the output level with it.
    for (int nIndex : { 26, 30, 34 })
        m.SetParameter(nIndex, -6.0f);
    const double fFirst = rig.RunTone(0.5, 700.0, 1);
    rig.RunTone(0.5, 700.0, 100);
    const double fSettled = rig.RunTone(0.5, 700.0, 10);
    EXPECT_NEAR(fFirst, 0.5 * 0.995 / 1.02, 0.02);
    EXPECT_LT(fSettled, 0.7 * fFirst);
    EXPECT_GT(rig.Kernel().r2, 0.5f);
    EXPECT_GT(m.GetMeter(0), 1.0f);
    // The trace follows the mean band gain.
    EXPECT_LT(rig.trace[63], 0.9f);
    EXPECT_GT(rig.trace[63], 0.3f);

    // The release brings the level back: 2 s of silence at R = 1 s, then a
    // quiet tone passes at nearly full gain.
    for (int b = 0; b < 2 * 44100 / kBlockSize; ++b) {
        std::memset(rig.in[0].get(), 0, kBlockSize * sizeof(float));
        std::memset(rig.in[1].get(), 0, kBlockSize * sizeof(float));
        rig.Run();
    }
    EXPECT_LT(rig.Kernel().r2, 0.01f);
    EXPECT_NEAR(rig.RunTone(0.05, 700.0, 4), 0.05 * 0.995, 0.05 * 0.995 * 0.02);

    // After a long silence (8 s: bands 2 and 3 fall below 1e-21) their
    // states are exactly 0, never denormal; band 1 never falls to 0.
    for (int b = 0; b < 8 * 44100 / kBlockSize; ++b) {
        std::memset(rig.in[0].get(), 0, kBlockSize * sizeof(float));
        std::memset(rig.in[1].get(), 0, kBlockSize * sizeof(float));
        rig.Run();
    }
    EXPECT_EQ(rig.Kernel().r2, 0.0f);
    EXPECT_EQ(rig.Kernel().r3, 0.0f);
    EXPECT_EQ(rig.Kernel().r1, 0.02f);

    // Linked stereo: a loud left channel turns the quiet right one down.
    CRig linked(2), alone(2);
    for (int b = 0; b < 200; ++b) {
        for (int n = 0; n < kBlockSize; ++n) {
            const float x = static_cast<float>(std::sin(2.0 * kPi * 700.0 * (b * kBlockSize + n) / 44100.0));
            linked.in[0][n] = 0.9f * x;
            linked.in[1][n] = alone.in[1][n] = 0.05f * x;
            alone.in[0][n] = 0.0f;
        }
        linked.Run();
        alone.Run();
    }
    double fLinked = 0.0, fAlone = 0.0;
    for (int n = 0; n < kBlockSize; ++n) {
        fLinked = std::max(fLinked, double(std::fabs(linked.out[1][n])));
        fAlone = std::max(fAlone, double(std::fabs(alone.out[1][n])));
    }
    EXPECT_LT(fLinked, 0.7 * fAlone);
}

TEST(ML2, StepTablesAndUnusedControls)
{
    CRig rig(2), reference(2);
    ML2& m = rig.Module();
    EXPECT_EQ(m.LookupStep(21, 64), 0.0f);
    EXPECT_EQ(m.LookupStep(22, 64), 1.0f);
    EXPECT_EQ(m.LookupStep(23, 63), 200.0f);
    EXPECT_EQ(m.LookupStep(24, 127), 20400.0f);
    EXPECT_EQ(m.LookupStep(38, 5), 0.0f);
    // Indices 27, 28, 31, 32, 35, 36 give k / 127 and change nothing.
    for (int nIndex : { 27, 28, 31, 32, 35, 36, 19, 38 })
        EXPECT_FLOAT_EQ(m.SetParameterStep(nIndex, 100), nIndex == 19 || nIndex == 38 ? 0.0f : 100.0f / 127.0f);
    std::mt19937 random(TestSeed());
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    for (int b = 0; b < 50; ++b) {
        for (int n = 0; n < kBlockSize; ++n) {
            rig.in[0][n] = reference.in[0][n] = noise(random);
            rig.in[1][n] = reference.in[1][n] = noise(random);
        }
        rig.Run();
        reference.Run();
        ASSERT_EQ(0, std::memcmp(rig.out[0].get(), reference.out[0].get(), kBlockSize * sizeof(float)));
    }
    // The output step table runs from -18 to +18 dB on top of the 0.995 trim.
    EXPECT_EQ(m.SetParameterStep(37, 127), 18.0f);
    EXPECT_NEAR(rig.Kernel().outputGain, std::pow(10.0, 0.9) * 0.995, 1e-5);
}

TEST(ML2, ScalarAndSSEKernelsGiveTheSameBits)
{
    std::mt19937 random(TestSeed());
    std::uniform_int_distribution<int> step(0, 127);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    for (int nTrial = 0; nTrial < 12; ++nTrial) {
        const int nChannels = nTrial % 3 == 2 ? 1 : 2;
        CRig scalar(nChannels, false), simd(nChannels, true);
        ASSERT_FALSE(scalar.Kernel().UsesSIMD());
        for (int nIndex = 20; nIndex <= 37; ++nIndex) {
            const int nStep = step(random);
            scalar.Module().SetParameterStep(nIndex, nStep);
            simd.Module().SetParameterStep(nIndex, nStep);
        }
        for (int b = 0; b < 300; ++b) {
            // Bursts of loud noise over a quiet tone, so states both attack
            // and release.
            const float fLevel = (b / 20) % 2 ? 2.0f : 0.05f;
            for (int n = 0; n < kBlockSize; ++n) {
                for (int ch = 0; ch < 2; ++ch)
                    scalar.in[ch][n] = simd.in[ch][n] = fLevel * noise(random) + 0.1f * std::sin(0.05f * n + ch);
            }
            scalar.Run();
            simd.Run();
            for (int ch = 0; ch < nChannels; ++ch)
                ASSERT_EQ(0, std::memcmp(scalar.out[ch].get(), simd.out[ch].get(), kBlockSize * sizeof(float)))
                    << "trial " << nTrial << " block " << b;
            ASSERT_EQ(0, std::memcmp(scalar.trace.get(), simd.trace.get(), kBlockSize * sizeof(float)));
        }
        const ML2HostDSP& a = scalar.Kernel();
        const ML2HostDSP& s = simd.Kernel();
        EXPECT_EQ(a.r1, s.r1);
        EXPECT_EQ(a.r2, s.r2);
        EXPECT_EQ(a.r3, s.r3);
        EXPECT_EQ(0, std::memcmp(a.low, s.low, sizeof(a.low)));
        EXPECT_EQ(0, std::memcmp(a.mid, s.mid, sizeof(a.mid)));
        EXPECT_EQ(0, std::memcmp(a.high, s.high, sizeof(a.high)));
        EXPECT_EQ(scalar.Module().GetMeter(0), simd.Module().GetMeter(0));
    }
}

TEST(ML2, ImpossibleSettingsKeepFiniteCoefficientsAndNonFiniteInputIsDetected)
{
    CRig rig(2);
    ML2& m = rig.Module();
    const SBiquad lowBefore = rig.Kernel().low[0];
    for (float w : { 0.0f, -300.0f, 1e30f, NAN, INFINITY }) {
        m.SetParameter(23, w);
        m.SetParameter(24, w);
    }
    m.SetParameter(22, 0.0f); // zero release: instant, never NaN
    m.Setup(0.0f, 2, -1);
    m.Setup(NAN, 2, -1);
    EXPECT_EQ(0, std::memcmp(&lowBefore, &rig.Kernel().low[0], sizeof(SBiquad)));
    const ML2HostDSP& k = rig.Kernel();
    for (float f : { k.rho1, k.rho2, k.rho3, k.drive, k.theta1, k.outputGain })
        EXPECT_TRUE(std::isfinite(f));
    // Crossover far above the audio band is still a stable design.
    m.Setup(44100.0f, 2, -1);
    m.SetParameter(23, 1e6f);
    m.SetParameter(24, 3e6f);
    std::mt19937 random(TestSeed());
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    for (int b = 0; b < 100; ++b) {
        for (int n = 0; n < kBlockSize; ++n)
            rig.in[0][n] = rig.in[1][n] = noise(random);
        rig.Run();
        ASSERT_TRUE(rig.Kernel().IsStateFinite());
    }
    for (int n = 0; n < kBlockSize; ++n)
        EXPECT_LE(std::fabs(rig.out[0][n]), 0.995f);

    // A +-FLT_MAX pair overflows the high band; the state check sees it and
    // a reset recovers.
    m.SetParameter(23, 1256.6f);
    m.SetParameter(24, 15079.2f);
    for (int n = 0; n < kBlockSize; ++n)
        rig.in[0][n] = rig.in[1][n] = n % 2 ? FLT_MAX : -FLT_MAX;
    for (int b = 0; b < 3; ++b)
        rig.Run();
    EXPECT_FALSE(rig.Kernel().IsStateFinite());
    m.Reset();
    EXPECT_TRUE(rig.Kernel().IsStateFinite());
    EXPECT_EQ(rig.Kernel().r2, 0.02f);
    rig.RunTone(0.5, 440.0, 2);
    for (int n = 0; n < kBlockSize; ++n)
        EXPECT_TRUE(std::isfinite(rig.out[0][n]));
}

} // namespace
