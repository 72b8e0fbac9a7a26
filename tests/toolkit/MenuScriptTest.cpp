// The hierarchical menu as the preset menu uses it, and the input-script
// driver that presses, drags and types for tests and for vantor-skin.
#include "PanelFixture.h"

#include "toolkit/epiAlphaControl_hierMenu.h"
#include "toolkit/epiAlphaControl_rotary.h"
#include "toolkit/epiScript.h"

#include <string>

namespace {

class MenuScriptTest : public CPanelTestBase {
protected:
    void SetUp() override
    {
        OpenEditor();
        mpMenu = dynamic_cast<epiAlphaControl_hierMenu*>(Panel(10).GetControl(7));
        ASSERT_NE(mpMenu, nullptr);
        // What the preset menu builds for a folder with Default and Rock/Warm.
        mpMenu->ClearItems();
        mpMenu->SetTitle("Load");
        mnRefresh = mpMenu->AddItem("Refresh Preset List");
        mnDefault = mpMenu->AddItem("Default");
        mnRock = mpMenu->AddSubmenu("Rock");
        mnWarm = mpMenu->AddItem("Warm", mnRock);
        mnBright = mpMenu->AddItem("Bright", mnRock);
    }

    // The middle of row n of an open column.
    SEpiPoint Row(const SEpiRect& column, int n, int nRows)
    {
        const int nRowHeight = (column.Height() - 2) / nRows;
        return SEpiPoint { static_cast<int16_t>(column.left + 20),
            static_cast<int16_t>(column.top + 1 + n * nRowHeight + nRowHeight / 2) };
    }

    epiAlphaControl_hierMenu* mpMenu = nullptr;
    int mnRefresh = 0, mnDefault = 0, mnRock = 0, mnWarm = 0, mnBright = 0;
};

} // namespace

TEST_F(MenuScriptTest, PressingOpensTheMenuAndReleasingOnAnItemReportsIt)
{
    CRecordingPanel& menu = Panel(10);
    mWindow.Tick();
    epiOffmap closed;
    ASSERT_TRUE(closed.CopyFrom(mWindow.GetMap()));

    Press(Centre(mpMenu));
    EXPECT_TRUE(mpMenu->IsOpen());
    const SEpiRect top = mpMenu->GetOverlayRect();
    EXPECT_EQ(top.top, mpMenu->GetBounds().bottom) << "below the title";
    const SEpiPoint rock = Row(top, 2, 3);
    MoveTo(rock.h, rock.v);
    EXPECT_EQ(mpMenu->GetHighlighted(), mnRock);
    const SEpiRect both = mpMenu->GetOverlayRect();
    EXPECT_GT(both.right, top.right) << "the submenu opens to the right";
    const SEpiRect sub { static_cast<int16_t>(top.right - 2), rock.v, both.right, both.bottom };
    const SEpiPoint warm { static_cast<int16_t>(sub.left + 20), static_cast<int16_t>(rock.v) };
    MoveTo(warm.h, warm.v - 3);
    EXPECT_EQ(mpMenu->GetHighlighted(), mnWarm);
    mWindow.Tick();
    // The open menu is drawn over the equaliser panel below the strip.
    int nCovered = 0;
    for (int x = top.left; x < top.right; ++x)
        nCovered += mWindow.GetMap().GetPixel(x, top.bottom - 3) != closed.GetPixel(x, top.bottom - 3);
    EXPECT_GT(nCovered, top.Width() / 2);
    Release();
    EXPECT_FALSE(mpMenu->IsOpen());
    ASSERT_EQ(menu.mReports.size(), 1u);
    EXPECT_EQ(menu.mReports[0], std::make_pair(7, mnWarm));
    EXPECT_EQ(mpMenu->GetChosenText(), "Warm");
    EXPECT_EQ(mpMenu->GetItemPath(mpMenu->GetChosen()), "Rock:Warm");
    EXPECT_EQ(mpMenu->AddItem("Nowhere", mnWarm), epiAlphaControl_hierMenu::kNone) << "items hold no items";

    // Closing repaints whatever lay under the menu.
    mWindow.Tick();
    int nDifferent = 0;
    for (int y = 0; y < closed.GetHeight(); ++y)
        for (int x = 0; x < closed.GetWidth(); ++x)
            nDifferent += mWindow.GetMap().GetPixel(x, y) != closed.GetPixel(x, y);
    EXPECT_EQ(nDifferent, 0);
}

