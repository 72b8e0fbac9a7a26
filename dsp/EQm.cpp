#include "EQm.h"

#include "StepTable.h"

#include <cmath>

namespace {

// Single-precision constants of the designs.
constexpr float kPrewarpPi = 3.14f;
constexpr float kPrewarpScale = 0.3184713f; // 1 / 3.14
// Shelf exponents: the double zero lies 10/87 octave per dB below the
// corner and the second pole 4.5/87 octave per dB above that zero, so the
// shelf reaches 2^(g/6) (1.0034 g dB).
constexpr float kShelfPoleExponent = 0.1149425283f;
constexpr float kShelfZeroExponent = 0.0517241359f;
// The fourth-order Bessel polynomial as two quadratic factors
// (s^2 + 5.7924 s + 9.1401)(s^2 + 4.2076 s + 11.4878).
constexpr float kBesselC1 = 9.1401f;
constexpr float kBesselB1 = 5.7924f;
constexpr float kBesselC2 = 11.4878f;
constexpr float kBesselB2 = 4.2076f;

// The written prewarp tan(3.14 f / fs) fs / 3.14 of the mid bands and the
// high cut passes pi/2 where a setting nears fs / 2 (below about 40 kHz for
// the top settings): the tangent turns negative or infinite and the design
// puts its poles in the right half plane. Only there is the design frequency
// limited to 0.45 fs (tan(1.413) = 6.2, a stable design): a mid band set to
// 20000 Hz sits at 14400 Hz at 32 kHz, a high cut of 19200 Hz at 32 kHz cuts
// from 14400 Hz. At 44.1 kHz and above every setting is designed as written.
constexpr double kDesignLimit = 0.45;
constexpr double kHalfPi = 1.5707963267948966;

// tan(x) fs / 3.14 for the prewarp argument x = 3.14 f / fs, or, where x has
// passed pi/2 or the result is not a positive finite frequency, the same for
// the limit 0.45 fs.
double Prewarp(double x, float fs)
{
    const double fw = std::tan(x) * fs * kPrewarpScale;
    if (x < kHalfPi && fw > 0.0 && std::isfinite(static_cast<float>(fw)))
        return fw;
    return std::tan(kPrewarpPi * kDesignLimit) * fs * kPrewarpScale;
}

const CStepTable kHighFrequencySteps({ { 0, 20, 1000, 50 }, { 21, 50, 2100, 100 }, { 51, 127, 5200, 200 } });
const CStepTable kBandGainSteps(
    { { 0, 1, -15, 0 }, { 2, 9, -14.5, 0.5 }, { 10, 119, -10.8, 0.2 }, { 120, 127, 11.5, 0.5 } });
const CStepTable kMidFrequencySteps(
    { { 0, 17, 15, 5 }, { 18, 62, 120, 20 }, { 63, 107, 1200, 200 }, { 108, 127, 10500, 500 } });
// Steps 0-63 are "Low Q", 64-127 "High Q".
const CStepTable kQSteps({ { 0, 63, 1.15, 0 }, { 64, 127, 0.6, 0 } });
const CStepTable kLowFrequencySteps(
    { { 0, 48, 30, 2 }, { 49, 63, 130, 5 }, { 64, 93, 210, 10 }, { 94, 118, 520, 20 }, { 119, 127, 1100, 100 } });
const CStepTable kOutputGainSteps(
    { { 0, 1, -18, 0 }, { 2, 19, -17.5, 0.5 }, { 20, 109, -8.8, 0.2 }, { 110, 127, 9.5, 0.5 } });

const CStepTable* StepTableOf(int nIndex)
{
    switch (nIndex) {
    case EQm::kHighShelfFreq:
    case EQm::kHighCutFreq: return &kHighFrequencySteps;
    case EQm::kHighShelfGain:
    case EQm::kHighMidGain:
    case EQm::kLowMidGain:
    case EQm::kLowShelfGain: return &kBandGainSteps;
    case EQm::kHighMidFreq:
    case EQm::kLowMidFreq: return &kMidFrequencySteps;
    case EQm::kHighMidQ:
    case EQm::kLowMidQ: return &kQSteps;
    case EQm::kLowShelfFreq:
    case EQm::kLowCutFreq: return &kLowFrequencySteps;
    case EQm::kOutputGain: return &kOutputGainSteps;
    default: return nullptr;
    }
}

// The analog frequency (Hz) the bilinear transform at fs maps to f, stored
// once when a mid frequency is set. Without a rate yet the value is kept as
// is, like the construction defaults.
float PrewarpMid(float fFrequency, float fs)
{
    if (!(fs > 0.0f))
        return fFrequency;
    return static_cast<float>(Prewarp(static_cast<double>(kPrewarpPi) * fFrequency / fs, fs));
}

// A mid band at prewarped frequency fw (Hz), gain g (dB) and Q. Returns
// whether the band runs (g not 0).
bool DesignMid(SPrototype2& r, float fw, float g, float Q)
{
    if (g == 0.0f)
        return false;
    if (Q < 1.0f) {
        // (s^2 + A Q w s + w^2) / (s^2 + Q w s + w^2): exactly A at w.
        const double A = std::pow(10.0, 0.05 * g);
        r.b2 = 1.0f;
        r.b1 = static_cast<float>(A * Q * fw * 6.283);
        r.b0 = static_cast<float>(static_cast<double>(fw) * fw * 39.47609);
        r.a2 = 1.0f;
        r.a1 = static_cast<float>(static_cast<double>(Q) * fw * 6.283);
        r.a0 = static_cast<float>(static_cast<double>(fw) * fw * 39.47609);
        return true;
    }
    // Two real pole/zero pairs around w / Q and Q w, spread by 2^(|g|/4);
    // unity gain at DC and at high frequencies.
    const double w = 6.283 * fw;
    const double u = w / Q;
    const double v = Q * w;
    const double P = std::pow(2.0, 0.25 * std::fabs(g));
    double z1, z2, p1, p2;
    if (g >= 0.0f) {
        z1 = u / P;
        z2 = P * v;
        p1 = u;
        p2 = v;
    } else {
        z1 = u;
        z2 = v;
        p1 = u / P;
        p2 = P * v;
    }
    r.b2 = static_cast<float>(p1 * p2);
    r.b1 = static_cast<float>((z1 + z2) * p1 * p2);
    r.b0 = static_cast<float>(p1 * p2 * z1 * z2);
    r.a2 = static_cast<float>(z1 * z2);
    r.a1 = static_cast<float>((p1 + p2) * z1 * z2);
    r.a0 = static_cast<float>(z1 * z2 * p1 * p2);
    return true;
}

} // namespace

