#include "toolkit/epiBlit.h"

#include <algorithm>

namespace {

inline unsigned Expand5(unsigned c)
{
    return (c << 3) | (c >> 2);
}

// Coverage mix of two 5-bit channels through their 8-bit expansions, exactly
// as GetRGB, the mix and SetRGB of the general path compute it.
inline unsigned Mix5(unsigned s, unsigned d, unsigned nCover)
{
    return ((Expand5(s) * nCover + Expand5(d) * (255 - nCover) + 127) / 255) >> 3;
}

// 16-bit to 16-bit, one source pixel per destination pixel, no dimming; the
// rectangle [x0, x1) × [y0, y1) is already clipped.
bool BlitSame16(const epiOffmap& source, const SEpiRect& sourceRect, epiOffmap& destination,
    const SEpiRect& destinationRect, const epiOffmap* pMask, const SEpiRect& maskRect, int x0, int y0, int x1, int y1)
{
    const int dx = sourceRect.left - destinationRect.left;
    const int dy = sourceRect.top - destinationRect.top;
    const int mdx = maskRect.left - destinationRect.left;
    const int mdy = maskRect.top - destinationRect.top;
    bool bDrawn = false;
    for (int y = y0; y < y1; ++y) {
        const int sy = y + dy;
        if (sy < 0 || sy >= source.GetHeight())
            continue;
        // Columns that fall inside the source.
        const int xa = std::max(x0, -dx);
        const int xb = std::min(x1, source.GetWidth() - dx);
        if (xa >= xb)
            continue;
        const uint16_t* pSource = reinterpret_cast<const uint16_t*>(source.RowFromTop(sy)) + dx;
        uint16_t* pDest = reinterpret_cast<uint16_t*>(destination.RowFromTop(y));
        if (pMask == nullptr) {
            for (int x = xa; x < xb; ++x)
                pDest[x] = static_cast<uint16_t>(pSource[x] & 0x7FFF);
            bDrawn = true;
            continue;
        }
        const int my = y + mdy;
        if (my < 0 || my >= pMask->GetHeight())
            continue;
        const uint8_t* pCover = pMask->RowFromTop(my) + mdx;
        const int xma = std::max(xa, -mdx);
        const int xmb = std::min(xb, pMask->GetWidth() - mdx);
        for (int x = xma; x < xmb; ++x) {
            const unsigned nCover = pCover[x];
            if (nCover == 0)
                continue;
            bDrawn = true;
            const unsigned s = pSource[x] & 0x7FFF;
            if (nCover == 255) {
                pDest[x] = static_cast<uint16_t>(s);
                continue;
            }
            const unsigned d = pDest[x];
            pDest[x] = static_cast<uint16_t>((Mix5(s >> 10, (d >> 10) & 31, nCover) << 10)
                | (Mix5((s >> 5) & 31, (d >> 5) & 31, nCover) << 5) | Mix5(s & 31, d & 31, nCover));
        }
    }
    return bDrawn;
}

} // namespace

SEpiRect EpiIntersect(const SEpiRect& a, const SEpiRect& b)
{
    SEpiRect r { std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
        std::min(a.bottom, b.bottom) };
    if (r.IsEmpty())
        r = SEpiRect { 0, 0, 0, 0 };
    return r;
}

SEpiRect EpiUnion(const SEpiRect& a, const SEpiRect& b)
{
    if (a.IsEmpty())
        return b;
    if (b.IsEmpty())
        return a;
    return SEpiRect { std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
        std::max(a.bottom, b.bottom) };
}

bool EpiBlit(const epiOffmap& source, const SEpiRect& sourceRect, epiOffmap& destination,
    const SEpiRect& destinationRect, const epiOffmap* pMask, const SEpiRect* pMaskRect, int nDim)
{
    return EpiBlitClipped(
        source, sourceRect, destination, destinationRect, destination.GetBounds(), pMask, pMaskRect, nDim);
}

