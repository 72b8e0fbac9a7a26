// Shows a skin file the way the editor draws it, without an editor: the real
// toolkit panels are built from the layouts and drawn into an off-screen map,
// so the preview is the editor's picture. Rotaries that take the mouse get
// the module panels' configuration (positions 0 … 30000, reset to 15000,
// steps 150 and 15), so values and scripted drags behave as in the editor.
#pragma once

#include "toolkit/epiOffmap.h"
#include "toolkit/vpaGui.h"
#include "toolkit/vpaGuiEngine.h"
#include "toolkit/vpaGuiPanel.h"

#include <memory>
#include <string>
#include <vector>

class CSkinPreview {
public:
    // Opens the skin file (native path); false when it cannot be read.
    bool Open(const std::string& sPath);

    // The editor window of a processor mode (0 equaliser, 1 compressor,
    // 2 limiter, 3 clipper, 4 all): its main layout with the module panels
    // and the preset strip where the editor puts them.
    bool ComposeEditor(int nMode);
    // One layout alone; main layouts 100 to 104 compose their mode.
    bool ComposeLayout(int32_t iLayoutId);

    // Gives control nIndex of the first module panel (or the only panel) a
    // value: text kinds take the text, others a number. False for an unknown
    // control or a bad number.
    bool Set(int nIndex, const std::string& sValue);
    // Runs an input script (see toolkit/epiScript.h); "snap NAME" writes
    // NAME as a PNG file.
    bool RunScript(const std::string& sScript, std::string& sError);

    // Repaints what is invalid and returns the window's map.
    const epiOffmap& Map();
    // Writes a 16-bit map as a PNG file.
    static bool WritePng(const epiOffmap& map, const std::string& sPath);

private:
    void AddPanel(int32_t iLayout, int v);
    void SetUpPanels();

    vpaGuiEngine mEngine;
    std::unique_ptr<vpaGui> mpWindow;
    std::vector<std::unique_ptr<vpaGuiPanel>> mPanels;
};
