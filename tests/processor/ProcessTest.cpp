#include "ProcessRig.h"

#include "NullEditor.h"
#include "processor/ChainOrder.h"
#include "processor/IVantorGUI.h"
#include "processor/ParameterTable.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kLatency = 64;

TEST(Process, ParametersReachTheChainInEngineeringUnits)
{
    SProcessRig rig;
    auto sentFor = [&](unsigned nParameter, int nValue) {
        rig.pProcess->mSent.clear();
        rig.pProcess->SetParameter(nParameter, nValue);
        return rig.pProcess->mSent;
    };
    using Sent = std::vector<std::pair<int, float>>;
    EXPECT_EQ(sentFor(kEqLowMidQ, 1), (Sent { { 7, 0.6f } })) << "High Q";
    EXPECT_EQ(sentFor(kEqLowMidQ, 0), (Sent { { 7, 1.1f } })) << "Low Q";
    EXPECT_EQ(sentFor(kCompressorAttack, 120), (Sent { { 13, 0.012f } })) << "12.0 ms in seconds";
    EXPECT_EQ(sentFor(kLimiterRelease, 5000), (Sent { { 22, 0.5f } }));
    EXPECT_EQ(sentFor(kLimiterCrossover1, 250), (Sent { { 23, 250.0f } })) << "crossover passes unconverted";
    EXPECT_EQ(sentFor(kClipperOutput, -35), (Sent { { 40, -3.5f } }));
    EXPECT_EQ(sentFor(kCompressorRatio, kVantorParameters[kCompressorRatio].nMax).front().first, 17);
    // A value outside the range is stored and applied unchanged.
    rig.pProcess->SetParameter(kEqOutput, 100000);
    EXPECT_EQ(rig.pProcess->GetParameter(kEqOutput), 100000);
    // Out-of-range indices change nothing and read 0.
    rig.pProcess->mSent.clear();
    rig.pProcess->SetParameter(47, 5);
    rig.pProcess->SetParameter(0xFFFFFFFFu, 5);
    EXPECT_TRUE(rig.pProcess->mSent.empty());
    EXPECT_EQ(rig.pProcess->GetParameter(47), 0);
    EXPECT_TRUE(rig.host.mChanges.empty()) << "host changes are not echoed to the host";
}

// An editor that records what the process tells it.
class CRecordingEditor : public virtual CNullEditor, public virtual IVantorGUI {
public:
    void SetControlValue(int nKey, int nValue) override { mValues.emplace_back(nKey, nValue); }
    void InvalidateEQCurve() override { ++mnCurveRedraws; }
    void* GetDriver() override { return nullptr; }
    void SetPanelChainPosition(int nPanel, int nPosition) override { mnPanelAt[nPosition] = nPanel; }

    std::vector<std::pair<int, int>> mValues;
    int mnCurveRedraws = 0;
    int mnPanelAt[4] = { 0, 0, 0, 0 };
};

TEST(Process, ChainOrderMovesAndTellsHostAndEditor)
{
    SProcessRig rig;
    auto* pEditor = new CRecordingEditor();
    pEditor->SetProcess(rig.pProcess);

    rig.pProcess->SetParameter(kPatch, 5);
    EXPECT_EQ((std::vector<int>(pEditor->mnPanelAt, pEditor->mnPanelAt + 4)), (std::vector<int> { 1, 4, 3, 2 }))
        << "row 5 is 0 3 2 1; panels are module + 1";
    EXPECT_TRUE(rig.host.mChanges.empty());

    rig.pProcess->SetParameter(kPatch, 0);
    rig.pProcess->MoveModule(0, 3);
    EXPECT_EQ(rig.pProcess->GetParameter(kPatch), 11) << "3 1 2 0 is row 11";
    EXPECT_EQ(rig.host.mChanges, (std::vector<std::pair<int, int>> { { 1, 11 } }));
    rig.pProcess->MoveModule(0, 3); // already there
    rig.pProcess->MoveModule(4, 0); // no such module
    rig.pProcess->MoveModule(0, -1);
    EXPECT_EQ(rig.host.mChanges.size(), 1u);

    // A control change reaches the other control of the same parameter and
    // the host; a host change reaches both controls.
    pEditor->mValues.clear();
    rig.pProcess->GetDataManager()->SetValueByKey(0x20006, 300); // compressor attack, control 6
    EXPECT_EQ(pEditor->mValues, (std::vector<std::pair<int, int>> { { 0x20012, 300 } }));
    EXPECT_EQ(rig.host.mChanges.back(), (std::pair<int, int> { kCompressorAttack, 300 }));
    pEditor->mValues.clear();
    rig.pProcess->SetParameter(kCompressorAttack, 200);
    EXPECT_EQ(pEditor->mValues, (std::vector<std::pair<int, int>> { { 0x20006, 200 }, { 0x20012, 200 } }));

    const int nRedraws = pEditor->mnCurveRedraws;
    rig.pProcess->SetParameter(kEqLowShelfGain, 30);
    EXPECT_GT(pEditor->mnCurveRedraws, nRedraws);
    pEditor->DestroySelf();
    rig.pProcess->SetParameter(kPatch, 3); // no editor any more: nothing to tell
}

