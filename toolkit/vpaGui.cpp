#include "toolkit/vpaGui.h"

#include "toolkit/epiBlit.h"
#include "toolkit/epiLayout.h"
#include "toolkit/epiPanel.h"
#include "toolkit/vpaGuiEngine.h"

vpaGui::vpaGui()
    : mBounds { 0, 0, 0, 0 }
    , mpCaptured(nullptr)
    , mpEngine(nullptr)
    , mUpdate { 0, 0, 0, 0 }
{ }

vpaGui::~vpaGui() = default;

bool vpaGui::Create(vpaGuiEngine* pEngine, int32_t iMainLayoutId)
{
    epiLayout layout;
    if (pEngine == nullptr || !pEngine->IsOpen() || !layout.Load(pEngine->GetResFile(), iMainLayoutId))
        return false;
    return Allocate(pEngine, layout.mRect.Width(), layout.mRect.Height());
}

bool vpaGui::Create(vpaGuiEngine* pEngine, int nWidth, int nHeight)
{
    return pEngine != nullptr && pEngine->IsOpen() && Allocate(pEngine, nWidth, nHeight);
}

bool vpaGui::Allocate(vpaGuiEngine* pEngine, int nWidth, int nHeight)
{
    mpEngine = pEngine;
    if (!mMap.Allocate(1, nWidth, nHeight))
        return false;
    mBounds = mMap.GetBounds();
    mFonts.SetTarget(&mMap);
    mFonts.LoadSlot(0, pEngine->GetCasts(), kValueFontCast, 0, 0, 0);
    mFonts.LoadSlot(1, pEngine->GetCasts(), kLabelFontCast, 0, 0, 0);
    mPanels.clear();
    mpCaptured = nullptr;
    return true;
}

bool vpaGui::AddPanel(epiPanel* pPanel)
{
    if (pPanel == nullptr || GetPanelCount() >= kMaxPanels)
        return false;
    mPanels.push_back(pPanel);
    return true;
}

epiPanel* vpaGui::GetPanel(int n) const
{
    return n >= 0 && n < GetPanelCount() ? mPanels[static_cast<size_t>(n)] : nullptr;
}

EpiCasts* vpaGui::GetCasts() const
{
    return mpEngine != nullptr ? &mpEngine->GetCasts() : nullptr;
}

epiDiskResFile* vpaGui::GetResFile() const
{
    return mpEngine != nullptr && mpEngine->IsOpen() ? &mpEngine->GetResFile() : nullptr;
}

void vpaGui::MouseDown(int h, int v)
{
    mInput.SetPointer(h, v);
    const SEpiPoint point = mInput.GetPointer();
    if (mpCaptured != nullptr && mpCaptured->MouseDown(point))
        return;
    for (epiPanel* pPanel : mPanels)
        if (pPanel->IsActive() && pPanel->HasOpenPopup() && pPanel->MouseDown(point)) {
            mpCaptured = pPanel;
            return;
        }
    for (epiPanel* pPanel : mPanels)
        if (pPanel->IsActive() && pPanel->MouseDown(point)) {
            mpCaptured = pPanel;
            return;
        }
}

void vpaGui::MouseMove(int h, int v)
{
    mInput.SetPointer(h, v);
    for (epiPanel* pPanel : mPanels)
        if (pPanel->IsActive())
            pPanel->Idle();
}

void vpaGui::MouseUp()
{
    if (mpCaptured != nullptr)
        mpCaptured->MouseUp();
    mpCaptured = nullptr;
}

bool vpaGui::Key(int nKey)
{
    for (epiPanel* pPanel : mPanels)
        if (pPanel->IsActive() && pPanel->HasOpenPopup())
            return pPanel->Key(nKey);
    for (epiPanel* pPanel : mPanels)
        if (pPanel->IsActive() && pPanel->Key(nKey))
            return true;
    return false;
}

bool vpaGui::Wheel(int h, int v, int nNotches)
{
    for (epiPanel* pPanel : mPanels)
        if (pPanel->IsActive() && pPanel->HasOpenPopup())
            return false;
    mInput.SetPointer(h, v);
    const SEpiPoint point = mInput.GetPointer();
    for (epiPanel* pPanel : mPanels)
        if (pPanel->IsActive() && pPanel->Wheel(point, nNotches))
            return true;
    return false;
}

void vpaGui::Tick()
{
    for (epiPanel* pPanel : mPanels)
        if (pPanel->IsActive())
            pPanel->Idle();
    Redraw();
}

void vpaGui::DrawAll()
{
    for (epiPanel* pPanel : mPanels) {
        pPanel->DiscardInvalid(); // all of it is drawn now
        pPanel->Draw(mMap, mBounds);
    }
    if (mbOverlaysInMap)
        for (epiPanel* pPanel : mPanels)
            pPanel->DrawOverlays(mMap, mBounds);
    mUpdate = EpiUnion(mUpdate, mBounds);
}

void vpaGui::Redraw()
{
    mUpdated.clear();
    for (epiPanel* pPanel : mPanels)
        pPanel->Redraw(mMap, mUpdated);
    for (const SEpiRect& rect : mUpdated) {
        if (mbOverlaysInMap)
            for (epiPanel* pPanel : mPanels)
                pPanel->DrawOverlays(mMap, rect);
        mUpdate = EpiUnion(mUpdate, rect);
    }
}

SEpiRect vpaGui::GetOverlayRect() const
{
    SEpiRect rect { 0, 0, 0, 0 };
    for (const epiPanel* pPanel : mPanels)
        if (pPanel->IsActive())
            rect = EpiUnion(rect, pPanel->GetOverlayRect());
    return rect;
}

std::vector<SEpiRect> vpaGui::GetOverlayParts() const
{
    std::vector<SEpiRect> parts;
    for (const epiPanel* pPanel : mPanels)
        if (pPanel->IsActive())
            pPanel->AddOverlayParts(parts);
    return parts;
}

void vpaGui::DrawOverlays(epiOffmap& target, const SEpiRect& clip)
{
    for (epiPanel* pPanel : mPanels)
        pPanel->DrawOverlays(target, clip);
}

void vpaGui::InvalidateRect(const SEpiRect& rect)
{
    for (epiPanel* pPanel : mPanels)
        pPanel->InvalidateRect(rect);
}

SEpiRect vpaGui::TakeUpdateRect()
{
    const SEpiRect rect = mUpdate;
    mUpdate = SEpiRect { 0, 0, 0, 0 };
    return rect;
}
