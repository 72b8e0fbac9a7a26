// One image cast of the skin: a 104-byte "MPIX" header and up to four pixel
// resources of the same id ("PX08", "PX16", "PX32", "PXMK"), read into
// off-screen maps on first use.
//
// Header (big-endian): width and height (16 bits each), four unread bytes,
// then four 16-byte records (8-bit, 16-bit, 32-bit pixels, mask) whose first
// 16-bit field is the row bytes (-1: default), then 32 unread bytes.
#pragma once

#include "toolkit/epiOffmap.h"

#include <cstdint>

class EpiCasts;

class EpiOneCast {
public:
    static constexpr int32_t kHeaderBytes = 104;
    static constexpr int kDepths = 4; // 0 8-bit, 1 16-bit, 2 32-bit, 3 mask
    // The type code of each depth index.
    static uint32_t TypeOfDepth(int iDepth);

    struct SRecord {
        int16_t iRowBytes;
        int16_t iSecond; // kept, not used
        int32_t iThird; // kept, not used
        uint8_t aRest[8];
    };

    EpiOneCast(EpiCasts* pOwner, int32_t iId);
    ~EpiOneCast();
    EpiOneCast(const EpiOneCast&) = delete;
    EpiOneCast& operator=(const EpiOneCast&) = delete;

    // Reads the header and notes which pixel resources exist. False when the
    // header is missing or not exactly 104 bytes.
    bool ReadHeader();
    // The mask, then the first colour depth found (8, 16, 32 bits). Alerts
    // "No cast data available" when neither loads.
    bool Load();
    bool LoadDepth(int iDepth);
    // "PX08", "PX16", "PX32": that depth; "MPIX": 8-, then 16-, then 32-bit;
    // "PXMK": the mask; null for anything else or when loading fails.
    epiOffmap* GetMapFor(uint32_t nType);
    // Draws the whole colour map at (x, y) of the current drawing target.
    void Draw(int x, int y);
    void Unload();

    int32_t GetId() const { return miId; }
    int32_t GetWidth() const { return mSize.h; }
    int32_t GetHeight() const { return mSize.v; }
    SEpiRect GetBounds() const { return mBounds; }
    bool HasDepth(int iDepth) const { return iDepth >= 0 && iDepth < kDepths && mabExists[iDepth]; }
    bool IsColourLoaded() const { return mbColourLoaded; }
    bool IsMaskLoaded() const { return mbMaskLoaded; }
    epiOffmap& GetColourMap() { return mColour; }
    epiOffmap& GetMaskMap() { return mMask; }

private:
    int32_t miId;
    EpiCasts* mpOwner;
    bool mabExists[kDepths];
    SRecord maRecords[kDepths];
    epiOffmap mColour;
    epiOffmap mMask;
    bool mbColourLoaded;
    bool mbMaskLoaded;
    SEpiRect mBounds;
    SEpiPoint mSize;
};