TEST(Process, EqualiserBandSwitchesNeutraliseAndRestoreTheirBand)
{
    SProcessRig rig;
    float curve[313];
    auto peak = [&] {
        rig.pProcess->GetEQCurve(curve);
        return *std::max_element(curve, curve + 313, [](float a, float b) { return std::fabs(a) < std::fabs(b); });
    };
    rig.pProcess->SetParameter(kEqLowShelfGain, 60); // +6 dB
    EXPECT_GT(peak(), 3.0f);
    rig.pProcess->SetParameter(kEqLowShelfEnable, 0);
    EXPECT_NEAR(peak(), 0.0f, 1e-4f) << "a band that is off is neutral";
    rig.pProcess->SetParameter(kEqLowShelfGain, 90);
    EXPECT_NEAR(peak(), 0.0f, 1e-4f) << "a new gain for a band that is off stays neutral";
    rig.pProcess->SetParameter(kEqLowShelfEnable, 1);
    const float fBoost = peak();
    EXPECT_GT(fBoost, 6.0f) << "switching on restores the gain the parameter holds";

    // Cut filters: the high cut switched off leaves the top flat.
    rig.pProcess->SetParameter(kEqLowShelfGain, 0);
    rig.pProcess->SetParameter(kEqHighCutFreq, 5000);
    rig.pProcess->GetEQCurve(curve);
    EXPECT_LT(curve[312], -20.0f);
    rig.pProcess->SetParameter(kEqHighCutEnable, 0);
    rig.pProcess->GetEQCurve(curve);
    EXPECT_NEAR(curve[312], 0.0f, 1e-4f);
}

// Output of a process of nType with some settings, for a noise input.
std::vector<float> Master(unsigned nType, const std::vector<std::pair<unsigned, int>>& settings,
    const std::vector<float>& input, unsigned nFrames)
{
    SProcessRig rig(nType);
    for (const auto& setting : settings)
        rig.pProcess->SetParameter(setting.first, setting.second);
    std::vector<float> audio(input);
    for (unsigned nDone = 0; nDone < nFrames; nDone += 1024) {
        const unsigned n = std::min(1024u, nFrames - nDone);
        float* pp[2] = { audio.data() + nDone, audio.data() + nFrames + nDone };
        int nFlag = 0;
        rig.pProcess->ProcessInPlace(pp, n, &nFlag);
    }
    return audio;
}

void ExpectDelayedInput(const std::vector<float>& output, const std::vector<float>& input, unsigned nFrames)
{
    for (int ch = 0; ch < 2; ++ch) {
        for (unsigned n = kLatency; n < nFrames; ++n)
            ASSERT_NEAR(output[ch * nFrames + n], input[ch * nFrames + n - kLatency], 1e-6f) << ch << " " << n;
    }
}

TEST(Process, ModuleEnablesFollowTheTypeAndTheGlobalBypass)
{
    std::mt19937 random(ProcessTestSeed());
    const unsigned nFrames = 8192;
    const std::vector<float> input = Noise(2 * nFrames, random);
    // The limiter-only process with the limiter off and the equaliser "on"
    // and boosted: the equaliser stays out.
    ExpectDelayedInput(Master(2, { { kLimiterEnable, 0 }, { kEqEnable, 1 }, { kEqLowShelfGain, 120 } }, input, nFrames),
        input, nFrames);
    // Global bypass takes everything out in every type.
    for (unsigned nType : { 0u, 1u, 2u, 3u, 4u })
        ExpectDelayedInput(
            Master(nType, { { kGlobalBypass, 1 }, { kLimiterInputDrive, 120 } }, input, nFrames), input, nFrames);
    // And the full chain with its defaults changes the sound.
    const std::vector<float> mastered = Master(4, { { kLimiterInputDrive, 120 } }, input, nFrames);
    EXPECT_NE(mastered, input);
}

