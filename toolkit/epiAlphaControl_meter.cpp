#include "toolkit/epiAlphaControl_meter.h"

#include "toolkit/EpiCasts.h"
#include "toolkit/epiBlit.h"

#include <algorithm>

void epiAlphaControl_meter::Init()
{
    if (maiParams[1] != maiParams[2]) {
        miFirst = maiParams[1];
        miSecond = maiParams[2];
    }
    mbVertical = maiParams[3] != 0;
    miValue = std::min(miFirst, miSecond);
}

void epiAlphaControl_meter::SetProperty(uint32_t nCode, int a, int b)
{
    if (nCode == kLimits && a != b) {
        miFirst = a;
        miSecond = b;
        SetValue(miValue);
        Invalidate();
    } else {
        epiAlphaControl::SetProperty(nCode, a, b);
    }
}

void epiAlphaControl_meter::SetValue(int nValue)
{
    nValue = std::clamp(nValue, std::min(miFirst, miSecond), std::max(miFirst, miSecond));
    if (nValue != miValue) {
        miValue = nValue;
        Invalidate();
    }
}

void epiAlphaControl_meter::Draw(epiOffmap& target, const SEpiRect& clip)
{
    const int nDim = mbEnabled ? 0 : kDisabledDim;
    EpiOneCast* pUnlit = CastOf(1);
    if (pUnlit != nullptr && pUnlit->IsColourLoaded())
        EpiBlitClipped(pUnlit->GetColourMap(), pUnlit->GetBounds(), target, mBounds, clip,
            pUnlit->IsMaskLoaded() ? &pUnlit->GetMaskMap() : nullptr, nullptr, nDim);
    if (miSecond == miFirst)
        return;
    const int nSize = mbVertical ? mBounds.Height() : mBounds.Width();
    const int nLength = static_cast<int>(static_cast<int64_t>(nSize) * (miValue - miFirst) / (miSecond - miFirst));
    SEpiRect lit = mBounds;
    if (mbVertical)
        lit.top = static_cast<int16_t>(mBounds.bottom - nLength);
    else
        lit.right = static_cast<int16_t>(mBounds.left + nLength);
    // The bar's picture covers the whole control; only the lit part shows.
    EpiOneCast* pBar = CastOf(0);
    if (pBar != nullptr && pBar->IsColourLoaded() && !lit.IsEmpty())
        EpiBlitClipped(pBar->GetColourMap(), pBar->GetBounds(), target, mBounds, EpiIntersect(clip, lit),
            pBar->IsMaskLoaded() ? &pBar->GetMaskMap() : nullptr, nullptr, nDim);
}

void epiAlphaControl_ledMeter::Init()
{
    miCount = std::max<int>(1, maiParams[1]);
    miPitch = maiParams[2];
    miValue = 0;
}

void epiAlphaControl_ledMeter::SetValue(int nValue)
{
    nValue = std::clamp(nValue, 0, miCount - 1);
    if (nValue != miValue) {
        miValue = nValue;
        Invalidate();
    }
}

void epiAlphaControl_ledMeter::Draw(epiOffmap& target, const SEpiRect& clip)
{
    EpiOneCast* pLed = CastOf(0);
    if (pLed == nullptr || !pLed->IsColourLoaded())
        return;
    const int nPitch = miPitch > 0 ? miPitch : pLed->GetHeight();
    const SEpiRect source = pLed->GetBounds();
    for (int i = 0; i <= miValue; ++i) {
        const int y = mBounds.bottom - pLed->GetHeight() - i * nPitch;
        const SEpiRect destination { mBounds.left, static_cast<int16_t>(y),
            static_cast<int16_t>(mBounds.left + source.Width()), static_cast<int16_t>(y + source.Height()) };
        EpiBlitClipped(pLed->GetColourMap(), source, target, destination, EpiIntersect(clip, mBounds),
            pLed->IsMaskLoaded() ? &pLed->GetMaskMap() : nullptr, nullptr, mbEnabled ? 0 : kDisabledDim);
    }
}
