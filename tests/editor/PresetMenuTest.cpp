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
#include "toolkit/epiAlert.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
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

TEST_F(PresetMenu, ACancelledSaveAsWritesNothingAChosenNameGetsTheExtensionAndIsListed)
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
    // The test's folder holds nothing but the empty Rock, so it is not
    // listed at all.
    EXPECT_EQ(FindItem(*menu.GetLoadMenu(), msFolderName), -1);
    EXPECT_TRUE(std::filesystem::is_empty(msFolder + "Rock"));

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

TEST_F(PresetMenu, FoldersComeFirstAndEverythingInNaturalOrderWithoutEmptyFolders)
{
    // Presets of the equaliser alone mean nothing to a clipper.
    {
        SEditorRig eq(0);
        eq.pProcess->SavePreset(msFolder + "Rock/Only EQ.ryxp");
    }
    SEditorRig rig(3);
    std::filesystem::create_directories(msFolder + "empty");
    std::filesystem::create_directories(msFolder + "b sides");
    for (const char* pszName : { "Take 10", "take 9", "Take 1", "b sides/Dub", "Zed", "alpha", "Caf\xC3\xA9" })
        rig.pProcess->SavePreset(msFolder + pszName + ".ryxp");
    CVantorPanelMenu& menu = Menu(rig);
    menu.BuildLoadMenu();
    epiAlphaControl_hierMenu& load = *menu.GetLoadMenu();
    const int nFolder = FindItem(load, msFolderName);
    ASSERT_GT(nFolder, 0);
    std::vector<std::string> names;
    for (int nId : load.GetChildren(nFolder))
        names.push_back(load.GetItemText(nId));
    EXPECT_EQ(
        names, (std::vector<std::string> { "b sides", "alpha", "Caf\xC3\xA9", "Take 1", "take 9", "Take 10", "Zed" }));
    // The UTF-8 name loads as it is written on disk.
    rig.pProcess->SetParameter(kClipperOutput, -123);
    menu.ReportValue(CVantorPanelMenu::kLoadMenu, FindItem(load, msFolderName + ":Caf\xC3\xA9"));
    EXPECT_EQ(rig.pProcess->GetParameter(kClipperOutput), 0);
    // The strip names it through the fonts' Latin-1 set.
    auto* pName = dynamic_cast<epiAlphaControl_text*>(menu.GetControl(CVantorPanelMenu::kPresetName));
    ASSERT_NE(pName, nullptr);
    EXPECT_EQ(pName->GetText(), msFolderName + ":Caf\xE9");
}

