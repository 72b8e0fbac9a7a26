// Coefficient and state holder of the compressor: owns the kernel and copies
// each design into both of its detectors.
#pragma once

#include "Filters.h"
#include "SC1HostDSP.h"
#include "TEffect.h"

class SC1HostInterface : public DSPInterface {
public:
    // Creates the kernel and clears it.
    SC1HostInterface();

    // Clears both detectors' carried outputs and histories; gain holds 1.0.
    void Reset() override;

    // Timing network: the common low-pass and the two branch output sections
    // go through the bilinear transform; the per-sample release factors are
    // stored as given. A design that is not finite changes nothing and
    // returns false.
    bool SetTimingNetwork(const SPrototype1& lowPass, const SPrototype1& branchA, const SPrototype1& branchB,
        double fReleaseA, double fReleaseB);
    // Linear drives of the mid (channel 0) and side detectors, linear side
    // level.
    void SetDrives(double fMidDrive, double fSideDrive, float fSideLevel);
    void SetK(double fK);
    // Side-chain high-pass of both detectors; false (and unchanged) when not
    // finite.
    bool SetSideChain(const SPrototype1& highPass);
    void SetOutputGain(float fGain);

    SC1HostDSP* Kernel() const { return mpKernel; }

private:
    SC1HostDSP* mpKernel; // the same object as dsp, with its own type
};
