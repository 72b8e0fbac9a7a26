#include "VantorPanelComp.h"

namespace {

// Parameter, control, text control.
const CVantorPanel::SBinding kBindings[] = {
    { 22, 2, -1 },
    { 22, 3, -1 },
    { 23, 5, 17 },
    { 24, 6, 18 },
    { 25, 7, 19 },
    { 26, 9, 21 },
    { 27, 8, 20 },
    { 28, 10, 22 },
    { 29, 4, 23 },
};

} // namespace

CVantorPanelComp::CVantorPanelComp(IVantorProcess* pProcess)
    : CVantorPanel(kPanelId, pProcess)
{ }

const CVantorPanel::SBinding* CVantorPanelComp::Bindings(int& nCount) const
{
    nCount = static_cast<int>(sizeof kBindings / sizeof kBindings[0]);
    return kBindings;
}