TEST(Process, LongBlocksAreSlicedWithoutChangingTheSound)
{
    std::mt19937 random(ProcessTestSeed());
    const unsigned nFrames = 20000;
    const std::vector<float> input = Noise(2 * nFrames, random, 1.0f);
    SProcessRig whole(4, 44100.0f, 2, nFrames);
    SProcessRig single(4, 44100.0f, 2, nFrames);
    std::vector<float> a(input), b(input);
    whole.Run(a, 2, nFrames);
    EXPECT_EQ(CVantorProcess::gnClipHoldSlices.load(), 18) << "44100 x 1.5 / 3616, the last slice";
    for (unsigned n = 0; n < nFrames; ++n) {
        float* pp[2] = { b.data() + n, b.data() + nFrames + n };
        int nFlag = 0;
        single.pProcess->ProcessInPlace(pp, 1, &nFlag);
    }
    EXPECT_EQ(0, std::memcmp(a.data(), b.data(), a.size() * sizeof(float)));
}

// A change made between two host blocks reaches the chain at its next
// 64-sample block: the output already delivered keeps the old setting, and
// the new one starts at the first chain block the next call runs, which lies
// within 64 samples of where that call's output begins.
TEST(Process, AChangeBetweenHostBlocksTakesEffectAtTheNextChainBlock)
{
    std::mt19937 random(ProcessTestSeed());
    for (unsigned nBlock : { 1u, 37u, 100u, 1000u }) {
        const unsigned nBlocks = 6000 / nBlock;
        const unsigned nFrames = nBlocks * nBlock;
        const unsigned nChangeAfter = nBlocks / 2; // host blocks before the change
        const std::vector<float> input = Noise(nFrames, random, 0.5f);
        SProcessRig rig(0, 44100.0f, 1, nBlock);
        std::vector<float> output(input);
        for (unsigned b = 0; b < nBlocks; ++b) {
            if (b == nChangeAfter)
                rig.pProcess->SetParameter(kEqOutput, -60); // -6.0 dB
            float* pp[1] = { output.data() + b * nBlock };
            int nFlag = 0;
            rig.pProcess->ProcessInPlace(pp, nBlock, &nFlag);
        }
        const double fNew = std::pow(10.0, -0.3);
        const unsigned nDelivered = nChangeAfter * nBlock;
        unsigned nSwitch = nFrames;
        for (unsigned n = kLatency; n < nFrames; ++n) {
            const float fIn = input[n - kLatency];
            if (std::fabs(output[n] - fIn) <= 1e-6f * std::fabs(fIn) + 1e-19f)
                continue;
            nSwitch = n;
            break;
        }
        EXPECT_GE(nSwitch, nDelivered) << "block " << nBlock << ": output already delivered changed";
        EXPECT_LT(nSwitch, nDelivered + 64) << "block " << nBlock;
        EXPECT_EQ(nSwitch % 64, 0u) << "block " << nBlock << ": the change lands on a chain block";
        for (unsigned n = nSwitch; n < nFrames; ++n) {
            const double fExpected = input[n - kLatency] * fNew;
            ASSERT_NEAR(output[n], fExpected, 1e-6 * std::fabs(fExpected) + 1e-19) << "block " << nBlock << " at " << n;
        }
    }
}

TEST(Process, BlocksItCannotTakeAreLeftUntouched)
{
    std::mt19937 random(ProcessTestSeed());
    const std::vector<float> input = Noise(2 * 1024, random);
    std::vector<float> audio(input);
    float* pp[2] = { audio.data(), audio.data() + 1024 };
    int nFlag = 0;

    // Before any buffer size, more than announced, a set flag, no frames.
    CRecordingHost host;
    CVantorPlugIn plugIn(&host);
    auto* pFresh = new CVantorProcess(&plugIn, 4);
    pFresh->SetNrOfChannelsIn(2);
    pFresh->ProcessInPlace(pp, 1024, &nFlag);
    EXPECT_EQ(audio, input) << "no SetMaxBufferSize yet";
    pFresh->SetMaxBufferSize(512);
    pFresh->ProcessInPlace(pp, 1024, &nFlag);
    EXPECT_EQ(audio, input) << "more frames than announced";
    nFlag = 1;
    pFresh->ProcessInPlace(pp, 512, &nFlag);
    EXPECT_EQ(nFlag, 0);
    EXPECT_EQ(audio, input) << "a set flag is consumed and nothing is processed";
    pFresh->ProcessInPlace(pp, 0, &nFlag);
    pFresh->ProcessInPlace(pp, 512, nullptr);
    EXPECT_NE(audio, input) << "the next block is processed";
    pFresh->DestroySelf();
}

