#include "toolkit/epiAlphaControl_knob.h"

#include <cstddef>

void epiAlphaControl_knob::Init()
{
    epiAlphaControl_rotary::Init();
    // Until told otherwise every frame is a position.
    maValues.resize(static_cast<size_t>(miFrameCount));
    for (int i = 0; i < miFrameCount; ++i)
        maValues[static_cast<size_t>(i)] = i;
    maFrames.clear();
}

bool epiAlphaControl_knob::ResetModifierHeld() const
{
    const IEpiInputState* pInput = GetInput();
    return pInput != nullptr && pInput->IsControlDown();
}

void epiAlphaControl_knob::MouseDown()
{
    epiAlphaControl_rotary::MouseDown();
    mbFineDrag = false; // Control means reset here
}

int epiAlphaControl_knob::ClampPosition(int nPosition) const
{
    const int n = GetPositionCount();
    return nPosition < 0 ? 0 : nPosition >= n ? (n > 0 ? n - 1 : 0) : nPosition;
}

bool epiAlphaControl_knob::Drag()
{
    if (!mbTracking)
        return false;
    const int v = GetInput()->GetPointer().v;
    if (v == miLastV)
        return false;
    miLastV = v;
    int nPosition;
    if (mbResetDrag) {
        if (mbResetDone)
            return false;
        mbResetDone = true;
        nPosition = ClampPosition(miResetValue);
    } else {
        nPosition = ClampPosition(miStartValue - (v - miStartV) / kPixelsPerPosition);
    }
    if (nPosition == miValue)
        return false;
    SetValue(nPosition);
    return true;
}

void epiAlphaControl_knob::SetValue(int nValue)
{
    miValue = ClampPosition(nValue);
    ShowFrame(miValue, false);
}

void epiAlphaControl_knob::Message(int nCode, int nValue)
{
    switch (nCode) {
    case kEpiMsgKnobPositions:
        if (nValue < 1)
            return;
        maValues.resize(static_cast<size_t>(nValue));
        for (int i = 0; i < nValue; ++i)
            maValues[static_cast<size_t>(i)] = i;
        maFrames.clear();
        miValue = ClampPosition(miValue);
        break;
    case kEpiMsgKnobValue:
        if (!maValues.empty())
            maValues[static_cast<size_t>(ClampPosition(miValue))] = nValue;
        break;
    case kEpiMsgKnobFrame:
        if (maFrames.size() < maValues.size()) {
            maFrames.push_back(nValue);
            if (maFrames.size() == maValues.size())
                ShowFrame(miValue, false);
        }
        break;
    default: epiAlphaControl_rotary::Message(nCode, nValue); break;
    }
}

int epiAlphaControl_knob::GetPositionValue() const
{
    return maValues.empty() ? miValue : maValues[static_cast<size_t>(ClampPosition(miValue))];
}

int epiAlphaControl_knob::FrameOf(int nPosition) const
{
    const int p = ClampPosition(nPosition);
    if (!maFrames.empty() && maFrames.size() == maValues.size())
        return ClampFrame(maFrames[static_cast<size_t>(p)]);
    // Positions spread over the strip until their frames are given.
    const int n = GetPositionCount();
    return n > 1 ? ClampFrame(p * (miFrameCount - 1) / (n - 1)) : 0;
}
