#include "SkinMaker.h"

#include "toolkit/epiDiskFile.h"
#include "toolkit/epiPath.h"

#include <cstring>
#include <vector>

CSkinMaker::CSkinMaker()
{
    mFile.CreateInMemory(0);
}

void CSkinMaker::AddCast(int32_t iId, int nWidth, int nHeight, const std::function<uint16_t(int, int)>& colour,
    const std::function<uint8_t(int, int)>& cover)
{
    std::vector<uint8_t> header(104, 0);
    EpiPutBE16(header.data(), static_cast<uint32_t>(nWidth));
    EpiPutBE16(header.data() + 2, static_cast<uint32_t>(nHeight));
    for (int i = 0; i < 4; ++i)
        EpiPutBE16(header.data() + 8 + 16 * i, 0xFFFF);
    mFile.Put(header.data(), 104, kEpiTypeCastHeader, iId);

    const int nRow16 = epiOffmap::DefaultRowBytes(1, nWidth);
    std::vector<uint8_t> pixels(static_cast<size_t>(nRow16) * nHeight, 0);
    for (int y = 0; y < nHeight; ++y)
        for (int x = 0; x < nWidth; ++x)
            EpiPutBE16(pixels.data() + y * nRow16 + 2 * x, colour(x, y));
    mFile.Put(pixels.data(), static_cast<int32_t>(pixels.size()), kEpiTypePixels16, iId);

    if (cover) {
        const int nRow8 = epiOffmap::DefaultRowBytes(3, nWidth);
        std::vector<uint8_t> mask(static_cast<size_t>(nRow8) * nHeight, 0);
        for (int y = 0; y < nHeight; ++y)
            for (int x = 0; x < nWidth; ++x)
                mask[static_cast<size_t>(y * nRow8 + x)] = cover(x, y);
        mFile.Put(mask.data(), static_cast<int32_t>(mask.size()), kEpiTypeMask, iId);
    }
}

void CSkinMaker::AddLayout(int32_t iId, const SEpiRect& rect, const std::vector<SEpiLayoutItem>& items)
{
    epiLayout layout;
    layout.mRect = rect;
    layout.mItems = items;
    const std::vector<uint8_t> bytes = layout.Serialise(100);
    mFile.Put(bytes.data(), static_cast<int32_t>(bytes.size()), kEpiTypeLayout, iId);
}

bool CSkinMaker::Save(const std::string& sPath)
{
    if (!mFile.Close())
        return false;
    epiDiskFile file;
    if (!file.Create(epi::ToolkitPathFrom(sPath)))
        return false;
    const bool bWritten = file.Write(mFile.GetBufferSize(), mFile.GetBuffer());
    return file.Close() && bWritten;
}

SEpiLayoutItem CSkinMaker::Item(int16_t nKind, int h, int v, std::initializer_list<int32_t> casts, int16_t nState)
{
    SEpiLayoutItem item;
    std::memset(&item, 0, sizeof(item));
    item.iState = nState;
    item.position = SEpiPoint { static_cast<int16_t>(h), static_cast<int16_t>(v) };
    int k = 0;
    for (int32_t iCast : casts)
        if (k < SEpiLayoutItem::kCasts)
            item.aiCasts[k++] = iCast;
    item.aiParams[0] = nKind;
    return item;
}