EQm::EQm(float fSampleRate, int nChannels)
    : mpInterface(new EQmHostInterface())
    , mfCurveCos(kCurvePoints, 0.0f)
    , mfCurveSin(kCurvePoints, 0.0f)
    , mfCurveCos2(kCurvePoints, 0.0f)
    , mfCurveSin2(kCurvePoints, 0.0f)
{
    mpInterface->SetOutputGain(1.0f);
    Setup(fSampleRate, nChannels, -1);
}

EQm::~EQm()
{
    delete mpInterface;
}

HostDSP* EQm::GetHostDSP()
{
    return mpInterface->dsp;
}

void EQm::Reset()
{
    mpInterface->Reset();
}

void EQm::Setup(float fSampleRate, int nChannels, int nFlag)
{
    (void)nFlag;
    mpInterface->Setup(fSampleRate, nChannels, -1);
    for (SPrototype2* pRecord :
        { &mLowShelf, &mLowMid, &mHighMid, &mHighShelf, &mLowCut1, &mLowCut2, &mHighCut1, &mHighCut2 })
        pRecord->fs = fSampleRate;
    DesignHighShelf();
    DesignHighMid();
    DesignLowMid();
    DesignLowShelf();
    DesignLowCut();
    DesignHighCut();
    // A rate that does not fit an int leaves no usable display scale.
    mnSampleRate = fSampleRate >= 1.0f && fSampleRate < 2.0e9f ? static_cast<int>(fSampleRate) : 0;
    ComputeCurveTables();
}

