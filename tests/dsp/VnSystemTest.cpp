#include "DspTestUtil.h"
#include "Sanitized.h"

#include "dsp/VnSystem.h"
#include "tests/dsp/ChainSettings.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cstring>
#include <memory>

using namespace dsptest;

namespace {

// Every chain starts its denormal-guard noise afresh, so two chains given the
// same settings and input give the same bits, whatever was built before.
std::unique_ptr<VnSystem> FreshChain(float fSampleRate, int nChannels)
{
    VnSystem other(fSampleRate, nChannels); // draws from the generator too
    return std::make_unique<VnSystem>(fSampleRate, nChannels);
}

// A test signal: noise with level changes and a few peaks near full scale.
std::vector<float> TestSignal(size_t nFrames, int nChannels, uint32_t nSeed, float fLevel = 0.5f)
{
    std::mt19937 random(nSeed);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    std::vector<float> signal(nFrames * nChannels);
    for (size_t n = 0; n < nFrames; ++n) {
        const float fEnvelope = fLevel * (0.3f + 0.7f * float((n / 4096) % 3) / 2.0f);
        for (int ch = 0; ch < nChannels; ++ch)
            signal[ch * nFrames + n] = fEnvelope * noise(random);
    }
    return signal;
}

struct SRun {
    std::vector<float> out; // channels one after the other
    std::vector<float> traces; // trace 0 then trace 1
};

// Streams a planar signal through the chain in host blocks whose sizes the
// function gives.
SRun Stream(
    VnSystem& chain, const std::vector<float>& signal, int nChannels, const std::function<int(size_t nDone)>& blockSize)
{
    const size_t nFrames = signal.size() / nChannels;
    SRun run;
    run.out.assign(signal.size(), 0.0f);
    run.traces.assign(2 * nFrames, 0.0f);
    std::vector<float> in(signal);
    for (size_t nDone = 0; nDone < nFrames;) {
        const int nBlock = static_cast<int>(std::min<size_t>(blockSize(nDone), nFrames - nDone));
        float* ppIn[2] = { in.data() + nDone, in.data() + (nChannels > 1 ? nFrames : 0) + nDone };
        float* ppOut[2] = { run.out.data() + nDone, run.out.data() + (nChannels > 1 ? nFrames : 0) + nDone };
        float* ppTraces[2] = { run.traces.data() + nDone, run.traces.data() + nFrames + nDone };
        chain.Process(ppOut, ppIn, nBlock, ppTraces);
        nDone += nBlock;
    }
    return run;
}

std::function<int(size_t)> Fixed(int nSize)
{
    return [nSize](size_t) { return nSize; };
}

bool IsSubnormal(float f)
{
    return std::fpclassify(f) == FP_SUBNORMAL;
}

TEST(Chain, EveryHostBlockSizeGivesTheSameStreamAndTraces)
{
    const size_t nFrames = 44100;
    const std::vector<float> signal = TestSignal(nFrames, 2, TestSeed(), 0.9f);
    auto runWith = [&](const std::function<int(size_t)>& blockSize) {
        auto pChain = FreshChain(44100.0f, 2);
        SetEverythingWorking(*pChain);
        return Stream(*pChain, signal, 2, blockSize);
    };
    const SRun reference = runWith(Fixed(64));
    for (int nSize : { 1, 63, 65, 1000, 16320, 40000 }) {
        const SRun run = runWith(Fixed(nSize));
        EXPECT_EQ(0, std::memcmp(run.out.data(), reference.out.data(), run.out.size() * sizeof(float)))
            << "block size " << nSize;
        EXPECT_EQ(0, std::memcmp(run.traces.data(), reference.traces.data(), run.traces.size() * sizeof(float)))
            << "block size " << nSize;
    }
    // Random sizes as hosts send them: mostly 2..2048, sometimes 1, some empty calls.
    std::mt19937 random(TestSeed());
    auto pChain = FreshChain(44100.0f, 2);
    VnSystem& chain = *pChain;
    SetEverythingWorking(chain);
    const SRun run = Stream(chain, signal, 2, [&](size_t) {
        const int nPick = static_cast<int>(random() % 100);
        if (nPick < 5) {
            float* ppNone[2] = { nullptr, nullptr };
            chain.Process(ppNone, ppNone, 0, nullptr);
        }
        return nPick < 20 ? 1 : 2 + static_cast<int>(random() % 2047);
    });
    EXPECT_EQ(0, std::memcmp(run.out.data(), reference.out.data(), run.out.size() * sizeof(float)));
    EXPECT_EQ(0, std::memcmp(run.traces.data(), reference.traces.data(), run.traces.size() * sizeof(float)));
}

// The audio side of the process runs a chain that never designs anything:
// it adopts what another chain designed. Adopted whole, the design must sound
// bit for bit like the chain that made it, and adopting mid-stream must keep
// the signal history as a direct change does.
TEST(Chain, AChainThatAdoptsAnotherChainsDesignSoundsExactlyLikeIt)
{
    const size_t nFrames = 3 * 8192;
    const int kOrder[kNrOfModules] = { kOutputClipper, kLimiter, kEqualiser, kCompressor };
    for (int nChannels : { 1, 2 }) {
        const std::vector<float> signal = TestSignal(nFrames, nChannels, TestSeed(), 0.9f);
        auto pDesigner = FreshChain(48000.0f, 2);
        SetEverythingWorking(*pDesigner);
        pDesigner->SetOrder(kOrder);
        SChainSnapshot snapshot {};
        pDesigner->CaptureSettings(snapshot, nChannels);
        pDesigner->Setup(48000.0f, nChannels, -1);
        const SRun reference = Stream(*pDesigner, signal, nChannels, Fixed(500));

        auto pAdopter = FreshChain(44100.0f, 2);
        pAdopter->AdoptSettings(snapshot);
        const SRun adopted = Stream(*pAdopter, signal, nChannels, Fixed(500));
        EXPECT_EQ(0, std::memcmp(adopted.out.data(), reference.out.data(), adopted.out.size() * sizeof(float)))
            << nChannels << " channels";
        EXPECT_EQ(0, std::memcmp(adopted.traces.data(), reference.traces.data(), adopted.traces.size() * sizeof(float)))
            << nChannels << " channels";

        // Mid-stream: half the signal with the defaults, then the design,
        // once adopted and once set directly.
        const size_t nHalf = nFrames / 2;
        auto halves = [&](VnSystem& chain, const std::function<void()>& change) {
            std::vector<float> first(nHalf * nChannels), second((nFrames - nHalf) * nChannels);
            for (int ch = 0; ch < nChannels; ++ch) {
                std::copy_n(signal.begin() + ch * nFrames, nHalf, first.begin() + ch * nHalf);
                std::copy_n(
                    signal.begin() + ch * nFrames + nHalf, nFrames - nHalf, second.begin() + ch * (nFrames - nHalf));
            }
            Stream(chain, first, nChannels, Fixed(256));
            change();
            return Stream(chain, second, nChannels, Fixed(256));
        };
        auto pDirect = FreshChain(48000.0f, nChannels);
        const SRun direct = halves(*pDirect, [&] {
            SetEverythingWorking(*pDirect);
            pDirect->SetOrder(kOrder);
        });
        auto pLive = FreshChain(48000.0f, nChannels);
        const SRun live = halves(*pLive, [&] { pLive->AdoptSettings(snapshot); });
        EXPECT_EQ(0, std::memcmp(live.out.data(), direct.out.data(), live.out.size() * sizeof(float)))
            << nChannels << " channels";
    }
}

TEST(Chain, AnImpulseLeavesExactly64SamplesLater)
{
    for (bool bBypassed : { true, false }) {
        for (int nSize : { 1, 63, 64, 65, 4096 }) {
            for (size_t nOffset : { size_t(0), size_t(1), size_t(63), size_t(64), size_t(100), size_t(4095) }) {
                VnSystem chain(48000.0f, 2);
                if (bBypassed) {
                    const int bypass[4] = { 1, 1, 1, 1 };
                    chain.SetBypass(bypass);
                }
                std::vector<float> signal(2 * 8192, 0.0f);
                signal[nOffset] = 0.5f;
                signal[8192 + nOffset] = -0.5f;
                const SRun run = Stream(chain, signal, 2, Fixed(nSize));
                const auto peak = std::max_element(run.out.begin(), run.out.begin() + 8192,
                    [](float a, float b) { return std::fabs(a) < std::fabs(b); });
                EXPECT_EQ(static_cast<size_t>(peak - run.out.begin()), nOffset + 64)
                    << "block " << nSize << " offset " << nOffset << (bBypassed ? " bypassed" : " active");
            }
        }
    }
}

TEST(Chain, WithEverySlotBypassedTheOutputIsTheInputDelayed)
{
    const size_t nFrames = 5000;
    const std::vector<float> signal = TestSignal(nFrames, 2, TestSeed());
    VnSystem chain(44100.0f, 2);
    SetEverythingWorking(chain);
    const int bypass[4] = { 1, 1, 1, 1 };
    chain.SetBypass(bypass);
    const SRun run = Stream(chain, signal, 2, Fixed(333));
    for (int ch = 0; ch < 2; ++ch) {
        for (size_t n = 0; n < 64; ++n)
            EXPECT_LE(std::fabs(run.out[ch * nFrames + n]), 1e-20f);
        for (size_t n = 64; n < nFrames; ++n) {
            const float fIn = signal[ch * nFrames + n - 64];
            ASSERT_NEAR(run.out[ch * nFrames + n], fIn, 1e-20f + std::fabs(fIn) * 1e-7f) << n;
        }
    }
}

// A bypassed compressor or limiter keeps running on the near-silent blocks:
// its detector recovers, its trace and meter stay live (a meter that no
// block touched would read -60 dB on the second read). And every block the
// chain takes in carries the +-1e-20 guard noise, so silence through a
// bypassed chain is that noise, not digital zero.
TEST(Chain, ABypassedCompressorOrLimiterKeepsRunningAndEveryBlockGetsTheGuardNoise)
{
    VnSystem chain(44100.0f, 2);
    SetEverythingWorking(chain);
    const std::vector<float> loud = TestSignal(44100, 2, TestSeed(), 1.0f);
    SRun run = Stream(chain, loud, 2, Fixed(512));
    ASSERT_LT(run.traces[44100 - 1], 0.9f) << "the compressor reduces";
    ASSERT_LT(run.traces[2 * 44100 - 1], 0.9f) << "the limiter reduces";
    chain.GetMeter(0);
    chain.GetMeter(2);

    const int bypass[4] = { 0, 1, 1, 0 };
    chain.SetBypass(bypass);
    // Three seconds of the same loud input: the two detectors hear only
    // silence and let go (release 1 s and 0.5 s).
    for (int nSecond = 0; nSecond < 3; ++nSecond)
        run = Stream(chain, loud, 2, Fixed(512));
    EXPECT_NEAR(run.traces[44100 - 1], 1.0f, 1e-4f) << "the compressor's gain is back at 1";
    // Band 1 of the limiter rests on its floor: a few hundredths of a dB.
    EXPECT_NEAR(run.traces[2 * 44100 - 1], 1.0f, 0.01f) << "the limiter's bands are back near full gain";
    for (int nMeter : { 0, 2 }) {
        chain.GetMeter(nMeter);
        Stream(chain, std::vector<float>(2 * 64, 0.5f), 2, Fixed(64));
        const float fReduction = chain.GetMeter(nMeter);
        EXPECT_GE(fReduction, 0.0f) << "meter " << nMeter << " read after a block of a bypassed module";
        EXPECT_LT(fReduction, 0.1f) << "meter " << nMeter;
    }

    // Silence through a chain with every module bypassed: the guard noise of
    // each 64-sample block, the same 64 values every block.
    const int all[4] = { 1, 1, 1, 1 };
    VnSystem quiet(44100.0f, 2);
    quiet.SetBypass(all);
    const size_t nFrames = 64 * 20;
    run = Stream(quiet, std::vector<float>(2 * nFrames, 0.0f), 2, Fixed(100));
    int nNonZero = 0;
    for (size_t n = 0; n < nFrames; ++n) {
        ASSERT_LE(std::fabs(run.out[n]), 1e-20f) << n;
        nNonZero += run.out[n] != 0.0f;
        if (n >= 64) {
            ASSERT_EQ(run.out[n], run.out[n - 64]) << n;
        }
    }
    EXPECT_GT(nNonZero, static_cast<int>(nFrames) * 9 / 10);
}

TEST(Chain, BypassFlagsFollowTheirModuleInEveryOrder)
{
    const size_t nFrames = 3000;
    const std::vector<float> signal = TestSignal(nFrames, 2, TestSeed(), 0.8f);
    for (int nActive = 0; nActive < kNrOfModules; ++nActive) {
        std::array<int, 4> order = { 0, 1, 2, 3 };
        int bypass[4] = { 1, 1, 1, 1 };
        bypass[nActive] = 0;
        std::vector<float> reference;
        do {
            auto pChain = FreshChain(44100.0f, 2);
            SetEverythingWorking(*pChain);
            pChain->SetOrder(order.data());
            pChain->SetBypass(bypass);
            const SRun run = Stream(*pChain, signal, 2, Fixed(512));
            if (reference.empty())
                reference = run.out;
            ASSERT_EQ(0, std::memcmp(run.out.data(), reference.data(), reference.size() * sizeof(float)))
                << "module " << nActive << " order " << order[0] << order[1] << order[2] << order[3];
        } while (std::next_permutation(order.begin(), order.end()));
    }
}

TEST(Chain, TheOrderOfActiveModulesMatters)
{
    const size_t nFrames = 8192;
    const std::vector<float> signal = TestSignal(nFrames, 2, TestSeed(), 0.9f);
    std::array<int, 4> order = { 0, 1, 2, 3 };
    std::vector<std::vector<float>> outputs;
    do {
        VnSystem chain(44100.0f, 2);
        SetEverythingWorking(chain);
        chain.SetOrder(order.data());
        const SRun run = Stream(chain, signal, 2, Fixed(1024));
        for (float f : run.out)
            ASSERT_TRUE(std::isfinite(f) && std::fabs(f) <= 16.0f);
        outputs.push_back(run.out);
    } while (std::next_permutation(order.begin(), order.end()));
    ASSERT_EQ(outputs.size(), 24u);
    for (size_t i = 1; i < outputs.size(); ++i)
        EXPECT_NE(outputs[i], outputs[0]) << "order " << i << " sounds like the first";
}

TEST(Chain, MetersAreReadAndClearedThroughTheChain)
{
    VnSystem chain(44100.0f, 2);
    SetEverythingWorking(chain);
    const std::vector<float> signal = TestSignal(22050, 2, TestSeed(), 1.0f);
    Stream(chain, signal, 2, Fixed(512));
    EXPECT_GT(chain.GetMeter(0), 1.0f) << "the compressor is reducing gain";
    EXPECT_EQ(chain.GetMeter(1), -60.0f) << "both compressor reads share one hold";
    EXPECT_GT(chain.GetMeter(2), 0.5f) << "the limiter is reducing gain";
    EXPECT_EQ(chain.GetMeter(2), -60.0f);
    EXPECT_GT(chain.GetMeter(3) + chain.GetMeter(4), 0.0f) << "the clipper clipped";
    EXPECT_EQ(chain.GetMeter(3), 0.0f);
}

TEST(Chain, NonFiniteInputRecoversWithinTwoBlocks)
{
    const float fNaN = std::numeric_limits<float>::quiet_NaN();
    const float fInf = std::numeric_limits<float>::infinity();
    struct SBad {
        const char* pszName;
        std::vector<std::pair<float, float>> samples; // left, right
    };
    const SBad bad[] = {
        { "one NaN", { { fNaN, 0.1f } } },
        { "+inf", { { fInf, fInf } } },
        { "-inf", { { -fInf, 0.0f } } },
        { "NaN burst", std::vector<std::pair<float, float>>(64, { fNaN, fNaN }) },
        { "FLT_MAX", { { FLT_MAX, -FLT_MAX }, { -FLT_MAX, FLT_MAX } } },
    };
    const size_t nFrames = 10 * 44100;
    const std::vector<float> noise = TestSignal(nFrames, 2, TestSeed(), 0.5f);
    // A clean instance for the compressor's recovery.
    VnSystem clean(44100.0f, 2);
    SetEverythingWorking(clean);
    const SRun cleanRun = Stream(clean, noise, 2, Fixed(256));

    for (const SBad& test : bad) {
        VnSystem chain(44100.0f, 2);
        SetEverythingWorking(chain);
        std::vector<float> signal(noise);
        const size_t nAt = 1000;
        for (size_t i = 0; i < test.samples.size(); ++i) {
            signal[nAt + i] = test.samples[i].first;
            signal[nFrames + nAt + i] = test.samples[i].second;
        }
        const SRun run = Stream(chain, signal, 2, Fixed(256));
        const size_t nEnd = nAt + test.samples.size();
        for (int ch = 0; ch < 2; ++ch) {
            for (size_t n = nEnd + 128; n < nFrames; ++n)
                ASSERT_TRUE(std::isfinite(run.out[ch * nFrames + n])) << test.pszName << " at " << n;
        }
        // Compressor gain back near the clean instance's within five release
        // times (release 1 s here): compare the traces over the last second.
        for (size_t n = nFrames - 44100; n < nFrames; n += 441)
            EXPECT_NEAR(ToDb(std::fabs(run.traces[n])), ToDb(std::fabs(cleanRun.traces[n])), 0.1) << test.pszName;
    }
}

TEST(Chain, TinyInputsAndLongSilenceLeaveNoSubnormals)
{
    for (float fs : { 44100.0f, 96000.0f }) {
        VnSystem chain(fs, 2);
        SetEverythingWorking(chain);
        std::vector<float> burst = TestSignal(static_cast<size_t>(fs), 2, TestSeed(), 1.0f);
        Stream(chain, burst, 2, Fixed(512));

        const size_t nSilence = static_cast<size_t>(fs) * (kSanitized ? 3 : 30);
        std::vector<float> silence(2 * nSilence, 0.0f);
        for (size_t n = 0; n < nSilence; n += 97)
            silence[n] = (n % 2 ? 1.0f : -1.0f) * FLT_MIN;
        const SRun run = Stream(chain, silence, 2, Fixed(4096));
        size_t nSubnormal = 0;
        for (float f : run.out)
            nSubnormal += IsSubnormal(f);
        for (float f : run.traces)
            nSubnormal += IsSubnormal(f);
        EXPECT_EQ(nSubnormal, 0u) << fs;
        for (int m = 0; m < kNrOfModules; ++m)
            EXPECT_TRUE(chain.GetModule(m)->GetHostDSP()->IsStateFinite());
    }
}

TEST(Chain, SilenceAfterNoiseAtParameterExtremesDiesAway)
{
    std::mt19937 random(TestSeed());
    for (int nTrial = 0; nTrial < 4; ++nTrial) {
        VnSystem chain(44100.0f, 2);
        // Each parameter at its first or last step.
        for (int nIndex = 0; nIndex < 41; ++nIndex)
            chain.SetParameterStep(nIndex, random() % 2 ? 127 : 0);
        const std::vector<float> noise = TestSignal(44100, 2, random(), 1.0f);
        Stream(chain, noise, 2, Fixed(1024));
        const size_t nSilence = 44100 * (kSanitized ? 5 : 20);
        const SRun run = Stream(chain, std::vector<float>(2 * nSilence, 0.0f), 2, Fixed(1024));
        // After a tail of 5 s everything lies below -77.6 dBFS.
        float fPeak = 0.0f;
        for (int ch = 0; ch < 2; ++ch)
            for (size_t n = 5 * 44100; n < nSilence; ++n)
                fPeak = std::max(fPeak, std::fabs(run.out[ch * nSilence + n]));
        EXPECT_LT(fPeak, 1.32e-4f) << "trial " << nTrial;
    }
}

TEST(Chain, ExtremeValuesAndRatesStayFinite)
{
    std::mt19937 random(TestSeed());
    std::uniform_real_distribution<float> wild(-1e6f, 1e6f);
    for (float fs : { 8000.0f, 32000.0f, 45678.901f, 384000.0f }) {
        VnSystem chain(fs, 2);
        for (int nTrial = 0; nTrial < 50; ++nTrial) {
            // Step-table ends, out-of-table values and outright nonsense.
            const int nIndex = static_cast<int>(random() % 41);
            switch (random() % 3) {
            case 0: chain.SetParameterStep(nIndex, random() % 2 ? 127 : 0); break;
            case 1: chain.SetParameter(nIndex, chain.LookupStep(nIndex, 127) * 2.0f); break;
            default: chain.SetParameter(nIndex, random() % 5 ? wild(random) : 0.0f); break;
            }
            const std::vector<float> signal = TestSignal(2048, 2, random(), 1.0f);
            const SRun run = Stream(chain, signal, 2, Fixed(2048));
            for (float f : run.out)
                ASSERT_TRUE(std::isfinite(f) && !IsSubnormal(f)) << "fs " << fs << " trial " << nTrial;
        }
    }
}

// Silence after a burst is covered above; here ten minutes of full-scale
// noise on every module.
TEST(Chain, TenMinutesOfNoiseStayFinite)
{
    const double fMinutes = kSanitized ? 0.5 : 10.0;
    for (float fs : { 44100.0f, 96000.0f }) {
        VnSystem chain(fs, 2);
        SetEverythingWorking(chain);
        std::mt19937 random(TestSeed());
        std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
        std::vector<float> in(2 * 8192), out(2 * 8192), traces(2 * 8192);
        float* ppIn[2] = { in.data(), in.data() + 8192 };
        float* ppOut[2] = { out.data(), out.data() + 8192 };
        float* ppTraces[2] = { traces.data(), traces.data() + 8192 };
        const long nBlocks = static_cast<long>(fMinutes * 60.0 * fs / 8192.0);
        bool bFinite = true;
        for (long nBlock = 0; nBlock < nBlocks && bFinite; ++nBlock) {
            for (float& f : in)
                f = noise(random);
            chain.Process(ppOut, ppIn, 8192, ppTraces);
            for (float f : out)
                bFinite = bFinite && std::isfinite(f) && !IsSubnormal(f);
        }
        EXPECT_TRUE(bFinite) << fs;
        for (int m = 0; m < kNrOfModules; ++m)
            EXPECT_TRUE(chain.GetModule(m)->GetHostDSP()->IsStateFinite());
    }
}

} // namespace
