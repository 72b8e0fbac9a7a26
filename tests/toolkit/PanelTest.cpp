// Panels built from the real skin, driven by synthetic mouse and key events:
// the factory, rotary drags with and without a range, resets, buttons,
// checks, double clicks, Tab order and the notifications the editor relies on.
#include "PanelFixture.h"

#include "toolkit/epiAlphaControl_button.h"
#include "toolkit/epiAlphaControl_hierMenu.h"
#include "toolkit/epiAlphaControl_rotary.h"
#include "toolkit/epiAlphaControl_text.h"
#include "toolkit/epiLayout.h"

namespace {

class PanelTest : public CPanelTestBase {
protected:
    void SetUp() override { OpenEditor(); }

    epiAlphaControl_rotary* Rotary(int32_t iLayout, int nIndex)
    {
        return dynamic_cast<epiAlphaControl_rotary*>(Panel(iLayout).GetControl(nIndex));
    }
    // Configures a rotary as the module panels do.
    void ConfigureAsModulePanel(int32_t iLayout, int nIndex)
    {
        CRecordingPanel& panel = Panel(iLayout);
        panel.SendToControl(nIndex, epiAlphaControl_rotary::kRange, 0, 30000);
        panel.SendToControl(nIndex, epiAlphaControl_rotary::kReset, 15000);
        panel.SendToControl(nIndex, epiAlphaControl_rotary::kSteps, 150, 15);
    }
};

} // namespace

TEST_F(PanelTest, EveryItemBecomesTheControlOfItsKindAtItsPlaceInTheWindow)
{
    epiLayout layout;
    ASSERT_TRUE(layout.Load(mEngine.GetResFile(), 2));
    CRecordingPanel& panel = Panel(2);
    EXPECT_EQ(panel.GetControlCount(), static_cast<int>(layout.mItems.size()));
    EXPECT_EQ(panel.GetRect().top, 278);
    EXPECT_EQ(panel.GetRect().bottom, 278 + 135);
    for (int i = 0; i < panel.GetControlCount(); ++i) {
        const SEpiLayoutItem& item = layout.mItems[static_cast<size_t>(i)];
        const epiPanelControl* pControl = panel.GetControl(i);
        ASSERT_NE(pControl, nullptr) << i;
        EXPECT_EQ(pControl->GetKind(), item.Kind());
        EXPECT_EQ(pControl->GetBounds().left, item.position.h) << i;
        EXPECT_EQ(pControl->GetBounds().top, 278 + item.position.v) << i;
        EXPECT_EQ(pControl->IsVisible(), item.iState != kEpiItemHidden) << i;
        EXPECT_EQ(pControl->IsActive(), item.iState == kEpiItemActive) << i;
    }
    EXPECT_NE(dynamic_cast<epiAlphaControl_rotary*>(panel.GetControl(5)), nullptr);
    EXPECT_NE(dynamic_cast<epiAlphaControl_check*>(panel.GetControl(2)), nullptr);
    EXPECT_NE(dynamic_cast<epiAlphaControl_text*>(panel.GetControl(17)), nullptr);
    EXPECT_NE(dynamic_cast<epiAlphaControl_hierMenu*>(Panel(10).GetControl(7)), nullptr);
    EXPECT_EQ(Rotary(2, 5)->GetFrameCount(), 128) << "the skin's strips hold 128 frames";
    EXPECT_EQ(Rotary(2, 12)->GetFrameCount(), 101) << "the needle's strip";

    // Layouts that are missing leave a panel with no controls.
    CRecordingPanel& missing = AddPanel(77, 0, 0, false);
    EXPECT_EQ(missing.GetControlCount(), 0);
    EXPECT_EQ(missing.GetControl(0), nullptr);
    missing.SetControlValue(3, 1); // ignored
}

TEST_F(PanelTest, ARotaryWithoutARangeMovesOneFrameEveryTwoPixels)
{
    CRecordingPanel& panel = Panel(2);
    epiAlphaControl_rotary* pRotary = Rotary(2, 5);
    panel.SetControlValue(5, 50);
    const SEpiPoint c = Centre(pRotary);
    Press(c);
    EXPECT_EQ(panel.GetTrackedIndex(), 5);
    MoveTo(c.h + 7, c.v); // sideways: nothing
    EXPECT_EQ(pRotary->GetValue(), 50);
    MoveTo(c.h, c.v - 20);
    EXPECT_EQ(pRotary->GetValue(), 60);
    EXPECT_EQ(pRotary->GetShownFrame(), 60);
    MoveTo(c.h, c.v + 3); // 3 pixels down: -1.5 rounds toward zero
    EXPECT_EQ(pRotary->GetValue(), 49);
    MoveTo(c.h, c.v - 1000);
    EXPECT_EQ(pRotary->GetValue(), 127) << "clamped to the last frame";
    Release();
    EXPECT_EQ(panel.GetTrackedIndex(), -1);
    EXPECT_EQ(panel.mPhases, (std::vector<int> { 0, 1, 1, 1, 2 }));
    ASSERT_EQ(panel.mReports.size(), 1u) << "the value report follows the press";
    EXPECT_EQ(panel.mReports[0], std::make_pair(5, 50));
}

