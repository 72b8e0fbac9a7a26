// Needle ballistics of an analogue moving-coil meter: a second-order
// low-pass (cut-off 2.1 Hz, Q 0.62) on the rectified input, run sample by
// sample. The last output is the needle value. Runs on the audio thread.
#pragma once

class CAnalogueVU {
public:
    // Starts at rest (all state 0) with the coefficients for 44100 Hz.
    CAnalogueVU();
    virtual ~CAnalogueVU();

    // Recomputes the coefficients for nRate Hz; the state runs on. A rate at
    // which 2.1 Hz is not below Nyquist (zero, negative, under 5 Hz) keeps
    // the previous coefficients.
    virtual void SetSampleRate(int nRate);
    // Needle and input history to 0; the coefficients stay.
    virtual void Reset();
    // Needle and input history at a steady fValue, as if that value had
    // been fed for a long time (a meter at rest before playback starts).
    void Settle(double fValue);
    // Feeds |(left + right) / 2| per sample pair. Returns the needle after the
    // block, or the current needle when nCount is 0 or less.
    virtual double ProcessStereo(const float* pfLeft, const float* pfRight, int nCount);
    // Feeds |sample| per sample; returns as ProcessStereo.
    virtual double ProcessMono(const float* pfSamples, int nCount);

    // Two meters, each over its own samples, in one pass: exactly the steps
    // of ProcessMono on each, interleaved so that the two recursions overlap
    // in time. The needles after the block go to fFirst and fSecond, the
    // lowest needles of the block's samples to fFirstLowest and fSecondLowest.
    static void ProcessMonoPair(CAnalogueVU& first, const float* pfFirst, CAnalogueVU& second, const float* pfSecond,
        int nCount, double& fFirst, double& fSecond, double& fFirstLowest, double& fSecondLowest);

private:
    void Step(double fX);
    // A non-finite input would hold the needle at NaN forever; start again.
    void RecoverFromNonFinite();

    double mfX1; // previous rectified inputs
    double mfX2;
    double mfY1; // previous outputs; mfY1 is the needle
    double mfY2;
    double mfA1; // feedback coefficients, normalised by a0
    double mfA2;
    double mfB0; // feed-forward coefficients; b2 equals b0
    double mfB1;
};
