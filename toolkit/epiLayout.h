// A panel layout resource ("LAYA"), decoded. The resource is big-endian and
// exactly 11648 bytes (100 items) or 5848 bytes (50 items): 6 unread bytes,
// the panel rectangle, 32 unread bytes, the number of items in use at offset
// 46, then 116-byte items from offset 48.
#pragma once

#include "toolkit/epiTypes.h"

#include <cstdint>
#include <vector>

class epiDiskResFile;

// Control kinds: the first of an item's twenty parameters.
enum EEpiControlKind : int16_t {
    kEpiKindStatic = 300,
    kEpiKindButton = 301,
    kEpiKindCheck = 302,
    kEpiKindRadio = 303,
    kEpiKindText = 304,
    kEpiKindEditText = 305,
    kEpiKindRotary = 306,
    kEpiKindMeter = 307,
    kEpiKindScroll = 308,
    kEpiKindLedMeter = 309,
    kEpiKindRange = 310,
    kEpiKindSegmentMeter = 311,
    kEpiKindKnob = 312,
    kEpiKindHierMenu = 313,
    kEpiKindList = 314,
    kEpiKindRollingText = 315,
};

// Item states.
enum : int16_t { kEpiItemHidden = 0, kEpiItemShown = 1, kEpiItemActive = 2 };

// One layout item (116 bytes in the resource).
struct SEpiLayoutItem {
    static constexpr int kCasts = 10;
    static constexpr int kParams = 20;

    int16_t iState;
    SEpiPoint position; // relative to the panel
    int32_t iTag;
    int32_t aiCasts[kCasts]; // frame 0 to 9; ids not in the cast table are empty frames
    int16_t iOptionA;
    int16_t iOptionB;
    uint16_t nPlacement;
    uint8_t anOptionBytes[2];
    char acName[8]; // always NUL-terminated after decoding
    int16_t aiParams[kParams]; // [0] kind; text controls: [1] h offset, [2] v offset, [3] max width
    SEpiPoint sizeOverride; // width, height; 0 for the first cast's size
    uint8_t anOptions[4]; // text controls: [0] font slot, [3] alignment

    int16_t Kind() const { return aiParams[0]; }
};

class epiLayout {
public:
    static constexpr int32_t kHeaderBytes = 48;
    static constexpr int32_t kItemBytes = 116;
    static constexpr int32_t kLargeBytes = kHeaderBytes + 100 * kItemBytes; // 11648
    static constexpr int32_t kSmallBytes = kHeaderBytes + 50 * kItemBytes; // 5848

    // Decodes a resource image; false (and nothing kept) for another size or
    // a count above the item capacity.
    bool Parse(const uint8_t* pBytes, int32_t nSize);
    // Reads and decodes layout iId of the resource file.
    bool Load(epiDiskResFile& file, int32_t iId);
    // The resource image with room for nCapacity items (100 or 50); empty when
    // the items do not fit.
    std::vector<uint8_t> Serialise(int nCapacity = 100) const;

    SEpiRect mRect { 0, 0, 0, 0 };
    std::vector<SEpiLayoutItem> mItems;
};