TEST(Process, MetersRestWhenStoppedAndClipLightsHoldForOneAndAHalfSeconds)
{
    SProcessRig rig(4, 44100.0f, 2, 441);
    rig.pProcess->Stop();
    EXPECT_EQ(rig.pProcess->GetMeter(0), 1.0f);
    EXPECT_EQ(rig.pProcess->GetMeter(1), 1.0f);
    EXPECT_EQ(rig.pProcess->GetMeter(2), 0.0f);
    rig.pProcess->Start();
    EXPECT_EQ(rig.pProcess->GetMeter(0), 1.0f);
    EXPECT_EQ(rig.pProcess->GetMeter(1), 1.0f);
    // Quiet audio right after the start leaves the needles at rest: the
    // ballistics do not swing in from the far end of the scale.
    std::vector<float> quiet(2 * 441, 0.001f);
    rig.Run(quiet, 2, 441);
    EXPECT_GT(rig.pProcess->GetMeter(0), 0.99f);
    EXPECT_GT(rig.pProcess->GetMeter(1), 0.99f);

    // Hot audio: the compressor and limiter needles leave their rest, the
    // clipper clips.
    rig.pProcess->SetParameter(kClipperGain, 120);
    std::mt19937 random(ProcessTestSeed());
    for (int nSlice = 0; nSlice < 100; ++nSlice) {
        std::vector<float> audio = Noise(2 * 441, random, 1.0f);
        rig.Run(audio, 2, 441);
    }
    EXPECT_LT(rig.pProcess->GetMeter(0), 0.9f);
    EXPECT_LT(rig.pProcess->GetMeter(1), 0.99f);
    EXPECT_EQ(rig.pProcess->GetMeter(2), 1.0f) << "clipped";
    EXPECT_EQ(rig.pProcess->GetMeter(3), 0.0f) << "no overs at 0 dB output";
    rig.pProcess->SetParameter(kClipperOutput, 30);
    std::vector<float> hot = Noise(2 * 441, random, 1.0f);
    rig.Run(hot, 2, 441);
    EXPECT_EQ(rig.pProcess->GetMeter(3), 1.0f) << "overs above 0 dB output";
    EXPECT_EQ(rig.pProcess->GetMeter(4), 1.0f);

    // Silence from now on: the light stays for 1.5 s of audio (150 slices of
    // 10 ms) after the last clip, then goes out.
    rig.pProcess->SetParameter(kClipperGain, 0);
    rig.pProcess->SetParameter(kClipperOutput, 0);
    int nLitSlices = 0;
    for (int nSlice = 0; nSlice < 200; ++nSlice) {
        std::vector<float> silence(2 * 441, 0.0f);
        rig.Run(silence, 2, 441);
        nLitSlices += rig.pProcess->GetMeter(2) == 1.0f;
    }
    EXPECT_GE(nLitSlices, 148);
    EXPECT_LE(nLitSlices, 151);
    EXPECT_EQ(rig.pProcess->GetMeter(kNrOfMeters), 0.0f) << "past the last meter";
}

TEST(Process, AnyRateBlockSizeAndChannelCountGivesCleanOutput)
{
    std::mt19937 random(ProcessTestSeed());
    for (float fRate :
        { 8000.0f, 22050.0f, 44100.0f, 48000.0f, 88200.0f, 96000.0f, 192000.0f, 384000.0f, 45678.901f }) {
        for (unsigned nChannels : { 1u, 2u }) {
            SProcessRig rig(4, fRate, nChannels, 16384);
            rig.pProcess->SetParameter(kLimiterInputDrive, 120);
            for (unsigned nFrames : { 1u, 10u, 17u, 64u, 1536u, 2027u, 4096u, 8192u, 16384u }) {
                for (int nBlock = 0; nBlock < 10; ++nBlock) {
                    if (nBlock == 5) {
                        rig.pProcess->Stop();
                        rig.pProcess->Start();
                    }
                    std::vector<float> audio = Noise(nChannels * nFrames, random, 1.0f);
                    rig.Run(audio, nChannels, nFrames);
                    ASSERT_TRUE(std::all_of(audio.begin(), audio.end(), IsCleanSample))
                        << fRate << " Hz, " << nChannels << " channels, " << nFrames << " frames";
                }
            }
        }
    }
}

