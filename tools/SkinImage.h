// An image drawn by the skin builder (cairo's premultiplied ARGB32) and its
// conversion into a cast: "MPIX" header, 16-bit 5-5-5 colour and, for images
// with transparency, an 8-bit coverage mask.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>

#include <vector>

class epiDiskResFile;

// Colour (5-5-5, host order, top row first) and optional mask planes of a cast.
struct SSkinPlanes {
    int nWidth = 0;
    int nHeight = 0;
    std::vector<uint16_t> colour;
    std::vector<uint8_t> mask; // empty: no mask
};

// Writes "MPIX", "PX16" and, when there is a mask, "PXMK" with id iId.
bool WriteSkinCast(epiDiskResFile& file, int32_t iId, const SSkinPlanes& planes);

class CSkinImage {
public:
    CSkinImage(int nWidth, int nHeight);
    ~CSkinImage();
    CSkinImage(const CSkinImage&) = delete;
    CSkinImage& operator=(const CSkinImage&) = delete;

    cairo_t* Cairo() { return mpCairo; }
    int Width() const { return mnWidth; }
    int Height() const { return mnHeight; }
    // Un-premultiplied colour and alpha of a pixel.
    void GetPixel(int x, int y, uint8_t& r, uint8_t& g, uint8_t& b, uint8_t& a) const;
    void SetPixel(int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a);

    // Colour dithered to 5-5-5 (ordered 4×4) and, when bWithMask, the mask
    // from the alpha channel.
    SSkinPlanes ToPlanes(bool bWithMask) const;
    bool WriteCast(epiDiskResFile& file, int32_t iId, bool bWithMask) const
    {
        return WriteSkinCast(file, iId, ToPlanes(bWithMask));
    }

private:
    int mnWidth;
    int mnHeight;
    cairo_surface_t* mpSurface;
    cairo_t* mpCairo;
};
