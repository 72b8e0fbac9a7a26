#include "DspTestUtil.h"

#include "dsp/Clipper.h"
#include "dsp/HostDSP.h"
#include "dsp/StepTable.h"

#include <cstring>

using namespace dsptest;

namespace {

TEST(Framework, BlockKernelsGiveTheSameBitsInScalarAndSSE)
{
    const dsp::SBlockKernels scalar = dsp::ScalarKernels();
    const dsp::SBlockKernels simd = dsp::SIMDKernels();
    if (simd.pApplyGain == nullptr)
        GTEST_SKIP() << "no SSE on this processor";

    std::mt19937 random(TestSeed());
    std::uniform_real_distribution<float> value(-4.0f, 4.0f);
    // Guard words around each block catch writes past its 64 samples.
    constexpr int kGuard = 8;
    CBlock a(64 + 2 * kGuard), b(64 + 2 * kGuard), s1(64 + 2 * kGuard), d1(64 + 2 * kGuard), s2(64 + 2 * kGuard),
        d2(64 + 2 * kGuard);
    for (int nTrial = 0; nTrial < 50; ++nTrial) {
        for (int i = 0; i < 64 + 2 * kGuard; ++i) {
            a[i] = value(random);
            b[i] = value(random);
            s1[i] = s2[i] = d1[i] = d2[i] = 7.0f;
        }
        a[kGuard + 3] = 1e-39f; // subnormal input
        scalar.pSumDifference(s1.get() + kGuard, d1.get() + kGuard, a.get() + kGuard, b.get() + kGuard);
        simd.pSumDifference(s2.get() + kGuard, d2.get() + kGuard, a.get() + kGuard, b.get() + kGuard);
        const float fGain = value(random);
        scalar.pApplyGain(s1.get() + kGuard, fGain);
        simd.pApplyGain(s2.get() + kGuard, fGain);
        scalar.pAddBlock(d1.get() + kGuard, a.get() + kGuard);
        simd.pAddBlock(d2.get() + kGuard, a.get() + kGuard);
        EXPECT_EQ(0, std::memcmp(s1.get(), s2.get(), (64 + 2 * kGuard) * sizeof(float)));
        EXPECT_EQ(0, std::memcmp(d1.get(), d2.get(), (64 + 2 * kGuard) * sizeof(float)));
        EXPECT_EQ(s1[kGuard - 1], 7.0f);
        EXPECT_EQ(s1[kGuard + 64], 7.0f);
    }
}

TEST(Framework, TheNoiseBlockIsTinyAndTheGeneratorIsShared)
{
    class CKernel : public HostDSP {
    public:
        void Process(float**, float**, float**, int, int) override { }
    };
    dsp::ResetNoiseGenerator();
    CKernel first;
    CKernel second;
    // First value: state 12345 -> 12345 * 2^-29 - 1, times 1e-20.
    EXPECT_EQ(first.mpNoise[0], static_cast<float>((12345 * 1.862645149230957e-9 - 1.0) * 1e-20));
    bool bDiffers = false;
    for (int i = 0; i < kBlockSize; ++i) {
        EXPECT_LE(std::fabs(first.mpNoise[i]), 1e-20f);
        bDiffers = bDiffers || first.mpNoise[i] != second.mpNoise[i];
    }
    EXPECT_TRUE(bDiffers) << "the second kernel continues the sequence";

    CBlock block;
    first.AddNoise(block.get());
    EXPECT_EQ(0, std::memcmp(block.get(), first.mpNoise, kBlockSize * sizeof(float)));
}

TEST(Framework, BilinearBiquadMatchesItsAnalogPrototypeWellBelowNyquist)
{
    // A resonant low-pass at 1 kHz and a band-pass, at 44.1 and 96 kHz.
    for (float fs : { 44100.0f, 96000.0f }) {
        const double w0 = 2.0 * kPi * 1000.0;
        const SPrototype2 lowPass { fs, 0.0f, 0.0f, float(w0 * w0), 1.0f, float(w0 / 0.7), float(w0 * w0) };
        const SPrototype2 bandPass { fs, 0.0f, float(w0), 0.0f, 1.0f, float(w0), float(w0 * w0) };
        for (const SPrototype2& prototype : { lowPass, bandPass }) {
            SBiquad sections[2] = {};
            ASSERT_TRUE(dsp::Bilinear(prototype, sections, 2));
            EXPECT_EQ(0, std::memcmp(&sections[0].B0, &sections[1].B0, 5 * sizeof(float)));
            for (double f : { 50.0, 300.0, 1000.0, 3000.0 }) {
                // Without prewarp the digital response at f is the analog one at
                // (2 fs) tan(pi f / fs); compare at that frequency exactly...
                const double wWarped = 2.0 * fs * std::tan(kPi * f / fs);
                EXPECT_NEAR(ToDb(DigitalMagnitude(sections[0], f, fs)), ToDb(AnalogMagnitude(prototype, wWarped)), 0.01)
                    << "f " << f << " fs " << fs;
                // ... and by measurement through the block update.
                SBiquad section = sections[0];
                const double fMeasured = MeasureSineGain(
                    [&](float** ppOut, float** ppIn) { dsp::RunBiquad(section, ppIn[0], ppOut[0]); }, f, fs);
                EXPECT_NEAR(ToDb(fMeasured), ToDb(DigitalMagnitude(sections[0], f, fs)), 0.02) << "f " << f;
            }
        }
    }
}

TEST(Framework, AnImpossibleDesignKeepsThePreviousCoefficients)
{
    SBiquad section = {};
    const SPrototype2 good { 48000.0f, 0.0f, 0.0f, 1e6f, 1.0f, 1400.0f, 1e6f };
    ASSERT_TRUE(dsp::Bilinear(good, &section, 1));
    const SBiquad before = section;
    const SPrototype2 zeroRate { 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f };
    EXPECT_FALSE(dsp::Bilinear(zeroRate, &section, 1));
    EXPECT_EQ(0, std::memcmp(&before, &section, sizeof(section)));

    SFirstOrder first = {};
    EXPECT_FALSE(dsp::Bilinear(SPrototype1 { 0.0f, 0.0f, 0.0f, 0.0f, 0.0f }, &first, 1));
    EXPECT_EQ(first.B0, 0.0f);
}

TEST(Framework, BiquadHistoryCarriesTheLastTwoSamplesAcrossBlocks)
{
    SBiquad section = {};
    ASSERT_TRUE(dsp::Bilinear(SPrototype2 { 44100.0f, 0.0f, 0.0f, 4e7f, 1.0f, 9000.0f, 4e7f }, &section, 1));
    CBlock zeros, out;
    dsp::RunBiquad(section, zeros.get(), out.get());
    for (int n = 0; n < kBlockSize; ++n)
        EXPECT_EQ(out[n], 0.0f);

    // One long signal in two blocks equals the same signal in one pass
    // computed sample by sample.
    CBlock in1, in2, out1, out2;
    for (int n = 0; n < kBlockSize; ++n) {
        in1[n] = std::sin(0.1f * n);
        in2[n] = std::sin(0.1f * (n + 64));
    }
    SBiquad blockwise = section;
    dsp::RunBiquad(blockwise, in1.get(), out1.get());
    EXPECT_EQ(blockwise.x1, in1[63]);
    EXPECT_EQ(blockwise.x2, in1[62]);
    EXPECT_EQ(blockwise.y1, out1[63]);
    EXPECT_EQ(blockwise.y2, out1[62]);
    dsp::RunBiquad(blockwise, in2.get(), out2.get());
    double x1 = in1[63], x2 = in1[62], y1 = out1[63], y2 = out1[62];
    for (int n = 0; n < kBlockSize; ++n) {
        const float y = static_cast<float>(double(section.B0) * in2[n] + double(section.B1) * x1
            + double(section.B2) * x2 + double(section.A1) * y1 + double(section.A2) * y2);
        EXPECT_EQ(out2[n], y);
        x2 = x1;
        x1 = in2[n];
        y2 = y1;
        y1 = y;
    }
}

TEST(Framework, StereoBiquadInSSELanesGivesTheSameBitsAsTwoScalarRuns)
{
    std::mt19937 random(TestSeed());
    std::uniform_real_distribution<float> value(-1.0f, 1.0f);
    SBiquad simd[2] = {}, scalar[2] = {};
    ASSERT_TRUE(dsp::Bilinear(SPrototype2 { 44100.0f, 1.0f, 2000.0f, 1e7f, 1.0f, 900.0f, 1e7f }, simd, 2));
    scalar[0] = simd[0];
    scalar[1] = simd[1];
    CBlock l, r, l1, r1, l2, r2;
    for (int nBlock = 0; nBlock < 20; ++nBlock) {
        for (int n = 0; n < kBlockSize; ++n) {
            l[n] = value(random);
            r[n] = nBlock == 3 ? 1e-38f : value(random);
        }
        dsp::RunBiquadStereo(simd, l.get(), r.get(), l1.get(), r1.get(), true);
        dsp::RunBiquadStereo(scalar, l.get(), r.get(), l2.get(), r2.get(), false);
        ASSERT_EQ(0, std::memcmp(l1.get(), l2.get(), kBlockSize * sizeof(float)));
        ASSERT_EQ(0, std::memcmp(r1.get(), r2.get(), kBlockSize * sizeof(float)));
    }
    EXPECT_EQ(0, std::memcmp(simd, scalar, sizeof(simd)));
}

TEST(Framework, ClippersMapTheirKneesAndEndsExactly)
{
    SClipper soft;
    soft.Configure(SClipper::kSoft, 1.0f, -1.0f, 0.577f, -0.577f);
    CBlock block;
    for (int n = 0; n < kBlockSize; ++n)
        block[n] = 0.5f * std::sin(0.2f * n) + 0.07f;
    EXPECT_EQ(soft.Clip(block.get()), 0) << "a block inside the knees is untouched";

    block[0] = 0.577f;
    block[1] = 1.423f;
    block[2] = 2.0f;
    block[3] = -1.423f;
    block[4] = -100.0f;
    block[5] = 1.0f;
    const float fBent = block[5];
    EXPECT_EQ(soft.Clip(block.get()), 6) << "the knee itself counts";
    EXPECT_EQ(block[0], 0.577f);
    EXPECT_EQ(block[1], 1.0f);
    EXPECT_EQ(block[2], 1.0f);
    EXPECT_EQ(block[3], -1.0f);
    EXPECT_EQ(block[4], -1.0f);
    EXPECT_GT(block[5], 0.577f);
    EXPECT_LT(block[5], fBent);

    // The curve is smooth at the knee (slope 1) and flat at its end (slope 0).
    auto curve = [&](float x) {
        float b[kBlockSize] = {};
        b[0] = x;
        soft.Clip(b);
        return double(b[0]);
    };
    EXPECT_NEAR((curve(0.578f) - curve(0.577f)) / 0.001, 1.0, 0.01);
    EXPECT_NEAR((curve(1.423f) - curve(1.422f)) / 0.001, 0.0, 0.01);

    SClipper hard;
    hard.Configure(SClipper::kHard, 1.001f, -1.001f, 0.0f, 0.0f);
    for (int n = 0; n < kBlockSize; ++n)
        block[n] = 0.0f;
    block[0] = 1.0005f;
    block[1] = 1.01f;
    block[2] = 1.001f;
    block[3] = -2.0f;
    EXPECT_EQ(hard.Clip(block.get()), 2);
    EXPECT_EQ(block[0], 1.0005f);
    EXPECT_EQ(block[1], 1.001f);
    EXPECT_EQ(block[2], 1.001f);
    EXPECT_EQ(block[3], -1.001f);
}

TEST(Framework, StepTablesFollowTheirRunsAndClampOutOfRangeSteps)
{
    const CStepTable table({ { 0, 20, 1000, 50 }, { 21, 50, 2100, 100 }, { 51, 127, 5200, 200 } });
    EXPECT_EQ(table[0], 1000.0f);
    EXPECT_EQ(table[20], 2000.0f);
    EXPECT_EQ(table[21], 2100.0f);
    EXPECT_EQ(table[121], 19200.0f);
    EXPECT_EQ(table[122], 19400.0f);
    EXPECT_EQ(table[127], 20400.0f);
    EXPECT_EQ(table[-5], 1000.0f);
    EXPECT_EQ(table[1000], 20400.0f);
}

} // namespace