TEST(Process, RandomAndExtremeSettingsAndFastAutomationStayClean)
{
    std::mt19937 random(ProcessTestSeed());
    auto randomValue = [&](int i, int nMode) {
        const SParameterDescriptor& d = kVantorParameters[i];
        if (nMode == 1)
            return random() % 2 ? d.nMin : d.nMax;
        return d.nMin + static_cast<int>(random() % static_cast<unsigned>(d.nMax - d.nMin + 1));
    };
    // 50 random sets, then sets snapped to the ends, 5 blocks each; corners
    // at the lowest and highest rates.
    for (float fRate : { 44100.0f, 8000.0f, 384000.0f }) {
        SProcessRig rig(4, fRate, 2, 1024);
        const int nSets = fRate == 44100.0f ? 100 : 200;
        for (int nSet = 0; nSet < nSets; ++nSet) {
            for (int i = 0; i < kNrOfVantorParameters; ++i)
                rig.pProcess->SetParameter(i, randomValue(i, nSet < 50 && fRate == 44100.0f ? 0 : 1));
            for (int nBlock = 0; nBlock < (fRate == 44100.0f ? 5 : 1); ++nBlock) {
                std::vector<float> audio = Noise(2 * 1024, random, 1.0f);
                rig.Run(audio, 2, 1024);
                ASSERT_TRUE(std::all_of(audio.begin(), audio.end(), IsFiniteAndNormal)) << fRate << " set " << nSet;
            }
        }
    }
    // Changes every 1, 10 and 100 samples of 1, 2, 10 and all parameters.
    for (unsigned nEvery : { 1u, 10u, 100u }) {
        for (int nCount : { 1, 2, 10, kNrOfVantorParameters }) {
            SProcessRig rig(4, 48000.0f, 2, 100);
            for (unsigned nDone = 0; nDone < 4800; nDone += nEvery) {
                for (int k = 0; k < nCount; ++k) {
                    const int i = nCount == kNrOfVantorParameters ? k : static_cast<int>(random() % 47);
                    rig.pProcess->SetParameter(i, randomValue(i, 0));
                }
                std::vector<float> audio = Noise(2 * nEvery, random, 1.0f);
                rig.Run(audio, 2, nEvery);
                ASSERT_TRUE(std::all_of(audio.begin(), audio.end(), IsFiniteAndNormal)) << nEvery << " " << nCount;
            }
        }
    }
}

TEST(Process, AStateRestoredIntoANewProcessSoundsExactlyTheSame)
{
    std::mt19937 random(ProcessTestSeed());
    for (int nTrial = 0; nTrial < 100; ++nTrial) {
        SProcessRig original;
        for (int i = 0; i < kNrOfVantorParameters; ++i) {
            const SParameterDescriptor& d = kVantorParameters[i];
            original.pProcess->SetParameter(i, d.nMin + static_cast<int>(random() % (d.nMax - d.nMin + 1)));
        }
        std::vector<unsigned char> chunk(original.pProcess->GetChunkSize());
        original.pProcess->GetChunk(chunk.data());

        SProcessRig restored;
        restored.pProcess->SetChunk(chunk.data(), static_cast<unsigned>(chunk.size()));
        std::vector<unsigned char> again(restored.pProcess->GetChunkSize());
        restored.pProcess->GetChunk(again.data());
        ASSERT_EQ(chunk, again) << "trial " << nTrial;

        if (nTrial % 10 == 0) {
            std::vector<float> a = Noise(2 * 4096, random), b(a);
            original.Run(a, 2, 4096);
            restored.Run(b, 2, 4096);
            ASSERT_EQ(0, std::memcmp(a.data(), b.data(), a.size() * sizeof(float))) << "trial " << nTrial;
        }
    }
}