void EQm::SetParameter(int nIndex, float fValue)
{
    switch (nIndex) {
    case kHighShelfFreq:
        mfHighShelfFreq = fValue;
        DesignHighShelf();
        break;
    case kHighShelfGain:
        mfHighShelfGain = fValue;
        DesignHighShelf();
        break;
    case kHighMidFreq:
        mfHighMidFreq = PrewarpMid(fValue, mHighMid.fs);
        DesignHighMid();
        break;
    case kHighMidGain:
        mfHighMidGain = fValue;
        DesignHighMid();
        break;
    case kHighMidQ:
        mfHighMidQ = fValue;
        DesignHighMid();
        break;
    case kLowMidFreq:
        mfLowMidFreq = PrewarpMid(fValue, mLowMid.fs);
        DesignLowMid();
        break;
    case kLowMidGain:
        mfLowMidGain = fValue;
        DesignLowMid();
        break;
    case kLowMidQ:
        mfLowMidQ = fValue;
        DesignLowMid();
        break;
    case kLowShelfFreq:
        mfLowShelfFreq = fValue;
        DesignLowShelf();
        break;
    case kLowShelfGain:
        mfLowShelfGain = fValue;
        DesignLowShelf();
        break;
    case kLowCutFreq:
        mfLowCutFreq = fValue;
        DesignLowCut();
        break;
    case kHighCutFreq:
        mfHighCutFreq = fValue;
        DesignHighCut();
        break;
    case kOutputGain: mpInterface->SetOutputGain(static_cast<float>(std::pow(10.0, fValue * 0.05))); break;
    default: break;
    }
}

float EQm::SetParameterStep(int nIndex, int nStep)
{
    const CStepTable* pTable = StepTableOf(nIndex);
    if (pTable == nullptr)
        return 0.0f;
    const float fValue = (*pTable)[nStep];
    SetParameter(nIndex, fValue);
    return fValue;
}

float EQm::LookupStep(int nIndex, int nStep)
{
    const CStepTable* pTable = StepTableOf(nIndex);
    return pTable != nullptr ? (*pTable)[nStep] : 0.0f;
}

void EQm::DesignHighShelf()
{
    const float g = mfHighShelfGain;
    if (g == 0.0f) {
        mpInterface->SetHighShelf(false, mHighShelf);
        return;
    }
    // Flat at DC, 2^(g/6) at high frequencies; the corner f is not prewarped.
    SPrototype2& r = mHighShelf;
    const double w = 6.283 * mfHighShelfFreq;
    if (g >= 0.0f) {
        // Double zero at p, poles at w and z.
        const double p = w / std::pow(2.0, kShelfPoleExponent * static_cast<double>(g));
        const double z = p * std::pow(2.0, kShelfZeroExponent * static_cast<double>(g));
        r.b2 = static_cast<float>(w * z);
        r.b1 = static_cast<float>(2.0 * p * w * z);
        r.b0 = static_cast<float>(p * p * w * z);
        r.a2 = static_cast<float>(p * p);
        r.a1 = static_cast<float>((z + w) * (p * p));
        r.a0 = static_cast<float>(p * p * z * w);
    } else {
        // The reciprocal shape: zeros at w and z, double pole at q.
        const double fCut = std::fabs(g);
        const double q = w / std::pow(2.0, kShelfPoleExponent * fCut);
        const double z = q * std::pow(2.0, kShelfZeroExponent * fCut);
        r.b2 = static_cast<float>(q * q);
        r.b1 = static_cast<float>((w + z) * (q * q));
        r.b0 = static_cast<float>(q * q * w * z);
        r.a2 = static_cast<float>(w * z);
        r.a1 = static_cast<float>(2.0 * q * w * z);
        r.a0 = static_cast<float>(q * q * w * z);
    }
    mpInterface->SetHighShelf(true, r);
}

