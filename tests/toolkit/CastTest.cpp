// Image casts decoded from known pixels, the off-screen map's layout, the
// software blit and bitmap files.
#include "toolkit/EpiCasts.h"
#include "toolkit/epiAlert.h"
#include "toolkit/epiBlit.h"
#include "toolkit/epiRamResFile.h"

#include "TestFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string gsLastAlert;

int RecordAlert(const char* pszText, const char*, int)
{
    gsLastAlert = pszText;
    return 1;
}

// Header of a cast with the given size and row bytes for each depth.
std::vector<uint8_t> CastHeader(int nWidth, int nHeight, int nRowBytes = -1)
{
    std::vector<uint8_t> header(104, 0);
    EpiPutBE16(header.data(), static_cast<uint32_t>(nWidth));
    EpiPutBE16(header.data() + 2, static_cast<uint32_t>(nHeight));
    for (int i = 0; i < 4; ++i)
        EpiPutBE16(header.data() + 8 + 16 * i, static_cast<uint32_t>(nRowBytes));
    return header;
}

class CastTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gsLastAlert.clear();
        mpOldHook = epi::SetAlertHook(RecordAlert);
        ASSERT_TRUE(mFile.CreateInMemory(0));
    }
    void TearDown() override { epi::SetAlertHook(mpOldHook); }

    void Put(uint32_t nType, int32_t iId, const std::vector<uint8_t>& bytes)
    {
        ASSERT_TRUE(mFile.Put(bytes.data(), static_cast<int32_t>(bytes.size()), nType, iId));
    }
    void Build()
    {
        mCasts.SetResFile(&mFile);
        ASSERT_TRUE(mCasts.Build());
    }

    epi::AlertHook mpOldHook = nullptr;
    epiRamResFile mFile;
    EpiCasts mCasts;
};

} // namespace

TEST_F(CastTest, SixteenBitPixelsDecodeBottomUpWithTheTopBitIgnored)
{
    // 2 × 2, default row bytes: 8 pixels (16 bytes) per row.
    std::vector<uint8_t> pixels(32, 0);
    EpiPutBE16(pixels.data(), 0x7C00); // top left: red
    EpiPutBE16(pixels.data() + 2, 0x83E0); // top right: green with the unused bit set
    EpiPutBE16(pixels.data() + 16, 0x001F); // bottom left: blue
    Put(kEpiTypeCastHeader, 10, CastHeader(2, 2));
    Put(kEpiTypePixels16, 10, pixels);
    Build();

    EpiOneCast* pCast = mCasts.GetCast(10);
    ASSERT_NE(pCast, nullptr);
    epiOffmap* pMap = pCast->GetMapFor(kEpiTypeCastHeader);
    ASSERT_EQ(pMap, &pCast->GetColourMap()) << "MPIX finds the 16-bit map";
    EXPECT_EQ(pMap->GetDepth(), 1);
    EXPECT_EQ(pMap->GetRowBytes(), 16);
    EXPECT_EQ(pMap->GetBitsPerPixel(), 16);
    EXPECT_EQ(pMap->GetInfoBytes(), 40);
    EXPECT_EQ(pMap->GetPixel(0, 0), 0x7C00u);
    EXPECT_EQ(pMap->GetPixel(1, 0), 0x03E0u);
    EXPECT_EQ(pMap->GetPixel(0, 1), 0x001Fu);
    // Stored bottom row first, host order.
    uint16_t nFirst = 0;
    std::memcpy(&nFirst, pMap->GetPixels(), 2);
    EXPECT_EQ(nFirst, 0x001F);
    EXPECT_EQ(pCast->GetMapFor(kEpiTypePixels32), nullptr);
    EXPECT_EQ(pCast->GetMapFor(kEpiTypeMask), nullptr);
    EXPECT_EQ(pCast->GetMapFor(EpiTypeCode("JUNK")), nullptr);
    EXPECT_EQ(mCasts.GetMaskMap(10), nullptr);
    EXPECT_EQ(mCasts.IndexOf(10), 0u);
    EXPECT_EQ(mCasts.IndexOf(11), EpiCasts::kNotFound);
    EXPECT_EQ(mCasts.GetCast(11), nullptr);
}

