// The chain kernel: owns the four modules and runs them on one 64-sample
// block in the current order, each active or bypassed.
#pragma once

#include "HostDSP.h"
#include "TEffect.h"

// Module identifiers, as used by the order and bypass arrays.
enum EModule { kEqualiser = 0, kCompressor = 1, kLimiter = 2, kOutputClipper = 3, kNrOfModules = 4 };

class VnSystemProc : public HostDSP {
public:
    VnSystemProc(float fSampleRate, int nChannels);
    ~VnSystemProc() override;

    // ppAux: the two trace blocks (compressor, limiter). ppIn is scratch.
    void Process(float** ppOut, float** ppIn, float** ppAux, int, int) override;

    TEffect* mpModules[kNrOfModules]; // owned, in identifier order
    int maOrder[kNrOfModules]; // module identifier per slot
    int maBypass[kNrOfModules]; // per module identifier, non-zero = bypassed

private:
    float* mpSilence[2]; // near-silent input of a bypassed compressor or limiter
    float* mpScratch[2]; // auxiliary blocks of the modules that write no trace
};
