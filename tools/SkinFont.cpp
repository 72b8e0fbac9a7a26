#include "tools/SkinFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct SGlyph {
    int nWidth = 1; // the run of marked pixels
    int nLeft = 0; // bitmap offset inside the cell
    int nTop = 0; // bitmap rows above the baseline
    int nBitmapWidth = 0;
    int nBitmapRows = 0;
    std::vector<uint8_t> coverage;
};

bool IsDrawnCode(int nCode)
{
    return (nCode >= 32 && nCode < 127) || nCode >= 160;
}

} // namespace

bool RasteriseSkinFont(const std::string& sFontFile, int nPixelSize, SSkinPlanes& planes)
{
    FT_Library pLibrary = nullptr;
    FT_Face pFace = nullptr;
    if (FT_Init_FreeType(&pLibrary) != 0)
        return false;
    if (FT_New_Face(pLibrary, sFontFile.c_str(), 0, &pFace) != 0 || FT_Set_Pixel_Sizes(pFace, 0, nPixelSize) != 0) {
        std::fprintf(stderr, "skin: cannot read the font %s\n", sFontFile.c_str());
        FT_Done_FreeType(pLibrary);
        return false;
    }
    const int nAscent = static_cast<int>((pFace->size->metrics.ascender + 63) >> 6);
    const int nDescent = static_cast<int>((-pFace->size->metrics.descender + 63) >> 6);
    const int nGlyphHeight = nAscent + nDescent;

    std::vector<SGlyph> glyphs(256);
    int nTotalWidth = 0;
    for (int nCode = 0; nCode < 256; ++nCode) {
        SGlyph& glyph = glyphs[static_cast<size_t>(nCode)];
        if (IsDrawnCode(nCode) && FT_Get_Char_Index(pFace, static_cast<FT_ULong>(nCode)) != 0
            && FT_Load_Char(pFace, static_cast<FT_ULong>(nCode), FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) == 0) {
            const FT_GlyphSlot pSlot = pFace->glyph;
            const int nAdvance = static_cast<int>((pSlot->advance.x + 32) >> 6);
            glyph.nLeft = std::max(0, pSlot->bitmap_left);
            glyph.nWidth = std::max({ 1, nAdvance, glyph.nLeft + static_cast<int>(pSlot->bitmap.width) });
            glyph.nTop = pSlot->bitmap_top;
            glyph.nBitmapWidth = static_cast<int>(pSlot->bitmap.width);
            glyph.nBitmapRows = static_cast<int>(pSlot->bitmap.rows);
            glyph.coverage.resize(static_cast<size_t>(glyph.nBitmapWidth) * glyph.nBitmapRows);
            for (int y = 0; y < glyph.nBitmapRows; ++y)
                for (int x = 0; x < glyph.nBitmapWidth; ++x)
                    glyph.coverage[static_cast<size_t>(y) * glyph.nBitmapWidth + x]
                        = pSlot->bitmap.buffer[y * pSlot->bitmap.pitch + x];
        }
        nTotalWidth += glyph.nWidth + 1; // one unmarked column between runs
    }
    FT_Done_Face(pFace);
    FT_Done_FreeType(pLibrary);

    planes.nWidth = nTotalWidth;
    planes.nHeight = nGlyphHeight + 5;
    planes.colour.assign(static_cast<size_t>(planes.nWidth) * planes.nHeight, 0);
    planes.mask.assign(planes.colour.size(), 0);
    const int nMarkerRow = nGlyphHeight + 3;
    const uint16_t nWhite = 0x7FFF;
    int x0 = 0;
    for (const SGlyph& glyph : glyphs) {
        for (int y = 0; y < glyph.nBitmapRows; ++y) {
            const int yy = nAscent - glyph.nTop + y;
            for (int x = 0; x < glyph.nBitmapWidth; ++x) {
                const int xx = glyph.nLeft + x;
                if (yy < 0 || yy >= nGlyphHeight || xx >= glyph.nWidth)
                    continue;
                const size_t i = static_cast<size_t>(yy) * planes.nWidth + x0 + xx;
                planes.mask[i] = glyph.coverage[static_cast<size_t>(y) * glyph.nBitmapWidth + x];
                planes.colour[i] = nWhite;
            }
        }
        // The marker run: visible colour, no coverage, so it never draws.
        for (int x = 0; x < glyph.nWidth; ++x)
            planes.colour[static_cast<size_t>(nMarkerRow) * planes.nWidth + x0 + x] = nWhite;
        x0 += glyph.nWidth + 1;
    }
    return true;
}
