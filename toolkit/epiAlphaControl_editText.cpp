#include "toolkit/epiAlphaControl_editText.h"

#include "toolkit/epiAlphaFontsList.h"
#include "toolkit/epiBlit.h"
#include "toolkit/epiInputState.h"
#include "toolkit/epiPanel.h"

void epiAlphaControl_editText::Init()
{
    epiAlphaControl_text::Init();
    mbFocusable = true;
}

bool epiAlphaControl_editText::Click()
{
    return mbEnabled && PointerInside();
}

void epiAlphaControl_editText::SelectAll()
{
    mbSelected = GetLine(0)[0] != '\0';
    Invalidate();
}

void epiAlphaControl_editText::MouseDown()
{
    if (mbSelected) {
        mbSelected = false;
        Invalidate();
    }
    if (mpPanel != nullptr)
        mpPanel->SetFocus(miIndex);
}

bool epiAlphaControl_editText::Key(int nKey)
{
    if (!IsFocused())
        return false;
    std::string sText = GetText();
    if (nKey == kEpiKeyReturn) {
        mbSelected = false;
        mpPanel->SetFocus(-1);
        return true;
    }
    const bool bErase = nKey == kEpiKeyBackspace || nKey == kEpiKeyDelete;
    if (!bErase && !(nKey >= 32 && nKey < 256))
        return false;
    if (mbSelected)
        sText.clear();
    else if (bErase && !sText.empty())
        sText.pop_back();
    if (!bErase && sText.size() < kMaxLength)
        sText.push_back(static_cast<char>(nKey));
    mbSelected = false;
    SetText(sText.c_str());
    Invalidate();
    return true;
}

void epiAlphaControl_editText::Draw(epiOffmap& target, const SEpiRect& clip)
{
    // Nothing is drawn outside the field, whatever the redrawn area.
    const SEpiRect area = EpiIntersect(clip, mBounds);
    if (area.IsEmpty())
        return;
    const epiAlphaFontsList* pFonts = GetFonts();
    const int nWidth = pFonts != nullptr ? pFonts->Measure(miFontSlot, GetLine(0)) : 0;
    const int nRoom = mBounds.Width() - miOffsetH - kCaretRoom;
    const bool bFits = pFonts == nullptr || nWidth <= nRoom || miAlign != 0;
    // Too wide: the end stays in view, where the typing happens.
    const int nEnd = bFits ? mBounds.left + miOffsetH + nWidth : mBounds.right - kCaretRoom;
    const int nStart = bFits ? nEnd - nWidth : mBounds.left;
    // The background picture only: this control lays out its own text, so
    // the text control's Draw is skipped on purpose.
    // NOLINTNEXTLINE(bugprone-parent-virtual-call)
    epiAlphaControl::Draw(target, area);
    if (mbSelected && IsFocused() && miAlign == 0 && pFonts != nullptr) {
        const int h = pFonts->GetHeight(miFontSlot);
        const int nTop = (mBounds.top + mBounds.bottom) / 2 - h / 2 + miOffsetV;
        const SEpiRect mark { static_cast<int16_t>(nStart - 1), static_cast<int16_t>(nTop - 1),
            static_cast<int16_t>(nEnd + 1), static_cast<int16_t>(nTop + h + 1) };
        EpiFillRect(target, EpiIntersect(mark, area), 0x9C, 0xC4, 0xF0);
    }
    if (bFits) {
        DrawText(target, area);
    } else {
        const int y = (mBounds.top + mBounds.bottom) / 2 - pFonts->GetHeight(miFontSlot) / 2 + miOffsetV;
        if (mbColour)
            pFonts->DrawColoured(
                miFontSlot, &target, GetLine(0), nEnd, y, 2, 0, area, mbEnabled ? mnColour : mnDimmedColour);
        else
            pFonts->Draw(miFontSlot, &target, GetLine(0), nEnd, y, 2, 0, area);
    }
    if (!IsFocused())
        return;
    // A one-pixel underline marks the focused field; a left-aligned one shows
    // a caret after its text.
    const SEpiRect line { mBounds.left, static_cast<int16_t>(mBounds.bottom - 1), mBounds.right, mBounds.bottom };
    EpiFillRect(target, EpiIntersect(line, area), 0x3C, 0x8C, 0xD0);
    if (miAlign == 0 && pFonts != nullptr) {
        const int h = pFonts->GetHeight(miFontSlot);
        const int nTop = (mBounds.top + mBounds.bottom) / 2 - h / 2 + miOffsetV;
        const SEpiRect caret { static_cast<int16_t>(nEnd + 1), static_cast<int16_t>(nTop),
            static_cast<int16_t>(nEnd + 2), static_cast<int16_t>(nTop + h) };
        EpiFillRect(target, EpiIntersect(caret, area), 0x20, 0x20, 0x24);
    }
}

void epiAlphaControl_rollingText::Restart()
{
    miScroll = 0;
    mbStarted = false;
    const epiAlphaFontsList* pFonts = GetFonts();
    mbAnimating = pFonts != nullptr && pFonts->Measure(miFontSlot, GetLine(0)) > mBounds.Width();
    Invalidate();
}

void epiAlphaControl_rollingText::Tick()
{
    const epiAlphaFontsList* pFonts = GetFonts();
    const int nWidth = pFonts != nullptr ? pFonts->Measure(miFontSlot, GetLine(0)) : 0;
    if (nWidth <= mBounds.Width()) {
        mbAnimating = false;
        miScroll = 0;
        return;
    }
    const uint32_t nNow = Now();
    if (!mbStarted) {
        mbStarted = true;
        mnStart = nNow;
    }
    // The text goes by once, then its start comes back in from the right.
    const int nCycle = nWidth + mBounds.Width();
    const int nScroll = static_cast<int>((nNow - mnStart) / kMillisPerPixel % static_cast<uint32_t>(nCycle));
    if (nScroll != miScroll) {
        miScroll = nScroll;
        Invalidate();
    }
}

void epiAlphaControl_rollingText::Draw(epiOffmap& target, const SEpiRect& clip)
{
    // The background picture only: this control lays out its own text, so
    // the text control's Draw is skipped on purpose.
    // NOLINTNEXTLINE(bugprone-parent-virtual-call)
    epiAlphaControl::Draw(target, clip);
    const epiAlphaFontsList* pFonts = GetFonts();
    if (pFonts == nullptr)
        return;
    const SEpiRect area = EpiIntersect(clip, mBounds);
    const int h = pFonts->GetHeight(miFontSlot);
    const int y = (mBounds.top + mBounds.bottom) / 2 - h / 2 + miOffsetV;
    const int x = miScroll == 0 ? mBounds.left + miOffsetH : mBounds.left - miScroll;
    const uint16_t nColour = mbEnabled ? mnColour : mnDimmedColour;
    if (mbColour)
        pFonts->DrawColoured(miFontSlot, &target, GetLine(0), x, y, 0, 0, area, nColour);
    else
        pFonts->Draw(miFontSlot, &target, GetLine(0), x, y, 0, 0, area);
}
