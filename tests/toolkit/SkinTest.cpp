// The built skin holds everything the editor asks for: layouts sized for the
// window modes, each control at its index with the kind its panel expects,
// every cast a layout names, film strips that divide into frames, and the two
// bitmap fonts with their glyph marks.
#include "toolkit/EpiCasts.h"
#include "toolkit/epiDiskResFile.h"
#include "toolkit/epiLayout.h"
#include "toolkit/epiPath.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace {

struct SPanelNeeds {
    int32_t iLayout;
    int nHeight; // the room the editor gives the panel
    std::vector<int> rotaries;
    std::vector<int> switches; // check controls: switches, lamps, clip lights
    std::vector<int> texts;
};

// Indices from the module panels, the menu and the needle meters.
const std::vector<SPanelNeeds>& PanelNeeds()
{
    static const std::vector<SPanelNeeds> needs = {
        { 1, 260, { 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15 }, { 1, 2, 3, 16, 17, 18, 19, 20, 21, 22 },
            { 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 39 } },
        { 2, 135, { 4, 5, 6, 7, 8, 9, 10, 12 }, { 2, 3 }, { 17, 18, 19, 20, 21, 22, 23 } },
        { 3, 187, { 4, 5, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17 }, { 2, 3 },
            { 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33 } },
        { 4, 110, { 4, 5, 10 }, { 2, 3, 6, 7, 8 }, { 15, 16, 17 } },
    };
    return needs;
}

class SkinTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        mFile.SetReadOnly(true);
        ASSERT_TRUE(mFile.SetPath(epi::ToolkitPathFrom(VANTOR_BUNDLE_DIR "/Vantor.xrs")));
        ASSERT_TRUE(mFile.Open()) << "build the skin first (target vantor-skin-file)";
        mCasts.SetResFile(&mFile);
        ASSERT_TRUE(mCasts.Build());
    }

    epiLayout Layout(int32_t iId)
    {
        epiLayout layout;
        EXPECT_TRUE(layout.Load(mFile, iId)) << "layout " << iId;
        return layout;
    }

    // The control's size: its override, else its first cast's.
    SEpiPoint SizeOf(const SEpiLayoutItem& item)
    {
        if (item.sizeOverride.h > 0 && item.sizeOverride.v > 0)
            return item.sizeOverride;
        EpiOneCast* pCast = mCasts.GetCast(item.aiCasts[0]);
        return pCast != nullptr
            ? SEpiPoint { static_cast<int16_t>(pCast->GetWidth()), static_cast<int16_t>(pCast->GetHeight()) }
            : SEpiPoint { 0, 0 };
    }

    epiDiskResFile mFile;
    EpiCasts mCasts;
};

} // namespace

TEST_F(SkinTest, MainLayoutsAreSizedForTheirModes)
{
    const epiLayout all = Layout(100);
    const int nWidth = all.mRect.Width();
    EXPECT_GE(nWidth, 400);
    EXPECT_EQ(all.mRect.Height(), 600 + PanelNeeds()[3].nHeight) << "the clipper starts at 600";
    // Single modes: the menu strip (18) and one panel.
    for (int nMode = 0; nMode < 4; ++nMode) {
        const epiLayout main = Layout(101 + nMode);
        EXPECT_EQ(main.mRect.Width(), nWidth);
        EXPECT_EQ(main.mRect.Height(), 18 + PanelNeeds()[static_cast<size_t>(nMode)].nHeight) << nMode;
    }
    // Mode 4 stacks the panels at 18, 278, 413 and 600.
    EXPECT_EQ(18 + PanelNeeds()[0].nHeight, 278);
    EXPECT_EQ(278 + PanelNeeds()[1].nHeight, 413);
    EXPECT_EQ(413 + PanelNeeds()[2].nHeight, 600);
    for (int32_t iId : { 1, 2, 3, 4, 10, 201, 202 }) {
        const int32_t nSize = mFile.GetSize(kEpiTypeLayout, iId);
        EXPECT_TRUE(nSize == epiLayout::kLargeBytes || nSize == epiLayout::kSmallBytes) << iId;
    }
    const epiLayout menu = Layout(10);
    EXPECT_EQ(menu.mRect.Width(), nWidth);
    EXPECT_EQ(menu.mRect.Height(), 18);
    EXPECT_FALSE(Layout(201).mItems.empty()) << "the about box shows something";
}

