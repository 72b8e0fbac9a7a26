// Pixels of the editor's panels drawn from the real skin, compared with what
// the casts say they must be: a rotary's frame through the strip's mask over
// the panel background, a switch's "on" picture, a disabled control at a
// fifth of its brightness, value text in the value font. Ticks repaint only
// what was invalidated.
#include "PanelFixture.h"

#include "toolkit/EpiCasts.h"
#include "toolkit/epiBlit.h"
#include "toolkit/epiAlphaControl_rotary.h"
#include "toolkit/epiAlphaControl_text.h"

namespace {

unsigned Expand(unsigned c)
{
    return (c << 3) | (c >> 2);
}

// The 5-5-5 result of drawing a source over a destination pixel with an
// 8-bit cover, the source dimmed to nKeepPercent of its brightness: the
// channels are mixed at 8 bits and cut back to 5.
uint32_t Over(uint32_t nSource, uint32_t nDest, unsigned nCover, int nKeepPercent = 100)
{
    if (nCover == 0)
        return nDest;
    uint32_t n = 0;
    for (int nShift : { 10, 5, 0 }) {
        const unsigned s = Expand((nSource >> nShift) & 31) * nKeepPercent / 100;
        const unsigned d = Expand((nDest >> nShift) & 31);
        n |= (((s * nCover + d * (255 - nCover) + 127) / 255) >> 3) << nShift;
    }
    return n;
}

class PixelTest : public CPanelTestBase {
protected:
    void SetUp() override { OpenEditor(); }

    epiOffmap& Cast(int32_t iId) { return mEngine.GetCasts().GetCast(iId)->GetColourMap(); }
    epiOffmap& Mask(int32_t iId) { return mEngine.GetCasts().GetCast(iId)->GetMaskMap(); }

    // Counts the pixels of a rotary that differ from its strip frame drawn
    // through the strip's mask over the panel's background cast.
    int RotaryMismatches(CRecordingPanel& panel, int nIndex, int nFrame, int nKeepPercent = 100)
    {
        auto* pRotary = dynamic_cast<epiAlphaControl_rotary*>(panel.GetControl(nIndex));
        const int32_t iBackground = panel.GetControl(0)->GetCastId(0);
        const int32_t iStrip = pRotary->GetCastId(1);
        const SEpiRect& r = pRotary->GetBounds();
        const int nFrameTop = nFrame * pRotary->GetFrameHeight();
        // The strip's mask, else the frame's, else none.
        EpiOneCast* pStrip = mEngine.GetCasts().GetCast(iStrip);
        EpiOneCast* pFrame = mEngine.GetCasts().GetCast(pRotary->GetCastId(0));
        int nWrong = 0;
        for (int y = r.top; y < r.bottom; ++y)
            for (int x = r.left; x < r.right; ++x) {
                const int sx = x - r.left, sy = nFrameTop + y - r.top;
                const uint32_t s = Cast(iStrip).GetPixel(sx, sy);
                const uint32_t b = Cast(iBackground).GetPixel(x, y - panel.GetRect().top);
                const unsigned m = pStrip->IsMaskLoaded() ? pStrip->GetMaskMap().GetPixel(sx, sy)
                    : pFrame->IsMaskLoaded()              ? pFrame->GetMaskMap().GetPixel(sx, y - r.top)
                                                          : 255;
                if (mWindow.GetMap().GetPixel(x, y) != Over(s, b, m, nKeepPercent))
                    ++nWrong;
            }
        return nWrong;
    }
};

} // namespace

TEST_F(PixelTest, ARotaryShowsItsStripFrameThroughTheMaskOverTheBackground)
{
    CRecordingPanel& comp = Panel(2);
    EXPECT_EQ(RotaryMismatches(comp, 5, 0), 0);
    comp.SetControlValue(5, 77);
    mWindow.Tick();
    EXPECT_EQ(RotaryMismatches(comp, 5, 77), 0);
    EXPECT_GT(RotaryMismatches(comp, 5, 76), 0) << "the frames differ";
    // The needle (a display-only rotary) the same way.
    comp.SetControlValue(12, 93);
    mWindow.Tick();
    EXPECT_EQ(RotaryMismatches(comp, 12, 93), 0);
}

