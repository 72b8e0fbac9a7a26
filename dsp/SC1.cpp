#include "SC1.h"

#include "StepTable.h"

#include <cmath>

namespace {

const CStepTable kAttackSteps({ { 0, 114, 0.011, 0.0005 }, { 115, 127, 0.069, 0.001 } });
const CStepTable kReleaseSteps({ { 0, 127, 0.3, 0.1 } });
// Input drive and output share one table.
const CStepTable kGainSteps(
    { { 0, 1, -18.0, 0.0 }, { 2, 19, -17.5, 0.5 }, { 20, 109, -8.8, 0.2 }, { 110, 127, 9.5, 0.5 } });
const CStepTable kEnhancerSteps(
    { { 0, 1, -5.0, 0.0 }, { 2, 38, -4.9, 0.1 }, { 39, 90, -1.25, 0.05 }, { 91, 127, 1.4, 0.1 } });
const CStepTable kRatioSteps({ { 0, 127, 1.5, 0.025 } });
const CStepTable kSideChainSteps({ { 0, 68, 32.0, 1.0 }, { 69, 127, 102.0, 2.0 } });

// dB to a linear factor.
double FromDb(double fDb)
{
    return std::pow(10.0, 0.05 * fDb);
}

bool IsPositive(float f)
{
    return f > 0.0f && std::isfinite(f);
}

} // namespace

SC1::SC1(float fSampleRate, int nChannels)
    : mfSampleRate(fSampleRate)
    , mLowPass {}
    , mBranchA {}
    , mBranchB {}
    , mSideChain {}
    , mfAttack(0.02f)
    , mfRelease(3.0f)
    , mfDrive(6.0f)
    , mfEnhancer(0.0f)
    , mfRatio(3.0f)
    , mfSideChainFrequency(110.0f)
    , mpInterface(new SC1HostInterface)
{
    mpInterface->SetOutputGain(1.0f);
    Setup(fSampleRate, nChannels, -1);
}

SC1::~SC1()
{
    delete mpInterface;
}

HostDSP* SC1::GetHostDSP()
{
    return mpInterface->dsp;
}

void SC1::Reset()
{
    mpInterface->Reset();
}

void SC1::Setup(float fSampleRate, int nChannels, int nFlag)
{
    (void)nFlag;
    mpInterface->Setup(fSampleRate, nChannels, -1);
    mfSampleRate = fSampleRate;
    mLowPass.fs = mBranchA.fs = mBranchB.fs = mSideChain.fs = fSampleRate;
    DesignTimingNetwork();
    DesignDrives();
    DesignK();
    DesignSideChain();
}

void SC1::SetParameter(int nIndex, float fValue)
{
    switch (nIndex) {
    case kAttack:
        mfAttack = fValue;
        DesignTimingNetwork();
        break;
    case kRelease:
        mfRelease = fValue;
        DesignTimingNetwork();
        break;
    case kDrive:
        mfDrive = fValue;
        DesignDrives();
        break;
    case kEnhancer:
        mfEnhancer = fValue;
        DesignDrives();
        break;
    case kRatio:
        mfRatio = fValue;
        DesignK();
        break;
    case kSideChain:
        mfSideChainFrequency = fValue;
        DesignSideChain();
        break;
    case kOutput: mpInterface->SetOutputGain(static_cast<float>(FromDb(fValue))); break;
    default: break;
    }
}

float SC1::SetParameterStep(int nIndex, int nStep)
{
    const float fValue = LookupStep(nIndex, nStep);
    SetParameter(nIndex, fValue);
    return fValue;
}

float SC1::LookupStep(int nIndex, int nStep)
{
    switch (nIndex) {
    case kAttack: return kAttackSteps[nStep];
    case kRelease: return kReleaseSteps[nStep];
    case kDrive:
    case kOutput: return kGainSteps[nStep];
    case kEnhancer: return kEnhancerSteps[nStep];
    case kRatio: return kRatioSteps[nStep];
    case kSideChain: return kSideChainSteps[nStep];
    default: return 0.0f;
    }
}

