#include "DspTestUtil.h"

#include "dsp/VnOut.h"

#include <cfloat>
#include <cstring>
#include <memory>

using namespace dsptest;

namespace {

constexpr float kRate = 44100.0f;

// An output clipper with its own blocks; Run processes one block of in[].
class CRig {
public:
    explicit CRig(int nChannels, bool bSIMD = true)
    {
        dsp::SetSIMDAllowed(bSIMD);
        mpModule = std::make_unique<VnOut>(kRate, nChannels);
        dsp::SetSIMDAllowed(true);
    }
    VnOut& Module() { return *mpModule; }
    VnOutHostDSP& Kernel() { return *mpModule->Kernel(); }
    void Run() { Process(out, in); }
    void Process(CBlock* pOut, CBlock* pIn)
    {
        float* ppIn[2] = { pIn[0].get(), pIn[1].get() };
        float* ppOut[2] = { pOut[0].get(), pOut[1].get() };
        float* ppAux[2] = { nullptr, nullptr };
        mpModule->GetHostDSP()->Process(ppOut, ppIn, ppAux, 0, 0);
    }
    // The curve clipper alone on one block of values (zeros after them).
    std::vector<float> Curve(std::initializer_list<float> values, int* pCount = nullptr)
    {
        CBlock block;
        std::copy(values.begin(), values.end(), block.get());
        const int nCount = Kernel().curve.Clip(block.get());
        if (pCount != nullptr)
            *pCount = nCount;
        return std::vector<float>(block.get(), block.get() + values.size());
    }

