// Float samples to the integers of a fixed-point file. Left-justified 32-bit
// results go to sf_writef_int, so the rounding is ours and a 16-bit sample
// read as s / 32768 comes back as s. Word lengths below 32 bits get dither
// unless turned off: TPDF (two uniform values of one step each, summed), or
// the same noise shaped towards the frequencies the ear hears least. A block
// whose every sample the word length holds exactly (to a thousandth of a
// step) gets no dither at all, so
// an unprocessed 16-bit file (or one written at 24 bits) stays bit-exact and
// digital silence stays digital silence. The noise is seeded, so the same
// input always gives the same file.
#pragma once

#include <cstdint>

// --dither: none, tpdf or shaped.
enum class EDither { None, Tpdf, Shaped };

class CSampleQuantiser {
public:
    // nBits 8..32; dither applies to 8, 16 and 24 bits only. nChannels
    // interleaved channels (the shaping filter keeps one state each).
    void Setup(int nBits, EDither eDither, unsigned nChannels = 2);
    int GetBits() const { return mnBits; }

    // nCount interleaved samples (whole frames).
    void Convert(const float* pfIn, int* pnOut, unsigned nCount);
    long long GetClippedSamples() const { return mnClipped; }
    // Samples that got dither so far.
    long long GetDitheredSamples() const { return mnDithered; }

    // The error feedback filter of the shaped dither: "Minimally audible
    // noise shaping", S. P. Lipshitz, J. Vanderkooy and R. A. Wannamaker,
    // J. Audio Eng. Soc. 39(11), 1991, the five-tap E-weighted design for
    // 44.1 kHz. The noise comes out shaped by 1 - H(z): about 16 dB lower
    // than flat TPDF at low frequencies, higher towards half the rate.
    static constexpr int kShapingTaps = 5;
    static constexpr double kShaping[kShapingTaps] = { 2.033, -2.165, 1.959, -1.590, 0.6149 };
    static constexpr unsigned kMostChannels = 2;

private:
    float NextNoise();
    bool IsExact(const float* pfIn, unsigned nCount) const;

    int mnBits = 16;
    EDither meDither = EDither::Tpdf;
    unsigned mnChannels = 2;
    double mfScale = 32768.0;
    double mfLargest = 32767.0;
    double mfSmallest = -32768.0;
    uint32_t mnState = 0x9E3779B9u;
    long long mnClipped = 0;
    long long mnDithered = 0;
    // Per channel, the last errors (in steps), newest first.
    double mfErrors[kMostChannels][kShapingTaps] = {};
};
