// The plug-ins in a small lilv host with no host features: random block
// lengths including 0, random port changes, several rates, reproducibility on
// a fresh instance, and reliability rows 1 to 6 as a host meets them.
#include "Lv2Signal.h"
#include "Lv2TestHost.h"

#include "wrappers/lv2/Lv2Ports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

const char* const kChain = "urn:vantor:lv2:chain";

// Settings that keep every module of the chain busy.
void SetEverythingWorking(CLv2Instance& instance)
{
    const std::pair<const char*, float> settings[] = {
        { "eq_low_cut_freq", 40.0f },
        { "eq_low_shelf_gain", 3.0f },
        { "eq_low_mid_gain", -2.5f },
        { "eq_high_mid_gain", 2.0f },
        { "eq_high_shelf_gain", 3.0f },
        { "eq_high_cut_freq", 16000.0f },
        { "compressor_input_drive", 9.0f },
        { "compressor_ratio", 4.0f },
        { "limiter_input_drive", 8.0f },
        { "limiter_band_2_threshold", -6.0f },
        { "clipper_gain", 6.0f },
    };
    for (const auto& setting : settings)
        ASSERT_TRUE(instance.Set(setting.first, setting.second)) << setting.first;
}

// Runs a signal through in blocks of the given lengths (cycled), calling
// between(frame) before each block; returns the output.
SStereo RunInBlocks(CLv2Instance& instance, const SStereo& input, const std::vector<uint32_t>& blocks,
    const std::function<void(size_t)>& between = nullptr)
{
    SStereo output { std::vector<float>(input.Frames()), std::vector<float>(input.Frames()) };
    std::vector<float> inL(input.left), inR(input.right);
    size_t nDone = 0;
    for (size_t k = 0; nDone < input.Frames(); ++k) {
        const uint32_t nBlock
            = static_cast<uint32_t>(std::min<size_t>(blocks[k % blocks.size()], input.Frames() - nDone));
        if (between)
            between(nDone);
        instance.Run(
            inL.data() + nDone, inR.data() + nDone, output.left.data() + nDone, output.right.data() + nDone, nBlock);
        EXPECT_EQ(instance.Get("latency"), kLv2LatencyFrames);
        nDone += nBlock;
    }
    return output;
}

void ExpectSame(const SStereo& a, const SStereo& b, const std::string& sWhat)
{
    ASSERT_EQ(a.Frames(), b.Frames());
    for (size_t n = 0; n < a.Frames(); ++n) {
        ASSERT_EQ(a.left[n], b.left[n]) << sWhat << " left frame " << n;
        ASSERT_EQ(a.right[n], b.right[n]) << sWhat << " right frame " << n;
    }
}

// Row 2: a thousand calls of random lengths, some of them 0, give exactly
// what one call over the whole signal gives.
TEST(Lv2Host, OutputDoesNotDependOnHowTheHostCutsItsBlocks)
{
    std::mt19937 random(Lv2TestSeed("Lv2Host.Chunking"));
    std::vector<uint32_t> blocks;
    size_t nTotal = 0;
    for (int k = 0; k < 1000; ++k) {
        const uint32_t nBlock = random() % 50 == 0 ? 0u : random() % 5 == 0 ? 1u : 2u + random() % 2047;
        blocks.push_back(nBlock);
        nTotal += nBlock;
    }
    const SStereo input = MusicLikeSignal(nTotal, 44100.0, random());
    CLv2Instance whole(kChain, 44100.0), pieces(kChain, 44100.0);
    SetEverythingWorking(whole);
    SetEverythingWorking(pieces);
    whole.Activate();
    pieces.Activate();
    ExpectSame(RunInBlocks(pieces, input, blocks), RunInBlocks(whole, input, { static_cast<uint32_t>(nTotal) }),
        "random blocks");
}

// Row 3: an impulse leaves exactly 64 frames later, whatever the block size;
// disabled, the plug-in is that delay (plus the chain's noise guard, far
// below any audible level) and still reports it.
TEST(Lv2Host, AnImpulseLeavesSixtyFourFramesLaterAndDisabledIsAPureDelay)
{
    for (const bool bEnabled : { true, false }) {
        for (const uint32_t nBlock : { 1u, 63u, 64u, 65u, 4096u }) {
            for (const size_t nOffset : { 0u, 1u, 63u, 64u, 100u, 1000u }) {
                CLv2Instance instance(kChain, 44100.0);
                instance.Set("enabled", bEnabled ? 1.0f : 0.0f);
                instance.Activate();
                SStereo input { std::vector<float>(4096), std::vector<float>(4096) };
                input.left[nOffset] = 0.5f;
                input.right[nOffset] = -0.25f;
                const SStereo output = RunInBlocks(instance, input, { nBlock });
                const size_t nPeak
                    = static_cast<size_t>(std::max_element(output.left.begin(), output.left.end(),
                                              [](float a, float b) { return std::fabs(a) < std::fabs(b); })
                        - output.left.begin());
                EXPECT_EQ(nPeak, nOffset + 64) << "block " << nBlock << " offset " << nOffset;
                if (!bEnabled) {
                    for (size_t n = 0; n < 4096; ++n) {
                        ASSERT_NEAR(output.left[n], n >= 64 ? input.left[n - 64] : 0.0f, 1e-12f) << n;
                        ASSERT_NEAR(output.right[n], n >= 64 ? input.right[n - 64] : 0.0f, 1e-12f) << n;
                    }
                }
                EXPECT_EQ(instance.Get("latency"), 64.0f);
            }
        }
    }
}

