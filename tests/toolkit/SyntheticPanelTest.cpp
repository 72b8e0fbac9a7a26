// Controls on a small synthetic skin whose pixels say what they are: every
// frame of the 100-frame strip is painted with its own number, the font has
// 4-pixel glyphs (2 for '.') under a marker row. Frame maths, knob steps,
// text measuring, alignment and "..." cutting, meters and animation are read
// back from the drawn pixels.
#include "PanelFixture.h"
#include "SkinMaker.h"
#include "TestFolder.h"

#include "toolkit/epiAlphaControl_editText.h"
#include "toolkit/epiAlphaControl_knob.h"
#include "toolkit/epiAlphaControl_meter.h"
#include "toolkit/epiAlphaControl_rotary.h"
#include "toolkit/epiAlphaControl_text.h"

#include <cstring>

namespace {

constexpr int kGlyphHeight = 10;
constexpr uint16_t kBackground = 0x0C63; // 3, 3, 3
constexpr uint16_t kWhite = 0x7FFF;

int GlyphWidth(int c)
{
    return c == '.' ? 2 : 4;
}

// A font image with runs for codes 0 … nRuns − 1: one blank column, then each
// glyph followed by one blank column.
void AddFont(CSkinMaker& maker, int32_t iId, int nRuns)
{
    std::vector<int> owner(1, -1);
    for (int c = 0; c < nRuns; ++c) {
        owner.insert(owner.end(), static_cast<size_t>(GlyphWidth(c)), c);
        owner.push_back(-1);
    }
    const int nWidth = static_cast<int>(owner.size());
    maker.AddCast(
        iId, nWidth, kGlyphHeight + 5,
        [owner](int x, int y) -> uint16_t {
            const bool bGlyph = owner[static_cast<size_t>(x)] >= 0;
            return bGlyph && (y < kGlyphHeight || y == kGlyphHeight + 3) ? kWhite : 0;
        },
        [owner](int x, int y) -> uint8_t { return owner[static_cast<size_t>(x)] >= 0 && y < kGlyphHeight ? 255 : 0; });
}

SEpiLayoutItem TextItem(int h, int v, int w, int hgt, int nAlign, int nOffsetH, int nOffsetV, int nMaxWidth)
{
    SEpiLayoutItem item = CSkinMaker::Item(kEpiKindText, h, v, {}, kEpiItemShown);
    item.sizeOverride = SEpiPoint { static_cast<int16_t>(w), static_cast<int16_t>(hgt) };
    item.anOptions[0] = 0;
    item.anOptions[3] = static_cast<uint8_t>(nAlign);
    item.aiParams[1] = static_cast<int16_t>(nOffsetH);
    item.aiParams[2] = static_cast<int16_t>(nOffsetV);
    item.aiParams[3] = static_cast<int16_t>(nMaxWidth);
    return item;
}

class SyntheticPanelTest : public CPanelTestBase {
protected:
    void SetUp() override
    {
        CSkinMaker maker;
        maker.AddCast(1, 200, 200, [](int, int) { return kBackground; });
        maker.AddCast(10, 40, 40, [](int, int) { return 0; });
        maker.AddCast(11, 40, 4000, [](int, int y) { return static_cast<uint16_t>(y / 40); });
        AddFont(maker, 20, 128);
        AddFont(maker, 21, 10);
        maker.AddCast(
            30, 10, 4, [](int, int) { return 0x03E0; }, [](int, int) { return 255; });
        maker.AddLayout(100, SEpiRect { 0, 0, 200, 200 }, {});
        std::vector<SEpiLayoutItem> items;
        items.push_back(CSkinMaker::Item(kEpiKindStatic, 0, 0, { 1 }, kEpiItemShown));
        items.push_back(CSkinMaker::Item(kEpiKindRotary, 10, 10, { 10, 11 }));
        items.push_back(CSkinMaker::Item(kEpiKindKnob, 60, 10, { 10, 11 }));
        items.push_back(TextItem(10, 100, 100, 20, 2, -3, 2, 0));
        items.push_back(TextItem(10, 130, 100, 30, 1, 0, 0, 40));
        SEpiLayoutItem led = CSkinMaker::Item(kEpiKindLedMeter, 150, 100, { 30 }, kEpiItemShown);
        led.sizeOverride = SEpiPoint { 10, 30 };
        led.aiParams[1] = 5; // LEDs
        led.aiParams[2] = 6; // pitch
        items.push_back(led);
        SEpiLayoutItem bar = CSkinMaker::Item(kEpiKindMeter, 150, 150, { 30 }, kEpiItemShown);
        bar.sizeOverride = SEpiPoint { 40, 4 };
        bar.aiParams[1] = 100; // limits in reverse order
        bar.aiParams[2] = 0;
        items.push_back(bar);
        SEpiLayoutItem edit = TextItem(10, 170, 100, 20, 0, 0, 0, 0);
        edit.aiParams[0] = kEpiKindEditText;
        edit.iState = kEpiItemActive;
        items.push_back(edit);
        maker.AddLayout(1, SEpiRect { 0, 0, 200, 200 }, items);
        ASSERT_TRUE(maker.Save(mFolder.Path("synthetic.xrs")));
        OpenSkin(mFolder.Path("synthetic.xrs"), 100);
        ASSERT_TRUE(mWindow.GetFonts().LoadSlot(0, mEngine.GetCasts(), 20, 0, 0, 0));
        mpPanel = &AddPanel(1, 0, 0);
        mWindow.DrawAll();
    }

