#include "toolkit/epiPanel.h"

#include "toolkit/epiBlit.h"
#include "toolkit/epiControlFactory.h"
#include "toolkit/epiInputState.h"
#include "toolkit/epiLayout.h"
#include "toolkit/vpaGui.h"

#include <algorithm>

epiPanel::epiPanel()
    : maControls(kMaxControls)
    , miCount(0)
    , miTracked(-1)
    , mnLastClickTicks(0)
    , mLastClickPoint { 0, 0 }
    , mbHadClick(false)
    , miFocus(-1)
    , mbActive(true)
    , mbDirty(false)
    , mOrigin { 0, 0 }
    , mRect { 0, 0, 0, 0 }
    , mpWindow(nullptr)
{ }

epiPanel::~epiPanel() = default;

void epiPanel::SetOrigin(int h, int v)
{
    mOrigin = SEpiPoint { static_cast<int16_t>(h), static_cast<int16_t>(v) };
}

bool epiPanel::LoadLayout(vpaGui* pWindow, int32_t iLayoutId)
{
    mpWindow = pWindow;
    for (auto& pControl : maControls)
        pControl.reset();
    miCount = 0;
    miTracked = -1;
    miFocus = -1;
    epiLayout layout;
    if (pWindow == nullptr || pWindow->GetResFile() == nullptr || !layout.Load(*pWindow->GetResFile(), iLayoutId))
        return false;
    int nHeight = layout.mRect.Height();
    const SEpiRect window = pWindow->GetBounds();
    if (!window.IsEmpty() && mOrigin.v + nHeight > window.bottom)
        nHeight = std::max(0, window.bottom - mOrigin.v);
    mRect = SEpiRect { mOrigin.h, mOrigin.v, static_cast<int16_t>(mOrigin.h + layout.mRect.Width()),
        static_cast<int16_t>(mOrigin.v + nHeight) };
    const int nItems = std::min<int>(static_cast<int>(layout.mItems.size()), kMaxControls);
    for (int i = 0; i < nItems; ++i) {
        std::unique_ptr<epiPanelControl> pControl = epiCreateControl(layout.mItems[static_cast<size_t>(i)].Kind());
        if (!pControl)
            continue;
        maControls[static_cast<size_t>(i)] = std::move(pControl);
        miCount = std::max(miCount, i + 1);
        maControls[static_cast<size_t>(i)]->Build(this, i, layout.mItems[static_cast<size_t>(i)], mOrigin);
    }
    InvalidateRect(mRect);
    return true;
}

epiPanelControl* epiPanel::GetControl(int nIndex) const
{
    return nIndex >= 0 && nIndex < miCount ? maControls[static_cast<size_t>(nIndex)].get() : nullptr;
}

void epiPanel::SendToControl(int nIndex, uint32_t nCode, int a, int b)
{
    epiPanelControl* pControl = GetControl(nIndex);
    if (pControl == nullptr)
        return;
    if (nCode >= kEpiMsgTextColour && nCode <= kEpiMsgKnobValue)
        pControl->Message(static_cast<int>(nCode), a);
    else
        pControl->SetProperty(nCode, a, b);
}

void epiPanel::SetControlValue(int nIndex, int nValue)
{
    if (epiPanelControl* pControl = GetControl(nIndex))
        pControl->SetValue(nValue);
}

int epiPanel::GetControlValue(int nIndex) const
{
    const epiPanelControl* pControl = GetControl(nIndex);
    return pControl != nullptr ? pControl->GetValue() : 0;
}

void epiPanel::ShowControl(int nIndex, bool bShow)
{
    if (epiPanelControl* pControl = GetControl(nIndex))
        pControl->SetVisible(bShow);
}

void epiPanel::EnableControl(int nIndex, bool bEnable)
{
    if (epiPanelControl* pControl = GetControl(nIndex))
        pControl->SetEnabled(bEnable);
}

bool epiPanel::Offer(epiPanelControl* pControl, bool bDouble)
{
    if (bDouble && pControl->DoubleClick())
        return true;
    return pControl->Click();
}

int epiPanel::FindOpenPopup() const
{
    for (int i = 0; i < miCount; ++i) {
        const epiPanelControl* pControl = maControls[static_cast<size_t>(i)].get();
        if (pControl != nullptr && pControl->HasOpenPopup())
            return i;
    }
    return -1;
}

