#include "toolkit/epiFont.h"

#include "toolkit/EpiCasts.h"
#include "toolkit/epiBlit.h"

#include <algorithm>
#include <cstring>

epiFont::epiFont()
    : mpMask(nullptr)
    , mbLoaded(false)
    , mnHeight(0)
    , maGlyphs {}
{ }

epiFont::~epiFont() = default;

bool epiFont::Load(EpiCasts& casts, int32_t iCastId, int nRed, int nGreen, int nBlue)
{
    if (casts.IndexOf(iCastId) == EpiCasts::kNotFound)
        return mbLoaded;
    EpiOneCast* pCast = casts.GetCast(iCastId);
    if (pCast == nullptr)
        return mbLoaded;
    mpMask = pCast->IsMaskLoaded() ? &pCast->GetMaskMap() : nullptr;
    if (pCast->IsColourLoaded()) {
        const epiOffmap& colour = pCast->GetColourMap();
        mbLoaded = false;
        if (colour.GetHeight() <= 5 || !mMap.Allocate(1, colour.GetWidth(), colour.GetHeight()))
            return false;
        for (int y = 0; y < colour.GetHeight(); ++y)
            for (int x = 0; x < colour.GetWidth(); ++x) {
                uint8_t r, g, b;
                colour.GetRGB(x, y, r, g, b);
                mMap.SetRGB(x, y, r, g, b);
            }
        BuildGlyphs();
        mbLoaded = true;
    }
    if (!mbLoaded)
        return false;
    for (int y = 0; y < mMap.GetHeight(); ++y)
        for (int x = 0; x < mMap.GetWidth(); ++x) {
            const uint32_t n = mMap.GetPixel(x, y);
            const unsigned r = (((n >> 10) & 31) * static_cast<unsigned>(nRed) / 256) % 32;
            const unsigned g = (((n >> 5) & 31) * static_cast<unsigned>(nGreen) / 256) % 32;
            const unsigned b = ((n & 31) * static_cast<unsigned>(nBlue) / 256) % 32;
            mMap.SetPixel(x, y, (r << 10) | (g << 5) | b);
        }
    return true;
}

void epiFont::BuildGlyphs()
{
    mnHeight = mMap.GetHeight() - 5;
    const int nMarkerRow = mnHeight + 3;
    const int nWidth = mMap.GetWidth();
    int x = 0;
    for (SEpiRect& glyph : maGlyphs) {
        while (x < nWidth && mMap.GetPixel(x, nMarkerRow) == 0)
            ++x;
        const int nLeft = x;
        while (x < nWidth && mMap.GetPixel(x, nMarkerRow) != 0)
            ++x;
        glyph = SEpiRect { static_cast<int16_t>(nLeft), 0, static_cast<int16_t>(x), static_cast<int16_t>(mnHeight) };
    }
}

int epiFont::Measure(const char* pszText, int nChars) const
{
    if (pszText == nullptr)
        return 0;
    int nWidth = 0;
    for (int i = 0; pszText[i] != '\0' && (nChars < 0 || i < nChars); ++i)
        nWidth += maGlyphs[static_cast<unsigned char>(pszText[i])].Width();
    return nWidth;
}

void epiFont::Draw(
    epiOffmap& target, const char* pszText, int x, int y, int nAlign, int nMaxWidth, const SEpiRect& clip) const
{
    DrawLine(target, pszText, x, y, nAlign, nMaxWidth, clip, false, 0);
}

void epiFont::DrawColoured(epiOffmap& target, const char* pszText, int x, int y, int nAlign, int nMaxWidth,
    const SEpiRect& clip, uint16_t nColour) const
{
    DrawLine(target, pszText, x, y, nAlign, nMaxWidth, clip, true, nColour);
}

void epiFont::DrawLine(epiOffmap& target, const char* pszText, int x, int y, int nAlign, int nMaxWidth,
    const SEpiRect& clip, bool bColoured, uint16_t nColour) const
{
    if (!mbLoaded || pszText == nullptr || !target.IsAllocated())
        return;
    const int nWidth = Measure(pszText);
    if (nAlign != 0) {
        const int w = nMaxWidth > 0 && nWidth > nMaxWidth ? nMaxWidth : nWidth;
        x -= nAlign == 2 ? w : w / 2;
    }
    // A line that does not fit keeps the glyphs that fit beside the "...".
    int nKeep = static_cast<int>(std::strlen(pszText));
    const bool bCut = nMaxWidth > 0 && nWidth > nMaxWidth;
    if (bCut) {
        const int nRoom = nMaxWidth - Measure(kEllipsis);
        int nUsed = 0;
        nKeep = 0;
        while (pszText[nKeep] != '\0') {
            const int w = maGlyphs[static_cast<unsigned char>(pszText[nKeep])].Width();
            if (nUsed + w > nRoom)
                break;
            nUsed += w;
            ++nKeep;
        }
    }
    for (int i = 0; i < nKeep; ++i)
        x += DrawGlyph(target, static_cast<unsigned char>(pszText[i]), x, y, clip, bColoured, nColour);
    if (bCut)
        for (const char* p = kEllipsis; *p != '\0'; ++p)
            x += DrawGlyph(target, static_cast<unsigned char>(*p), x, y, clip, bColoured, nColour);
}

int epiFont::DrawGlyph(
    epiOffmap& target, unsigned char c, int x, int y, const SEpiRect& clip, bool bColoured, uint16_t nColour) const
{
    const SEpiRect& glyph = maGlyphs[c];
    const int w = glyph.Width();
    if (w <= 0)
        return 0;
    const SEpiRect destination { static_cast<int16_t>(x), static_cast<int16_t>(y), static_cast<int16_t>(x + w),
        static_cast<int16_t>(y + mnHeight) };
    if (!bColoured) {
        EpiBlitClipped(mMap, glyph, target, destination, clip, mpMask, &glyph);
        return w;
    }
    // The colour through the glyph's mask (all of the glyph without a mask).
    const SEpiRect area = EpiIntersect(EpiIntersect(destination, clip), target.GetBounds());
    const unsigned sr = (nColour >> 10) & 31, sg = (nColour >> 5) & 31, sb = nColour & 31;
    const uint8_t r8 = EpiExpand5(sr), g8 = EpiExpand5(sg), b8 = EpiExpand5(sb);
    for (int ty = area.top; ty < area.bottom; ++ty)
        for (int tx = area.left; tx < area.right; ++tx) {
            const int gx = glyph.left + tx - x, gy = glyph.top + ty - y;
            const unsigned nCover = mpMask != nullptr ? mpMask->GetPixel(gx, gy) & 0xFF : 255;
            if (nCover == 0)
                continue;
            if (nCover == 255) {
                target.SetPixel(tx, ty, nColour & 0x7FFF);
                continue;
            }
            uint8_t dr, dg, db;
            target.GetRGB(tx, ty, dr, dg, db);
            target.SetRGB(tx, ty, static_cast<uint8_t>((r8 * nCover + dr * (255 - nCover) + 127) / 255),
                static_cast<uint8_t>((g8 * nCover + dg * (255 - nCover) + 127) / 255),
                static_cast<uint8_t>((b8 * nCover + db * (255 - nCover) + 127) / 255));
        }
    return w;
}
