// The deepest gain reduction of the compressor and the limiter in dB, as the
// modules' own gain meters show it: the probe runs the loudest passage of
// the input through a process with the job's settings and reads the lowest
// needle value of each gain meter over the passage (the run-up before it
// only settles the detectors and the ballistics). The needles follow the
// modules' gain traces, which hold only what the dynamics take away (no
// drive, output or band gains), so the figures are the meters' readings in
// decibels.
#pragma once

#include "ChainRunner.h"
#include "LoudestPassage.h"
#include "ProcessSettings.h"
#include "VantorEngine.h"

#include <vector>

struct SGainReduction {
    bool bCompressor = false; // the compressor runs in this setting
    double fCompressorDb = 0.0;
    bool bLimiter = false;
    double fLimiterDb = 0.0;
    double fFromSeconds = 0.0; // the passage measured
    double fToSeconds = 0.0;
};

class CGainReductionProbe {
public:
    CGainReductionProbe(
        CVantorEngine& engine, const CProcessSettings& settings, unsigned nChannels, double fSampleRate);

    // Bit m set when module m (0 equaliser .. 3 clipper) runs in this setting.
    static unsigned RunningModules(vpa::IProcess& process, unsigned nMode);
    // The passage kept during the mastering pass.
    SGainReduction Measure(CLoudestPassage& passage);
    // Values that replace the settings' (a loudness target's drive).
    void SetOverrides(const std::vector<SParameterOverride>& overrides) { mOverrides = overrides; }
    // Mono as the job ran it (see CChainRunner).
    void SetDualMono(bool bDualMono) { mbDualMono = bDualMono; }

private:
    CVantorEngine& mEngine;
    const CProcessSettings& mSettings;
    unsigned mnChannels;
    double mfSampleRate;
    std::vector<SParameterOverride> mOverrides;
    bool mbDualMono = true;
};
