// Shared toolkit vocabulary: geometry, resource type codes, big-endian words.
#pragma once

#include <cstdint>

// A rectangle of the toolkit: left, top, right, bottom; right and bottom are
// one past the last column and row.
struct SEpiRect {
    int16_t left;
    int16_t top;
    int16_t right;
    int16_t bottom;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
};

// A point: horizontal, then vertical.
struct SEpiPoint {
    int16_t h;
    int16_t v;
};

// A resource type code: four characters, the first one most significant.
constexpr uint32_t EpiTypeCode(const char (&acCode)[5])
{
    return (static_cast<uint32_t>(static_cast<uint8_t>(acCode[0])) << 24)
        | (static_cast<uint32_t>(static_cast<uint8_t>(acCode[1])) << 16)
        | (static_cast<uint32_t>(static_cast<uint8_t>(acCode[2])) << 8)
        | static_cast<uint32_t>(static_cast<uint8_t>(acCode[3]));
}

constexpr uint32_t kEpiTypeCastHeader = EpiTypeCode("MPIX");
constexpr uint32_t kEpiTypePixels8 = EpiTypeCode("PX08");
constexpr uint32_t kEpiTypePixels16 = EpiTypeCode("PX16");
constexpr uint32_t kEpiTypePixels32 = EpiTypeCode("PX32");
constexpr uint32_t kEpiTypeMask = EpiTypeCode("PXMK");
constexpr uint32_t kEpiTypeColourTable = EpiTypeCode("CTP8");
constexpr uint32_t kEpiTypeLayout = EpiTypeCode("LAYA");

// Big-endian words in byte buffers (the skin file's byte order).
inline uint16_t EpiGetBE16(const uint8_t* p)
{
    return static_cast<uint16_t>((p[0] << 8) | p[1]);
}
inline uint32_t EpiGetBE32(const uint8_t* p)
{
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16)
        | (static_cast<uint32_t>(p[2]) << 8) | p[3];
}
inline void EpiPutBE16(uint8_t* p, uint32_t nValue)
{
    p[0] = static_cast<uint8_t>(nValue >> 8);
    p[1] = static_cast<uint8_t>(nValue);
}
inline void EpiPutBE32(uint8_t* p, uint32_t nValue)
{
    p[0] = static_cast<uint8_t>(nValue >> 24);
    p[1] = static_cast<uint8_t>(nValue >> 16);
    p[2] = static_cast<uint8_t>(nValue >> 8);
    p[3] = static_cast<uint8_t>(nValue);
}
