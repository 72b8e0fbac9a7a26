#include "toolkit/epiAlphaControl_button.h"

#include "toolkit/epiPanel.h"

bool epiAlphaControl_button::Click()
{
    return mbEnabled && PointerInside();
}

void epiAlphaControl_button::MouseDown()
{
    if (!mbEnabled || !PointerInside())
        return;
    mbTracking = true;
    miState = kPressed;
    Invalidate();
}

bool epiAlphaControl_button::Drag()
{
    if (!mbTracking)
        return false;
    const int nState = PointerInside() ? kPressed : kUp;
    if (nState == miState)
        return false;
    miState = nState;
    Invalidate();
    return true;
}

bool epiAlphaControl_button::MouseUp()
{
    if (!mbTracking)
        return false;
    mbTracking = false;
    const bool bInside = PointerInside();
    miState = mbEnabled ? kUp : kDisabled;
    miValue = bInside ? 1 : 0;
    Invalidate();
    return bInside;
}

void epiAlphaControl_button::Message(int nCode, int nValue)
{
    if (nCode == kEpiMsgShowFrame) {
        miState = nValue;
        Invalidate();
    } else {
        epiAlphaControl_text::Message(nCode, nValue);
    }
}

int epiAlphaControl_button::FrameSlot() const
{
    return GetState();
}

void epiAlphaControl_button::Draw(epiOffmap& target, const SEpiRect& clip)
{
    int nSlot = FrameSlot();
    int nDim = 0;
    if (nSlot < 0 || nSlot >= SEpiLayoutItem::kCasts || manCastIndex[nSlot] == kNoCast) {
        // No cast for this state: the up frame, dimmed when disabled.
        nSlot = EnabledSlot();
        if (manCastIndex[nSlot] == kNoCast)
            nSlot = 0;
        nDim = mbEnabled ? 0 : kDisabledDim;
    }
    DrawCastSlot(target, clip, nSlot, nDim);
    DrawText(target, clip);
}

void epiAlphaControl_check::MouseDown()
{
    if (!mbEnabled || !PointerInside())
        return;
    mbTracking = true;
    miValue = miValue != 0 ? 0 : 1;
    Invalidate();
}

bool epiAlphaControl_check::Drag()
{
    return false;
}

bool epiAlphaControl_check::MouseUp()
{
    const bool bWas = mbTracking;
    mbTracking = false;
    return bWas;
}

void epiAlphaControl_check::SetValue(int nValue)
{
    epiAlphaControl_button::SetValue(nValue != 0 ? 1 : 0);
}

int epiAlphaControl_check::FrameSlot() const
{
    return mbEnabled ? (miValue != 0 ? 1 : 0) : kDisabled;
}

void epiAlphaControl_radio::MouseDown()
{
    if (!mbEnabled || !PointerInside())
        return;
    mbTracking = true;
    if (mpPanel != nullptr)
        for (int i = 0; i < mpPanel->GetControlCount(); ++i) {
            epiPanelControl* pOther = mpPanel->GetControl(i);
            if (pOther != nullptr && pOther != this && pOther->GetKind() == kEpiKindRadio && pOther->GetTag() == miTag)
                pOther->SetValue(0);
        }
    SetValue(1);
}