TEST_F(CastTest, ThirtyTwoBitAndEightBitPixelsAndMasksDecode)
{
    // 32-bit: bytes unused, red, green, blue; explicit row bytes 8 for width 2.
    Put(kEpiTypeCastHeader, 20, CastHeader(2, 1, 8));
    Put(kEpiTypePixels32, 20, { 0xEE, 0x12, 0x34, 0x56, 0x00, 0xFF, 0x00, 0x80 });
    Put(kEpiTypeMask, 20, { 0, 200, 0, 0, 0, 0, 0, 0 });
    // 8-bit through its colour table: index 3 is orange.
    Put(kEpiTypeCastHeader, 21, CastHeader(1, 2));
    std::vector<uint8_t> indices(16, 0);
    indices[0] = 3;
    Put(kEpiTypePixels8, 21, indices);
    std::vector<uint8_t> table(1024, 0);
    table[12] = 250, table[13] = 120, table[14] = 10;
    Put(kEpiTypeColourTable, 21, table);
    Build();

    epiOffmap* pMap = mCasts.GetColourMap(20);
    ASSERT_NE(pMap, nullptr);
    EXPECT_EQ(pMap->GetDepth(), 2);
    EXPECT_EQ(pMap->GetPixel(0, 0), 0x123456u);
    EXPECT_EQ(pMap->GetPixel(1, 0), 0xFF0080u);
    const uint8_t* p = pMap->GetPixels();
    EXPECT_EQ(std::vector<uint8_t>(p, p + 4), (std::vector<uint8_t> { 0x56, 0x34, 0x12, 0xEE }))
        << "blue, green, red, then the untouched fourth byte";
    epiOffmap* pMask = mCasts.GetMaskMap(20);
    ASSERT_NE(pMask, nullptr);
    EXPECT_EQ(pMask->GetPixel(1, 0), 200u);

    EpiOneCast* pIndexed = mCasts.GetCast(21);
    ASSERT_NE(pIndexed, nullptr);
    EXPECT_EQ(pIndexed->GetColourMap().GetInfoBytes(), 1064);
    uint8_t r = 0, g = 0, b = 0;
    pIndexed->GetColourMap().GetRGB(0, 0, r, g, b);
    EXPECT_EQ(std::vector<int>({ r, g, b }), std::vector<int>({ 250, 120, 10 }));
    EXPECT_EQ(pIndexed->GetColourMap().GetPixel(0, 0), 3u);
}

