// The compressor panel (id 2): seven rotaries, the module switch with its
// lamp, and the gain-reduction needle (control 12) driven from meter 0.
#pragma once

#include "VantorPanel.h"

class CVantorPanelComp : public CVantorPanel {
public:
    static constexpr int kPanelId = 2;
    static constexpr int kNeedleControl = 12;

    explicit CVantorPanelComp(IVantorProcess* pProcess);
};
