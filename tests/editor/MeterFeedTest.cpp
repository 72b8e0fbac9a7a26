// Readings fed from outside (the LV2 UI's meter ports) take over the
// editor's needles and lights, also through the plug-in library as a host
// that loads it at run time sees it.
#include "EditorRig.h"

#include "hosting/VpaHost.h"
#include "editor/IVantorEmbeddedEditor.h"
#include "host-interface/vpaPlugIn.h"
#include "processor/ParameterTable.h"
#include "toolkit/epiAlphaControl_rotary.h"

namespace {

TEST(MeterFeed, FedReadingsMoveTheNeedlesAndLightTheLights)
{
    SEditorRig rig(4);
    IVantorEmbeddedEditor* pFeed = FindEmbeddedEditor(rig.pEditor);
    ASSERT_NE(pFeed, nullptr);
    pFeed->SetMeterReading(0, 0.5f);
    pFeed->SetMeterReading(1, 0.25f);
    pFeed->SetMeterReading(3, 1.0f);
    rig.Ticks(1);
    auto* pComp = dynamic_cast<epiAlphaControl_rotary*>(rig.Panel(2).GetControl(12));
    auto* pLimiter = dynamic_cast<epiAlphaControl_rotary*>(rig.Panel(3).GetControl(16));
    ASSERT_NE(pComp, nullptr);
    ASSERT_NE(pLimiter, nullptr);
    EXPECT_EQ(pComp->GetValue(), static_cast<int>((pComp->GetFrameCount() - 1) * 0.5f * 0.94f));
    EXPECT_EQ(pLimiter->GetValue(), static_cast<int>((pLimiter->GetFrameCount() - 1) * 0.25f * 0.95f));
    EXPECT_EQ(rig.Panel(4).GetControlValue(6), 0);
    EXPECT_EQ(rig.Panel(4).GetControlValue(7), 1);
    // The process's own clipping no longer shows.
    rig.pProcess->SetParameter(kClipperGain, 150);
    rig.Play(0.9f, 8192);
    rig.Ticks(1);
    EXPECT_EQ(rig.Panel(4).GetControlValue(6), 0);
}

TEST(MeterFeed, AHostThatLoadsTheLibraryFindsTheFeed)
{
    CVpaLibrary library;
    ASSERT_TRUE(library.Load(CVpaLibrary::DefaultPath())) << library.GetError();
    CVpaHost host;
    unsigned nVersion = 0;
    vpa::IPlugIn* pPlugIn = library.CreatePlugIn(&host, &nVersion);
    ASSERT_NE(pPlugIn, nullptr);
    vpa::IProcess* pProcess = pPlugIn->CreateProcess(4);
    vpa::IGUI* pEditor = pPlugIn->CreateGUI(pProcess);
    ASSERT_NE(pEditor, nullptr);
    IVantorEmbeddedEditor* pEmbedded = FindEmbeddedEditor(pEditor);
    ASSERT_NE(pEmbedded, nullptr);
    EXPECT_EQ(pEmbedded->GetWindowId(), 0u) << "not open";
    long nWidth = 0, nHeight = 0;
    pEditor->GetSize(nWidth, nHeight);
    EXPECT_GT(nWidth, 0);
    pEditor->DestroySelf();
    pProcess->DestroySelf();
    pPlugIn->DestroySelf();
}

} // namespace
