#include "toolkit/EpiOneCast.h"

#include "toolkit/EpiCasts.h"
#include "toolkit/epiAlert.h"
#include "toolkit/epiBlit.h"
#include "toolkit/epiDiskResFile.h"

#include <algorithm>
#include <cstring>
#include <vector>

uint32_t EpiOneCast::TypeOfDepth(int iDepth)
{
    static const uint32_t kaTypes[kDepths] = { kEpiTypePixels8, kEpiTypePixels16, kEpiTypePixels32, kEpiTypeMask };
    return iDepth >= 0 && iDepth < kDepths ? kaTypes[iDepth] : 0;
}

EpiOneCast::EpiOneCast(EpiCasts* pOwner, int32_t iId)
    : miId(iId)
    , mpOwner(pOwner)
    , mabExists {}
    , maRecords {}
    , mbColourLoaded(false)
    , mbMaskLoaded(false)
    , mBounds { 0, 0, 0, 0 }
    , mSize { 0, 0 }
{ }

EpiOneCast::~EpiOneCast() = default;

bool EpiOneCast::ReadHeader()
{
    epiDiskResFile* pFile = mpOwner != nullptr ? mpOwner->GetResFile() : nullptr;
    uint8_t aHeader[kHeaderBytes];
    if (pFile == nullptr || !pFile->Get(aHeader, kHeaderBytes, kEpiTypeCastHeader, miId))
        return false;
    // Stored as 16-bit; wider than the toolkit's signed coordinates is refused
    // when the pixels load.
    mSize.h = static_cast<int16_t>(EpiGetBE16(aHeader));
    mSize.v = static_cast<int16_t>(EpiGetBE16(aHeader + 2));
    for (int i = 0; i < kDepths; ++i) {
        const uint8_t* p = aHeader + 8 + 16 * i;
        maRecords[i].iRowBytes = static_cast<int16_t>(EpiGetBE16(p));
        maRecords[i].iSecond = static_cast<int16_t>(EpiGetBE16(p + 2));
        maRecords[i].iThird = static_cast<int32_t>(EpiGetBE32(p + 4));
        std::memcpy(maRecords[i].aRest, p + 8, 8);
        mabExists[i] = pFile->Find(TypeOfDepth(i), miId);
    }
    mBounds = SEpiRect { 0, 0, mSize.h, mSize.v };
    return true;
}

bool EpiOneCast::LoadDepth(int iDepth)
{
    if (!HasDepth(iDepth))
        return false;
    const bool bMask = iDepth == 3;
    epiOffmap& map = bMask ? mMask : mColour;
    if (bMask ? mbMaskLoaded : (mbColourLoaded && mColour.GetDepth() == iDepth))
        return true;
    epiDiskResFile* pFile = mpOwner != nullptr ? mpOwner->GetResFile() : nullptr;
    if (pFile == nullptr)
        return false;
    if (!bMask)
        mbColourLoaded = false;
    if (!map.Allocate(iDepth, mSize.h, mSize.v, maRecords[iDepth].iRowBytes))
        return false;
    const uint32_t nType = TypeOfDepth(iDepth);
    const int32_t nStored = pFile->GetSize(nType, miId);
    if (nStored < 0 || static_cast<uint32_t>(nStored) > map.GetTotalBytes()
        || !pFile->Get(map.GetPixels(), nStored, nType, miId)) {
        map.Free();
        return false;
    }

    // To host order: 16-bit words swapped; 32-bit pixels from (unused, red,
    // green, blue) to (blue, green, red, unused).
    uint8_t* p = map.GetPixels();
    const uint32_t nTotal = map.GetTotalBytes();
    if (iDepth == 1) {
        for (uint32_t i = 0; i + 1 < nTotal; i += 2) {
            const uint16_t n = EpiGetBE16(p + i);
            std::memcpy(p + i, &n, 2);
        }
    } else if (iDepth == 2) {
        for (uint32_t i = 0; i + 3 < nTotal; i += 4) {
            const uint8_t nUnused = p[i], r = p[i + 1], g = p[i + 2], b = p[i + 3];
            p[i] = b;
            p[i + 1] = g;
            p[i + 2] = r;
            p[i + 3] = nUnused;
        }
    }

    // The file holds the top row first, the map the bottom row first.
    const int32_t nRowBytes = map.GetRowBytes();
    std::vector<uint8_t> scratch(static_cast<size_t>(nRowBytes));
    for (int32_t i = 0; i < mSize.v / 2; ++i) {
        uint8_t* pTop = p + static_cast<size_t>(i) * nRowBytes;
        uint8_t* pBottom = p + static_cast<size_t>(mSize.v - 1 - i) * nRowBytes;
        std::memcpy(scratch.data(), pTop, nRowBytes);
        std::memcpy(pTop, pBottom, nRowBytes);
        std::memcpy(pBottom, scratch.data(), nRowBytes);
    }

    if (iDepth == 0) {
        // The colour table is applied (entries red, green, blue, unused).
        uint8_t aTable[256 * 4];
        if (pFile->Get(aTable, sizeof(aTable), kEpiTypeColourTable, miId)) {
            for (int i = 0; i < 256; ++i) {
                map.SetPaletteEntry(i, aTable[i * 4], aTable[i * 4 + 1], aTable[i * 4 + 2]);
                map.SetColourTable(
                    i, (static_cast<uint32_t>(aTable[i * 4]) << 16) | (aTable[i * 4 + 1] << 8) | aTable[i * 4 + 2]);
            }
        }
    }
    (bMask ? mbMaskLoaded : mbColourLoaded) = true;
    return true;
}

bool EpiOneCast::Load()
{
    LoadDepth(3);
    if (!mbColourLoaded)
        LoadDepth(0) || LoadDepth(1) || LoadDepth(2);
    if (!mbColourLoaded && !mbMaskLoaded) {
        epi::Alert("No cast data available", "ERROR");
        return false;
    }
    return true;
}

epiOffmap* EpiOneCast::GetMapFor(uint32_t nType)
{
    if (nType == kEpiTypeCastHeader) {
        if (mbColourLoaded || LoadDepth(0) || LoadDepth(1) || LoadDepth(2))
            return &mColour;
        return nullptr;
    }
    for (int i = 0; i < kDepths; ++i)
        if (nType == TypeOfDepth(i))
            return LoadDepth(i) ? (i == 3 ? &mMask : &mColour) : nullptr;
    return nullptr;
}

void EpiOneCast::Draw(int x, int y)
{
    if (!mbColourLoaded) {
        epi::Alert("Cant' draw image cast", "ERROR");
        return;
    }
    const SEpiRect destination { static_cast<int16_t>(mBounds.left + x), static_cast<int16_t>(mBounds.top + y),
        static_cast<int16_t>(mBounds.right + x), static_cast<int16_t>(mBounds.bottom + y) };
    epiOffmap* pTarget = epiOffmap::GetDrawTarget();
    if (pTarget != nullptr)
        EpiBlit(mColour, mBounds, *pTarget, destination, mbMaskLoaded ? &mMask : nullptr);
}

void EpiOneCast::Unload()
{
    mColour.Free();
    mMask.Free();
    mbColourLoaded = false;
    mbMaskLoaded = false;
}
