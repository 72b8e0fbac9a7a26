// Speed of the processing chain: the full chain with every stage working and
// each module alone, stereo at 44.1 and 96 kHz, against a plain copy of the
// same audio.
#include "BenchUtil.h"

#include "dsp/VnSystem.h"
#include "tests/dsp/ChainSettings.h"

#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int kHostBlock = 512;
constexpr int kSecondsOfAudio = 1;

// Loud noise with level changes, planar stereo.
std::vector<float> Signal(long nFrames)
{
    std::mt19937 random(1);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    std::vector<float> signal(2 * nFrames);
    for (long n = 0; n < nFrames; ++n) {
        const float fLevel = (n / 22050) % 2 ? 0.9f : 0.3f;
        signal[n] = fLevel * noise(random);
        signal[nFrames + n] = fLevel * noise(random);
    }
    return signal;
}

// nActive: -1 for the full chain, otherwise the one module left active.
// bSilence: feed digital silence instead of noise (recursive filters and
// detectors decaying towards nothing must not get slower).
void RunChain(benchmark::State& state, double fSampleRate, int nActive, bool bSilence = false)
{
    const long nFrames = static_cast<long>(fSampleRate) * kSecondsOfAudio;
    const std::vector<float> signal = bSilence ? std::vector<float>(2 * nFrames, 0.0f) : Signal(nFrames);
    std::vector<float> out(2 * nFrames), traces(2 * kHostBlock);
    VnSystem chain(static_cast<float>(fSampleRate), 2);
    SetEverythingWorking(chain);
    if (nActive >= 0) {
        int bypass[kNrOfModules] = { 1, 1, 1, 1 };
        bypass[nActive] = 0;
        // A bypassed compressor or limiter still runs on silence; move the
        // other modules out of the order so only the measured one works.
        int order[kNrOfModules] = { nActive, -1, -1, -1 };
        chain.SetOrder(order);
        chain.SetBypass(bypass);
    }
    std::vector<float> in(signal);
    for (auto _ : state) {
        for (long nDone = 0; nDone < nFrames; nDone += kHostBlock) {
            const int nBlock = static_cast<int>(std::min<long>(kHostBlock, nFrames - nDone));
            float* ppIn[2] = { in.data() + nDone, in.data() + nFrames + nDone };
            float* ppOut[2] = { out.data() + nDone, out.data() + nFrames + nDone };
            float* ppTraces[2] = { traces.data(), traces.data() + kHostBlock };
            chain.Process(ppOut, ppIn, nBlock, ppTraces);
        }
        benchmark::DoNotOptimize(out.data());
    }
    ReportRealtimeFactor(state, nFrames, fSampleRate);
}

void BM_Chain44k(benchmark::State& state)
{
    RunChain(state, 44100.0, -1);
}
void BM_Chain96k(benchmark::State& state)
{
    RunChain(state, 96000.0, -1);
}
void BM_ChainSilence44k(benchmark::State& state)
{
    RunChain(state, 44100.0, -1, true);
}
void BM_Equaliser44k(benchmark::State& state)
{
    RunChain(state, 44100.0, kEqualiser);
}
void BM_Compressor44k(benchmark::State& state)
{
    RunChain(state, 44100.0, kCompressor);
}
void BM_Limiter44k(benchmark::State& state)
{
    RunChain(state, 44100.0, kLimiter);
}
void BM_OutputClipper44k(benchmark::State& state)
{
    RunChain(state, 44100.0, kOutputClipper);
}
void BM_Equaliser96k(benchmark::State& state)
{
    RunChain(state, 96000.0, kEqualiser);
}
void BM_Compressor96k(benchmark::State& state)
{
    RunChain(state, 96000.0, kCompressor);
}
void BM_Limiter96k(benchmark::State& state)
{
    RunChain(state, 96000.0, kLimiter);
}
void BM_OutputClipper96k(benchmark::State& state)
{
    RunChain(state, 96000.0, kOutputClipper);
}

// The floor: copying the same audio through the same host blocks.
void BM_Copy44k(benchmark::State& state)
{
    const long nFrames = 44100L * kSecondsOfAudio;
    const std::vector<float> signal = Signal(nFrames);
    std::vector<float> out(2 * nFrames);
    for (auto _ : state) {
        for (long nDone = 0; nDone < nFrames; nDone += kHostBlock) {
            const long nBlock = std::min<long>(kHostBlock, nFrames - nDone);
            std::memcpy(out.data() + nDone, signal.data() + nDone, nBlock * sizeof(float));
            std::memcpy(out.data() + nFrames + nDone, signal.data() + nFrames + nDone, nBlock * sizeof(float));
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    ReportRealtimeFactor(state, nFrames, 44100.0);
}

BENCHMARK(BM_Chain44k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Chain96k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ChainSilence44k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Equaliser44k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compressor44k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Limiter44k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OutputClipper44k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Equaliser96k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compressor96k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Limiter96k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OutputClipper96k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Copy44k)->Unit(benchmark::kMicrosecond);

} // namespace
