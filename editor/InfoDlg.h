// The about box: layout 201 of the skin in a window of its own, modal; a
// click or a key closes it. Without a display (or an off-screen editor) it
// is drawn once and closes at once.
#pragma once

#include <cstdint>
#include <vector>

class vpaGuiEngine;

class CInfoDlg {
public:
    static constexpr int32_t kLayoutId = 201;
    // The text control that shows the version.
    static constexpr int kVersionControl = 1;

    // "Version 0.1.0": the version this editor was built as.
    static const char* GetVersionText();

    CInfoDlg(vpaGuiEngine* pEngine, bool bInteractive);

    // Shows the box until the user closes it. False when the skin has no
    // about layout.
    bool Run();
    // The picture the box showed (0x00RRGGBB, top-down), for checks.
    const std::vector<uint32_t>& GetPixels() const { return manPixels; }
    int GetWidth() const { return mnWidth; }
    int GetHeight() const { return mnHeight; }

private:
    vpaGuiEngine* mpEngine; // not owned
    bool mbInteractive;
    std::vector<uint32_t> manPixels;
    int mnWidth;
    int mnHeight;
};
