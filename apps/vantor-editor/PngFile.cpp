#include "PngFile.h"

#include <cairo.h>

#include <cstring>

bool WritePngFile(const std::string& sPath, const std::vector<uint32_t>& pixels, int nWidth, int nHeight)
{
    if (nWidth <= 0 || nHeight <= 0 || pixels.size() < static_cast<size_t>(nWidth) * nHeight)
        return false;
    cairo_surface_t* pSurface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, nWidth, nHeight);
    if (cairo_surface_status(pSurface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(pSurface);
        return false;
    }
    cairo_surface_flush(pSurface);
    unsigned char* pData = cairo_image_surface_get_data(pSurface);
    const int nStride = cairo_image_surface_get_stride(pSurface);
    for (int y = 0; y < nHeight; ++y)
        std::memcpy(pData + static_cast<size_t>(y) * nStride, pixels.data() + static_cast<size_t>(y) * nWidth,
            static_cast<size_t>(nWidth) * 4);
    cairo_surface_mark_dirty(pSurface);
    const bool bDone = cairo_surface_write_to_png(pSurface, sPath.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(pSurface);
    return bDone;
}
