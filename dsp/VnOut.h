// The output clipper, last module of the chain: input gain, curve clipper,
// a 25 Hz high-pass against the DC the clipping creates, a safety clip at
// +-0.999 and the output gain. Chain-wide parameter indices 38 to 40.
#pragma once

#include "TEffect.h"
#include "VnOutHostDSP.h"

class VnOutHostInterface : public DSPInterface {
public:
    VnOutHostInterface(); // creates the kernel, configures the safety clip, resets
    // Clears the high-pass history of both channels and the four counters.
    void Reset() override;

    // Bilinear transform into the channels' sections (a design that cannot
    // be made keeps the previous coefficients).
    void SetHighPass(const SPrototype2& prototype);
    void SetInputGain(float fGain);
    void SetOutputGain(float fGain);
    // SClipper::Configure arguments for the curve clipper.
    void SetCurve(int nMode, float p1, float p2, float p3, float p4);

    VnOutHostDSP* Kernel() const { return static_cast<VnOutHostDSP*>(dsp); }
};

class VnOut : public TEffect {
public:
    VnOut(float fSampleRate, int nChannels);
    ~VnOut() override;

    HostDSP* GetHostDSP() override;
    void Reset() override;
    void Setup(float fSampleRate, int nChannels, int nFlag) override;
    void SetParameter(int nIndex, float fValue) override;
    float SetParameterStep(int nIndex, int nStep) override;
    // 3 and 4: samples clipped by the curve in channel 0 and 1; 5 and 6:
    // output samples at or above full scale in channel 0 and 1. Each read
    // clears the counter it returns.
    float GetMeter(int nWhich) override;
    float LookupStep(int nIndex, int nStep) override;

    VnOutHostDSP* Kernel() const { return mpInterface->Kernel(); }

private:
    SPrototype2 mHighPass = {};
    VnOutHostInterface* mpInterface;
};