TEST_F(SkinTest, ModulePanelsHaveEveryControlTheEditorBinds)
{
    for (const SPanelNeeds& needs : PanelNeeds()) {
        const epiLayout layout = Layout(needs.iLayout);
        EXPECT_EQ(layout.mRect.Height(), needs.nHeight) << "panel " << needs.iLayout;
        EXPECT_EQ(layout.mRect.Width(), Layout(100).mRect.Width());
        auto expectKind = [&](int nIndex, int16_t nKind) {
            ASSERT_LT(static_cast<size_t>(nIndex), layout.mItems.size()) << needs.iLayout << "/" << nIndex;
            const SEpiLayoutItem& item = layout.mItems[static_cast<size_t>(nIndex)];
            EXPECT_EQ(item.Kind(), nKind) << needs.iLayout << "/" << nIndex;
            EXPECT_NE(item.iState, kEpiItemHidden) << needs.iLayout << "/" << nIndex;
        };
        for (int n : needs.rotaries)
            expectKind(n, kEpiKindRotary);
        for (int n : needs.switches)
            expectKind(n, kEpiKindCheck);
        for (int n : needs.texts) {
            expectKind(n, kEpiKindText);
            const SEpiLayoutItem& item = layout.mItems[static_cast<size_t>(n)];
            EXPECT_LT(item.anOptions[0], 2) << "font slot 0 or 1";
            EXPECT_LE(item.anOptions[3], 2) << "alignment";
        }
    }
}

TEST_F(SkinTest, TheMenuStripHasItsButtonsAndLoadMenu)
{
    const epiLayout menu = Layout(10);
    ASSERT_GT(menu.mItems.size(), 7u);
    for (int n : { 2, 5, 6 })
        EXPECT_EQ(menu.mItems[static_cast<size_t>(n)].Kind(), kEpiKindButton) << n;
    EXPECT_EQ(menu.mItems[7].Kind(), kEpiKindHierMenu);
    for (int n : { 2, 5, 6, 7 }) {
        EXPECT_EQ(menu.mItems[static_cast<size_t>(n)].iState, kEpiItemActive) << n;
        // Up, pressed and disabled frames (states 0, 1 and 3).
        for (int nFrame : { 0, 1, 3 })
            EXPECT_NE(mCasts.GetCast(menu.mItems[static_cast<size_t>(n)].aiCasts[nFrame]), nullptr) << n;
    }
}

TEST_F(SkinTest, TheNamePromptHasItsFieldReasonLineAndButtons)
{
    // Layout 202: 1 the name field, 2 the reason line, 3 OK, 4 Cancel.
    const epiLayout prompt = Layout(202);
    ASSERT_GT(prompt.mItems.size(), 4u);
    EXPECT_EQ(prompt.mItems[1].Kind(), kEpiKindEditText);
    EXPECT_EQ(prompt.mItems[1].iState, kEpiItemActive);
    EXPECT_EQ(prompt.mItems[1].anOptions[3], 0) << "left-aligned, so the typed end stays in view";
    EXPECT_EQ(prompt.mItems[2].Kind(), kEpiKindText);
    for (size_t n : { 3u, 4u }) {
        EXPECT_EQ(prompt.mItems[n].Kind(), kEpiKindButton) << n;
        EXPECT_EQ(prompt.mItems[n].iState, kEpiItemActive) << n;
    }
}

