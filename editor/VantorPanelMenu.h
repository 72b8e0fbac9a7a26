// The preset strip along the top of the editor (layout 10, panel id 0): the
// "Load" menu built from the presets folder, "Save", "Save As" and the "i"
// button of the about box.
#pragma once

#include "VantorPanel.h"

#include <functional>
#include <string>
#include <vector>

class CNamePrompt;
class epiAlphaControl_hierMenu;

class CVantorPanelMenu : public CVantorPanel {
public:
    static constexpr int kPanelId = 0;
    static constexpr int kLayoutId = 10;
    static constexpr int kAboutButton = 2;
    static constexpr int kSaveButton = 5;
    static constexpr int kSaveAsButton = 6;
    static constexpr int kLoadMenu = 7;
    static constexpr int kPresetName = 8;
    static constexpr const char* kRefreshItem = "Refresh Preset List";
    // The submenu of the user's own presets (see GetUserPresetsFolder).
    static constexpr const char* kUserItem = "User Presets";
    // Marks the shown preset name once a value differs from the preset.
    static constexpr const char* kChangedMark = " *";

    // Asks for the file to save to: 1 chosen (sChosen set), 0 cancelled,
    // -1 no way to ask. The default runs the desktop's save dialog.
    using SavePrompt = std::function<int(const std::string& sInitialFolder, std::string& sChosen)>;
    // Shows the toolkit's name prompt (opened, with the suggested name) that
    // "Save As" falls back on when SavePrompt answers -1; it returns once
    // the prompt is answered. The default is the off-screen run, which takes
    // the suggested name; the editor's window installs the modal one.
    using NamePromptRunner = std::function<void(CNamePrompt& prompt)>;

    explicit CVantorPanelMenu(IVantorProcess* pProcess);

    void SetUp() override;
    void ReportValue(int nIndex, int nValue) override;
    // Marks the preset name once a value has changed.
    void TickStep() override;

    virtual void Save();
    virtual void SaveAs();
    virtual void BuildLoadMenu();

    void SetSavePrompt(SavePrompt prompt) { mSavePrompt = std::move(prompt); }
    void SetNamePromptRunner(NamePromptRunner runner) { mRunNamePrompt = std::move(runner); }
    // What the "i" button opens (the window's about box).
    void SetAboutAction(std::function<void()> action) { mShowAbout = std::move(action); }
    const std::string& GetCurrentPresetPath() const { return msCurrentPath; }
    // The process holds the preset file sPath (loaded by the host), marked
    // as changed at once when bChanged.
    void ShowCurrentPreset(const std::string& sPath, bool bChanged);
    // What the strip shows: the current preset's name, marked when changed.
    std::string GetShownPresetName() const;
    // Where new presets go: the presets folder beside the library when it
    // can be written, else the user's presets folder.
    std::string GetSaveFolder() const;
    // The presets folder beside the library (its own, for tests).
    const std::string& GetPresetsFolder() const { return msPresetsFolder; }
    void SetPresetsFolder(const std::string& sFolder) { msPresetsFolder = sFolder; }
    epiAlphaControl_hierMenu* GetLoadMenu() const;

private:
    // Adds the presets and subfolders of one folder node under nParent.
    void AddPresetItems(const void* pFolder, int nParent);
    // "Preset N" with the smallest N that names no preset in the presets
    // folder, or "" when all are taken.
    std::string UnusedPresetName() const;
    // The file of a preset name the name prompt gives, or "" when cancelled.
    std::string AskPresetFile();
    // The name prompt's check: a tidy name, not an existing preset unless
    // the user agrees to replace it, its folders made. sPath gets the file.
    bool TakePresetName(std::string& sName, std::string& sPath, std::string& sWhy) const;
    // Writes the process's settings to sPath; false, after an alert that
    // says why, when the file could not be written.
    bool SaveTo(const std::string& sPath, const char* pszTitle);
    // sPath becomes the current preset: its name is shown unmarked.
    void SetCurrentPreset(const std::string& sPath);
    // Every parameter's value now.
    std::vector<int> Values() const;

    std::string msPresetsFolder; // with a trailing separator
    std::string msCurrentPath;
    std::string msCurrentName;
    std::vector<int> maPresetValues; // the values as loaded or saved
    bool mbChanged = false;
    int miUserMenu = -1; // the id of the "User Presets" submenu
    SavePrompt mSavePrompt;
    NamePromptRunner mRunNamePrompt;
    std::function<void()> mShowAbout;
};
