#include "toolkit/epiAlphaControl_list.h"

#include "toolkit/EpiCasts.h"
#include "toolkit/epiAlphaFontsList.h"
#include "toolkit/epiBlit.h"
#include "toolkit/epiInputState.h"

#include <algorithm>

void epiAlphaControl_list::Init()
{
    epiAlphaControl_text::Init();
    mbFocusable = true;
}

int epiAlphaControl_list::RowHeight() const
{
    const epiAlphaFontsList* pFonts = GetFonts();
    return std::max(1, (pFonts != nullptr ? pFonts->GetHeight(miFontSlot) : 0) + miLineSpacing);
}

int epiAlphaControl_list::RowAtPointer() const
{
    return (GetInput()->GetPointer().v - mBounds.top) / RowHeight();
}

bool epiAlphaControl_list::Click()
{
    return mbEnabled && PointerInside();
}

void epiAlphaControl_list::MouseDown()
{
    mbTracking = true;
    SetValue(RowAtPointer());
}

bool epiAlphaControl_list::Drag()
{
    if (!mbTracking || !PointerInside())
        return false;
    const int nOld = miValue;
    SetValue(RowAtPointer());
    return miValue != nOld;
}

bool epiAlphaControl_list::MouseUp()
{
    const bool bWas = mbTracking;
    mbTracking = false;
    return bWas;
}

bool epiAlphaControl_list::Key(int nKey)
{
    if (!IsFocused() || (nKey != kEpiKeyUp && nKey != kEpiKeyDown))
        return false;
    SetValue(miValue + (nKey == kEpiKeyDown ? 1 : -1));
    return true;
}

void epiAlphaControl_list::SetValue(int nValue)
{
    nValue = std::clamp(nValue, 0, miLines - 1);
    if (nValue != miValue) {
        miValue = nValue;
        Invalidate();
    }
}

void epiAlphaControl_list::Draw(epiOffmap& target, const SEpiRect& clip)
{
    // The background picture only: this control lays out its own text, so
    // the text control's Draw is skipped on purpose.
    // NOLINTNEXTLINE(bugprone-parent-virtual-call)
    epiAlphaControl::Draw(target, clip);
    const epiAlphaFontsList* pFonts = GetFonts();
    if (pFonts == nullptr)
        return;
    const SEpiRect area = EpiIntersect(clip, mBounds);
    const int nRow = RowHeight();
    for (int i = 0; i < miLines; ++i) {
        const int y = mBounds.top + i * nRow;
        if (y >= mBounds.bottom)
            break;
        if (i == miValue)
            EpiFillRect(target,
                EpiIntersect(area,
                    SEpiRect { mBounds.left, static_cast<int16_t>(y), mBounds.right, static_cast<int16_t>(y + nRow) }),
                0x3C, 0x8C, 0xD0);
        const int x = miAlign == 0 ? mBounds.left + miOffsetH
            : miAlign == 2         ? mBounds.right + miOffsetH
                                   : (mBounds.left + mBounds.right) / 2 + miOffsetH;
        if (mbColour)
            pFonts->DrawColoured(miFontSlot, &target, GetLine(i), x, y, miAlign, mBounds.Width(), area,
                mbEnabled ? mnColour : mnDimmedColour);
        else
            pFonts->Draw(miFontSlot, &target, GetLine(i), x, y, miAlign, mBounds.Width(), area);
    }
}

bool epiAlphaControl_scroll::Click()
{
    return mbEnabled && PointerInside();
}

int epiAlphaControl_scroll::ThumbLength() const
{
    const EpiOneCast* pThumb = CastOf(1);
    if (pThumb == nullptr)
        return 0;
    return IsVertical() ? pThumb->GetHeight() : pThumb->GetWidth();
}

int epiAlphaControl_scroll::ValueAtPointer() const
{
    const SEpiPoint point = GetInput()->GetPointer();
    const int nTrack = (IsVertical() ? mBounds.Height() : mBounds.Width()) - ThumbLength();
    if (nTrack <= 0)
        return miMinimum;
    // Vertical bars have their minimum at the top, as lists do.
    const int nAt = (IsVertical() ? point.v - mBounds.top : point.h - mBounds.left) - ThumbLength() / 2;
    const int nSpan = miMaximum - miMinimum;
    return miMinimum + static_cast<int>(static_cast<int64_t>(std::clamp(nAt, 0, nTrack)) * nSpan / nTrack);
}

void epiAlphaControl_scroll::MouseDown()
{
    mbTracking = true;
    SetValue(ValueAtPointer());
}

bool epiAlphaControl_scroll::Drag()
{
    if (!mbTracking)
        return false;
    const int nOld = miValue;
    SetValue(ValueAtPointer());
    return miValue != nOld;
}

bool epiAlphaControl_scroll::MouseUp()
{
    const bool bWas = mbTracking;
    mbTracking = false;
    return bWas;
}

void epiAlphaControl_scroll::SetValue(int nValue)
{
    nValue = std::clamp(nValue, miMinimum, miMaximum);
    if (nValue != miValue) {
        miValue = nValue;
        Invalidate();
    }
}

void epiAlphaControl_scroll::SetProperty(uint32_t nCode, int a, int b)
{
    if (nCode == kLimits && a != b) {
        miMinimum = std::min(a, b);
        miMaximum = std::max(a, b);
        SetValue(miValue);
        Invalidate();
    } else {
        epiAlphaControl_text::SetProperty(nCode, a, b);
    }
}

void epiAlphaControl_scroll::Draw(epiOffmap& target, const SEpiRect& clip)
{
    const int nDim = mbEnabled ? 0 : kDisabledDim;
    DrawCastSlot(target, clip, 0, nDim);
    EpiOneCast* pThumb = CastOf(1);
    if (pThumb == nullptr || !pThumb->IsColourLoaded() || miMaximum == miMinimum)
        return;
    const int nTrack = (IsVertical() ? mBounds.Height() : mBounds.Width()) - ThumbLength();
    const int nAt = static_cast<int>(static_cast<int64_t>(nTrack) * (miValue - miMinimum) / (miMaximum - miMinimum));
    const int x = IsVertical() ? mBounds.left : mBounds.left + nAt;
    const int y = IsVertical() ? mBounds.top + nAt : mBounds.top;
    const SEpiRect source = pThumb->GetBounds();
    const SEpiRect destination { static_cast<int16_t>(x), static_cast<int16_t>(y),
        static_cast<int16_t>(x + source.Width()), static_cast<int16_t>(y + source.Height()) };
    EpiBlitClipped(pThumb->GetColourMap(), source, target, destination, EpiIntersect(clip, mBounds),
        pThumb->IsMaskLoaded() ? &pThumb->GetMaskMap() : nullptr, nullptr, nDim);
}
