// Coefficient holder of the equaliser: owns the kernel, turns analog
// prototype records into its digital sections and sets its switches.
#pragma once

#include "EQmHostDSP.h"
#include "Filters.h"
#include "TEffect.h"

class EQmHostInterface : public DSPInterface {
public:
    // Creates the kernel with cleared history.
    EQmHostInterface();

    // Zeroes the history of all eight sections of both channels.
    void Reset() override;

    // Each setter transforms its record(s) into every channel's section and
    // switches the stage in, or with bOn false only switches it out (the
    // coefficients stay). A design that would be non-finite or unstable is
    // refused: the stage keeps its previous coefficients and switch, and the
    // setter returns false.
    bool SetLowShelf(bool bOn, const SPrototype2& record);
    bool SetLowMid(bool bOn, const SPrototype2& record);
    bool SetHighMid(bool bOn, const SPrototype2& record);
    bool SetHighShelf(bool bOn, const SPrototype2& record);
    bool SetLowCut(bool bOn, const SPrototype2& section1, const SPrototype2& section2);
    bool SetHighCut(bool bOn, const SPrototype2& section1, const SPrototype2& section2);
    // Linear output gain; a non-finite factor is refused.
    void SetOutputGain(float fGain);

    EQmHostDSP* Kernel() const { return static_cast<EQmHostDSP*>(dsp); }

private:
    bool SetStage(int nStage, bool bOn, const SPrototype2* const* ppRecords);
};