TEST_F(MenuScriptTest, ReleasingOutsideTheItemsChoosesNothingAndOnASubmenuKeepsItOpen)
{
    CRecordingPanel& menu = Panel(10);
    // Dragged off the menu: it closes without a choice.
    Press(Centre(mpMenu));
    const SEpiRect top = mpMenu->GetOverlayRect();
    MoveTo(Row(top, 1, 3).h, Row(top, 1, 3).v);
    MoveTo(10, 500);
    Release();
    EXPECT_FALSE(mpMenu->IsOpen());
    // Released on a submenu: it stays open with the submenu shown.
    Input().AdvanceMillis(1000);
    Press(Centre(mpMenu));
    const SEpiPoint rock = Row(top, 2, 3);
    MoveTo(rock.h, rock.v);
    Release();
    EXPECT_TRUE(mpMenu->IsOpen());
    EXPECT_GT(mpMenu->GetOverlayRect().right, top.right);
    EXPECT_TRUE(menu.mReports.empty());
    EXPECT_EQ(mpMenu->GetChosen(), epiAlphaControl_hierMenu::kNone);
}

TEST_F(MenuScriptTest, AClickOpensTheMenuUntilAnItemIsClickedOrTheUserClicksElsewhere)
{
    CRecordingPanel& menu = Panel(10);
    // A plain click opens it, and it stays open without the button.
    Press(Centre(mpMenu));
    Release();
    ASSERT_TRUE(mpMenu->IsOpen());
    const SEpiRect top = mpMenu->GetOverlayRect();
    // The pointer alone highlights and opens the submenu.
    const SEpiPoint rock = Row(top, 2, 3);
    MoveTo(rock.h, rock.v);
    EXPECT_EQ(mpMenu->GetHighlighted(), mnRock);
    // The submenu lies right of the top level, Warm level with Rock.
    const int nRowHeight = (top.Height() - 2) / 3;
    MoveTo(top.right + 20, rock.v);
    EXPECT_EQ(mpMenu->GetHighlighted(), mnWarm);
    // A click on an item chooses it.
    Input().AdvanceMillis(1000);
    Press(SEpiPoint { static_cast<int16_t>(top.right + 20), static_cast<int16_t>(rock.v + nRowHeight) });
    Release();
    EXPECT_FALSE(mpMenu->IsOpen());
    ASSERT_EQ(menu.mReports.size(), 1u);
    EXPECT_EQ(menu.mReports[0], std::make_pair(7, mnBright));

    // Open again; a click on another panel closes it, chooses nothing and
    // does not reach that panel.
    Input().AdvanceMillis(1000);
    Press(Centre(mpMenu));
    Release();
    ASSERT_TRUE(mpMenu->IsOpen());
    CRecordingPanel& comp = Panel(2);
    const size_t nCompReports = comp.mReports.size();
    Input().AdvanceMillis(1000);
    Press(Centre(comp.GetControl(2)));
    Release();
    EXPECT_FALSE(mpMenu->IsOpen());
    EXPECT_EQ(comp.mReports.size(), nCompReports);
    EXPECT_EQ(menu.mReports.size(), 1u);

    // A second click on the title closes it too.
    Input().AdvanceMillis(1000);
    Press(Centre(mpMenu));
    Release();
    Input().AdvanceMillis(1000);
    Press(Centre(mpMenu));
    Release();
    EXPECT_FALSE(mpMenu->IsOpen());
    EXPECT_EQ(menu.mReports.size(), 1u);
}

