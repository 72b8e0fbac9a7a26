// The name prompt of "Save As" when the desktop has no save dialog: layout
// 202 of the skin in a modal window of its own. The name is typed into the
// toolkit's edit-text field; Return or OK takes it, Escape, Cancel or closing
// the window cancels. OK hands the name to the check: a refused name keeps
// the prompt open with the reason on the line under the field.
//
// The prompt is driven through Key and the mouse calls, with no window
// system behind them; Run is the modal loop that feeds them from a top-level
// window. Off-screen (not interactive) Run waits for nobody: it presses OK on
// the name the prompt was opened with, so headless saves are predictable.
#pragma once

#include "toolkit/epiTypes.h"
#include "toolkit/vpaGui.h"
#include "toolkit/vpaGuiPanel.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class epiAlphaControl_text;
class vpaGuiEngine;

class CNamePrompt {
public:
    static constexpr int32_t kLayoutId = 202;
    static constexpr int kNameField = 1;
    static constexpr int kReasonLine = 2;
    static constexpr int kOkButton = 3;
    static constexpr int kCancelButton = 4;
    // Light red (5-5-5) of the reason line on the dark background.
    static constexpr uint16_t kReasonColour = (31 << 10) | (15 << 5) | 13;

    enum class EState { kOpen, kAccepted, kCancelled };

    // Decides on a name at OK. True takes it (the check may rewrite it into
    // the form it was taken in); false keeps the prompt open with sWhy shown
    // (nothing when sWhy is empty, e.g. the user declined to replace a file).
    using Check = std::function<bool(std::string& sName, std::string& sWhy)>;

    CNamePrompt(vpaGuiEngine* pEngine, std::string sTitle, Check check);
    CNamePrompt(const CNamePrompt&) = delete;
    CNamePrompt& operator=(const CNamePrompt&) = delete;

    // Draws the prompt with sInitial in the field, which has the focus.
    // False (and the prompt cancelled) when the skin has no prompt layout.
    bool Open(const std::string& sInitial);

    // Return is OK and Escape Cancel; printable ASCII, Backspace and Delete
    // go to the field (other characters are dropped: file names are UTF-8,
    // the skin's fonts 8-bit). Window coordinates for the mouse.
    void Key(int nKey);
    void MouseDown(int x, int y);
    void MouseMove(int x, int y);
    void MouseUp();
    void Accept();
    void Cancel();

    EState GetState() const { return meState; }
    // The field's text while open; the name as the check took it after OK.
    std::string GetName() const;
    std::string GetReason() const;

    // Redraws what changed into the picture; the rectangle that changed.
    SEpiRect Update();
    // The picture (0x00RRGGBB, top-down, width × height).
    const std::vector<uint32_t>& GetPixels() const { return manPixels; }
    int GetWidth() const { return mnWidth; }
    int GetHeight() const { return mnHeight; }
    // Where a control lies (window coordinates); empty for an unknown one.
    SEpiRect GetControlBounds(int nIndex) const;

    // Shows the prompt modally until it is answered (see above off-screen).
    void Run(bool bInteractive);

private:
    // Reports clicks on OK and Cancel.
    class CPanel : public vpaGuiPanel {
    public:
        explicit CPanel(CNamePrompt& owner)
            : mOwner(owner)
        { }
        void ReportValue(int nIndex, int nValue) override;

    private:
        CNamePrompt& mOwner;
    };

    epiAlphaControl_text* TextControl(int nIndex) const;
    void SetReason(const std::string& sWhy);

    vpaGuiEngine* mpEngine; // not owned
    std::string msTitle;
    Check mCheck;
    vpaGui mWindow;
    CPanel mPanel;
    EState meState;
    std::string msName;
    std::vector<uint32_t> manPixels;
    int mnWidth;
    int mnHeight;
};
