// Controls that choose among many.
//
// List (kind 314): the text's lines are the entries, one row each (the font
// height plus the line spacing); the value is the selected row. A click
// selects the row under the pointer; when focused, Up and Down move the
// selection. Scroll bar (308): a value between two limits ("roMx", default
// 0 … 100); the cast of slot 1 (the thumb) slides along the cast of slot 0
// (the track), vertically when the control is taller than wide; a press or
// a drag puts the value where the pointer is along the track.
#pragma once

#include "toolkit/epiAlphaControl_text.h"

class epiAlphaControl_list : public epiAlphaControl_text {
public:
    void Init() override;
    bool Click() override;
    void MouseDown() override;
    bool Drag() override;
    bool MouseUp() override;
    bool Key(int nKey) override;
    void SetValue(int nValue) override;
    void Draw(epiOffmap& target, const SEpiRect& clip) override;

private:
    int RowHeight() const;
    int RowAtPointer() const;
    bool mbTracking = false;
};

class epiAlphaControl_scroll : public epiAlphaControl_text {
public:
    static constexpr uint32_t kLimits = EpiTypeCode("roMx");

    bool Click() override;
    void MouseDown() override;
    bool Drag() override;
    bool MouseUp() override;
    void SetValue(int nValue) override;
    void SetProperty(uint32_t nCode, int a, int b) override;
    void Draw(epiOffmap& target, const SEpiRect& clip) override;

private:
    bool IsVertical() const { return mBounds.Height() > mBounds.Width(); }
    int ValueAtPointer() const;
    int ThumbLength() const;

    int miMinimum = 0;
    int miMaximum = 100;
    bool mbTracking = false;
};
