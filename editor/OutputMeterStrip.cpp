#include "OutputMeterStrip.h"

#include "VUMeter.h"
#include "processor/IVantorProcess.h"
#include "toolkit/epiAlphaFontsList.h"
#include "toolkit/epiBlit.h"
#include "toolkit/epiOffmap.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr float kSilentDb = -200.0f;

float DbOf(float fLinear)
{
    return fLinear > 0.0f && std::isfinite(fLinear) ? 20.0f * std::log10(fLinear) : kSilentDb;
}

SEpiRect Rect(int left, int top, int right, int bottom)
{
    return SEpiRect { static_cast<int16_t>(left), static_cast<int16_t>(top), static_cast<int16_t>(right),
        static_cast<int16_t>(bottom) };
}

} // namespace

bool COutputMeterStrip::SShown::operator==(const SShown& other) const
{
    return anBar[0] == other.anBar[0] && anBar[1] == other.anBar[1] && anHold[0] == other.anHold[0]
        && anHold[1] == other.anHold[1] && asHold[0] == other.asHold[0] && asHold[1] == other.asHold[1]
        && sLufs == other.sLufs;
}

COutputMeterStrip::COutputMeterStrip(const CMeterReadings* pReadings, SEpiPoint origin)
    : mpReadings(pReadings)
    , mOrigin(origin)
    , mafLevel { kSilentDb, kSilentDb }
    , mnLastMillis(0)
    , mbStarted(false)
    , mShown { { 0, 0 }, { -1, -1 }, { "", "" }, "" }
{ }

int COutputMeterStrip::PixelsOf(float fDb)
{
    if (fDb <= kFloorDb)
        return 0;
    return std::min(kBarWidth, static_cast<int>(std::lround((fDb - kFloorDb) / -kFloorDb * kBarWidth)));
}

std::string COutputMeterStrip::PeakText(float fLinear)
{
    const float fDb = DbOf(fLinear);
    if (fDb <= -100.0f)
        return "-inf";
    char acText[16];
    std::snprintf(acText, sizeof acText, "%+.1f", static_cast<double>(fDb));
    return std::string(acText[0] == '+' && fDb < 0.05f ? acText + 1 : acText);
}

std::string COutputMeterStrip::LufsText(float fLufs)
{
    if (!(fLufs > -70.0f))
        return "-- LUFS";
    char acText[24];
    std::snprintf(acText, sizeof acText, "%.1f LUFS", static_cast<double>(fLufs));
    return acText;
}

unsigned COutputMeterStrip::Update(uint32_t nMillis)
{
    // The peak readings keep their highest until they are read.
    if (mbStarted && nMillis - mnLastMillis < kFrameMillis)
        return 0;
    const float fSeconds = mbStarted ? static_cast<float>(nMillis - mnLastMillis) / 1000.0f : 0.0f;
    mbStarted = true;
    mnLastMillis = nMillis;
    SShown shown = mShown;
    for (int ch = 0; ch < 2; ++ch) {
        // Up at once, down at a steady rate.
        const float fPeak = DbOf(mpReadings->Read(kMeterPeakLeft + static_cast<unsigned>(ch)));
        mafLevel[ch] = std::max(fPeak, std::max(mafLevel[ch] - kFallDbPerSecond * fSeconds, kSilentDb));
        shown.anBar[ch] = PixelsOf(mafLevel[ch]);
        const float fHeld = mpReadings->Read(kMeterHeldPeakLeft + static_cast<unsigned>(ch));
        const float fHeldDb = DbOf(fHeld);
        shown.anHold[ch] = fHeldDb > kFloorDb ? std::max(PixelsOf(fHeldDb) - 1, 0) : -1;
        shown.asHold[ch] = PeakText(fHeld);
    }
    shown.sLufs = LufsText(mpReadings->Read(kMeterShortTermLufs));
    unsigned nChanged = 0;
    for (int ch = 0; ch < 2; ++ch) {
        if (shown.anBar[ch] != mShown.anBar[ch] || shown.anHold[ch] != mShown.anHold[ch])
            nChanged |= kBars;
        if (shown.asHold[ch] != mShown.asHold[ch])
            nChanged |= kPeakTexts;
    }
    if (shown.sLufs != mShown.sLufs)
        nChanged |= kLoudness;
    mShown = shown;
    return nChanged;
}

SEpiRect COutputMeterStrip::GetRect(unsigned nParts) const
{
    const int x0 = mOrigin.h + kBarLeft;
    const SEpiRect parts[3] = {
        Rect(x0, mOrigin.v + kBarTop[0], x0 + kBarWidth + 2, mOrigin.v + kBarTop[1] + kBarHeight),
        // The held peaks' numbers right of the bars, the loudness below.
        Rect(x0 + kBarWidth + 4, mOrigin.v + kBarTop[0] - 2, mOrigin.h + kTextRight + 2,
            mOrigin.v + kBarTop[1] + kBarHeight + 2),
        Rect(x0, mOrigin.v + kLufsTop, mOrigin.h + kTextRight + 2, mOrigin.v + kLufsTop + 14),
    };
    SEpiRect rect { 0, 0, 0, 0 };
    for (unsigned n = 0; n < 3; ++n)
        if ((nParts & (1u << n)) != 0)
            rect = EpiUnion(rect, parts[n]);
    return rect;
}

void COutputMeterStrip::Draw(epiOffmap& map, const epiAlphaFontsList& fonts, const SEpiRect& clip) const
{
    const int x0 = mOrigin.h + kBarLeft;
    const SEpiRect texts = EpiIntersect(clip, GetRect(kPeakTexts));
    const SEpiRect lufs = EpiIntersect(clip, GetRect(kLoudness));
    auto fill = [&](const SEpiRect& rect, uint8_t r, uint8_t g, uint8_t b) {
        const SEpiRect area = EpiIntersect(rect, clip);
        if (!area.IsEmpty())
            EpiFillRect(map, area, r, g, b);
    };
    const uint16_t nInk = EpiPack555(0xD8, 0xDC, 0xE2);
    for (int ch = 0; ch < 2; ++ch) {
        const int y = mOrigin.v + kBarTop[ch];
        const int nLit = mShown.anBar[ch];
        // Green up to -6 dBFS, amber above.
        const int nAmber = PixelsOf(-6.0f);
        fill(Rect(x0, y, x0 + kBarWidth, y + kBarHeight), 0x0C, 0x0D, 0x0F);
        fill(Rect(x0, y, x0 + std::min(nLit, nAmber), y + kBarHeight), 0x3C, 0xB8, 0x50);
        if (nLit > nAmber)
            fill(Rect(x0 + nAmber, y, x0 + nLit, y + kBarHeight), 0xE8, 0xB0, 0x30);
        if (mShown.anHold[ch] >= 0) {
            // Red once a peak reached full scale.
            const bool bFull = mShown.anHold[ch] >= kBarWidth - 1;
            fill(Rect(x0 + mShown.anHold[ch], y, x0 + mShown.anHold[ch] + 2, y + kBarHeight), 0xF0, bFull ? 0x40 : 0xF0,
                bFull ? 0x30 : 0xF0);
        }
        const int nTextY = y + (kBarHeight - fonts.GetHeight(1)) / 2;
        fonts.DrawColoured(1, &map, mShown.asHold[ch].c_str(), mOrigin.h + kTextRight, nTextY, 2, 0, texts, nInk);
    }
    fonts.DrawColoured(1, &map, mShown.sLufs.c_str(), mOrigin.h + kTextRight, mOrigin.v + kLufsTop + 1, 2, 0, lufs,
        EpiPack555(0xF0, 0xB8, 0x40));
}