float SC1::GetMeter(int nWhich)
{
    (void)nWhich;
    SC1Detector& detector = mpInterface->Kernel()->mDetectors[0];
    // 1000 reads as -60 dB until the next block lowers the hold again.
    const float fHold = detector.gainHold.exchange(1000.0f, std::memory_order_relaxed);
    return static_cast<float>(-20.0 * std::log10(fHold));
}

// The timing network: attack and release set the two resistors of an RC
// network (R1 = attack * 625 kOhm/s, R2 = release * 212.766 kOhm/s) whose
// response factors into a common low-pass at pA and two branch sections with
// a pole at pB. Branch A releases at 1250 dB/s, branch B by 40 dB per tau
// (tau = R2 * 4.7 uF).
void SC1::DesignTimingNetwork()
{
    // A zero attack, release or rate has no network; keep the previous one.
    if (!IsPositive(mfAttack) || !IsPositive(mfRelease) || !IsPositive(mfSampleRate))
        return;
    const float fs = mfSampleRate;
    const float R1 = static_cast<float>(mfAttack * 625000.0);
    const double R2 = mfRelease * 212765.97;
    const double P = R1 * R2;
    const double V = 1.0 / (P * 1.504e-7);
    const float tau = static_cast<float>(R2 * 4.7e-6);
    const double S = ((tau + 0.032) * R1 + R2 * 0.126) * V;
    const float fSRounded = static_cast<float>(S);
    const double fDiscriminant = S * fSRounded - (R2 + R1 + 20000.0) * V * 4.0;
    // A negative discriminant means coincident poles.
    const double fRoot = fDiscriminant < 0.0 ? 0.0 : std::sqrt(fDiscriminant);
    const float pA = static_cast<float>((fSRounded - fRoot) * 0.5);
    const float pB = static_cast<float>((fSRounded + fRoot) * 0.5);

    const SPrototype1 lowPass { fs, 0.0f, pA, 1.0f, pA };
    const float fPRounded = static_cast<float>(P);
    const SPrototype1 branchA { fs, static_cast<float>(1.0 / (R1 * 1.6e-6 * pA)),
        static_cast<float>(1.0 / (fPRounded * 7.52e-12 * pA)), 1.0f, pB };
    const SPrototype1 branchB { fs, static_cast<float>(1.0 / (R1 * 4.7e-6 * pA)),
        static_cast<float>(1.0 / (R1 * 1.504e-7 * pA)), 1.0f, pB };
    const double fReleaseA = std::pow(10.0, -62.5 / fs);
    const double fReleaseB = std::pow(10.0, -(2.0 / fs) / tau);
    if (mpInterface->SetTimingNetwork(lowPass, branchA, branchB, fReleaseA, fReleaseB)) {
        mLowPass = lowPass;
        mBranchA = branchA;
        mBranchB = branchB;
    }
}

// The side detector gets +6 dB more drive and its result -6 dB less level, so
// with the enhancer at 0 dB the two cancel while nothing compresses; the
// enhancer raises the side by 0.8 e through the level and 0.2 e through the
// drive.
void SC1::DesignDrives()
{
    const double fMidDrive = FromDb(mfDrive);
    const double fSideDrive = FromDb(mfDrive + 0.2 * mfEnhancer + 6.0);
    const float fSideLevel = static_cast<float>(FromDb(0.8 * mfEnhancer - 6.0));
    mpInterface->SetDrives(fMidDrive, fSideDrive, fSideLevel);
}

void SC1::DesignK()
{
    mpInterface->SetK(mfRatio - 0.5);
}

// H(s) = g (s + 200) / (s + w): a shelf with a zero at 200 rad/s, a pole at the
// set frequency and a high-frequency gain of 384.6154 / w.
void SC1::DesignSideChain()
{
    if (!IsPositive(mfSideChainFrequency) || !IsPositive(mfSampleRate))
        return;
    const double w = 6.283 * mfSideChainFrequency;
    const double g = (200.0 / w) * 1.923077;
    const double fInverseG = 1.0 / g;
    const SPrototype1 highPass { mfSampleRate, 1.0f, 200.0f, static_cast<float>(fInverseG),
        static_cast<float>(fInverseG * w) };
    if (mpInterface->SetSideChain(highPass))
        mSideChain = highPass;
}
