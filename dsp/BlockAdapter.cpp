#include "BlockAdapter.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

namespace {

void ScrubNonFinite(float* pSamples, int nCount)
{
    for (int n = 0; n < nCount; ++n) {
        const float x = pSamples[n];
        pSamples[n] = std::fabs(x) <= FLT_MAX ? x : 0.0f;
    }
}

} // namespace

BlockAdapter::BlockAdapter(HostDSP* pKernel, int nChannels)
    : channels(nChannels)
    , mpKernel(pKernel)
    , mnFill(kBlockSize) // 64 zero samples: the adapter's delay
    , mnCarry(0)
{
    for (int ch = 0; ch < 2; ++ch) {
        mpFifo[ch] = AllocBlock(kFifoSize);
        mpOutput[ch] = AllocBlock();
        mpTrace[ch] = AllocBlock();
    }
}

BlockAdapter::~BlockAdapter()
{
    for (int ch = 0; ch < 2; ++ch) {
        FreeBlock(mpTrace[ch]);
        FreeBlock(mpOutput[ch]);
        FreeBlock(mpFifo[ch]);
    }
}

void BlockAdapter::Process(float** ppOut, float** ppIn, int nFrames, float** ppTraces)
{
    for (int nOffset = 0; nOffset < nFrames; nOffset += kMaxFramesPerPass)
        ProcessPass(ppOut, ppIn, nOffset, std::min(kMaxFramesPerPass, nFrames - nOffset), ppTraces);
}

void BlockAdapter::Deliver(float** ppOut, float** ppTraces, int nTo, int nFrom, int nCount)
{
    for (int ch = 0; ch < channels; ++ch)
        std::memcpy(ppOut[ch] + nTo, mpOutput[ch] + nFrom, nCount * sizeof(float));
    if (ppTraces == nullptr)
        return;
    for (int nTrace = 0; nTrace < 2; ++nTrace) {
        if (ppTraces[nTrace] != nullptr)
            std::memcpy(ppTraces[nTrace] + nTo, mpTrace[nTrace] + nFrom, nCount * sizeof(float));
    }
}

void BlockAdapter::ProcessPass(float** ppOut, float** ppIn, int nOffset, int nFrames, float** ppTraces)
{
    // 1. Take the input in. Non-finite samples would stick in the recursive
    //    filters and detectors forever, so they enter as silence.
    for (int ch = 0; ch < channels; ++ch) {
        std::memcpy(mpFifo[ch] + mnFill, ppIn[ch] + nOffset, nFrames * sizeof(float));
        ScrubNonFinite(mpFifo[ch] + mnFill, nFrames);
    }
    mnFill += nFrames;

    // 2. The tail of the last block comes first.
    float* ppOutAt[2] = { nullptr, nullptr };
    float* ppTracesAt[2] = { nullptr, nullptr };
    for (int ch = 0; ch < channels; ++ch)
        ppOutAt[ch] = ppOut[ch] + nOffset;
    for (int nTrace = 0; nTrace < 2 && ppTraces != nullptr; ++nTrace)
        ppTracesAt[nTrace] = ppTraces[nTrace] != nullptr ? ppTraces[nTrace] + nOffset : nullptr;
    float** ppTracesOut = ppTraces != nullptr ? ppTracesAt : nullptr;

    const int nTail = std::min(mnCarry, nFrames);
    Deliver(ppOutAt, ppTracesOut, 0, kBlockSize - mnCarry, nTail);
    mnCarry -= nTail;
    int nPos = nTail;

    // 3. Whole blocks from the FIFO through the chain.
    int nRead = 0;
    while (nPos < nFrames) {
        float* ppBlock[2] = { mpFifo[0] + nRead, mpFifo[1] + nRead };
        for (int ch = 0; ch < channels; ++ch)
            mpKernel->AddNoise(ppBlock[ch]);
        mpKernel->Process(mpOutput, ppBlock, mpTrace, 0, 0);
        // Settings far outside their ranges (a gain of millions of dB from a
        // damaged state block) can overflow to infinity; such samples leave
        // as silence rather than poison the host's mix. Finite output is
        // untouched.
        for (int ch = 0; ch < channels; ++ch)
            ScrubNonFinite(mpOutput[ch], kBlockSize);
        nRead += kBlockSize;
        const int nCount = std::min(kBlockSize, nFrames - nPos);
        Deliver(ppOutAt, ppTracesOut, nPos, 0, nCount);
        if (nCount < kBlockSize)
            mnCarry = kBlockSize - nCount;
        nPos += nCount;
    }

    // 4. Unread samples move to the FIFO starts.
    mnFill -= nRead;
    if (nRead > 0) {
        for (int ch = 0; ch < channels; ++ch)
            std::memmove(mpFifo[ch], mpFifo[ch] + nRead, mnFill * sizeof(float));
    }
}
