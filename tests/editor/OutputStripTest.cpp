// The output meter strip in the clipper row: what it shows for a known
// level, that it is drawn where the skin leaves room for it, and that it
// follows readings fed from outside (the LV2 UI) as well.
#include "EditorRig.h"

#include "editor/IVantorEmbeddedEditor.h"
#include "processor/IVantorProcess.h"
#include "processor/ParameterTable.h"
#include "toolkit/epiBlit.h"

#include <chrono>
#include <cmath>
#include <thread>

namespace {

// Ticks with a frame's time between them, so the strip moves on each.
void Frames(SEditorRig& rig, int n)
{
    for (int i = 0; i < n; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(COutputMeterStrip::kFrameMillis + 2));
        rig.Ticks(1);
    }
}

TEST(OutputStrip, ShowsPeaksHeldPeaksAndLoudnessOfWhatLeavesTheChain)
{
    SEditorRig rig(3);
    rig.pProcess->SetParameter(kClipperEnable, 0); // the output is the input
    COutputMeterStrip* pStrip = rig.Window().GetOutputStrip();
    ASSERT_NE(pStrip, nullptr);
    Frames(rig, 1);
    EXPECT_EQ(pStrip->GetShown().sLufs, "-- LUFS") << "nothing played yet";
    EXPECT_EQ(pStrip->GetShown().asHold[0], "-inf");

    // Half of full scale on both channels: -6.0 dBFS peaks; a square wave of
    // 0.5 has a mean square of 0.25 on each channel (two add to 0.5), and the
    // weighting lifts its energy near half the rate by the shelf's 4 dB.
    rig.Play(0.5f, 44100);
    Frames(rig, 1);
    const COutputMeterStrip::SShown shown = pStrip->GetShown();
    EXPECT_EQ(shown.asHold[0], "-6.0");
    EXPECT_EQ(shown.asHold[1], "-6.0");
    EXPECT_EQ(shown.anBar[0], COutputMeterStrip::PixelsOf(-6.02f));
    EXPECT_EQ(shown.anHold[0], COutputMeterStrip::PixelsOf(-6.02f) - 1);
    const float fLufs = std::stof(shown.sLufs);
    EXPECT_NEAR(fLufs, 10.0f * std::log10(0.5f) - 0.691f + 4.0f, 1.0f) << shown.sLufs;

    // The bar is lit where the strip says, in the window's picture.
    const SEpiRect bars = pStrip->GetRect(COutputMeterStrip::kBars);
    const std::vector<uint32_t> screen = rig.Screen();
    const int nWidth = rig.pEditor->GetGUIDriver()->GetWidth();
    const uint32_t nLit = screen[static_cast<size_t>(bars.top + 2) * nWidth + bars.left + 100];
    const uint32_t nDark = screen[static_cast<size_t>(bars.top + 2) * nWidth + bars.left + shown.anBar[0] + 8];
    EXPECT_GT((nLit >> 8) & 0xFF, 0x80u) << "green";
    EXPECT_LT((nDark >> 8) & 0xFF, 0x30u);

    // Silence: the bars fall at once, the held peak stays for 1.5 s of audio.
    rig.Play(0.0f, 512);
    Frames(rig, 3);
    EXPECT_LT(pStrip->GetShown().anBar[0], shown.anBar[0]);
    EXPECT_EQ(pStrip->GetShown().asHold[0], "-6.0");
    rig.Play(0.0f, 44100 * 2);
    Frames(rig, 1);
    EXPECT_EQ(pStrip->GetShown().asHold[0], "-inf");
}

TEST(OutputStrip, OnlyTheClipperRowHasOneAndFedReadingsMoveIt)
{
    {
        SEditorRig eq(0);
        EXPECT_EQ(eq.Window().GetOutputStrip(), nullptr);
    }
    SEditorRig rig(4);
    COutputMeterStrip* pStrip = rig.Window().GetOutputStrip();
    ASSERT_NE(pStrip, nullptr);
    const SEpiRect strip = pStrip->GetRect();
    EXPECT_EQ(EpiIntersect(rig.Panel(4).GetRect(), strip).Width(), strip.Width()) << "inside the clipper panel";
    EXPECT_EQ(EpiIntersect(rig.Panel(4).GetRect(), strip).Height(), strip.Height());
    IVantorEmbeddedEditor* pFeed = FindEmbeddedEditor(rig.pEditor);
    ASSERT_NE(pFeed, nullptr);
    pFeed->SetMeterReading(kMeterPeakLeft, 1.0f);
    pFeed->SetMeterReading(kMeterHeldPeakLeft, 1.0f);
    pFeed->SetMeterReading(kMeterHeldPeakRight, 0.1f);
    pFeed->SetMeterReading(kMeterShortTermLufs, -14.25f);
    Frames(rig, 1);
    EXPECT_EQ(pStrip->GetShown().anBar[0], COutputMeterStrip::kBarWidth);
    EXPECT_EQ(pStrip->GetShown().asHold[0], "0.0");
    EXPECT_EQ(pStrip->GetShown().asHold[1], "-20.0");
    EXPECT_EQ(pStrip->GetShown().sLufs, "-14.2 LUFS");
}

TEST(OutputStrip, TextsAndScale)
{
    EXPECT_EQ(COutputMeterStrip::PixelsOf(0.0f), COutputMeterStrip::kBarWidth);
    EXPECT_EQ(COutputMeterStrip::PixelsOf(3.0f), COutputMeterStrip::kBarWidth) << "overs stay in the bar";
    EXPECT_EQ(COutputMeterStrip::PixelsOf(-30.0f), COutputMeterStrip::kBarWidth / 2);
    EXPECT_EQ(COutputMeterStrip::PixelsOf(-60.0f), 0);
    EXPECT_EQ(COutputMeterStrip::PeakText(std::pow(10.0f, 0.5f / 20.0f)), "+0.5") << "overs show their sign";
    EXPECT_EQ(COutputMeterStrip::PeakText(0.0f), "-inf");
    EXPECT_EQ(COutputMeterStrip::LufsText(-70.0f), "-- LUFS");
    EXPECT_EQ(COutputMeterStrip::LufsText(-8.04f), "-8.0 LUFS");
}

} // namespace