TEST_F(PixelTest, ATickRepaintsOnlyTheInvalidatedControl)
{
    mWindow.Tick();
    mWindow.TakeUpdateRect();
    const epiOffmap& map = mWindow.GetMap();
    epiOffmap before;
    ASSERT_TRUE(before.CopyFrom(map));
    CRecordingPanel& lim = Panel(3);
    lim.SetControlValue(7, 40);
    mWindow.Tick();
    const SEpiRect bounds = lim.GetControl(7)->GetBounds();
    const SEpiRect update = mWindow.TakeUpdateRect();
    EXPECT_EQ(update.left, bounds.left);
    EXPECT_EQ(update.top, bounds.top);
    EXPECT_EQ(update.right, bounds.right);
    EXPECT_EQ(update.bottom, bounds.bottom);
    int nOutside = 0, nInside = 0;
    for (int y = 0; y < map.GetHeight(); ++y)
        for (int x = 0; x < map.GetWidth(); ++x) {
            const bool bIn = EpiContains(bounds, SEpiPoint { static_cast<int16_t>(x), static_cast<int16_t>(y) });
            if (map.GetPixel(x, y) != before.GetPixel(x, y))
                ++(bIn ? nInside : nOutside);
        }
    EXPECT_EQ(nOutside, 0);
    EXPECT_GT(nInside, 0);
    EXPECT_EQ(RotaryMismatches(lim, 7, 40), 0);
    mWindow.Tick();
    EXPECT_TRUE(mWindow.TakeUpdateRect().IsEmpty()) << "nothing is invalid any more";
}

TEST_F(PixelTest, ADisabledRotaryIsDrawnAtAFifthOfItsBrightness)
{
    CRecordingPanel& clip = Panel(4);
    clip.SetControlValue(4, 64);
    clip.EnableControl(4, false);
    mWindow.Tick();
    EXPECT_EQ(RotaryMismatches(clip, 4, 64, 20), 0);
    clip.EnableControl(4, true);
    mWindow.Tick();
    EXPECT_EQ(RotaryMismatches(clip, 4, 64), 0);
}

TEST_F(PixelTest, ASwitchShowsItsOnPictureAfterAClick)
{
    CRecordingPanel& eq = Panel(1);
    epiPanelControl* pSwitch = eq.GetControl(3);
    const SEpiRect r = pSwitch->GetBounds();
    Press(Centre(pSwitch));
    Release();
    mWindow.Tick();
    const int32_t iOn = pSwitch->GetCastId(1);
    const int32_t iBackground = eq.GetControl(0)->GetCastId(0);
    int nWrong = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) {
            const unsigned m
                = mEngine.GetCasts().GetCast(iOn)->IsMaskLoaded() ? Mask(iOn).GetPixel(x - r.left, y - r.top) : 255;
            const uint32_t want
                = Over(Cast(iOn).GetPixel(x - r.left, y - r.top), Cast(iBackground).GetPixel(x, y - 18), m);
            nWrong += mWindow.GetMap().GetPixel(x, y) != want;
        }
    EXPECT_EQ(nWrong, 0);
}

TEST_F(PixelTest, ValueTextIsInkedWhereTheValueFontsGlyphsAre)
{
    CRecordingPanel& comp = Panel(2);
    auto* pText = dynamic_cast<epiAlphaControl_text*>(comp.GetControl(17));
    ASSERT_NE(pText, nullptr);
    const epiAlphaPanelFont* pFont = mWindow.GetFonts().GetFont(pText->GetFontSlot());
    ASSERT_NE(pFont, nullptr);
    mWindow.Tick();
    epiOffmap before;
    ASSERT_TRUE(before.CopyFrom(mWindow.GetMap()));
    pText->SetText("-12.5 dB");
    mWindow.Tick();
    // Centred in the field, the black glyphs through the font's mask over
    // what was there.
    const SEpiRect& r = pText->GetBounds();
    int x = (r.left + r.right) / 2 - pFont->Measure("-12.5 dB") / 2;
    const int y = (r.top + r.bottom) / 2 - pFont->GetHeight() / 2;
    const epiOffmap& mask = Mask(500);
    int nInk = 0, nWrong = 0;
    for (const char* p = "-12.5 dB"; *p != '\0'; ++p) {
        const SEpiRect& glyph = pFont->GetGlyph(static_cast<unsigned char>(*p));
        for (int gy = 0; gy < pFont->GetHeight(); ++gy)
            for (int gx = glyph.left; gx < glyph.right; ++gx) {
                const unsigned m = mask.GetPixel(gx, gy);
                const int tx = x + gx - glyph.left, ty = y + gy;
                nInk += m > 0;
                nWrong += mWindow.GetMap().GetPixel(tx, ty) != Over(0, before.GetPixel(tx, ty), m);
            }
        x += glyph.Width();
    }
    EXPECT_GT(nInk, 30);
    EXPECT_EQ(nWrong, 0);
}
