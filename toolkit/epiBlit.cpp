#include "toolkit/epiBlit.h"

#include <algorithm>

bool EpiBlit(const epiOffmap& source, const SEpiRect& sourceRect, epiOffmap& destination,
    const SEpiRect& destinationRect, const epiOffmap* pMask, const SEpiRect* pMaskRect, int nDim)
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
    const int x0 = std::max<int>(destinationRect.left, 0);
    const int y0 = std::max<int>(destinationRect.top, 0);
    const int x1 = std::min<int>(destinationRect.right, destination.GetWidth());
    const int y1 = std::min<int>(destinationRect.bottom, destination.GetHeight());
    const int nKeep = nDim > 0 && nDim <= 100 ? 100 - nDim : 100;
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