SEpiRect epiPanel::GetOverlayRect() const
{
    SEpiRect rect { 0, 0, 0, 0 };
    for (int i = 0; i < miCount; ++i) {
        const epiPanelControl* pControl = maControls[static_cast<size_t>(i)].get();
        if (pControl != nullptr && pControl->IsVisible())
            rect = EpiUnion(rect, pControl->GetOverlayRect());
    }
    return rect;
}

void epiPanel::AddOverlayParts(std::vector<SEpiRect>& parts) const
{
    for (int i = 0; i < miCount; ++i) {
        const epiPanelControl* pControl = maControls[static_cast<size_t>(i)].get();
        if (pControl != nullptr && pControl->IsVisible())
            pControl->AddOverlayParts(parts);
    }
}

bool epiPanel::MouseDown(SEpiPoint point)
{
    if (!mbActive)
        return false;
    // An open pop-up takes the press wherever it lands; outside it closes.
    if (const int nPopup = FindOpenPopup(); nPopup >= 0) {
        miTracked = nPopup;
        GetControl(nPopup)->MouseDown();
        return true;
    }
    if (!EpiContains(mRect, point))
        return false;
    const IEpiInputState* pInput = GetInput();
    const uint32_t nNow = pInput != nullptr ? pInput->GetTicks60() : 0;
    const bool bDouble = mbHadClick && nNow - mnLastClickTicks < kDoubleClickTicks && point.h == mLastClickPoint.h
        && point.v == mLastClickPoint.v;
    mbHadClick = true;
    mnLastClickTicks = nNow;
    mLastClickPoint = point;

    for (int i = 0; i < miCount; ++i) {
        epiPanelControl* pControl = maControls[static_cast<size_t>(i)].get();
        if (pControl == nullptr || !pControl->TakesEvents() || !pControl->IsInside(point))
            continue;
        if (!Offer(pControl, bDouble))
            continue;
        miTracked = i;
        pControl->MouseDown();
        Notify(0);
        if (!pControl->ReportsOnRelease())
            ReportValue(i, pControl->GetValue());
        return true;
    }
    BackgroundClick(bDouble);
    return true;
}

bool epiPanel::MouseUp()
{
    if (miTracked < 0)
        return false;
    epiPanelControl* pControl = GetControl(miTracked);
    if (pControl != nullptr && pControl->MouseUp()) {
        Notify(2);
        if (pControl->ReportsOnRelease())
            ReportValue(miTracked, pControl->GetValue());
    }
    miTracked = -1;
    return true;
}

void epiPanel::Idle()
{
    if (!mbActive)
        return;
    if (miTracked >= 0) {
        epiPanelControl* pControl = GetControl(miTracked);
        if (pControl != nullptr && pControl->Drag())
            Notify(1);
        return;
    }
    // An open pop-up follows the pointer without a button.
    if (const int nPopup = FindOpenPopup(); nPopup >= 0)
        GetControl(nPopup)->Drag();
    for (int i = 0; i < miCount; ++i) {
        epiPanelControl* pControl = maControls[static_cast<size_t>(i)].get();
        if (pControl != nullptr && pControl->IsAnimating() && pControl->TakesEvents())
            pControl->Tick();
    }
}

bool epiPanel::Key(int nKey)
{
    if (!mbActive)
        return false;
    const int nPopup = FindOpenPopup();
    for (int i = nPopup >= 0 ? nPopup : 0; i < miCount; ++i) {
        epiPanelControl* pControl = maControls[static_cast<size_t>(i)].get();
        if (pControl != nullptr && pControl->TakesEvents() && pControl->Key(nKey)) {
            if (pControl->TakeKeyReport())
                ReportValue(i, pControl->GetValue());
            return true;
        }
    }
    if (nKey == kEpiKeyTab) {
        const IEpiInputState* pInput = GetInput();
        MoveFocus(pInput != nullptr && pInput->IsShiftDown());
        return true;
    }
    return false;
}

void epiPanel::MoveFocus(bool bBackwards)
{
    if (miCount == 0)
        return;
    int n = miFocus;
    for (int nTried = 0; nTried < miCount; ++nTried) {
        if (bBackwards)
            n = n <= 0 ? miCount - 1 : n - 1;
        else
            n = n + 1 >= miCount ? 0 : n + 1;
        const epiPanelControl* pControl = GetControl(n);
        if (pControl != nullptr && pControl->IsFocusable() && pControl->IsVisible()) {
            SetFocus(n);
            return;
        }
    }
}

