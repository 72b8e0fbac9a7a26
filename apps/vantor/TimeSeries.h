// Readings over time at a fixed step, in bounded memory: when the series is
// full, neighbouring pairs merge into their higher value and the step
// doubles, so a long file keeps every peak at a coarser step. Loudness,
// true peak and gain reduction (in dB of reduction) all keep the highest.
#pragma once

#include <cstddef>
#include <vector>

class CTimeSeries {
public:
    static constexpr size_t kMostPoints = 4096; // even: pairs merge evenly

    void SetStep(double fStepSeconds) { mfStepSeconds = fStepSeconds; }
    // The reading of the next step (-inf for none: silence).
    void Add(double f);
    // Readings at GetStepSeconds() apart, reading n covering the time up to
    // (n + 1) steps; a step still being merged is included.
    std::vector<double> GetValues() const;
    double GetStepSeconds() const { return mfStepSeconds * static_cast<double>(mnPerPoint); }
    bool IsEmpty() const { return mValues.empty() && mnPending == 0; }
    void Clear();

private:
    double mfStepSeconds = 0.1;
    std::vector<double> mValues;
    size_t mnPerPoint = 1; // readings merged into one point
    size_t mnPending = 0; // readings of the point being merged
    double mfPending = 0.0;
};

// Gain reduction in dB over time, per block of the chain.
struct SGainTraces {
    CTimeSeries compressor, limiter;
};