void EQm::DesignHighMid()
{
    const bool bOn = DesignMid(mHighMid, mfHighMidFreq, mfHighMidGain, mfHighMidQ);
    mpInterface->SetHighMid(bOn, mHighMid);
}

void EQm::DesignLowMid()
{
    const bool bOn = DesignMid(mLowMid, mfLowMidFreq, mfLowMidGain, mfLowMidQ);
    mpInterface->SetLowMid(bOn, mLowMid);
}

void EQm::DesignLowShelf()
{
    const float g = mfLowShelfGain;
    if (g == 0.0f) {
        mpInterface->SetLowShelf(false, mLowShelf);
        return;
    }
    // A broad bell below f: centre f0 = f/4 + 14 Hz, bandwidth 1.5 (f - f0)
    // Hz, gain A at f0.
    const double f = mfLowShelfFreq;
    const double f0 = 0.25 * f + 14.0;
    const double B = 1.5 * (f - f0);
    const double A = std::pow(10.0, 0.05 * g);
    SPrototype2& r = mLowShelf;
    r.b2 = 1.0f;
    r.b1 = static_cast<float>(A * B * 6.283);
    r.b0 = static_cast<float>(f0 * f0 * 39.47609);
    r.a2 = 1.0f;
    r.a1 = static_cast<float>(B * 6.283);
    r.a0 = static_cast<float>(f0 * f0 * 39.47609);
    mpInterface->SetLowShelf(true, r);
}

void EQm::DesignLowCut()
{
    const float f = mfLowCutFreq;
    if (f < 31.0f) {
        mpInterface->SetLowCut(false, mLowCut1, mLowCut2);
        return;
    }
    // Fourth-order Bessel high-pass, not prewarped: s -> w / s in each factor.
    const double w = 12.56636 * f;
    mLowCut1.b2 = kBesselC1;
    mLowCut1.b1 = 0.0f;
    mLowCut1.b0 = 0.0f;
    mLowCut1.a2 = kBesselC1;
    mLowCut1.a1 = static_cast<float>(kBesselB1 * w);
    mLowCut1.a0 = static_cast<float>(w * w);
    mLowCut2.b2 = kBesselC2;
    mLowCut2.b1 = 0.0f;
    mLowCut2.b0 = 0.0f;
    mLowCut2.a2 = kBesselC2;
    mLowCut2.a1 = static_cast<float>(kBesselB2 * w);
    mLowCut2.a0 = static_cast<float>(w * w);
    mpInterface->SetLowCut(true, mLowCut1, mLowCut2);
}

void EQm::DesignHighCut()
{
    const float f = mfHighCutFreq;
    if (f > 19200.0f) {
        mpInterface->SetHighCut(false, mHighCut1, mHighCut2);
        return;
    }
    // Fourth-order Bessel low-pass at the prewarped frequency: s -> s / w.
    const float fs = mHighCut1.fs;
    auto design = [this](double fw) {
        const double w = fw * 6.28318;
        mHighCut1.b2 = 0.0f;
        mHighCut1.b1 = 0.0f;
        mHighCut1.b0 = static_cast<float>(kBesselC1 * (w * w));
        mHighCut1.a2 = 1.0f;
        mHighCut1.a1 = static_cast<float>(kBesselB1 * w);
        mHighCut1.a0 = static_cast<float>(kBesselC1 * (w * w));
        mHighCut2.b2 = 0.0f;
        mHighCut2.b1 = 0.0f;
        mHighCut2.b0 = static_cast<float>(kBesselC2 * (w * w));
        mHighCut2.a2 = 1.0f;
        mHighCut2.a1 = static_cast<float>(kBesselB2 * w);
        mHighCut2.a0 = static_cast<float>(kBesselC2 * (w * w));
        return mpInterface->SetHighCut(true, mHighCut1, mHighCut2);
    };
    // A written design just below pi/2 may still round to an unstable
    // section in single precision; the limit's design then stands in.
    if (!design(Prewarp(static_cast<double>(f) / fs * kPrewarpPi, fs)))
        design(Prewarp(kHalfPi, fs));
}

