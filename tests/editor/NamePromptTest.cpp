// "Save As" without a desktop save dialog: the toolkit's name prompt, driven
// by keys and clicks the way its window would drive it. Names go into a
// folder of their own inside the presets folder beside the test program,
// removed afterwards.
#include "EditorRig.h"

#include "editor/NamePrompt.h"
#include "editor/VantorPanelMenu.h"
#include "platform/Platform.h"
#include "presets/PresetFile.h"
#include "processor/ParameterTable.h"
#include "toolkit/epiAlert.h"
#include "toolkit/epiAlphaControl_hierMenu.h"
#include "toolkit/epiBlit.h"
#include "toolkit/epiInputState.h"

#include <filesystem>
#include <functional>
#include <set>
#include <unistd.h>

namespace {

// The answer every alert gets (1 Yes, 2 No) while a test installs Answer.
int gnAlertAnswer = 1;
int gnAlertsAsked = 0;
int Answer(const char*, const char*, int)
{
    ++gnAlertsAsked;
    return gnAlertAnswer;
}

class NamePrompt : public testing::Test {
protected:
    using Script = std::function<void(CNamePrompt&)>;

    void SetUp() override
    {
        msFolderName = "PromptTest" + std::to_string(::getpid());
        msFolder = GetPresetsFolder() + msFolderName + "/";
        std::filesystem::create_directories(msFolder);
    }
    void TearDown() override
    {
        std::error_code error;
        std::filesystem::remove_all(msFolder, error);
    }
    // The preset strip of a desktop without a save dialog, whose name prompt
    // plays the script instead of waiting for a user.
    static CVantorPanelMenu& Menu(SEditorRig& rig, Script script)
    {
        auto& menu = static_cast<CVantorPanelMenu&>(rig.Panel(CVantorPanelMenu::kPanelId));
        menu.SetSavePrompt([](const std::string&, std::string&) { return -1; });
        if (script)
            menu.SetNamePromptRunner(std::move(script));
        return menu;
    }
    // Empties the field, then types sText.
    static void Retype(CNamePrompt& prompt, const std::string& sText)
    {
        for (size_t n = prompt.GetName().size(); n > 0; --n)
            prompt.Key(kEpiKeyBackspace);
        for (char c : sText)
            prompt.Key(static_cast<unsigned char>(c));
    }
    static void Click(CNamePrompt& prompt, int nControl)
    {
        const SEpiRect r = prompt.GetControlBounds(nControl);
        prompt.MouseDown((r.left + r.right) / 2, (r.top + r.bottom) / 2);
        prompt.MouseUp();
    }
    static bool Listed(CVantorPanelMenu& menu, const std::string& sPath)
    {
        epiAlphaControl_hierMenu* pLoad = menu.GetLoadMenu();
        for (int nId = 1; pLoad != nullptr && nId <= pLoad->GetItemCount(); ++nId)
            if (pLoad->GetItemPath(nId, ':') == sPath)
                return true;
        return false;
    }
    size_t FilesInFolder() const
    {
        size_t n = 0;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(msFolder))
            n += entry.is_regular_file() ? 1 : 0;
        return n;
    }

    std::string msFolderName;
    std::string msFolder;
};

TEST_F(NamePrompt, ATypedNameAndReturnSaveAPresetThatSaveWritesAgain)
{
    SEditorRig rig(4);
    std::string sSuggested;
    int nAsked = 0;
    CVantorPanelMenu& menu = Menu(rig, [&](CNamePrompt& prompt) {
        ++nAsked;
        sSuggested = prompt.GetName();
        Retype(prompt, msFolderName + ":Bright");
        prompt.Key(kEpiKeyReturn);
    });
    rig.pProcess->SetParameter(kClipperOutput, -35);
    rig.Click(0, CVantorPanelMenu::kSaveAsButton);

    EXPECT_EQ(sSuggested.rfind("Preset ", 0), 0u) << sSuggested;
    EXPECT_FALSE(platform::FileExists(GetPresetsFolder() + sSuggested + ".ryxp")) << "a free name is suggested";
    const std::string sFile = msFolder + "Bright.ryxp";
    ASSERT_TRUE(platform::FileExists(sFile));
    EXPECT_EQ(menu.GetCurrentPresetPath(), sFile);
    EXPECT_TRUE(Listed(menu, msFolderName + ":Bright"));
    rig.pProcess->SetParameter(kClipperOutput, 0);
    rig.pProcess->LoadPreset(msFolderName + ":Bright", -1, true);
    EXPECT_EQ(rig.pProcess->GetParameter(kClipperOutput), -35);

    // "Save" writes the same file without asking.
    rig.pProcess->SetParameter(kClipperOutput, -50);
    rig.Click(0, CVantorPanelMenu::kSaveButton);
    rig.pProcess->SetParameter(kClipperOutput, 0);
    rig.pProcess->LoadPreset(sFile, -1, false);
    EXPECT_EQ(rig.pProcess->GetParameter(kClipperOutput), -50);
    EXPECT_EQ(nAsked, 1);
}

