#include "VantorPanelLimiter.h"

namespace {

// Parameter, control, text control.
const CVantorPanel::SBinding kBindings[] = {
    { 30, 2, -1 },
    { 30, 3, -1 },
    { 31, 14, 23 },
    { 32, 17, 24 },
    { 33, 15, 22 },
    { 34, 4, 25 },
    { 35, 12, 32 },
    { 36, 13, 33 },
    { 37, 5, 26 },
    { 38, 11, 29 },
    { 39, 7, 27 },
    { 40, 10, 30 },
    { 41, 8, 28 },
    { 42, 9, 31 },
};

} // namespace

CVantorPanelLimiter::CVantorPanelLimiter(IVantorProcess* pProcess)
    : CVantorPanel(kPanelId, pProcess)
{ }

const CVantorPanel::SBinding* CVantorPanelLimiter::Bindings(int& nCount) const
{
    nCount = static_cast<int>(sizeof kBindings / sizeof kBindings[0]);
    return kBindings;
}
