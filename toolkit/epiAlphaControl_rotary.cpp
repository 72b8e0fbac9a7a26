#include "toolkit/epiAlphaControl_rotary.h"

#include "toolkit/EpiCasts.h"
#include "toolkit/epiBlit.h"
#include "toolkit/epiPanel.h"

#include <cmath>
#include <cstdlib>

epiAlphaControl_rotary::epiAlphaControl_rotary()
    : miFrameCount(1)
    , miFrameHeight(0)
    , mbRange(false)
    , miMinimum(0)
    , miMaximum(0)
    , mfFramesPerUnit(0.0)
    , miCoarseStep(1)
    , miFineStep(1)
    , mbResetOn(false)
    , miResetValue(0)
    , mbAnimate(false)
    , mbTracking(false)
    , miStartV(0)
    , miLastV(0)
    , miStartValue(0)
    , mbResetDrag(false)
    , mbResetDone(false)
    , mbFineDrag(false)
    , miShownFrame(0)
    , miFromFrame(0)
    , miTargetFrame(0)
    , mnDuration(0)
    , mnLastTick(0)
{ }

void epiAlphaControl_rotary::Init()
{
    const EpiOneCast* pFrame = CastOf(0);
    const EpiOneCast* pStrip = CastOf(1);
    miFrameHeight = pFrame != nullptr ? pFrame->GetHeight() : mBounds.Height();
    miFrameCount = pStrip != nullptr && miFrameHeight > 0 ? pStrip->GetHeight() / miFrameHeight : 1;
    if (miFrameCount < 1)
        miFrameCount = 1;
    miValue = 0;
    miShownFrame = 0;
}

bool epiAlphaControl_rotary::Click()
{
    return mbEnabled && PointerInside();
}

// A double-click puts the value where the panel asked (its default); the
// press then tracks from there as usual.
bool epiAlphaControl_rotary::DoubleClick()
{
    if (!mbDoubleClickOn || !mbEnabled || !PointerInside())
        return false;
    SetValue(miDoubleClickValue);
    return true;
}

void epiAlphaControl_rotary::MouseDown()
{
    mbTracking = false;
    if (!mbEnabled || !PointerInside())
        return;
    const IEpiInputState* pInput = GetInput();
    mbTracking = true;
    miStartV = miLastV = pInput->GetPointer().v;
    miStartValue = miValue;
    mbResetDrag = mbResetOn && ResetModifierHeld();
    mbResetDone = false;
    mbFineDrag = mbRange && pInput->IsControlDown();
}

bool epiAlphaControl_rotary::ResetModifierHeld() const
{
    const IEpiInputState* pInput = GetInput();
    return pInput != nullptr && pInput->IsAltDown();
}

bool epiAlphaControl_rotary::Drag()
{
    if (!mbTracking)
        return false;
    const int v = GetInput()->GetPointer().v;
    if (v == miLastV)
        return false;
    miLastV = v;
    int nValue;
    if (mbResetDrag) {
        if (mbResetDone)
            return false;
        mbResetDone = true;
        nValue = miResetValue;
    } else if (!mbRange) {
        // Two pixels per frame; the division truncates toward zero.
        nValue = ClampFrame(miStartValue - (v - miStartV) / 2);
    } else {
        const long nStep = mbFineDrag ? miFineStep : miCoarseStep;
        long n = miStartValue - static_cast<long>(v - miStartV) * nStep;
        n = n < miMinimum ? miMinimum : n > miMaximum ? miMaximum : n;
        nValue = static_cast<int>(n);
    }
    if (nValue == miValue)
        return false;
    miValue = nValue;
    ShowFrame(nValue, true);
    return true;
}

bool epiAlphaControl_rotary::MouseUp()
{
    const bool bWas = mbTracking;
    mbTracking = false;
    return bWas;
}

void epiAlphaControl_rotary::SetValue(int nValue)
{
    miValue = nValue;
    ShowFrame(nValue, false);
}

void epiAlphaControl_rotary::SetProperty(uint32_t nCode, int a, int b)
{
    if (nCode == kRange) {
        if (b == a)
            return;
        mbRange = true;
        miMinimum = a < b ? a : b;
        miMaximum = a < b ? b : a;
        mfFramesPerUnit = static_cast<double>(miFrameCount) / (miMaximum - miMinimum);
        ShowFrame(miValue, false);
    } else if (nCode == kSteps) {
        miCoarseStep = a;
        miFineStep = b;
    } else if (nCode == kReset || nCode == kDefault) {
        miResetValue = a;
        mbResetOn = true;
    } else if (nCode == kAnimate) {
        mbAnimate = a != 0;
    } else if (nCode == kDoubleClick) {
        miDoubleClickValue = a;
        mbDoubleClickOn = true;
    }
}

