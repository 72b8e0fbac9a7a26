#include "DspTestUtil.h"

#include "dsp/HostDSP.h"
#include "dsp/SC1.h"
#include "dsp/SC1HostDSP.h"

#include <array>
#include <cfloat>
#include <cstring>
#include <memory>

using namespace dsptest;

namespace {

constexpr float kRate = 44100.0f;

// A compressor with its own blocks; Run processes one block of in[].
class CRig {
public:
    explicit CRig(int nChannels, bool bSIMD = true)
    {
        dsp::SetSIMDAllowed(bSIMD);
        mpModule = std::make_unique<SC1>(kRate, nChannels);
        dsp::SetSIMDAllowed(true);
    }
    SC1& Module() { return *mpModule; }
    SC1HostDSP& Kernel() { return *static_cast<SC1HostDSP*>(mpModule->GetHostDSP()); }
    void Run()
    {
        float* ppIn[2] = { in[0].get(), in[1].get() };
        float* ppOut[2] = { out[0].get(), out[1].get() };
        float* ppAux[1] = { trace.get() };
        mpModule->GetHostDSP()->Process(ppOut, ppIn, ppAux, 0, 0);
    }
    // nBlocks of a sine (amplitude, Hz) on channel 0 and 1 (same signal),
    // or of a constant when f is 0; returns the mean gain of the last second.
    double RunTone(double fAmplitude, double f, int nBlocks)
    {
        double fSum = 0.0;
        long nCount = 0;
        for (int b = 0; b < nBlocks; ++b) {
            for (int n = 0; n < kBlockSize; ++n, ++mnSample)
                in[0][n] = in[1][n] = static_cast<float>(
                    f == 0.0 ? fAmplitude : fAmplitude * std::sin(2.0 * kPi * f * mnSample / kRate));
            Run();
            if (b >= nBlocks - static_cast<int>(kRate / kBlockSize)) {
                for (int n = 0; n < kBlockSize; ++n, ++nCount)
                    fSum += trace[n];
            }
        }
        return fSum / nCount;
    }

