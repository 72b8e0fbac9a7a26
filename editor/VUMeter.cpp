#include "VUMeter.h"

#include "VantorPanel.h"
#include "processor/IVantorProcess.h"
#include "toolkit/epiAlphaControl_rotary.h"
#include "toolkit/epiLayout.h"

void CMeterReadings::Feed(unsigned nWhich, float fValue)
{
    if (nWhich < kCount) {
        mafFed[nWhich] = fValue;
        mbFed = true;
    }
}

float CMeterReadings::Read(unsigned nWhich) const
{
    if (nWhich >= kCount)
        return 0.0f;
    if (mbFed)
        return mafFed[nWhich];
    return mpProcess != nullptr ? mpProcess->GetMeter(nWhich) : 0.0f;
}

CVUMeter::CVUMeter(CVantorPanel* pPanel, IVantorProcess* pProcess, const CMeterReadings* pReadings, int nControl,
    unsigned nMeter, float fFactor, unsigned nModes)
    : mpPanel(pPanel)
    , mpProcess(pProcess)
    , mpReadings(pReadings)
    , mnControl(nControl)
    , mnMeter(nMeter)
    , mfFactor(fFactor)
    , mnModes(nModes)
{ }

int CVUMeter::FrameOf(float fNeedle) const
{
    int nLast = 1;
    if (auto* pRotary = dynamic_cast<epiAlphaControl_rotary*>(mpPanel->GetControl(mnControl)))
        nLast = pRotary->GetFrameCount() - 1;
    // Truncated toward zero, in single precision like the factor.
    return static_cast<int>(static_cast<float>(nLast) * fNeedle * mfFactor);
}

void CVUMeter::Update()
{
    if (mpProcess == nullptr || mpPanel == nullptr)
        return;
    const unsigned nMode = mpProcess->GetMode();
    if (nMode > 31 || (mnModes & (1u << nMode)) == 0)
        return;
    mpPanel->ValueChanged(mnControl, FrameOf(mpReadings->Read(mnMeter)));
}
