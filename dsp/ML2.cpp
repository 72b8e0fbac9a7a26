#include "ML2.h"

#include "StepTable.h"

#include <algorithm>
#include <cmath>

namespace {

// Chain-wide parameter indices of the limiter.
enum {
    kDrive = 20,
    kOverload = 21,
    kRelease = 22,
    kCrossover1 = 23,
    kCrossover2 = 24,
    kGain1 = 25,
    kThreshold1 = 26,
    kGain2 = 29,
    kThreshold2 = 30,
    kGain3 = 33,
    kThreshold3 = 34,
    kOutput = 37,
};

// Levels on which the band detectors act at 0 dB threshold: bands 1 and 2,
// and band 3.
constexpr double kThresholdScaleLowMid = 0.4048583;
constexpr double kThresholdScaleHigh = 0.3496503;
// Fixed trim of the output gain.
constexpr double kOutputTrim = 0.995;
// Release time of each band as a share of the release parameter.
constexpr double kReleaseShare1 = 0.95;
constexpr double kReleaseShare2 = 0.6;
constexpr double kReleaseShare3 = 0.5;
// State of every band after a reset, and the gain hold after a meter read.
constexpr float kStartState = 0.02f;
constexpr float kHoldStart = 1000.0f;

double DbToGain(double fDb)
{
    return std::pow(10.0, fDb * 0.05);
}

// Stores a value into a kernel word unless it is not a finite float.
void StoreFinite(float& fField, double fValue)
{
    const float f = static_cast<float>(fValue);
    if (std::isfinite(f))
        fField = f;
}

const CStepTable& GainSteps() // 20, 25, 29, 33, 37
{
    static const CStepTable table(
        { { 0, 1, -18, 0 }, { 2, 19, -17.5, 0.5 }, { 20, 109, -8.8, 0.2 }, { 110, 127, 9.5, 0.5 } });
    return table;
}

const CStepTable& OverloadSteps() // 21
{
    static const CStepTable table(
        { { 0, 1, -5, 0 }, { 2, 38, -4.9, 0.1 }, { 39, 90, -1.25, 0.05 }, { 91, 127, 1.4, 0.1 } });
    return table;
}

const CStepTable& ReleaseSteps() // 22
{
    static const CStepTable table(
        { { 0, 32, 0.2, 0.01 }, { 33, 64, 0.535, 0.015 }, { 65, 96, 1.03, 0.03 }, { 97, 127, 2.01, 0.05 } });
    return table;
}

const CStepTable& Crossover1Steps() // 23
{
    static const CStepTable table(
        { { 0, 48, 30, 2 }, { 49, 63, 130, 5 }, { 64, 93, 210, 10 }, { 94, 118, 520, 20 }, { 119, 127, 1100, 100 } });
    return table;
}

const CStepTable& Crossover2Steps() // 24
{
    static const CStepTable table({ { 0, 20, 1000, 50 }, { 21, 50, 2100, 100 }, { 51, 127, 5200, 200 } });
    return table;
}

const CStepTable& ThresholdSteps() // 26, 30, 34
{
    static const CStepTable table(
        { { 0, 1, -12, 0 }, { 2, 58, -11.8, 0.2 }, { 59, 70, -0.5, 0.1 }, { 71, 127, 0.8, 0.2 } });
    return table;
}

} // namespace

// --- ML2HostInterface ------------------------------------------------------

ML2HostInterface::ML2HostInterface()
{
    dsp = new ML2HostDSP;
    Kernel()->overload.Configure(SClipper::kSoft, 1.0f, -1.0f, 0.577f, -0.577f);
    Reset();
}

void ML2HostInterface::Setup(float fSampleRate, int nChannels, int nFlag)
{
    DSPInterface::Setup(fSampleRate, nChannels, nFlag);
    sampleRate = fSampleRate;
}

void ML2HostInterface::Reset()
{
    ML2HostDSP& k = *Kernel();
    for (int ch = 0; ch < 2; ++ch) {
        dsp::ClearHistory(k.low[ch]);
        dsp::ClearHistory(k.mid[ch]);
        dsp::ClearHistory(k.high[ch]);
    }
    k.r1 = k.r2 = k.r3 = kStartState;
    k.gainHold.store(kHoldStart, std::memory_order_relaxed);
}

int ML2HostInterface::SectionCount() const
{
    return std::clamp(channels, 1, 2);
}

