#include "VnOutHostDSP.h"

#include <cmath>
#include <limits>

namespace {

// Adds one block's count (at most 64) to a counter in one atomic step, so a
// reader's clear in between is never undone. A counter that is never read
// stops near the largest value instead of overflowing (only a clear can
// lower it meanwhile).
void AddCount(std::atomic<int32_t>& counter, int nCount)
{
    constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
    if (nCount != 0 && counter.load(std::memory_order_relaxed) <= kMax - kBlockSize)
        counter.fetch_add(nCount, std::memory_order_relaxed);
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

void VnOutHostDSP::GetSettings(SSettings& settings) const
{
    settings.highPass[0] = highPass[0];
    settings.highPass[1] = highPass[1];
    settings.inputGain = inputGain;
    settings.outputGain = outputGain;
    settings.curve = curve;
    settings.safety = safety;
}

void VnOutHostDSP::SetSettings(const SSettings& settings)
{
    dsp::CopyCoefficients(highPass[0], settings.highPass[0]);
    dsp::CopyCoefficients(highPass[1], settings.highPass[1]);
    inputGain = settings.inputGain;
    outputGain = settings.outputGain;
    curve = settings.curve;
    safety = settings.safety;
}
