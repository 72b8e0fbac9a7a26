#include "toolkit/epiPanelControl.h"

#include "toolkit/EpiCasts.h"
#include "toolkit/epiBlit.h"
#include "toolkit/epiInputState.h"
#include "toolkit/epiPanel.h"

#include <cstring>

epiPanelControl::epiPanelControl()
    : mpPanel(nullptr)
    , miIndex(-1)
    , miKind(0)
    , mBounds { 0, 0, 0, 0 }
    , mbEnabled(true)
    , mbActive(false)
    , mbVisible(false)
    , mbAnimating(false)
    , mbFocusable(false)
    , miTag(0)
    , maiCasts {}
    , manCastIndex {}
    , miFrame(0)
    , macName {}
    , maiParams {}
    , mSizeOverride { 0, 0 }
    , miOptionA(0)
    , miOptionB(0)
    , mnPlacement(0)
    , mnPlacementRest(0)
    , manOptionBytes {}
    , manOptions {}
    , miValue(0)
    , mInvalid { 0, 0, 0, 0 }
{
    for (unsigned& n : manCastIndex)
        n = kNoCast;
}

epiPanelControl::~epiPanelControl() = default;

void epiPanelControl::Build(epiPanel* pPanel, int nIndex, const SEpiLayoutItem& item, SEpiPoint origin)
{
    mpPanel = pPanel;
    miIndex = nIndex;
    miKind = item.Kind();
    mbEnabled = true;
    mbVisible = item.iState != kEpiItemHidden;
    mbActive = item.iState == kEpiItemActive;
    miTag = item.iTag;
    std::memcpy(macName, item.acName, sizeof(macName));
    macName[sizeof(macName) - 1] = '\0';
    std::memcpy(maiParams, item.aiParams, sizeof(maiParams));
    mSizeOverride = item.sizeOverride;
    miOptionA = item.iOptionA;
    miOptionB = item.iOptionB;
    mnPlacement = item.nPlacement & 15;
    mnPlacementRest = item.nPlacement / 16;
    std::memcpy(manOptionBytes, item.anOptionBytes, sizeof(manOptionBytes));
    std::memcpy(manOptions, item.anOptions, sizeof(manOptions));

    EpiCasts* pCasts = GetCasts();
    for (int k = 0; k < SEpiLayoutItem::kCasts; ++k) {
        maiCasts[k] = item.aiCasts[k];
        manCastIndex[k] = pCasts != nullptr ? pCasts->IndexOf(item.aiCasts[k]) : kNoCast;
        if (manCastIndex[k] != kNoCast)
            pCasts->GetCast(item.aiCasts[k]);
    }
    miFrame = 0;
    int w = mSizeOverride.h, h = mSizeOverride.v;
    if (w <= 0 || h <= 0) {
        const EpiOneCast* pFirst = CastOf(0);
        w = pFirst != nullptr ? pFirst->GetWidth() : 0;
        h = pFirst != nullptr ? pFirst->GetHeight() : 0;
    }
    const int x = origin.h + item.position.h, y = origin.v + item.position.v;
    mBounds = SEpiRect { static_cast<int16_t>(x), static_cast<int16_t>(y), static_cast<int16_t>(x + w),
        static_cast<int16_t>(y + h) };
    Init();
}

bool epiPanelControl::Click()
{
    return false;
}

bool epiPanelControl::DoubleClick()
{
    return false;
}

bool epiPanelControl::Key(int)
{
    return false;
}

void epiPanelControl::Init() { }

void epiPanelControl::Tick()
{
    mbAnimating = false;
}

void epiPanelControl::MouseDown() { }

bool epiPanelControl::MouseUp()
{
    return false;
}

bool epiPanelControl::Drag()
{
    return false;
}

void epiPanelControl::Message(int, int) { }

void epiPanelControl::SetValue(int nValue)
{
    if (nValue != miValue) {
        miValue = nValue;
        Invalidate();
    }
}

void epiPanelControl::SetProperty(uint32_t, int, int) { }

int epiPanelControl::GetValue() const
{
    return miValue;
}

void epiPanelControl::Draw(epiOffmap&, const SEpiRect&) { }

void epiPanelControl::DrawOverlay(epiOffmap&, const SEpiRect&) { }

bool epiPanelControl::Wheel(int)
{
    return false;
}

void epiPanelControl::AddOverlayParts(std::vector<SEpiRect>& parts) const
{
    const SEpiRect rect = GetOverlayRect();
    if (!rect.IsEmpty())
        parts.push_back(rect);
}

void epiPanelControl::Invalidate()
{
    mInvalid = EpiUnion(mInvalid, mBounds);
    if (mpPanel != nullptr)
        mpPanel->ControlInvalidated();
}

void epiPanelControl::ShowFrame(int nValue, bool)
{
    if (nValue != miFrame) {
        miFrame = nValue;
        Invalidate();
    }
}

bool epiPanelControl::IsInside(SEpiPoint point) const
{
    return EpiContains(mBounds, point);
}

bool epiPanelControl::PointerInside() const
{
    const IEpiInputState* pInput = GetInput();
    return pInput != nullptr && IsInside(pInput->GetPointer());
}

bool epiPanelControl::IsFocused() const
{
    return mpPanel != nullptr && mpPanel->GetFocus() == miIndex;
}

void epiPanelControl::SetEnabled(bool b)
{
    if (b != mbEnabled) {
        mbEnabled = b;
        Invalidate();
    }
}

void epiPanelControl::SetVisible(bool b)
{
    if (b != mbVisible) {
        Invalidate(); // the background shows again where a hidden control was
        mbVisible = b;
    }
}

EpiOneCast* epiPanelControl::CastOf(int nSlot) const
{
    if (nSlot < 0 || nSlot >= SEpiLayoutItem::kCasts || manCastIndex[nSlot] == kNoCast)
        return nullptr;
    EpiCasts* pCasts = GetCasts();
    return pCasts != nullptr ? pCasts->GetCast(maiCasts[nSlot]) : nullptr;
}

EpiCasts* epiPanelControl::GetCasts() const
{
    return mpPanel != nullptr ? mpPanel->GetCasts() : nullptr;
}

const IEpiInputState* epiPanelControl::GetInput() const
{
    return mpPanel != nullptr ? mpPanel->GetInput() : nullptr;
}

const epiAlphaFontsList* epiPanelControl::GetFonts() const
{
    return mpPanel != nullptr ? mpPanel->GetFonts() : nullptr;
}

uint32_t epiPanelControl::Now() const
{
    const IEpiInputState* pInput = GetInput();
    return pInput != nullptr ? pInput->GetMillis() : 0;
}

void epiPanelControl::DrawCastSlot(epiOffmap& target, const SEpiRect& clip, int nSlot, int nDim) const
{
    EpiOneCast* pCast = CastOf(nSlot);
    if (pCast == nullptr || !pCast->IsColourLoaded())
        return;
    const SEpiRect source = pCast->GetBounds();
    const SEpiRect destination { mBounds.left, mBounds.top, static_cast<int16_t>(mBounds.left + source.Width()),
        static_cast<int16_t>(mBounds.top + source.Height()) };
    EpiBlitClipped(pCast->GetColourMap(), source, target, destination, clip,
        pCast->IsMaskLoaded() ? &pCast->GetMaskMap() : nullptr, nullptr, nDim);
}