void ML2HostInterface::SetCrossover(const SPrototype2& low, const SPrototype2& mid, const SPrototype1& high)
{
    // Only a design with positive rate and positive frequencies is stable;
    // anything else keeps the whole previous crossover so the bands still
    // sum to the input.
    auto isStable2 = [](const SPrototype2& p) { return p.fs > 0.0f && p.a1 > 0.0f && p.a0 > 0.0f; };
    if (!isStable2(low) || !isStable2(mid) || !(high.fs > 0.0f && high.a0 > 0.0f) || !std::isfinite(low.fs))
        return;
    ML2HostDSP& k = *Kernel();
    const int nSections = SectionCount();
    SBiquad newLow[2] = { k.low[0], k.low[1] };
    SBiquad newMid[2] = { k.mid[0], k.mid[1] };
    SFirstOrder newHigh[2] = { k.high[0], k.high[1] };
    if (!dsp::Bilinear(low, newLow, nSections) || !dsp::Bilinear(mid, newMid, nSections)
        || !dsp::Bilinear(high, newHigh, nSections))
        return;
    for (int ch = 0; ch < nSections; ++ch) {
        k.low[ch] = newLow[ch];
        k.mid[ch] = newMid[ch];
        k.high[ch] = newHigh[ch];
    }
}

void ML2HostInterface::SetAttack(float fFactor1, float fStep2, float fStep3)
{
    ML2HostDSP& k = *Kernel();
    k.attack1 = fFactor1;
    k.attack2 = fStep2;
    k.attack3 = fStep3;
}

void ML2HostInterface::SetRelease(double fTime1, double fTime2, double fTime3)
{
    const double fs = sampleRate;
    if (!(fs > 0.0) || !std::isfinite(fs))
        return;
    // rho = 10^(-(2 / fs) / t): the state falls by a factor of 100 in t
    // seconds. A factor above 1 (negative time) would grow the state without
    // signal and is refused like a non-finite one.
    ML2HostDSP& k = *Kernel();
    float* pFactors[3] = { &k.rho1, &k.rho2, &k.rho3 };
    const double times[3] = { fTime1, fTime2, fTime3 };
    for (int i = 0; i < 3; ++i) {
        const float fRho = static_cast<float>(std::pow(10.0, -(2.0 / fs) / times[i]));
        if (std::isfinite(fRho) && fRho <= 1.0f)
            *pFactors[i] = fRho;
    }
}

void ML2HostInterface::SetThresholds(float fTheta1, float fTheta2, float fTheta3)
{
    ML2HostDSP& k = *Kernel();
    StoreFinite(k.theta1, fTheta1);
    StoreFinite(k.theta2, fTheta2);
    StoreFinite(k.theta3, fTheta3);
}

void ML2HostInterface::SetGains(float fDrive, float fG1, float fG2, float fG3)
{
    ML2HostDSP& k = *Kernel();
    StoreFinite(k.drive, fDrive);
    StoreFinite(k.g1, fG1);
    StoreFinite(k.g2, fG2);
    StoreFinite(k.g3, fG3);
}

void ML2HostInterface::SetOutputGain(float fGain)
{
    StoreFinite(Kernel()->outputGain, fGain);
}

// --- ML2 -------------------------------------------------------------------

ML2::ML2(float fSampleRate, int nChannels)
    : mpInterface(new ML2HostInterface)
{
    UpdateGains();
    Setup(fSampleRate, nChannels, -1);
}

ML2::~ML2()
{
    delete mpInterface;
}

HostDSP* ML2::GetHostDSP()
{
    return mpInterface->dsp;
}

void ML2::Reset()
{
    mpInterface->Reset();
}

void ML2::Setup(float fSampleRate, int nChannels, int nFlag)
{
    (void)nFlag;
    mpInterface->Setup(fSampleRate, nChannels, -1);
    mLow.fs = fSampleRate;
    mMid.fs = fSampleRate;
    mHigh.fs = fSampleRate;
    UpdateGains();
    UpdateThresholds();
    UpdateAttack();
    UpdateRelease();
    UpdateCrossover();
}

void ML2::UpdateGains()
{
    mpInterface->SetGains(static_cast<float>(DbToGain(inputDrive)), static_cast<float>(DbToGain(G1)),
        static_cast<float>(DbToGain(G2)), static_cast<float>(DbToGain(G3)));
}

