#include "VantorPanelClipper.h"

#include "VUMeter.h"
#include "processor/IVantorProcess.h"

CVantorPanelClipper::CVantorPanelClipper(IVantorProcess* pProcess, const CMeterReadings* pReadings)
    : CVantorPanel(kPanelId, pProcess)
    , mpReadings(pReadings)
{ }

// The lights travel the pending-values route like any other value; a light
// whose state did not change is not redrawn.
void CVantorPanelClipper::PollMeters()
{
    if (mpProcess == nullptr || mpReadings == nullptr)
        return;
    const unsigned nMode = mpProcess->GetMode();
    if (nMode != 3 && nMode != 4)
        return;
    for (unsigned n = 0; n < 3; ++n) {
        const int nLit = mpReadings->Read(2 + n) != 0.0f ? 1 : 0;
        const int nControl = kFirstLight + static_cast<int>(n);
        if (GetControlValue(nControl) != nLit)
            ValueChanged(nControl, nLit);
    }
}
