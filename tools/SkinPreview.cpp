#include "tools/SkinPreview.h"

#include "toolkit/epiBlit.h"
#include "toolkit/epiDiskResFile.h"

#include <cairo.h>

#include <cstring>

namespace {

// Where the editor places its panels in each main layout: (layout, v).
struct SPlacement {
    int32_t iLayout;
    int nTop;
};

std::vector<SPlacement> PanelsOf(int32_t iMainLayout)
{
    switch (iMainLayout) {
    case 100: return { { 10, 0 }, { 1, 18 }, { 2, 278 }, { 3, 413 }, { 4, 600 } };
    case 101: return { { 10, 0 }, { 1, 18 } };
    case 102: return { { 10, 0 }, { 2, 18 } };
    case 103: return { { 10, 0 }, { 3, 18 } };
    case 104: return { { 10, 0 }, { 4, 18 } };
    default: return {};
    }
}

bool IsTextKind(int16_t nKind)
{
    return nKind == kEpiKindText || nKind == kEpiKindButton || nKind == kEpiKindCheck || nKind == kEpiKindRadio
        || nKind == kEpiKindEditText || nKind == kEpiKindHierMenu || nKind == kEpiKindRollingText;
}

} // namespace

CSkinPreview::CSkinPreview(epiDiskResFile& file)
    : mFile(file)
{
    mCasts.SetResFile(&file);
    mCasts.Build();
    LoadFont(maFonts[0], 500);
    LoadFont(maFonts[1], 502);
}

void CSkinPreview::LoadFont(SFont& font, int32_t iCastId)
{
    EpiOneCast* pCast = mCasts.GetCast(iCastId);
    if (pCast == nullptr || !pCast->IsColourLoaded() || !pCast->IsMaskLoaded())
        return;
    epiOffmap& colour = pCast->GetColourMap();
    font.nGlyphHeight = colour.GetHeight() - 5;
    if (font.nGlyphHeight <= 0 || !font.ink.Allocate(1, colour.GetWidth(), colour.GetHeight()))
        return;
    // Runs of marked (non-black) pixels on the marker row, in code order.
    const int nMarkerRow = font.nGlyphHeight + 3;
    int x = 0;
    for (SEpiRect& glyph : font.aGlyphs) {
        while (x < colour.GetWidth() && colour.GetPixel(x, nMarkerRow) == 0)
            ++x;
        const int nLeft = x;
        while (x < colour.GetWidth() && colour.GetPixel(x, nMarkerRow) != 0)
            ++x;
        glyph = SEpiRect { static_cast<int16_t>(nLeft), 0, static_cast<int16_t>(x),
            static_cast<int16_t>(font.nGlyphHeight) };
    }
    font.pMask = &pCast->GetMaskMap();
    font.bLoaded = true;
}

int CSkinPreview::TextWidth(const SFont& font, const std::string& sText) const
{
    int nWidth = 0;
    for (unsigned char c : sText)
        nWidth += font.aGlyphs[c].Width();
    return nWidth;
}

void CSkinPreview::DrawText(const SFont& font, epiOffmap& target, const std::string& sText, int x, int y, int nAlign)
{
    if (!font.bLoaded)
        return;
    if (nAlign == 2)
        x -= TextWidth(font, sText);
    else if (nAlign != 0)
        x -= TextWidth(font, sText) / 2;
    for (unsigned char c : sText) {
        const SEpiRect& glyph = font.aGlyphs[c];
        const SEpiRect destination { static_cast<int16_t>(x), static_cast<int16_t>(y),
            static_cast<int16_t>(x + glyph.Width()), static_cast<int16_t>(y + font.nGlyphHeight) };
        EpiBlit(font.ink, glyph, target, destination, font.pMask, &glyph);
        x += glyph.Width();
    }
}