TEST_F(CastTest, SizesAndRowBytesBoundWhatLoads)
{
    EXPECT_EQ(epiOffmap::DefaultRowBytes(1, 13), 32);
    EXPECT_EQ(epiOffmap::DefaultRowBytes(0, 13), 16);
    EXPECT_EQ(epiOffmap::DefaultRowBytes(2, 13), 64);

    Put(kEpiTypeCastHeader, 1, CastHeader(13, 2));
    Put(kEpiTypePixels16, 1, std::vector<uint8_t>(65, 0)); // one byte more than 2 × 32
    Put(kEpiTypeCastHeader, 2, CastHeader(4, 2, 6)); // rows of 3 pixels for a width of 4
    Put(kEpiTypePixels16, 2, std::vector<uint8_t>(12, 0));
    Put(kEpiTypeCastHeader, 3, CastHeader(0x7FFF, 0x7FFF)); // 2 GB of pixels
    Put(kEpiTypePixels16, 3, std::vector<uint8_t>(4, 0));
    Put(kEpiTypeCastHeader, 4, CastHeader(2, 2));
    Put(kEpiTypeCastHeader, 5, std::vector<uint8_t>(103, 0)); // header one byte short
    Put(kEpiTypeCastHeader, 6, CastHeader(2, 2, 3)); // odd row bytes for 16 bits
    Put(kEpiTypePixels16, 6, std::vector<uint8_t>(6, 0));
    Put(kEpiTypeCastHeader, 7, CastHeader(2, 2));
    Put(kEpiTypePixels16, 7, std::vector<uint8_t>(3, 0xFF)); // shorter than the map: accepted
    Build();

    for (int32_t iId : { 1, 2, 3, 6 }) {
        gsLastAlert.clear();
        EXPECT_EQ(mCasts.GetCast(iId), nullptr) << iId;
        EXPECT_EQ(gsLastAlert, "No cast data available") << iId;
    }
    gsLastAlert.clear();
    EXPECT_EQ(mCasts.GetCast(4), nullptr) << "no colour and no mask";
    EXPECT_EQ(gsLastAlert, "No cast data available");
    EXPECT_EQ(mCasts.GetCast(5), nullptr);
    ASSERT_NE(mCasts.GetCast(7), nullptr);
    EXPECT_EQ(mCasts.GetCast(7)->GetColourMap().GetPixel(0, 0), 0x7FFFu);
    EXPECT_EQ(mCasts.GetCast(7)->GetColourMap().GetPixel(1, 1), 0u);

    mCasts.Purge(7);
    EXPECT_FALSE(mCasts.GetNth(6)->IsColourLoaded());
}

TEST_F(CastTest, DrawingACastBlendsThroughItsMaskIntoTheTarget)
{
    // 2 × 1 white cast, left pixel fully covered, right pixel half covered.
    Put(kEpiTypeCastHeader, 30, CastHeader(2, 1));
    std::vector<uint8_t> pixels(16, 0);
    EpiPutBE16(pixels.data(), 0x7FFF);
    EpiPutBE16(pixels.data() + 2, 0x7FFF);
    Put(kEpiTypePixels16, 30, pixels);
    std::vector<uint8_t> mask(8, 0);
    mask[0] = 255, mask[1] = 128;
    Put(kEpiTypeMask, 30, mask);
    Build();

    epiOffmap target;
    ASSERT_TRUE(target.Allocate(1, 4, 2));
    epiOffmap::SetDrawTarget(&target);
    mCasts.DrawCast(30, 1, 1);
    mCasts.DrawCast(30, 3, 1); // half outside: clipped
    epiOffmap::SetDrawTarget(nullptr);
    EXPECT_EQ(target.GetPixel(1, 1), 0x7FFFu);
    EXPECT_EQ(target.GetPixel(2, 1), static_cast<uint32_t>(EpiPack555(128, 128, 128)));
    EXPECT_EQ(target.GetPixel(0, 1), 0u);
    EXPECT_EQ(target.GetPixel(3, 1), 0x7FFFu);
    EXPECT_EQ(target.GetPixel(1, 0), 0u);
}

TEST(Blit, StretchesByNearestPixelAndClips)
{
    epiOffmap source, target;
    ASSERT_TRUE(source.Allocate(1, 2, 2));
    source.SetPixel(0, 0, 0x7C00);
    source.SetPixel(1, 0, 0x03E0);
    source.SetPixel(0, 1, 0x001F);
    source.SetPixel(1, 1, 0x7FFF);
    ASSERT_TRUE(target.Allocate(1, 4, 4));
    ASSERT_TRUE(EpiBlit(source, source.GetBounds(), target, SEpiRect { 0, 0, 4, 4 }));
    EXPECT_EQ(target.GetPixel(1, 1), 0x7C00u);
    EXPECT_EQ(target.GetPixel(2, 1), 0x03E0u);
    EXPECT_EQ(target.GetPixel(1, 2), 0x001Fu);
    EXPECT_EQ(target.GetPixel(3, 3), 0x7FFFu);

    // A source part shrunk into one pixel, and a destination far outside.
    ASSERT_TRUE(EpiBlit(source, SEpiRect { 1, 1, 2, 2 }, target, SEpiRect { 0, 0, 1, 1 }));
    EXPECT_EQ(target.GetPixel(0, 0), 0x7FFFu);
    EXPECT_FALSE(EpiBlit(source, source.GetBounds(), target, SEpiRect { 100, 100, 104, 104 }));
    EXPECT_FALSE(EpiBlit(source, SEpiRect { 5, 5, 9, 9 }, target, SEpiRect { 0, 0, 4, 4 })) << "source outside its map";

    // Dimming by 80 keeps a fifth of the brightness.
    epiOffmap grey;
    ASSERT_TRUE(grey.Allocate(2, 1, 1));
    grey.SetPixel(0, 0, 0xC8C8C8);
    ASSERT_TRUE(EpiBlit(grey, grey.GetBounds(), target, SEpiRect { 0, 0, 1, 1 }, nullptr, nullptr, 80));
    EXPECT_EQ(target.GetPixel(0, 0), static_cast<uint32_t>(EpiPack555(40, 40, 40)));
}

