#include "toolkit/epiAlphaControl_text.h"

#include "toolkit/epiAlphaFontsList.h"
#include "toolkit/epiBlit.h"

#include <cstdio>
#include <cstring>

epiAlphaControl_text::epiAlphaControl_text()
    : msLines(1, '\0')
    , miLines(1)
    , miFontSlot(0)
    , miAlign(0)
    , miOffsetH(0)
    , miOffsetV(0)
    , miMaxWidth(0)
    , miLineSpacing(0)
    , mbColour(false)
    , mnColour(0)
    , mnDimmedColour(kDimmedColour)
{ }

void epiAlphaControl_text::Init()
{
    miFontSlot = manOptions[0];
    miAlign = manOptions[3];
    miOffsetH = maiParams[1];
    miOffsetV = maiParams[2];
    miMaxWidth = maiParams[3];
}

void epiAlphaControl_text::Message(int nCode, int nValue)
{
    if (nCode == kEpiMsgTextColour) {
        mbColour = true;
        mnColour = static_cast<uint16_t>(nValue);
        Invalidate();
    } else if (nCode == kEpiMsgLineSpacing) {
        miLineSpacing = nValue;
        Invalidate();
    } else {
        epiAlphaControl::Message(nCode, nValue);
    }
}

void epiAlphaControl_text::SetProperty(uint32_t nCode, int a, int b)
{
    if (nCode == kFontProperty) {
        miFontSlot = a;
        Invalidate();
    } else if (nCode == kBoundsProperty) {
        Invalidate();
        mBounds.left = static_cast<int16_t>(mBounds.left + miOffsetH);
        mBounds.right = static_cast<int16_t>(mBounds.right + miOffsetH);
        mBounds.top = static_cast<int16_t>(mBounds.top + miOffsetV);
        mBounds.bottom = static_cast<int16_t>(mBounds.bottom + miOffsetV);
        Invalidate();
    } else {
        epiAlphaControl::SetProperty(nCode, a, b);
    }
}

void epiAlphaControl_text::SetText(const char* pszText)
{
    msLines.assign(pszText != nullptr ? pszText : "");
    miLines = 1;
    for (char& c : msLines)
        if (c == '\r') {
            c = '\0';
            ++miLines;
        }
    msLines.push_back('\0');
    Invalidate();
}

void epiAlphaControl_text::SetNumber(int nNumber)
{
    char acText[16];
    std::snprintf(acText, sizeof(acText), "%d", static_cast<int>(static_cast<int16_t>(nNumber)));
    SetText(acText);
}

void epiAlphaControl_text::GetText(char* pBuffer, size_t nSize) const
{
    if (pBuffer == nullptr || nSize == 0)
        return;
    std::strncpy(pBuffer, msLines.c_str(), nSize - 1);
    pBuffer[nSize - 1] = '\0';
}

std::string epiAlphaControl_text::GetText() const
{
    return std::string(msLines.c_str());
}

const char* epiAlphaControl_text::GetLine(int n) const
{
    if (n < 0 || n >= miLines)
        return "";
    const char* p = msLines.c_str();
    for (int i = 0; i < n; ++i)
        p += std::strlen(p) + 1;
    return p;
}

void epiAlphaControl_text::Draw(epiOffmap& target, const SEpiRect& clip)
{
    epiAlphaControl::Draw(target, clip);
    DrawText(target, clip);
}

void epiAlphaControl_text::DrawText(epiOffmap& target, const SEpiRect& clip)
{
    const epiAlphaFontsList* pFonts = GetFonts();
    if (pFonts == nullptr || miLines < 1 || EpiIntersect(clip, mBounds).IsEmpty())
        return;
    const int h = pFonts->GetHeight(miFontSlot);
    int x = miAlign == 0 ? mBounds.left : miAlign == 2 ? mBounds.right : (mBounds.left + mBounds.right) / 2;
    x += miOffsetH;
    const int nTotal = miLines * h + (miLines - 1) * miLineSpacing;
    const int nCentre = (mBounds.top + mBounds.bottom) / 2;
    for (int i = 0; i < miLines; ++i) {
        const int y = nCentre + i * (h + miLineSpacing) - nTotal / 2 + miOffsetV;
        if (mbColour)
            pFonts->DrawColoured(miFontSlot, &target, GetLine(i), x, y, miAlign, miMaxWidth, clip,
                mbEnabled ? mnColour : mnDimmedColour);
        else
            pFonts->Draw(miFontSlot, &target, GetLine(i), x, y, miAlign, miMaxWidth, clip);
    }
}
