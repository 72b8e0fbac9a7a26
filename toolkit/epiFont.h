// A proportional bitmap font cut from an image cast. The cast shows the 256
// glyphs side by side in code order; the glyph shapes are its mask. Under the
// glyphs, on the marker row (the second row from the bottom), each glyph has
// a run of non-black pixels; the glyph height is the image height minus 5.
#pragma once

#include "toolkit/epiOffmap.h"

#include <cstdint>

class EpiCasts;

class epiFont {
public:
    // The "..." that ends a line cut at its maximum width.
    static constexpr const char* kEllipsis = "...";

    epiFont();
    virtual ~epiFont();
    epiFont(const epiFont&) = delete;
    epiFont& operator=(const epiFont&) = delete;

    // Loads the font from cast iCastId and tints its colour pixels channel by
    // channel: c := (c × k ÷ 256) mod 32 for k = red, green, blue. An unknown
    // cast leaves the font as it was; true when the font is loaded afterwards.
    bool Load(EpiCasts& casts, int32_t iCastId, int nRed, int nGreen, int nBlue);
    bool IsLoaded() const { return mbLoaded; }
    int GetHeight() const { return mnHeight; }
    const SEpiRect& GetGlyph(unsigned char c) const { return maGlyphs[c]; }

    // Sum of the glyph widths of the first nChars characters (all when < 0).
    int Measure(const char* pszText, int nChars = -1) const;

    // Draws one line with its reference at (x, y): alignment 0 left, 1 centre,
    // 2 right of x. With nMaxWidth > 0 a line wider than that ends in "...":
    // the glyphs that fit together with the "..." are drawn, then the "...".
    // Plain drawing uses the font's own pixels; coloured drawing the given
    // 5-5-5 colour. Only pixels inside clip are touched.
    void Draw(
        epiOffmap& target, const char* pszText, int x, int y, int nAlign, int nMaxWidth, const SEpiRect& clip) const;
    void DrawColoured(epiOffmap& target, const char* pszText, int x, int y, int nAlign, int nMaxWidth,
        const SEpiRect& clip, uint16_t nColour) const;

    const epiOffmap& GetMap() const { return mMap; }

private:
    void BuildGlyphs();
    void DrawLine(epiOffmap& target, const char* pszText, int x, int y, int nAlign, int nMaxWidth, const SEpiRect& clip,
        bool bColoured, uint16_t nColour) const;
    int DrawGlyph(
        epiOffmap& target, unsigned char c, int x, int y, const SEpiRect& clip, bool bColoured, uint16_t nColour) const;

    epiOffmap mMap; // the cast's colour pixels at the working depth, tinted
    const epiOffmap* mpMask; // the cast's mask: the glyph shapes
    bool mbLoaded;
    int mnHeight;
    SEpiRect maGlyphs[256];
};

// The kind of font the panels' font list holds.
class epiAlphaPanelFont : public epiFont { };
