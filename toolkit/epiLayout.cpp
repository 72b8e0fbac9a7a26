#include "toolkit/epiLayout.h"

#include "toolkit/epiDiskResFile.h"

#include <cstring>

bool epiLayout::Parse(const uint8_t* pBytes, int32_t nSize)
{
    mItems.clear();
    if (pBytes == nullptr || (nSize != kLargeBytes && nSize != kSmallBytes))
        return false;
    const int nCapacity = (nSize - kHeaderBytes) / kItemBytes;
    const int nCount = EpiGetBE16(pBytes + 46);
    if (nCount > nCapacity)
        return false;
    mRect = SEpiRect { static_cast<int16_t>(EpiGetBE16(pBytes + 6)), static_cast<int16_t>(EpiGetBE16(pBytes + 8)),
        static_cast<int16_t>(EpiGetBE16(pBytes + 10)), static_cast<int16_t>(EpiGetBE16(pBytes + 12)) };
    mItems.resize(static_cast<size_t>(nCount));
    for (int i = 0; i < nCount; ++i) {
        const uint8_t* p = pBytes + kHeaderBytes + i * kItemBytes;
        SEpiLayoutItem& item = mItems[static_cast<size_t>(i)];
        auto s16 = [](const uint8_t* q) { return static_cast<int16_t>(EpiGetBE16(q)); };
        item.iState = s16(p);
        item.position = SEpiPoint { s16(p + 2), s16(p + 4) };
        item.iTag = static_cast<int32_t>(EpiGetBE32(p + 8));
        for (int k = 0; k < SEpiLayoutItem::kCasts; ++k)
            item.aiCasts[k] = static_cast<int32_t>(EpiGetBE32(p + 12 + 4 * k));
        item.iOptionA = s16(p + 52);
        item.iOptionB = s16(p + 54);
        item.nPlacement = EpiGetBE16(p + 56);
        item.anOptionBytes[0] = p[58];
        item.anOptionBytes[1] = p[59];
        std::memcpy(item.acName, p + 60, 8);
        item.acName[7] = '\0';
        for (int k = 0; k < SEpiLayoutItem::kParams; ++k)
            item.aiParams[k] = s16(p + 68 + 2 * k);
        item.sizeOverride = SEpiPoint { s16(p + 108), s16(p + 110) };
        std::memcpy(item.anOptions, p + 112, 4);
    }
    return true;
}

bool epiLayout::Load(epiDiskResFile& file, int32_t iId)
{
    const int32_t nSize = file.GetSize(kEpiTypeLayout, iId);
    if (nSize != kLargeBytes && nSize != kSmallBytes) {
        mItems.clear();
        return false;
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(nSize));
    return file.Get(bytes.data(), nSize, kEpiTypeLayout, iId) && Parse(bytes.data(), nSize);
}

std::vector<uint8_t> epiLayout::Serialise(int nCapacity) const
{
    if ((nCapacity != 100 && nCapacity != 50) || mItems.size() > static_cast<size_t>(nCapacity))
        return {};
    std::vector<uint8_t> bytes(static_cast<size_t>(kHeaderBytes + nCapacity * kItemBytes), 0);
    uint8_t* p = bytes.data();
    EpiPutBE16(p + 6, static_cast<uint16_t>(mRect.left));
    EpiPutBE16(p + 8, static_cast<uint16_t>(mRect.top));
    EpiPutBE16(p + 10, static_cast<uint16_t>(mRect.right));
    EpiPutBE16(p + 12, static_cast<uint16_t>(mRect.bottom));
    EpiPutBE16(p + 46, static_cast<uint16_t>(mItems.size()));
    for (size_t i = 0; i < mItems.size(); ++i) {
        uint8_t* q = p + kHeaderBytes + i * kItemBytes;
        const SEpiLayoutItem& item = mItems[i];
        EpiPutBE16(q, static_cast<uint16_t>(item.iState));
        EpiPutBE16(q + 2, static_cast<uint16_t>(item.position.h));
        EpiPutBE16(q + 4, static_cast<uint16_t>(item.position.v));
        EpiPutBE32(q + 8, static_cast<uint32_t>(item.iTag));
        for (int k = 0; k < SEpiLayoutItem::kCasts; ++k)
            EpiPutBE32(q + 12 + 4 * k, static_cast<uint32_t>(item.aiCasts[k]));
        EpiPutBE16(q + 52, static_cast<uint16_t>(item.iOptionA));
        EpiPutBE16(q + 54, static_cast<uint16_t>(item.iOptionB));
        EpiPutBE16(q + 56, item.nPlacement);
        q[58] = item.anOptionBytes[0];
        q[59] = item.anOptionBytes[1];
        std::memcpy(q + 60, item.acName, 8);
        q[67] = 0;
        for (int k = 0; k < SEpiLayoutItem::kParams; ++k)
            EpiPutBE16(q + 68 + 2 * k, static_cast<uint16_t>(item.aiParams[k]));
        EpiPutBE16(q + 108, static_cast<uint16_t>(item.sizeOverride.h));
        EpiPutBE16(q + 110, static_cast<uint16_t>(item.sizeOverride.v));
        std::memcpy(q + 112, item.anOptions, 4);
    }
    return bytes;
}
