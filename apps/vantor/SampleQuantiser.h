// Float samples to the integers of a fixed-point file. Left-justified 32-bit
// results go to sf_writef_int, so the rounding is ours and a 16-bit sample
// read as s / 32768 comes back as s. Word lengths below 32 bits get TPDF
// dither (two uniform values of one step each, summed) unless turned off;
// the noise is seeded, so the same input always gives the same file.
#pragma once

#include <cstdint>

class CSampleQuantiser {
public:
    // nBits 8..32; dither applies to 8, 16 and 24 bits only.
    void Setup(int nBits, bool bDither);
    int GetBits() const { return mnBits; }

    // nCount interleaved samples.
    void Convert(const float* pfIn, int* pnOut, unsigned nCount);
    long long GetClippedSamples() const { return mnClipped; }

private:
    float NextNoise();

    int mnBits = 16;
    bool mbDither = true;
    double mfScale = 32768.0;
    double mfLargest = 32767.0;
    double mfSmallest = -32768.0;
    uint32_t mnState = 0x9E3779B9u;
    long long mnClipped = 0;
};
