// What engineers expect of the knobs and panels: the mouse wheel, a
// double-click back to the default, arcs lit from where the range starts,
// labels clear of other controls, and a module switched off drawn dimmed.
#include "EditorRig.h"

#include "parameters/ConverterLinear.h"
#include "processor/ParameterTable.h"
#include "toolkit/epiAlphaControl_rotary.h"
#include "toolkit/epiAlphaControl_text.h"
#include "toolkit/epiBlit.h"
#include "tools/SkinLayoutSource.h"

#include <map>

namespace {

// The bound knobs of the four module panels: panel, control, parameter.
struct SKnob {
    int nPanel;
    int nControl;
    int nParameter;
};

std::vector<SKnob> BoundKnobs(SEditorRig& rig)
{
    std::vector<SKnob> knobs;
    adl::IDataManager* pData = rig.pProcess->GetDataManager();
    for (int nPanel = 1; nPanel <= 4; ++nPanel) {
        CVantorPanel& panel = rig.Panel(nPanel);
        for (int c = 0; c < panel.GetControlCount(); ++c) {
            const epiPanelControl* pControl = panel.GetControl(c);
            const int nParameter = pData->GetIndexOfKey(panel.GetKey(c));
            if (pControl != nullptr && pControl->GetKind() == kEpiKindRotary && nParameter >= 0)
                knobs.push_back({ nPanel, c, nParameter });
        }
    }
    return knobs;
}

void WheelOver(SEditorRig& rig, int nPanel, int nControl, int nNotches, bool bControl = false)
{
    const auto centre = rig.Centre(nPanel, nControl);
    rig.Window().GetInputState().SetModifiers(false, bControl, false);
    rig.Window().Wheel(centre.first, centre.second, nNotches);
    rig.Window().GetInputState().SetModifiers(false, false, false);
    rig.Ticks(1);
}

TEST(Controls, TheWheelMovesAKnobCoarselyOrByOneUnitWithControl)
{
    SEditorRig rig(4);
    // EQ output, -18 … +18 dB over 30000 positions: a notch is 2 % of the
    // travel, 0.72 dB.
    WheelOver(rig, 1, 15, 1);
    adl::CConverterLinear output(1, -180, 180, 0, 30000);
    EXPECT_EQ(rig.Panel(1).GetControlValue(15), 15000 + CVantorPanel::kWheelStep);
    EXPECT_EQ(rig.pProcess->GetParameter(kEqOutput), output.PositionToValue(15600));
    EXPECT_TRUE(rig.host.Heard(kEqOutput, 7));
    EXPECT_EQ(TextOf(rig.Panel(1), 39), "0.7 dB");
    // With Control one tenth of a dB at a time, down as well as up.
    WheelOver(rig, 1, 15, -1, true);
    WheelOver(rig, 1, 15, -1, true);
    EXPECT_EQ(rig.pProcess->GetParameter(kEqOutput), 5);
    EXPECT_EQ(TextOf(rig.Panel(1), 39), "0.5 dB");
    // A logarithmic knob moves by one unit too: the ratio by 0.01.
    WheelOver(rig, 2, 9, 1, true);
    EXPECT_EQ(rig.pProcess->GetParameter(kCompressorRatio), 311);
    EXPECT_EQ(TextOf(rig.Panel(2), 21), "3.11");
    // At the end of the range the knob stays there.
    rig.pProcess->SetParameter(kClipperOutput, 60);
    rig.Ticks(1);
    rig.host.mChanges.clear();
    WheelOver(rig, 4, 10, 3);
    EXPECT_EQ(rig.pProcess->GetParameter(kClipperOutput), 60);
    EXPECT_TRUE(rig.host.mChanges.empty());
    // Over a switch nothing happens.
    WheelOver(rig, 2, 2, 1);
    EXPECT_EQ(rig.pProcess->GetParameter(kCompressorEnable), 1);
}

TEST(Controls, ADoubleClickPutsEveryKnobBackToItsDefault)
{
    SEditorRig rig(4);
    for (const SKnob& knob : BoundKnobs(rig)) {
        const SParameterDescriptor& d = kVantorParameters[knob.nParameter];
        const int nAway = d.nDefault == d.nMax ? d.nMin : d.nMax;
        rig.pProcess->SetParameter(static_cast<unsigned>(knob.nParameter), nAway);
        rig.Ticks(1);
        rig.Click(knob.nPanel, knob.nControl);
        EXPECT_EQ(rig.pProcess->GetParameter(static_cast<unsigned>(knob.nParameter)), nAway) << "one click";
        rig.Click(knob.nPanel, knob.nControl);
        EXPECT_EQ(rig.pProcess->GetParameter(static_cast<unsigned>(knob.nParameter)), d.nDefault)
            << "parameter " << knob.nParameter;
    }
    // Alt-click (to the middle of the travel) is checked with the panel values.
}

// Layout sources of the skin, by layout id.
std::map<int, SSkinLayoutSource> SkinSources()
{
    std::map<int, SSkinLayoutSource> sources;
    for (const char* pszName : { "eq", "comp", "limiter", "clipper" }) {
        SSkinLayoutSource source;
        std::string sError;
        EXPECT_TRUE(
            ParseSkinLayout(std::string(VANTOR_SKIN_SOURCE_DIR) + "/layouts/" + pszName + ".txt", source, sError))
            << sError;
        sources[source.nId] = source;
    }
    return sources;
}

TEST(Controls, KnobsLightTheirArcFromTheCentreOnlyWhenTheRangeIsCentredOnZero)
{
    SEditorRig rig(4);
    const std::map<int, SSkinLayoutSource> sources = SkinSources();
    for (const SKnob& knob : BoundKnobs(rig)) {
        const SSkinLayoutSource& source = sources.at(knob.nPanel);
        ASSERT_LT(static_cast<size_t>(knob.nControl), source.itemSources.size());
        const SSkinItemSource& item = source.itemSources[static_cast<size_t>(knob.nControl)];
        const SParameterDescriptor& d = kVantorParameters[knob.nParameter];
        EXPECT_EQ(item.sScale, d.nMin == -d.nMax ? "bi" : "uni") << "parameter " << knob.nParameter;
        for (const std::string& sCast : item.casts)
            EXPECT_NE(sCast.find(item.sScale == "bi" ? "-bi-" : "-uni-"), std::string::npos) << sCast;
    }
}

TEST(Controls, KnobLabelsLieClearOfEveryOtherControl)
{
    SEditorRig rig(4);
    const std::map<int, SSkinLayoutSource> sources = SkinSources();
    for (const auto& entry : sources) {
        CVantorPanel& panel = rig.Panel(entry.first);
        for (size_t i = 0; i < entry.second.itemSources.size(); ++i) {
            const SSkinItemSource& item = entry.second.itemSources[i];
            const epiPanelControl* pControl = panel.GetControl(static_cast<int>(i));
            if (item.sLabel.empty() || pControl == nullptr)
                continue;
            // The caption's box as the skin builder paints it: 8.5-pixel
            // capitals centred above the knob, baseline 6 pixels above it
            // with a scale (4 without), about 6 pixels a character.
            const SEpiRect& knob = pControl->GetBounds();
            const int nBaseline = knob.top - (item.sScale.empty() ? 4 : 6);
            const int nHalf = static_cast<int>(item.sLabel.size()) * 3;
            const int nMiddle = (knob.left + knob.right) / 2;
            const SEpiRect label { static_cast<int16_t>(nMiddle - nHalf), static_cast<int16_t>(nBaseline - 9),
                static_cast<int16_t>(nMiddle + nHalf), static_cast<int16_t>(nBaseline + 1) };
            for (int c = 1; c < panel.GetControlCount(); ++c) {
                const epiPanelControl* pOther = panel.GetControl(c);
                if (c == static_cast<int>(i) || pOther == nullptr || !pOther->IsVisible())
                    continue;
                EXPECT_TRUE(EpiIntersect(label, pOther->GetBounds()).IsEmpty())
                    << "layout " << entry.first << ": label " << item.sLabel << " of control " << i << " under control "
                    << c;
            }
        }
    }
}

// The sum of the brightness of a part of the screen.
uint64_t Brightness(const std::vector<uint32_t>& screen, int nWidth, int nTop, int nBottom)
{
    uint64_t nSum = 0;
    for (size_t i = static_cast<size_t>(nTop) * nWidth; i < static_cast<size_t>(nBottom) * nWidth; ++i)
        nSum += ((screen[i] >> 16) & 0xFF) + ((screen[i] >> 8) & 0xFF) + (screen[i] & 0xFF);
    return nSum;
}

TEST(Controls, AModuleSwitchedOffIsDrawnDimmedButItsSwitchStaysBright)
{
    SEditorRig rig(2); // the limiter alone
    const int nWidth = rig.pEditor->GetGUIDriver()->GetWidth();
    const SEpiRect panel = rig.Panel(3).GetRect();
    const int nBody = panel.top + CVantorPanel::kHeaderHeight;
    const std::vector<uint32_t> on = rig.Screen();
    rig.pProcess->SetParameter(kLimiterEnable, 0);
    rig.Ticks(2);
    EXPECT_TRUE(rig.Panel(3).IsDimmed());
    const std::vector<uint32_t> off = rig.Screen();
    EXPECT_LT(Brightness(off, nWidth, nBody, panel.bottom), Brightness(on, nWidth, nBody, panel.bottom) * 6 / 10);
    EXPECT_GT(Brightness(off, nWidth, nBody, panel.bottom), Brightness(on, nWidth, nBody, panel.bottom) * 3 / 10);
    // The header with the switch is as bright as before, the switch itself
    // now showing off.
    EXPECT_GT(Brightness(off, nWidth, panel.top, nBody), Brightness(on, nWidth, panel.top, nBody) * 9 / 10);
    // A knob moved meanwhile is drawn dimmed too; switched on again, the
    // picture is the bright one.
    rig.pProcess->SetParameter(kLimiterOutput, 60);
    rig.Ticks(2);
    rig.pProcess->SetParameter(kLimiterOutput, 0);
    rig.pProcess->SetParameter(kLimiterEnable, 1);
    rig.Ticks(2);
    EXPECT_FALSE(rig.Panel(3).IsDimmed());
    EXPECT_EQ(rig.Screen(), on);
}

} // namespace
