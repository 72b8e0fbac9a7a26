// Kernel of the output clipper: input gain, curve clipper, 25 Hz high-pass,
// safety clip at +-0.999, output gain, and the clip and over counters.
#pragma once

#include "Clipper.h"
#include "Filters.h"
#include "HostDSP.h"

#include <atomic>
#include <cstdint>

class VnOutHostDSP : public HostDSP {
public:
    // What the user-interface side designs, without history or counters.
    struct SSettings {
        SBiquad highPass[2];
        float inputGain, outputGain;
        SClipper curve, safety;
    };

    void GetSettings(SSettings& settings) const;
    // Takes another kernel's settings; history and counters stay.
    void SetSettings(const SSettings& settings);

    void Process(float** ppOut, float** ppIn, float** ppAux, int, int) override;
    bool IsStateFinite() const override;

    SBiquad highPass[2] = {};
    float inputGain = 1.0f; // linear
    float outputGain = 1.0f; // linear
    // Per channel: samples the curve clipper changed, and output samples of
    // magnitude >= 1. The audio thread adds with one atomic add, any thread
    // reads and clears them by exchange; they saturate instead of wrapping.
    std::atomic<int32_t> clipCount[2] = { { 0 }, { 0 } };
    std::atomic<int32_t> overCount[2] = { { 0 }, { 0 } };
    SClipper curve; // soft with an adjustable knee, or hard at +-1.001
    SClipper safety; // hard at +-0.999
};
