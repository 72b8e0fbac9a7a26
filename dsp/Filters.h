// Analog prototype records, their bilinear transform, and the biquad and
// first-order sections with their block-wise update.
#pragma once

#include "Block.h"

// H(s) = (b2 s^2 + b1 s + b0) / (a2 s^2 + a1 s + a0) at sample rate fs (Hz).
struct SPrototype2 {
    float fs, b2, b1, b0, a2, a1, a0;
};

// H(s) = (b1 s + b0) / (a1 s + a0) at sample rate fs (Hz).
struct SPrototype1 {
    float fs, b1, b0, a1, a0;
};

// One channel of a biquad: the history of the previous block and the digital
// coefficients (A terms carry the sign with which they are added).
struct SBiquad {
    float x1, x2, y1, y2;
    float B0, B1, B2, A1, A2;
};

// One channel of a first-order section.
struct SFirstOrder {
    float x1, y1;
    float B0, B1, A1;
};

// Digital coefficients of a first-order section before they are stored.
struct SFirstOrderCoefficients {
    double B0, B1, A1;
};

namespace dsp {

// Bilinear transform without prewarping of a second-order record into the
// coefficients of nChannels consecutive sections (history untouched). A
// design whose coefficients would not be finite (a zero rate or frequency)
// leaves the previous coefficients in place and returns false.
bool Bilinear(const SPrototype2& prototype, SBiquad* pSections, int nChannels);

// First-order transform; false (and *pResult untouched) when not finite.
bool Bilinear(const SPrototype1& prototype, SFirstOrderCoefficients* pResult);
// The same, stored as floats into nChannels consecutive sections.
bool Bilinear(const SPrototype1& prototype, SFirstOrder* pSections, int nChannels);

// One 64-sample block through a biquad: sums in double precision, each output
// rounded to float as it is stored and read back as stored. pIn and pOut
// must be different blocks.
void RunBiquad(SBiquad& section, const float* pIn, float* pOut);

// Two channels at once (sections[0] on pIn0 -> pOut0, sections[1] on pIn1 ->
// pOut1). With bSIMD the channels run side by side in the two double lanes
// of SSE2 registers; the results are bit-identical to two RunBiquad calls.
void RunBiquadStereo(SBiquad* pSections, const float* pIn0, const float* pIn1, float* pOut0, float* pOut1, bool bSIMD);

// One 64-sample block through a first-order section (double sums, float
// outputs, history carried like the biquad's).
void RunFirstOrder(SFirstOrder& section, const float* pIn, float* pOut);

// Copies the coefficients of a section and leaves the target's history.
inline void CopyCoefficients(SBiquad& to, const SBiquad& from)
{
    to.B0 = from.B0;
    to.B1 = from.B1;
    to.B2 = from.B2;
    to.A1 = from.A1;
    to.A2 = from.A2;
}
inline void CopyCoefficients(SFirstOrder& to, const SFirstOrder& from)
{
    to.B0 = from.B0;
    to.B1 = from.B1;
    to.A1 = from.A1;
}

void ClearHistory(SBiquad& section);
void ClearHistory(SFirstOrder& section);
bool IsHistoryFinite(const SBiquad& section);
bool IsHistoryFinite(const SFirstOrder& section);

} // namespace dsp
