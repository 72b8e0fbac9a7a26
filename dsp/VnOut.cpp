#include "VnOut.h"

#include "StepTable.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

enum {
    kInputGain = 38,
    kCurve = 39,
    kOutputGain = 40,
};

double DbToGain(double fDb)
{
    return std::pow(10.0, fDb * 0.05);
}

float FloatFromBits(uint32_t nBits)
{
    float f;
    std::memcpy(&f, &nBits, sizeof(f));
    return f;
}

const CStepTable& InputGainSteps() // 38
{
    static const CStepTable table(
        { { 0, 1, -15, 0 }, { 2, 9, -14.5, 0.5 }, { 10, 119, -10.8, 0.2 }, { 120, 127, 11.5, 0.5 } });
    return table;
}

const CStepTable& CurveSteps() // 39
{
    static const CStepTable table({ { 0, 7, -12, 0 }, { 8, 127, -11.9, 0.1 } });
    return table;
}

const CStepTable& OutputGainSteps() // 40; step 0 (-1000 dB) is silence
{
    static const CStepTable table({ { 0, 0, -1000, 0 }, { 1, 1, -90, 0 }, { 2, 7, -85, 5 }, { 8, 43, -59, 1 },
        { 44, 88, -23.6, 0.4 }, { 89, 112, -5.75, 0.25 }, { 113, 127, 0.4, 0.4 } });
    return table;
}

} // namespace

// --- VnOutHostInterface ----------------------------------------------------

VnOutHostInterface::VnOutHostInterface()
{
    dsp = new VnOutHostDSP;
    Kernel()->safety.Configure(SClipper::kHard, 0.999f, -0.999f, 0.999f, -0.999f);
    Reset();
}

void VnOutHostInterface::Reset()
{
    VnOutHostDSP& k = *Kernel();
    for (int ch = 0; ch < 2; ++ch) {
        dsp::ClearHistory(k.highPass[ch]);
        k.clipCount[ch].store(0, std::memory_order_relaxed);
        k.overCount[ch].store(0, std::memory_order_relaxed);
    }
}

void VnOutHostInterface::SetHighPass(const SPrototype2& prototype)
{
    // A zero, negative or non-finite rate has no meaningful design.
    if (!(prototype.fs > 0.0f) || !std::isfinite(prototype.fs))
        return;
    dsp::Bilinear(prototype, Kernel()->highPass, std::clamp(channels, 1, 2));
}

void VnOutHostInterface::SetInputGain(float fGain)
{
    if (std::isfinite(fGain))
        Kernel()->inputGain = fGain;
}

void VnOutHostInterface::SetOutputGain(float fGain)
{
    if (std::isfinite(fGain))
        Kernel()->outputGain = fGain;
}

void VnOutHostInterface::SetCurve(int nMode, float p1, float p2, float p3, float p4)
{
    Kernel()->curve.Configure(nMode, p1, p2, p3, p4);
}

// --- VnOut -----------------------------------------------------------------

VnOut::VnOut(float fSampleRate, int nChannels)
    : mpInterface(new VnOutHostInterface)
{
    mpInterface->SetInputGain(1.0f);
    mpInterface->SetOutputGain(1.0f);
    SetParameter(kCurve, 0.0f);
    Setup(fSampleRate, nChannels, -1);
}

VnOut::~VnOut()
{
    delete mpInterface;
}

HostDSP* VnOut::GetHostDSP()
{
    return mpInterface->dsp;
}

void VnOut::Reset()
{
    mpInterface->Reset();
}

void VnOut::Setup(float fSampleRate, int nChannels, int nFlag)
{
    (void)nFlag;
    mpInterface->Setup(fSampleRate, nChannels, -1);
    // H(s) = s^2 / (s^2 + 221.47574 s + 24672.555): w0 = 157.08 rad/s
    // (25 Hz), Q about 0.709. The two constants are single precision, given
    // by their bits.
    mHighPass.fs = fSampleRate;
    mHighPass.b2 = 1.0f;
    mHighPass.b1 = 0.0f;
    mHighPass.b0 = 0.0f;
    mHighPass.a2 = 1.0f;
    mHighPass.a1 = FloatFromBits(0x435D79CAu);
    mHighPass.a0 = FloatFromBits(0x46C0C11Cu);
    mpInterface->SetHighPass(mHighPass);
}

void VnOut::SetParameter(int nIndex, float fValue)
{
    switch (nIndex) {
    case kInputGain: mpInterface->SetInputGain(static_cast<float>(DbToGain(fValue))); break;
    case kCurve: {
        // Below 0 dB: soft clipping from the knee k up to +-1 at 2 - k. At 0
        // dB (and for values so close to it that k rounds to 1, where the
        // soft curve has no room) a hard limit just above full scale.
        const float k = static_cast<float>(DbToGain(fValue));
        if (fValue < 0.0f && k < 1.0f)
            mpInterface->SetCurve(SClipper::kSoft, 1.0f, -1.0f, k, -k);
        else
            mpInterface->SetCurve(SClipper::kHard, 1.001f, -1.001f, 1.001f, -1.001f);
        break;
    }
    case kOutputGain: mpInterface->SetOutputGain(static_cast<float>(DbToGain(fValue))); break;
    default: break;
    }
}

float VnOut::SetParameterStep(int nIndex, int nStep)
{
    const float fValue = LookupStep(nIndex, nStep);
    SetParameter(nIndex, fValue);
    return fValue;
}

float VnOut::LookupStep(int nIndex, int nStep)
{
    switch (nIndex) {
    case kInputGain: return InputGainSteps()[nStep];
    case kCurve: return CurveSteps()[nStep];
    case kOutputGain: return OutputGainSteps()[nStep];
    default: return 0.0f;
    }
}

float VnOut::GetMeter(int nWhich)
{
    VnOutHostDSP& k = *Kernel();
    switch (nWhich) {
    case 3: return static_cast<float>(k.clipCount[0].exchange(0, std::memory_order_relaxed));
    case 4: return static_cast<float>(k.clipCount[1].exchange(0, std::memory_order_relaxed));
    case 5: return static_cast<float>(k.overCount[0].exchange(0, std::memory_order_relaxed));
    case 6: return static_cast<float>(k.overCount[1].exchange(0, std::memory_order_relaxed));
    default: return 0.0f;
    }
}
