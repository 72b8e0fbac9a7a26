// The base of the editor's module panels (and of the preset strip): a
// toolkit panel whose rotaries and switches are bound to parameters through
// value keys (panel id × 65536 + control index). A control the user moves
// becomes a value through its converter and goes to the process's data
// manager; values the process reports queue up and reach the controls and
// their texts on the next timer tick.
#pragma once

#include "Panel.h"
#include "parameters/DisplayManager.h"
#include "toolkit/vpaGuiPanel.h"

#include <string>
#include <utility>
#include <vector>

class IVantorProcess;

namespace adl {
class IConverterManager;
class IDataManager;
} // namespace adl

class CVantorPanel : public vpaGuiPanel, public CPanel, public adl::IDisplayManagerCallback {
public:
    // Positions of every bound rotary, its Alt-click reset and its drag steps
    // per pixel (coarse, with Control held).
    static constexpr int kPositionMax = 30000;
    static constexpr int kResetPosition = 15000;
    static constexpr int kCoarseStep = 150;
    static constexpr int kFineStep = 15;
    // One wheel notch: 2 % of the travel; with Control one unit of the value.
    static constexpr int kWheelStep = 600;
    // Height of the band with the module's name and switch, which stays
    // bright when the module is switched off.
    static constexpr int kHeaderHeight = 22;

    // One control bound to a parameter, and the text control that shows its
    // value (-1 for none). The converter (the parameter's range and taper)
    // and the text's format come from the parameter table; switches and
    // lists pass their values through.
    struct SBinding {
        int nParameter;
        int nControl;
        int nText;
    };
    // The bindings of a panel, from the parameter table's control columns:
    // each parameter of the panel's module with its knob and text, or with
    // each of its switches. None for a panel without a module.
    static std::vector<SBinding> PanelBindings(int nPanelId);

    CVantorPanel(int nPanelId, IVantorProcess* pProcess);
    ~CVantorPanel() override;

    int GetPanelId() const { return miPanelId; }
    IVantorProcess* GetProcess() const { return mpProcess; }

    // Once, after Attach: configures the rotaries, creates the converters and
    // the text translaters.
    virtual void SetUp();
    // The process reports a value for one of this panel's controls.
    virtual void ValueChanged(int nControl, int nValue);
    // Every timer tick before the toolkit's idle step: meter polls, then the
    // pending values.
    virtual void TickStep();

    void Notify(int nPhase) override;
    bool ControlWheel(int nIndex, int nNotches) override;
    void Draw(epiOffmap& target, const SEpiRect& clip) override;
    // Whether the panel is drawn dimmed: its module is switched off.
    bool IsDimmed() const { return mbDimmed; }
    void ReportValue(int nIndex, int nValue) override;
    void SetDisplayText(int nDisplayId, const std::string& sText) override;

    int GetKey(int nControl) const { return miPanelId * 65536 + nControl; }

    // What the panel's value texts show now: (text control, text), by
    // control number; none for a panel outside the process's mode.
    std::vector<std::pair<int, std::string>> GetValueTexts() const;

protected:
    // Meters and lights read from the process before the pending values.
    virtual void PollMeters() { }
    // A control was moved by the user (drag steps, clicks).
    virtual void ControlMoved(int nControl, int nPosition);
    void ApplyPendingValues();
    adl::IDataManager* DataManager() const;

    int miPanelId;
    IVantorProcess* mpProcess; // not owned
    adl::IConverterManager* mpConverters;
    adl::IDisplayManager* mpDisplays;
    std::vector<SBinding> maBindings;
    int miEnableParameter; // switches the panel's module on; -1 for none
    bool mbDimmed = false;
};
