// An editor with nothing to show, as a host-side author might derive one
// from vpa::CGUI: every window operation does nothing.
#pragma once

#include "host-interface/vpaGUI.h"

class CNullEditor : public virtual vpa::CGUI {
public:
    void GetSize(long& nWidth, long& nHeight) override { nWidth = nHeight = 0; }
    void Open(void*, long, long) override { }
    void Move(long, long) override { }
    void Close() override { }
    void OpenFloating(long, long) override { }
    void Activate() override { }
    void Paint() override { }
    void Idle() override { }
    void Deactivate() override { }
    void PanelStep(long) override { }
};
