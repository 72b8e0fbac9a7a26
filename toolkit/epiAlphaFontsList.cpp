#include "toolkit/epiAlphaFontsList.h"

epiAlphaFontsList::epiAlphaFontsList()
    : mpTarget(nullptr)
{ }

bool epiAlphaFontsList::LoadSlot(int nSlot, EpiCasts& casts, int32_t iCastId, int nRed, int nGreen, int nBlue)
{
    return IsSlot(nSlot) && maFonts[nSlot].Load(casts, iCastId, nRed, nGreen, nBlue);
}

const epiAlphaPanelFont* epiAlphaFontsList::GetFont(int nSlot) const
{
    return IsSlot(nSlot) && maFonts[nSlot].IsLoaded() ? &maFonts[nSlot] : nullptr;
}

int epiAlphaFontsList::Measure(int nSlot, const char* pszText) const
{
    const epiAlphaPanelFont* pFont = GetFont(nSlot);
    return pFont != nullptr ? pFont->Measure(pszText) : 0;
}

int epiAlphaFontsList::GetHeight(int nSlot) const
{
    const epiAlphaPanelFont* pFont = GetFont(nSlot);
    return pFont != nullptr ? pFont->GetHeight() : 0;
}

void epiAlphaFontsList::Draw(int nSlot, epiOffmap* pTarget, const char* pszText, int x, int y, int nAlign,
    int nMaxWidth, const SEpiRect& clip) const
{
    const epiAlphaPanelFont* pFont = GetFont(nSlot);
    epiOffmap* pMap = pTarget != nullptr ? pTarget : mpTarget;
    if (pFont != nullptr && pMap != nullptr)
        pFont->Draw(*pMap, pszText, x, y, nAlign, nMaxWidth, clip);
}

void epiAlphaFontsList::DrawColoured(int nSlot, epiOffmap* pTarget, const char* pszText, int x, int y, int nAlign,
    int nMaxWidth, const SEpiRect& clip, uint16_t nColour) const
{
    const epiAlphaPanelFont* pFont = GetFont(nSlot);
    epiOffmap* pMap = pTarget != nullptr ? pTarget : mpTarget;
    if (pFont != nullptr && pMap != nullptr)
        pFont->DrawColoured(*pMap, pszText, x, y, nAlign, nMaxWidth, clip, nColour);
}