void ML2::UpdateThresholds()
{
    const double fOverload = overload;
    mpInterface->SetThresholds(static_cast<float>(DbToGain(T1 + fOverload) * kThresholdScaleLowMid),
        static_cast<float>(DbToGain(T2 + fOverload) * kThresholdScaleLowMid),
        static_cast<float>(DbToGain(T3 + fOverload) * kThresholdScaleHigh));
}

void ML2::UpdateAttack()
{
    mpInterface->SetAttack(1.004f, 0.007f, 0.03f);
}

void ML2::UpdateRelease()
{
    const double fRelease = release;
    mpInterface->SetRelease(kReleaseShare1 * fRelease, kReleaseShare2 * fRelease, kReleaseShare3 * fRelease);
}

void ML2::UpdateCrossover()
{
    // L(s) = w1 w2 / D(s), M(s) = w2 s / D(s), H(s) = s / (s + w2) with
    // D(s) = s^2 + (w1 + w2) s + w1 w2: L + M + H = 1.
    const float fProduct = static_cast<float>(static_cast<double>(w1) * w2);
    const float fSum = static_cast<float>(static_cast<double>(w1) + w2);
    mLow.b2 = 0.0f;
    mLow.b1 = 0.0f;
    mLow.b0 = fProduct;
    mLow.a2 = 1.0f;
    mLow.a1 = fSum;
    mLow.a0 = fProduct;
    mMid.b2 = 0.0f;
    mMid.b1 = w2;
    mMid.b0 = 0.0f;
    mMid.a2 = 1.0f;
    mMid.a1 = fSum;
    mMid.a0 = fProduct;
    mHigh.b1 = 1.0f;
    mHigh.b0 = 0.0f;
    mHigh.a1 = 1.0f;
    mHigh.a0 = w2;
    mpInterface->SetCrossover(mLow, mMid, mHigh);
}

void ML2::SetParameter(int nIndex, float fValue)
{
    switch (nIndex) {
    case kDrive:
        inputDrive = fValue;
        UpdateGains();
        break;
    case kOverload:
        overload = fValue;
        UpdateThresholds();
        break;
    case kRelease:
        release = fValue;
        UpdateRelease();
        break;
    case kCrossover1:
        w1 = fValue;
        UpdateCrossover();
        break;
    case kCrossover2:
        w2 = fValue;
        UpdateCrossover();
        break;
    case kGain1:
        G1 = fValue;
        UpdateGains();
        break;
    case kThreshold1:
        T1 = fValue;
        UpdateThresholds();
        break;
    case kGain2:
        G2 = fValue;
        UpdateGains();
        break;
    case kThreshold2:
        T2 = fValue;
        UpdateThresholds();
        break;
    case kGain3:
        G3 = fValue;
        UpdateGains();
        break;
    case kThreshold3:
        T3 = fValue;
        UpdateThresholds();
        break;
    case kOutput: mpInterface->SetOutputGain(static_cast<float>(DbToGain(fValue) * kOutputTrim)); break;
    default: // 27, 28, 31, 32, 35, 36 are accepted and change nothing
        break;
    }
}

float ML2::SetParameterStep(int nIndex, int nStep)
{
    const float fValue = LookupStep(nIndex, nStep);
    SetParameter(nIndex, fValue);
    return fValue;
}

float ML2::LookupStep(int nIndex, int nStep)
{
    switch (nIndex) {
    case kDrive:
    case kGain1:
    case kGain2:
    case kGain3:
    case kOutput: return GainSteps()[nStep];
    case kOverload: return OverloadSteps()[nStep];
    case kRelease: return ReleaseSteps()[nStep];
    case kCrossover1: return Crossover1Steps()[nStep];
    case kCrossover2: return Crossover2Steps()[nStep];
    case kThreshold1:
    case kThreshold2:
    case kThreshold3: return ThresholdSteps()[nStep];
    case 27:
    case 28:
    case 31:
    case 32:
    case 35:
    case 36: // unused controls: step k is k / 127
        return static_cast<float>(std::clamp(nStep, 0, kNrOfSteps - 1) / 127.0);
    default: return 0.0f;
    }
}

float ML2::GetMeter(int nWhich)
{
    (void)nWhich;
    const float fHold = Kernel()->gainHold.exchange(kHoldStart, std::memory_order_relaxed);
    return static_cast<float>(-20.0 * std::log10(fHold));
}