TEST_F(SkinTest, EveryNamedCastLoadsAndControlsFitTheirPanels)
{
    for (int32_t iId : { 1, 2, 3, 4, 10, 201, 202 }) {
        const epiLayout layout = Layout(iId);
        for (size_t i = 0; i < layout.mItems.size(); ++i) {
            const SEpiLayoutItem& item = layout.mItems[i];
            if (item.iState == kEpiItemHidden)
                continue;
            for (int32_t iCast : item.aiCasts) {
                if (iCast == 0)
                    continue;
                EXPECT_NE(mCasts.GetColourMap(iCast), nullptr) << "layout " << iId << " control " << i;
            }
            const SEpiPoint size = SizeOf(item);
            EXPECT_GT(size.h, 0) << iId << "/" << i;
            EXPECT_GE(item.position.h, 0);
            EXPECT_GE(item.position.v, 0);
            EXPECT_LE(item.position.h + size.h, layout.mRect.Width()) << iId << "/" << i;
            EXPECT_LE(item.position.v + size.v, layout.mRect.Height()) << iId << "/" << i;
        }
    }
}

TEST_F(SkinTest, RotaryStripsDivideIntoAtLeastAHundredFrames)
{
    std::map<int32_t, bool> seen;
    for (const SPanelNeeds& needs : PanelNeeds()) {
        const epiLayout layout = Layout(needs.iLayout);
        for (int n : needs.rotaries) {
            const SEpiLayoutItem& item = layout.mItems[static_cast<size_t>(n)];
            EpiOneCast* pFrame = mCasts.GetCast(item.aiCasts[0]);
            EpiOneCast* pStrip = mCasts.GetCast(item.aiCasts[1]);
            ASSERT_NE(pFrame, nullptr) << needs.iLayout << "/" << n;
            ASSERT_NE(pStrip, nullptr) << needs.iLayout << "/" << n;
            EXPECT_EQ(pStrip->GetWidth(), pFrame->GetWidth());
            EXPECT_EQ(pStrip->GetHeight() % pFrame->GetHeight(), 0) << needs.iLayout << "/" << n;
            EXPECT_GE(pStrip->GetHeight() / pFrame->GetHeight(), 100) << needs.iLayout << "/" << n;
            seen[item.aiCasts[1]] = true;
        }
    }
    // The two needles are rotaries driven by the editor, one strip each.
    EXPECT_EQ(Layout(2).mItems[12].iState, kEpiItemShown);
    EXPECT_EQ(Layout(3).mItems[16].iState, kEpiItemShown);
    EXPECT_NE(Layout(2).mItems[12].aiCasts[1], Layout(3).mItems[16].aiCasts[1]);
}

TEST_F(SkinTest, FontsMarkAGlyphRunForEveryPrintableCharacter)
{
    for (int32_t iFont : { 500, 502 }) {
        EpiOneCast* pCast = mCasts.GetCast(iFont);
        ASSERT_NE(pCast, nullptr) << iFont;
        ASSERT_TRUE(pCast->IsColourLoaded());
        ASSERT_TRUE(pCast->IsMaskLoaded()) << "glyph shapes live in the mask";
        const epiOffmap& colour = pCast->GetColourMap();
        const int nGlyphHeight = colour.GetHeight() - 5;
        ASSERT_GE(nGlyphHeight, 8);
        const int nMarkerRow = nGlyphHeight + 3;
        std::vector<std::pair<int, int>> runs;
        for (int x = 0; x < colour.GetWidth();) {
            while (x < colour.GetWidth() && colour.GetPixel(x, nMarkerRow) == 0)
                ++x;
            const int nLeft = x;
            while (x < colour.GetWidth() && colour.GetPixel(x, nMarkerRow) != 0)
                ++x;
            if (x > nLeft)
                runs.emplace_back(nLeft, x);
        }
        EXPECT_GE(runs.size(), 95u) << iFont;
        ASSERT_GT(runs.size(), static_cast<size_t>('A'));
        // 'A' has ink; a space has none.
        auto ink = [&](int nCode) {
            int nSum = 0;
            for (int y = 0; y < nGlyphHeight; ++y)
                for (int x = runs[static_cast<size_t>(nCode)].first; x < runs[static_cast<size_t>(nCode)].second; ++x)
                    nSum += static_cast<int>(pCast->GetMaskMap().GetPixel(x, y));
            return nSum;
        };
        EXPECT_GT(ink('A'), 0) << iFont;
        EXPECT_EQ(ink(' '), 0) << iFont;
        EXPECT_GT(runs[' '].second - runs[' '].first, 1) << "a space has a width";
    }
}