TEST_F(NamePrompt, EscapeAndCancelSaveNothing)
{
    SEditorRig rig(4);
    const Script scripts[] = {
        [](CNamePrompt& prompt) {
            Retype(prompt, "Kept");
            prompt.Key(kEpiKeyEscape);
        },
        [](CNamePrompt& prompt) {
            Retype(prompt, "Kept");
            Click(prompt, CNamePrompt::kCancelButton);
        },
    };
    for (const Script& script : scripts) {
        std::string sSuggested;
        CVantorPanelMenu& menu = Menu(rig, [&](CNamePrompt& prompt) {
            sSuggested = prompt.GetName();
            script(prompt);
            EXPECT_EQ(prompt.GetState(), CNamePrompt::EState::kCancelled);
        });
        rig.Click(0, CVantorPanelMenu::kSaveAsButton);
        EXPECT_FALSE(sSuggested.empty());
        EXPECT_FALSE(platform::FileExists(GetPresetsFolder() + sSuggested + ".ryxp"));
        EXPECT_FALSE(platform::FileExists(GetPresetsFolder() + "Kept.ryxp"));
        EXPECT_TRUE(menu.GetCurrentPresetPath().empty());
    }
    EXPECT_EQ(FilesInFolder(), 0u);
}

TEST_F(NamePrompt, ABadNameKeepsThePromptOpenWithTheReasonAGoodOneGoesIntoItsSubfolder)
{
    SEditorRig rig(4);
    Menu(rig, [&](CNamePrompt& prompt) {
        for (const std::string& sBad : { std::string(), std::string("   "), msFolderName + ":a/b", msFolderName + ":..",
                 std::string(".hidden"), msFolderName + "::x" }) {
            Retype(prompt, sBad);
            prompt.Key(kEpiKeyReturn);
            EXPECT_EQ(prompt.GetState(), CNamePrompt::EState::kOpen) << "'" << sBad << "'";
            EXPECT_FALSE(prompt.GetReason().empty()) << "'" << sBad << "'";
        }
        // Typing clears the reason; keys that are no characters change nothing.
        const std::string sGood = " " + msFolderName + " : Rock: Good ";
        Retype(prompt, sGood);
        EXPECT_TRUE(prompt.GetReason().empty());
        for (int nKey : { -1, 0, 7, static_cast<int>(kEpiKeyLeft), 200, 0x10000 })
            prompt.Key(nKey);
        EXPECT_EQ(prompt.GetName(), sGood);
        Click(prompt, CNamePrompt::kOkButton);
        EXPECT_EQ(prompt.GetState(), CNamePrompt::EState::kAccepted);
        EXPECT_EQ(prompt.GetName(), msFolderName + ":Rock:Good") << "spaces around the parts are dropped";
        // A closed prompt takes nothing more.
        prompt.Key('x');
        prompt.Cancel();
        EXPECT_EQ(prompt.GetState(), CNamePrompt::EState::kAccepted);
    });
    rig.Click(0, CVantorPanelMenu::kSaveAsButton);
    EXPECT_EQ(FilesInFolder(), 1u);
    EXPECT_TRUE(platform::FileExists(msFolder + "Rock/Good.ryxp")) << "the subfolder is made on demand";
}

TEST_F(NamePrompt, AnExistingPresetIsReplacedOnlyWhenTheUserAgrees)
{
    SEditorRig rig(4);
    const std::string sFile = msFolder + "Taken.ryxp";
    rig.pProcess->SetParameter(kClipperOutput, -20);
    rig.pProcess->SavePreset(sFile);
    rig.pProcess->SetParameter(kClipperOutput, -35);

    const epi::AlertHook pEditorHook = epi::SetAlertHook(Answer);
    gnAlertAnswer = 2; // "No": the user may type another name, or cancel
    gnAlertsAsked = 0;
    Menu(rig, [&](CNamePrompt& prompt) {
        Retype(prompt, msFolderName + ":Taken");
        prompt.Key(kEpiKeyReturn);
        EXPECT_EQ(prompt.GetState(), CNamePrompt::EState::kOpen);
        EXPECT_TRUE(prompt.GetReason().empty());
        prompt.Key(kEpiKeyEscape);
    });
    rig.Click(0, CVantorPanelMenu::kSaveAsButton);
    EXPECT_EQ(gnAlertsAsked, 1);
    rig.pProcess->LoadPreset(sFile, -1, false);
    EXPECT_EQ(rig.pProcess->GetParameter(kClipperOutput), -20);

    gnAlertAnswer = 1; // "Yes"
    Menu(rig, [&](CNamePrompt& prompt) {
        Retype(prompt, msFolderName + ":Taken");
        prompt.Key(kEpiKeyReturn);
    });
    rig.pProcess->SetParameter(kClipperOutput, -35);
    rig.Click(0, CVantorPanelMenu::kSaveAsButton);
    epi::SetAlertHook(pEditorHook);
    EXPECT_EQ(gnAlertsAsked, 2);
    rig.pProcess->SetParameter(kClipperOutput, 0);
    rig.pProcess->LoadPreset(sFile, -1, false);
    EXPECT_EQ(rig.pProcess->GetParameter(kClipperOutput), -35);
}

