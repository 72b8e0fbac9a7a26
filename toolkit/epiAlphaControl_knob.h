// A stepped selector on a film strip (kind 312): n positions, each with its
// frame and its value; 20 pixels of vertical drag per position, Control
// resets. The control's value is the position.
#pragma once

#include "toolkit/epiAlphaControl_rotary.h"

#include <vector>

class epiAlphaControl_knob : public epiAlphaControl_rotary {
public:
    static constexpr int kPixelsPerPosition = 20;

    void Init() override;
    void MouseDown() override;
    bool Drag() override;
    void SetValue(int nValue) override;
    void Message(int nCode, int nValue) override;

    int GetPositionCount() const { return static_cast<int>(maValues.size()); }
    // The value the current position stands for (the position itself unless
    // message 5005 set another).
    int GetPositionValue() const;

protected:
    int FrameOf(int nPosition) const override;
    bool ResetModifierHeld() const override;

private:
    int ClampPosition(int nPosition) const;

    std::vector<int> maValues; // by position
    std::vector<int> maFrames; // by position, filled by message 5004
};
