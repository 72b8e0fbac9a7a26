#include "SampleQuantiser.h"

#include <algorithm>
#include <cmath>

void CSampleQuantiser::Setup(int nBits, EDither eDither, unsigned nChannels)
{
    mnBits = nBits;
    meDither = nBits < 32 ? eDither : EDither::None;
    mnChannels = std::clamp(nChannels, 1u, kMostChannels);
    mfScale = std::ldexp(1.0, nBits - 1);
    mfLargest = mfScale - 1.0;
    mfSmallest = -mfScale;
    mnState = 0x9E3779B9u;
    mnClipped = 0;
    mnDithered = 0;
    std::fill(&mfErrors[0][0], &mfErrors[0][0] + kMostChannels * kShapingTaps, 0.0);
}

float CSampleQuantiser::NextNoise()
{
    // xorshift32: plenty for dither, and the same sequence on every machine.
    mnState ^= mnState << 13;
    mnState ^= mnState >> 17;
    mnState ^= mnState << 5;
    return static_cast<float>(mnState) * (1.0f / 4294967296.0f);
}

bool CSampleQuantiser::IsExact(const float* pfIn, unsigned nCount) const
{
    // Within a thousandth of a step counts as on it: the chain's noise guard
    // leaves about 1e-20 where its input was exactly 0.
    constexpr double kNear = 1.0 / 1024.0;
    for (unsigned i = 0; i < nCount; ++i) {
        const double fValue = static_cast<double>(pfIn[i]) * mfScale;
        if (!(fValue <= mfLargest + kNear && fValue >= mfSmallest - kNear)
            || std::fabs(fValue - std::nearbyint(fValue)) > kNear)
            return false;
    }
    return true;
}

void CSampleQuantiser::Convert(const float* pfIn, int* pnOut, unsigned nCount)
{
    const int nShift = 32 - mnBits;
    const bool bDither = meDither != EDither::None && !IsExact(pfIn, nCount);
    const bool bShaped = bDither && meDither == EDither::Shaped;
    if (!bDither)
        std::fill(&mfErrors[0][0], &mfErrors[0][0] + kMostChannels * kShapingTaps, 0.0);
    for (unsigned i = 0; i < nCount; ++i) {
        double fValue = static_cast<double>(pfIn[i]) * mfScale;
        // Beyond full scale before the dither: the file cannot hold it.
        if (!(fValue < mfLargest + 0.5) || !(fValue >= mfSmallest - 0.5))
            ++mnClipped;
        double* pfError = mfErrors[i % mnChannels];
        if (bShaped) {
            for (int k = 0; k < kShapingTaps; ++k)
                fValue -= kShaping[k] * pfError[k];
        }
        const double fWanted = fValue;
        if (bDither)
            fValue += static_cast<double>(NextNoise()) - static_cast<double>(NextNoise());
        double fRounded = std::nearbyint(fValue);
        if (!(fRounded <= mfLargest) || !(fRounded >= mfSmallest)) {
            // NaN would be a processing fault; write silence rather than noise.
            fRounded = fRounded > mfLargest ? mfLargest : (fRounded < mfSmallest ? mfSmallest : 0.0);
        }
        if (bShaped) {
            // The error fed back is bounded, so a clipped run cannot make
            // the filter ring up.
            std::copy_backward(pfError, pfError + kShapingTaps - 1, pfError + kShapingTaps);
            pfError[0] = std::clamp(fRounded - fWanted, -2.0, 2.0);
        }
        const int64_t nValue = static_cast<int64_t>(fRounded);
        pnOut[i] = static_cast<int>(static_cast<uint32_t>(nValue) << nShift);
    }
    if (bDither)
        mnDithered += nCount;
}
