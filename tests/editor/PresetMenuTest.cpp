// The preset strip: the "Load" menu lists the presets folder as a tree and
// loads what is chosen, "Save As" writes a preset and lists it at once.
// Presets go into a folder of their own inside the presets folder beside the
// test program, removed afterwards.
#include "EditorRig.h"

#include "editor/VantorPanelMenu.h"
#include "parameters/ConverterLinear.h"
#include "presets/PresetFile.h"
#include "processor/ParameterTable.h"
#include "toolkit/epiAlphaControl_hierMenu.h"
#include "toolkit/epiAlphaControl_button.h"

#include <filesystem>
#include <unistd.h>

namespace {

class PresetMenu : public testing::Test {
protected:
    void SetUp() override
    {
        msFolderName = "EditorTest" + std::to_string(::getpid());
        msFolder = GetPresetsFolder() + msFolderName + "/";
        std::filesystem::create_directories(msFolder + "Rock");
    }
    void TearDown() override
    {
        std::error_code error;
        std::filesystem::remove_all(msFolder, error);
    }
    CVantorPanelMenu& Menu(SEditorRig& rig) { return static_cast<CVantorPanelMenu&>(rig.Panel(0)); }
    // The id of an item found by its path, or -1.
    static int FindItem(epiAlphaControl_hierMenu& menu, const std::string& sPath)
    {
        for (int nId = 1; nId <= menu.GetItemCount(); ++nId)
            if (menu.GetItemPath(nId, ':') == sPath)
                return nId;
        return -1;
    }

    std::string msFolderName;
    std::string msFolder;
};

TEST_F(PresetMenu, APresetInASubfolderIsListedThereAndLoadsEverywhere)
{
    SEditorRig rig(4);
    // A preset with a loud EQ output and a slow compressor attack.
    rig.pProcess->SetParameter(kEqOutput, 90);
    rig.pProcess->SetParameter(kCompressorAttack, 700);
    rig.pProcess->SavePreset(msFolder + "Rock/Warm.ryxp");
    rig.pProcess->SetParameter(kEqOutput, 0);
    rig.pProcess->SetParameter(kCompressorAttack, 120);
    rig.Ticks(2);

    CVantorPanelMenu& menu = Menu(rig);
    menu.ReportValue(CVantorPanelMenu::kLoadMenu, 0 + 1); // "Refresh Preset List"
    epiAlphaControl_hierMenu* pLoad = menu.GetLoadMenu();
    ASSERT_NE(pLoad, nullptr);
    EXPECT_EQ(pLoad->GetItemText(1), "Refresh Preset List");
    const int nWarm = FindItem(*pLoad, msFolderName + ":Rock:Warm");
    ASSERT_GT(nWarm, 0) << "the item sits in submenu Rock";
    EXPECT_EQ(pLoad->GetItemText(nWarm), "Warm");
    EXPECT_TRUE(pLoad->IsSubmenu(FindItem(*pLoad, msFolderName + ":Rock")));

    rig.host.mChanges.clear();
    menu.ReportValue(CVantorPanelMenu::kLoadMenu, nWarm);
    EXPECT_EQ(rig.pProcess->GetParameter(kEqOutput), 90);
    EXPECT_EQ(rig.pProcess->GetParameter(kCompressorAttack), 700);
    EXPECT_TRUE(rig.host.Heard(kEqOutput, 90));
    rig.Ticks(2);
    adl::CConverterLinear output(1, -180, 180, 0, 30000);
    EXPECT_EQ(rig.Panel(1).GetControlValue(15), output.ValueToPosition(90));
    EXPECT_EQ(menu.GetCurrentPresetPath(), msFolder + "Rock/Warm.ryxp");
}

TEST_F(PresetMenu, SaveAsAddsTheExtensionAndListsTheNewPreset)
{
    SEditorRig rig(4);
    CVantorPanelMenu& menu = Menu(rig);
    const std::string sTyped = msFolder + "Bright";
    menu.SetSavePrompt([&](const std::string&, std::string& sChosen) {
        sChosen = sTyped;
        return 1;
    });
    rig.pProcess->SetParameter(kClipperOutput, -35);
    rig.Click(0, CVantorPanelMenu::kSaveAsButton);
    EXPECT_TRUE(std::filesystem::exists(sTyped + ".ryxp"));
    EXPECT_GT(FindItem(*menu.GetLoadMenu(), msFolderName + ":Bright"), 0);

    // "Save" writes to the same file again.
    rig.pProcess->SetParameter(kClipperOutput, -50);
    rig.Click(0, CVantorPanelMenu::kSaveButton);
    rig.pProcess->SetParameter(kClipperOutput, 0);
    rig.pProcess->LoadPreset(msFolderName + ":Bright", -1, true);
    EXPECT_EQ(rig.pProcess->GetParameter(kClipperOutput), -50);
}

TEST_F(PresetMenu, ACancelledSaveAsWritesNothing)
{
    SEditorRig rig(4);
    CVantorPanelMenu& menu = Menu(rig);
    int nAsked = 0;
    menu.SetSavePrompt([&](const std::string&, std::string&) {
        ++nAsked;
        return 0;
    });
    rig.Click(0, CVantorPanelMenu::kSaveAsButton);
    rig.Click(0, CVantorPanelMenu::kSaveButton); // nothing saved yet: asks as well
    EXPECT_EQ(nAsked, 2);
    // Other tests add to the presets folder meanwhile: only this test's
    // folder is looked at.
    epiAlphaControl_hierMenu& load = *menu.GetLoadMenu();
    for (int nId = 1; nId <= load.GetItemCount(); ++nId) {
        const std::string sPath = load.GetItemPath(nId, ':');
        if (sPath.rfind(msFolderName + ":", 0) == 0) {
            EXPECT_EQ(sPath, msFolderName + ":Rock");
        }
    }
    EXPECT_TRUE(std::filesystem::is_empty(msFolder + "Rock"));
}

TEST_F(PresetMenu, TheStripShowsItsCaptions)
{
    SEditorRig rig(2);
    CVantorPanelMenu& menu = Menu(rig);
    EXPECT_EQ(dynamic_cast<epiAlphaControl_text*>(menu.GetControl(2))->GetText(), "i");
    EXPECT_EQ(dynamic_cast<epiAlphaControl_text*>(menu.GetControl(5))->GetText(), "Save");
    EXPECT_EQ(dynamic_cast<epiAlphaControl_text*>(menu.GetControl(6))->GetText(), "Save As");
    EXPECT_EQ(menu.GetLoadMenu()->GetText(), "Load");
    // The "i" button opens the about box (off-screen it closes at once) and
    // comes back up.
    rig.Click(0, CVantorPanelMenu::kAboutButton);
    EXPECT_EQ(dynamic_cast<epiAlphaControl_button*>(menu.GetControl(2))->GetState(), epiAlphaControl_button::kUp);
}

} // namespace
