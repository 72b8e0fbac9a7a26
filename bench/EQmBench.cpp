// Speed of the equaliser kernel with all eight sections switched in, stereo
// at 44.1 kHz: scalar and SSE kernels, and for comparison the same sections
// run stage by stage (one RunBiquadStereo pass per section through scratch
// blocks).
#include "BenchUtil.h"

#include "dsp/EQm.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <utility>

namespace {

constexpr float kRate = 44100.0f;
constexpr int kBlocksPerIteration = 64;

// Every band boosted or cut, both cuts in.
std::unique_ptr<EQm> MakeBusyEqualiser(bool bSIMD)
{
    dsp::SetSIMDAllowed(bSIMD);
    auto pEq = std::make_unique<EQm>(kRate, 2);
    dsp::SetSIMDAllowed(true);
    const float afSettings[][2] = { { EQm::kLowShelfGain, 4.0f }, { EQm::kLowMidGain, -3.0f },
        { EQm::kHighMidGain, 2.5f }, { EQm::kHighMidQ, 0.6f }, { EQm::kHighShelfGain, -2.0f },
        { EQm::kLowCutFreq, 40.0f }, { EQm::kHighCutFreq, 16000.0f }, { EQm::kOutputGain, -1.0f } };
    for (const auto& setting : afSettings)
        pEq->SetParameter(static_cast<int>(setting[0]), setting[1]);
    return pEq;
}

struct SStereoSignal {
    SStereoSignal()
        : pSource(AllocBlock(2 * kBlockSize))
        , pLeft(AllocBlock())
        , pRight(AllocBlock())
        , pOutLeft(AllocBlock())
        , pOutRight(AllocBlock())
    {
        for (int n = 0; n < kBlockSize; ++n) {
            pSource[n] = 0.3f * std::sin(0.05f * n);
            pSource[kBlockSize + n] = 0.3f * std::cos(0.07f * n);
        }
    }
    ~SStereoSignal()
    {
        for (float* p : { pSource, pLeft, pRight, pOutLeft, pOutRight })
            FreeBlock(p);
    }
    // Fresh input for every block: the kernel may overwrite its input.
    void Load()
    {
        std::memcpy(pLeft, pSource, kBlockSize * sizeof(float));
        std::memcpy(pRight, pSource + kBlockSize, kBlockSize * sizeof(float));
    }
    float* pSource;
    float* pLeft;
    float* pRight;
    float* pOutLeft;
    float* pOutRight;
};

void RunKernel(benchmark::State& state, bool bSIMD)
{
    std::unique_ptr<EQm> pEq = MakeBusyEqualiser(bSIMD);
    HostDSP* pKernel = pEq->GetHostDSP();
    SStereoSignal signal;
    float* ppIn[2] = { signal.pLeft, signal.pRight };
    float* ppOut[2] = { signal.pOutLeft, signal.pOutRight };
    for (auto _ : state) {
        for (int i = 0; i < kBlocksPerIteration; ++i) {
            signal.Load();
            pKernel->Process(ppOut, ppIn, nullptr, 0, 0);
            benchmark::DoNotOptimize(signal.pOutLeft);
        }
        benchmark::ClobberMemory();
    }
    ReportRealtimeFactor(state, kBlocksPerIteration * kBlockSize, kRate);
}

void BM_EQmStereoSSE(benchmark::State& state)
{
    RunKernel(state, true);
}
BENCHMARK(BM_EQmStereoSSE);

void BM_EQmStereoScalar(benchmark::State& state)
{
    RunKernel(state, false);
}
BENCHMARK(BM_EQmStereoScalar);

// The eight sections one after another, each a whole block at a time.
void BM_EQmStereoStageByStage(benchmark::State& state)
{
    std::unique_ptr<EQm> pEq = MakeBusyEqualiser(true);
    auto* pKernel = static_cast<EQmHostDSP*>(pEq->GetHostDSP());
    SStereoSignal signal;
    const int anOrder[] = { EQmHostDSP::kLowShelf, EQmHostDSP::kLowMid, EQmHostDSP::kHighMid, EQmHostDSP::kHighShelf,
        EQmHostDSP::kHighCut1, EQmHostDSP::kHighCut2, EQmHostDSP::kLowCut1, EQmHostDSP::kLowCut2 };
    for (auto _ : state) {
        for (int i = 0; i < kBlocksPerIteration; ++i) {
            signal.Load();
            float* pSrc0 = signal.pLeft;
            float* pSrc1 = signal.pRight;
            float* pDst0 = signal.pOutLeft;
            float* pDst1 = signal.pOutRight;
            for (int nSection : anOrder) {
                dsp::RunBiquadStereo(pKernel->mSections[nSection], pSrc0, pSrc1, pDst0, pDst1, true);
                std::swap(pSrc0, pDst0);
                std::swap(pSrc1, pDst1);
            }
            pKernel->ApplyGain(pSrc0, pKernel->mfOutputGain);
            pKernel->ApplyGain(pSrc1, pKernel->mfOutputGain);
            benchmark::DoNotOptimize(pSrc0);
        }
        benchmark::ClobberMemory();
    }
    ReportRealtimeFactor(state, kBlocksPerIteration * kBlockSize, kRate);
}
BENCHMARK(BM_EQmStereoStageByStage);

} // namespace
