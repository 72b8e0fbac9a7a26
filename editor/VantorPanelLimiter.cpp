#include "VantorPanelLimiter.h"

CVantorPanelLimiter::CVantorPanelLimiter(IVantorProcess* pProcess)
    : CVantorPanel(kPanelId, pProcess)
{ }
