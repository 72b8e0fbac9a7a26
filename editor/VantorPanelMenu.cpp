#include "VantorPanelMenu.h"

#include "NamePrompt.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "presets/PresetFile.h"
#include "presets/PresetList.h"
#include "parameters/DataManager.h"
#include "processor/IVantorProcess.h"
#include "processor/ParameterTable.h"
#include "toolkit/epiAlert.h"
#include "toolkit/epiAlphaControl_button.h"
#include "toolkit/epiAlphaControl_hierMenu.h"
#include "toolkit/vpaGui.h"

#include <algorithm>
#include <cerrno>
#include <vector>

namespace {

constexpr const char* kExtension = "ryxp";

// Whether a folder's entries hold a preset for the mode somewhere.
bool HoldsPresets(const CPresetList::PresetInfoList& entries)
{
    for (const CPresetList::SPresetInfo* pEntry : entries)
        if (!pEntry->isFolder || HoldsPresets(pEntry->children))
            return true;
    return false;
}

std::string FolderOf(const std::string& sPath)
{
    const size_t nCut = sPath.rfind(platform::kPathSeparator);
    return nCut == std::string::npos ? std::string() : sPath.substr(0, nCut + 1);
}

bool StartsWith(const std::string& sText, const std::string& sStart)
{
    return !sStart.empty() && sText.compare(0, sStart.size(), sStart) == 0;
}

// The preset name of a file in one of the presets folders ("Rock:Warm"), or
// its bare file name elsewhere; without the extension.
std::string PresetNameOf(const std::string& sPath, const std::string& sPresetsFolder)
{
    std::string sName;
    // The folders as written, then as the file system resolves them (a
    // host may name the file through a link or with "..").
    const std::string sReal = platform::ResolvePath(sPath);
    for (const std::string& sFolder : { sPresetsFolder, GetUserPresetsFolder() }) {
        const std::string sRealFolder = platform::ResolvePath(sFolder);
        if (StartsWith(sPath, sFolder)) {
            sName = sPath.substr(sFolder.size());
            break;
        }
        if (!sRealFolder.empty() && StartsWith(sReal, sRealFolder + platform::kPathSeparator)) {
            sName = sReal.substr(sRealFolder.size() + 1);
            break;
        }
    }
    if (sName.empty())
        sName = sPath.substr(FolderOf(sPath).size());
    const size_t nDot = sName.rfind('.');
    if (nDot != std::string::npos && nDot > 0)
        sName.resize(nDot);
    std::replace(sName.begin(), sName.end(), platform::kPathSeparator, ':');
    return sName;
}

} // namespace

CVantorPanelMenu::CVantorPanelMenu(IVantorProcess* pProcess)
    : CVantorPanel(kPanelId, pProcess)
    , msPresetsFolder(::GetPresetsFolder())
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
    miUserMenu = -1;
    if (mpProcess == nullptr)
        return;
    // The user's own presets come first, in a submenu of their own.
    const std::string sUserFolder = GetUserPresetsFolder();
    if (!sUserFolder.empty() && sUserFolder != msPresetsFolder) {
        CPresetList user(mpProcess->GetMode());
        user.RefreshFrom(sUserFolder);
        if (HoldsPresets(user.GetRoot())) {
            miUserMenu = pMenu->AddSubmenu(kUserItem);
            AddPresetItems(&user.GetRoot(), miUserMenu);
        }
    }
    CPresetList list(mpProcess->GetMode());
    list.RefreshFrom(msPresetsFolder);
    AddPresetItems(&list.GetRoot(), epiAlphaControl_hierMenu::kRoot);
}

std::string CVantorPanelMenu::GetSaveFolder() const
{
    const std::string& sFolder = msPresetsFolder;
    const std::string sUser = GetUserPresetsFolder();
    // A presets folder not there yet can be made where its parent can be written.
    const bool bWritable = platform::FileExists(sFolder)
        ? platform::CanWriteFolder(sFolder)
        : platform::CanWriteFolder(FolderOf(sFolder.substr(0, sFolder.size() - 1)));
    return bWritable || sUser.empty() ? sFolder : sUser;
}

std::vector<int> CVantorPanelMenu::Values() const
{
    std::vector<int> values;
    if (adl::IDataManager* pData = DataManager())
        for (unsigned i = 0; i < static_cast<unsigned>(kNrOfVantorParameters); ++i)
            values.push_back(pData->GetValue(i));
    return values;
}