    uint32_t Pixel(int x, int y) { return mWindow.GetMap().GetPixel(x, y); }
    // Columns of row y, from x0 to x1, that hold ink (black).
    std::vector<int> InkColumns(int y, int x0 = 0, int x1 = 200)
    {
        std::vector<int> columns;
        for (int x = x0; x < x1; ++x)
            if (Pixel(x, y) == 0)
                columns.push_back(x);
        return columns;
    }
    epiAlphaControl_text* Text(int n) { return dynamic_cast<epiAlphaControl_text*>(mpPanel->GetControl(n)); }

    CTestFolder mFolder;
    CRecordingPanel* mpPanel = nullptr;
};

} // namespace

TEST_F(SyntheticPanelTest, AHundredFrameStripShowsTheFrameTheDragPicks)
{
    auto* pRotary = dynamic_cast<epiAlphaControl_rotary*>(mpPanel->GetControl(1));
    ASSERT_NE(pRotary, nullptr);
    EXPECT_EQ(pRotary->GetFrameCount(), 100);
    EXPECT_EQ(Pixel(30, 30), 0u) << "frame 0 at first";
    mpPanel->SetControlValue(1, 50);
    mWindow.Tick();
    EXPECT_EQ(Pixel(30, 30), 50u);
    Press(SEpiPoint { 30, 30 });
    MoveTo(30, 10);
    mWindow.Tick();
    Release();
    EXPECT_EQ(Pixel(10, 10), 60u);
    EXPECT_EQ(Pixel(49, 49), 60u);
    EXPECT_EQ(Pixel(50, 49), kBackground) << "the frame ends at the control's edge";

    // A range of 0 … 30000 spreads the 100 frames evenly.
    mpPanel->SendToControl(1, epiAlphaControl_rotary::kRange, 0, 30000);
    mpPanel->SetControlValue(1, 29999);
    mWindow.Tick();
    EXPECT_EQ(Pixel(30, 30), 99u);
    mpPanel->SetControlValue(1, 300);
    mWindow.Tick();
    EXPECT_EQ(Pixel(30, 30), 1u);
    mpPanel->SetControlValue(1, 40000);
    mWindow.Tick();
    EXPECT_EQ(Pixel(30, 30), 99u) << "values beyond the range show the last frame";
}

TEST_F(SyntheticPanelTest, AKnobStepsOnePositionPerTwentyPixelsAndShowsItsFrames)
{
    auto* pKnob = dynamic_cast<epiAlphaControl_knob*>(mpPanel->GetControl(2));
    ASSERT_NE(pKnob, nullptr);
    mpPanel->SendToControl(2, kEpiMsgKnobPositions, 5);
    for (int nFrame : { 3, 13, 23, 33, 43 })
        mpPanel->SendToControl(2, kEpiMsgKnobFrame, nFrame);
    mpPanel->SetControlValue(2, 2);
    mpPanel->SendToControl(2, kEpiMsgKnobValue, 1234);
    mWindow.Tick();
    EXPECT_EQ(Pixel(80, 30), 23u);
    EXPECT_EQ(pKnob->GetPositionValue(), 1234);

    Press(SEpiPoint { 80, 30 });
    MoveTo(80, 11); // 19 pixels up
    EXPECT_EQ(pKnob->GetValue(), 2);
    MoveTo(80, 10);
    EXPECT_EQ(pKnob->GetValue(), 3);
    MoveTo(80, -200);
    EXPECT_EQ(pKnob->GetValue(), 4) << "clamped to the last position";
    Release();
    mWindow.Tick();
    EXPECT_EQ(Pixel(80, 30), 43u);
    EXPECT_EQ(mpPanel->mPhases, (std::vector<int> { 0, 1, 1, 2 }));

    // Control (not Alt) resets a knob.
    mpPanel->SendToControl(2, epiAlphaControl_rotary::kReset, 1);
    Input().SetAlt(true);
    Press(SEpiPoint { 80, 30 });
    MoveTo(80, 50);
    Release();
    EXPECT_EQ(pKnob->GetValue(), 3) << "Alt is an ordinary drag";
    Input().SetAlt(false);
    Input().SetControl(true);
    Press(SEpiPoint { 80, 30 });
    MoveTo(80, 29);
    MoveTo(80, 90);
    Release();
    Input().SetControl(false);
    EXPECT_EQ(pKnob->GetValue(), 1);
}