    CBlock in[2], out[2];

private:
    std::unique_ptr<VnOut> mpModule;
};

TEST(VnOut, CurveClipsHardJustAboveFullScaleOrBendsSoftlyFromItsKnee)
{
    CRig rig(2);
    // 0 dB (the default): a hard limit at +-1.001.
    int nCount = 0;
    std::vector<float> y = rig.Curve({ 1.0005f, 1.01f, -1.5f, 0.3f }, &nCount);
    EXPECT_EQ(y, (std::vector<float> { 1.0005f, 1.001f, -1.001f, 0.3f }));
    EXPECT_EQ(nCount, 2);

    // -6 dB: knee k = 10^(-6/20) = 0.501; below it samples pass, from 2 - k
    // = 1.499 on they are exactly +-1, and in between the curve rises with
    // slope 1 at the knee and flattens towards 1.
    rig.Module().SetParameter(39, -6.0f);
    const float k = static_cast<float>(std::pow(10.0, -0.3));
    y = rig.Curve({ 0.5f, -0.5f, 0.501f, 1.499f, -1.499f, 2.0f, -50.0f }, &nCount);
    EXPECT_EQ(y, (std::vector<float> { 0.5f, -0.5f, 0.501f, 1.0f, -1.0f, 1.0f, -1.0f }));
    EXPECT_EQ(nCount, 4);
    EXPECT_NEAR(rig.Curve({ k + 1e-3f })[0], k + 1e-3f, 1e-6);
    float fPrevious = k;
    for (float x = k; x < 2.0f - k; x += 0.01f) {
        const float fBent = rig.Curve({ x })[0];
        EXPECT_GE(fBent, fPrevious);
        EXPECT_LE(fBent, std::min(x, 1.0f));
        fPrevious = fBent;
    }
    // Negative side mirrors.
    EXPECT_EQ(rig.Curve({ -0.9f })[0], -rig.Curve({ 0.9f })[0]);

    // Step table: steps 0..7 all -12 dB (k = 0.2512), step 127 back to 0 dB.
    EXPECT_EQ(rig.Module().SetParameterStep(39, 3), -12.0f);
    y = rig.Curve({ 0.251f, 0.26f, 1.749f });
    EXPECT_EQ(y[0], 0.251f);
    EXPECT_LT(y[1], 0.26f);
    EXPECT_EQ(y[2], 1.0f);
    EXPECT_EQ(rig.Module().SetParameterStep(39, 127), 0.0f);
    EXPECT_EQ(rig.Curve({ 1.0005f })[0], 1.0005f);
    // A curve so close to 0 dB that the knee rounds to 1 stays a hard limit.
    rig.Module().SetParameter(39, -1e-9f);
    EXPECT_EQ(rig.Curve({ 1.0f, 1.0005f, 1.5f }), (std::vector<float> { 1.0f, 1.0005f, 1.001f }));
}

TEST(VnOut, CountersFollowTheShareOfASineBeyondEachLimitAndClearWhenRead)
{
    // A 441 Hz sine (100 samples a period) of amplitude a x 6 dB input gain
    // (A): the share of samples beyond a limit L is 1 - (2/pi) asin(L / A).
    // Channel 0 a = 0.75, channel 1 a = 0.6.
    CRig rig(2);
    EXPECT_EQ(rig.Module().SetParameterStep(38, 119), 11.0f);
    rig.Module().SetParameter(38, 6.0f);
    const double fGain = std::pow(10.0, 0.3);
    const double A[2] = { 0.75 * fGain, 0.6 * fGain };
    const int nBlocks = 100; // 64 whole periods
    const double fSamples = nBlocks * kBlockSize;
    auto share = [](double fLimit, double fAmplitude) { return 1.0 - 2.0 / kPi * std::asin(fLimit / fAmplitude); };
    auto runSine = [&]() {
        for (int b = 0; b < nBlocks; ++b) {
            for (int n = 0; n < kBlockSize; ++n) {
                const double x = std::sin(2.0 * kPi * (b * kBlockSize + n) / 100.0);
                rig.in[0][n] = static_cast<float>(0.75 * x);
                rig.in[1][n] = static_cast<float>(0.6 * x);
            }
            rig.Run();
        }
    };
    runSine();
    for (int ch = 0; ch < 2; ++ch) {
        EXPECT_NEAR(rig.Module().GetMeter(3 + ch), fSamples * share(1.001, A[ch]), 2.0 * 64) << "channel " << ch;
        EXPECT_EQ(rig.Module().GetMeter(3 + ch), 0.0f) << "read and cleared";
        // The safety clip caps at 0.999: with 0 dB output nothing reaches 1.
        EXPECT_EQ(rig.Module().GetMeter(5 + ch), 0.0f);
    }

    // +6 dB output: the high-passed, clipped sine (flat tops at 1.001) is
    // over full scale wherever it exceeds 1 / 1.995.
    EXPECT_EQ(rig.Module().SetParameterStep(40, 127), 6.0f);
    runSine();
    for (int ch = 0; ch < 2; ++ch) {
        EXPECT_NEAR(rig.Module().GetMeter(5 + ch) / fSamples, share(1.0 / fGain, A[ch]), 0.03);
        EXPECT_EQ(rig.Module().GetMeter(5 + ch), 0.0f);
    }
    runSine();
    rig.Module().Reset();
    EXPECT_EQ(rig.Module().GetMeter(3) + rig.Module().GetMeter(5), 0.0f) << "a reset clears the counters";

    // A sample of exactly full scale is an over: the output gain that takes
    // the safety limit 0.999 to exactly 1.0 counts every capped sample.
    const float fToFull = 1.0f / 0.999f;
    ASSERT_EQ(0.999f * fToFull, 1.0f);
    rig.Kernel().outputGain = fToFull;
    runSine();
    int nCapped = 0;
    for (int n = 0; n < kBlockSize; ++n)
        nCapped += std::fabs(rig.out[0][n]) == 1.0f ? 1 : 0;
    EXPECT_GT(nCapped, 0);
    EXPECT_GE(rig.Module().GetMeter(5), nCapped);

    // Output step 0 is -1000 dB: silence.
    EXPECT_EQ(rig.Module().SetParameterStep(40, 0), -1000.0f);
    runSine();
    for (int n = 0; n < kBlockSize; ++n)
        EXPECT_EQ(rig.out[0][n], 0.0f);
    EXPECT_EQ(rig.Module().GetMeter(5), 0.0f);
}

TEST(VnOut, HighPassRemovesDCAndFollowsItsPrototype)
{
    // s^2 / (s^2 + 221.47574 s + 24672.555): w0 = 157.08 rad/s (25 Hz), Q
    // 0.709, so about -3 dB at 25 Hz.
    const SPrototype2 prototype { kRate, 1.0f, 0.0f, 0.0f, 1.0f, 221.47574f, 24672.555f };
    for (int nChannels : { 1, 2 }) {
        CRig rig(nChannels);
        auto process
            = [&](float** ppOut, float** ppIn) { rig.Module().GetHostDSP()->Process(ppOut, ppIn, nullptr, 0, 0); };
        for (double f : { 10.0, 25.0, 100.0, 1000.0, 15000.0 }) {
            const double w = 2.0 * kRate * std::tan(kPi * f / kRate);
            EXPECT_NEAR(ToDb(MeasureSineGain(process, f, kRate, nChannels)), ToDb(AnalogMagnitude(prototype, w)), 0.02)
                << "f " << f;
        }
        EXPECT_NEAR(ToDb(MeasureSineGain(process, 25.0, kRate, nChannels)), -3.0, 0.1);

        // DC decays to nothing within a second.
        for (int b = 0; b < 44100 / kBlockSize; ++b) {
            for (int n = 0; n < kBlockSize; ++n)
                rig.in[0][n] = rig.in[1][n] = 0.5f;
            rig.Run();
        }
        for (int n = 0; n < kBlockSize; ++n)
            EXPECT_LT(std::fabs(rig.out[0][n]), 1e-6f);
    }
}

TEST(VnOut, ScalarAndSSEKernelsGiveTheSameBits)
{
    std::mt19937 random(TestSeed());
    std::uniform_int_distribution<int> step(0, 127);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    for (int nTrial = 0; nTrial < 12; ++nTrial) {
        const int nChannels = nTrial % 3 == 2 ? 1 : 2;
        CRig scalar(nChannels, false), simd(nChannels, true);
        for (int nIndex = 38; nIndex <= 40; ++nIndex) {
            const int nStep = step(random);
            scalar.Module().SetParameterStep(nIndex, nStep);
            simd.Module().SetParameterStep(nIndex, nStep);
        }
        for (int b = 0; b < 200; ++b) {
            const float fLevel = (b / 10) % 2 ? 3.0f : 0.2f;
            for (int n = 0; n < kBlockSize; ++n) {
                for (int ch = 0; ch < 2; ++ch)
                    scalar.in[ch][n] = simd.in[ch][n] = fLevel * noise(random) + 0.3f;
            }
            scalar.Run();
            simd.Run();
            for (int ch = 0; ch < nChannels; ++ch)
                ASSERT_EQ(0, std::memcmp(scalar.out[ch].get(), simd.out[ch].get(), kBlockSize * sizeof(float)))
                    << "trial " << nTrial << " block " << b;
        }
        for (int nMeter = 3; nMeter <= 6; ++nMeter)
            EXPECT_EQ(scalar.Module().GetMeter(nMeter), simd.Module().GetMeter(nMeter));
        EXPECT_EQ(0, std::memcmp(scalar.Kernel().highPass, simd.Kernel().highPass, sizeof(SBiquad) * 2));
    }
}

TEST(VnOut, ImpossibleRatesKeepTheFilterAndNonFiniteInputIsDetected)
{
    CRig rig(2);
    const SBiquad before = rig.Kernel().highPass[1];
    rig.Module().Setup(0.0f, 2, -1);
    rig.Module().Setup(NAN, 2, -1);
    EXPECT_EQ(0, std::memcmp(&before, &rig.Kernel().highPass[1], sizeof(SBiquad)));

    for (int n = 0; n < kBlockSize; ++n)
        rig.in[0][n] = rig.in[1][n] = n == 9 ? NAN : 0.1f;
    rig.Run();
    EXPECT_FALSE(rig.Kernel().IsStateFinite());
    rig.Module().Reset();
    EXPECT_TRUE(rig.Kernel().IsStateFinite());
    for (int n = 0; n < kBlockSize; ++n)
        rig.in[0][n] = rig.in[1][n] = n % 2 ? FLT_MAX : -FLT_MAX;
    rig.Run();
    EXPECT_TRUE(rig.Kernel().IsStateFinite()) << "the curve clipper caps infinite levels first";
    for (int n = 0; n < kBlockSize; ++n)
        EXPECT_LE(std::fabs(rig.out[1][n]), 0.999f);
}

} // namespace
