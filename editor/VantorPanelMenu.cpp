#include "VantorPanelMenu.h"

#include "NamePrompt.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "presets/PresetFile.h"
#include "presets/PresetList.h"
#include "processor/IVantorProcess.h"
#include "toolkit/epiAlert.h"
#include "toolkit/epiAlphaControl_button.h"
#include "toolkit/epiAlphaControl_hierMenu.h"
#include "toolkit/vpaGui.h"

#include <algorithm>
#include <vector>

namespace {

constexpr const char* kExtension = "ryxp";

// Whether a folder holds a preset for the mode somewhere below it.
bool HoldsPresets(const CPresetList::SPresetInfo& folder)
{
    for (const CPresetList::SPresetInfo* pChild : folder.children)
        if (!pChild->isFolder || HoldsPresets(*pChild))
            return true;
    return false;
}

std::string FolderOf(const std::string& sPath)
{
    const size_t nCut = sPath.rfind(platform::kPathSeparator);
    return nCut == std::string::npos ? std::string() : sPath.substr(0, nCut + 1);
}

} // namespace

CVantorPanelMenu::CVantorPanelMenu(IVantorProcess* pProcess)
    : CVantorPanel(kPanelId, pProcess)
    , mSavePrompt([](const std::string& sFolder, std::string& sChosen) {
        return platform::AskSaveFileName("Save As", sFolder, "RYX Presets (*.ryxp)", kExtension, sChosen);
    })
    , mRunNamePrompt([](CNamePrompt& prompt) { prompt.Run(false); })
{
    SetLayoutId(kLayoutId);
}

epiAlphaControl_hierMenu* CVantorPanelMenu::GetLoadMenu() const
{
    return dynamic_cast<epiAlphaControl_hierMenu*>(GetControl(kLoadMenu));
}

void CVantorPanelMenu::SetUp()
{
    const std::pair<int, const char*> captions[]
        = { { kAboutButton, "i" }, { kSaveButton, "Save" }, { kSaveAsButton, "Save As" } };
    for (const auto& caption : captions)
        if (auto* pButton = dynamic_cast<epiAlphaControl_text*>(GetControl(caption.first)))
            pButton->SetText(caption.second);
    BuildLoadMenu();
}

void CVantorPanelMenu::BuildLoadMenu()
{
    epiAlphaControl_hierMenu* pMenu = GetLoadMenu();
    if (pMenu == nullptr)
        return;
    pMenu->ClearItems();
    pMenu->SetTitle("Load");
    pMenu->AddItem(kRefreshItem);
    if (mpProcess == nullptr)
        return;
    CPresetList list(mpProcess);
    list.Refresh();
    AddPresetItems(&list.GetRoot(), epiAlphaControl_hierMenu::kRoot);
}

void CVantorPanelMenu::AddPresetItems(const void* pFolder, int nParent)
{
    epiAlphaControl_hierMenu* pMenu = GetLoadMenu();
    const auto& found = *static_cast<const CPresetList::PresetInfoList*>(pFolder);
    // Folders first, then presets, each in name order; folders with nothing
    // for this mode are left out.
    std::vector<const CPresetList::SPresetInfo*> entries;
    for (const CPresetList::SPresetInfo* pInfo : found)
        if (!pInfo->isFolder || HoldsPresets(*pInfo))
            entries.push_back(pInfo);
    std::sort(entries.begin(), entries.end(), [](const auto* a, const auto* b) {
        return a->isFolder != b->isFolder ? a->isFolder : PresetNameLess(a->name, b->name);
    });
    for (const CPresetList::SPresetInfo* pInfo : entries) {
        if (pInfo->isFolder) {
            const int nSubmenu = pMenu->AddSubmenu(pInfo->name.c_str(), nParent);
            if (nSubmenu != epiAlphaControl_hierMenu::kNone)
                AddPresetItems(&pInfo->children, nSubmenu);
        } else {
            pMenu->AddItem(pInfo->name.c_str(), nParent);
        }
    }
}

