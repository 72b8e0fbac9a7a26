// Kernel of the compressor: two feedback level detectors (mid and side, or
// one channel) modelling an analog two-branch timing network.
#pragma once

#include "HostDSP.h"

#include <atomic>

// A first-order section of a detector in double precision.
struct SC1Section {
    double B0, B1, A1;
    double x1, y1;
};

// One feedback detector: 28 doubles (state and ready coefficients) and the
// float gain hold. The envelope is Aout + Bout; the gain is 1 - envelope * k.
struct SC1Detector {
    double Aout, Bout; // branch outputs carried between blocks
    double drive; // linear input gain
    double k; // ratio - 0.5
    SC1Section sideChain; // high-pass shelf on the detector's own output
    double B0, B1, A1; // common low-pass of both branches
    double xA1, yA1; // branch A low-pass history
    double xB1, yB1; // branch B low-pass history
    SC1Section branchA; // output sections; y1 mirrors the carried output
    SC1Section branchB;
    double releaseA, releaseB; // per-sample decay factors
    // Smallest block-end gain since the meter was read. Lowered by the audio
    // thread, read and reset by exchange from any thread.
    std::atomic<float> gainHold;
};

class SC1HostDSP : public HostDSP {
public:
    // What the user-interface side designs, per detector and for the
    // module: coefficients and gains, without history or meters.
    struct SDetectorSettings {
        double drive, k;
        double sideChain[3]; // B0, B1, A1
        double lowPass[3];
        double branchA[3];
        double branchB[3];
        double releaseA, releaseB;
    };
    struct SSettings {
        SDetectorSettings detectors[2];
        float sideLevel;
        float outputGain;
    };

    SC1HostDSP();
    ~SC1HostDSP() override;

    void GetSettings(SSettings& settings) const;
    // Takes another kernel's settings; history and meters stay.
    void SetSettings(const SSettings& settings);

    // One channel: detector 0 on in[0]. Two channels: mid/side through
    // detectors 0 (mid) and 1 (side), rebuilt as mid +- side without halving.
    // ppAux[0] receives the gain trace (the mid detector's with two channels).
    void Process(float** ppOut, float** ppIn, float** ppAux, int, int) override;

    bool IsStateFinite() const override;

    // Clears every detector's history and sets the gain holds to 1.0.
    void ClearHistory();

    float* mpMidScratch;
    float* mpSideScratch;
    float* mpMidResult;
    float* mpSideResult;
    float mfSideLevel; // linear level of the side result
    float mfOutputGain; // linear
    SC1Detector mDetectors[2]; // [0] channel 0 or mid, [1] side

private:
    float* mpSpareTrace; // trace target when the caller passes no aux block
};