TEST(Process, InvalidStateBlocksApplyOnlyTheirWholeKnownRecords)
{
    SProcessRig rig;
    const int nDefault = rig.pProcess->GetParameter(kEqOutput);
    rig.pProcess->SetChunk(nullptr, 8);
    rig.pProcess->SetChunk("", 0);
    // 20 bytes: two records; the last 4 bytes are ignored.
    const int32_t twoAndAHalf[5] = { kEqOutput, 25, kClipperGain, -40, kPatch };
    rig.pProcess->SetChunk(twoAndAHalf, 20);
    EXPECT_EQ(rig.pProcess->GetParameter(kEqOutput), 25);
    EXPECT_EQ(rig.pProcess->GetParameter(kClipperGain), -40);
    EXPECT_EQ(rig.pProcess->GetParameter(kPatch), 0);
    // Unknown indices are skipped; a duplicate applies in order (last wins).
    const int32_t odd[8] = { -1, 7, 47, 7, kEqOutput, 11, kEqOutput, nDefault };
    rig.pProcess->SetChunk(odd, sizeof(odd));
    EXPECT_EQ(rig.pProcess->GetParameter(kEqOutput), nDefault);

    // Megabytes of random bytes at odd lengths: whatever they say is applied
    // record by record, and the process keeps producing clean audio.
    std::mt19937 random(ProcessTestSeed());
    std::vector<unsigned char> garbage(1 << 20);
    for (int nRound = 0; nRound < 3; ++nRound) {
        for (unsigned char& c : garbage)
            c = static_cast<unsigned char>(random());
        rig.pProcess->SetChunk(garbage.data(), static_cast<unsigned>(garbage.size()) - 3 + nRound);
        std::vector<float> audio = Noise(2 * 1024, random);
        rig.Run(audio, 2, 1024);
        EXPECT_TRUE(std::all_of(audio.begin(), audio.end(), [](float f) { return std::isfinite(f); }));
    }
}

} // namespace

TEST(Process, LowestNeedleReadingsHoldEverySwingSinceTheLastRead)
{
    // One rig reads its needles after every frame (the needle's whole path),
    // the other takes the lowest readings once per 100 ms block: each must
    // be the lowest needle of its block's frames.
    constexpr unsigned kBlock = 4410;
    SProcessRig everyFrame(4, 44100.0f, 2, kBlock);
    SProcessRig perBlock(4, 44100.0f, 2, kBlock);
    std::mt19937 random(ProcessTestSeed());
    for (int nBlock = 0; nBlock < 8; ++nBlock) {
        // Loud and quiet blocks in turn, so the needles swing both ways.
        std::vector<float> audio = Noise(2 * kBlock, random, nBlock % 2 == 0 ? 1.0f : 0.05f);
        std::vector<float> copy = audio;
        float fLowest[2] = { 1.0f, 1.0f };
        for (unsigned n = 0; n < kBlock; ++n) {
            std::vector<float> frame = { copy[n], copy[kBlock + n] };
            everyFrame.Run(frame, 2, 1);
            fLowest[0] = std::min(fLowest[0], everyFrame.pProcess->GetMeter(0));
            fLowest[1] = std::min(fLowest[1], std::min(everyFrame.pProcess->GetMeter(1), 1.0f));
        }
        perBlock.Run(audio, 2, kBlock);
        EXPECT_NEAR(perBlock.pProcess->GetMeter(kMeterLowestCompressorGain), fLowest[0], 1e-5) << nBlock;
        EXPECT_NEAR(perBlock.pProcess->GetMeter(kMeterLowestLimiterGain), fLowest[1], 1e-5) << nBlock;
        if (nBlock == 0) {
            EXPECT_LT(fLowest[0], 0.9f) << "the compressor works";
            EXPECT_LT(fLowest[1], 0.99f) << "the limiter works";
        }
        // A read starts the next interval: nothing processed since, no reduction.
        EXPECT_EQ(perBlock.pProcess->GetMeter(kMeterLowestCompressorGain), 1.0f);
        EXPECT_EQ(perBlock.pProcess->GetMeter(kMeterLowestLimiterGain), 1.0f);
    }
    perBlock.pProcess->Stop();
    EXPECT_EQ(perBlock.pProcess->GetMeter(kMeterLowestCompressorGain), 1.0f) << "rests when stopped";
}