TEST_F(NamePrompt, OffScreenTheSuggestedNameIsTakenWithoutWaiting)
{
    SEditorRig rig(4);
    std::string sFree;
    for (int n = 1; sFree.empty() || platform::FileExists(sFree); ++n)
        sFree = GetPresetsFolder() + "Preset " + std::to_string(n) + ".ryxp";
    CVantorPanelMenu& menu = Menu(rig, nullptr); // the window's own runner
    rig.Click(0, CVantorPanelMenu::kSaveAsButton);
    const bool bSaved = platform::FileExists(sFree);
    std::error_code error;
    std::filesystem::remove(sFree, error);
    EXPECT_TRUE(bSaved) << sFree;
    EXPECT_EQ(menu.GetCurrentPresetPath(), sFree);
}

TEST_F(NamePrompt, ThePictureShowsTheTypedTextAndTheReason)
{
    SEditorRig rig(4);
    CNamePrompt prompt(rig.Window().GetEngine(), "Save As", [](std::string&, std::string& sWhy) {
        sWhy = "Refused.";
        return false;
    });
    ASSERT_TRUE(prompt.Open("Mix"));
    const std::vector<uint32_t> first = prompt.GetPixels();
    ASSERT_EQ(first.size(), static_cast<size_t>(prompt.GetWidth()) * prompt.GetHeight());
    EXPECT_GT(std::set<uint32_t>(first.begin(), first.end()).size(), 20u) << "a real picture";

    // The changed pixels of two pictures all lie inside rect.
    auto changesOnlyInside = [&](const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, SEpiRect rect) {
        size_t nChanged = 0;
        for (int y = 0; y < prompt.GetHeight(); ++y)
            for (int x = 0; x < prompt.GetWidth(); ++x) {
                const size_t n = static_cast<size_t>(y) * prompt.GetWidth() + x;
                if (a[n] == b[n])
                    continue;
                ++nChanged;
                EXPECT_TRUE(EpiContains(rect, SEpiPoint { static_cast<int16_t>(x), static_cast<int16_t>(y) }))
                    << x << "," << y;
            }
        return nChanged;
    };
    const SEpiRect field = prompt.GetControlBounds(CNamePrompt::kNameField);
    // The suggestion opens marked; a click in the field drops the mark.
    Click(prompt, CNamePrompt::kNameField);
    EXPECT_FALSE(prompt.Update().IsEmpty());
    const std::vector<uint32_t> unmarked = prompt.GetPixels();
    EXPECT_GT(changesOnlyInside(first, unmarked, field), 10u) << "the mark is gone";
    prompt.Key('A');
    EXPECT_FALSE(prompt.Update().IsEmpty());
    const std::vector<uint32_t> typed = prompt.GetPixels();
    EXPECT_GT(changesOnlyInside(unmarked, typed, field), 10u) << "the new letter and the caret moved";
    prompt.Key(kEpiKeyBackspace);
    prompt.Update();
    EXPECT_EQ(prompt.GetPixels(), unmarked) << "the same text, the same picture";

    prompt.Key(kEpiKeyReturn);
    prompt.Update();
    EXPECT_EQ(prompt.GetReason(), "Refused.");
    EXPECT_GT(changesOnlyInside(unmarked, prompt.GetPixels(), prompt.GetControlBounds(CNamePrompt::kReasonLine)), 10u);
}

TEST_F(NamePrompt, TypingReplacesTheSuggestionAClickKeepsIt)
{
    SEditorRig rig(4);
    const struct {
        bool bClickFirst;
        int nKey;
        const char* pszName;
    } kCases[] = { { false, 'X', "X" }, { false, kEpiKeyBackspace, "" }, { true, 'b', "Preset 3b" } };
    for (const auto& c : kCases) {
        CNamePrompt prompt(rig.Window().GetEngine(), "Save As", nullptr);
        ASSERT_TRUE(prompt.Open("Preset 3"));
        if (c.bClickFirst)
            Click(prompt, CNamePrompt::kNameField);
        prompt.Key(c.nKey);
        EXPECT_EQ(prompt.GetName(), c.pszName) << "key " << c.nKey;
    }
}

TEST_F(NamePrompt, WithoutASkinThePromptDoesNotOpenNorWait)
{
    CNamePrompt prompt(nullptr, "Save As", nullptr);
    EXPECT_FALSE(prompt.Open("Mix"));
    prompt.Key('a');
    prompt.Run(true);
    EXPECT_EQ(prompt.GetState(), CNamePrompt::EState::kCancelled);
}

} // namespace