void EQm::ComputeCurveTables()
{
    const int nHalfRate = mnSampleRate / 2;
    if (nHalfRate <= 0)
        return; // no rate yet: keep the previous tables
    // f_i runs from 20 Hz to 20 kHz (9.965784284662087 = log2 1000). The
    // angle scales it by 20000 / (fs / 2) and pi / 22050, so point i shows
    // the response at f_i * 20000 / 22050 Hz at every rate.
    const double fScale = static_cast<double>(20000.0f) / nHalfRate;
    for (int i = 0; i < kCurvePoints; ++i) {
        const double f = 20.0 * std::pow(2.0, i * (1.0 / 312) * 9.965784284662087);
        const double w = f * fScale * 0.00014247585730565955; // pi / 22050
        mfCurveCos[i] = static_cast<float>(std::cos(w));
        mfCurveSin[i] = static_cast<float>(std::sin(w));
        mfCurveCos2[i] = static_cast<float>(std::cos(2.0 * w));
        mfCurveSin2[i] = static_cast<float>(std::sin(2.0 * w));
    }
}

void EQm::GetCurve(float* pCurve) const
{
    for (int i = 0; i < kCurvePoints; ++i)
        pCurve[i] = 1.0f;
    const EQmHostDSP* pKernel = mpInterface->Kernel();
    auto multiplyBy = [&](int nSection) {
        const SBiquad& s = pKernel->mSections[nSection][0];
        const double B0 = s.B0, B1 = s.B1, B2 = s.B2, A1 = s.A1, A2 = s.A2;
        for (int i = 0; i < kCurvePoints; ++i) {
            const double c = mfCurveCos[i], sn = mfCurveSin[i], c2 = mfCurveCos2[i], s2 = mfCurveSin2[i];
            const double re = B0 + B1 * c + B2 * c2;
            const double im = B1 * sn + B2 * s2;
            const double dre = 1.0 - A1 * c - A2 * c2;
            const double dim = A1 * sn + A2 * s2;
            pCurve[i] = static_cast<float>(pCurve[i] * std::sqrt((re * re + im * im) / (dre * dre + dim * dim)));
        }
    };
    const int* pnOn = pKernel->mnStageOn;
    if (pnOn[EQmHostDSP::kStageHighCut] != 0) {
        multiplyBy(EQmHostDSP::kHighCut1);
        multiplyBy(EQmHostDSP::kHighCut2);
    }
    if (pnOn[EQmHostDSP::kStageLowShelf] != 0)
        multiplyBy(EQmHostDSP::kLowShelf);
    if (pnOn[EQmHostDSP::kStageLowMid] != 0)
        multiplyBy(EQmHostDSP::kLowMid);
    if (pnOn[EQmHostDSP::kStageHighMid] != 0)
        multiplyBy(EQmHostDSP::kHighMid);
    if (pnOn[EQmHostDSP::kStageHighShelf] != 0)
        multiplyBy(EQmHostDSP::kHighShelf);
    if (pnOn[EQmHostDSP::kStageLowCut] != 0) {
        multiplyBy(EQmHostDSP::kLowCut1);
        multiplyBy(EQmHostDSP::kLowCut2);
    }
    for (int i = 0; i < kCurvePoints; ++i)
        pCurve[i] = static_cast<float>(20.0 * std::log10(pCurve[i]));
}
