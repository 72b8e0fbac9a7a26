#include "tools/SkinImage.h"

#include "toolkit/EpiOneCast.h"
#include "toolkit/epiDiskResFile.h"
#include "toolkit/epiOffmap.h"
#include "toolkit/epiTypes.h"

#include <algorithm>
#include <cstring>
#include <vector>

CSkinImage::CSkinImage(int nWidth, int nHeight)
    : mnWidth(nWidth)
    , mnHeight(nHeight)
    , mpSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, nWidth, nHeight))
    , mpCairo(cairo_create(mpSurface))
{
    cairo_set_antialias(mpCairo, CAIRO_ANTIALIAS_BEST);
}

CSkinImage::~CSkinImage()
{
    cairo_destroy(mpCairo);
    cairo_surface_destroy(mpSurface);
}

void CSkinImage::GetPixel(int x, int y, uint8_t& r, uint8_t& g, uint8_t& b, uint8_t& a) const
{
    cairo_surface_flush(mpSurface);
    const unsigned char* pRow = cairo_image_surface_get_data(mpSurface) + y * cairo_image_surface_get_stride(mpSurface);
    uint32_t n;
    std::memcpy(&n, pRow + x * 4, 4);
    a = static_cast<uint8_t>(n >> 24);
    auto unpremultiply = [a](uint32_t c) {
        return a == 0 ? uint8_t(0) : static_cast<uint8_t>(std::min<uint32_t>(255, (c * 255 + a / 2) / a));
    };
    r = unpremultiply((n >> 16) & 0xFF);
    g = unpremultiply((n >> 8) & 0xFF);
    b = unpremultiply(n & 0xFF);
}

void CSkinImage::SetPixel(int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    cairo_surface_flush(mpSurface);
    unsigned char* pRow = cairo_image_surface_get_data(mpSurface) + y * cairo_image_surface_get_stride(mpSurface);
    const uint32_t n
        = (static_cast<uint32_t>(a) << 24) | ((r * a / 255u) << 16) | ((g * a / 255u) << 8) | (b * a / 255u);
    std::memcpy(pRow + x * 4, &n, 4);
    cairo_surface_mark_dirty(mpSurface);
}

SSkinPlanes CSkinImage::ToPlanes(bool bWithMask) const
{
    // 5-bit channels would band on the dark gradients.
    static const int kaBayer[4][4] = { { 0, 8, 2, 10 }, { 12, 4, 14, 6 }, { 3, 11, 1, 9 }, { 15, 7, 13, 5 } };
    SSkinPlanes planes;
    planes.nWidth = mnWidth;
    planes.nHeight = mnHeight;
    planes.colour.resize(static_cast<size_t>(mnWidth) * mnHeight);
    if (bWithMask)
        planes.mask.resize(planes.colour.size());
    for (int y = 0; y < mnHeight; ++y) {
        for (int x = 0; x < mnWidth; ++x) {
            uint8_t r, g, b, a;
            GetPixel(x, y, r, g, b, a);
            const int nNudge = kaBayer[y & 3][x & 3] / 2; // 0..7 of a 5-bit step of 8
            auto to5 = [nNudge](uint8_t c) { return static_cast<unsigned>(std::min(255, c + nNudge) >> 3); };
            const size_t i = static_cast<size_t>(y) * mnWidth + x;
            planes.colour[i] = static_cast<uint16_t>((to5(r) << 10) | (to5(g) << 5) | to5(b));
            if (bWithMask)
                planes.mask[i] = a;
        }
    }
    return planes;
}

bool WriteSkinCast(epiDiskResFile& file, int32_t iId, const SSkinPlanes& planes)
{
    const int32_t nColourRow = epiOffmap::DefaultRowBytes(1, planes.nWidth);
    const int32_t nMaskRow = epiOffmap::DefaultRowBytes(3, planes.nWidth);
    std::vector<uint8_t> colour(static_cast<size_t>(nColourRow) * planes.nHeight, 0);
    std::vector<uint8_t> mask(static_cast<size_t>(nMaskRow) * planes.nHeight, 0);
    for (int y = 0; y < planes.nHeight; ++y) {
        for (int x = 0; x < planes.nWidth; ++x) {
            const size_t i = static_cast<size_t>(y) * planes.nWidth + x;
            EpiPutBE16(colour.data() + static_cast<size_t>(y) * nColourRow + x * 2, planes.colour[i]);
            if (!planes.mask.empty())
                mask[static_cast<size_t>(y) * nMaskRow + x] = planes.mask[i];
        }
    }
    uint8_t aHeader[EpiOneCast::kHeaderBytes] = {};
    EpiPutBE16(aHeader, static_cast<uint32_t>(planes.nWidth));
    EpiPutBE16(aHeader + 2, static_cast<uint32_t>(planes.nHeight));
    for (int i = 0; i < EpiOneCast::kDepths; ++i)
        EpiPutBE16(aHeader + 8 + 16 * i, 0xFFFF); // default row bytes
    bool bDone = file.Put(aHeader, sizeof(aHeader), kEpiTypeCastHeader, iId)
        && file.Put(colour.data(), static_cast<int32_t>(colour.size()), kEpiTypePixels16, iId);
    if (!planes.mask.empty())
        bDone = bDone && file.Put(mask.data(), static_cast<int32_t>(mask.size()), kEpiTypeMask, iId);
    return bDone;
}
