#include "VantorPanelComp.h"

namespace {

// Parameter, control, converter (kind, decimals, minimum, maximum, base),
// text control, shown width and decimals, unit.
const CVantorPanel::SBinding kBindings[] = {
    { 22, 2, 0, 0, 0, 0, 0, -1, 0, 0, CVantorPanel::kNoUnit },
    { 22, 3, 0, 0, 0, 0, 0, -1, 0, 0, CVantorPanel::kNoUnit },
    { 23, 5, 'L', 0, 32, 218, 1000, 17, 4, 0, CVantorPanel::kHertz },
    { 24, 6, 'L', 0, 120, 820, 500, 18, 5, 1, CVantorPanel::kMillis },
    { 25, 7, 'L', 0, 290, 14000, 500, 19, 5, 1, CVantorPanel::kMillis },
    { 26, 9, 'L', 2, 150, 468, 500, 21, 4, 2, CVantorPanel::kNoUnit },
    { 27, 8, 'N', 1, -50, 50, 0, 20, 4, 1, CVantorPanel::kNoUnit },
    { 28, 10, 'N', 1, -150, 150, 0, 22, 4, 1, CVantorPanel::kDecibel },
    { 29, 4, 'N', 1, -180, 180, 0, 23, 4, 1, CVantorPanel::kDecibel },
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
