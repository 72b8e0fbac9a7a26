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
#include <random>
#include <thread>
#include <vector>

namespace {

class CQuietHost : public IHost {
public:
    unsigned GetVersion() override { return 5; }
    void ParameterChanged(int, int) override {}
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
            float* pp[2] = {audio.data() + nDone, audio.data() + nFrames + nDone};
            int nFlag = 0;
            process.pProcess->ProcessInPlace(pp, nBlock, &nFlag);
        }
        benchmark::DoNotOptimize(audio.data());
    }
    ReportRealtimeFactor(state, (nFrames / nBlock) * nBlock, 44100.0);
}
BENCHMARK(BM_Process44k)->Arg(64)->Arg(512)->Arg(4096)->Unit(benchmark::kMillisecond);

// 10,000 random parameter changes from this thread while another processes
// 512-frame blocks; reports the longest time one change took from its start
// to its publication to the audio thread.
void BM_UserInterfaceChange(benchmark::State& state)
{
    double fLongest = 0.0;
    bool bWarmedUp = false;
    for (auto _ : state) {
        SProcess process(512, 44100.0);
        std::atomic<bool> bStop{false};
        std::thread audio([&] {
            std::vector<float> block = LoudNoise(2 * 512);
            while (!bStop.load(std::memory_order_relaxed)) {
                float* pp[2] = {block.data(), block.data() + 512};
                int nFlag = 0;
                process.pProcess->ProcessInPlace(pp, 512, &nFlag);
            }
        });
        std::mt19937 random(2);
        for (int i = 0; i < 10000; ++i) {
            const int nIndex = 2 + static_cast<int>(random() % (kNrOfVantorParameters - 2));
            const SParameterDescriptor& d = kVantorParameters[nIndex];
            process.pProcess->SetParameter(nIndex, d.nMin + static_cast<int>(random() % (d.nMax - d.nMin + 1)));
        }
        bStop = true;
        audio.join();
        // The first burst of the program also pays for first calls into the
        // maths library and cold caches; the figure is the steady state.
        if (bWarmedUp)
            fLongest = std::max(fLongest, process.pProcess->GetLongestChangeMicroseconds());
        bWarmedUp = true;
    }
    state.counters["max_us"] = fLongest;
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
        std::atomic<bool> bStop{false};
        std::thread audio([&] {
            std::vector<float> block = LoudNoise(2 * 512);
            const SRealtimeCounts counts = RealtimeCountsDuring([&] {
                for (int i = 0; i < 2000; ++i) {
                    float* pp[2] = {block.data(), block.data() + 512};
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