void CSkinPreview::DrawItem(const SEpiLayoutItem& item, epiOffmap& target, int x0, int y0)
{
    const int16_t nKind = item.Kind();
    EpiOneCast* pFrame = mCasts.GetCast(item.aiCasts[0]);
    int w = item.sizeOverride.h, h = item.sizeOverride.v;
    if ((w == 0 || h == 0) && pFrame != nullptr) {
        w = pFrame->GetWidth();
        h = pFrame->GetHeight();
    }
    const int x = x0 + item.position.h, y = y0 + item.position.v;
    const SEpiRect bounds { static_cast<int16_t>(x), static_cast<int16_t>(y), static_cast<int16_t>(x + w),
        static_cast<int16_t>(y + h) };
    if (nKind == kEpiKindRotary || nKind == kEpiKindKnob) {
        // Frame 0 of the strip, through the strip's mask, else the frame's.
        EpiOneCast* pStrip = mCasts.GetCast(item.aiCasts[1]);
        if (pStrip != nullptr && pStrip->IsColourLoaded()) {
            const SEpiRect source { 0, 0, static_cast<int16_t>(w), static_cast<int16_t>(h) };
            const epiOffmap* pMask = pStrip->IsMaskLoaded()     ? &pStrip->GetMaskMap()
                : (pFrame != nullptr && pFrame->IsMaskLoaded()) ? &pFrame->GetMaskMap()
                                                                : nullptr;
            EpiBlit(pStrip->GetColourMap(), source, target, bounds, pMask, &source);
        }
    } else if (pFrame != nullptr && pFrame->IsColourLoaded()) {
        EpiBlit(pFrame->GetColourMap(), pFrame->GetBounds(), target,
            SEpiRect { static_cast<int16_t>(x), static_cast<int16_t>(y), static_cast<int16_t>(x + pFrame->GetWidth()),
                static_cast<int16_t>(y + pFrame->GetHeight()) },
            pFrame->IsMaskLoaded() ? &pFrame->GetMaskMap() : nullptr);
    }
    if (!IsTextKind(nKind) || nKind == kEpiKindCheck)
        return;
    // Sample text: a value for text fields, the short name for buttons and menus.
    const std::string sText = nKind == kEpiKindText ? "-12.5 dB" : item.acName;
    const SFont& font = maFonts[item.anOptions[0] == 1 ? 1 : 0];
    const int nAlign = item.anOptions[3];
    const int nAnchor = (nAlign == 0 ? x : nAlign == 2 ? x + w : x + w / 2) + item.aiParams[1];
    DrawText(font, target, sText, nAnchor, y + h / 2 - font.nGlyphHeight / 2 + item.aiParams[2], nAlign);
}

bool CSkinPreview::DrawLayout(int32_t iLayoutId, epiOffmap& target, int x0, int y0)
{
    epiLayout layout;
    if (!layout.Load(mFile, iLayoutId))
        return false;
    for (const SEpiLayoutItem& item : layout.mItems)
        if (item.iState != kEpiItemHidden)
            DrawItem(item, target, x0, y0);
    return true;
}

bool CSkinPreview::Render(int32_t iLayoutId, epiOffmap& target)
{
    epiLayout layout;
    if (!layout.Load(mFile, iLayoutId) || layout.mRect.IsEmpty()
        || !target.Allocate(1, layout.mRect.Width(), layout.mRect.Height()))
        return false;
    if (!DrawLayout(iLayoutId, target, 0, 0))
        return false;
    for (const SPlacement& panel : PanelsOf(iLayoutId))
        if (!DrawLayout(panel.iLayout, target, 0, panel.nTop))
            return false;
    return true;
}

bool CSkinPreview::WritePng(const epiOffmap& map, const std::string& sPath)
{
    cairo_surface_t* pSurface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, map.GetWidth(), map.GetHeight());
    unsigned char* pData = cairo_image_surface_get_data(pSurface);
    const int nStride = cairo_image_surface_get_stride(pSurface);
    for (int y = 0; y < map.GetHeight(); ++y) {
        for (int x = 0; x < map.GetWidth(); ++x) {
            uint8_t r, g, b;
            map.GetRGB(x, y, r, g, b);
            const uint32_t n = (static_cast<uint32_t>(r) << 16) | (g << 8) | b;
            std::memcpy(pData + y * nStride + x * 4, &n, 4);
        }
    }
    cairo_surface_mark_dirty(pSurface);
    const bool bDone = cairo_surface_write_to_png(pSurface, sPath.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(pSurface);
    return bDone;
}
