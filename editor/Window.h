// The editor's toolkit window: the off-screen map, the panels of the
// process's mode (made by the panel factory), the needle meters, and the
// dispatch of the system window's events. Everything here runs on the
// user-interface thread.
#pragma once

#include "OutputMeterStrip.h"
#include "VUMeter.h"
#include "platform/Window.h"
#include "toolkit/vpaGui.h"

#include <memory>
#include <string>
#include <vector>

class CGUIDriver;
class CVantorPanel;
class CVantorPanelEQ;
class IVantorProcess;

class CWindow : public vpaGui, public platform::IWindowListener {
public:
    static constexpr uint32_t kTickMillis = 10;

    CWindow(IVantorProcess* pProcess, CGUIDriver* pDriver, bool bStandalone);
    ~CWindow();

    void SetProcess(IVantorProcess* pProcess)
    {
        mpProcess = pProcess;
        mMeters.SetProcess(pProcess);
    }
    // A meter reading from outside (see IVantorEmbeddedEditor).
    void FeedMeter(unsigned nWhich, float fValue) { mMeters.Feed(nWhich, fValue); }
    IVantorProcess* GetProcess() const { return mpProcess; }

    // The main layout of a process mode (100 all four, 101 … 104 one module).
    static int32_t MainLayoutOf(unsigned nMode);
    // Builds the map, fonts, panels and meters; false without a skin or a
    // main layout (the window then stays empty). Controls take their values
    // from the process at once.
    bool BuildContents(vpaGuiEngine* pEngine);

    // The panel factory: panel n of the mode (module panels, then the menu),
    // or null after the last.
    std::unique_ptr<CVantorPanel> CreatePanel(int n);
    CVantorPanel* FindPanel(int nPanelId) const;
    CVantorPanelEQ* GetEQPanel() const;
    COutputMeterStrip* GetOutputStrip() const { return mpOutputStrip.get(); }
    // One line "PANEL CONTROL TEXT" per value text of the module panels, by
    // panel and control.
    std::string ListValueTexts() const;

    // The process reports a value for a control key.
    void SetControlValue(int nKey, int nValue);
    void InvalidateEQCurve();
    void SetPanelChainPosition(int nPanel, int nPosition);
    // The chain position last reported for a module panel (1 … 4), or -1.
    int GetPanelChainPosition(int nPanel) const;

    // One timer tick: meters, pending values, the toolkit's idle step and
    // redraw, and the copy of what changed to the screen.
    void TimerTick();
    // Runs TimerTick when kTickMillis have passed since the last one.
    void TickIfDue();
    // The first paint draws everything; later ones copy the picture.
    void PaintAll();
    // A new system window: everything is drawn again, an open menu shown anew.
    void ResetFirstPaint()
    {
        mbFirstPaintPending = true;
        mbPopupShown = false;
    }

    // Shows the about box (modal).
    void ShowAbout();
    // True when the system window takes input, so modal boxes may wait for it.
    bool IsInteractive() const;
    // True for the window of a program of its own (no host around it).

    void OnWindowEvent(const platform::SWindowEvent& event) override;

    // The pop-up window that shows an open menu, so that the editor's edges
    // never clip it: shown, moved, repainted or hidden as the menu is.
    void UpdatePopup();

private:
    void BlitUpdates();
    // Draws the parts of the output meter inside clip.
    void DrawOutputStrip(const SEpiRect& clip);
    void UpdateClock();

    IVantorProcess* mpProcess; // not owned
    CGUIDriver* mpDriver; // not owned
    bool mbStandalone;
    bool mbBuilt;
    bool mbFirstPaintPending;
    bool mbTicked;
    uint32_t mnLastTick;
    std::vector<std::unique_ptr<CVantorPanel>> maPanels;
    CMeterReadings mMeters;
    std::vector<std::unique_ptr<IUpdatable>> maUpdatables;
    std::unique_ptr<COutputMeterStrip> mpOutputStrip; // with the clipper panel
    unsigned mnOutputStripChanged = 0; // its parts to draw
    int manChainPositions[5];
    epiOffmap mPopupMap; // what open menus draw, in window coordinates
    std::vector<uint32_t> manPopup; // the pop-up's picture as last shown
    SEpiRect mPopupRect;
    bool mbPopupShown;
};