// Row 4: run(0) touches no buffer and still reports the latency; a block far
// past the process's slice length equals the same audio in small blocks.
TEST(Lv2Host, EmptyAndOversizedBlocksAreHandled)
{
    CLv2Instance instance(kChain, 48000.0);
    instance.Control(static_cast<uint32_t>(instance.PortIndex("latency"))) = -1.0f;
    instance.Activate();
    std::vector<float> guard(16, 1234.5f);
    instance.Run(guard.data(), guard.data() + 8, guard.data(), guard.data() + 8, 0);
    EXPECT_EQ(instance.Get("latency"), 64.0f) << "written by run(0)";
    EXPECT_TRUE(std::all_of(guard.begin(), guard.end(), [](float f) { return f == 1234.5f; }));

    const SStereo input = MusicLikeSignal(40000, 48000.0, 5);
    CLv2Instance small(kChain, 48000.0);
    SetEverythingWorking(instance);
    SetEverythingWorking(small);
    small.Activate();
    ExpectSame(RunInBlocks(instance, input, { 40000 }), RunInBlocks(small, input, { 256 }), "40000 frames at once");
}

TEST(Lv2Host, InPlaceBuffersGiveTheSameOutput)
{
    const SStereo input = MusicLikeSignal(20000, 44100.0, 11);
    CLv2Instance separate(kChain, 44100.0), inPlace(kChain, 44100.0);
    SetEverythingWorking(separate);
    SetEverythingWorking(inPlace);
    separate.Activate();
    inPlace.Activate();
    const SStereo expected = RunInBlocks(separate, input, { 333 });
    SStereo audio(input);
    for (size_t nDone = 0; nDone < audio.Frames(); nDone += 333) {
        const uint32_t nBlock = static_cast<uint32_t>(std::min<size_t>(333, audio.Frames() - nDone));
        inPlace.Run(audio.left.data() + nDone, audio.right.data() + nDone, audio.left.data() + nDone,
            audio.right.data() + nDone, nBlock);
    }
    ExpectSame(audio, expected, "in place");
}

// A host that deactivates and activates again gets a clean start: the same
// output as a fresh instance with the same port values.
TEST(Lv2Host, ActivatingAgainStartsFromACleanHistory)
{
    const SStereo input = MusicLikeSignal(30000, 44100.0, 3);
    CLv2Instance used(kChain, 44100.0), fresh(kChain, 44100.0);
    SetEverythingWorking(used);
    SetEverythingWorking(fresh);
    used.Activate();
    RunInBlocks(used, MusicLikeSignal(30000, 44100.0, 4), { 512 });
    used.Deactivate();
    used.Activate();
    fresh.Activate();
    ExpectSame(RunInBlocks(used, input, { 512 }), RunInBlocks(fresh, input, { 512 }), "after activate");
}

TEST(Lv2Host, MeterPortsShowGainReductionAndClips)
{
    CLv2Instance instance(kChain, 44100.0);
    SetEverythingWorking(instance);
    instance.Activate();
    float fMostCompressor = 0.0f, fMostLimiter = 0.0f, fLit = 0.0f;
    const SStereo loud = MusicLikeSignal(44100, 44100.0, 8);
    RunInBlocks(instance, loud, { 512 }, [&](size_t) {
        fMostCompressor = std::max(fMostCompressor, instance.Get("compressor_gain_reduction"));
        fMostLimiter = std::max(fMostLimiter, instance.Get("limiter_gain_reduction"));
        fLit = std::max(fLit, instance.Get("clip"));
    });
    EXPECT_GT(fMostCompressor, 1.0f) << "dB of compressor gain reduction";
    EXPECT_GT(fMostLimiter, 0.5f) << "dB of limiter gain reduction";
    EXPECT_EQ(fLit, 1.0f) << "the clipper at +6 dB gain clips";
    EXPECT_LT(instance.Get("compressor_needle"), 1.0f);

    // Two seconds of silence: the needles return and the lights go out.
    RunInBlocks(instance, SStereo { std::vector<float>(2 * 44100), std::vector<float>(2 * 44100) }, { 512 });
    EXPECT_EQ(instance.Get("clip"), 0.0f);
    EXPECT_EQ(instance.Get("over_left"), 0.0f);
    EXPECT_LT(instance.Get("compressor_gain_reduction"), 0.5f);

    // The single-module plug-ins have their own meters only.
    CLv2Instance eq("urn:vantor:lv2:eq", 44100.0), clipper("urn:vantor:lv2:clipper", 44100.0);
    EXPECT_LT(eq.PortIndex("compressor_needle"), 0);
    EXPECT_LT(eq.PortIndex("clip"), 0);
    EXPECT_GE(clipper.PortIndex("clip"), 0);
    EXPECT_LT(clipper.PortIndex("limiter_needle"), 0);
}

// Every plug-in reports what leaves it: held sample peaks in dBFS and the
// short-term loudness in LUFS.
TEST(Lv2Host, OutputMeterPortsShowPeaksAndLoudness)
{
    CLv2Instance instance("urn:vantor:lv2:eq", 48000.0);
    instance.Activate();
    // A 997 Hz sine at -12 dBFS on the left, silence on the right; the
    // equaliser is flat at its defaults.
    SStereo sine { std::vector<float>(4 * 48000), std::vector<float>(4 * 48000) };
    for (size_t n = 0; n < sine.Frames(); ++n)
        sine.left[n] = static_cast<float>(0.25 * std::sin(2.0 * 3.14159265358979 * 997.0 * n / 48000.0));
    RunInBlocks(instance, sine, { 512 });
    EXPECT_NEAR(instance.Get("output_peak_left"), -12.04f, 0.1f);
    EXPECT_EQ(instance.Get("output_peak_right"), -70.0f);
    // One channel of a -12 dBFS sine: its mean square is half its peak's.
    EXPECT_NEAR(instance.Get("output_loudness"), -12.04f - 3.01f, 0.2f);
}

} // namespace
