// Base of every processing kernel: the three block kernels (scalar or SSE,
// chosen once per kernel object), the denormal-guard noise block and the
// channel count. Kernels see ready coefficients only, never parameters.
#pragma once

#include "Block.h"

class HostDSP {
public:
    using SumDifferenceKernel = void (*)(float* pSum, float* pDifference, const float* pA, const float* pB);
    using ApplyGainKernel = void (*)(float* pBuffer, float fGain);
    using AddBlockKernel = void (*)(float* pDestination, const float* pSource);

    HostDSP();
    virtual ~HostDSP();
    HostDSP(const HostDSP&) = delete;
    HostDSP& operator=(const HostDSP&) = delete;

    // Processes one 64-sample block of every channel from ppIn to ppOut. The
    // input blocks may be used as scratch. ppAux holds per-module side
    // outputs (gain traces); the two integers are always 0.
    virtual void Process(float** ppOut, float** ppIn, float** ppAux, int, int) = 0;

    // False when a history or detector word is no longer a finite number
    // (NaN or infinity reached the module); the owner then resets it.
    virtual bool IsStateFinite() const { return true; }

    // Adds the denormal-guard noise (+-1e-20) to one channel block.
    void AddNoise(float* pBlock) const
    {
        if (mpNoise != nullptr)
            AddBlock(pBlock, mpNoise);
    }

    // Whether this kernel runs its SSE paths (fixed at construction).
    bool UsesSIMD() const { return mbSIMD; }

    SumDifferenceKernel SumDifference;
    ApplyGainKernel ApplyGain;
    AddBlockKernel AddBlock;
    float* mpNoise;
    int channels;

protected:
    bool mbSIMD;
};

namespace dsp {

// Test hook: whether kernels constructed from now on may use SSE (they do
// only where the processor has it). On by default.
void SetSIMDAllowed(bool bAllowed);
bool IsSIMDAllowed();

// The scalar and SSE variants of the block kernels, for tests that compare
// them. The SSE variants are null on processors without SSE.
struct SBlockKernels {
    HostDSP::SumDifferenceKernel pSumDifference;
    HostDSP::ApplyGainKernel pApplyGain;
    HostDSP::AddBlockKernel pAddBlock;
};
SBlockKernels ScalarKernels();
SBlockKernels SIMDKernels();

// Restarts the library-wide noise generator (tests of fresh instances).
void ResetNoiseGenerator();

} // namespace dsp
