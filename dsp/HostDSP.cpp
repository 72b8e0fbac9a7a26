#include "HostDSP.h"

#include <atomic>
#include <cstdint>

#if defined(__SSE__) || defined(__x86_64__)
#include <xmmintrin.h>
#define VANTOR_HAVE_SSE 1
#endif

namespace {

std::atomic<bool> gbSIMDAllowed { true };

// The library-wide linear congruential generator behind every noise block.
std::atomic<uint32_t> gnNoiseState { 0 };

uint32_t NextNoiseState()
{
    uint32_t nState = gnNoiseState.load(std::memory_order_relaxed);
    uint32_t nNext;
    do {
        nNext = nState * 1103515245u + 12345u;
    } while (!gnNoiseState.compare_exchange_weak(nState, nNext, std::memory_order_relaxed));
    return nNext;
}

void SumDifferenceScalar(float* pSum, float* pDifference, const float* pA, const float* pB)
{
    for (int i = 0; i < kBlockSize; ++i) {
        const float fA = pA[i];
        const float fB = pB[i];
        pSum[i] = fA + fB;
        pDifference[i] = fA - fB;
    }
}

void ApplyGainScalar(float* pBuffer, float fGain)
{
    for (int i = 0; i < kBlockSize; ++i)
        pBuffer[i] = pBuffer[i] * fGain;
}

void AddBlockScalar(float* pDestination, const float* pSource)
{
    for (int i = 0; i < kBlockSize; ++i)
        pDestination[i] = pDestination[i] + pSource[i];
}

#ifdef VANTOR_HAVE_SSE
// Four floats per step on 16-byte aligned blocks, prefetching the next line.
// Single-precision add, subtract and multiply round exactly as the scalar
// code does, so both variants give the same bits.
void SumDifferenceSSE(float* pSum, float* pDifference, const float* pA, const float* pB)
{
    for (int i = 0; i < kBlockSize; i += 4) {
        _mm_prefetch(reinterpret_cast<const char*>(pA + i + 16), _MM_HINT_T0);
        _mm_prefetch(reinterpret_cast<const char*>(pB + i + 16), _MM_HINT_T0);
        const __m128 a = _mm_load_ps(pA + i);
        const __m128 b = _mm_load_ps(pB + i);
        _mm_store_ps(pSum + i, _mm_add_ps(a, b));
        _mm_store_ps(pDifference + i, _mm_sub_ps(a, b));
    }
}

void ApplyGainSSE(float* pBuffer, float fGain)
{
    const __m128 gain = _mm_set1_ps(fGain);
    for (int i = 0; i < kBlockSize; i += 4) {
        _mm_prefetch(reinterpret_cast<const char*>(pBuffer + i + 16), _MM_HINT_T0);
        _mm_store_ps(pBuffer + i, _mm_mul_ps(_mm_load_ps(pBuffer + i), gain));
    }
}

void AddBlockSSE(float* pDestination, const float* pSource)
{
    for (int i = 0; i < kBlockSize; i += 4) {
        _mm_prefetch(reinterpret_cast<const char*>(pSource + i + 16), _MM_HINT_T0);
        _mm_store_ps(pDestination + i, _mm_add_ps(_mm_load_ps(pDestination + i), _mm_load_ps(pSource + i)));
    }
}
#endif

} // namespace

HostDSP::HostDSP()
    : SumDifference(SumDifferenceScalar)
    , ApplyGain(ApplyGainScalar)
    , AddBlock(AddBlockScalar)
    , mpNoise(AllocBlock())
    , channels(0)
    , mbSIMD(false)
{
#ifdef VANTOR_HAVE_SSE
    if (platform::IsSSEUsable() && dsp::IsSIMDAllowed()) {
        SumDifference = SumDifferenceSSE;
        ApplyGain = ApplyGainSSE;
        AddBlock = AddBlockSSE;
        mbSIMD = true;
    }
#endif
    // Noise in [-1, 1) x 1e-20 keeps recursive filters out of the denormal
    // range. The generator advances even without a block, so every kernel
    // draws the same numbers whatever happened to another one.
    for (int i = 0; i < kBlockSize; ++i) {
        const uint32_t nState = NextNoiseState();
        const double fUniform = static_cast<double>(nState & 0x3FFFFFFFu) * 1.862645149230957e-9 - 1.0;
        if (mpNoise != nullptr)
            mpNoise[i] = static_cast<float>(fUniform * 1e-20);
    }
}

HostDSP::~HostDSP()
{
    FreeBlock(mpNoise);
}

namespace dsp {

void SetSIMDAllowed(bool bAllowed)
{
    gbSIMDAllowed.store(bAllowed, std::memory_order_relaxed);
}

bool IsSIMDAllowed()
{
    return gbSIMDAllowed.load(std::memory_order_relaxed);
}

SBlockKernels ScalarKernels()
{
    return { SumDifferenceScalar, ApplyGainScalar, AddBlockScalar };
}

SBlockKernels SIMDKernels()
{
#ifdef VANTOR_HAVE_SSE
    if (platform::IsSSEUsable())
        return { SumDifferenceSSE, ApplyGainSSE, AddBlockSSE };
#endif
    return { nullptr, nullptr, nullptr };
}

void ResetNoiseGenerator()
{
    gnNoiseState.store(0, std::memory_order_relaxed);
}

} // namespace dsp
