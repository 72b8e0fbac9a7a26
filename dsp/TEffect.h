// The two upper layers of every module: the module front (TEffect), which
// holds parameters in engineering units and designs coefficients, and the
// interface (DSPInterface), which owns the kernel and copies designs into it.
#pragma once

#include "HostDSP.h"

class DSPInterface {
public:
    DSPInterface() = default;
    virtual ~DSPInterface() { delete dsp; }
    DSPInterface(const DSPInterface&) = delete;
    DSPInterface& operator=(const DSPInterface&) = delete;

    // Stores the channel count here and in the kernel; the flag is always -1.
    virtual void Setup(float fSampleRate, int nChannels, int nFlag)
    {
        (void)fSampleRate;
        (void)nFlag;
        channels = nChannels;
        if (dsp != nullptr)
            dsp->channels = nChannels;
    }
    // Clears every history word and sets the meters to their start values;
    // coefficients stay.
    virtual void Reset() = 0;

    int channels = 0;
    float sampleRate = 0.0f;
    HostDSP* dsp = nullptr; // owned; created by the derived interface
};

class TEffect {
public:
    TEffect() = default;
    virtual ~TEffect() = default;
    TEffect(const TEffect&) = delete;
    TEffect& operator=(const TEffect&) = delete;

    // The kernel the chain runs every block.
    virtual HostDSP* GetHostDSP() = 0;
    // Clears history (the interface's Reset).
    virtual void Reset() = 0;
    // New sample rate or channel count: redesigns every stage from the stored
    // parameters; history stays.
    virtual void Setup(float fSampleRate, int nChannels, int nFlag)
    {
        (void)fSampleRate;
        (void)nChannels;
        (void)nFlag;
    }
    // Applies a value in engineering units for a chain-wide index; indices
    // the module does not own are ignored.
    virtual void SetParameter(int nIndex, float fValue) = 0;
    // Applies step 0..127 of the index's step table and returns its value.
    virtual float SetParameterStep(int nIndex, int nStep) = 0;
    virtual float GetMeter(int nWhich)
    {
        (void)nWhich;
        return 0.0f;
    }
    // The value of a step without applying it (0.0 for indices not owned).
    virtual float LookupStep(int nIndex, int nStep) = 0;
};
