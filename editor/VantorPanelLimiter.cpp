#include "VantorPanelLimiter.h"

namespace {

// Parameter, control, converter (kind, decimals, minimum, maximum, base),
// text control, shown width and decimals, unit.
const CVantorPanel::SBinding kBindings[] = {
    { 30, 2, 0, 0, 0, 0, 0, -1, 0, 0, CVantorPanel::kNoUnit },
    { 30, 3, 0, 0, 0, 0, 0, -1, 0, 0, CVantorPanel::kNoUnit },
    { 31, 14, 'L', 0, 800, 15000, 500, 23, 6, 1, CVantorPanel::kMillis },
    { 32, 17, 'N', 1, -90, 160, 0, 24, 5, 1, CVantorPanel::kDecibel },
    { 33, 15, 'N', 1, -53, 53, 0, 22, 5, 1, CVantorPanel::kDecibel },
    { 34, 4, 'N', 1, -180, 180, 0, 25, 5, 1, CVantorPanel::kDecibel },
    { 35, 12, 'L', 0, 30, 1900, 1000, 32, 4, 1, CVantorPanel::kHertz },
    { 36, 13, 'L', 0, 1000, 20400, 1000, 33, 4, 1, CVantorPanel::kHertz },
    { 37, 5, 'N', 1, -120, 120, 0, 26, 4, 1, CVantorPanel::kDecibel },
    { 38, 11, 'N', 1, -180, 180, 0, 29, 4, 1, CVantorPanel::kDecibel },
    { 39, 7, 'N', 1, -120, 120, 0, 27, 4, 1, CVantorPanel::kDecibel },
    { 40, 10, 'N', 1, -180, 180, 0, 30, 4, 1, CVantorPanel::kDecibel },
    { 41, 8, 'N', 1, -120, 120, 0, 28, 4, 1, CVantorPanel::kDecibel },
    { 42, 9, 'N', 1, -180, 180, 0, 31, 4, 1, CVantorPanel::kDecibel },
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
