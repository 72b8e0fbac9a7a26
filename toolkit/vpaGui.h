// The toolkit window: the off-screen map all panels draw into, the twenty
// panel fonts, the panels in creation order (not owned) and the input state
// the controls read. The editor's window layer feeds it mouse, key and timer
// events and copies the updated rectangles to the screen; tests and the
// script driver do the same without a window system.
#pragma once

#include "toolkit/epiAlphaFontsList.h"
#include "toolkit/epiInputState.h"
#include "toolkit/epiOffmap.h"

#include <vector>

class EpiCasts;
class epiDiskResFile;
class epiPanel;
class vpaGuiEngine;

class vpaGui {
public:
    static constexpr int kMaxPanels = 16;
    // The bitmap fonts of the skin and the slots they load into.
    static constexpr int32_t kValueFontCast = 500;
    static constexpr int32_t kLabelFontCast = 502;

    vpaGui();
    ~vpaGui();
    vpaGui(const vpaGui&) = delete;
    vpaGui& operator=(const vpaGui&) = delete;

    // Sizes the window to the rectangle of layout iMainLayoutId, allocates the
    // 16-bit map and loads font slots 0 and 1 from casts 500 and 502 (tinted
    // black). False when the layout is missing or the map cannot be had.
    bool Create(vpaGuiEngine* pEngine, int32_t iMainLayoutId);
    // The same at a given size (a window for one panel).
    bool Create(vpaGuiEngine* pEngine, int nWidth, int nHeight);

    // Adds a panel whose layout is loaded; false when 16 are there already.
    bool AddPanel(epiPanel* pPanel);
    int GetPanelCount() const { return static_cast<int>(mPanels.size()); }
    epiPanel* GetPanel(int n) const;

    // Mouse and keys (window coordinates). A press goes to the captured panel
    // first, then to each active panel in order; the taker is captured until
    // the release. A move updates the pointer and gives every panel one idle
    // step, so a tracked control follows at once.
    void MouseDown(int h, int v);
    void MouseMove(int h, int v);
    void MouseUp();
    bool Key(int nKey);
    // Wheel notches at a point (+ away from the user); nothing while a
    // pop-up is open.
    bool Wheel(int h, int v, int nNotches);
    // The timer tick (every 10 ms): every active panel's idle step, then the
    // invalid rectangles are redrawn.
    void Tick();

    // Draws every active panel whole (the first paint).
    void DrawAll();
    // Repaints what is invalid in any panel, then what open menus draw over it.
    void Redraw();
    // False: open menus are not drawn into the map; the window shows them
    // in a pop-up window of their own (DrawOverlays draws them on demand).
    void SetOverlaysInMap(bool bInMap) { mbOverlaysInMap = bInMap; }
    // The union of what open menus draw over the panels (window coordinates,
    // which may reach beyond the window).
    SEpiRect GetOverlayRect() const;
    // Its parts (a menu's columns); the rest of the rectangle is not shown.
    std::vector<SEpiRect> GetOverlayParts() const;
    // Draws what open menus show inside clip into target.
    void DrawOverlays(epiOffmap& target, const SEpiRect& clip);
    // Marks a window rectangle for repainting in every panel it meets.
    void InvalidateRect(const SEpiRect& rect);
    // The union of what was drawn since the last call, then cleared: the
    // part of the map to copy to the screen.
    SEpiRect TakeUpdateRect();

    SEpiRect GetBounds() const { return mBounds; }
    epiOffmap& GetMap() { return mMap; }
    const epiAlphaFontsList& GetFonts() const { return mFonts; }
    epiAlphaFontsList& GetFonts() { return mFonts; }
    EpiCasts* GetCasts() const;
    epiDiskResFile* GetResFile() const;
    vpaGuiEngine* GetEngine() const { return mpEngine; }

    // What the controls read.
    const IEpiInputState& GetInput() const { return mInput; }
    // The window's own state: the mouse calls above keep its pointer;
    // modifiers and the clock are set by the caller.
    epiInputState& GetInputState() { return mInput; }

private:
    bool Allocate(vpaGuiEngine* pEngine, int nWidth, int nHeight);

    SEpiRect mBounds;
    epiOffmap mMap;
    epiAlphaFontsList mFonts;
    std::vector<epiPanel*> mPanels;
    epiPanel* mpCaptured;
    vpaGuiEngine* mpEngine;
    epiInputState mInput;
    std::vector<SEpiRect> mUpdated;
    SEpiRect mUpdate;
    bool mbOverlaysInMap = true;
};
