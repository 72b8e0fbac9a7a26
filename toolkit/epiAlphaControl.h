// The plain skinned control (and the base of all others): it shows the cast
// of its current frame through that cast's mask, dimmed while disabled.
#pragma once

#include "toolkit/epiPanelControl.h"

class epiAlphaControl : public epiPanelControl {
public:
    // The dimming argument of a disabled control.
    static constexpr int kDisabledDim = 80;

    void Draw(epiOffmap& target, const SEpiRect& clip) override;
};
