// The processing chain's front: the one object through which the mastering
// process drives all signal processing. It owns the chain kernel and the
// block adapter, routes parameters and meter reads to the modules and keeps
// a copy of every parameter.
#pragma once

#include "BlockAdapter.h"
#include "ChainSnapshot.h"
#include "VnBase.h"
#include "VnSystemProc.h"

// Equaliser bands as DisableEqBand numbers them.
enum EEqBand { kLowCutBand = 0, kLowShelfBand, kLowMidBand, kHighMidBand, kHighShelfBand, kHighCutBand };

constexpr int kEqCurvePoints = 313;

class VnSystem : public VnBase {
public:
    // One or two channels (other counts are clamped to that range).
    VnSystem(float fSampleRate, int nChannels);
    ~VnSystem() override;

    void Reset() override;
    void Setup(float fSampleRate, int nChannels, int nFlag) override;
    void SetParameter(int nIndex, float fValue) override;
    float SetParameterStep(int nIndex, int nStep) override;
    // Delays every sample by exactly 64 samples, whatever nFrames is.
    void Process(float** ppOut, float** ppIn, int nFrames, float** ppTraces) override;
    void SetOrder(const int* pnOrder) override;
    void SetBypass(const int* pnBypass) override;
    // 0, 1: compressor reduction (dB); 2: limiter reduction (dB); 3..6: clip
    // and over counters of the output clipper. Every read clears what it reads.
    float GetMeter(int nWhich) override;
    float LookupStep(int nIndex, int nStep) override;

    // Neutralises one equaliser band without touching the stored values.
    void DisableEqBand(int nBand);
    // The equaliser's magnitude in dB at 313 frequencies, 20 Hz to 20 kHz.
    void GetEqCurve(float* pCurve);

    // Copies what the modules' designs put into the kernels, with the order,
    // the bypass flags and nChannels (1 or 2; the sections of both channels
    // are copied whatever the count).
    void CaptureSettings(SChainSnapshot& snapshot, int nChannels) const;
    // Runs from now on with a captured design: coefficients, gains, order,
    // bypass and channel count change; signal history, detector states and
    // meters stay. Allocates nothing and takes no lock (the audio thread
    // calls it between two blocks). The modules' own parameter values are
    // not part of a snapshot.
    void AdoptSettings(const SChainSnapshot& snapshot);

    // The modules, for tests and meters: identifier order.
    TEffect* GetModule(int nModule) { return mpProc->mpModules[nModule]; }

    // The latency of the chain in samples.
    static constexpr int kLatency = kBlockSize;

private:
    static int ClampChannels(int nChannels) { return nChannels < 1 ? 1 : (nChannels > 2 ? 2 : nChannels); }
    TEffect* Owner(int nIndex);

    VnSystemProc* mpProc;
    BlockAdapter* mpAdapter;
};
