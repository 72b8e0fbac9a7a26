// The editor as a host sees it: created by the plug-in, sized and laid out
// for the process's mode, painted, opened and closed, and alive without a
// skin.
#include "EditorRig.h"

#include "../TestFolder.h"
#include "editor/IVantorEmbeddedEditor.h"
#include "editor/VantorPanelComp.h"
#include "editor/InfoDlg.h"
#include "editor/VantorEditorFactory.h"
#include "platform/Window.h"
#include "processor/ParameterTable.h"
#include "editor/VantorPanelEQ.h"
#include "support/RYXException.h"
#include "toolkit/epiAlert.h"
#include "toolkit/epiDiskResFile.h"
#include "toolkit/epiLayout.h"
#include "toolkit/epiPath.h"
#include "toolkit/vpaGuiEngine.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <cstdlib>
#include <memory>
#include <set>
#include <thread>

namespace {

epiLayout MainLayout(int32_t iId)
{
    vpaGuiEngine engine;
    EXPECT_TRUE(engine.OpenResources(epi::ToolkitPathFrom(BuiltSkinPath()), false));
    epiLayout layout;
    EXPECT_TRUE(layout.Load(engine.GetResFile(), iId));
    return layout;
}

size_t DistinctColours(const std::vector<uint32_t>& pixels)
{
    return std::set<uint32_t>(pixels.begin(), pixels.end()).size();
}

TEST(EditorWindow, EachModeShowsItsPanelsWhereTheLayoutSays)
{
    struct SExpect {
        unsigned nMode;
        int32_t iMainLayout;
        std::vector<std::pair<int, int>> panels; // (panel id, top)
    };
    const SExpect cases[] = {
        { 0, 101, { { 1, 18 }, { 0, 0 } } },
        { 1, 102, { { 2, 18 }, { 0, 0 } } },
        { 2, 103, { { 3, 18 }, { 0, 0 } } },
        { 3, 104, { { 4, 18 }, { 0, 0 } } },
        { 4, 100, { { 1, 18 }, { 2, 278 }, { 3, 413 }, { 4, 600 }, { 0, 0 } } },
    };
    for (const SExpect& expect : cases) {
        SEditorRig rig(expect.nMode);
        const epiLayout main = MainLayout(expect.iMainLayout);
        long nWidth = 0, nHeight = 0;
        rig.pEditor->GetSize(nWidth, nHeight);
        EXPECT_EQ(nWidth, main.mRect.Width()) << "mode " << expect.nMode;
        EXPECT_EQ(nHeight, main.mRect.Height()) << "mode " << expect.nMode;
        ASSERT_EQ(rig.Window().GetPanelCount(), static_cast<int>(expect.panels.size()));
        for (size_t n = 0; n < expect.panels.size(); ++n) {
            auto* pPanel = static_cast<CVantorPanel*>(rig.Window().GetPanel(static_cast<int>(n)));
            EXPECT_EQ(pPanel->GetPanelId(), expect.panels[n].first) << "mode " << expect.nMode;
            EXPECT_EQ(pPanel->GetOrigin().h, 0);
            EXPECT_EQ(pPanel->GetOrigin().v, expect.panels[n].second) << "mode " << expect.nMode;
            EXPECT_GT(pPanel->GetControlCount(), 0) << "panel " << expect.panels[n].first;
        }
        // The window received a real picture of its whole size.
        const std::vector<uint32_t> screen = rig.Screen();
        EXPECT_EQ(screen.size(), static_cast<size_t>(nWidth) * nHeight);
        EXPECT_GT(DistinctColours(screen), 50u) << "mode " << expect.nMode;
    }
}

TEST(EditorWindow, ThePlugInCreatesABoundEditorAndUnbindsItOnDestruction)
{
    CNoDisplay noDisplay; // no skin beside the test program: the alert goes to stderr
    CRecordingHost host;
    CVantorPlugIn plugIn(&host, CreateVantorEditor);
    auto* pProcess = dynamic_cast<vpa::CProcess*>(plugIn.CreateProcess(4));
    ASSERT_NE(pProcess, nullptr);
    vpa::IGUI* pEditor = plugIn.CreateGUI(pProcess);
    ASSERT_NE(pEditor, nullptr);
    EXPECT_EQ(pProcess->GetGUI(), pEditor);
    EXPECT_EQ(pEditor->GetProcess(), pProcess);
    EXPECT_NE(dynamic_cast<IVantorGUI*>(pEditor), nullptr);
    pEditor->DestroySelf();
    EXPECT_EQ(pProcess->GetGUI(), nullptr);
    pProcess->DestroySelf();
}

TEST(EditorWindow, TheFloatingVariantIsRefusedWithNotImplemented)
{
    SEditorRig rig(0);
    int nType = -1;
    try {
        rig.pEditor->OpenFloating(0, 0);
    } catch (utils::IRYXException* pException) {
        nType = pException->GetType();
        pException->Destroy();
    }
    EXPECT_EQ(nType, utils::kNotImplemented);
    EXPECT_TRUE(rig.pEditor->IsOpen());
}

TEST(EditorWindow, ATickThatChangesNothingCopiesNothing)
{
    SEditorRig rig(1); // compressor: a needle polled every tick
    rig.Ticks(3);
    const unsigned nBlits = rig.pEditor->GetGUIDriver()->GetBlitCount();
    rig.Ticks(20);
    EXPECT_EQ(rig.pEditor->GetGUIDriver()->GetBlitCount(), nBlits);
    // A change is copied once.
    rig.pProcess->SetParameter(kCompressorOutput, 60);
    rig.Ticks(3);
    EXPECT_EQ(rig.pEditor->GetGUIDriver()->GetBlitCount(), nBlits + 1);
}

TEST(EditorWindow, ReopeningShowsTheSamePictureAndKeepsTheControls)
{
    SEditorRig rig(4);
    rig.pProcess->SetParameter(kEqOutput, 60);
    rig.Ticks(2);
    const std::vector<uint32_t> before = rig.Screen();
    const int nControls = rig.Panel(1).GetControlCount();
    for (int i = 0; i < 100; ++i) {
        rig.pEditor->Close();
        EXPECT_FALSE(rig.pEditor->IsOpen());
        rig.pEditor->Idle(); // harmless while closed
        rig.pEditor->Open(nullptr, 0, 0);
    }
    EXPECT_TRUE(rig.pEditor->IsOpen());
    EXPECT_EQ(rig.Screen(), before);
    EXPECT_EQ(rig.Panel(1).GetControlCount(), nControls);
}

// Needs a display: run with DISPLAY set (under Xvfb) and a leak checker.
TEST(EditorWindow, AChildOfARealWindowOpensAndClosesAHundredTimes)
{
    if (std::getenv("DISPLAY") == nullptr)
        GTEST_SKIP() << "no DISPLAY";
    SEditorRig rig(4);
    long nWidth = 0, nHeight = 0;
    rig.pEditor->GetSize(nWidth, nHeight);
    std::string sError;
    std::unique_ptr<platform::IWindow> pParent
        = platform::OpenTopLevelWindow("editor test", static_cast<int>(nWidth), static_cast<int>(nHeight), sError);
    if (!pParent)
        GTEST_SKIP() << sError;
    for (int i = 0; i < 100; ++i) {
        rig.pEditor->Open(reinterpret_cast<void*>(pParent->GetHandle()), 0, 0);
        ASSERT_NE(FindEmbeddedEditor(rig.pEditor)->GetWindowId(), 0u);
        rig.pEditor->Idle();
        rig.pEditor->Paint();
        rig.pEditor->Move(1, 1);
        rig.pEditor->Close();
    }
    rig.pEditor->Open(reinterpret_cast<void*>(pParent->GetHandle()), 0, 0);
    rig.pProcess->SetParameter(kEqOutput, 60);
    for (int i = 0; i < 3; ++i) {
        rig.pEditor->Idle();
        std::this_thread::sleep_for(std::chrono::milliseconds(12));
    }
    std::vector<uint32_t> shown(static_cast<size_t>(nWidth) * nHeight);
    ASSERT_TRUE(pParent->Capture(shown.data()));
    const std::vector<uint32_t>& drawn = rig.pEditor->GetGUIDriver()->GetPixels();
    EXPECT_TRUE(std::equal(shown.begin(), shown.end(), drawn.begin())) << "the parent shows the editor's picture";
    // A host that destroys its window before closing the editor.
    pParent.reset();
    for (int i = 0; i < 3; ++i) {
        rig.pProcess->SetParameter(kEqOutput, 10 * i);
        rig.pEditor->Idle();
        std::this_thread::sleep_for(std::chrono::milliseconds(12));
    }
    rig.pEditor->Close();
}

TEST(EditorWindow, AModulePanelOutsideItsModesStaysInactive)
{
    SEditorRig rig(2); // the limiter alone
    CVantorPanelEQ eq(rig.pProcess);
    eq.Attach(&rig.Window());
    eq.SetUp();
    EXPECT_FALSE(eq.IsActive());
    EXPECT_TRUE(rig.Panel(3).IsActive());
}

// With or without a display: an alert while the skin opens must not wait
// for a click, since nobody sees the editor yet.
TEST(EditorWindow, WithoutASkinTheEditorSaysWhyInItsWindowAndStaysAlive)
{
    testing::internal::CaptureStderr();
    SEditorRig rig(4, "/nonexistent/Vantor.xrs");
    const std::string sError = testing::internal::GetCapturedStderr();
    EXPECT_NE(sError.find("Vantor.xrs' can't be found"), std::string::npos) << sError;
    EXPECT_FALSE(rig.pEditor->HasSkin());
    EXPECT_NE(rig.pEditor->GetProblem().find("/nonexistent/Vantor.xrs"), std::string::npos);
    EXPECT_NE(rig.pEditor->GetProblem().find("can't be found"), std::string::npos);
    // The reason is written on the grey: two colours, the text's rows in
    // the top part of the window.
    const std::vector<uint32_t> screen = rig.Screen();
    EXPECT_EQ(DistinctColours(screen), 2u);
    const size_t nInk = static_cast<size_t>(std::count(screen.begin(), screen.end(), screen.back()));
    EXPECT_LT(nInk, screen.size());
    EXPECT_GT(screen.size() - nInk, 200u);
    long nWidth = 0, nHeight = 0;
    rig.pEditor->GetSize(nWidth, nHeight);
    EXPECT_GT(nWidth, 0);
    EXPECT_GT(nHeight, 0);
    rig.pEditor->SetControlValue(0x10005, 100);
    rig.pEditor->InvalidateEQCurve();
    rig.pEditor->Idle();
    rig.pEditor->Paint();
    rig.pProcess->SetParameter(kEqOutput, 60);
    EXPECT_EQ(rig.Window().GetPanelCount(), 0);
    EXPECT_EQ(rig.Screen(), screen);
    EXPECT_EQ(rig.pEditor->ListValueTexts(), "");
    rig.pEditor->Close();
}

TEST(EditorWindow, AnUnattendedEditorAnswersAlertsOnStderrWithTheHarmlessAnswer)
{
    SEditorRig rig(4);
    rig.pEditor->SetUnattended(true);
    testing::internal::CaptureStderr();
    EXPECT_EQ(epi::Alert("Replace the preset?", "Save As", 1), 2); // No
    EXPECT_EQ(epi::Alert("Save first?", "Load", 2), 3); // Cancel
    EXPECT_EQ(epi::Alert("The preset was not saved.", "Save"), 1); // OK
    const std::string sError = testing::internal::GetCapturedStderr();
    EXPECT_NE(sError.find("Replace the preset?"), std::string::npos);
    EXPECT_NE(sError.find("The preset was not saved."), std::string::npos);
    rig.pEditor->SetUnattended(false);
}

TEST(EditorWindow, ADamagedSkinCostsOnlyWhatIsDamaged)
{
    CTestFolder folder;
    CNoDisplay noDisplay; // alerts go to stderr

    // Garbage where the skin should be: the alert, then an editor that stays
    // empty but answers the host.
    const std::string sCorrupt = folder.Path("Vantor.xrs");
    std::ofstream(sCorrupt, std::ios::binary) << std::string(20000, '\x5a');
    testing::internal::CaptureStderr();
    {
        SEditorRig rig(4, sCorrupt);
        EXPECT_NE(testing::internal::GetCapturedStderr().find("Vantor.xrs' can't be found"), std::string::npos);
        EXPECT_FALSE(rig.pEditor->HasSkin());
        rig.pProcess->SetParameter(kEqOutput, 60);
        rig.Ticks(2);
        rig.pEditor->Paint();
        EXPECT_EQ(rig.Window().GetPanelCount(), 0);
    }

    // The compressor's layout taken out: its panel has no controls, the
    // equaliser next to it still works.
    const std::string sPartial = folder.Path("Partial.xrs");
    std::filesystem::copy_file(BuiltSkinPath(), sPartial);
    {
        epiDiskResFile skin;
        ASSERT_TRUE(skin.SetPath(epi::ToolkitPathFrom(sPartial)));
        ASSERT_TRUE(skin.Open());
        ASSERT_TRUE(skin.Remove(kEpiTypeLayout, CVantorPanelComp::kPanelId));
        ASSERT_TRUE(skin.Close());
    }
    SEditorRig rig(4, sPartial);
    ASSERT_TRUE(rig.pEditor->HasSkin());
    EXPECT_EQ(rig.Panel(CVantorPanelComp::kPanelId).GetControlCount(), 0);
    rig.pProcess->SetParameter(kCompressorAttack, 10);
    rig.pProcess->SetParameter(kEqLowCutFreq, 1000);
    rig.Ticks(2);
    rig.Drag(1, 5, 400);
    EXPECT_EQ(rig.pProcess->GetParameter(kEqLowCutFreq), 15);
    EXPECT_TRUE(rig.host.Heard(kEqLowCutFreq, 15));
    EXPECT_GT(rig.Panel(3).GetControlCount(), 0);
}

TEST(EditorWindow, TheAboutBoxShowsItsLayout)
{
    vpaGuiEngine engine;
    ASSERT_TRUE(engine.OpenResources(epi::ToolkitPathFrom(BuiltSkinPath()), false));
    CInfoDlg dialog(&engine, false);
    ASSERT_TRUE(dialog.Run());
    const epiLayout about = MainLayout(CInfoDlg::kLayoutId);
    EXPECT_EQ(dialog.GetWidth(), about.mRect.Width());
    EXPECT_EQ(dialog.GetHeight(), about.mRect.Height());
    EXPECT_GT(DistinctColours(dialog.GetPixels()), 10u);
    // The version is written in the band above "Click to close", which the
    // background leaves as a plain gradient (about four colours).
    EXPECT_STREQ(CInfoDlg::GetVersionText(), "Version " VANTOR_VERSION);
    const std::vector<uint32_t>& pixels = dialog.GetPixels();
    const size_t nFirst = static_cast<size_t>(126) * dialog.GetWidth();
    const size_t nLast = static_cast<size_t>(138) * dialog.GetWidth();
    const std::vector<uint32_t> band(pixels.begin() + nFirst, pixels.begin() + nLast);
    EXPECT_GT(DistinctColours(band), 10u);
}

} // namespace
