// The three-band limiter: a crossover whose bands sum back to the input,
// per-band gain reduction linked across the channels, a fixed soft overload
// clipper and the output gain. Chain-wide parameter indices 20 to 37.
#pragma once

#include "ML2HostDSP.h"
#include "TEffect.h"

// Copies designs into the limiter's kernel. Keeps the sample rate, from
// which it derives the release factors.
class ML2HostInterface : public DSPInterface {
public:
    ML2HostInterface(); // creates the kernel, configures the overload clipper, resets
    void Setup(float fSampleRate, int nChannels, int nFlag) override;
    // Clears the filter history, sets r1 = r2 = r3 = 0.02 and the gain hold
    // to 1000 (the meter then reads -60 dB).
    void Reset() override;

    // Bilinear transforms of the three band records into the channels'
    // sections. A record that cannot be designed (non-positive or
    // non-finite frequency or rate) keeps its previous coefficients.
    void SetCrossover(const SPrototype2& low, const SPrototype2& mid, const SPrototype1& high);
    void SetAttack(float fFactor1, float fStep2, float fStep3);
    // Release times in seconds of the three bands (the state falls by a
    // factor of 100 in that time); a factor that is not finite keeps its
    // previous value.
    void SetRelease(double fTime1, double fTime2, double fTime3);
    void SetThresholds(float fTheta1, float fTheta2, float fTheta3);
    void SetGains(float fDrive, float fG1, float fG2, float fG3);
    void SetOutputGain(float fGain);

    ML2HostDSP* Kernel() const { return static_cast<ML2HostDSP*>(dsp); }

private:
    int SectionCount() const;
};

class ML2 : public TEffect {
public:
    ML2(float fSampleRate, int nChannels);
    ~ML2() override;

    HostDSP* GetHostDSP() override;
    void Reset() override;
    // Redesigns, in order: gains, thresholds, attack constants, release
    // factors, crossover. The band states stay.
    void Setup(float fSampleRate, int nChannels, int nFlag) override;
    void SetParameter(int nIndex, float fValue) override;
    float SetParameterStep(int nIndex, int nStep) override;
    // Deepest average gain reduction since the last read, in dB (positive);
    // the read restarts the hold, so a read with no block since gives -60.
    float GetMeter(int nWhich) override;
    float LookupStep(int nIndex, int nStep) override;

    ML2HostDSP* Kernel() const { return mpInterface->Kernel(); }

private:
    void UpdateGains();
    void UpdateThresholds();
    void UpdateAttack();
    void UpdateRelease();
    void UpdateCrossover();

    SPrototype2 mLow = {};
    SPrototype2 mMid = {};
    SPrototype1 mHigh = {};
    float T1 = 0.0f, T2 = 0.0f, T3 = 0.0f; // band thresholds, dB
    float G1 = 0.0f, G2 = 0.0f, G3 = 0.0f; // band gains, dB
    float inputDrive = 0.0f; // dB
    float overload = 0.0f; // dB, added to every threshold
    float release = 1.0f; // seconds
    // Crossover frequencies in rad/s. The host passes its crossover values
    // (30..1900 and 1000..20400) unconverted, so they act as rad/s; the
    // defaults are 6.283 x 200 and 6.283 x 2400.
    float w1 = 1256.6f;
    float w2 = 15079.2f;
    ML2HostInterface* mpInterface;
};
