// The equaliser panel (id 1): six bands, output gain, the module switch with
// its lamp, and the response screen (control 40) on which the process's
// 313-point curve is drawn over the skin.
#pragma once

#include "VantorPanel.h"

#include "toolkit/epiTypes.h"

class epiOffmap;

class CVantorPanelEQ : public CVantorPanel {
public:
    static constexpr int kPanelId = 1;
    static constexpr int kScreenControl = 40;
    static constexpr int kCurvePoints = 313;
    // The curve's area: 360 × 100 pixels, 0 dB on row 50, 2 pixels per dB;
    // point i lies on column i + 24. Only rows 10 to 90 (±20 dB) are drawn.
    static constexpr int kCurveWidth = 360;
    static constexpr int kCurveHeight = 100;
    static constexpr int kFirstColumn = 24;
    // The curve's colour, 5-5-5: a light amber.
    static constexpr uint16_t kCurveColour = (31 << 10) | (24 << 5) | 8;

    explicit CVantorPanelEQ(IVantorProcess* pProcess);

    // The response changed: the screen is repainted and the curve with it.
    void InvalidateCurve();
    // The curve's area in window coordinates (empty without the screen).
    SEpiRect GetCurveRect() const;
    // Draws the curve when rect meets its area (after the toolkit has drawn
    // the screen there). True when it drew.
    bool DrawCurve(epiOffmap& map, const SEpiRect& rect);

private:
    void FetchCurve();

    bool mbCurveStale;
    float mafCurve[kCurvePoints];
};
