// The mastering process as a host drives it: ProcessInPlace on host blocks
// of 64, 512 and 4096 frames, with the chain fully working; the longest time
// the user-interface thread needs to publish a change during a burst of
// parameter changes while audio runs; and how many blocking lock calls the
// audio thread makes meanwhile.
#include "BenchUtil.h"

#include "processor/ParameterTable.h"
#include "processor/VantorPlugIn.h"
#include "processor/VantorProcess.h"
#include "tests/RealtimeGuard.h"
#include "tests/dsp/ChainSettings.h"

#include <atomic>
#include <ctime>
#include <random>
#include <thread>
#include <vector>

namespace {

class CQuietHost : public IHost {
public:
    unsigned GetVersion() override { return 5; }
    void ParameterChanged(int, int) override { }
};

// The same working chain as the chain benchmarks, so the figures compare:
// the settings go straight to the chain (the process's parameter values are
// not involved in processing).
void SetEverythingWorking(CVantorProcess& process)
{
    for (const auto& setting : kEverythingWorking)
        process.SetDSPParameter(setting.first, setting.second);
}

struct SProcess {
    explicit SProcess(unsigned nMaxFrames, double fRate)
        : plugIn(&host)
        , pProcess(dynamic_cast<CVantorProcess*>(plugIn.CreateProcess(4)))
    {
        pProcess->SetNrOfChannelsIn(2);
        pProcess->SetNrOfChannelsOut(2);
        pProcess->SetMaxBufferSize(nMaxFrames);
        pProcess->SetSampleFreq(static_cast<float>(fRate));
        pProcess->Start();
        SetEverythingWorking(*pProcess);
    }
    ~SProcess() { pProcess->DestroySelf(); }
    CQuietHost host;
    CVantorPlugIn plugIn;
    CVantorProcess* pProcess;
};

std::vector<float> LoudNoise(long nSamples)
{
    std::mt19937 random(1);
    std::uniform_real_distribution<float> noise(-0.9f, 0.9f);
    std::vector<float> samples(nSamples);
    for (float& f : samples)
        f = noise(random);
    return samples;
}

void BM_Process44k(benchmark::State& state)
{
    const unsigned nBlock = static_cast<unsigned>(state.range(0));
    const long nFrames = 44100;
    SProcess process(nBlock, 44100.0);
    const std::vector<float> signal = LoudNoise(2 * nFrames);
    std::vector<float> audio(signal);
    for (auto _ : state) {
        for (long nDone = 0; nDone + nBlock <= nFrames; nDone += nBlock) {
            float* pp[2] = { audio.data() + nDone, audio.data() + nFrames + nDone };
            int nFlag = 0;
            process.pProcess->ProcessInPlace(pp, nBlock, &nFlag);
        }
        benchmark::DoNotOptimize(audio.data());
    }
    ReportRealtimeFactor(state, (nFrames / nBlock) * nBlock, 44100.0);
}
BENCHMARK(BM_Process44k)->Arg(64)->Arg(512)->Arg(4096)->Unit(benchmark::kMillisecond);

// The thread's own processor time (nanoseconds): a preemption by another
// program does not count.
long ThreadNanoseconds()
{
    timespec time {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
    return time.tv_sec * 1000000000L + time.tv_nsec;
}

// 10,000 random parameter changes from this thread while another processes
// 512-frame blocks; reports the longest time one change needed, from the
// call to its publication to the audio thread, in this thread's processor
// time (the audio thread never waits for it, so being preempted meanwhile
// costs the audio nothing).
void BM_UserInterfaceChange(benchmark::State& state)
{
    long nLongest = 0;
    bool bWarmedUp = false;
    for (auto _ : state) {
        SProcess process(512, 44100.0);
        std::atomic<bool> bStop { false };
        std::thread audio([&] {
            std::vector<float> block = LoudNoise(2 * 512);
            while (!bStop.load(std::memory_order_relaxed)) {
                float* pp[2] = { block.data(), block.data() + 512 };
                int nFlag = 0;
                process.pProcess->ProcessInPlace(pp, 512, &nFlag);
            }
        });
        std::mt19937 random(2);
        for (int i = 0; i < 10000; ++i) {
            const int nIndex = 2 + static_cast<int>(random() % (kNrOfVantorParameters - 2));
            const SParameterDescriptor& d = kVantorParameters[nIndex];
            const int nValue = d.nMin + static_cast<int>(random() % (d.nMax - d.nMin + 1));
            const long nStart = ThreadNanoseconds();
            process.pProcess->SetParameter(nIndex, nValue);
            const long nTook = ThreadNanoseconds() - nStart;
            // The first burst of the program also pays for first calls into
            // the maths library and cold caches; the figure is the steady state.
            if (bWarmedUp)
                nLongest = std::max(nLongest, nTook);
        }
        bStop = true;
        audio.join();
        bWarmedUp = true;
    }
    state.counters["max_us"] = static_cast<double>(nLongest) / 1000.0;
}
BENCHMARK(BM_UserInterfaceChange)->Iterations(4)->Unit(benchmark::kMillisecond);

#ifdef VANTOR_REALTIME_GUARD
// Blocking lock calls the audio thread makes per 512-frame slice while this
// thread changes parameters as fast as it can (the real-time guard of the
// tests counts them).
void BM_AudioLockCalls(benchmark::State& state)
{
    long nLocks = 0;
    long nSlices = 0;
    for (auto _ : state) {
        SProcess process(512, 44100.0);
        std::atomic<bool> bStop { false };
        std::thread audio([&] {
            std::vector<float> block = LoudNoise(2 * 512);
            const SRealtimeCounts counts = RealtimeCountsDuring([&] {
                for (int i = 0; i < 2000; ++i) {
                    float* pp[2] = { block.data(), block.data() + 512 };
                    int nFlag = 0;
                    process.pProcess->ProcessInPlace(pp, 512, &nFlag);
                }
            });
            nLocks += counts.nLocks;
            nSlices += 2000;
            bStop = true;
        });
        std::mt19937 random(3);
        while (!bStop.load(std::memory_order_relaxed)) {
            const int nIndex = 2 + static_cast<int>(random() % (kNrOfVantorParameters - 2));
            const SParameterDescriptor& d = kVantorParameters[nIndex];
            process.pProcess->SetParameter(nIndex, d.nMin + static_cast<int>(random() % (d.nMax - d.nMin + 1)));
        }
        audio.join();
    }
    state.counters["per_slice"] = nSlices > 0 ? static_cast<double>(nLocks) / static_cast<double>(nSlices) : 0.0;
}
BENCHMARK(BM_AudioLockCalls)->Iterations(2)->Unit(benchmark::kMillisecond);
#endif

} // namespace
