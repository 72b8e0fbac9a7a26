// Speed of the compressor kernel alone, stereo and mono at 44.1 kHz, with the
// SSE detector lanes and with the scalar path.
#include "BenchUtil.h"

#include "dsp/HostDSP.h"
#include "dsp/SC1.h"

#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace {

void RunSC1(benchmark::State& state, int nChannels, bool bSIMD)
{
    constexpr float kRate = 44100.0f;
    constexpr int kBlocks = 689; // about one second
    dsp::SetSIMDAllowed(bSIMD);
    SC1 compressor(kRate, nChannels);
    dsp::SetSIMDAllowed(true);
    if (compressor.GetHostDSP()->UsesSIMD() != bSIMD) {
        state.SkipWithError("SSE not available");
        return;
    }
    // Programme-like material: a tone over noise, with level changes that
    // switch the detectors between charge and release.
    std::mt19937 random(1);
    std::uniform_real_distribution<float> noise(-0.2f, 0.2f);
    std::vector<float> signal(2 * kBlocks * kBlockSize);
    for (size_t i = 0; i < signal.size(); ++i)
        signal[i] = (0.4f * std::sin(0.03f * i) + noise(random)) * (((i >> 13) & 1) ? 1.0f : 0.3f);
    float* pIn[2] = { AllocBlock(), AllocBlock() };
    float* pOut[2] = { AllocBlock(), AllocBlock() };
    float* pAux[1] = { AllocBlock() };
    HostDSP* pKernel = compressor.GetHostDSP();
    for (auto _ : state) {
        for (int b = 0; b < kBlocks; ++b) {
            const float* pBlock = signal.data() + 2 * b * kBlockSize;
            for (int n = 0; n < kBlockSize; ++n) {
                pIn[0][n] = pBlock[n];
                pIn[1][n] = pBlock[kBlockSize + n];
            }
            pKernel->Process(pOut, pIn, pAux, 0, 0);
        }
        benchmark::DoNotOptimize(pOut[0][0]);
    }
    ReportRealtimeFactor(state, static_cast<long>(kBlocks) * kBlockSize, kRate);
    for (float* p : { pIn[0], pIn[1], pOut[0], pOut[1], pAux[0] })
        FreeBlock(p);
}

void BM_SC1StereoSSE(benchmark::State& state)
{
    RunSC1(state, 2, true);
}
void BM_SC1StereoScalar(benchmark::State& state)
{
    RunSC1(state, 2, false);
}
void BM_SC1Mono(benchmark::State& state)
{
    RunSC1(state, 1, false);
}
BENCHMARK(BM_SC1StereoSSE);
BENCHMARK(BM_SC1StereoScalar);
BENCHMARK(BM_SC1Mono);

} // namespace