void epiPanel::SetFocus(int nIndex)
{
    if (nIndex == miFocus)
        return;
    if (epiPanelControl* pOld = GetControl(miFocus))
        pOld->Invalidate();
    miFocus = GetControl(nIndex) != nullptr ? nIndex : -1;
    if (epiPanelControl* pNew = GetControl(miFocus))
        pNew->Invalidate();
}

bool epiPanel::Wheel(SEpiPoint point, int nNotches)
{
    if (!mbActive || miTracked >= 0 || !EpiContains(mRect, point))
        return false;
    for (int i = 0; i < miCount; ++i) {
        epiPanelControl* pControl = maControls[static_cast<size_t>(i)].get();
        if (pControl != nullptr && pControl->TakesEvents() && pControl->IsInside(point))
            return ControlWheel(i, nNotches);
    }
    return false;
}

bool epiPanel::ControlWheel(int nIndex, int nNotches)
{
    epiPanelControl* pControl = GetControl(nIndex);
    if (pControl == nullptr || !pControl->Wheel(nNotches))
        return false;
    ReportValue(nIndex, pControl->GetValue());
    return true;
}

void epiPanel::Notify(int) { }

void epiPanel::ReportValue(int, int) { }

void epiPanel::BackgroundClick(bool) { }

void epiPanel::Draw(epiOffmap& target, const SEpiRect& clip)
{
    if (!mbActive)
        return;
    const SEpiRect area = EpiIntersect(clip, mRect);
    if (area.IsEmpty())
        return;
    for (int i = 0; i < miCount; ++i) {
        epiPanelControl* pControl = maControls[static_cast<size_t>(i)].get();
        if (pControl != nullptr && pControl->IsVisible() && !EpiIntersect(pControl->GetBounds(), area).IsEmpty())
            pControl->Draw(target, area);
    }
}

void epiPanel::DrawOverlays(epiOffmap& target, const SEpiRect& clip)
{
    if (!mbActive)
        return;
    for (int i = 0; i < miCount; ++i) {
        epiPanelControl* pControl = maControls[static_cast<size_t>(i)].get();
        if (pControl != nullptr && pControl->IsVisible() && !EpiIntersect(pControl->GetOverlayRect(), clip).IsEmpty())
            pControl->DrawOverlay(target, clip);
    }
}

void epiPanel::Redraw(epiOffmap& target, std::vector<SEpiRect>& updated)
{
    if (!mbDirty)
        return;
    mbDirty = false;
    for (int i = 0; i < miCount; ++i) {
        epiPanelControl* pControl = maControls[static_cast<size_t>(i)].get();
        if (pControl == nullptr || pControl->GetInvalidRect().IsEmpty())
            continue;
        mPending.push_back(pControl->GetInvalidRect());
        pControl->ClearInvalid();
    }
    if (!mbActive) {
        mPending.clear();
        return;
    }
    const size_t nFirst = updated.size();
    for (const SEpiRect& rect : mPending) {
        const SEpiRect area = EpiIntersect(rect, mRect);
        if (area.IsEmpty())
            continue;
        // A rectangle inside one repainted in this pass is already done.
        bool bDone = false;
        for (size_t k = nFirst; k < updated.size() && !bDone; ++k) {
            const SEpiRect& done = updated[k];
            bDone = area.left >= done.left && area.top >= done.top && area.right <= done.right
                && area.bottom <= done.bottom;
        }
        if (bDone)
            continue;
        Draw(target, area);
        updated.push_back(area);
    }
    mPending.clear();
}

void epiPanel::InvalidateRect(const SEpiRect& rect)
{
    const SEpiRect area = EpiIntersect(rect, mRect);
    if (area.IsEmpty())
        return;
    mPending.push_back(area);
    mbDirty = true;
}

void epiPanel::InvalidateWindowRect(const SEpiRect& rect)
{
    if (mpWindow != nullptr)
        mpWindow->InvalidateRect(rect);
    else
        InvalidateRect(rect);
}

EpiCasts* epiPanel::GetCasts() const
{
    return mpWindow != nullptr ? mpWindow->GetCasts() : nullptr;
}

const IEpiInputState* epiPanel::GetInput() const
{
    return mpWindow != nullptr ? &mpWindow->GetInput() : nullptr;
}

const epiAlphaFontsList* epiPanel::GetFonts() const
{
    return mpWindow != nullptr ? &mpWindow->GetFonts() : nullptr;
}

void epiPanel::DiscardInvalid()
{
    for (int i = 0; i < miCount; ++i)
        if (epiPanelControl* pControl = maControls[static_cast<size_t>(i)].get())
            pControl->ClearInvalid();
    mPending.clear();
    mbDirty = false;
}