bool EpiBlitClipped(const epiOffmap& source, const SEpiRect& sourceRect, epiOffmap& destination,
    const SEpiRect& destinationRect, const SEpiRect& clip, const epiOffmap* pMask, const SEpiRect* pMaskRect, int nDim)
{
    if (!source.IsAllocated() || !destination.IsAllocated() || sourceRect.IsEmpty() || destinationRect.IsEmpty())
        return false;
    if (pMask != nullptr && !pMask->IsAllocated())
        pMask = nullptr;
    const SEpiRect maskRect = pMaskRect != nullptr ? *pMaskRect : sourceRect;
    if (pMask != nullptr && maskRect.IsEmpty())
        pMask = nullptr;

    const int nDestWidth = destinationRect.Width();
    const int nDestHeight = destinationRect.Height();
    const int x0 = std::max<int>(std::max(destinationRect.left, clip.left), 0);
    const int y0 = std::max<int>(std::max(destinationRect.top, clip.top), 0);
    const int x1 = std::min<int>(std::min(destinationRect.right, clip.right), destination.GetWidth());
    const int y1 = std::min<int>(std::min(destinationRect.bottom, clip.bottom), destination.GetHeight());
    if (x0 >= x1 || y0 >= y1)
        return false;
    const int nKeep = nDim > 0 && nDim <= 100 ? 100 - nDim : 100;
    const bool bSameSize = sourceRect.Width() == nDestWidth && sourceRect.Height() == nDestHeight;
    const bool bMaskSameSize = pMask == nullptr
        || (maskRect.Width() == nDestWidth && maskRect.Height() == nDestHeight && pMask->GetBytesPerPixel() == 1);
    if (source.GetDepth() == 1 && destination.GetDepth() == 1 && nKeep == 100 && bSameSize && bMaskSameSize) {
        return BlitSame16(source, sourceRect, destination, destinationRect, pMask, maskRect, x0, y0, x1, y1);
    }
    bool bDrawn = false;
    for (int y = y0; y < y1; ++y) {
        const int dy = y - destinationRect.top;
        const int sy = sourceRect.top + static_cast<int>(static_cast<int64_t>(dy) * sourceRect.Height() / nDestHeight);
        if (sy < 0 || sy >= source.GetHeight())
            continue;
        const int my = maskRect.top + static_cast<int>(static_cast<int64_t>(dy) * maskRect.Height() / nDestHeight);
        for (int x = x0; x < x1; ++x) {
            const int dx = x - destinationRect.left;
            const int sx
                = sourceRect.left + static_cast<int>(static_cast<int64_t>(dx) * sourceRect.Width() / nDestWidth);
            if (sx < 0 || sx >= source.GetWidth())
                continue;
            unsigned nCover = 255;
            if (pMask != nullptr) {
                const int mx
                    = maskRect.left + static_cast<int>(static_cast<int64_t>(dx) * maskRect.Width() / nDestWidth);
                nCover = pMask->GetPixel(mx, my) & 0xFF; // 0 outside the mask
                if (nCover == 0)
                    continue;
            }
            uint8_t r, g, b;
            source.GetRGB(sx, sy, r, g, b);
            if (nKeep != 100) {
                r = static_cast<uint8_t>(r * nKeep / 100);
                g = static_cast<uint8_t>(g * nKeep / 100);
                b = static_cast<uint8_t>(b * nKeep / 100);
            }
            if (nCover != 255) {
                uint8_t dr, dg, db;
                destination.GetRGB(x, y, dr, dg, db);
                r = static_cast<uint8_t>((r * nCover + dr * (255 - nCover) + 127) / 255);
                g = static_cast<uint8_t>((g * nCover + dg * (255 - nCover) + 127) / 255);
                b = static_cast<uint8_t>((b * nCover + db * (255 - nCover) + 127) / 255);
            }
            destination.SetRGB(x, y, r, g, b);
            bDrawn = true;
        }
    }
    return bDrawn;
}

void EpiFillRect(epiOffmap& destination, const SEpiRect& rect, uint8_t r, uint8_t g, uint8_t b)
{
    const int x1 = std::min<int>(rect.right, destination.GetWidth());
    const int y1 = std::min<int>(rect.bottom, destination.GetHeight());
    for (int y = std::max<int>(rect.top, 0); y < y1; ++y)
        for (int x = std::max<int>(rect.left, 0); x < x1; ++x)
            destination.SetRGB(x, y, r, g, b);
}
