// Where a loudness target puts its gain: into the dynamics, the way an
// engineer drives them, never as level added after the limiter. One offset
// in dB is spread over the input stages of the modules that run, first the
// limiter's input drive, then the compressor's input drive, then the
// clipper's gain, and only in a setting without dynamics the equaliser's
// output: a positive offset raises each stage up to its maximum before the
// next one moves, a negative one lowers them to their minimum in the same
// order. The offsets reachable are bounded by the parameters' ranges and
// move in the parameters' steps (0.1 dB).
#pragma once

#include "ChainRunner.h"
#include "ProcessSettings.h"
#include "VantorEngine.h"

#include <string>
#include <vector>

class CDriveGain {
public:
    CDriveGain(CVantorEngine& engine, const CProcessSettings& settings);

    double GetLowestDb() const { return mfLowestDb; }
    double GetHighestDb() const { return mfHighestDb; }
    // The offset rounded to the stages' step and clamped to the range.
    double Quantise(double fOffsetDb) const;
    // The stored values an offset sets.
    std::vector<SParameterOverride> GetOverrides(double fOffsetDb) const;
    // "Limiter Input Drive 0.0 -> 4.5 dB, ..." for the stages an offset moves.
    std::string Describe(double fOffsetDb) const;

private:
    struct SStage {
        int nIndex;
        std::string sName;
        int nStored; // the settings' value
        int nMin, nMax;
    };
    // Steps (0.1 dB each) taken by each stage for an offset.
    std::vector<int> Spread(double fOffsetDb) const;

    const CProcessSettings& mSettings;
    std::vector<SStage> mStages;
    double mfStepDb = 0.1;
    double mfLowestDb = 0.0, mfHighestDb = 0.0;
};
