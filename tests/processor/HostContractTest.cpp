// What any host may do within the contract: destroy the plug-in object before
// its processes, and announce any of 1 or 2 input and output channels with
// buffers of exactly that many channels and frames. Run under ASan, any read
// or write outside them fails.
#include "ProcessRig.h"

#include "processor/ParameterTable.h"

#include <algorithm>
#include <memory>

namespace {

TEST(HostContract, AProcessKeepsReportingToTheHostAfterThePlugInIsDestroyed)
{
    CRecordingHost host;
    auto* pPlugIn = new CVantorPlugIn(&host);
    auto* pProcess = dynamic_cast<CVantorProcess*>(pPlugIn->CreateProcess(4));
    ASSERT_NE(pProcess, nullptr);
    // Without an editor factory the plug-in answers as one without an editor.
    EXPECT_EQ(pPlugIn->CreateGUI(pProcess), nullptr);
    pPlugIn->DestroySelf();
    host.mChanges.clear();

    pProcess->MoveModule(0, 3);
    EXPECT_EQ(host.mChanges.back(), (std::pair<int, int> { kPatch, 11 }));
    // An editor knob: compressor attack, control 6 of panel 2.
    pProcess->GetDataManager()->SetValueByKey(0x20006, 300);
    EXPECT_EQ(host.mChanges.back(), (std::pair<int, int> { kCompressorAttack, 300 }));
    // A module default reports every active parameter again.
    host.mChanges.clear();
    pProcess->LoadModuleDefault(1);
    EXPECT_EQ(host.mChanges.size(), static_cast<size_t>(kNrOfVantorParameters));
    pProcess->DestroySelf();
}

// Planar audio with one heap block per channel of exactly nFrames, and a
// pointer array of exactly the announced channel count.
struct SBuffers {
    SBuffers(unsigned nChannels, unsigned nFrames)
        : channels(nChannels, std::vector<float>(nFrames, 0.0f))
        , pointers(std::make_unique<float*[]>(nChannels))
    {
        for (unsigned ch = 0; ch < nChannels; ++ch)
            pointers[ch] = channels[ch].data();
    }
    std::vector<std::vector<float>> channels;
    std::unique_ptr<float*[]> pointers;
};

// Streams two channels of noise (only the first when nIn is 1) through a
// process of the given shape, announced after the rate, in blocks of 700
// frames; returns every output channel.
std::vector<std::vector<float>> RunShape(
    unsigned nIn, unsigned nOut, bool bInPlace, const std::vector<float>& left, const std::vector<float>& right)
{
    constexpr unsigned kBlock = 700;
    CRecordingHost host;
    CVantorPlugIn plugIn(&host);
    auto* pProcess = new CVantorProcess(&plugIn, 4);
    pProcess->SetSampleFreq(44100.0f);
    pProcess->SetMaxBufferSize(kBlock);
    pProcess->SetNrOfChannelsIn(nIn);
    pProcess->SetNrOfChannelsOut(nOut);
    pProcess->Start();
    std::vector<std::vector<float>> result(nOut);
    for (size_t nDone = 0; nDone + kBlock <= left.size(); nDone += kBlock) {
        SBuffers in(bInPlace ? std::max(nIn, nOut) : nIn, kBlock);
        std::copy_n(left.begin() + nDone, kBlock, in.channels[0].begin());
        if (nIn > 1)
            std::copy_n(right.begin() + nDone, kBlock, in.channels[1].begin());
        SBuffers out(nOut, kBlock);
        int nFlag = 0;
        if (bInPlace)
            pProcess->ProcessInPlace(in.pointers.get(), kBlock, &nFlag);
        else
            pProcess->Process(out.pointers.get(), in.pointers.get(), kBlock, &nFlag);
        const SBuffers& written = bInPlace ? in : out;
        for (unsigned ch = 0; ch < nOut; ++ch)
            result[ch].insert(result[ch].end(), written.channels[ch].begin(), written.channels[ch].end());
    }
    pProcess->DestroySelf();
    return result;
}

TEST(HostContract, EveryShapeOfOneOrTwoChannelsInAndOutProcessesWithinItsBuffers)
{
    std::mt19937 random(ProcessTestSeed());
    const std::vector<float> left = Noise(7000, random, 0.9f);
    const std::vector<float> right = Noise(7000, random, 0.9f);
    const auto mono = RunShape(1, 1, false, left, right);
    const auto stereo = RunShape(2, 2, false, left, right);
    ASSERT_NE(mono[0], stereo[0]) << "a mono chain compresses differently from a mid/side one";
    for (bool bInPlace : { false, true }) {
        SCOPED_TRACE(bInPlace ? "in place" : "separate buffers");
        EXPECT_EQ(RunShape(1, 1, bInPlace, left, right), mono);
        EXPECT_EQ(RunShape(2, 2, bInPlace, left, right), stereo);
        // One in, two out: the mono result on both outputs.
        const auto spread = RunShape(1, 2, bInPlace, left, right);
        EXPECT_EQ(spread[0], mono[0]);
        EXPECT_EQ(spread[1], mono[0]);
        // Two in, one out: the mean of the stereo result.
        const auto folded = RunShape(2, 1, bInPlace, left, right);
        ASSERT_EQ(folded[0].size(), stereo[0].size());
        for (size_t n = 0; n < folded[0].size(); ++n)
            ASSERT_EQ(folded[0][n], 0.5f * (stereo[0][n] + stereo[1][n])) << n;
    }
}

} // namespace
