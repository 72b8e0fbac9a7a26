// The real-time guard on the process: processing may take its one lock per
// slice and must allocate nothing.
#include "ProcessRig.h"

#include "RealtimeGuard.h"

#ifdef VANTOR_REALTIME_GUARD
namespace {

using SCounts = SRealtimeCounts;

template <typename Function> SCounts CountDuring(Function function)
{
    return RealtimeCountsDuring(function);
}

// A process that allocates on the audio thread: the guard must see it.
class CAllocatingProcess : public CVantorProcess {
public:
    using CVantorProcess::CVantorProcess;
    void Process(float** ppfOut, float** ppfIn, unsigned nFrames, int* pnFlag) override
    {
        std::vector<float> scratch(nFrames);
        CVantorProcess::Process(ppfOut, ppfIn, nFrames, pnFlag);
    }
};

TEST(Realtime, TheGuardFlagsAProcessThatAllocates)
{
    CRecordingHost host;
    CVantorPlugIn plugIn(&host);
    auto* pProcess = new CAllocatingProcess(&plugIn, 4);
    pProcess->SetNrOfChannelsIn(2);
    pProcess->SetMaxBufferSize(512);
    pProcess->SetSampleFreq(44100.0f);
    std::vector<float> audio(1024, 0.1f);
    float* pp[2] = {audio.data(), audio.data() + 512};
    const SCounts counts = CountDuring([&] { pProcess->ProcessInPlace(pp, 512, nullptr); });
    EXPECT_GE(counts.nAllocations, 1);
    EXPECT_GE(counts.nFrees, 1);
    pProcess->DestroySelf();
}

TEST(Realtime, ProcessingAllocatesNothingAndTakesOneLockPerSlice)
{
    SProcessRig rig(4, 44100.0f, 2, 20000);
    std::mt19937 random(ProcessTestSeed());
    std::vector<float> audio = Noise(2 * 20000, random, 1.0f);
    for (unsigned nFrames : {1u, 64u, 1000u, 8192u, 20000u}) {
        float* pp[2] = {audio.data(), audio.data() + nFrames};
        const SCounts counts = CountDuring([&] { rig.pProcess->ProcessInPlace(pp, nFrames, nullptr); });
        EXPECT_EQ(counts.nAllocations, 0) << nFrames;
        EXPECT_EQ(counts.nFrees, 0) << nFrames;
        EXPECT_EQ(counts.nLocks, static_cast<long>((nFrames + 8191) / 8192)) << nFrames;
    }
    const SCounts meters = CountDuring([&] {
        for (unsigned nWhich = 0; nWhich < 5; ++nWhich)
            rig.pProcess->GetMeter(nWhich);
    });
    EXPECT_EQ(meters.nAllocations, 0);
    EXPECT_EQ(meters.nLocks, 0) << "meter words are lock-free";
}

} // namespace
#endif
