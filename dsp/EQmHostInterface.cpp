#include "EQmHostInterface.h"

#include <cmath>

namespace {

// True when the stored coefficients are finite and both poles of
// 1 - A1 z^-1 - A2 z^-2 lie strictly inside the unit circle (the stability
// triangle |A2| < 1, |A1| < 1 - A2, evaluated on the float values the kernel
// will use).
bool IsStableSection(const SBiquad& s)
{
    for (float f : { s.B0, s.B1, s.B2, s.A1, s.A2 }) {
        if (!std::isfinite(f))
            return false;
    }
    const double A1 = s.A1;
    const double A2 = s.A2;
    return std::fabs(A2) < 1.0 && std::fabs(A1) < 1.0 - A2;
}

} // namespace

EQmHostInterface::EQmHostInterface()
{
    dsp = new EQmHostDSP();
    Reset();
}

void EQmHostInterface::Reset()
{
    Kernel()->ClearHistory();
}

bool EQmHostInterface::SetStage(int nStage, bool bOn, const SPrototype2* const* ppRecords)
{
    EQmHostDSP* pKernel = Kernel();
    if (!bOn) {
        pKernel->mnStageOn[nStage] = 0;
        return true;
    }
    int anSections[2] = {};
    const int nSections = EQmHostDSP::SectionsOfStage(nStage, anSections);
    // Design every section first, so a refused design changes nothing.
    SBiquad designs[2] = {};
    bool bAccepted = true;
    for (int i = 0; i < nSections; ++i)
        bAccepted = bAccepted && dsp::Bilinear(*ppRecords[i], &designs[i], 1) && IsStableSection(designs[i]);
    if (!bAccepted) {
        // Keep channel 0's previous design, and make sure a channel added
        // since then carries it too.
        for (int i = 0; i < nSections; ++i)
            designs[i] = pKernel->mSections[anSections[i]][0];
    }
    const int nChannels = channels < EQmHostDSP::kMaxChannels ? channels : EQmHostDSP::kMaxChannels;
    for (int i = 0; i < nSections; ++i) {
        for (int ch = 0; ch < nChannels; ++ch) {
            SBiquad& s = pKernel->mSections[anSections[i]][ch];
            s.B0 = designs[i].B0;
            s.B1 = designs[i].B1;
            s.B2 = designs[i].B2;
            s.A1 = designs[i].A1;
            s.A2 = designs[i].A2;
        }
    }
    if (bAccepted)
        pKernel->mnStageOn[nStage] = 1;
    return bAccepted;
}

bool EQmHostInterface::SetLowShelf(bool bOn, const SPrototype2& record)
{
    const SPrototype2* apRecords[] = { &record };
    return SetStage(EQmHostDSP::kStageLowShelf, bOn, apRecords);
}

bool EQmHostInterface::SetLowMid(bool bOn, const SPrototype2& record)
{
    const SPrototype2* apRecords[] = { &record };
    return SetStage(EQmHostDSP::kStageLowMid, bOn, apRecords);
}

bool EQmHostInterface::SetHighMid(bool bOn, const SPrototype2& record)
{
    const SPrototype2* apRecords[] = { &record };
    return SetStage(EQmHostDSP::kStageHighMid, bOn, apRecords);
}

bool EQmHostInterface::SetHighShelf(bool bOn, const SPrototype2& record)
{
    const SPrototype2* apRecords[] = { &record };
    return SetStage(EQmHostDSP::kStageHighShelf, bOn, apRecords);
}

bool EQmHostInterface::SetLowCut(bool bOn, const SPrototype2& section1, const SPrototype2& section2)
{
    const SPrototype2* apRecords[] = { &section1, &section2 };
    return SetStage(EQmHostDSP::kStageLowCut, bOn, apRecords);
}

bool EQmHostInterface::SetHighCut(bool bOn, const SPrototype2& section1, const SPrototype2& section2)
{
    const SPrototype2* apRecords[] = { &section1, &section2 };
    return SetStage(EQmHostDSP::kStageHighCut, bOn, apRecords);
}

void EQmHostInterface::SetOutputGain(float fGain)
{
    if (std::isfinite(fGain))
        Kernel()->mfOutputGain = fGain;
}
