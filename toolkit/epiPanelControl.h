// The common state and the virtual operations of every control of a panel.
// A control is built from one layout item, addressed by its index in the
// panel, and draws itself into the window's off-screen map. Bounds are in
// window coordinates (the panel's origin plus the item's position).
#pragma once

#include "toolkit/epiLayout.h"
#include "toolkit/epiTypes.h"

#include <cstdint>
#include <vector>

class EpiCasts;
class EpiOneCast;
class IEpiInputState;
class epiAlphaFontsList;
class epiOffmap;
class epiPanel;

// Numeric messages of SendToControl (four-character codes go to SetProperty).
enum : int {
    kEpiMsgTextColour = 5000, // v: the text colour, 16-bit 5-5-5
    kEpiMsgLineSpacing = 5001, // v: pixels between text lines
    kEpiMsgShowFrame = 5002, // v: buttons show frame v
    kEpiMsgKnobPositions = 5003, // n: a knob gets n positions
    kEpiMsgKnobFrame = 5004, // frame of the next knob position
    kEpiMsgKnobValue = 5005, // value of the current knob position
};

class epiPanelControl {
public:
    static constexpr unsigned kNoCast = 0xFFFF;

    epiPanelControl();
    virtual ~epiPanelControl();
    epiPanelControl(const epiPanelControl&) = delete;
    epiPanelControl& operator=(const epiPanelControl&) = delete;

    // Copies the item, resolves and loads its casts, places the bounds at
    // origin + position with the first cast's size (or the size override) and
    // calls Init.
    void Build(epiPanel* pPanel, int nIndex, const SEpiLayoutItem& item, SEpiPoint origin);

    // Offered a click at the current pointer; true when the control takes it.
    virtual bool Click();
    virtual bool DoubleClick();
    // Offered a key; true when claimed.
    virtual bool Key(int nKey);
    // Mouse-wheel notches over the control (+ away from the user); true when
    // the value moved.
    virtual bool Wheel(int nNotches);
    // Called once after the control is built from its item.
    virtual void Init();
    // One animation step (only while the animating flag is set).
    virtual void Tick();
    virtual void MouseDown();
    // True when the release completes an action (a click released inside, a
    // drag): the panel then notifies phase 2.
    virtual bool MouseUp();
    // One tracking step at the current pointer; true when the value changed.
    virtual bool Drag();
    virtual void Message(int nCode, int nValue);
    virtual void SetValue(int nValue);
    virtual void SetProperty(uint32_t nCode, int a, int b);
    virtual int GetValue() const;
    // Draws the part of the control inside clip.
    virtual void Draw(epiOffmap& target, const SEpiRect& clip);
    // Marks the whole control for redrawing on the panel's next redraw.
    virtual void Invalidate();
    virtual void ShowFrame(int nValue, bool bFast);

    // A control whose action happens at release (buttons, menus) reports its
    // value to the panel then, the others right after the mouse-down.
    virtual bool ReportsOnRelease() const { return false; }
    // Something the control draws beyond its bounds over everything else (an
    // open menu); empty when there is none.
    virtual SEpiRect GetOverlayRect() const { return SEpiRect { 0, 0, 0, 0 }; }
    // The parts of the overlay (a menu's columns); the overlay rectangle
    // itself unless the control says more.
    virtual void AddOverlayParts(std::vector<SEpiRect>& parts) const;
    virtual void DrawOverlay(epiOffmap& target, const SEpiRect& clip);
    // An open pop-up (a menu left open by a click) takes every press, key
    // and pointer move of the window until it closes.
    virtual bool HasOpenPopup() const { return false; }
    // True once after a key completed an action the panel should report
    // (Return on a menu item).
    virtual bool TakeKeyReport() { return false; }

    // Visible, enabled and taking events.
    bool TakesEvents() const { return mbVisible && mbEnabled && mbActive; }
    bool IsInside(SEpiPoint point) const;
    bool PointerInside() const;

    int GetIndex() const { return miIndex; }
    int16_t GetKind() const { return miKind; }
    const SEpiRect& GetBounds() const { return mBounds; }
    bool IsVisible() const { return mbVisible; }
    bool IsActive() const { return mbActive; }
    bool IsAnimating() const { return mbAnimating; }
    bool IsFocusable() const { return mbFocusable; }
    bool IsFocused() const;
    void SetEnabled(bool b);
    void SetVisible(bool b);
    void SetActive(bool b) { mbActive = b; }
    void SetFocusable(bool b) { mbFocusable = b; }
    int32_t GetTag() const { return miTag; }
    const char* GetName() const { return macName; }
    int32_t GetCastId(int nSlot) const { return nSlot >= 0 && nSlot < SEpiLayoutItem::kCasts ? maiCasts[nSlot] : 0; }
    const SEpiRect& GetInvalidRect() const { return mInvalid; }
    void ClearInvalid() { mInvalid = SEpiRect { 0, 0, 0, 0 }; }
    epiPanel* GetPanel() const { return mpPanel; }

protected:
    // The loaded cast of a frame slot, or null.
    EpiOneCast* CastOf(int nSlot) const;
    EpiCasts* GetCasts() const;
    const IEpiInputState* GetInput() const;
    const epiAlphaFontsList* GetFonts() const;
    uint32_t Now() const;
    // Draws the cast of a frame slot at the bounds' top left, through its
    // mask, dimmed when nDim > 0.
    void DrawCastSlot(epiOffmap& target, const SEpiRect& clip, int nSlot, int nDim) const;

    epiPanel* mpPanel;
    int miIndex;
    int16_t miKind;
    SEpiRect mBounds;
    bool mbEnabled;
    bool mbActive;
    bool mbVisible;
    bool mbAnimating;
    bool mbFocusable;
    int32_t miTag;
    int32_t maiCasts[SEpiLayoutItem::kCasts];
    unsigned manCastIndex[SEpiLayoutItem::kCasts];
    int miFrame;
    char macName[8];
    int16_t maiParams[SEpiLayoutItem::kParams];
    SEpiPoint mSizeOverride;
    int16_t miOptionA;
    int16_t miOptionB;
    uint16_t mnPlacement; // low 4 bits
    uint16_t mnPlacementRest; // the code ÷ 16
    uint8_t manOptionBytes[2];
    uint8_t manOptions[4];
    int miValue;
    SEpiRect mInvalid;
};