TEST_F(SyntheticPanelTest, FontsAreCutAtTheMarkerRunsAndMissingRunsGiveEmptyGlyphs)
{
    epiAlphaFontsList& fonts = mWindow.GetFonts();
    EXPECT_EQ(fonts.GetHeight(0), kGlyphHeight);
    EXPECT_EQ(fonts.Measure(0, "AB.C"), 4 + 4 + 2 + 4);
    EXPECT_EQ(fonts.GetFont(0)->Measure("AB.C", 2), 8);

    ASSERT_TRUE(fonts.LoadSlot(2, mEngine.GetCasts(), 21, 0, 0, 0));
    const epiAlphaPanelFont* pShort = fonts.GetFont(2);
    EXPECT_EQ(pShort->GetGlyph(9).Width(), 4);
    EXPECT_EQ(pShort->GetGlyph(10).Width(), 0);
    EXPECT_EQ(pShort->GetGlyph('A').Width(), 0);
    EXPECT_EQ(pShort->GetGlyph('A').left, pShort->GetMap().GetWidth()) << "at the image's right edge";
    epiOffmap& map = mWindow.GetMap();
    const std::vector<int> before = InkColumns(5);
    fonts.Draw(2, &map, "AB", 20, 0, 0, 0, map.GetBounds());
    EXPECT_EQ(InkColumns(5), before) << "codes without a run draw nothing";

    // Slots 20 and above neither load nor draw.
    EXPECT_FALSE(fonts.LoadSlot(20, mEngine.GetCasts(), 20, 0, 0, 0));
    EXPECT_EQ(fonts.GetFont(20), nullptr);
    EXPECT_EQ(fonts.Measure(20, "AB"), 0);
    fonts.Draw(20, &map, "AB", 20, 0, 0, 0, map.GetBounds());
    fonts.Draw(-1, &map, "AB", 20, 0, 0, 0, map.GetBounds());
    EXPECT_EQ(InkColumns(5), before);
    // An unknown cast leaves a loaded slot as it was.
    EXPECT_TRUE(fonts.LoadSlot(0, mEngine.GetCasts(), 999, 0, 0, 0));
    EXPECT_EQ(fonts.Measure(0, "A"), 4);
}

TEST_F(SyntheticPanelTest, TheTintScalesEachChannelOfTheFontPixels)
{
    epiFont font;
    ASSERT_TRUE(font.Load(mEngine.GetCasts(), 20, 256, 128, 0));
    // White (31, 31, 31) becomes (31 × 256 ÷ 256 mod 32, 31 × 128 ÷ 256, 0).
    const SEpiRect glyph = font.GetGlyph('A');
    EXPECT_EQ(font.GetMap().GetPixel(glyph.left, 0), (31u << 10) | (15u << 5));
    ASSERT_TRUE(font.Load(mEngine.GetCasts(), 20, 512, 0, 0));
    EXPECT_EQ(font.GetMap().GetPixel(glyph.left, 0), (30u << 10)) << "62 mod 32";
}