// The one-module windows are 128 pixels high: the menu reaches far below
// them, in a pop-up window of its own, and every entry can be chosen there.
TEST_F(PresetMenu, InTheClipperWindowAClickOpensAPopUpThatReachesEveryPreset)
{
    SEditorRig rig(3);
    std::filesystem::create_directories(msFolder + "Mastering");
    for (int n = 1; n <= 8; ++n) {
        rig.pProcess->SetParameter(kClipperGain, n * 10);
        rig.pProcess->SavePreset(msFolder + "Mastering/Preset " + std::to_string(n) + ".ryxp");
    }
    rig.pProcess->SetParameter(kClipperGain, 0);
    CVantorPanelMenu& menu = Menu(rig);
    menu.BuildLoadMenu();
    epiAlphaControl_hierMenu& load = *menu.GetLoadMenu();
    platform::IWindow* pWindow = rig.pEditor->GetGUIDriver()->GetWindow();
    std::vector<uint32_t> popup;
    int x = 0, y = 0, w = 0, h = 0;

    rig.Click(0, CVantorPanelMenu::kLoadMenu);
    ASSERT_TRUE(load.IsOpen()) << "a plain click leaves the menu open";
    ASSERT_TRUE(pWindow->CapturePopup(popup, x, y, w, h));
    const SEpiRect top = load.GetOverlayRect();
    EXPECT_EQ(x, top.left);
    EXPECT_EQ(y, top.top);
    EXPECT_EQ(w, top.Width());
    EXPECT_EQ(h, top.Height());
    // The pointer opens our folder, then Mastering, whose eighth entry lies
    // well below the window.
    const int nRows = static_cast<int>(load.GetChildren(epiAlphaControl_hierMenu::kRoot).size());
    const int nRowHeight = (top.Height() - 2) / nRows;
    const auto children = load.GetChildren(epiAlphaControl_hierMenu::kRoot);
    const int nFolderRow = static_cast<int>(
        std::find(children.begin(), children.end(), FindItem(load, msFolderName)) - children.begin());
    const int nFolderY = top.top + 1 + nFolderRow * nRowHeight + nRowHeight / 2;
    rig.Window().MouseMove(top.left + 10, nFolderY);
    rig.Window().MouseMove(top.right + 10, nFolderY); // "Mastering", the folder's first entry
    rig.Window().MouseMove(top.right + 150, nFolderY); // its first preset
    const int nEighthY = nFolderY + 7 * nRowHeight;
    rig.Window().MouseMove(top.right + 150, nEighthY);
    rig.Ticks(1);
    EXPECT_EQ(load.GetItemPath(load.GetHighlighted()), msFolderName + ":Mastering:Preset 8");
    ASSERT_TRUE(pWindow->CapturePopup(popup, x, y, w, h));
    EXPECT_GT(y + h, rig.pEditor->GetGUIDriver()->GetHeight() + 3 * nRowHeight);
    // The highlighted row is drawn in the pop-up, beyond the window.
    const size_t nRowStart = static_cast<size_t>(nEighthY - y) * w;
    const std::set<uint32_t> colours(popup.begin() + nRowStart, popup.begin() + nRowStart + w);
    EXPECT_GT(colours.size(), 3u);
    // The window's own picture has no menu in it.
    long nWidth = 0, nHeight = 0;
    rig.pEditor->GetSize(nWidth, nHeight);
    EXPECT_EQ(nHeight, 128);

    rig.Window().MouseDown(top.right + 150, nEighthY);
    rig.Window().MouseUp();
    rig.Ticks(1);
    EXPECT_FALSE(load.IsOpen());
    EXPECT_FALSE(pWindow->CapturePopup(popup, x, y, w, h)) << "the pop-up is gone";
    EXPECT_EQ(rig.pProcess->GetParameter(kClipperGain), 80);
    EXPECT_TRUE(rig.host.Heard(kClipperGain, 80));
}

// The user's presets folder for one test, in a temporary folder.
class CUserPresets {
public:
    CUserPresets()
        : msData(std::filesystem::temp_directory_path().string() + "/vantor-user-" + std::to_string(::getpid()))
    {
        if (const char* pszOld = std::getenv("XDG_DATA_HOME"))
            msOld = pszOld;
        ::setenv("XDG_DATA_HOME", msData.c_str(), 1);
        std::filesystem::create_directories(Folder());
    }
    ~CUserPresets()
    {
        if (msOld.empty())
            ::unsetenv("XDG_DATA_HOME");
        else
            ::setenv("XDG_DATA_HOME", msOld.c_str(), 1);
        std::error_code error;
        std::filesystem::remove_all(msData, error);
    }
    std::string Folder() const { return msData + "/vantor/presets/"; }

private:
    std::string msData;
    std::string msOld;
};

std::vector<std::string> gAlerts;
int RecordAlert(const char* pszText, const char*, int)
{
    gAlerts.emplace_back(pszText);
    return 1;
}

