#include "SampleQuantiser.h"

#include <cmath>

void CSampleQuantiser::Setup(int nBits, bool bDither)
{
    mnBits = nBits;
    mbDither = bDither && nBits < 32;
    mfScale = std::ldexp(1.0, nBits - 1);
    mfLargest = mfScale - 1.0;
    mfSmallest = -mfScale;
    mnState = 0x9E3779B9u;
    mnClipped = 0;
}

float CSampleQuantiser::NextNoise()
{
    // xorshift32: plenty for dither, and the same sequence on every machine.
    mnState ^= mnState << 13;
    mnState ^= mnState >> 17;
    mnState ^= mnState << 5;
    return static_cast<float>(mnState) * (1.0f / 4294967296.0f);
}

void CSampleQuantiser::Convert(const float* pfIn, int* pnOut, unsigned nCount)
{
    const int nShift = 32 - mnBits;
    for (unsigned i = 0; i < nCount; ++i) {
        double fValue = static_cast<double>(pfIn[i]) * mfScale;
        // Beyond full scale before the dither: the file cannot hold it.
        if (!(fValue < mfLargest + 0.5) || !(fValue >= mfSmallest - 0.5))
            ++mnClipped;
        if (mbDither)
            fValue += static_cast<double>(NextNoise()) - static_cast<double>(NextNoise());
        double fRounded = std::nearbyint(fValue);
        if (!(fRounded <= mfLargest) || !(fRounded >= mfSmallest)) {
            // NaN would be a processing fault; write silence rather than noise.
            fRounded = fRounded > mfLargest ? mfLargest : (fRounded < mfSmallest ? mfSmallest : 0.0);
        }
        const int64_t nValue = static_cast<int64_t>(fRounded);
        pnOut[i] = static_cast<int>(static_cast<uint32_t>(nValue) << nShift);
    }
}
