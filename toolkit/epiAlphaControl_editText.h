// Text controls that change their text themselves.
//
// Edit text (kind 305): one line the user types into. A click gives it the
// focus; while focused it takes printable characters (appended), Backspace
// and Delete (remove the last character) and Return (gives the focus up).
// It is focusable, so Tab reaches it. It draws only inside its bounds; a
// left-aligned line wider than the field shows its end, and while focused
// a caret follows the text. SelectAll marks the whole text (a suggestion):
// the next character replaces it, Backspace or Delete clears it, and a
// click in the field keeps it and drops the mark. Rolling text (315): a line too wide
// for its bounds scrolls to the left on the animation tick, one pixel per
// 30 ms, and starts over when it has gone by.
#pragma once

#include "toolkit/epiAlphaControl_text.h"

class epiAlphaControl_editText : public epiAlphaControl_text {
public:
    static constexpr size_t kMaxLength = 255;
    // Pixels kept free right of the text for the caret.
    static constexpr int kCaretRoom = 3;

    void Init() override;
    bool Click() override;
    void MouseDown() override;
    bool Key(int nKey) override;
    bool MouseUp() override { return false; }
    void Draw(epiOffmap& target, const SEpiRect& clip) override;
    void SelectAll();

private:
    bool mbSelected = false;
};

class epiAlphaControl_rollingText : public epiAlphaControl_text {
public:
    static constexpr uint32_t kMillisPerPixel = 30;

    void Tick() override;
    void Draw(epiOffmap& target, const SEpiRect& clip) override;
    // Restarts the roll for a new text.
    void Restart();

private:
    int miScroll = 0;
    uint32_t mnStart = 0;
    bool mbStarted = false;
};
