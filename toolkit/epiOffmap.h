// An off-screen bitmap in the layout of a device-independent bitmap: rows
// stored bottom row first, host byte order. Depth indices: 0 8-bit indexed,
// 1 16-bit 5-5-5 (the toolkit's working depth), 2 32-bit (blue, green, red,
// unused in memory), 3 8-bit mask values.
#pragma once

#include "toolkit/epiTypes.h"

#include <cstdint>
#include <memory>
#include <string>

class epiOffmap {
public:
    // Largest pixel block a map may hold; bigger images are refused.
    static constexpr uint32_t kMaxPixelBytes = 16u * 1024 * 1024;

    epiOffmap();
    ~epiOffmap();
    epiOffmap(const epiOffmap&) = delete;
    epiOffmap& operator=(const epiOffmap&) = delete;

    // Bytes per pixel of a depth index, 0 for an unknown one.
    static int BytesPerPixel(int iDepth);
    // Row bytes of -1: the width rounded up to 8 pixels, times bytes per pixel.
    static int32_t DefaultRowBytes(int iDepth, int32_t nWidth);

    // Frees what it held and allocates a zeroed block of height × row bytes.
    // False for an unknown depth, an empty or oversized image, row bytes too
    // small for the width or not a whole number of pixels, or no memory.
    bool Allocate(int iDepth, int32_t nWidth, int32_t nHeight, int32_t nRowBytes = -1);
    void Free();

    // The value at column x, row y counted from the top: 8-bit values, 16-bit
    // values with the top bit cleared, 32-bit values as 0x00RRGGBB. 0 outside.
    uint32_t GetPixel(int x, int y) const;
    // Sets the raw value at (x, y), counted from the top; ignored outside.
    void SetPixel(int x, int y, uint32_t nValue);
    // The colour at (x, y) in 8-bit channels; 8-bit maps go through the
    // colour table, masks read as grey.
    void GetRGB(int x, int y, uint8_t& r, uint8_t& g, uint8_t& b) const;
    // Stores a colour at (x, y) at the map's depth (8-bit maps take the grey
    // level, as masks do).
    void SetRGB(int x, int y, uint8_t r, uint8_t g, uint8_t b);

    // Same depth, size and row bytes as the other map, pixels copied.
    bool CopyFrom(const epiOffmap& other);

    // Draws the source part of this map stretched into the destination
    // rectangle of the current drawing target (SetDrawTarget). Nothing when
    // not allocated or when there is no target.
    void Draw(const SEpiRect& source, const SEpiRect& destination) const;
    static void SetDrawTarget(epiOffmap* pTarget);
    static epiOffmap* GetDrawTarget();

    // A bitmap file into a 16-bit map: 8-bit files through their colour
    // table, 24- and 32-bit files directly; 16-bit and compressed files are
    // refused. Toolkit path form.
    bool LoadBitmapFile(const std::string& sPath);
    // A 16-bit map as an uncompressed 24-bit bitmap file.
    bool SaveBitmapFile(const std::string& sPath) const;

    // Kept for the toolkit's interface; the colour table is set by SetColourTable.
    void SetPaletteEntry(int iIndex, uint8_t r, uint8_t g, uint8_t b);
    // Entry i of the 8-bit colour table (0x00RRGGBB).
    void SetColourTable(int iIndex, uint32_t nRGB);

    bool IsAllocated() const { return mbAllocated; }
    int GetDepth() const { return miDepth; }
    int32_t GetWidth() const { return mSize.h; }
    int32_t GetHeight() const { return mSize.v; }
    int32_t GetRowBytes() const { return mnRowBytes; }
    int GetBytesPerPixel() const { return mnBytesPerPixel; }
    uint32_t GetTotalBytes() const { return mnTotalBytes; }
    SEpiRect GetBounds() const { return mBounds; }
    // Bits per pixel of the bitmap header (8, 16 or 32) and its info block
    // size (40 bytes, plus 1024 of colour table for 8-bit depths).
    int GetBitsPerPixel() const { return mnBytesPerPixel * 8; }
    int GetInfoBytes() const { return mnBytesPerPixel == 1 ? 1064 : 40; }

    // Row y counted from the top (rows are stored bottom first).
    uint8_t* RowFromTop(int y) { return mpPixels.get() + static_cast<size_t>(mSize.v - 1 - y) * mnRowBytes; }
    const uint8_t* RowFromTop(int y) const
    {
        return mpPixels.get() + static_cast<size_t>(mSize.v - 1 - y) * mnRowBytes;
    }
    uint8_t* GetPixels() { return mpPixels.get(); }
    const uint8_t* GetPixels() const { return mpPixels.get(); }

private:
    std::unique_ptr<uint8_t[]> mpPixels;
    uint32_t maColourTable[256];
    int miDepth;
    int32_t mnRowBytes;
    int32_t mnPixelsPerRow;
    int mnBytesPerPixel;
    uint32_t mnTotalBytes;
    SEpiPoint mSize;
    SEpiRect mBounds;
    bool mbAllocated;
};

// 5-5-5 packing of 8-bit channels and back (c × 8 + 7 for non-zero c).
inline uint16_t EpiPack555(uint8_t r, uint8_t g, uint8_t b)
{
    return static_cast<uint16_t>(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3));
}
inline uint8_t EpiExpand5(unsigned c)
{
    return c == 0 ? 0 : static_cast<uint8_t>(c * 8 + 7);
}
