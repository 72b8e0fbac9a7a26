#include "VantorPanelEQ.h"

#include "parameters/DisplayTranslater.h"
#include "processor/IVantorProcess.h"
#include "toolkit/epiOffmap.h"
#include "toolkit/epiPanelControl.h"

#include <algorithm>
#include <cstdlib>

namespace {

// A line from (x0, y0) to (x1, y1) in map coordinates, inside clip.
void DrawLine(epiOffmap& map, const SEpiRect& clip, int x0, int y0, int x1, int y1, uint16_t nColour)
{
    const int dx = std::abs(x1 - x0);
    const int dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1;
    const int sy = y0 < y1 ? 1 : -1;
    int nError = dx + dy;
    for (;;) {
        if (x0 >= clip.left && x0 < clip.right && y0 >= clip.top && y0 < clip.bottom)
            map.SetPixel(x0, y0, nColour);
        if (x0 == x1 && y0 == y1)
            break;
        const int e2 = 2 * nError;
        if (e2 >= dy) {
            nError += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            nError += dx;
            y0 += sy;
        }
    }
}

} // namespace

CVantorPanelEQ::CVantorPanelEQ(IVantorProcess* pProcess)
    : CVantorPanel(kPanelId, pProcess)
    , mbCurveStale(true)
    , mafCurve {}
{ }

SEpiRect CVantorPanelEQ::GetCurveRect() const
{
    const epiPanelControl* pScreen = GetControl(kScreenControl);
    if (pScreen == nullptr)
        return SEpiRect { 0, 0, 0, 0 };
    const SEpiRect& bounds = pScreen->GetBounds();
    return SEpiRect { bounds.left, bounds.top, static_cast<int16_t>(bounds.left + kCurveWidth),
        static_cast<int16_t>(bounds.top + kCurveHeight) };
}

void CVantorPanelEQ::InvalidateCurve()
{
    mbCurveStale = true;
    const SEpiRect rect = GetCurveRect();
    if (!rect.IsEmpty())
        InvalidateRect(rect);
}

void CVantorPanelEQ::FetchCurve()
{
    if (mpProcess != nullptr)
        mpProcess->GetEQCurve(mafCurve);
    mbCurveStale = false;
}

bool CVantorPanelEQ::DrawCurve(epiOffmap& map, const SEpiRect& rect)
{
    const SEpiRect area = GetCurveRect();
    if (!IsActive() || area.IsEmpty() || rect.right <= area.left || rect.left >= area.right || rect.bottom <= area.top
        || rect.top >= area.bottom)
        return false;
    if (mbCurveStale)
        FetchCurve();
    // 2 pixels per dB truncated toward zero; rows 10 … 90 are drawn.
    auto rowOf = [](float fDb) { return 50 - static_cast<int>(2.0f * fDb); };
    auto columnClamp = [](int x) { return std::clamp(x, 0, kCurveWidth - 1); };
    auto rowClamp = [](int y) { return std::clamp(y, 0, kCurveHeight - 1); };
    const SEpiRect clip = area; // the whole area: the curve is the same wherever it is redrawn
    for (int i = 0; i + 1 < kCurvePoints; ++i) {
        const int nRow0 = rowOf(mafCurve[i]);
        const int nRow1 = rowOf(mafCurve[i + 1]);
        if (nRow0 < 10 || nRow0 > 90 || nRow1 < 10 || nRow1 > 90)
            continue;
        DrawLine(map, clip, area.left + columnClamp(i + kFirstColumn), area.top + rowClamp(nRow0),
            area.left + columnClamp(i + 1 + kFirstColumn), area.top + rowClamp(nRow1), kCurveColour);
    }
    return true;
}
