// The window's twenty panel fonts, numbered 0 to 19, and the map they draw
// into. An operation on a slot outside 0 to 19 does nothing.
#pragma once

#include "toolkit/epiFont.h"

#include <cstdint>

class epiAlphaFontsList {
public:
    static constexpr int kSlots = 20;

    epiAlphaFontsList();

    // Loads slot nSlot from cast iCastId of the cast table, tinted (epiFont::Load).
    bool LoadSlot(int nSlot, EpiCasts& casts, int32_t iCastId, int nRed, int nGreen, int nBlue);
    // The loaded font of a slot, or null.
    const epiAlphaPanelFont* GetFont(int nSlot) const;
    int Measure(int nSlot, const char* pszText) const;
    int GetHeight(int nSlot) const;
    // A null target means the list's own target.
    void Draw(int nSlot, epiOffmap* pTarget, const char* pszText, int x, int y, int nAlign, int nMaxWidth,
        const SEpiRect& clip) const;
    void DrawColoured(int nSlot, epiOffmap* pTarget, const char* pszText, int x, int y, int nAlign, int nMaxWidth,
        const SEpiRect& clip, uint16_t nColour) const;

    void SetTarget(epiOffmap* pTarget) { mpTarget = pTarget; }

private:
    static bool IsSlot(int nSlot) { return nSlot >= 0 && nSlot < kSlots; }

    epiAlphaPanelFont maFonts[kSlots];
    epiOffmap* mpTarget;
};
