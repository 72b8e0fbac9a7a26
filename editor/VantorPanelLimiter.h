// The limiter panel (id 3): release, drive, overload, output, the two
// crossovers, threshold and gain of the three bands, the module switch with
// its lamp, and the gain-reduction needle (control 16) driven from meter 1.
#pragma once

#include "VantorPanel.h"

class CVantorPanelLimiter : public CVantorPanel {
public:
    static constexpr int kPanelId = 3;
    static constexpr int kNeedleControl = 16;

    explicit CVantorPanelLimiter(IVantorProcess* pProcess);
};
