// The software blit that draws images into an off-screen map: a source
// rectangle stretched (nearest pixel) into a destination rectangle, converted
// to the destination's depth, optionally through an 8-bit mask whose values
// are coverage (0 keeps the destination, 255 takes the source, between them
// the two are mixed).
#pragma once

#include "toolkit/epiOffmap.h"

// Draws source's sourceRect into destination's destinationRect, clipped to
// both maps. pMask, when given, is read over maskRect (same stretch as the
// source; the whole source rectangle's place when maskRect is null). Dimming
// 0 draws plainly; 1 to 100 darkens the drawn pixels to (100 - dim)% of their
// brightness (disabled controls are drawn with 80... see the panel code).
// False when nothing could be drawn.
bool EpiBlit(const epiOffmap& source, const SEpiRect& sourceRect, epiOffmap& destination,
    const SEpiRect& destinationRect, const epiOffmap* pMask = nullptr, const SEpiRect* pMaskRect = nullptr,
    int nDim = 0);

// The same, drawing only where the destination rectangle meets clip. A
// 16-bit to 16-bit draw without stretch and without dimming takes a fast path
// with the same result.
bool EpiBlitClipped(const epiOffmap& source, const SEpiRect& sourceRect, epiOffmap& destination,
    const SEpiRect& destinationRect, const SEpiRect& clip, const epiOffmap* pMask = nullptr,
    const SEpiRect* pMaskRect = nullptr, int nDim = 0);

// The intersection of two rectangles (empty when they do not meet) and the
// smallest rectangle holding both (an empty one counts as nothing).
SEpiRect EpiIntersect(const SEpiRect& a, const SEpiRect& b);
SEpiRect EpiUnion(const SEpiRect& a, const SEpiRect& b);
inline bool EpiContains(const SEpiRect& rect, SEpiPoint point)
{
    return point.h >= rect.left && point.h < rect.right && point.v >= rect.top && point.v < rect.bottom;
}

// Fills a rectangle of the map with a colour (8-bit channels), clipped.
void EpiFillRect(epiOffmap& destination, const SEpiRect& rect, uint8_t r, uint8_t g, uint8_t b);
