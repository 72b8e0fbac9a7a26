// A picture that takes no events (kind 300), and the range (kind 310): a
// static whose value picks which of its frame casts it shows.
#pragma once

#include "toolkit/epiAlphaControl.h"

class epiAlphaControl_static : public epiAlphaControl { };

class epiAlphaControl_range : public epiAlphaControl_static {
public:
    // The value, clamped to the frames that have a cast, is the frame shown.
    void SetValue(int nValue) override;
    int GetValue() const override { return miValue; }
};