TEST(Offmap, AllocationRefusesBadGeometry)
{
    epiOffmap map;
    EXPECT_FALSE(map.Allocate(4, 2, 2));
    EXPECT_FALSE(map.Allocate(1, 0, 2));
    EXPECT_FALSE(map.Allocate(1, 2, -1));
    EXPECT_FALSE(map.Allocate(1, 8, 1, 14)) << "rows too short";
    EXPECT_FALSE(map.Allocate(2, 0x7FFF, 0x7FFF)) << "oversized";
    EXPECT_FALSE(map.IsAllocated());
    ASSERT_TRUE(map.Allocate(3, 3, 3));
    EXPECT_EQ(map.GetRowBytes(), 8);
    EXPECT_EQ(map.GetTotalBytes(), 24u);
    EXPECT_EQ(map.GetPixel(3, 0), 0u) << "outside reads 0";
    epiOffmap copy;
    ASSERT_TRUE(copy.CopyFrom(map));
    EXPECT_EQ(copy.GetDepth(), 3);
    EXPECT_EQ(copy.GetRowBytes(), 8);
}

TEST(Offmap, BitmapFilesRoundTripAtFiveBitsPerChannel)
{
    CTestFolder folder;
    const std::string sPath = folder.Path("a.bmp");
    epiOffmap map;
    ASSERT_TRUE(map.Allocate(1, 3, 2));
    map.SetPixel(0, 0, 0x7C00);
    map.SetPixel(2, 0, 0x0421); // 1, 1, 1: expands to 15
    map.SetPixel(1, 1, 0x03E0);
    ASSERT_TRUE(map.SaveBitmapFile(sPath));

    std::ifstream stream(sPath, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    ASSERT_EQ(bytes.size(), 54u + 2 * 12) << "24-bit rows padded to 4 bytes";
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(bytes[10], 54);
    EXPECT_EQ(bytes[28], 24);
    EXPECT_EQ(bytes[38] | (bytes[39] << 8), 3790);
    EXPECT_EQ(bytes[42] | (bytes[43] << 8), 3780);
    // Bottom row first: the top row starts at 54 + 12; its third pixel is (15, 15, 15).
    EXPECT_EQ(bytes[54 + 12 + 6], 15);
    EXPECT_EQ(bytes[54 + 12 + 2], 255) << "red 31 becomes 255";

    epiOffmap back;
    ASSERT_TRUE(back.LoadBitmapFile(sPath));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(back.GetPixel(x, y), map.GetPixel(x, y)) << x << "," << y;

    // A 16-bit bitmap file is refused.
    std::vector<uint8_t> sixteen = bytes;
    sixteen[28] = 16;
    std::ofstream(folder.Path("b.bmp"), std::ios::binary)
        .write(reinterpret_cast<const char*>(sixteen.data()), static_cast<std::streamsize>(sixteen.size()));
    EXPECT_FALSE(back.LoadBitmapFile(folder.Path("b.bmp")));
    EXPECT_FALSE(back.LoadBitmapFile(folder.Path("missing.bmp")));
}
