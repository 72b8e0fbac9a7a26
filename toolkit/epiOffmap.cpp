#include "toolkit/epiOffmap.h"

#include "toolkit/epiBlit.h"
#include "toolkit/epiDiskFile.h"

#include <cstring>
#include <new>
#include <vector>

namespace {

epiOffmap* gpDrawTarget = nullptr;

inline uint8_t Expand5(unsigned c)
{
    return static_cast<uint8_t>((c << 3) | (c >> 2));
}

inline uint16_t GetLE16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t GetLE32(const uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline void PutLE16(uint8_t* p, uint32_t n)
{
    p[0] = static_cast<uint8_t>(n);
    p[1] = static_cast<uint8_t>(n >> 8);
}
inline void PutLE32(uint8_t* p, uint32_t n)
{
    PutLE16(p, n);
    PutLE16(p + 2, n >> 16);
}

} // namespace

epiOffmap::epiOffmap()
    : maColourTable {}
    , miDepth(-1)
    , mnRowBytes(0)
    , mnPixelsPerRow(0)
    , mnBytesPerPixel(0)
    , mnTotalBytes(0)
    , mSize { 0, 0 }
    , mBounds { 0, 0, 0, 0 }
    , mbAllocated(false)
{ }

epiOffmap::~epiOffmap() = default;

int epiOffmap::BytesPerPixel(int iDepth)
{
    switch (iDepth) {
    case 0:
    case 3: return 1;
    case 1: return 2;
    case 2: return 4;
    default: return 0;
    }
}

int32_t epiOffmap::DefaultRowBytes(int iDepth, int32_t nWidth)
{
    return (nWidth + 7) / 8 * 8 * BytesPerPixel(iDepth);
}

bool epiOffmap::Allocate(int iDepth, int32_t nWidth, int32_t nHeight, int32_t nRowBytes)
{
    Free();
    const int nBytesPerPixel = BytesPerPixel(iDepth);
    if (nBytesPerPixel == 0 || nWidth <= 0 || nHeight <= 0 || nWidth > 0x7FFF || nHeight > 0x7FFF)
        return false;
    if (nRowBytes == -1)
        nRowBytes = DefaultRowBytes(iDepth, nWidth);
    if (nRowBytes < nWidth * nBytesPerPixel || nRowBytes % nBytesPerPixel != 0)
        return false;
    const uint64_t nTotal = static_cast<uint64_t>(nRowBytes) * static_cast<uint64_t>(nHeight);
    if (nTotal > kMaxPixelBytes)
        return false;
    mpPixels.reset(new (std::nothrow) uint8_t[nTotal]());
    if (!mpPixels)
        return false;
    miDepth = iDepth;
    mnRowBytes = nRowBytes;
    mnBytesPerPixel = nBytesPerPixel;
    mnPixelsPerRow = nRowBytes / nBytesPerPixel;
    mnTotalBytes = static_cast<uint32_t>(nTotal);
    mSize = SEpiPoint { static_cast<int16_t>(nWidth), static_cast<int16_t>(nHeight) };
    mBounds = SEpiRect { 0, 0, static_cast<int16_t>(nWidth), static_cast<int16_t>(nHeight) };
    // An 8-bit map starts with a grey ramp until a colour table is given.
    for (unsigned i = 0; i < 256; ++i)
        maColourTable[i] = (i << 16) | (i << 8) | i;
    mbAllocated = true;
    return true;
}

void epiOffmap::Free()
{
    mpPixels.reset();
    miDepth = -1;
    mnRowBytes = 0;
    mnPixelsPerRow = 0;
    mnBytesPerPixel = 0;
    mnTotalBytes = 0;
    mSize = SEpiPoint { 0, 0 };
    mBounds = SEpiRect { 0, 0, 0, 0 };
    mbAllocated = false;
}

uint32_t epiOffmap::GetPixel(int x, int y) const
{
    if (!mbAllocated || x < 0 || y < 0 || x >= mSize.h || y >= mSize.v)
        return 0;
    const uint8_t* p = RowFromTop(y) + static_cast<size_t>(x) * mnBytesPerPixel;
    switch (mnBytesPerPixel) {
    case 1: return p[0];
    case 2: {
        uint16_t n;
        std::memcpy(&n, p, 2);
        return n & 0x7FFFu;
    }
    default: return (static_cast<uint32_t>(p[2]) << 16) | (p[1] << 8) | p[0];
    }
}

void epiOffmap::SetPixel(int x, int y, uint32_t nValue)
{
    if (!mbAllocated || x < 0 || y < 0 || x >= mSize.h || y >= mSize.v)
        return;
    uint8_t* p = RowFromTop(y) + static_cast<size_t>(x) * mnBytesPerPixel;
    switch (mnBytesPerPixel) {
    case 1: p[0] = static_cast<uint8_t>(nValue); break;
    case 2: {
        const uint16_t n = static_cast<uint16_t>(nValue);
        std::memcpy(p, &n, 2);
        break;
    }
    default:
        p[0] = static_cast<uint8_t>(nValue);
        p[1] = static_cast<uint8_t>(nValue >> 8);
        p[2] = static_cast<uint8_t>(nValue >> 16);
        break;
    }
}

void epiOffmap::GetRGB(int x, int y, uint8_t& r, uint8_t& g, uint8_t& b) const
{
    const uint32_t n = GetPixel(x, y);
    switch (miDepth) {
    case 0: {
        const uint32_t rgb = maColourTable[n & 0xFF];
        r = static_cast<uint8_t>(rgb >> 16);
        g = static_cast<uint8_t>(rgb >> 8);
        b = static_cast<uint8_t>(rgb);
        break;
    }
    case 1:
        r = Expand5((n >> 10) & 31);
        g = Expand5((n >> 5) & 31);
        b = Expand5(n & 31);
        break;
    case 2:
        r = static_cast<uint8_t>(n >> 16);
        g = static_cast<uint8_t>(n >> 8);
        b = static_cast<uint8_t>(n);
        break;
    default: r = g = b = static_cast<uint8_t>(n); break;
    }
}

void epiOffmap::SetRGB(int x, int y, uint8_t r, uint8_t g, uint8_t b)
{
    switch (miDepth) {
    case 1: SetPixel(x, y, EpiPack555(r, g, b)); break;
    case 2: SetPixel(x, y, (static_cast<uint32_t>(r) << 16) | (g << 8) | b); break;
    default: SetPixel(x, y, (r * 77u + g * 150u + b * 29u) >> 8); break;
    }
}

bool epiOffmap::CopyFrom(const epiOffmap& other)
{
    if (!other.mbAllocated)
        return false;
    if (!Allocate(other.miDepth, other.mSize.h, other.mSize.v, other.mnRowBytes))
        return false;
    std::memcpy(mpPixels.get(), other.mpPixels.get(), mnTotalBytes);
    std::memcpy(maColourTable, other.maColourTable, sizeof(maColourTable));
    return true;
}

void epiOffmap::SetDrawTarget(epiOffmap* pTarget)
{
    gpDrawTarget = pTarget;
}

epiOffmap* epiOffmap::GetDrawTarget()
{
    return gpDrawTarget;
}

void epiOffmap::Draw(const SEpiRect& source, const SEpiRect& destination) const
{
    if (!mbAllocated || gpDrawTarget == nullptr)
        return;
    EpiBlit(*this, source, *gpDrawTarget, destination);
}

void epiOffmap::SetPaletteEntry(int /*iIndex*/, uint8_t /*r*/, uint8_t /*g*/, uint8_t /*b*/) { }

void epiOffmap::SetColourTable(int iIndex, uint32_t nRGB)
{
    if (iIndex >= 0 && iIndex < 256)
        maColourTable[iIndex] = nRGB & 0xFFFFFFu;
}

bool epiOffmap::LoadBitmapFile(const std::string& sPath)
{
    epiDiskFile file;
    int32_t nFileSize = 0;
    if (!file.OpenReadOnly(sPath) || !file.GetSize(nFileSize) || nFileSize < 54 || nFileSize > (256 << 20))
        return false;
    std::vector<uint8_t> data(static_cast<size_t>(nFileSize));
    if (!file.Read(nFileSize, data.data()))
        return false;
    file.Close();

    const uint8_t* p = data.data();
    const uint32_t nInfoBytes = GetLE32(p + 14);
    if (p[0] != 'B' || p[1] != 'M' || nInfoBytes < 40 || 14ull + nInfoBytes > data.size())
        return false;
    const int32_t nWidth = static_cast<int32_t>(GetLE32(p + 18));
    const int32_t nRawHeight = static_cast<int32_t>(GetLE32(p + 22));
    const unsigned nBits = GetLE16(p + 28);
    const uint32_t nCompression = GetLE32(p + 30);
    const uint32_t nPixelOffset = GetLE32(p + 10);
    if (nCompression != 0 || (nBits != 8 && nBits != 24 && nBits != 32) || nWidth <= 0 || nWidth > 0x7FFF
        || nRawHeight == 0 || nRawHeight < -0x7FFF || nRawHeight > 0x7FFF)
        return false;
    const bool bTopDown = nRawHeight < 0;
    const int32_t nHeight = bTopDown ? -nRawHeight : nRawHeight;
    const uint64_t nStride = (static_cast<uint64_t>(nWidth) * nBits + 31) / 32 * 4;
    if (nPixelOffset + nStride * nHeight > data.size())
        return false;
    uint32_t aTable[256] = {};
    if (nBits == 8) {
        uint32_t nColours = GetLE32(p + 46);
        if (nColours == 0 || nColours > 256)
            nColours = 256;
        const uint64_t nTableAt = 14ull + nInfoBytes;
        if (nTableAt + nColours * 4ull > nPixelOffset)
            return false;
        for (uint32_t i = 0; i < nColours; ++i)
            aTable[i] = GetLE32(p + nTableAt + i * 4) & 0xFFFFFFu;
    }
    if (!Allocate(1, nWidth, nHeight))
        return false;
    for (int32_t y = 0; y < nHeight; ++y) {
        const int32_t nFileRow = bTopDown ? y : nHeight - 1 - y;
        const uint8_t* pRow = p + nPixelOffset + nStride * nFileRow;
        for (int32_t x = 0; x < nWidth; ++x) {
            uint8_t r, g, b;
            if (nBits == 8) {
                const uint32_t rgb = aTable[pRow[x]];
                r = static_cast<uint8_t>(rgb >> 16);
                g = static_cast<uint8_t>(rgb >> 8);
                b = static_cast<uint8_t>(rgb);
            } else {
                const uint8_t* q = pRow + static_cast<size_t>(x) * (nBits / 8);
                b = q[0];
                g = q[1];
                r = q[2];
            }
            SetPixel(x, y, EpiPack555(r, g, b));
        }
    }
    return true;
}

bool epiOffmap::SaveBitmapFile(const std::string& sPath) const
{
    if (!mbAllocated || miDepth != 1)
        return false;
    const uint32_t nStride = (static_cast<uint32_t>(mSize.h) * 3 + 3) / 4 * 4;
    const uint32_t nPixelBytes = nStride * static_cast<uint32_t>(mSize.v);
    std::vector<uint8_t> data(54 + static_cast<size_t>(nPixelBytes), 0);
    uint8_t* p = data.data();
    p[0] = 'B';
    p[1] = 'M';
    PutLE32(p + 2, static_cast<uint32_t>(data.size()));
    PutLE32(p + 10, 54);
    PutLE32(p + 14, 40);
    PutLE32(p + 18, static_cast<uint32_t>(mSize.h));
    PutLE32(p + 22, static_cast<uint32_t>(mSize.v));
    PutLE16(p + 26, 1);
    PutLE16(p + 28, 24);
    PutLE32(p + 34, nPixelBytes);
    PutLE32(p + 38, 3790);
    PutLE32(p + 42, 3780);
    for (int y = 0; y < mSize.v; ++y) {
        uint8_t* pRow = p + 54 + static_cast<size_t>(nStride) * (mSize.v - 1 - y);
        for (int x = 0; x < mSize.h; ++x) {
            const uint32_t n = GetPixel(x, y);
            pRow[x * 3] = EpiExpand5(n & 31);
            pRow[x * 3 + 1] = EpiExpand5((n >> 5) & 31);
            pRow[x * 3 + 2] = EpiExpand5((n >> 10) & 31);
        }
    }
    epiDiskFile file;
    if (!file.Create(sPath))
        return false;
    const bool bWritten = file.Write(static_cast<int32_t>(data.size()), data.data());
    return file.Close() && bWritten;
}
