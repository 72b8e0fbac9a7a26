// Kernel of the three-band limiter: crossover, linked per-band gain
// reduction, overload clipper and output gain, one 64-sample block per call.
#pragma once

#include "Clipper.h"
#include "Filters.h"
#include "HostDSP.h"

#include <atomic>

class ML2HostDSP : public HostDSP {
public:
    // What the user-interface side designs: coefficients, gains, thresholds
    // and release factors, without band states, history or meter.
    struct SSettings {
        SBiquad low[2], mid[2];
        SFirstOrder high[2];
        SClipper overload;
        float outputGain, drive;
        float attack1, attack2, attack3;
        float g1, g2, g3;
        float theta1, theta2, theta3;
        float rho1, rho2, rho3;
    };

    ML2HostDSP();
    ~ML2HostDSP() override;

    void GetSettings(SSettings& settings) const;
    // Takes another kernel's settings; band states, history and meter stay.
    void SetSettings(const SSettings& settings);

    // Channels 0 and 1 (or channel 0 alone) from ppIn to ppOut; the average
    // band gain of every sample goes to ppAux[1].
    void Process(float** ppOut, float** ppIn, float** ppAux, int, int) override;
    bool IsStateFinite() const override;

    // Crossover: low-pass, band-pass and high-pass of two channels each.
    SBiquad low[2] = {};
    SBiquad mid[2] = {};
    SFirstOrder high[2] = {};

    // Gain-reduction state of each band, shared by both channels; the band's
    // gain is drive / (1 + r).
    float r1 = 0.0f, r2 = 0.0f, r3 = 0.0f;

    // Six aligned band blocks: low, mid and high of channel 0 and channel 1
    // (all three bands are filtered in one pass).
    float* mpBands;
    SClipper overload; // fixed soft clip: outputs +-1, knees +-0.577

    float outputGain = 0.995f; // linear, includes the fixed 0.995 trim
    float drive = 1.0f; // linear input drive
    float attack1 = 1.004f; // band 1: r grows by this factor per sample over threshold
    float attack2 = 0.007f; // band 2: r grows by this step ...
    float attack3 = 0.03f; // band 3: ... and this one
    float g1 = 1.0f, g2 = 1.0f, g3 = 1.0f; // band output gains (linear)
    float theta1 = 1.0f, theta2 = 1.0f, theta3 = 1.0f; // thresholds (linear)
    float rho1 = 1.0f, rho2 = 1.0f, rho3 = 1.0f; // per-sample release factors

    // Smallest block-end average gain since the meter was last read. Lowered
    // by the audio thread, read and reset by exchange from any thread.
    std::atomic<float> gainHold { 1000.0f };

private:
    float* mpTrace; // stands in for ppAux[1] when the caller passes none
};
