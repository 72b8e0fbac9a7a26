#include "DspTestUtil.h"

#include "dsp/EQm.h"
#include "dsp/StepTable.h"

#include <cstring>
#include <limits>
#include <memory>
#include <utility>

using namespace dsptest;

namespace {

using Complex = std::complex<double>;

// The equaliser's kernel as a block function.
BlockFunction KernelOf(EQm& eq)
{
    return [&eq](float** ppOut, float** ppIn) { eq.GetHostDSP()->Process(ppOut, ppIn, nullptr, 0, 0); };
}

std::unique_ptr<EQm> MakeEq(float fs, int nChannels, bool bSIMD = true)
{
    dsp::SetSIMDAllowed(bSIMD);
    auto pEq = std::make_unique<EQm>(fs, nChannels);
    dsp::SetSIMDAllowed(true);
    return pEq;
}

// The analog frequency (rad/s) that the bilinear transform at fs maps to f.
double Warped(double f, double fs)
{
    return 2.0 * fs * std::tan(kPi * f / fs);
}

// Analog prototypes in their textbook form, g in dB.
Complex LowShelf(Complex s, double f, double g)
{
    const double f0 = f / 4 + 14.0, B = 2 * kPi * 1.5 * (f - f0), w0 = 2 * kPi * f0, A = std::pow(10.0, g / 20);
    return (s * s + A * B * s + w0 * w0) / (s * s + B * s + w0 * w0);
}

// A mid band centred at w rad/s (analog), g in dB.
Complex MidAt(Complex s, double w, double g, double Q)
{
    if (Q < 1.0) {
        const double A = std::pow(10.0, g / 20);
        return (s * s + A * Q * w * s + w * w) / (s * s + Q * w * s + w * w);
    }
    // Poles at w/Q and Q w; zeros moved outwards by 2^(|g|/4) (inverse for a cut).
    const double u = w / Q, v = Q * w, P = std::pow(2.0, std::fabs(g) / 4);
    const Complex boost = (s + u / P) * (s + P * v) / ((s + u) * (s + v));
    return g >= 0 ? boost : 1.0 / boost;
}

// A mid band set to f: its centre is prewarped so that it lands on f.
Complex Mid(Complex s, double f, double g, double Q, double fs)
{
    return MidAt(s, Warped(f, fs), g, Q);
}

// Flat at DC, 2^(g/6) far above f: a double zero at p = w 2^(-10g/87) and
// poles at w and p 2^(4.5g/87); a cut is the reciprocal of the boost.
Complex HighShelf(Complex s, double f, double g)
{
    const double w = 2 * kPi * f, p = w * std::pow(2.0, -10.0 * std::fabs(g) / 87),
                 z = p * std::pow(2.0, 4.5 * std::fabs(g) / 87);
    const Complex boost = w * z * (s + p) * (s + p) / (p * p * (s + w) * (s + z));
    return g >= 0 ? boost : 1.0 / boost;
}

// Fourth-order Bessel (s^4 + 10 s^3 + 45 s^2 + 105 s + 105) as two factors.
const double kBessel[2][2] = { { 5.7924, 9.1401 }, { 4.2076, 11.4878 } };

Complex LowCut(Complex s, double f)
{
    const double w = 4 * kPi * f;
    Complex h = 1.0;
    for (const auto& q : kBessel)
        h *= q[1] * s * s / (q[1] * s * s + q[0] * w * s + w * w);
    return h;
}

Complex HighCutAt(Complex s, double w)
{
    Complex h = 1.0;
    for (const auto& q : kBessel)
        h *= q[1] * w * w / (s * s + q[0] * w * s + q[1] * w * w);
    return h;
}

Complex HighCut(Complex s, double f, double fs)
{
    return HighCutAt(s, Warped(f, fs));
}

// The centre (rad/s) the written design gives a setting f: 3.14 for pi in
// the prewarp tan(3.14 f / fs) fs / 3.14, and 6.283 for 2 pi.
double WrittenCentre(double f, double fs)
{
    return 6.283 * std::tan(double(3.14f) * f / fs) * fs * double(0.3184713f);
}

// Fills one block per channel with uniform noise in [-fAmplitude, fAmplitude).
void Noise(std::mt19937& random, float* const* ppBlocks, int nChannels, float fAmplitude = 1.0f)
{
    std::uniform_real_distribution<float> value(-fAmplitude, fAmplitude);
    for (int ch = 0; ch < nChannels; ++ch) {
        for (int n = 0; n < kBlockSize; ++n)
            ppBlocks[ch][n] = value(random);
    }
}

// Both poles strictly inside the unit circle, all coefficients finite.
bool IsStable(const SBiquad& s)
{
    for (float f : { s.B0, s.B1, s.B2, s.A1, s.A2 }) {
        if (!std::isfinite(f))
            return false;
    }
    return std::fabs(double(s.A2)) < 1.0 && std::fabs(double(s.A1)) < 1.0 - s.A2;
}

EQmHostDSP* KernelObject(EQm& eq)
{
    return static_cast<EQmHostDSP*>(eq.GetHostDSP());
}

TEST(EQm, BandsFollowTheirAnalogPrototypes)
{
    struct SCase {
        const char* pszName;
        std::vector<std::pair<int, float>> settings;
        std::function<Complex(Complex, double fs)> analog;
        std::vector<double> probes; // Hz
        double fToleranceAt96k; // dB; 0.02 at 44.1 kHz
    };
    const std::vector<SCase> cases = {
        { "low shelf +6 at 120", { { EQm::kLowShelfGain, 6.0f } },
            [](Complex s, double) { return LowShelf(s, 120, 6); }, { 20, 44, 70, 120, 300, 1000 }, 0.05 },
        { "low shelf -12.4 at 500", { { EQm::kLowShelfFreq, 500.0f }, { EQm::kLowShelfGain, -12.4f } },
            [](Complex s, double) { return LowShelf(s, 500, -12.4); }, { 40, 140, 300, 500, 2000 }, 0.05 },
        { "low mid +9 Q 1.15 at 200", { { EQm::kLowMidFreq, 200.0f }, { EQm::kLowMidGain, 9.0f } },
            [](Complex s, double fs) { return Mid(s, 200, 9, 1.15f, fs); }, { 30, 100, 200, 400, 2000 }, 0.05 },
        { "low mid -7 Q 0.6 at 80",
            { { EQm::kLowMidFreq, 80.0f }, { EQm::kLowMidGain, -7.0f }, { EQm::kLowMidQ, 0.6f } },
            [](Complex s, double fs) { return Mid(s, 80, -7, 0.6f, fs); }, { 20, 50, 80, 130, 500 }, 0.05 },
        { "high mid -11 Q 1.15 at 3000", { { EQm::kHighMidFreq, 3000.0f }, { EQm::kHighMidGain, -11.0f } },
            [](Complex s, double fs) { return Mid(s, 3000, -11, 1.15f, fs); }, { 300, 1500, 3000, 6000, 10000 }, 0.02 },
        { "high mid +4.6 Q 0.6 at 9000",
            { { EQm::kHighMidFreq, 9000.0f }, { EQm::kHighMidGain, 4.6f }, { EQm::kHighMidQ, 0.6f } },
            [](Complex s, double fs) { return Mid(s, 9000, 4.6, 0.6f, fs); }, { 1000, 4500, 9000, 11000 }, 0.02 },
        { "high shelf +8 at 5000", { { EQm::kHighShelfGain, 8.0f } },
            [](Complex s, double) { return HighShelf(s, 5000, 8); }, { 200, 2000, 5000, 8000, 11000 }, 0.02 },
        { "high shelf -15 at 1500", { { EQm::kHighShelfFreq, 1500.0f }, { EQm::kHighShelfGain, -15.0f } },
            [](Complex s, double) { return HighShelf(s, 1500, -15); }, { 100, 700, 1500, 4000, 10000 }, 0.02 },
        { "low cut 32", { { EQm::kLowCutFreq, 32.0f } }, [](Complex s, double) { return LowCut(s, 32); },
            { 20, 32, 50, 100 }, 0.6 },
        { "low cut 400", { { EQm::kLowCutFreq, 400.0f } }, [](Complex s, double) { return LowCut(s, 400); },
            { 100, 250, 400, 1000 }, 0.05 },
        { "high cut 8000", { { EQm::kHighCutFreq, 8000.0f } },
            [](Complex s, double fs) { return HighCut(s, 8000, fs); }, { 1000, 4000, 8000, 11000 }, 0.02 },
        { "high cut 19200", { { EQm::kHighCutFreq, 19200.0f } },
            [](Complex s, double fs) { return HighCut(s, 19200, fs); }, { 2000, 10000, 19200 }, 0.02 },
    };
    for (float fs : { 44100.0f, 96000.0f }) {
        // Within 0.02 dB (measurement, single-precision coefficients, 3.14
        // for pi in the prewarp). Bands below a few hundred hertz lose
        // precision to the float coefficients as the rate rises: the 32 Hz low
        // cut may be up to 0.6 dB off at 96 kHz.
        for (const SCase& c : cases) {
            std::unique_ptr<EQm> pEq = MakeEq(fs, 2);
            for (const auto& setting : c.settings)
                pEq->SetParameter(setting.first, setting.second);
            for (double f : c.probes) {
                const double fExpected = ToDb(std::abs(c.analog(Complex(0.0, Warped(f, fs)), fs)));
                const double fMeasured = ToDb(MeasureSineGain(KernelOf(*pEq), f, fs, 2));
                const double fTolerance = fs < 50000.0f ? 0.02 : c.fToleranceAt96k;
                EXPECT_NEAR(fMeasured, fExpected, fTolerance) << c.pszName << " at " << f << " Hz, fs " << fs;
            }
        }
    }
}

TEST(EQm, MidBandsReachTheSetGainAtTheirCentreWithHighQ)
{
    for (float fs : { 44100.0f, 96000.0f }) {
        for (float f : { 100.0f, 1000.0f, 10000.0f }) {
            for (float g : { 6.0f, -6.0f, 15.0f, -15.0f }) {
                std::unique_ptr<EQm> pHighQ = MakeEq(fs, 1);
                pHighQ->SetParameter(EQm::kHighMidFreq, f);
                pHighQ->SetParameter(EQm::kHighMidGain, g);
                pHighQ->SetParameter(EQm::kHighMidQ, 0.6f);
                EXPECT_NEAR(ToDb(MeasureSineGain(KernelOf(*pHighQ), f, fs)), g, 0.02) << f << " Hz, fs " << fs;
                if (g != 6.0f)
                    continue;
                // "Low Q": a lower centre and a broader skirt for the same gain.
                std::unique_ptr<EQm> pLowQ = MakeEq(fs, 1);
                pLowQ->SetParameter(EQm::kLowMidFreq, f);
                pLowQ->SetParameter(EQm::kLowMidGain, g);
                EXPECT_LT(ToDb(MeasureSineGain(KernelOf(*pLowQ), f, fs)), g - 0.5);
                EXPECT_GT(
                    MeasureSineGain(KernelOf(*pLowQ), f / 4, fs), MeasureSineGain(KernelOf(*pHighQ), f / 4, fs) * 1.05);
            }
        }
    }
}

// Noise through the kernel must come out as input x output gain, bit for bit.
void ExpectPassthrough(EQm& eq, int nChannels, float fGain, const char* pszWhat)
{
    std::mt19937 random(TestSeed());
    CBlock in0, in1, out0, out1, keep0, keep1;
    float* ppIn[2] = { in0.get(), in1.get() };
    float* ppOut[2] = { out0.get(), out1.get() };
    float* ppKeep[2] = { keep0.get(), keep1.get() };
    for (int nBlock = 0; nBlock < 8; ++nBlock) {
        Noise(random, ppIn, nChannels);
        for (int ch = 0; ch < nChannels; ++ch)
            std::memcpy(ppKeep[ch], ppIn[ch], kBlockSize * sizeof(float));
        eq.GetHostDSP()->Process(ppOut, ppIn, nullptr, 0, 0);
        for (int ch = 0; ch < nChannels; ++ch) {
            for (int n = 0; n < kBlockSize; ++n)
                ASSERT_EQ(ppOut[ch][n], ppKeep[ch][n] * fGain) << pszWhat << ", channel " << ch;
        }
    }
}

TEST(EQm, FlatBandsAndSwitchedOutCutsPassAudioBitForBit)
{
    for (int nChannels : { 1, 2 }) {
        for (bool bSIMD : { true, false }) {
            std::unique_ptr<EQm> pEq = MakeEq(48000.0f, nChannels, bSIMD);
            ExpectPassthrough(*pEq, nChannels, 1.0f, "defaults");
            // Bands that were on and are back at 0 dB (step 64) leave no trace.
            for (int nIndex : { EQm::kHighShelfGain, EQm::kHighMidGain, EQm::kLowMidGain, EQm::kLowShelfGain }) {
                pEq->SetParameterStep(nIndex, 100);
                EXPECT_EQ(pEq->SetParameterStep(nIndex, 64), 0.0f);
            }
            pEq->SetParameterStep(EQm::kHighMidQ, 127);
            const float fOutput = pEq->SetParameterStep(EQm::kOutputGain, 30); // -6.8 dB
            const float fGain = static_cast<float>(std::pow(10.0, fOutput / 20.0));
            ExpectPassthrough(*pEq, nChannels, fGain, "flat bands");

            // Low cut: 30 Hz (step 0) off, 32 Hz (step 1) on; high cut: 19200 Hz
            // (step 121) on, 19400 Hz (step 122) off.
            pEq->SetParameterStep(EQm::kOutputGain, 64);
            EXPECT_EQ(pEq->SetParameterStep(EQm::kLowCutFreq, 1), 32.0f);
            EXPECT_LT(MeasureSineGain(KernelOf(*pEq), 20.0, 48000.0, nChannels), 0.5);
            EXPECT_EQ(pEq->SetParameterStep(EQm::kLowCutFreq, 0), 30.0f);
            ExpectPassthrough(*pEq, nChannels, 1.0f, "low cut at 30 Hz");
            EXPECT_EQ(pEq->SetParameterStep(EQm::kHighCutFreq, 121), 19200.0f);
            EXPECT_LT(MeasureSineGain(KernelOf(*pEq), 23000.0, 48000.0, nChannels), 0.5);
            EXPECT_EQ(pEq->SetParameterStep(EQm::kHighCutFreq, 122), 19400.0f);
            ExpectPassthrough(*pEq, nChannels, 1.0f, "high cut at 19400 Hz");
        }
    }
}

TEST(EQm, DisplayCurveIsFlatForAFlatEqualiserAndMatchesTheKernel)
{
    for (float fs : { 44100.0f, 48000.0f }) {
        std::unique_ptr<EQm> pEq = MakeEq(fs, 2);
        float afCurve[EQm::kCurvePoints];
        pEq->GetCurve(afCurve);
        for (int i = 0; i < EQm::kCurvePoints; ++i)
            ASSERT_EQ(afCurve[i], 0.0f) << "point " << i;

        const std::pair<int, float> settings[] = { { EQm::kLowShelfGain, 5.0f }, { EQm::kLowMidFreq, 350.0f },
            { EQm::kLowMidGain, -6.0f }, { EQm::kHighMidFreq, 2400.0f }, { EQm::kHighMidGain, 3.4f },
            { EQm::kHighMidQ, 0.6f }, { EQm::kHighShelfGain, -4.0f }, { EQm::kLowCutFreq, 36.0f },
            { EQm::kHighCutFreq, 15000.0f }, { EQm::kOutputGain, 5.0f } };
        for (const auto& setting : settings)
            pEq->SetParameter(setting.first, setting.second);
        pEq->GetCurve(afCurve);
        const double fOutputGain = std::pow(10.0, 5.0 / 20);
        // Point i lies at 20 * 1000^(i/312) Hz scaled by 20000 / 22050 at
        // every rate; the output gain is not part of the curve. The curve
        // tables hold cos w in single precision, which near DC leaves 1 - cos w
        // with a relative error of about 1% (0.15 dB for the low cut at 18 Hz).
        for (int i = 0; i < EQm::kCurvePoints; i += 26) {
            const double f = 20.0 * std::pow(1000.0, i / 312.0) * 20000.0 / 22050.0;
            const double fMeasured = MeasureSineGain(KernelOf(*pEq), f, fs, 2) / fOutputGain;
            EXPECT_NEAR(afCurve[i], ToDb(fMeasured), f < 100.0 ? 0.15 : 0.02)
                << "point " << i << " (" << f << " Hz), fs " << fs;
        }
    }
}

// The stages as the design describes them: one block per section, the four
// single-section stages swapping the buffer sets, each cut's second section
// going back into the source, a copy when the result lies in the input.
void ProcessStageByStage(EQmHostDSP& k, float** ppOut, float** ppIn, int nChannels)
{
    struct SStage {
        int nSwitch, nFirst, nSecond; // nSecond -1: single section
    };
    const SStage stages[] = { { EQmHostDSP::kStageLowShelf, EQmHostDSP::kLowShelf, -1 },
        { EQmHostDSP::kStageLowMid, EQmHostDSP::kLowMid, -1 }, { EQmHostDSP::kStageHighMid, EQmHostDSP::kHighMid, -1 },
        { EQmHostDSP::kStageHighShelf, EQmHostDSP::kHighShelf, -1 },
        { EQmHostDSP::kStageHighCut, EQmHostDSP::kHighCut1, EQmHostDSP::kHighCut2 },
        { EQmHostDSP::kStageLowCut, EQmHostDSP::kLowCut1, EQmHostDSP::kLowCut2 } };
    float** ppSrc = ppIn;
    float** ppDst = ppOut;
    for (const SStage& stage : stages) {
        if (k.mnStageOn[stage.nSwitch] == 0)
            continue;
        for (int ch = 0; ch < nChannels; ++ch) {
            dsp::RunBiquad(k.mSections[stage.nFirst][ch], ppSrc[ch], ppDst[ch]);
            if (stage.nSecond >= 0)
                dsp::RunBiquad(k.mSections[stage.nSecond][ch], ppDst[ch], ppSrc[ch]);
        }
        if (stage.nSecond < 0)
            std::swap(ppSrc, ppDst);
    }
    for (int ch = 0; ch < nChannels; ++ch) {
        if (ppSrc == ppIn)
            std::memcpy(ppOut[ch], ppIn[ch], kBlockSize * sizeof(float));
        for (int n = 0; n < kBlockSize; ++n)
            ppOut[ch][n] = ppOut[ch][n] * k.mfOutputGain;
    }
}

TEST(EQm, ScalarAndSSEKernelsMatchTheStageByStageProcessBitForBit)
{
    std::mt19937 random(TestSeed());
    std::uniform_int_distribution<int> step(0, kNrOfSteps - 1);
    for (int nChannels : { 1, 2 }) {
        std::unique_ptr<EQm> eqs[3] = { MakeEq(44100.0f, nChannels, true), MakeEq(44100.0f, nChannels, false),
            MakeEq(44100.0f, nChannels, true) };
        // Blocks with guard words on both sides: nothing may be written
        // outside the 64 samples.
        constexpr int kGuard = 4;
        std::unique_ptr<CBlock> blocks[3][4];
        float* ppIn[3][2];
        float* ppOut[3][2];
        for (int e = 0; e < 3; ++e) {
            for (int b = 0; b < 4; ++b) {
                blocks[e][b] = std::make_unique<CBlock>(kBlockSize + 2 * kGuard);
                (*blocks[e][b])[0] = (*blocks[e][b])[kGuard + kBlockSize] = 77.0f;
            }
            for (int ch = 0; ch < 2; ++ch) {
                ppIn[e][ch] = blocks[e][ch]->get() + kGuard;
                ppOut[e][ch] = blocks[e][2 + ch]->get() + kGuard;
            }
        }
        for (int nBlock = 0; nBlock < 400; ++nBlock) {
            if (nBlock % 8 == 0) {
                // New random steps for a few parameters, with gains often at
                // 0 dB and cuts often off, so that every mix of stages occurs.
                for (int i = 0; i < 4; ++i) {
                    const int nIndex = step(random) % EQm::kNrOfParameters;
                    int nStep = step(random);
                    if (nStep % 3 == 0) {
                        const bool bGain = nIndex == EQm::kHighShelfGain || nIndex == EQm::kHighMidGain
                            || nIndex == EQm::kLowMidGain || nIndex == EQm::kLowShelfGain;
                        nStep = bGain ? 64 : nIndex == EQm::kLowCutFreq ? 0 : nIndex == EQm::kHighCutFreq ? 127 : nStep;
                    }
                    for (auto& pEq : eqs)
                        pEq->SetParameterStep(nIndex, nStep);
                }
            }
            Noise(random, ppIn[0], nChannels, nBlock % 50 == 7 ? 1e-30f : 1.0f);
            for (int e = 1; e < 3; ++e) {
                for (int ch = 0; ch < nChannels; ++ch)
                    std::memcpy(ppIn[e][ch], ppIn[0][ch], kBlockSize * sizeof(float));
            }
            eqs[0]->GetHostDSP()->Process(ppOut[0], ppIn[0], nullptr, 0, 0);
            eqs[1]->GetHostDSP()->Process(ppOut[1], ppIn[1], nullptr, 0, 0);
            ProcessStageByStage(*KernelObject(*eqs[2]), ppOut[2], ppIn[2], nChannels);
            for (int ch = 0; ch < nChannels; ++ch) {
                ASSERT_EQ(0, std::memcmp(ppOut[0][ch], ppOut[1][ch], kBlockSize * sizeof(float)))
                    << "SSE and scalar, block " << nBlock;
                ASSERT_EQ(0, std::memcmp(ppOut[0][ch], ppOut[2][ch], kBlockSize * sizeof(float)))
                    << "stage by stage, block " << nBlock;
            }
        }
        for (auto& row : blocks) {
            for (auto& pBlock : row) {
                EXPECT_EQ((*pBlock)[0], 77.0f);
                EXPECT_EQ((*pBlock)[kGuard + kBlockSize], 77.0f);
            }
        }
        EXPECT_EQ(0,
            std::memcmp(KernelObject(*eqs[0])->mSections, KernelObject(*eqs[2])->mSections,
                sizeof(KernelObject(*eqs[0])->mSections)));
    }
}

TEST(EQm, StaysStableAtLowRatesAndForAnyValue)
{
    // At 32 kHz a mid band at 20000 Hz and the high cut at 19200 Hz are
    // designed at 0.45 fs = 14400 Hz: finite, bounded, decaying.
    std::unique_ptr<EQm> pEq = MakeEq(32000.0f, 2);
    pEq->SetParameterStep(EQm::kHighMidFreq, 127);
    pEq->SetParameterStep(EQm::kHighMidGain, 127);
    pEq->SetParameterStep(EQm::kHighMidQ, 127);
    EXPECT_NEAR(ToDb(MeasureSineGain(KernelOf(*pEq), 14400.0, 32000.0, 2)), 15.0, 0.05);
    // A -15 dB band at the same place cancels it at the centre.
    pEq->SetParameterStep(EQm::kLowMidFreq, 127);
    pEq->SetParameterStep(EQm::kLowMidGain, 0);
    pEq->SetParameterStep(EQm::kLowMidQ, 127);
    EXPECT_NEAR(ToDb(MeasureSineGain(KernelOf(*pEq), 14400.0, 32000.0, 2)), 0.0, 0.05);
    pEq->SetParameterStep(EQm::kHighCutFreq, 121);

    std::mt19937 random(TestSeed());
    CBlock in0, in1, out0, out1;
    float* ppIn[2] = { in0.get(), in1.get() };
    float* ppOut[2] = { out0.get(), out1.get() };
    double fLastPeak = 0.0;
    for (int nBlock = 0; nBlock < 1000; ++nBlock) {
        Noise(random, ppIn, 2, nBlock < 100 ? 1.0f : 0.0f);
        pEq->GetHostDSP()->Process(ppOut, ppIn, nullptr, 0, 0);
        for (int n = 0; n < kBlockSize; ++n) {
            ASSERT_LT(std::fabs(out0[n]), 30.0f) << "block " << nBlock;
            fLastPeak = std::fabs(out0[n]);
        }
    }
    EXPECT_LT(fLastPeak, 1e-6);

    // Values far outside the step tables, at several rates and after a rate
    // change, never leave a non-finite or unstable section switched in.
    const float kInf = std::numeric_limits<float>::infinity();
    const float afWild[] = { -1e6f, -1.0f, 0.0f, 1e-30f, 0.3f, 1e30f, 3e38f, kInf, -kInf, std::nanf("") };
    for (float fs : { 8000.0f, 44100.0f, 192000.0f }) {
        for (int nIndex = 0; nIndex < EQm::kNrOfParameters; ++nIndex) {
            for (float fValue : afWild) {
                std::unique_ptr<EQm> pWild = MakeEq(fs, 2);
                for (int nOther : { EQm::kHighShelfGain, EQm::kHighMidGain, EQm::kLowMidGain, EQm::kLowShelfGain })
                    pWild->SetParameter(nOther, 3.0f);
                pWild->SetParameterStep(EQm::kLowCutFreq, 20);
                pWild->SetParameterStep(EQm::kHighCutFreq, 100);
                pWild->SetParameter(nIndex, fValue);
                for (float fNewRate : { fs, fs == 8000.0f ? 96000.0f : 32000.0f }) {
                    pWild->Setup(fNewRate, 2, -1);
                    EQmHostDSP* pKernel = KernelObject(*pWild);
                    for (int nStage = 0; nStage < EQmHostDSP::kNrOfStages; ++nStage) {
                        int anSections[2];
                        const int nSections = EQmHostDSP::SectionsOfStage(nStage, anSections);
                        for (int i = 0; i < nSections && pKernel->mnStageOn[nStage] != 0; ++i) {
                            for (int ch = 0; ch < 2; ++ch)
                                ASSERT_TRUE(IsStable(pKernel->mSections[anSections[i]][ch]))
                                    << "index " << nIndex << " value " << fValue << " fs " << fNewRate;
                        }
                    }
                    ASSERT_TRUE(std::isfinite(pKernel->mfOutputGain));
                    float afCurve[EQm::kCurvePoints];
                    pWild->GetCurve(afCurve);
                    for (float f : afCurve)
                        ASSERT_FALSE(std::isnan(f)) << "index " << nIndex << " value " << fValue;
                }
            }
        }
    }
}

// Where the prewarp of the top settings passes pi/2 (below about 40 kHz)
// the design is limited to a stable one; from 44.1 kHz up every step is the
// written design, the top steps of the mid bands and the high cut included.
TEST(EQm, TopStepsFollowTheWrittenDesignFrom44100AndStayStableBelow)
{
    auto probe = [](const EQmHostDSP& kernel, int nSection, double f, double fs) {
        return ToDb(DigitalMagnitude(kernel.mSections[nSection][0], f, fs));
    };
    // s for the digital frequency f: the bilinear transform without prewarp.
    auto s = [](double f, double fs) { return Complex(0.0, 2.0 * fs * std::tan(kPi * f / fs)); };
    for (float fs : { 44100.0f, 48000.0f }) {
        for (int nStep = 108; nStep < 128; ++nStep) {
            for (int nQStep : { 0, 127 }) {
                std::unique_ptr<EQm> pEq = MakeEq(fs, 2);
                const float f = pEq->SetParameterStep(EQm::kHighMidFreq, nStep);
                const float Q = pEq->SetParameterStep(EQm::kHighMidQ, nQStep);
                pEq->SetParameterStep(EQm::kHighMidGain, 127);
                const EQmHostDSP& kernel = *KernelObject(*pEq);
                ASSERT_NE(kernel.mnStageOn[EQmHostDSP::kStageHighMid], 0);
                for (double fProbe : { 2000.0, 8000.0, 14000.0, 18000.0, 20000.0, 21500.0 }) {
                    const double fExpected = ToDb(std::abs(MidAt(s(fProbe, fs), WrittenCentre(f, fs), 15.0, Q)));
                    EXPECT_NEAR(probe(kernel, EQmHostDSP::kHighMid, fProbe, fs), fExpected, 0.01)
                        << f << " Hz, Q " << Q << ", probe " << fProbe << " Hz, fs " << fs;
                }
            }
        }
        for (int nStep : { 118, 119 }) {
            std::unique_ptr<EQm> pEq = MakeEq(fs, 2);
            const float f = pEq->SetParameterStep(EQm::kHighCutFreq, nStep);
            const EQmHostDSP& kernel = *KernelObject(*pEq);
            for (double fProbe : { 5000.0, 15000.0, 19000.0, 21000.0 }) {
                const double fMeasured = probe(kernel, EQmHostDSP::kHighCut1, fProbe, fs)
                    + probe(kernel, EQmHostDSP::kHighCut2, fProbe, fs);
                const double fExpected = ToDb(std::abs(HighCutAt(s(fProbe, fs), WrittenCentre(f, fs))));
                EXPECT_NEAR(fMeasured, fExpected, 0.01) << "high cut " << f << " Hz, probe " << fProbe << ", fs " << fs;
            }
        }
    }
    // Below 44.1 kHz, down to 8 kHz: every step of both mids and the high cut
    // switches its stage in with a stable design.
    for (float fs : { 8000.0f, 11025.0f, 22050.0f, 32000.0f, 39999.0f, 40000.0f, 44000.0f }) {
        for (int nStep = 0; nStep < 128; ++nStep) {
            std::unique_ptr<EQm> pEq = MakeEq(fs, 2);
            pEq->SetParameterStep(EQm::kHighMidFreq, nStep);
            pEq->SetParameterStep(EQm::kHighMidGain, 127);
            pEq->SetParameterStep(EQm::kLowMidFreq, nStep);
            pEq->SetParameterStep(EQm::kLowMidGain, 0);
            pEq->SetParameterStep(EQm::kLowMidQ, 127);
            const bool bHighCutRuns = pEq->SetParameterStep(EQm::kHighCutFreq, nStep) <= 19200.0f;
            const EQmHostDSP& kernel = *KernelObject(*pEq);
            EXPECT_NE(kernel.mnStageOn[EQmHostDSP::kStageHighMid], 0) << "step " << nStep << " fs " << fs;
            EXPECT_NE(kernel.mnStageOn[EQmHostDSP::kStageLowMid], 0) << "step " << nStep << " fs " << fs;
            EXPECT_EQ(kernel.mnStageOn[EQmHostDSP::kStageHighCut] != 0, bHighCutRuns) << "step " << nStep;
            for (int nSection :
                { EQmHostDSP::kHighMid, EQmHostDSP::kLowMid, EQmHostDSP::kHighCut1, EQmHostDSP::kHighCut2 })
                EXPECT_TRUE(IsStable(kernel.mSections[nSection][0])) << "step " << nStep << " fs " << fs;
        }
    }
}

TEST(EQm, StepTablesAndOwnedIndices)
{
    std::unique_ptr<EQm> pEq = MakeEq(44100.0f, 2);
    struct SStep {
        int nIndex, nStep;
        float fValue;
    };
    const SStep steps[] = {
        { EQm::kHighShelfFreq, 0, 1000 },
        { EQm::kHighShelfFreq, 21, 2100 },
        { EQm::kHighShelfFreq, 51, 5200 },
        { EQm::kHighCutFreq, 121, 19200 },
        { EQm::kHighCutFreq, 127, 20400 },
        { EQm::kHighShelfGain, 1, -15 },
        { EQm::kLowMidGain, 2, -14.5f },
        { EQm::kHighMidGain, 10, -10.8f },
        { EQm::kLowShelfGain, 119, 11 },
        { EQm::kLowShelfGain, 127, 15 },
        { EQm::kLowMidFreq, 0, 15 },
        { EQm::kHighMidFreq, 62, 1000 },
        { EQm::kHighMidFreq, 127, 20000 },
        { EQm::kLowMidQ, 63, 1.15f },
        { EQm::kHighMidQ, 64, 0.6f },
        { EQm::kLowShelfFreq, 48, 126 },
        { EQm::kLowCutFreq, 49, 130 },
        { EQm::kLowCutFreq, 127, 1900 },
        { EQm::kOutputGain, 0, -18 },
        { EQm::kOutputGain, 64, 0 },
        { EQm::kOutputGain, 127, 18 },
    };
    for (const SStep& s : steps) {
        EXPECT_EQ(pEq->LookupStep(s.nIndex, s.nStep), s.fValue) << "index " << s.nIndex << " step " << s.nStep;
        EXPECT_EQ(pEq->SetParameterStep(s.nIndex, s.nStep), s.fValue);
    }
    // Step 0 of the output gain is applied: -18 dB.
    pEq->SetParameterStep(EQm::kOutputGain, 0);
    EXPECT_FLOAT_EQ(KernelObject(*pEq)->mfOutputGain, std::pow(10.0f, -0.9f));

    // Indices the equaliser does not own change nothing.
    SBiquad sectionsBefore[EQmHostDSP::kNrOfSections][EQmHostDSP::kMaxChannels];
    int32_t anStagesBefore[EQmHostDSP::kNrOfStages];
    std::memcpy(sectionsBefore, KernelObject(*pEq)->mSections, sizeof(sectionsBefore));
    std::memcpy(anStagesBefore, KernelObject(*pEq)->mnStageOn, sizeof(anStagesBefore));
    for (int nIndex : { -1, 13, 20, 47 }) {
        EXPECT_EQ(pEq->LookupStep(nIndex, 5), 0.0f);
        EXPECT_EQ(pEq->SetParameterStep(nIndex, 5), 0.0f);
        pEq->SetParameter(nIndex, 3.0f);
    }
    EXPECT_EQ(0, std::memcmp(sectionsBefore, KernelObject(*pEq)->mSections, sizeof(sectionsBefore)));
    EXPECT_EQ(0, std::memcmp(anStagesBefore, KernelObject(*pEq)->mnStageOn, sizeof(anStagesBefore)));
}

TEST(EQm, RateChangesKeepThePrewarpAndNonFiniteStateIsCaught)
{
    // Set at 44.1 kHz, the high mid's stored frequency is prewarped for that
    // rate; at 96 kHz it maps to (fs / pi) atan(pi fw / fs) until it is set
    // again.
    std::unique_ptr<EQm> pEq = MakeEq(44100.0f, 1);
    pEq->SetParameter(EQm::kHighMidFreq, 10000.0f);
    pEq->SetParameter(EQm::kHighMidGain, 6.0f);
    pEq->SetParameter(EQm::kHighMidQ, 0.6f);
    pEq->Setup(96000.0f, 1, -1);
    const double fw = std::tan(3.14 * 10000.0 / 44100.0) * 44100.0 / 3.14;
    const double fCentre = 96000.0 / kPi * std::atan(kPi * fw / 96000.0);
    EXPECT_NEAR(ToDb(MeasureSineGain(KernelOf(*pEq), fCentre, 96000.0)), 6.0, 0.02);
    EXPECT_LT(ToDb(MeasureSineGain(KernelOf(*pEq), 10000.0, 96000.0)), 5.9);
    pEq->SetParameter(EQm::kHighMidFreq, 10000.0f);
    EXPECT_NEAR(ToDb(MeasureSineGain(KernelOf(*pEq), 10000.0, 96000.0)), 6.0, 0.02);

    // A NaN sample poisons the history; Reset clears it.
    CBlock in, out;
    float* ppIn[1] = { in.get() };
    float* ppOut[1] = { out.get() };
    EXPECT_TRUE(pEq->GetHostDSP()->IsStateFinite());
    in[10] = std::nanf("");
    pEq->GetHostDSP()->Process(ppOut, ppIn, nullptr, 0, 0);
    EXPECT_FALSE(pEq->GetHostDSP()->IsStateFinite());
    pEq->Reset();
    EXPECT_TRUE(pEq->GetHostDSP()->IsStateFinite());
    in[10] = 0.5f;
    pEq->GetHostDSP()->Process(ppOut, ppIn, nullptr, 0, 0);
    for (int n = 0; n < kBlockSize; ++n)
        ASSERT_TRUE(std::isfinite(out[n]));
}

} // namespace
