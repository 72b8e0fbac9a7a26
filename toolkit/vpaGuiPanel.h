// The panel the application derives from: it knows the layout it loads and
// the window it lives in.
#pragma once

#include "toolkit/epiPanel.h"

class vpaGuiPanel : public epiAlphaPanel {
public:
    static constexpr int32_t kDefaultLayout = 10;

    void SetLayoutId(int32_t iId) { miLayoutId = iId; }
    int32_t GetLayoutId() const { return miLayoutId; }
    // Loads the layout at the panel's origin and joins the window's panels.
    bool Attach(vpaGui* pWindow);

private:
    int32_t miLayoutId = kDefaultLayout;
};
