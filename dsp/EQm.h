// The six-band equaliser, first module of the chain: low shelf, low and high
// mid bands, high shelf, fourth-order Bessel high cut and low cut, and an
// output gain. Each band is an analog design turned into biquads by the
// bilinear transform; a band at exactly 0 dB, a low cut below 31 Hz and a
// high cut above 19200 Hz are switched out of the kernel.
#pragma once

#include "EQmHostInterface.h"
#include "Filters.h"
#include "TEffect.h"

#include <vector>

class EQm : public TEffect {
public:
    // Points of the display curve: 20 Hz to 20 kHz, logarithmically spaced.
    static constexpr int kCurvePoints = 313;

    // Chain-wide parameter indices this module owns (13 and above are
    // ignored).
    enum EParameter {
        kHighShelfFreq = 0, // Hz
        kHighShelfGain = 1, // dB
        kHighMidFreq = 2, // Hz, stored prewarped
        kHighMidGain = 3, // dB
        kHighMidQ = 4, // 1.15 ("Low Q") or 0.6 ("High Q")
        kLowMidFreq = 5,
        kLowMidGain = 6,
        kLowMidQ = 7,
        kLowShelfFreq = 8, // Hz
        kLowShelfGain = 9, // dB
        kLowCutFreq = 10, // Hz, below 31 off
        kHighCutFreq = 11, // Hz, above 19200 off
        kOutputGain = 12, // dB
        kNrOfParameters = 13
    };

    // nChannels is 1 or 2.
    EQm(float fSampleRate, int nChannels);
    ~EQm() override;

    HostDSP* GetHostDSP() override;
    void Reset() override;
    // Redesigns every band for the new rate from the stored values; the mid
    // frequencies keep the prewarp of the rate at which they were set.
    void Setup(float fSampleRate, int nChannels, int nFlag) override;
    void SetParameter(int nIndex, float fValue) override;
    float SetParameterStep(int nIndex, int nStep) override;
    float LookupStep(int nIndex, int nStep) override;

    // The magnitude (dB) of all switched-in bands, without the output gain,
    // at the kCurvePoints display frequencies.
    void GetCurve(float* pCurve) const;

private:
    void DesignHighShelf();
    void DesignHighMid();
    void DesignLowMid();
    void DesignLowShelf();
    void DesignLowCut();
    void DesignHighCut();
    void ComputeCurveTables();

    // Analog prototype records.
    SPrototype2 mLowShelf {};
    SPrototype2 mLowMid {};
    SPrototype2 mHighMid {};
    SPrototype2 mHighShelf {};
    SPrototype2 mLowCut1 {};
    SPrototype2 mLowCut2 {};
    SPrototype2 mHighCut1 {};
    SPrototype2 mHighCut2 {};

    // Parameter values in engineering units.
    float mfHighShelfFreq = 5000.0f;
    float mfHighShelfGain = 0.0f;
    float mfHighMidFreq = 2000.0f; // prewarped (the default as is)
    float mfHighMidGain = 0.0f;
    float mfHighMidQ = 1.15f;
    float mfLowMidFreq = 500.0f; // prewarped (the default as is)
    float mfLowMidGain = 0.0f;
    float mfLowMidQ = 1.15f;
    float mfLowShelfFreq = 120.0f;
    float mfLowShelfGain = 0.0f;
    float mfHighCutFreq = 25000.0f; // off
    float mfLowCutFreq = 10.0f; // off

    EQmHostInterface* mpInterface;

    // cos w, sin w, cos 2w, sin 2w of the display frequencies.
    std::vector<float> mfCurveCos;
    std::vector<float> mfCurveSin;
    std::vector<float> mfCurveCos2;
    std::vector<float> mfCurveSin2;

    int mnSampleRate = 0; // truncated
};
