#include "toolkit/vpaGuiPanel.h"

#include "toolkit/vpaGui.h"

bool vpaGuiPanel::Attach(vpaGui* pWindow)
{
    if (pWindow == nullptr)
        return false;
    const bool bLoaded = LoadLayout(pWindow, miLayoutId);
    return pWindow->AddPanel(this) && bLoaded;
}