TEST_F(PanelTest, ARangedRotaryMovesByItsCoarseOrFineStepAndStaysInRange)
{
    ConfigureAsModulePanel(2, 6);
    epiAlphaControl_rotary* pRotary = Rotary(2, 6);
    const SEpiPoint c = Centre(pRotary);
    Panel(2).SetControlValue(6, 15000);

    Press(c);
    MoveTo(c.h, c.v - 10);
    EXPECT_EQ(pRotary->GetValue(), 16500);
    MoveTo(c.h, c.v - 500);
    EXPECT_EQ(pRotary->GetValue(), 30000);
    EXPECT_EQ(pRotary->GetShownFrame(), 127) << "the top of the range shows the last frame";
    Release();

    // Control held at the press: the fine step, even if let go meanwhile.
    Panel(2).SetControlValue(6, 15000);
    Input().SetControl(true);
    Press(c);
    Input().SetControl(false);
    MoveTo(c.h, c.v - 10);
    EXPECT_EQ(pRotary->GetValue(), 15150);
    MoveTo(c.h, c.v + 2000);
    EXPECT_EQ(pRotary->GetValue(), 0);
    EXPECT_EQ(pRotary->GetShownFrame(), 0);
    Release();

    // Control pressed only after the press does not switch to the fine step.
    Press(c);
    Input().SetControl(true);
    MoveTo(c.h, c.v - 1);
    EXPECT_EQ(pRotary->GetValue(), 150);
    Input().SetControl(false);
    Release();

    // The frame is in proportion: 128 frames over 30000.
    Panel(2).SetControlValue(6, 7500);
    EXPECT_EQ(pRotary->GetShownFrame(), 32);
}

TEST_F(PanelTest, AltClickResetsAtTheFirstMovementAndIgnoresTheRestOfThatDrag)
{
    ConfigureAsModulePanel(4, 10);
    CRecordingPanel& panel = Panel(4);
    epiAlphaControl_rotary* pRotary = Rotary(4, 10);
    panel.SetControlValue(10, 3000);
    const SEpiPoint c = Centre(pRotary);
    Input().SetAlt(true);
    Press(c);
    EXPECT_EQ(pRotary->GetValue(), 3000) << "nothing happens before the pointer moves";
    MoveTo(c.h, c.v - 1);
    EXPECT_EQ(pRotary->GetValue(), 15000);
    MoveTo(c.h, c.v - 40);
    MoveTo(c.h, c.v + 40);
    EXPECT_EQ(pRotary->GetValue(), 15000);
    Release();
    Input().SetAlt(false);
    EXPECT_EQ(panel.mPhases, (std::vector<int> { 0, 1, 2 }));

    // Without a reset value Alt does nothing special.
    CRecordingPanel& comp = Panel(2);
    comp.SendToControl(7, epiAlphaControl_rotary::kRange, 0, 30000);
    comp.SendToControl(7, epiAlphaControl_rotary::kSteps, 150, 15);
    Input().SetAlt(true);
    const SEpiPoint c7 = Centre(comp.GetControl(7));
    Press(c7);
    MoveTo(c7.h, c7.v - 2);
    Release();
    Input().SetAlt(false);
    EXPECT_EQ(comp.GetControlValue(7), 300);
}

TEST_F(PanelTest, AButtonClicksOnlyWhenReleasedInside)
{
    CRecordingPanel& menu = Panel(10);
    auto* pButton = dynamic_cast<epiAlphaControl_button*>(menu.GetControl(5));
    ASSERT_NE(pButton, nullptr);
    const SEpiPoint c = Centre(pButton);

    Press(c);
    EXPECT_EQ(pButton->GetState(), epiAlphaControl_button::kPressed);
    MoveTo(c.h, c.v + 100); // out
    EXPECT_EQ(pButton->GetState(), epiAlphaControl_button::kUp);
    MoveTo(c.h + 1, c.v); // back in
    EXPECT_EQ(pButton->GetState(), epiAlphaControl_button::kPressed);
    MoveTo(c.h, c.v + 100);
    Release();
    EXPECT_EQ(pButton->GetState(), epiAlphaControl_button::kUp);
    EXPECT_TRUE(menu.mReports.empty()) << "released outside: no click";
    EXPECT_EQ(menu.mPhases, (std::vector<int> { 0, 1, 1, 1 }));

    menu.mPhases.clear();
    Input().AdvanceMillis(1000);
    Press(c);
    Release();
    EXPECT_EQ(menu.mPhases, (std::vector<int> { 0, 2 }));
    ASSERT_EQ(menu.mReports.size(), 1u);
    EXPECT_EQ(menu.mReports[0], std::make_pair(5, 1));

    // A disabled button shows its disabled state and never takes a click.
    menu.EnableControl(5, false);
    EXPECT_EQ(pButton->GetState(), epiAlphaControl_button::kDisabled);
    Input().AdvanceMillis(1000);
    Press(c);
    Release();
    EXPECT_EQ(menu.mReports.size(), 1u);
    EXPECT_EQ(menu.mBackground.size(), 1u);
}

