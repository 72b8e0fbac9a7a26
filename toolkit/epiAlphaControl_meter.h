// Meters that only show a value.
//
// Bar meter (kind 307) and segment meter (311): the value is clamped between
// two limits (either order; item parameters 2 and 3, or "roMx"); the cast of
// slot 0 is shown from the leading edge (left, or bottom when parameter 4 is
// not 0) over a length in proportion, over the cast of slot 1 when there is
// one (both stretched over the control). LED meter (309): the value is clamped to 0 … count − 1 (parameter 2)
// and value + 1 copies of the LED cast (slot 0) are stacked upwards from the
// bottom edge, one per pitch (parameter 3, else the cast's height), through
// the LED's mask.
#pragma once

#include "toolkit/epiAlphaControl.h"

class epiAlphaControl_meter : public epiAlphaControl {
public:
    static constexpr uint32_t kLimits = EpiTypeCode("roMx");

    void Init() override;
    void SetValue(int nValue) override;
    void SetProperty(uint32_t nCode, int a, int b) override;
    void Draw(epiOffmap& target, const SEpiRect& clip) override;

protected:
    int miFirst = 0;
    int miSecond = 100;
    bool mbVertical = false;
};

class epiAlphaControl_segmentMeter : public epiAlphaControl_meter { };

class epiAlphaControl_ledMeter : public epiAlphaControl {
public:
    void Init() override;
    void SetValue(int nValue) override;
    void Draw(epiOffmap& target, const SEpiRect& clip) override;

    int GetCount() const { return miCount; }

private:
    int miCount = 1;
    int miPitch = 0;
};
