// The compressor module: a feedback compressor whose level detector models
// an analog two-branch timing network, working in mid/side on two channels.
#pragma once

#include "Filters.h"
#include "SC1HostInterface.h"
#include "TEffect.h"

class SC1 : public TEffect {
public:
    // Chain-wide parameter indices of the compressor.
    enum {
        kAttack = 13, // seconds
        kRelease = 14, // seconds
        kDrive = 15, // dB
        kEnhancer = 16, // dB, side level against mid
        kRatio = 17, // number
        kSideChain = 18, // side-chain high-pass, Hz
        kOutput = 19, // dB
    };

    SC1(float fSampleRate, int nChannels);
    ~SC1() override;

    HostDSP* GetHostDSP() override;
    void Reset() override;
    void Setup(float fSampleRate, int nChannels, int nFlag) override;
    void SetParameter(int nIndex, float fValue) override;
    float SetParameterStep(int nIndex, int nStep) override;
    // The deepest gain reduction at a block end since the last read, in dB
    // (positive when compressing, -60 when no block ran since then); the
    // read restarts the hold. The argument is ignored.
    float GetMeter(int nWhich) override;
    float LookupStep(int nIndex, int nStep) override;

private:
    void DesignTimingNetwork();
    void DesignDrives();
    void DesignK();
    void DesignSideChain();

    float mfSampleRate;
    SPrototype1 mLowPass; // common low-pass of the timing network
    SPrototype1 mBranchA; // branch A output section
    SPrototype1 mBranchB; // branch B output section
    SPrototype1 mSideChain; // side-chain high-pass shelf
    float mfAttack; // seconds
    float mfRelease; // seconds
    float mfDrive; // dB
    float mfEnhancer; // dB
    float mfRatio;
    float mfSideChainFrequency; // Hz
    SC1HostInterface* mpInterface;
};
