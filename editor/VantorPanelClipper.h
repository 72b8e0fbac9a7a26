// The clipper panel (id 4): gain, curve and output, the module switch with
// its lamp, and the three clip lights (controls 6, 7, 8) lit from meters
// 2, 3 and 4 while the process holds them.
#pragma once

#include "VantorPanel.h"

class CMeterReadings;

class CVantorPanelClipper : public CVantorPanel {
public:
    static constexpr int kPanelId = 4;
    static constexpr int kFirstLight = 6;

    CVantorPanelClipper(IVantorProcess* pProcess, const CMeterReadings* pReadings);

protected:
    void PollMeters() override;

private:
    const CMeterReadings* mpReadings; // not owned
};