void CVantorPanelMenu::ReportValue(int nIndex, int nValue)
{
    switch (nIndex) {
    case kAboutButton:
        if (mShowAbout)
            mShowAbout();
        SendToControl(kAboutButton, kEpiMsgShowFrame, epiAlphaControl_button::kUp);
        break;
    case kSaveButton:
        Save();
        BuildLoadMenu();
        break;
    case kSaveAsButton:
        SaveAs();
        BuildLoadMenu();
        break;
    case kLoadMenu: {
        epiAlphaControl_hierMenu* pMenu = GetLoadMenu();
        if (pMenu == nullptr || nValue == epiAlphaControl_hierMenu::kNone || pMenu->IsSubmenu(nValue))
            break;
        if (pMenu->GetItemText(nValue) == kRefreshItem) {
            BuildLoadMenu();
            break;
        }
        const std::string sName = pMenu->GetItemPath(nValue, ':');
        if (mpProcess != nullptr) {
            mpProcess->LoadPreset(sName, -1, true);
            msCurrentPath = GetPresetsFolder() + PresetNameToPath(sName) + "." + kExtension;
        }
        break;
    }
    default: break;
    }
}

void CVantorPanelMenu::Save()
{
    if (msCurrentPath.empty()) {
        SaveAs();
        return;
    }
    if (mpProcess != nullptr)
        mpProcess->SavePreset(msCurrentPath);
}

std::string CVantorPanelMenu::UnusedPresetName() const
{
    const std::string sFolder = GetPresetsFolder();
    for (int n = 1; n < 10000; ++n) {
        const std::string sName = "Preset " + std::to_string(n);
        if (!platform::FileExists(sFolder + sName + kPresetExtension))
            return sName;
    }
    return std::string();
}

bool CVantorPanelMenu::TakePresetName(std::string& sName, std::string& sPath, std::string& sWhy) const
{
    sName = TidyPresetName(sName, sWhy);
    if (sName.empty())
        return false;
    const std::string sRelative = PresetNameToPath(sName);
    sPath = GetPresetsFolder() + sRelative + kPresetExtension;
    if (platform::FileExists(sPath)) {
        const std::string sText = "The preset '" + sName + "' exists already. Do you want to replace it?";
        if (epi::Alert(sText.c_str(), "Save As", 1) != 1) {
            sWhy.clear();
            return false;
        }
        return true;
    }
    // The presets folder and every folder of the name, made as needed.
    if (!platform::CreateFolders(FolderOf(sPath))) {
        sWhy = "The folder for the preset cannot be made.";
        return false;
    }
    return true;
}

std::string CVantorPanelMenu::AskPresetFile()
{
    vpaGui* pWindow = GetWindow();
    std::string sPath;
    CNamePrompt prompt(pWindow != nullptr ? pWindow->GetEngine() : nullptr, "Save As",
        [this, &sPath](std::string& sName, std::string& sWhy) { return TakePresetName(sName, sPath, sWhy); });
    if (!prompt.Open(UnusedPresetName())) {
        epi::Alert("The skin has no name prompt, so the preset was not saved.", "Save As");
        return std::string();
    }
    if (mRunNamePrompt)
        mRunNamePrompt(prompt);
    return prompt.GetState() == CNamePrompt::EState::kAccepted ? sPath : std::string();
}

void CVantorPanelMenu::SaveAs()
{
    const std::string sFolder = msCurrentPath.empty() ? GetPresetsFolder() : FolderOf(msCurrentPath);
    std::string sChosen;
    const int nAnswer = mSavePrompt ? mSavePrompt(sFolder, sChosen) : -1;
    if (nAnswer == 0)
        return;
    if (nAnswer < 0) {
        // No save dialog on this desktop: a name for the presets folder.
        sChosen = AskPresetFile();
        if (sChosen.empty())
            return;
    } else {
        const size_t nSlash = sChosen.rfind(platform::kPathSeparator);
        const std::string sFileName = nSlash == std::string::npos ? sChosen : sChosen.substr(nSlash + 1);
        if (sFileName.find('.') == std::string::npos)
            sChosen += std::string(".") + kExtension;
    }
    if (mpProcess == nullptr)
        return;
    mpProcess->SavePreset(sChosen);
    if (!platform::FileExists(sChosen)) {
        const std::string sText = "The preset could not be saved as '" + sChosen + "'.";
        epi::Alert(sText.c_str(), "Save As");
        return;
    }
    msCurrentPath = sChosen;
}
