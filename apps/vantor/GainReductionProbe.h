// The deepest gain reduction of the compressor and the limiter in dB,
// measured the way any host can (the needle meters a process may offer show
// ballistics, not decibels): the probe runs extra processes with the same
// settings on the loudest passage of the input, switched off after the
// module in question (and, for its input, from the module on), and compares
// the module's output level with its input level in 10 ms windows. The module's fixed gains (input drive, output, the
// limiter's mean band gain) are taken out; what is left is what the
// dynamics took away.
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

    static constexpr unsigned kBlockFrames = 4096;
    // Bit m set when module m (0 equaliser .. 3 clipper) runs in this setting.
    static unsigned RunningModules(vpa::IProcess& process, unsigned nMode);
    // The passage kept during the mastering pass.
    SGainReduction Measure(CLoudestPassage& passage);
    // Values that replace the settings' (a loudness target's drive).
    void SetOverrides(const std::vector<SParameterOverride>& overrides) { mOverrides = overrides; }
    // Mono as the job ran it (see CChainRunner).
    void SetDualMono(bool bDualMono) { mbDualMono = bDualMono; }

private:
    std::vector<float> RunPrefix(unsigned nModulesOn, const std::vector<float>& input) const;
    double DeepestReduction(
        const std::vector<float>& in, const std::vector<float>& out, long long nFrom, double fStaticGainDb) const;

    CVantorEngine& mEngine;
    const CProcessSettings& mSettings;
    unsigned mnChannels;
    double mfSampleRate;
    std::vector<SParameterOverride> mOverrides;
    bool mbDualMono = true;
};