    CBlock in[2], out[2], trace;

private:
    long mnSample = 0;
    std::unique_ptr<SC1> mpModule;
};

int Seconds(double f)
{
    return static_cast<int>(f * kRate / kBlockSize);
}

// Steady-state gain of the timing network while it charges: the divider of
// its resistors, (R2 + 20k) / (R1 + R2 + 20k), with R1 = 625 kOhm per second
// of attack and R2 = 212.766 kOhm per second of release.
double NetworkGain(double fAttack, double fRelease)
{
    const double R1 = fAttack * 625000.0, R2 = fRelease * 212765.97;
    return (R2 + 20000.0) / (R1 + R2 + 20000.0);
}

// |H| at f Hz of the side-chain shelf (384.6154 / w) (s + 200) / (s + w),
// w = 6.283 fc.
double SideChainGain(double f, double fc)
{
    const double w = 6.283 * fc;
    const std::complex<double> s(0.0, 2.0 * kPi * f);
    return std::abs(384.6154 / w * (s + 200.0) / (s + w));
}

TEST(SC1, SilenceReturnsTheGainToExactlyOneWithoutDenormals)
{
    for (int nChannels : { 1, 2 }) {
        CRig rig(nChannels);
        rig.Module().SetParameter(SC1::kRelease, 0.3f);
        rig.RunTone(0.8, 440.0, Seconds(1.0));
        ASSERT_LT(rig.trace[63], 0.9f) << "the tone compresses";
        // Branch B falls 40 dB per 0.3 s: from ~0.1 past 1e-22 in about 3 s.
        rig.RunTone(0.0, 0.0, Seconds(5.0));
        for (int n = 0; n < kBlockSize; ++n) {
            EXPECT_EQ(rig.trace[n], 1.0f);
            EXPECT_LT(std::fabs(rig.out[0][n]), 1e-34f) << "only the 1e-35 offset is left";
            EXPECT_GT(std::fabs(rig.out[0][n]), 0.0f);
        }
        for (const SC1Detector& d : rig.Kernel().mDetectors) {
            for (double f : { d.Aout, d.Bout, d.xA1, d.yA1, d.xB1, d.yB1, d.branchA.x1, d.branchB.x1, d.sideChain.x1,
                     d.sideChain.y1 }) {
                EXPECT_LT(std::fabs(f), 1e-30);
                EXPECT_TRUE(f == 0.0 || std::fabs(f) >= DBL_MIN) << "denormal " << f;
            }
        }
    }
}

TEST(SC1, StereoIsRebuiltFromMidAndSideWithoutHalving)
{
    std::mt19937 random(TestSeed());
    CRig rig(2);
    for (int nTrial = 0; nTrial < 20; ++nTrial) {
        const float fDrive = rig.Module().SetParameterStep(SC1::kDrive, random() % 128);
        const float fOutput = rig.Module().SetParameterStep(SC1::kOutput, random() % 128);
        rig.Module().SetParameter(SC1::kEnhancer, 0.0f);
        rig.Module().Reset();
        rig.in[0][0] = 0.3f;
        rig.in[1][0] = -0.1f;
        rig.Run();
        // Right after Reset the envelope is 0 and the gain is the drive.
        const double fExpected = 2.0 * std::pow(10.0, (fDrive + fOutput) / 20.0);
        EXPECT_NEAR(rig.out[0][0], fExpected * 0.3, 1e-5 * fExpected) << fDrive << " " << fOutput;
        EXPECT_NEAR(rig.out[1][0], fExpected * -0.1, 1e-5 * fExpected);
    }

    // The enhancer raises pure side content by its value in dB against pure
    // mid content (0.2 of it through the side drive, 0.8 through the level).
    for (float fEnhancer : { -5.0f, 2.5f, 5.0f }) {
        rig.Module().SetParameter(SC1::kEnhancer, fEnhancer);
        float fOut[2];
        for (int nSide : { 0, 1 }) {
            rig.Module().Reset();
            rig.in[0][0] = 0.01f;
            rig.in[1][0] = nSide ? -0.01f : 0.01f;
            rig.Run();
            fOut[nSide] = rig.out[0][0];
        }
        EXPECT_NEAR(ToDb(fOut[1] / fOut[0]), fEnhancer, 1e-4);
    }
}

TEST(SC1, SteadyLevelsSettleOnTheStaticFeedbackCurve)
{
    // A constant input keeps the network charging; the envelope settles at
    // the network's gain times the rectified side-chain level, so with
    // L = c H(0) drive x the gain is G = 1 / (1 + k L), k = ratio - 0.5.
    struct SCase {
        float fRatio, fDrive, fSideChain, fAttack;
        double fK, fInput;
    };
    for (const SCase& c :
        { SCase { 1.5f, 0.0f, 110.0f, 0.02f, 1.0, 0.3 }, SCase { 4.675f, 0.0f, 110.0f, 0.02f, 4.175, 0.3 },
            SCase { 4.675f, 12.0f, 32.0f, 0.011f, 4.175, 0.5 }, SCase { 3.0f, 6.0f, 218.0f, 0.081f, 2.5, 1.0 } }) {
        CRig rig(1);
        rig.Module().SetParameter(SC1::kRatio, c.fRatio);
        rig.Module().SetParameter(SC1::kDrive, c.fDrive);
        rig.Module().SetParameter(SC1::kSideChain, c.fSideChain);
        rig.Module().SetParameter(SC1::kAttack, c.fAttack);
        rig.RunTone(c.fInput, 0.0, Seconds(8.0));
        const double fLevel = NetworkGain(c.fAttack, 3.0) * SideChainGain(0.0, c.fSideChain)
            * std::pow(10.0, c.fDrive / 20.0) * c.fInput;
        EXPECT_NEAR(rig.trace[63], 1.0 / (1.0 + c.fK * fLevel), 2e-6) << "ratio " << c.fRatio;
    }

    // A sine charges the network only near its peaks: the effective level
    // lies between the mean and the peak of the rectified side chain, and
    // the same law holds, so (1/G - 1) / (k A |H|) stays put across level
    // and ratio.
    double fFirst = 0.0;
    for (float fRatio : { 1.5f, 4.675f }) {
        for (double fAmplitude : { 0.05, 0.3 }) {
            CRig rig(1);
            rig.Module().SetParameter(SC1::kRatio, fRatio);
            rig.Module().SetParameter(SC1::kDrive, 0.0f);
            const double G = rig.RunTone(fAmplitude, 1000.0, Seconds(6.0));
            const double fEffective = (1.0 / G - 1.0) / ((fRatio - 0.5) * fAmplitude * SideChainGain(1000.0, 110.0));
            EXPECT_GT(fEffective, 2.0 / kPi);
            EXPECT_LT(fEffective, 1.0);
            if (fFirst == 0.0)
                fFirst = fEffective;
            EXPECT_NEAR(fEffective / fFirst, 1.0, 0.02) << "ratio " << fRatio << " amplitude " << fAmplitude;
        }
    }
}

TEST(SC1, ControlsShapeTheCompressionTheWayTheirUnitsSay)
{
    auto reduction = [](float fRatio, float fDrive, float fSideChain, double f) {
        CRig rig(2);
        rig.Module().SetParameter(SC1::kRatio, fRatio);
        rig.Module().SetParameter(SC1::kDrive, fDrive);
        rig.Module().SetParameter(SC1::kSideChain, fSideChain);
        return 1.0 / rig.RunTone(0.15, f, Seconds(5.0)) - 1.0;
    };
    const double fBase = reduction(3.0f, 0.0f, 110.0f, 1000.0);
    EXPECT_GT(reduction(4.0f, 0.0f, 110.0f, 1000.0), fBase);
    EXPECT_GT(reduction(3.0f, 6.0f, 110.0f, 1000.0), fBase);
    // A 50 Hz tone reaches the detector through the shelf: the reduction
    // scales with the shelf's gain (the effective level moves a few %).
    const double fLow = reduction(3.0f, 0.0f, 32.0f, 50.0);
    const double fHigh = reduction(3.0f, 0.0f, 218.0f, 50.0);
    EXPECT_NEAR(fLow / fHigh, SideChainGain(50.0, 32.0) / SideChainGain(50.0, 218.0), 0.05 * fLow / fHigh);

    // Release: once branch A (1250 dB/s) has gone, 1 - G = k E follows
    // branch B, which falls 40 dB per release time.
    for (float fRelease : { 0.3f, 1.0f, 3.0f }) {
        CRig rig(1);
        rig.Module().SetParameter(SC1::kRelease, fRelease);
        rig.RunTone(0.5, 1000.0, Seconds(4.0));
        rig.RunTone(0.0, 0.0, Seconds(0.2));
        const double fBefore = 1.0 - rig.trace[63];
        rig.RunTone(0.0, 0.0, Seconds(fRelease / 2.0));
        const double fSeconds = Seconds(fRelease / 2.0) * kBlockSize / kRate;
        EXPECT_NEAR(ToDb(fBefore / (1.0 - rig.trace[63])), 40.0 * fSeconds / fRelease, 0.15) << fRelease;
    }
}

// The timing network as the analog circuit it models: for a constant
// rectified level u switched on at t = 0 (charging all the way, the feedback
// opened), the envelope is u times the step response of
// pA / (s + pA) (a s + b) / (s + pB), with pA + pB = S, pA pB the resistor
// sum over the RC products, a the fast (1.6 uF) and slow (4.7 uF) branches'
// high-frequency paths and b their resistive paths.
double NetworkStepResponse(double fAttack, double fRelease, double t)
{
    const double R1 = fAttack * 625000.0, R2 = fRelease * 212765.97, P = R1 * R2;
    const double V = 1.0 / (P * 1.504e-7), tau = R2 * 4.7e-6;
    const double S = ((tau + 0.032) * R1 + R2 * 0.126) * V;
    const double fRoot = std::sqrt(std::max(S * S - 4.0 * (R1 + R2 + 20000.0) * V, 0.0));
    const double pA = (S - fRoot) / 2.0, pB = (S + fRoot) / 2.0;
    const double a = 1.0 / (R1 * 1.6e-6) + 1.0 / (R1 * 4.7e-6);
    const double b = 1.0 / (P * 7.52e-12) + 1.0 / (R1 * 1.504e-7);
    // Residues of (a s + b) / (s (s + pA) (s + pB)).
    return b / (pA * pB) + (b - a * pA) / (pA * (pA - pB)) * std::exp(-pA * t)
        + (b - a * pB) / (pB * (pB - pA)) * std::exp(-pB * t);
}

TEST(SC1, TheNetworkChargesLikeItsCircuitAndTheFastBranchFalls1250DbPerSecond)
{
    for (float fAttack : { 0.011f, 0.02f, 0.081f }) {
        for (float fRelease : { 0.3f, 3.0f }) {
            CRig rig(1);
            rig.Module().SetParameter(SC1::kAttack, fAttack);
            rig.Module().SetParameter(SC1::kRelease, fRelease);
            rig.Module().SetParameter(SC1::kDrive, 0.0f);
            // Open the loop (k = 0: the gain stays 1) and pass the detector's
            // output to the rectifier unfiltered, so u is the input level.
            SC1Detector& d = rig.Kernel().mDetectors[0];
            d.k = 0.0;
            d.sideChain.B0 = 1.0;
            d.sideChain.B1 = d.sideChain.A1 = 0.0;
            const double u = 0.5;
            const double fFinal = NetworkStepResponse(fAttack, fRelease, 1e9);
            EXPECT_NEAR(fFinal, NetworkGain(fAttack, fRelease), 1e-6) << "the divider the steady state reaches";
            for (int nBlock = 0; nBlock < Seconds(1.0); ++nBlock) {
                std::fill(rig.in[0].get(), rig.in[0].get() + kBlockSize, static_cast<float>(u));
                rig.Run();
                const double t = (kBlockSize * (nBlock + 1) - 1) / double(kRate);
                ASSERT_NEAR((d.Aout + d.Bout) / u, NetworkStepResponse(fAttack, fRelease, t), 0.003 * fFinal)
                    << "attack " << fAttack << " release " << fRelease << " at " << t << " s";
            }
            // Silence: once the rectifier has nothing, branch A decays by
            // 1250 dB per second, sample by sample.
            std::fill(rig.in[0].get(), rig.in[0].get() + kBlockSize, 0.0f);
            rig.Run();
            const double fBefore = d.Aout;
            ASSERT_GT(fBefore, 1e-6);
            const int nBlocks = 4;
            for (int nBlock = 0; nBlock < nBlocks; ++nBlock)
                rig.Run();
            EXPECT_NEAR(ToDb(fBefore / d.Aout), 1250.0 * nBlocks * kBlockSize / kRate, 1e-6);
        }
    }
}

TEST(SC1, MeterHoldsTheDeepestBlockEndReductionUntilRead)
{
    CRig rig(2);
    EXPECT_EQ(rig.Module().GetMeter(0), 0.0f) << "hold 1.0 after Reset";
    EXPECT_EQ(rig.Module().GetMeter(0), -60.0f) << "no block since the last read";

    float fDeepest = 1.0f;
    for (double fAmplitude : { 0.1, 0.4, 0.2 }) {
        for (int b = 0; b < 20; ++b) {
            rig.RunTone(fAmplitude, 300.0, 1);
            fDeepest = std::min(fDeepest, rig.trace[63]);
        }
    }
    EXPECT_NEAR(rig.Module().GetMeter(0), -ToDb(fDeepest), 1e-4);
    EXPECT_EQ(rig.Module().GetMeter(0), -60.0f);

    // A very hot input drives the trace negative; the meter stops at 80 dB
    // and the drive-scaled gain at its floor of 0.01 (-40 dB).
    CRig mono(1);
    mono.Module().SetParameter(SC1::kDrive, 0.0f);
    mono.RunTone(1000.0, 300.0, Seconds(0.5));
    EXPECT_LT(mono.trace[63], 0.0f);
    EXPECT_FLOAT_EQ(mono.Module().GetMeter(0), 80.0f);
    for (int n = 0; n < kBlockSize; ++n)
        EXPECT_NEAR(mono.out[0][n], 0.01 * mono.in[0][n], 1e-6 * std::fabs(mono.in[0][n]));
    EXPECT_TRUE(mono.Kernel().IsStateFinite());
}

TEST(SC1, ImpossibleSettingsAndNonFiniteInputDoNoLastingHarm)
{
    // A zero attack, release, side-chain frequency or rate keeps the design.
    CRig reference(2), rig(2);
    rig.Module().SetParameter(SC1::kAttack, 0.0f);
    rig.Module().SetParameter(SC1::kRelease, 0.0f);
    rig.Module().SetParameter(SC1::kSideChain, 0.0f);
    rig.Module().Setup(0.0f, 2, -1);
    for (int b = 0; b < Seconds(1.0); ++b) {
        reference.RunTone(0.4, 200.0 + b, 1);
        rig.RunTone(0.4, 200.0 + b, 1);
        for (int ch = 0; ch < 2; ++ch)
            ASSERT_EQ(0, std::memcmp(reference.out[ch].get(), rig.out[ch].get(), kBlockSize * sizeof(float)));
    }

    // Non-finite input is reported; Reset then behaves like a new module.
    for (float fBad : { NAN, INFINITY, -INFINITY }) {
        CRig bad(2), fresh(2);
        bad.RunTone(0.3, 500.0, 10);
        bad.in[0][17] = fBad;
        bad.Run();
        EXPECT_FALSE(bad.Kernel().IsStateFinite()) << fBad;
        bad.Module().Reset();
        EXPECT_TRUE(bad.Kernel().IsStateFinite());
        for (int n = 0; n < kBlockSize; ++n) {
            bad.in[0][n] = fresh.in[0][n] = std::sin(0.1f * n);
            bad.in[1][n] = fresh.in[1][n] = 0.5f;
        }
        bad.Run();
        fresh.Run();
        EXPECT_EQ(0, std::memcmp(bad.out[0].get(), fresh.out[0].get(), kBlockSize * sizeof(float)));
    }
}

TEST(SC1, ScalarAndSSEKernelsGiveTheSameBits)
{
    if (!CRig(2, true).Kernel().UsesSIMD())
        GTEST_SKIP() << "no SSE on this processor";
    std::mt19937 random(TestSeed());
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    for (int nTrial = 0; nTrial < 24; ++nTrial) {
        const int nChannels = 1 + nTrial % 2;
        CRig scalar(nChannels, false), simd(nChannels, true);
        ASSERT_FALSE(scalar.Kernel().UsesSIMD());
        const int nBlocks = 1 + random() % 400;
        for (int b = 0; b < nBlocks; ++b) {
            if (random() % 16 == 0) {
                const int nIndex = SC1::kAttack + random() % 7;
                const int nStep = random() % 128;
                scalar.Module().SetParameterStep(nIndex, nStep);
                simd.Module().SetParameterStep(nIndex, nStep);
            }
            // Quiet, normal, hot and silent stretches exercise the flush, the
            // gain floor and both branches.
            const float fScale = std::array<float, 5> { 0.0f, 0.01f, 0.5f, 4.0f, 300.0f }[(b / 25 + nTrial) % 5];
            for (int n = 0; n < kBlockSize; ++n) {
                scalar.in[0][n] = simd.in[0][n] = fScale * unit(random);
                scalar.in[1][n] = simd.in[1][n] = fScale * unit(random);
            }
            scalar.Run();
            simd.Run();
            for (int ch = 0; ch < nChannels; ++ch)
                ASSERT_EQ(0, std::memcmp(scalar.out[ch].get(), simd.out[ch].get(), kBlockSize * sizeof(float)))
                    << "trial " << nTrial << " block " << b;
            ASSERT_EQ(0, std::memcmp(scalar.trace.get(), simd.trace.get(), kBlockSize * sizeof(float)));
        }
        EXPECT_EQ(
            0, std::memcmp(scalar.Kernel().mDetectors, simd.Kernel().mDetectors, sizeof(scalar.Kernel().mDetectors)));
        EXPECT_EQ(scalar.Module().GetMeter(0), simd.Module().GetMeter(0));
    }
}

TEST(SC1, StepTablesCoverTheirRangesAndOnlyTheCompressorsIndices)
{
    CRig rig(1);
    SC1& m = rig.Module();
    const struct {
        int nIndex, nStep;
        float fValue;
    } kSteps[] = { { 13, 114, 0.068f }, { 13, 127, 0.081f }, { 14, 127, 13.0f }, { 15, 1, -18.0f }, { 15, 109, 9.0f },
        { 19, 127, 18.0f }, { 16, 39, -1.25f }, { 16, 127, 5.0f }, { 17, 127, 4.675f }, { 18, 69, 102.0f } };
    for (const auto& s : kSteps)
        EXPECT_NEAR(m.LookupStep(s.nIndex, s.nStep), s.fValue, 1e-5 * std::fabs(s.fValue))
            << s.nIndex << " step " << s.nStep;
    EXPECT_EQ(m.LookupStep(12, 5), 0.0f);
    EXPECT_EQ(m.LookupStep(20, 5), 0.0f);

    // Applying a step: the output step 127 (+18 dB) scales the first sample.
    rig.in[0][0] = 0.001f;
    rig.Run();
    const float fUnity = rig.out[0][0];
    EXPECT_EQ(m.SetParameterStep(12, 127), 0.0f);
    EXPECT_EQ(m.SetParameterStep(19, 127), 18.0f);
    m.Reset();
    rig.Run();
    EXPECT_NEAR(ToDb(rig.out[0][0] / fUnity), 18.0, 1e-4);
}

} // namespace
