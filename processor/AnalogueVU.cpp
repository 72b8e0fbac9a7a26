#include "AnalogueVU.h"

#include <cmath>

namespace {
constexpr double kPi = 3.14159265358979323846;
constexpr double kCutOffHz = 2.1;
constexpr double kInverseTwoQ = 0.8064516129032259; // 1 / (2 * 0.62)
constexpr int kDefaultRate = 44100;
} // namespace

CAnalogueVU::CAnalogueVU()
    : mfX1(0.0)
    , mfX2(0.0)
    , mfY1(0.0)
    , mfY2(0.0)
    , mfA1(0.0)
    , mfA2(0.0)
    , mfB0(0.0)
    , mfB1(0.0)
{
    SetSampleRate(kDefaultRate);
}

CAnalogueVU::~CAnalogueVU() = default;

void CAnalogueVU::SetSampleRate(int nRate)
{
    // Bilinear low-pass biquad with unity gain at DC.
    const double w = 2.0 * kPi * kCutOffHz / nRate;
    if (!(w > 0.0 && w < kPi))
        return;
    const double c = std::cos(w);
    const double fAlpha = std::sin(w) * kInverseTwoQ;
    const double a0 = 1.0 + fAlpha;
    mfB0 = (1.0 - c) / 2.0 / a0;
    mfB1 = (1.0 - c) / a0;
    mfA1 = -2.0 * c / a0;
    mfA2 = (1.0 - fAlpha) / a0;
}

void CAnalogueVU::Reset()
{
    mfX1 = mfX2 = mfY1 = mfY2 = 0.0;
}

void CAnalogueVU::Settle(double fValue)
{
    mfX1 = mfX2 = mfY1 = mfY2 = fValue;
}

inline void CAnalogueVU::Step(double fX)
{
    const double y = (fX + mfX2) * mfB0 + mfB1 * mfX1 - mfA2 * mfY2 - mfA1 * mfY1;
    mfX2 = mfX1;
    mfX1 = fX;
    mfY2 = mfY1;
    mfY1 = y;
}

void CAnalogueVU::RecoverFromNonFinite()
{
    if (!std::isfinite(mfY1) || !std::isfinite(mfY2) || !std::isfinite(mfX1) || !std::isfinite(mfX2))
        Reset();
}

double CAnalogueVU::ProcessStereo(const float* pfLeft, const float* pfRight, int nCount)
{
    for (int i = 0; i < nCount; ++i)
        Step(std::fabs((static_cast<double>(pfLeft[i]) + pfRight[i]) * 0.5));
    RecoverFromNonFinite();
    return mfY1;
}

double CAnalogueVU::ProcessMono(const float* pfSamples, int nCount)
{
    for (int i = 0; i < nCount; ++i)
        Step(std::fabs(static_cast<double>(pfSamples[i])));
    RecoverFromNonFinite();
    return mfY1;
}

void CAnalogueVU::ProcessMonoPair(CAnalogueVU& first, const float* pfFirst, CAnalogueVU& second, const float* pfSecond,
    int nCount, double& fFirst, double& fSecond, double& fFirstLowest, double& fSecondLowest)
{
    const double b0a = first.mfB0, b1a = first.mfB1, a1a = first.mfA1, a2a = first.mfA2;
    const double b0b = second.mfB0, b1b = second.mfB1, a1b = second.mfA1, a2b = second.mfA2;
    double x1a = first.mfX1, x2a = first.mfX2, y1a = first.mfY1, y2a = first.mfY2;
    double x1b = second.mfX1, x2b = second.mfX2, y1b = second.mfY1, y2b = second.mfY2;
    double fLowestA = HUGE_VAL, fLowestB = HUGE_VAL;
    for (int i = 0; i < nCount; ++i) {
        const double xa = std::fabs(static_cast<double>(pfFirst[i]));
        const double xb = std::fabs(static_cast<double>(pfSecond[i]));
        // The older output is taken off first, so the newest one waits for one
        // multiply and one subtraction only: the same filter, with a rounding
        // order that no needle position can show.
        const double ya = (xa + x2a) * b0a + b1a * x1a - a2a * y2a - a1a * y1a;
        const double yb = (xb + x2b) * b0b + b1b * x1b - a2b * y2b - a1b * y1b;
        x2a = x1a;
        x1a = xa;
        y2a = y1a;
        y1a = ya;
        x2b = x1b;
        x1b = xb;
        y2b = y1b;
        y1b = yb;
        fLowestA = ya < fLowestA ? ya : fLowestA;
        fLowestB = yb < fLowestB ? yb : fLowestB;
    }
    first.mfX1 = x1a;
    first.mfX2 = x2a;
    first.mfY1 = y1a;
    first.mfY2 = y2a;
    second.mfX1 = x1b;
    second.mfX2 = x2b;
    second.mfY1 = y1b;
    second.mfY2 = y2b;
    first.RecoverFromNonFinite();
    second.RecoverFromNonFinite();
    fFirst = first.mfY1;
    fSecond = second.mfY1;
    // An empty block's lowest needle is the needle; a non-finite one
    // started again from rest, and so does its lowest value.
    fFirstLowest = std::isfinite(fLowestA) ? fLowestA : fFirst;
    fSecondLowest = std::isfinite(fLowestB) ? fLowestB : fSecond;
}
