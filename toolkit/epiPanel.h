// A rectangular area of the window that owns the controls of one layout and
// turns mouse and key events into calls on them.
//
// Dispatch (one event at a time, points in window coordinates):
// - Mouse down: a second press on the same point less than 30 ticks of
//   1/60 s after the last one is a double click, offered to the controls
//   under the pointer in index order with DoubleClick, then Click. Otherwise
//   Click. The taker becomes the tracked control, gets MouseDown, the panel
//   notifies phase 0 and reports the control's value (buttons and menus
//   report at release instead). No taker: BackgroundClick.
// - Idle: the tracked control's Drag; a change notifies phase 1. Without a
//   tracked control, controls with the animating flag get Tick.
// - Mouse up: MouseUp; true notifies phase 2 (and the release report).
// - Keys: offered to the controls in index order; Tab and Shift-Tab move the
//   focus through the focusable, visible controls, wrapping.
// Only visible, enabled controls that take events (item state 2) are asked.
//
// Drawing: controls mark themselves invalid; Redraw repaints every invalid
// rectangle by drawing, in index order, each visible control that meets it,
// clipped to it, so backgrounds and masks come out right.
#pragma once

#include "toolkit/epiPanelControl.h"
#include "toolkit/epiTypes.h"

#include <memory>
#include <vector>

class EpiCasts;
class IEpiInputState;
class epiAlphaFontsList;
class epiOffmap;
class vpaGui;

class epiPanel {
public:
    static constexpr int kMaxControls = 300;
    static constexpr uint32_t kDoubleClickTicks = 30; // of 1/60 s

    epiPanel();
    virtual ~epiPanel();
    epiPanel(const epiPanel&) = delete;
    epiPanel& operator=(const epiPanel&) = delete;

    // Where the panel's top left lies in the window; set before loading.
    void SetOrigin(int h, int v);
    SEpiPoint GetOrigin() const { return mOrigin; }
    // Loads layout iLayoutId from the window's resource file, sizes the panel
    // to its rectangle (the height clipped to the window) and builds the
    // controls. A missing layout or one of the wrong size leaves no controls.
    bool LoadLayout(vpaGui* pWindow, int32_t iLayoutId);
    const SEpiRect& GetRect() const { return mRect; }
    vpaGui* GetWindow() const { return mpWindow; }

    int GetControlCount() const { return miCount; }
    epiPanelControl* GetControl(int nIndex) const;
    // Numeric codes 5000 to 5005 go to Message(a), four-character codes to
    // SetProperty(a, b). Indices the layout does not have are ignored.
    void SendToControl(int nIndex, uint32_t nCode, int a, int b = 0);
    void SetControlValue(int nIndex, int nValue);
    int GetControlValue(int nIndex) const;
    void ShowControl(int nIndex, bool bShow);
    void EnableControl(int nIndex, bool bEnable);

    // Events; MouseDown and MouseUp answer whether the panel handled them.
    bool MouseDown(SEpiPoint point);
    bool MouseUp();
    bool Key(int nKey);
    // Wheel notches at a point: offered to the control under it.
    bool Wheel(SEpiPoint point, int nNotches);
    void Idle();

    // 0 a control was grabbed, 1 its value changed, 2 it was released.
    virtual void Notify(int nPhase);
    // A click's outcome: the control's index and GetValue().
    virtual void ReportValue(int nIndex, int nValue);
    // A press that no control took.
    virtual void BackgroundClick(bool bDouble);
    // The wheel over control nIndex: by default the control moves itself
    // and its value is reported.
    virtual bool ControlWheel(int nIndex, int nNotches);

    int GetTrackedIndex() const { return miTracked; }
    int GetFocus() const { return miFocus; }
    void SetFocus(int nIndex);
    // Inactive panels take no events and draw nothing.
    void SetActive(bool b) { mbActive = b; }
    bool IsActive() const { return mbActive; }
    // Whether one of the controls has an open pop-up (see epiPanelControl).
    bool HasOpenPopup() const { return FindOpenPopup() >= 0; }

    // Draws everything of the panel inside clip.
    virtual void Draw(epiOffmap& target, const SEpiRect& clip);
    // What controls draw beyond their bounds (open menus), inside clip.
    void DrawOverlays(epiOffmap& target, const SEpiRect& clip);
    // The union of what the controls draw over everything (open menus).
    SEpiRect GetOverlayRect() const;
    void AddOverlayParts(std::vector<SEpiRect>& parts) const;
    // Repaints every invalid rectangle; each one repainted is added to
    // updated (window coordinates).
    void Redraw(epiOffmap& target, std::vector<SEpiRect>& updated);
    // Marks a rectangle (window coordinates) of this panel for repainting.
    void InvalidateRect(const SEpiRect& rect);
    // Marks a rectangle that may cover other panels too (through the window).
    void InvalidateWindowRect(const SEpiRect& rect);
    // Forgets what is invalid (the caller draws the whole panel).
    void DiscardInvalid();
    void ControlInvalidated() { mbDirty = true; }

    EpiCasts* GetCasts() const;
    const IEpiInputState* GetInput() const;
    const epiAlphaFontsList* GetFonts() const;

private:
    // The index of the control with an open pop-up, or -1.
    int FindOpenPopup() const;

    bool Offer(epiPanelControl* pControl, bool bDouble);
    void MoveFocus(bool bBackwards);

    std::vector<std::unique_ptr<epiPanelControl>> maControls;
    int miCount;
    int miTracked;
    uint32_t mnLastClickTicks;
    SEpiPoint mLastClickPoint;
    bool mbHadClick;
    int miFocus;
    bool mbActive;
    bool mbDirty;
    SEpiPoint mOrigin;
    SEpiRect mRect;
    vpaGui* mpWindow;
    std::vector<SEpiRect> mPending;
};

// The toolkit's skinned panel.
class epiAlphaPanel : public epiPanel { };
