// The real-time guard on the process: processing allocates nothing and makes
// no call that can block, even while changes arrive.
#include "ProcessRig.h"

#include "RealtimeGuard.h"

#include "processor/ParameterTable.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <shared_mutex>
#include <thread>

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

// A process that waits on the audio thread, in each way a thread can wait.
class CLockingProcess : public CVantorProcess {
public:
    using CVantorProcess::CVantorProcess;
    void Process(float** ppfOut, float** ppfIn, unsigned nFrames, int* pnFlag) override
    {
        {
            std::lock_guard<std::mutex> lock(mMutex);
        }
        {
            std::shared_lock<std::shared_mutex> lock(mShared);
        }
        {
            std::unique_lock<std::mutex> lock(mMutex);
            mCondition.wait_for(lock, std::chrono::microseconds(1));
        }
        CVantorProcess::Process(ppfOut, ppfIn, nFrames, pnFlag);
    }
    std::mutex mMutex;
    std::shared_mutex mShared;
    std::condition_variable mCondition;
};

// What the guard counts while a process of type TProcess runs one block.
template <typename TProcess> SCounts CountsOfOneBlock()
{
    CRecordingHost host;
    CVantorPlugIn plugIn(&host);
    auto* pProcess = new TProcess(&plugIn, 4);
    pProcess->SetNrOfChannelsIn(2);
    pProcess->SetMaxBufferSize(512);
    pProcess->SetSampleFreq(44100.0f);
    std::vector<float> audio(1024, 0.1f);
    float* pp[2] = { audio.data(), audio.data() + 512 };
    const SCounts counts = CountDuring([&] { pProcess->ProcessInPlace(pp, 512, nullptr); });
    pProcess->DestroySelf();
    return counts;
}

TEST(Realtime, TheGuardFlagsAProcessThatLocksOrAllocates)
{
    EXPECT_GE(CountsOfOneBlock<CLockingProcess>().nLocks, 4)
        << "mutex, read lock, and the condition wait with its relock";
    const SCounts allocating = CountsOfOneBlock<CAllocatingProcess>();
    EXPECT_GE(allocating.nAllocations, 1);
    EXPECT_GE(allocating.nFrees, 1);
}

TEST(Realtime, ProcessingAllocatesNothingAndNeverLocks)
{
    SProcessRig rig(4, 44100.0f, 2, 20000);
    std::mt19937 random(ProcessTestSeed());
    std::vector<float> audio = Noise(2 * 20000, random, 1.0f);
    for (unsigned nFrames : { 1u, 64u, 1000u, 8192u, 20000u }) {
        float* pp[2] = { audio.data(), audio.data() + nFrames };
        const SCounts counts = CountDuring([&] { rig.pProcess->ProcessInPlace(pp, nFrames, nullptr); });
        EXPECT_EQ(counts.nAllocations, 0) << nFrames;
        EXPECT_EQ(counts.nFrees, 0) << nFrames;
        EXPECT_EQ(counts.nLocks, 0) << nFrames;
    }
    const SCounts meters = CountDuring([&] {
        for (unsigned nWhich = 0; nWhich < 5; ++nWhich)
            rig.pProcess->GetMeter(nWhich);
    });
    EXPECT_EQ(meters.nAllocations, 0);
    EXPECT_EQ(meters.nLocks, 0) << "meter words are lock-free";
}

// Every slice adopts what changed since the last one; with a change waiting
// before every block, processing still neither locks nor allocates.
TEST(Realtime, AdoptingChangesNeitherLocksNorAllocates)
{
    SProcessRig rig(4, 44100.0f, 2, 20000);
    std::mt19937 random(ProcessTestSeed());
    std::vector<float> audio = Noise(2 * 20000, random, 1.0f);
    for (int nBlock = 0; nBlock < 200; ++nBlock) {
        const int nIndex = 2 + static_cast<int>(random() % (kNrOfVantorParameters - 2));
        const SParameterDescriptor& d = kVantorParameters[nIndex];
        rig.pProcess->SetParameter(nIndex, d.nMin + static_cast<int>(random() % (d.nMax - d.nMin + 1)));
        const unsigned nFrames = 1 + random() % 20000;
        float* pp[2] = { audio.data(), audio.data() + nFrames };
        const SCounts counts = CountDuring([&] { rig.pProcess->ProcessInPlace(pp, nFrames, nullptr); });
        ASSERT_EQ(counts.nAllocations + counts.nFrees + counts.nLocks, 0) << "block " << nBlock;
    }
}

// The same while another thread changes parameters as fast as it can: the
// audio thread never waits for it.
TEST(Realtime, ProcessingNeverWaitsForAThreadThatChangesParameters)
{
    SProcessRig rig(4, 44100.0f, 2, 512);
    std::atomic<bool> bDone { false };
    std::atomic<long> nChanges { 0 };
    const uint32_t nSeed = ProcessTestSeed();
    std::thread userInterface([&] {
        std::mt19937 random(nSeed);
        while (!bDone.load(std::memory_order_relaxed)) {
            const int nIndex = 2 + static_cast<int>(random() % (kNrOfVantorParameters - 2));
            const SParameterDescriptor& d = kVantorParameters[nIndex];
            rig.pProcess->SetParameter(nIndex, d.nMin + static_cast<int>(random() % (d.nMax - d.nMin + 1)));
            nChanges.fetch_add(1, std::memory_order_relaxed);
        }
    });
    std::mt19937 random(nSeed + 1);
    std::vector<float> audio = Noise(2 * 512, random, 0.5f);
    const SCounts counts = CountDuring([&] {
        for (int nBlock = 0; nBlock < 4000; ++nBlock) {
            float* pp[2] = { audio.data(), audio.data() + 512 };
            rig.pProcess->ProcessInPlace(pp, 512, nullptr);
        }
    });
    bDone = true;
    userInterface.join();
    EXPECT_EQ(counts.nLocks, 0);
    EXPECT_EQ(counts.nAllocations + counts.nFrees, 0);
    EXPECT_GT(nChanges.load(), 100) << "the changes must overlap the audio for the test to mean anything";
}

} // namespace
#endif