TEST_F(SyntheticPanelTest, TextIsAlignedOnTheBoundsWithItsOffsets)
{
    // Right-aligned, offset (-3, 2): the text ends at right − 3, one glyph
    // height centred on the bounds and moved down 2.
    Text(3)->SetText("AB");
    mWindow.Tick();
    const int y = 100 + 10 - kGlyphHeight / 2 + 2;
    const std::vector<int> ink = InkColumns(y, 0, 200);
    ASSERT_FALSE(ink.empty());
    EXPECT_EQ(ink.front(), 110 - 3 - 8);
    EXPECT_EQ(ink.back(), 110 - 3 - 1);
    EXPECT_EQ(ink.size(), 8u);
    EXPECT_TRUE(InkColumns(y - 1, 0, 120).empty());
    EXPECT_FALSE(InkColumns(y + kGlyphHeight - 1, 0, 120).empty());
    EXPECT_TRUE(InkColumns(y + kGlyphHeight, 0, 120).empty());

    // Centred: the middle of the bounds.
    Text(4)->SetNumber(-12); // "-12": 12 pixels
    mWindow.Tick();
    const std::vector<int> centred = InkColumns(145 - kGlyphHeight / 2);
    ASSERT_EQ(centred.size(), 12u);
    EXPECT_EQ(centred.front(), 60 - 6);
    char acFirst[8];
    Text(4)->GetText(acFirst, sizeof(acFirst));
    EXPECT_STREQ(acFirst, "-12");
    Text(4)->SetNumber(40000);
    EXPECT_EQ(Text(4)->GetText(), "-25536") << "a signed 16-bit number";
}

TEST_F(SyntheticPanelTest, ALineWiderThanItsMaximumEndsInDotsWithinTheWidth)
{
    // 15 glyphs (60 pixels) in a control with a maximum width of 40: eight
    // glyphs (32) and "..." (6) fit; centred as a 40-pixel line.
    Text(4)->SetText("ABCDEFGHIJKLMNO");
    mWindow.Tick();
    const std::vector<int> ink = InkColumns(145 - kGlyphHeight / 2);
    ASSERT_EQ(ink.size(), 38u);
    EXPECT_EQ(ink.front(), 60 - 20);
    EXPECT_EQ(ink.back(), 60 - 20 + 37);

    // A text that fits is drawn whole.
    Text(4)->SetText("ABCDEFGHIJ");
    mWindow.Tick();
    EXPECT_EQ(InkColumns(145 - kGlyphHeight / 2).size(), 40u);
}

TEST_F(SyntheticPanelTest, CarriageReturnsMakeLinesCentredAsOneBlock)
{
    epiAlphaControl_text* pText = Text(4);
    mpPanel->SendToControl(4, kEpiMsgLineSpacing, 4);
    pText->SetText("A\rB");
    EXPECT_EQ(pText->GetLineCount(), 2);
    EXPECT_STREQ(pText->GetLine(1), "B");
    char acFirst[8];
    pText->GetText(acFirst, sizeof(acFirst));
    EXPECT_STREQ(acFirst, "A");
    mWindow.Tick();
    // Block of 2 × 10 + 4 = 24 rows around row 145: lines at 133 and 147.
    std::vector<int> rows;
    for (int y = 125; y < 165; ++y)
        if (!InkColumns(y, 40, 80).empty())
            rows.push_back(y);
    ASSERT_EQ(rows.size(), 20u);
    EXPECT_EQ(rows.front(), 133);
    EXPECT_EQ(rows[9], 142);
    EXPECT_EQ(rows[10], 147);
    EXPECT_EQ(rows.back(), 156);
}

TEST_F(SyntheticPanelTest, ColouredTextUsesTheDimmedGreyWhileDisabled)
{
    mpPanel->SendToControl(3, kEpiMsgTextColour, 0x7C00);
    Text(3)->SetText("A");
    mWindow.Tick();
    const int y = 100 + 10 - kGlyphHeight / 2 + 2;
    EXPECT_EQ(Pixel(110 - 3 - 1, y), 0x7C00u);
    mpPanel->EnableControl(3, false);
    mWindow.Tick();
    EXPECT_EQ(Pixel(110 - 3 - 1, y), 15855u);
    EXPECT_EQ(Pixel(110 - 3 - 5, y), kBackground);
}

TEST_F(SyntheticPanelTest, MetersClampTheirValuesAndLightFromTheLeadingEdge)
{
    // LED meter: 5 LEDs of 4 rows, pitch 6, from the bottom (row 130) up.
    mpPanel->SetControlValue(5, 2);
    mWindow.Tick();
    auto lit = [&](int y) { return Pixel(155, y) == 0x03E0u; };
    EXPECT_TRUE(lit(129) && lit(126));
    EXPECT_FALSE(lit(125));
    EXPECT_TRUE(lit(123) && lit(120));
    EXPECT_FALSE(lit(119));
    EXPECT_TRUE(lit(117) && lit(114));
    EXPECT_FALSE(lit(113));
    mpPanel->SetControlValue(5, 99);
    EXPECT_EQ(mpPanel->GetControlValue(5), 4);

    // Bar meter with limits 100 … 0: 25 lights three quarters of 40 pixels.
    mpPanel->SetControlValue(6, 25);
    mWindow.Tick();
    EXPECT_EQ(Pixel(150 + 29, 151), 0x03E0u);
    EXPECT_EQ(Pixel(150 + 30, 151), kBackground);
    mpPanel->SetControlValue(6, -5);
    EXPECT_EQ(mpPanel->GetControlValue(6), 0);
}

