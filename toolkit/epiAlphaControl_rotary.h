// A film-strip rotary (kind 306): cast slot 0 is one frame (its size is the
// control's), slot 1 the strip of frames stacked vertically. Dragging up
// raises the value. Without a range the value is the frame shown (two pixels
// per frame); with a range ("roMx") the value moves by the coarse step per
// pixel, or the fine step with Control held, and picks the frame in
// proportion.
#pragma once

#include "toolkit/epiAlphaControl.h"
#include "toolkit/epiInputState.h"

class epiAlphaControl_rotary : public epiAlphaControl {
public:
    static constexpr uint32_t kRange = EpiTypeCode("roMx"); // a minimum, b maximum
    static constexpr uint32_t kSteps = EpiTypeCode("roSt"); // a coarse, b fine per pixel
    static constexpr uint32_t kReset = EpiTypeCode("roDe"); // a the reset value
    static constexpr uint32_t kDefault = EpiTypeCode("clDf"); // the same
    static constexpr uint32_t kAnimate = EpiTypeCode("roAn"); // a != 0: animate
    static constexpr uint32_t kDoubleClick = EpiTypeCode("roDc"); // a the value a double-click sets

    epiAlphaControl_rotary();

    void Init() override;
    bool Click() override;
    bool DoubleClick() override;
    void MouseDown() override;
    bool Drag() override;
    bool MouseUp() override;
    void Tick() override;
    void SetValue(int nValue) override;
    void SetProperty(uint32_t nCode, int a, int b) override;
    void Draw(epiOffmap& target, const SEpiRect& clip) override;
    void ShowFrame(int nValue, bool bFast) override;

    int GetFrameCount() const { return miFrameCount; }
    int GetFrameHeight() const { return miFrameHeight; }
    // The frame on screen (it trails the value while animating).
    int GetShownFrame() const { return miShownFrame; }

protected:
    // The frame that shows a value, clamped to the strip.
    virtual int FrameOf(int nValue) const;
    // The modifier that turns a drag into a reset: Alt for the rotary.
    virtual bool ResetModifierHeld() const;
    int ClampFrame(int nFrame) const;

    int miFrameCount;
    int miFrameHeight;
    bool mbRange;
    int miMinimum;
    int miMaximum;
    double mfFramesPerUnit;
    int miCoarseStep;
    int miFineStep;
    bool mbResetOn;
    int miResetValue;
    bool mbAnimate;
    bool mbDoubleClickOn = false;
    int miDoubleClickValue = 0;

    // Tracking.
    bool mbTracking;
    int miStartV;
    int miLastV;
    int miStartValue;
    bool mbResetDrag;
    bool mbResetDone;
    bool mbFineDrag;

    // Animation from miFromFrame to miTargetFrame over mnDuration ms.
    int miShownFrame;
    int miFromFrame;
    int miTargetFrame;
    uint32_t mnDuration;
    uint32_t mnLastTick;
    epiMillisecsTimer mMoveTimer;
    epiMillisecsTimer mTickTimer;
};