TEST_F(MenuScriptTest, KeysMoveThroughTheOpenMenuAndReturnChooses)
{
    CRecordingPanel& menu = Panel(10);
    Press(Centre(mpMenu));
    Release();
    ASSERT_TRUE(mpMenu->IsOpen());
    mWindow.Key(kEpiKeyDown);
    EXPECT_EQ(mpMenu->GetHighlighted(), mnRefresh);
    mWindow.Key(kEpiKeyUp);
    EXPECT_EQ(mpMenu->GetHighlighted(), mnRock) << "Up from the top wraps to the bottom";
    mWindow.Key(kEpiKeyRight);
    EXPECT_EQ(mpMenu->GetHighlighted(), mnWarm) << "Right opens the submenu at its first item";
    mWindow.Key(kEpiKeyDown);
    EXPECT_EQ(mpMenu->GetHighlighted(), mnBright);
    mWindow.Key(kEpiKeyLeft);
    EXPECT_EQ(mpMenu->GetHighlighted(), mnRock) << "Left goes back to the submenu's entry";
    mWindow.Key(kEpiKeyReturn);
    EXPECT_EQ(mpMenu->GetHighlighted(), mnWarm) << "Return on a submenu opens it";
    EXPECT_TRUE(menu.mReports.empty());
    mWindow.Key(kEpiKeyReturn);
    EXPECT_FALSE(mpMenu->IsOpen());
    ASSERT_EQ(menu.mReports.size(), 1u);
    EXPECT_EQ(menu.mReports[0], std::make_pair(7, mnWarm));

    // Escape closes without a choice; keys then go to the panels as before.
    Input().AdvanceMillis(1000);
    Press(Centre(mpMenu));
    Release();
    mWindow.Key(kEpiKeyDown);
    mWindow.Key(kEpiKeyEscape);
    EXPECT_FALSE(mpMenu->IsOpen());
    EXPECT_EQ(menu.mReports.size(), 1u);
}

TEST(MenuText, Utf8NamesAreShownThroughTheFontsLatin1Set)
{
    EXPECT_EQ(epi::ToFontCharset("Caf\xC3\xA9 Cr\xC3\xA8me"), "Caf\xE9 Cr\xE8me");
    EXPECT_EQ(epi::ToFontCharset("\xC3\xBF\xC2\xA0"), "\xFF\xA0") << "the top and the bottom of the set";
    EXPECT_EQ(epi::ToFontCharset("Pi \xCF\x80 \xE2\x82\xAC \xF0\x9F\x8E\xB5!"), "Pi ? ? ?!") << "outside the set";
    EXPECT_EQ(epi::ToFontCharset("a\xC3"), "a?") << "a cut sequence";
    EXPECT_EQ(epi::ToFontCharset("\xA9x\xC3(y"), "?x?(y") << "stray bytes";
    EXPECT_EQ(epi::ToFontCharset("\xC1\x81"), "?") << "an overlong ASCII";
    EXPECT_EQ(epi::ToFontCharset("Plain: ASCII"), "Plain: ASCII");
}

TEST_F(MenuScriptTest, AScriptDragsAndClicksLikeDirectEvents)
{
    CRecordingPanel& comp = Panel(2);
    comp.SendToControl(6, epiAlphaControl_rotary::kRange, 0, 30000);
    comp.SendToControl(6, epiAlphaControl_rotary::kSteps, 150, 15);
    const SEpiPoint c = Centre(comp.GetControl(6));
    const SEpiPoint s = Centre(comp.GetControl(2));
    std::vector<std::string> snaps;
    epiScript script(mWindow);
    script.SetSnapshotHook([&](const epiOffmap& map, const std::string& sName) {
        snaps.push_back(sName + ":" + std::to_string(map.GetWidth()));
        return true;
    });
    const std::string sScript = "# drag the attack knob up by 20 pixels, finely\n"
                                "control on\n"
                                "down "
        + std::to_string(c.h) + " " + std::to_string(c.v)
        + "\n"
          "control off\n"
          "move "
        + std::to_string(c.h) + " " + std::to_string(c.v - 20)
        + "  # up\n"
          "tick 3\n"
          "up\n"
          "wait 1000\n"
          "click "
        + std::to_string(s.h) + " " + std::to_string(s.v)
        + "\n"
          "value 1 12 50\n"
          "snap after\n";
    ASSERT_TRUE(script.Run(sScript)) << script.GetError();
    EXPECT_EQ(comp.GetControlValue(6), 300);
    EXPECT_EQ(comp.GetControlValue(2), 1);
    EXPECT_EQ(comp.GetControlValue(12), 50);
    EXPECT_EQ(snaps, (std::vector<std::string> { "after:900" }));
    EXPECT_EQ(Input().GetMillis(), 1040u) << "three ticks, a wait and the click's tick";

    EXPECT_FALSE(script.Run("tick\nmove 3\n"));
    EXPECT_EQ(script.GetError(), "line 2: move needs X Y");
    EXPECT_FALSE(script.Run("jump 1 2"));
    EXPECT_EQ(script.GetError(), "line 1: unknown statement 'jump'");
    EXPECT_FALSE(script.Run("value 1 99 0"));
    EXPECT_TRUE(script.Run("key tab\nkey a\nkey 65\nshift on\nkey tab\nshift off\n"));
    EXPECT_FALSE(script.Run("key f13"));
}