TEST_F(PresetMenu, UserPresetsAreListedLoadedAndTheStripNamesThemMarkedOnceChanged)
{
    CUserPresets user;
    ASSERT_EQ(GetUserPresetsFolder(), user.Folder());
    SEditorRig rig(3);
    rig.pProcess->SetParameter(kClipperOutput, -77);
    rig.pProcess->SavePreset(user.Folder() + "Mine.ryxp");
    rig.pProcess->SetParameter(kClipperOutput, 0);
    CVantorPanelMenu& menu = Menu(rig);
    menu.BuildLoadMenu();
    epiAlphaControl_hierMenu& load = *menu.GetLoadMenu();
    const int nMine = FindItem(load, std::string(CVantorPanelMenu::kUserItem) + ":Mine");
    ASSERT_GT(nMine, 0);
    EXPECT_EQ(load.GetItemText(load.GetChildren(epiAlphaControl_hierMenu::kRoot).at(1)), CVantorPanelMenu::kUserItem)
        << "the user's presets come right after Refresh";

    menu.ReportValue(CVantorPanelMenu::kLoadMenu, nMine);
    EXPECT_EQ(rig.pProcess->GetParameter(kClipperOutput), -77);
    rig.Ticks(1);
    auto* pName = dynamic_cast<epiAlphaControl_text*>(menu.GetControl(CVantorPanelMenu::kPresetName));
    ASSERT_NE(pName, nullptr) << "the strip has a place for the name";
    EXPECT_EQ(pName->GetText(), "Mine");
    rig.pProcess->SetParameter(kClipperOutput, -50);
    rig.Ticks(1);
    EXPECT_EQ(pName->GetText(), "Mine *");

    // "Save" writes the user's file again and clears the mark.
    rig.Click(0, CVantorPanelMenu::kSaveButton);
    EXPECT_EQ(pName->GetText(), "Mine");
    rig.pProcess->SetParameter(kClipperOutput, 0);
    rig.pProcess->LoadPreset(user.Folder() + "Mine.ryxp", -1, false);
    EXPECT_EQ(rig.pProcess->GetParameter(kClipperOutput), -50);
    // A preset the host loaded before opening the editor is named too, marked
    // when the host changed values after loading it.
    rig.pEditor->SetCurrentPreset(user.Folder() + "Mine.ryxp", true);
    rig.Ticks(1);
    EXPECT_EQ(pName->GetText(), "Mine *");
    rig.pEditor->SetCurrentPreset(user.Folder() + "Mine.ryxp", false);
    rig.Ticks(1);
    EXPECT_EQ(pName->GetText(), "Mine");
    // An empty user folder is not listed.
    std::filesystem::remove(user.Folder() + "Mine.ryxp");
    menu.BuildLoadMenu();
    EXPECT_EQ(FindItem(load, CVantorPanelMenu::kUserItem), -1);
}

// An installed library's folder cannot be written: new presets go to the
// user's folder, and a save that fails says why.
TEST_F(PresetMenu, SavesGoToTheUserFolderWhenTheLibrarysCannotBeWrittenAndFailuresSayWhy)
{
    CUserPresets user;
    SEditorRig rig(3);
    CVantorPanelMenu& menu = Menu(rig);
    EXPECT_EQ(menu.GetSaveFolder(), GetPresetsFolder()) << "the test's own folder can be written";
    menu.SetPresetsFolder("/proc/vantor-presets/"); // not even root may write here
    EXPECT_EQ(menu.GetSaveFolder(), user.Folder());

    // "Save As" without a save dialog: the name prompt's suggested name.
    menu.SetSavePrompt([](const std::string&, std::string&) { return -1; });
    rig.pProcess->SetParameter(kClipperGain, 42);
    rig.Click(0, CVantorPanelMenu::kSaveAsButton);
    EXPECT_TRUE(std::filesystem::exists(user.Folder() + "Preset 1.ryxp"));
    EXPECT_EQ(menu.GetCurrentPresetPath(), user.Folder() + "Preset 1.ryxp");

    // A file the user chose where nothing can be written.
    gAlerts.clear();
    const epi::AlertHook pOld = epi::SetAlertHook(RecordAlert);
    menu.SetSavePrompt([](const std::string&, std::string& sChosen) {
        sChosen = "/proc/vantor-nowhere/Loud.ryxp";
        return 1;
    });
    rig.Click(0, CVantorPanelMenu::kSaveAsButton);
    epi::SetAlertHook(pOld);
    ASSERT_EQ(gAlerts.size(), 1u);
    EXPECT_NE(gAlerts[0].find("could not be saved as '/proc/vantor-nowhere/Loud.ryxp'"), std::string::npos)
        << gAlerts[0];
    EXPECT_NE(gAlerts[0].find("cannot be written"), std::string::npos) << gAlerts[0];
    EXPECT_EQ(menu.GetCurrentPresetPath(), user.Folder() + "Preset 1.ryxp") << "a failed save changes nothing";
}

} // namespace
