// An image drawn by the skin builder (cairo's premultiplied ARGB32) and its
// conversion into a cast: "MPIX" header, 16-bit 5-5-5 colour and, for images
// with transparency, an 8-bit coverage mask.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>

class epiDiskResFile;

class CSkinImage {
public:
    CSkinImage(int nWidth, int nHeight);
    ~CSkinImage();
    CSkinImage(const CSkinImage&) = delete;
    CSkinImage& operator=(const CSkinImage&) = delete;

    cairo_t* Cairo() { return mpCairo; }
    cairo_surface_t* Surface() { return mpSurface; }
    int Width() const { return mnWidth; }
    int Height() const { return mnHeight; }
    // Un-premultiplied colour and alpha of a pixel.
    void GetPixel(int x, int y, uint8_t& r, uint8_t& g, uint8_t& b, uint8_t& a) const;
    void SetPixel(int x, int y, uint8_t r, uint8_t g, uint8_t b, uint8_t a);

    // Writes the cast with id iId: header, "PX16" (ordered dither to 5-5-5)
    // and, when bWithMask, "PXMK" from the alpha channel. False on a write error.
    bool WriteCast(epiDiskResFile& file, int32_t iId, bool bWithMask);

private:
    int mnWidth;
    int mnHeight;
    cairo_surface_t* mpSurface;
    cairo_t* mpCairo;
};