int epiAlphaControl_rotary::ClampFrame(int nFrame) const
{
    return nFrame < 0 ? 0 : nFrame >= miFrameCount ? miFrameCount - 1 : nFrame;
}

int epiAlphaControl_rotary::FrameOf(int nValue) const
{
    if (!mbRange)
        return ClampFrame(nValue);
    const int n = nValue < miMinimum ? miMinimum : nValue > miMaximum ? miMaximum : nValue;
    return ClampFrame(static_cast<int>(std::floor((n - miMinimum) * mfFramesPerUnit)));
}

void epiAlphaControl_rotary::ShowFrame(int nValue, bool bFast)
{
    const int nTarget = FrameOf(nValue);
    if (!mbAnimate) {
        miShownFrame = miTargetFrame = nTarget;
        mbAnimating = false;
        Invalidate();
        return;
    }
    if (nTarget == miShownFrame && !mbAnimating)
        return;
    const int nDistance = std::abs(nTarget - miShownFrame);
    miFromFrame = miShownFrame;
    miTargetFrame = nTarget;
    mnDuration = bFast ? 25 : nDistance > 20 ? 125 : 50;
    const uint32_t nNow = Now();
    mMoveTimer.Start(nNow);
    mTickTimer.Start(nNow);
    mbAnimating = true;
}

void epiAlphaControl_rotary::Tick()
{
    if (!mbAnimating)
        return;
    const uint32_t nNow = Now();
    const uint32_t nGap = mTickTimer.Elapsed(nNow);
    mTickTimer.Start(nNow);
    // A long pause (a busy host) does not make the knob leap.
    if (nGap > 125)
        mMoveTimer.Shift(125);
    const uint32_t nElapsed = mMoveTimer.Elapsed(nNow);
    int nFrame;
    if (static_cast<int32_t>(nElapsed) >= static_cast<int32_t>(mnDuration)) {
        nFrame = miTargetFrame;
        mbAnimating = false;
    } else {
        const int nDistance = miTargetFrame - miFromFrame;
        nFrame
            = miFromFrame + static_cast<int>(static_cast<int64_t>(nElapsed) * nDistance / static_cast<int>(mnDuration));
        if (std::abs(nFrame - miShownFrame) >= 21) {
            // Too big a step for one tick: the time of this tick is not counted.
            mMoveTimer.Shift(nGap);
            return;
        }
    }
    if (nFrame != miShownFrame) {
        miShownFrame = nFrame;
        Invalidate();
    }
}

void epiAlphaControl_rotary::Draw(epiOffmap& target, const SEpiRect& clip)
{
    EpiOneCast* pStrip = CastOf(1);
    EpiOneCast* pFrame = CastOf(0);
    if (pStrip == nullptr || !pStrip->IsColourLoaded() || miFrameHeight <= 0)
        return;
    const int nFrame = ClampFrame(miShownFrame);
    const int w = mBounds.Width() < pStrip->GetWidth() ? mBounds.Width() : pStrip->GetWidth();
    const SEpiRect source { 0, static_cast<int16_t>(nFrame * miFrameHeight), static_cast<int16_t>(w),
        static_cast<int16_t>((nFrame + 1) * miFrameHeight) };
    const SEpiRect destination { mBounds.left, mBounds.top, static_cast<int16_t>(mBounds.left + w),
        static_cast<int16_t>(mBounds.top + miFrameHeight) };
    const int nDim = mbEnabled ? 0 : kDisabledDim;
    if (pStrip->IsMaskLoaded()) {
        EpiBlitClipped(pStrip->GetColourMap(), source, target, destination, clip, &pStrip->GetMaskMap(), &source, nDim);
    } else if (pFrame != nullptr && pFrame->IsMaskLoaded()) {
        const SEpiRect whole = pFrame->GetBounds();
        EpiBlitClipped(pStrip->GetColourMap(), source, target, destination, clip, &pFrame->GetMaskMap(), &whole, nDim);
    } else {
        EpiBlitClipped(pStrip->GetColourMap(), source, target, destination, clip, nullptr, nullptr, nDim);
    }
}
