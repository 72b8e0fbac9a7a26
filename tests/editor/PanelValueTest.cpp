// Values between the controls and the process, both ways: drags and clicks
// set parameters (and the host hears them), host changes move the knobs and
// their texts, the needles and clip lights follow the meters, and the
// equaliser curve follows the bands.
#include "EditorRig.h"

#include "editor/VantorPanelEQ.h"
#include "parameters/ConverterLinear.h"
#include "parameters/ConverterLog.h"
#include "processor/ParameterTable.h"
#include "toolkit/epiAlphaControl_rotary.h"
#include "toolkit/epiAlphaControl_text.h"

#include <cmath>

namespace {

TEST(PanelValues, DraggingTheLowCutToTheBottomSwitchesItOff)
{
    SEditorRig rig(4);
    rig.pProcess->SetParameter(kEqLowCutFreq, 1000);
    rig.Ticks(2);
    rig.Drag(1, 5, 400); // 30000 positions at 150 per pixel: 200 pixels is the whole way
    EXPECT_EQ(rig.Panel(1).GetControlValue(5), 0);
    EXPECT_EQ(rig.pProcess->GetParameter(kEqLowCutFreq), 15);
    EXPECT_TRUE(rig.host.Heard(kEqLowCutFreq, 15));
    EXPECT_EQ(TextOf(rig.Panel(1), 28), "Off");
    // And to the top: the highest cut-off, in kHz.
    rig.Drag(1, 5, -400);
    EXPECT_EQ(rig.pProcess->GetParameter(kEqLowCutFreq), 5300);
    EXPECT_EQ(TextOf(rig.Panel(1), 28), "5.3 KHz");
}

TEST(PanelValues, AHostChangeMovesTheKnobAndItsTextWithinTwoTicks)
{
    SEditorRig rig(4);
    const std::vector<uint32_t> before = rig.Screen();
    rig.pProcess->SetParameter(kEqOutput, 60); // +6.0 dB
    rig.Ticks(2);
    adl::CConverterLinear output(1, -180, 180, 0, 30000);
    EXPECT_EQ(rig.Panel(1).GetControlValue(15), output.ValueToPosition(60));
    EXPECT_EQ(TextOf(rig.Panel(1), 39), "6 dB");
    rig.pProcess->SetParameter(kEqOutput, -35);
    rig.Ticks(2);
    EXPECT_EQ(TextOf(rig.Panel(1), 39), "-3.5 dB");
    EXPECT_NE(rig.Screen(), before);
    // The host does not hear back what it set.
    EXPECT_FALSE(rig.host.Heard(kEqOutput, 60));
}

TEST(PanelValues, AControlKeyReachesItsPanelAndControl)
{
    SEditorRig rig(4);
    rig.pEditor->SetControlValue(0x00030005, 60); // limiter band 1 threshold +6.0 dB
    EXPECT_NE(rig.Panel(3).GetControlValue(5), 22500) << "nothing moves before the tick";
    rig.Ticks(1);
    EXPECT_EQ(rig.Panel(3).GetControlValue(5), 22500);
    // Two values within one tick: both are applied, the later one stays.
    rig.pEditor->SetControlValue(0x00030005, -120);
    rig.pEditor->SetControlValue(0x00030005, 120);
    rig.Ticks(1);
    EXPECT_EQ(rig.Panel(3).GetControlValue(5), 30000);
}

TEST(PanelValues, AltClickPutsTheClipperOutputInTheMiddleOfItsTravel)
{
    SEditorRig rig(3);
    rig.Window().GetInputState().SetAlt(true);
    rig.Drag(4, 10, -4);
    rig.Window().GetInputState().SetAlt(false);
    EXPECT_EQ(rig.Panel(4).GetControlValue(10), 15000);
    // The middle of -60.0 … +6.0 dB in positions, not 0 dB.
    EXPECT_EQ(rig.pProcess->GetParameter(kClipperOutput), -270);
    EXPECT_EQ(TextOf(rig.Panel(4), 17), "-27 dB");
}

TEST(PanelValues, TheModuleSwitchSetsItsParameterAndLightsItsLamp)
{
    SEditorRig rig(4);
    const int nBefore = rig.pProcess->GetParameter(kEqEnable);
    rig.Click(1, 3);
    const int nAfter = rig.pProcess->GetParameter(kEqEnable);
    EXPECT_EQ(nAfter, nBefore == 0 ? 1 : 0);
    EXPECT_TRUE(rig.host.Heard(kEqEnable, nAfter));
    rig.Ticks(1);
    EXPECT_EQ(rig.Panel(1).GetControlValue(16), nAfter) << "the lamp follows";
    // The Q switch passes 0 and 1 unconverted.
    const int nQ = rig.pProcess->GetParameter(kEqLowMidQ);
    rig.Click(1, 1);
    EXPECT_EQ(rig.pProcess->GetParameter(kEqLowMidQ), nQ == 0 ? 1 : 0);
}

TEST(PanelValues, ClipLightsHoldAboutOneAndAHalfSecondsAfterClipping)
{
    SEditorRig rig(3);
    rig.pProcess->SetParameter(kClipperGain, 150); // +15 dB into the clipper
    rig.Play(0.0f, 44100);
    rig.Ticks(2);
    for (int n = 6; n <= 8; ++n)
        EXPECT_EQ(rig.Panel(4).GetControlValue(n), 0) << "dark while the meters read 0";
    const std::vector<uint32_t> dark = rig.Screen();

    rig.Play(0.9f, 8192);
    rig.Ticks(1);
    EXPECT_EQ(rig.Panel(4).GetControlValue(6), 1);
    EXPECT_NE(rig.Screen(), dark);

    // Silence, with a timer tick every 512 frames as a host would give:
    // the light goes out about 1.5 s after the clipping stopped.
    int nSlicesLit = 0;
    while (rig.Panel(4).GetControlValue(6) == 1 && nSlicesLit < 1000) {
        rig.Play(0.0f, 512);
        rig.Ticks(1);
        ++nSlicesLit;
    }
    const double fSeconds = nSlicesLit * 512 / 44100.0;
    EXPECT_GT(fSeconds, 1.4);
    EXPECT_LT(fSeconds, 1.7);
    // Everything but the output meter, which still remembers the burst.
    auto withoutMeter = [&](std::vector<uint32_t> screen) {
        const SEpiRect strip = rig.Window().GetOutputStrip()->GetRect();
        const int nWidth = rig.pEditor->GetGUIDriver()->GetWidth();
        for (int y = strip.top; y < strip.bottom; ++y)
            for (int x = strip.left; x < strip.right; ++x)
                screen[static_cast<size_t>(y) * nWidth + x] = 0;
        return screen;
    };
    EXPECT_EQ(withoutMeter(rig.Screen()), withoutMeter(dark));
}

TEST(PanelValues, NeedlesAtRestShowTheirShareOfTheStrip)
{
    SEditorRig rig(4);
    rig.Ticks(2);
    auto* pComp = dynamic_cast<epiAlphaControl_rotary*>(rig.Panel(2).GetControl(12));
    auto* pLimiter = dynamic_cast<epiAlphaControl_rotary*>(rig.Panel(3).GetControl(16));
    ASSERT_NE(pComp, nullptr);
    ASSERT_NE(pLimiter, nullptr);
    const float fComp = rig.pProcess->GetMeter(0);
    const float fLimiter = rig.pProcess->GetMeter(1);
    EXPECT_EQ(pComp->GetValue(), static_cast<int>(std::floor((pComp->GetFrameCount() - 1) * fComp * 0.94f)));
    EXPECT_EQ(pLimiter->GetValue(), static_cast<int>(std::floor((pLimiter->GetFrameCount() - 1) * fLimiter * 0.95f)));
    // Loud audio pulls the compressor's needle away from rest.
    rig.pProcess->SetParameter(kCompressorInputDrive, 150);
    rig.Play(0.9f, 44100);
    rig.Ticks(1);
    EXPECT_NE(rig.pProcess->GetMeter(0), fComp);
    EXPECT_EQ(pComp->GetValue(),
        static_cast<int>(static_cast<float>(pComp->GetFrameCount() - 1) * rig.pProcess->GetMeter(0) * 0.94f));
}

// Curve pixels: the curve's colour inside the screen's area.
int CurvePixelsInColumn(SEditorRig& rig, int nColumn, int& nRow)
{
    CVantorPanelEQ* pEQ = rig.Window().GetEQPanel();
    const SEpiRect area = pEQ->GetCurveRect();
    const std::vector<uint32_t> screen = rig.Screen();
    const int nWidth = rig.pEditor->GetGUIDriver()->GetWidth();
    const uint32_t n = CVantorPanelEQ::kCurveColour;
    const uint32_t nRGB = (((n >> 10) & 31u) << 19) | (((n >> 5) & 31u) << 11) | ((n & 31u) << 3);
    int nCount = 0;
    for (int y = area.top; y < area.bottom; ++y)
        if (screen[static_cast<size_t>(y) * nWidth + area.left + nColumn] == nRGB) {
            nRow = y - area.top;
            ++nCount;
        }
    return nCount;
}

TEST(PanelValues, TheEqualiserCurveFollowsTheBands)
{
    SEditorRig rig(0);
    // Everything flat: the curve lies on the 0 dB row across the screen.
    for (int nParameter : { kEqLowShelfGain, kEqLowMidGain, kEqHighMidGain, kEqHighShelfGain })
        rig.pProcess->SetParameter(nParameter, 0);
    rig.pProcess->SetParameter(kEqLowCutFreq, 15);
    rig.pProcess->SetParameter(kEqHighCutFreq, 19201);
    rig.Ticks(2);
    int nRow = -1;
    EXPECT_EQ(CurvePixelsInColumn(rig, CVantorPanelEQ::kFirstColumn + 150, nRow), 1);
    EXPECT_EQ(nRow, 50);
    EXPECT_EQ(CurvePixelsInColumn(rig, 5, nRow), 0) << "left of the first point";

    // +12 dB low shelf at 200 Hz: the low end rises, the old line is gone.
    rig.pProcess->SetParameter(kEqLowShelfEnable, 1);
    rig.pProcess->SetParameter(kEqLowShelfFreq, 200);
    rig.pProcess->SetParameter(kEqLowShelfGain, 120);
    rig.Ticks(2);
    EXPECT_GE(CurvePixelsInColumn(rig, CVantorPanelEQ::kFirstColumn + 1, nRow), 1);
    // A decade below the corner the shelf has most of its 12 dB: 2 rows a dB.
    EXPECT_GE(nRow, 50 - 24);
    EXPECT_LE(nRow, 50 - 12);
    EXPECT_EQ(CurvePixelsInColumn(rig, CVantorPanelEQ::kFirstColumn + 300, nRow), 1);
    EXPECT_EQ(nRow, 50) << "the shelf has no effect at the upper middle";
    // +/-20 dB is the most the screen shows: a deeper dip leaves a gap.
    rig.pProcess->SetParameter(kEqLowShelfGain, -150);
    rig.pProcess->SetParameter(kEqLowMidEnable, 1);
    rig.pProcess->SetParameter(kEqLowMidFreq, 33);
    rig.pProcess->SetParameter(kEqLowMidGain, -150);
    rig.Ticks(2);
    // 33 Hz is point 23 of 313 on the log axis from 20 Hz to 20 kHz.
    EXPECT_EQ(CurvePixelsInColumn(rig, CVantorPanelEQ::kFirstColumn + 23, nRow), 0);
}

} // namespace
