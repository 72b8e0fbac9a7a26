// Speed of the limiter and output clipper kernels, stereo at 44.1 kHz,
// scalar and SSE. The signal (noise plus tones, +6 dB drive) keeps the
// limiter's bands moving between attack and release, and 256 different
// blocks keep the branch predictor from learning one block by heart.
#include "BenchUtil.h"

#include "dsp/ML2.h"
#include "dsp/VnOut.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr float kRate = 44100.0f;
constexpr int kSourceBlocks = 256;
constexpr int kBlocksPerIteration = 64;

class CStereoSignal {
public:
    CStereoSignal()
        : mSource(2 * kSourceBlocks * kBlockSize)
    {
        std::mt19937 random(1);
        std::normal_distribution<float> noise(0.0f, 1.0f);
        float fLow0 = 0.0f, fLow1 = 0.0f;
        for (int i = 0; i < kSourceBlocks * kBlockSize; ++i) {
            fLow0 = 0.9f * fLow0 + 0.1f * noise(random);
            fLow1 = 0.97f * fLow1 + 0.03f * noise(random);
            mSource[2 * i] = 0.3f * (fLow0 + 0.5f * std::sin(0.01f * i));
            mSource[2 * i + 1] = 0.3f * (fLow1 + 0.5f * std::sin(0.0123f * i));
        }
        for (float*& p : mpBlocks)
            p = AllocBlock();
    }
    ~CStereoSignal()
    {
        for (float* p : mpBlocks)
            FreeBlock(p);
    }
    // Fresh input for every block (kernels may overwrite their input).
    void Load()
    {
        const float* pFrom = &mSource[2 * mnNext * kBlockSize];
        for (int n = 0; n < kBlockSize; ++n) {
            mpBlocks[0][n] = pFrom[2 * n];
            mpBlocks[1][n] = pFrom[2 * n + 1];
        }
        mnNext = (mnNext + 1) % kSourceBlocks;
    }
    float** In() { return mpBlocks; }
    float** Out() { return mpBlocks + 2; }
    float** Aux() { return mpBlocks + 4; }

private:
    std::vector<float> mSource;
    float* mpBlocks[6];
    int mnNext = 0;
};

template <class TModule> void RunKernel(benchmark::State& state, bool bSIMD)
{
    dsp::SetSIMDAllowed(bSIMD);
    auto pModule = std::make_unique<TModule>(kRate, 2);
    dsp::SetSIMDAllowed(true);
    pModule->SetParameter(20, 6.0f); // limiter drive (ignored by the clipper)
    pModule->SetParameter(38, 6.0f); // clipper gain (ignored by the limiter)
    HostDSP* pKernel = pModule->GetHostDSP();
    CStereoSignal signal;
    for (auto _ : state) {
        for (int i = 0; i < kBlocksPerIteration; ++i) {
            signal.Load();
            pKernel->Process(signal.Out(), signal.In(), signal.Aux(), 0, 0);
            benchmark::DoNotOptimize(signal.Out()[0]);
        }
        benchmark::ClobberMemory();
    }
    ReportRealtimeFactor(state, kBlocksPerIteration * kBlockSize, kRate);
}

void BM_ML2StereoSSE(benchmark::State& state)
{
    RunKernel<ML2>(state, true);
}
BENCHMARK(BM_ML2StereoSSE);

void BM_ML2StereoScalar(benchmark::State& state)
{
    RunKernel<ML2>(state, false);
}
BENCHMARK(BM_ML2StereoScalar);

void BM_VnOutStereoSSE(benchmark::State& state)
{
    RunKernel<VnOut>(state, true);
}
BENCHMARK(BM_VnOutStereoSSE);

void BM_VnOutStereoScalar(benchmark::State& state)
{
    RunKernel<VnOut>(state, false);
}
BENCHMARK(BM_VnOutStereoScalar);

} // namespace
