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

inline void CAnalogueVU::Step(double fX)
{
    const double y = (fX + mfX2) * mfB0 + mfB1 * mfX1 - mfA1 * mfY1 - mfA2 * mfY2;
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