TEST_F(SyntheticPanelTest, AnimatedRotariesReachTheirFrameOnTheTimerRedrawingOnlyThemselves)
{
    mpPanel->SendToControl(1, epiAlphaControl_rotary::kAnimate, 1);
    mWindow.TakeUpdateRect(); // the first paint
    mpPanel->SetControlValue(1, 10); // 10 frames: 50 ms
    std::vector<uint32_t> shown;
    for (int i = 0; i < 6; ++i) {
        Input().AdvanceMillis(10);
        mWindow.Tick();
        const SEpiRect update = mWindow.TakeUpdateRect();
        EXPECT_TRUE(update.IsEmpty() || (update.left == 10 && update.top == 10 && update.right == 50))
            << "only the rotary is redrawn: " << update.left << " " << update.top << " " << update.right;
        shown.push_back(Pixel(30, 30));
    }
    EXPECT_EQ(shown, (std::vector<uint32_t> { 2, 4, 6, 8, 10, 10 }));

    // A long move (over 20 frames) takes 125 ms; a tick after a pause that
    // would leap 21 frames or more does not count its time.
    mpPanel->SetControlValue(1, 60);
    Input().AdvanceMillis(100);
    mWindow.Tick();
    EXPECT_EQ(Pixel(30, 30), 10u);
    for (int i = 0; i < 12; ++i) {
        Input().AdvanceMillis(10);
        mWindow.Tick();
    }
    EXPECT_EQ(Pixel(30, 30), 58u) << "120 of 125 ms";
    Input().AdvanceMillis(10);
    mWindow.Tick();
    EXPECT_EQ(Pixel(30, 30), 60u);
    EXPECT_FALSE(mpPanel->GetControl(1)->IsAnimating());
}

TEST_F(SyntheticPanelTest, AFocusedEditFieldTakesTheTyping)
{
    auto* pEdit = dynamic_cast<epiAlphaControl_editText*>(mpPanel->GetControl(7));
    ASSERT_NE(pEdit, nullptr);
    EXPECT_FALSE(mpPanel->Key('a')) << "not focused yet";
    mpPanel->Key(kEpiKeyTab);
    EXPECT_EQ(mpPanel->GetFocus(), 7) << "the only focusable control";
    for (int c : std::vector<int> { 'W', 'a', 'r', 'x', kEpiKeyBackspace, 'm' })
        EXPECT_TRUE(mpPanel->Key(c));
    EXPECT_EQ(pEdit->GetText(), "Warm");
    EXPECT_TRUE(mpPanel->Key(kEpiKeyReturn));
    EXPECT_EQ(mpPanel->GetFocus(), -1);
    EXPECT_FALSE(mpPanel->Key('z'));
}

TEST_F(SyntheticPanelTest, AnEditFieldKeepsItsTextInsideAndTheTypedEndInView)
{
    // Field 7 spans columns 10 to 109; glyph rows start at row 175.
    const uint32_t kCaret = EpiPack555(0x20, 0x20, 0x24);
    mpPanel->SetFocus(7);
    for (int c : { 'W', 'W' })
        mpPanel->Key(c);
    mWindow.Tick();
    std::vector<int> ink = InkColumns(178);
    ASSERT_FALSE(ink.empty());
    EXPECT_EQ(ink.front(), 10);
    EXPECT_EQ(ink.back(), 17);
    EXPECT_EQ(Pixel(19, 178), kCaret) << "the caret follows the text";

    // 30 glyphs of 4 pixels: the start is cut off, the end stays in view
    // beside the caret, and nothing reaches past the field.
    for (int i = 0; i < 28; ++i)
        mpPanel->Key('W');
    mWindow.Tick();
    ink = InkColumns(178);
    ASSERT_FALSE(ink.empty());
    EXPECT_EQ(ink.front(), 10);
    EXPECT_EQ(ink.back(), 109 - epiAlphaControl_editText::kCaretRoom);
    EXPECT_EQ(Pixel(110 - epiAlphaControl_editText::kCaretRoom + 1, 178), kCaret);
    EXPECT_EQ(Pixel(110, 178), kBackground);

    // Without the focus there is no caret.
    mpPanel->SetFocus(-1);
    mWindow.Tick();
    EXPECT_NE(Pixel(110 - epiAlphaControl_editText::kCaretRoom + 1, 178), kCaret);
}
