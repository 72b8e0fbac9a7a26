// Push button (kind 301), check box (302) and radio button (303). They are
// text controls: a label may be drawn over the frame. A button shows the cast
// of its state (0 up, 1 pressed, 3 disabled); a check and a radio show the
// cast of their value (0 off, 1 on), the disabled cast (slot 3) when there
// is one, else their frame dimmed.
//
// A button is pressed at the mouse-down, follows the pointer in and out of
// its bounds while the mouse button stays down, and clicks only when
// released inside; the panel reports that click. A check toggles at the
// press, a radio switches itself on and its siblings (same tag) off.
#pragma once

#include "toolkit/epiAlphaControl_text.h"

class epiAlphaControl_button : public epiAlphaControl_text {
public:
    enum : int { kUp = 0, kPressed = 1, kDisabled = 3 };

    bool Click() override;
    void MouseDown() override;
    bool Drag() override;
    bool MouseUp() override;
    void Message(int nCode, int nValue) override;
    void Draw(epiOffmap& target, const SEpiRect& clip) override;
    bool ReportsOnRelease() const override { return true; }

    int GetState() const { return mbEnabled ? miState : kDisabled; }

protected:
    // The frame slot to show now.
    virtual int FrameSlot() const;
    // The slot shown dimmed when the control is disabled and has no disabled cast.
    virtual int EnabledSlot() const { return 0; }

    int miState = kUp;
    bool mbTracking = false;
};

class epiAlphaControl_check : public epiAlphaControl_button {
public:
    void MouseDown() override;
    bool Drag() override;
    bool MouseUp() override;
    void SetValue(int nValue) override;
    bool ReportsOnRelease() const override { return false; }

protected:
    int FrameSlot() const override;
    int EnabledSlot() const override { return miValue != 0 ? 1 : 0; }
};

class epiAlphaControl_radio : public epiAlphaControl_check {
public:
    void MouseDown() override;
};