TEST_F(PanelTest, ACheckTogglesAtThePressAndReportsItsNewValue)
{
    CRecordingPanel& eq = Panel(1);
    epiPanelControl* pCheck = eq.GetControl(17);
    const SEpiPoint c = Centre(pCheck);
    EXPECT_EQ(pCheck->GetValue(), 0);
    Press(c);
    EXPECT_EQ(pCheck->GetValue(), 1) << "toggled before the release";
    ASSERT_EQ(eq.mReports.size(), 1u);
    EXPECT_EQ(eq.mReports[0], std::make_pair(17, 1));
    MoveTo(c.h, c.v + 200);
    Release();
    EXPECT_EQ(pCheck->GetValue(), 1) << "releasing outside does not undo it";
    Input().AdvanceMillis(1000);
    Press(c);
    Release();
    EXPECT_EQ(pCheck->GetValue(), 0);
    EXPECT_EQ(eq.mReports.back(), std::make_pair(17, 0));

    // Lamps (state 1) show a value but never take a click.
    epiPanelControl* pLamp = eq.GetControl(16);
    Input().AdvanceMillis(1000);
    Press(Centre(pLamp));
    Release();
    EXPECT_EQ(pLamp->GetValue(), 0);
    EXPECT_EQ(eq.mBackground, (std::vector<bool> { false }));
}

TEST_F(PanelTest, TwoPressesOnOnePointAreADoubleClickOnlyWithinThirtyTicks)
{
    CRecordingPanel& clip = Panel(4);
    const SEpiPoint empty { 600, 700 }; // the clipper panel's background
    Input().SetMillis(10000); // 600 ticks
    Press(empty);
    Release();
    Input().SetMillis(10000 + 29 * 1000 / 60 + 1); // 29 ticks later
    Press(empty);
    Release();
    Input().SetMillis(20000);
    Press(empty);
    Release();
    Input().SetMillis(20500); // exactly 30 ticks
    Press(empty);
    Release();
    Input().SetMillis(20600);
    Press(SEpiPoint { 601, 700 }); // another point
    Release();
    EXPECT_EQ(clip.mBackground, (std::vector<bool> { false, true, false, false, false }));
}

TEST_F(PanelTest, TabWalksTheFocusableControlsInIndexOrderAndShiftTabGoesBack)
{
    CRecordingPanel& comp = Panel(2);
    for (int n : { 10, 5, 7 })
        comp.GetControl(n)->SetFocusable(true);
    std::vector<int> order;
    for (int i = 0; i < 4; ++i) {
        comp.Key(kEpiKeyTab);
        order.push_back(comp.GetFocus());
    }
    EXPECT_EQ(order, (std::vector<int> { 5, 7, 10, 5 }));
    Input().SetShift(true);
    comp.Key(kEpiKeyTab);
    EXPECT_EQ(comp.GetFocus(), 10) << "backwards, wrapping";
    Input().SetShift(false);
    comp.ShowControl(5, false);
    comp.Key(kEpiKeyTab);
    EXPECT_EQ(comp.GetFocus(), 7) << "hidden controls are skipped";
    EXPECT_FALSE(comp.Key('x')) << "no control claims a plain key here";
}

TEST_F(PanelTest, HiddenAndDisabledControlsLetClicksThrough)
{
    CRecordingPanel& comp = Panel(2);
    const SEpiPoint c = Centre(comp.GetControl(5));
    comp.EnableControl(5, false);
    Press(c);
    Release();
    comp.EnableControl(5, true);
    comp.ShowControl(5, false);
    Input().AdvanceMillis(1000);
    Press(c);
    Release();
    EXPECT_EQ(comp.mBackground.size(), 2u);
    EXPECT_TRUE(comp.mPhases.empty());
    // Inactive panels are passed by.
    comp.SetActive(false);
    Input().AdvanceMillis(1000);
    Press(c);
    Release();
    EXPECT_EQ(comp.mBackground.size(), 2u);
}
