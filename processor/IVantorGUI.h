// What the process asks of a bound editor. The editor implements it; the
// process reaches it from the bound vpa::IGUI.
#pragma once

class IVantorGUI {
public:
    // A control (panel number x 65536 + control number) must show a value.
    virtual void SetControlValue(int nKey, int nValue) = 0;
    // The equaliser's response changed; its display must be redrawn.
    virtual void InvalidateEQCurve() = 0;
    // The editor's window object (opaque to the process).
    virtual void* GetDriver() = 0;
    // The module panel nPanel (module id + 1) now sits at chain position
    // nPosition (0..3).
    virtual void SetPanelChainPosition(int nPanel, int nPosition) = 0;

protected:
    ~IVantorGUI() = default;
};
