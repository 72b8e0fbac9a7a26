#include "VantorPanelComp.h"

CVantorPanelComp::CVantorPanelComp(IVantorProcess* pProcess)
    : CVantorPanel(kPanelId, pProcess)
{ }