void CVantorPanelMenu::SetCurrentPreset(const std::string& sPath)
{
    msCurrentPath = sPath;
    msCurrentName = PresetNameOf(sPath, msPresetsFolder);
    maPresetValues = Values();
    mbChanged = false;
    if (auto* pText = dynamic_cast<epiAlphaControl_text*>(GetControl(kPresetName)))
        pText->SetText(epi::ToFontCharset(GetShownPresetName()).c_str()); // UTF-8 names
}

void CVantorPanelMenu::ShowCurrentPreset(const std::string& sPath, bool bChanged)
{
    SetCurrentPreset(sPath);
    if (bChanged)
        maPresetValues.clear(); // differs from every state: marked at the next tick
}

std::string CVantorPanelMenu::GetShownPresetName() const
{
    return msCurrentName.empty() ? std::string() : msCurrentName + (mbChanged ? kChangedMark : "");
}

void CVantorPanelMenu::TickStep()
{
    CVantorPanel::TickStep();
    if (msCurrentName.empty() || mbChanged)
        return;
    if (Values() != maPresetValues) {
        mbChanged = true;
        if (auto* pText = dynamic_cast<epiAlphaControl_text*>(GetControl(kPresetName))) {
            pText->SetText(epi::ToFontCharset(GetShownPresetName()).c_str()); // UTF-8 names
            pText->Invalidate();
        }
    }
}

void CVantorPanelMenu::AddPresetItems(const void* pFolder, int nParent)
{
    epiAlphaControl_hierMenu* pMenu = GetLoadMenu();
    const auto& found = *static_cast<const CPresetList::PresetInfoList*>(pFolder);
    // Folders first, then presets, each in name order; folders with nothing
    // for this mode are left out.
    std::vector<const CPresetList::SPresetInfo*> entries;
    for (const CPresetList::SPresetInfo* pInfo : found)
        if (!pInfo->isFolder || HoldsPresets(pInfo->children))
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
        if (mpProcess == nullptr)
            break;
        const std::string sUserStart = std::string(kUserItem) + ":";
        const bool bUser = miUserMenu > 0 && StartsWith(sName, sUserStart);
        const std::string sPath = bUser
            ? GetUserPresetsFolder() + PresetNameToPath(sName.substr(sUserStart.size())) + kPresetExtension
            : msPresetsFolder + PresetNameToPath(sName) + kPresetExtension;
        mpProcess->LoadPreset(sPath, -1, false);
        SetCurrentPreset(sPath);
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
    // A preset of a folder nobody may write (an installed library's) goes
    // under the same name into the user's presets.
    std::string sPath = msCurrentPath;
    const std::string sUser = GetUserPresetsFolder();
    const std::string& sFactory = msPresetsFolder;
    if (StartsWith(sPath, sFactory) && !sUser.empty() && GetSaveFolder() == sUser)
        sPath = sUser + sPath.substr(sFactory.size());
    if (SaveTo(sPath, "Save"))
        SetCurrentPreset(sPath);
}

bool CVantorPanelMenu::SaveTo(const std::string& sPath, const char* pszTitle)
{
    if (mpProcess == nullptr)
        return false;
    std::string sWhy;
    const std::string sFolder = FolderOf(sPath);
    if (!platform::CreateFolders(sFolder) || !platform::CanWriteFolder(sFolder))
        sWhy = "the folder " + sFolder + " cannot be written (" + platform::DescribeSystemError(errno) + ")";
    else if (platform::FileExists(sPath) && !platform::CanWriteFile(sPath))
        sWhy = "the file cannot be replaced (" + platform::DescribeSystemError(errno) + ")";
    if (sWhy.empty()) {
        mpProcess->SavePreset(sPath);
        if (!platform::FileExists(sPath))
            sWhy = "the file could not be written (" + platform::DescribeSystemError(platform::GetLastSystemError())
                + ")";
    }
    if (sWhy.empty())
        return true;
    const std::string sText = "The preset could not be saved as '" + sPath + "': " + sWhy + ".";
    epi::Alert(sText.c_str(), pszTitle);
    return false;
}

std::string CVantorPanelMenu::UnusedPresetName() const
{
    const std::string sFolder = GetSaveFolder();
    for (int n = 1; n < 10000; ++n) {
        std::string sName = "Preset " + std::to_string(n);
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
    sPath = GetSaveFolder() + sRelative + kPresetExtension;
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
    const std::string sCurrentFolder = FolderOf(msCurrentPath);
    const std::string sFolder
        = msCurrentPath.empty() || !platform::CanWriteFolder(sCurrentFolder) ? GetSaveFolder() : sCurrentFolder;
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
    if (SaveTo(sChosen, "Save As"))
        SetCurrentPreset(sChosen);
}
