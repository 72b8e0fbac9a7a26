#include "VnOutHostDSP.h"

#include <cmath>
#include <limits>

namespace {

// Adds one block's count (at most 64) to a counter, stopping at the
// largest value rather than overflowing on a counter that is never read.
void AddCount(std::atomic<int32_t>& counter, int nCount)
{
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    const int32_t n = counter.load(std::memory_order_relaxed);
    counter.store(n > kMax - kBlockSize ? kMax : n + nCount, std::memory_order_relaxed);
}

int CountOvers(const float* pBlock)
{
    int nCount = 0;
    for (int n = 0; n < kBlockSize; ++n)
        nCount += std::fabs(pBlock[n]) >= 1.0f ? 1 : 0;
    return nCount;
}

} // namespace

void VnOutHostDSP::Process(float** ppOut, float** ppIn, float** ppAux, int, int)
{
    (void)ppAux;
    // Only the first two channels have sections; further ones are left alone.
    const int nChannels = channels >= 2 ? 2 : channels;
    if (nChannels < 1)
        return;
    for (int ch = 0; ch < nChannels; ++ch) {
        ApplyGain(ppIn[ch], inputGain);
        AddCount(clipCount[ch], curve.Clip(ppIn[ch]));
    }
    if (nChannels == 2)
        dsp::RunBiquadStereo(highPass, ppIn[0], ppIn[1], ppOut[0], ppOut[1], UsesSIMD());
    else
        dsp::RunBiquad(highPass[0], ppIn[0], ppOut[0]);
    for (int ch = 0; ch < nChannels; ++ch) {
        safety.Clip(ppOut[ch]);
        ApplyGain(ppOut[ch], outputGain);
        AddCount(overCount[ch], CountOvers(ppOut[ch]));
    }
}

bool VnOutHostDSP::IsStateFinite() const
{
    return dsp::IsHistoryFinite(highPass[0]) && dsp::IsHistoryFinite(highPass[1]);
}
