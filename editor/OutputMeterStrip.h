// The output meter in the right half of the clipper row: a bar per channel
// for the sample peak (dBFS, -60 … 0) with a marker and a number for the
// peak held 1.5 s, and the short-term loudness in LUFS. Every tick it reads
// the meters and works out what it shows; it draws only when that changed,
// over what the toolkit drew (the area has no controls).
#pragma once

#include "toolkit/epiTypes.h"

#include <cstdint>
#include <string>

class CMeterReadings;
class epiAlphaFontsList;
class epiOffmap;

class COutputMeterStrip {
public:
    // Where the strip draws, in the clipper panel's coordinates (the skin
    // paints the box, the channel letters and the scale around it).
    static constexpr int kBarLeft = 580;
    static constexpr int kBarWidth = 240; // 4 pixels a dB
    static constexpr int kBarTop[2] = { 42, 56 };
    static constexpr int kBarHeight = 8;
    static constexpr int kTextRight = 876;
    static constexpr int kLufsTop = 86;
    static constexpr float kFloorDb = -60.0f;
    // How fast a bar falls after a peak.
    static constexpr float kFallDbPerSecond = 24.0f;
    // The strip moves at most this often (a 30-frames-a-second display):
    // drawn every 10 ms tick it would cost the editor twice its CPU.
    static constexpr uint32_t kFrameMillis = 33;
    // The parts Update reports changed.
    enum : unsigned { kBars = 1, kPeakTexts = 2, kLoudness = 4, kAll = 7 };

    // What the strip shows.
    struct SShown {
        int anBar[2]; // lit pixels of each bar
        int anHold[2]; // the held peak's marker, pixels from the left (-1 none)
        std::string asHold[2]; // the held peaks in dBFS ("-3.2", "-inf")
        std::string sLufs; // "-14.2 LUFS", "-- LUFS" for silence
        bool operator==(const SShown& other) const;
    };

    COutputMeterStrip(const CMeterReadings* pReadings, SEpiPoint origin);

    // Reads the meters at the time nMillis; the parts whose picture changed
    // (0 as well while a frame's time has not passed).
    unsigned Update(uint32_t nMillis);
    // The strip's rectangle in window coordinates, or that of some parts.
    SEpiRect GetRect(unsigned nParts = kAll) const;
    // Draws what Update worked out inside clip, over the panel's picture.
    void Draw(epiOffmap& map, const epiAlphaFontsList& fonts, const SEpiRect& clip) const;
    const SShown& GetShown() const { return mShown; }

    // The bar's pixels for a level in dBFS, and the texts.
    static int PixelsOf(float fDb);
    static std::string PeakText(float fLinear);
    static std::string LufsText(float fLufs);

private:
    const CMeterReadings* mpReadings; // not owned
    SEpiPoint mOrigin;
    float mafLevel[2]; // the bars' levels in dB, falling
    uint32_t mnLastMillis;
    bool mbStarted;
    SShown mShown;
};
