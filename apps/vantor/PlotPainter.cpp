#include "PlotPainter.h"

#include <cairo.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <tuple>
#include <unistd.h>

namespace {

struct SColour {
    double r, g, b;
};
constexpr SColour kBefore { 0.45, 0.60, 0.85 };
constexpr SColour kAfter { 0.93, 0.47, 0.05 };
constexpr SColour kTarget { 0.15, 0.60, 0.25 };
constexpr SColour kPeak { 0.80, 0.12, 0.12 };
constexpr SColour kCeiling { 0.45, 0.0, 0.0 };
constexpr SColour kCompressor { 0.50, 0.28, 0.78 };
constexpr SColour kLimiter { 0.0, 0.55, 0.55 };

constexpr double kLeft = 78.0, kRight = 24.0, kTitleHeight = 58.0, kGap = 30.0, kAxisHeight = 46.0;

void SetColour(cairo_t* pCairo, const SColour& colour)
{
    cairo_set_source_rgb(pCairo, colour.r, colour.g, colour.b);
}

// "m:ss", or "h:mm:ss" from an hour on.
std::string ClockText(double fSeconds)
{
    const long long nSeconds = std::llround(fSeconds);
    char buffer[32];
    if (nSeconds >= 3600)
        std::snprintf(buffer, sizeof(buffer), "%lld:%02lld:%02lld", nSeconds / 3600, nSeconds / 60 % 60, nSeconds % 60);
    else
        std::snprintf(buffer, sizeof(buffer), "%lld:%02lld", nSeconds / 60, nSeconds % 60);
    return buffer;
}

// A legend entry: a short line in the colour, then the text; returns the x
// after it.
double LegendEntry(cairo_t* pCairo, double x, double y, const SColour& colour, bool bDashed, const char* pszText)
{
    SetColour(pCairo, colour);
    cairo_set_line_width(pCairo, 2.5);
    const double dash[2] = { 6.0, 4.0 };
    cairo_set_dash(pCairo, dash, bDashed ? 2 : 0, 0.0);
    cairo_move_to(pCairo, x, y - 4.0);
    cairo_line_to(pCairo, x + 22.0, y - 4.0);
    cairo_stroke(pCairo);
    cairo_set_dash(pCairo, nullptr, 0, 0.0);
    cairo_set_source_rgb(pCairo, 0.15, 0.15, 0.15);
    cairo_move_to(pCairo, x + 28.0, y);
    cairo_show_text(pCairo, pszText);
    cairo_text_extents_t extents;
    cairo_text_extents(pCairo, pszText, &extents);
    return x + 28.0 + extents.x_advance + 18.0;
}

} // namespace

CPlotPainter::CPlotPainter(const SPlotData& data)
    : mData(data)
    , mfSeconds(std::max(data.fSeconds, 1.0))
{
    const double fWidth = kWidth - kLeft - kRight;
    const double fSpace = kHeight - kTitleHeight - kAxisHeight - 2.0 * kGap;
    double fTop = kTitleHeight;
    mLoudness = { kLeft, fTop, fWidth, fSpace * 0.44, kLoudnessTop, kLoudnessBottom, 6.0 };
    fTop += mLoudness.fHeight + kGap;
    mPeak = { kLeft, fTop, fWidth, fSpace * 0.28, kPeakTop, kPeakBottom, 3.0 };
    fTop += mPeak.fHeight + kGap;
    double fDeepest = 0.0;
    for (const CTimeSeries* pSeries : { &data.gains.compressor, &data.gains.limiter }) {
        for (double f : pSeries->GetValues())
            fDeepest = std::isfinite(f) ? std::max(fDeepest, f) : fDeepest;
    }
    const double fBottom = std::max(12.0, 6.0 * std::ceil(std::min(fDeepest, 60.0) / 6.0));
    mReduction = { kLeft, fTop, fWidth, fSpace * 0.28, 0.0, -fBottom, fBottom > 24.0 ? 6.0 : 3.0 };
}

double CPlotPainter::X(double fSeconds) const
{
    return kLeft + std::clamp(fSeconds / mfSeconds, 0.0, 1.0) * mLoudness.fWidth;
}

void CPlotPainter::PaintPanel(cairo_t* pCairo, const SPlotPanel& panel, const char* pszUnit, const char* pszTitle) const
{
    cairo_set_source_rgb(pCairo, 0.975, 0.975, 0.975);
    cairo_rectangle(pCairo, panel.fLeft, panel.fTop, panel.fWidth, panel.fHeight);
    cairo_fill(pCairo);
    cairo_set_font_size(pCairo, 12.0);
    cairo_set_line_width(pCairo, 1.0);
    const double fRange = panel.fHighest - panel.fLowest;
    for (double f = panel.fLowest; f <= panel.fHighest + 1e-9; f += panel.fTick) {
        const double y = std::round(panel.fTop + (panel.fHighest - f) / fRange * panel.fHeight) + 0.5;
        cairo_set_source_rgb(pCairo, 0.85, 0.85, 0.85);
        cairo_move_to(pCairo, panel.fLeft, y);
        cairo_line_to(pCairo, panel.fLeft + panel.fWidth, y);
        cairo_stroke(pCairo);
        char szLabel[16];
        std::snprintf(szLabel, sizeof(szLabel), "%g", f == 0.0 ? 0.0 : f);
        cairo_text_extents_t extents;
        cairo_text_extents(pCairo, szLabel, &extents);
        cairo_set_source_rgb(pCairo, 0.3, 0.3, 0.3);
        cairo_move_to(pCairo, panel.fLeft - 8.0 - extents.x_advance, y + 4.0);
        cairo_show_text(pCairo, szLabel);
    }
    // The unit beside the scale, turned.
    cairo_save(pCairo);
    cairo_set_font_size(pCairo, 13.0);
    cairo_text_extents_t extents;
    cairo_text_extents(pCairo, pszUnit, &extents);
    cairo_move_to(pCairo, 22.0, panel.fTop + panel.fHeight / 2.0 + extents.x_advance / 2.0);
    cairo_rotate(pCairo, -M_PI / 2.0);
    cairo_set_source_rgb(pCairo, 0.15, 0.15, 0.15);
    cairo_show_text(pCairo, pszUnit);
    cairo_restore(pCairo);
    cairo_select_font_face(pCairo, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(pCairo, 13.0);
    cairo_set_source_rgb(pCairo, 0.15, 0.15, 0.15);
    cairo_move_to(pCairo, panel.fLeft, panel.fTop - 8.0);
    cairo_show_text(pCairo, pszTitle);
    cairo_select_font_face(pCairo, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
}

// One series as a line in the current colour; fSign -1 draws dB of
// reduction downwards. Values beyond the scale stay on its edge; silence
// (-inf) lies on the bottom edge. With pfFillTo, the area between the line
// and that value is shaded too, which keeps dense, jagged readings legible.
void CPlotPainter::PaintCurve(
    cairo_t* pCairo, const SPlotPanel& panel, const CTimeSeries& series, double fSign, const double* pfFillTo) const
{
    const std::vector<double> values = series.GetValues();
    const double fStep = series.GetStepSeconds();
    const double fRange = panel.fHighest - panel.fLowest;
    cairo_save(pCairo);
    cairo_rectangle(pCairo, panel.fLeft, panel.fTop - 1.0, panel.fWidth, panel.fHeight + 2.0);
    cairo_clip(pCairo);
    cairo_set_line_width(pCairo, 2.0);
    cairo_set_line_join(pCairo, CAIRO_LINE_JOIN_ROUND);
    for (size_t n = 0; n < values.size(); ++n) {
        const double fValue = std::isfinite(values[n]) ? fSign * values[n] : panel.fLowest;
        const double fClamped = std::clamp(fValue, panel.fLowest, panel.fHighest);
        const double x = X(static_cast<double>(n + 1) * fStep);
        const double y = panel.fTop + (panel.fHighest - fClamped) / fRange * panel.fHeight;
        if (n == 0)
            cairo_move_to(pCairo, X(0.0), y);
        cairo_line_to(pCairo, x, y);
    }
    if (pfFillTo != nullptr && !values.empty()) {
        cairo_path_t* pPath = cairo_copy_path(pCairo);
        const double fBase = std::clamp(*pfFillTo, panel.fLowest, panel.fHighest);
        const double yBase = panel.fTop + (panel.fHighest - fBase) / fRange * panel.fHeight;
        cairo_line_to(pCairo, X(static_cast<double>(values.size()) * fStep), yBase);
        cairo_line_to(pCairo, X(0.0), yBase);
        cairo_close_path(pCairo);
        cairo_pattern_t* pColour = cairo_get_source(pCairo);
        double r, g, b, a;
        cairo_pattern_get_rgba(pColour, &r, &g, &b, &a);
        cairo_set_source_rgba(pCairo, r, g, b, 0.18);
        cairo_fill(pCairo);
        cairo_set_source_rgb(pCairo, r, g, b);
        cairo_append_path(pCairo, pPath);
        cairo_path_destroy(pPath);
        cairo_set_line_width(pCairo, 1.3);
    }
    cairo_stroke(pCairo);
    cairo_restore(pCairo);
}

void CPlotPainter::PaintLevel(cairo_t* pCairo, const SPlotPanel& panel, double fValue) const
{
    const double fClamped = std::clamp(fValue, panel.fLowest, panel.fHighest);
    const double y = panel.fTop + (panel.fHighest - fClamped) / (panel.fHighest - panel.fLowest) * panel.fHeight;
    const double dash[2] = { 8.0, 5.0 };
    cairo_set_dash(pCairo, dash, 2, 0.0);
    cairo_set_line_width(pCairo, 1.5);
    cairo_move_to(pCairo, panel.fLeft, y);
    cairo_line_to(pCairo, panel.fLeft + panel.fWidth, y);
    cairo_stroke(pCairo);
    cairo_set_dash(pCairo, nullptr, 0, 0.0);
}

void CPlotPainter::PaintTimeAxis(cairo_t* pCairo) const
{
    // A step that gives at most 12 labels.
    static const double kSteps[] = { 1, 2, 5, 10, 15, 30, 60, 120, 300, 600, 900, 1800, 3600, 7200 };
    double fStep = kSteps[sizeof(kSteps) / sizeof(kSteps[0]) - 1];
    for (double f : kSteps) {
        if (mfSeconds / f <= 12.0) {
            fStep = f;
            break;
        }
    }
    const double fBottom = mReduction.fTop + mReduction.fHeight;
    cairo_set_font_size(pCairo, 12.0);
    for (double t = 0.0; t <= mfSeconds + 1e-9; t += fStep) {
        const double x = std::round(X(t)) + 0.5;
        cairo_set_source_rgb(pCairo, 0.85, 0.85, 0.85);
        cairo_set_line_width(pCairo, 1.0);
        for (const SPlotPanel* pPanel : { &mLoudness, &mPeak, &mReduction }) {
            cairo_move_to(pCairo, x, pPanel->fTop);
            cairo_line_to(pCairo, x, pPanel->fTop + pPanel->fHeight);
        }
        cairo_stroke(pCairo);
        const std::string sLabel = ClockText(t);
        cairo_text_extents_t extents;
        cairo_text_extents(pCairo, sLabel.c_str(), &extents);
        cairo_set_source_rgb(pCairo, 0.3, 0.3, 0.3);
        cairo_move_to(pCairo, x - extents.x_advance / 2.0, fBottom + 17.0);
        cairo_show_text(pCairo, sLabel.c_str());
    }
    cairo_set_font_size(pCairo, 13.0);
    const char* pszCaption = "time (minutes:seconds)";
    cairo_text_extents_t extents;
    cairo_text_extents(pCairo, pszCaption, &extents);
    cairo_set_source_rgb(pCairo, 0.15, 0.15, 0.15);
    cairo_move_to(pCairo, kLeft + mLoudness.fWidth / 2.0 - extents.x_advance / 2.0, fBottom + 38.0);
    cairo_show_text(pCairo, pszCaption);
}

void CPlotPainter::Paint(cairo_t* pCairo) const
{
    cairo_set_source_rgb(pCairo, 1.0, 1.0, 1.0);
    cairo_paint(pCairo);
    cairo_select_font_face(pCairo, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
    cairo_set_font_size(pCairo, 15.0);
    cairo_set_source_rgb(pCairo, 0.1, 0.1, 0.1);
    cairo_move_to(pCairo, kLeft, 22.0);
    cairo_show_text(pCairo, mData.sTitle.c_str());
    cairo_select_font_face(pCairo, "sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);

    PaintPanel(pCairo, mLoudness, "LUFS", "Short-term loudness (3 s)");
    PaintPanel(pCairo, mPeak, "dBTP", "True peak of the written file (per 100 ms)");
    PaintPanel(pCairo, mReduction, "dB", "Gain reduction");
    PaintTimeAxis(pCairo);

    SetColour(pCairo, kBefore);
    PaintCurve(pCairo, mLoudness, mData.before, 1.0);
    if (mData.bTarget) {
        SetColour(pCairo, kTarget);
        PaintLevel(pCairo, mLoudness, mData.fTargetLufs);
    }
    SetColour(pCairo, kAfter);
    PaintCurve(pCairo, mLoudness, mData.after, 1.0);
    SetColour(pCairo, kPeak);
    PaintCurve(pCairo, mPeak, mData.truePeak, 1.0, &mPeak.fLowest);
    if (mData.bCeiling) {
        SetColour(pCairo, kCeiling);
        PaintLevel(pCairo, mPeak, mData.fCeilingDbtp);
    }
    if (mData.bCompressor) {
        SetColour(pCairo, kCompressor);
        PaintCurve(pCairo, mReduction, mData.gains.compressor, -1.0, &mReduction.fHighest);
    }
    if (mData.bLimiter) {
        SetColour(pCairo, kLimiter);
        PaintCurve(pCairo, mReduction, mData.gains.limiter, -1.0, &mReduction.fHighest);
    }

    // Legends, right-aligned above each panel.
    cairo_set_font_size(pCairo, 12.0);
    auto Legend = [&](const SPlotPanel& panel, std::initializer_list<std::tuple<SColour, bool, const char*>> entries) {
        double fWidth = 0.0;
        for (const auto& entry : entries) {
            cairo_text_extents_t extents;
            cairo_text_extents(pCairo, std::get<2>(entry), &extents);
            fWidth += 28.0 + extents.x_advance + 18.0;
        }
        double x = panel.fLeft + panel.fWidth - fWidth + 18.0;
        for (const auto& entry : entries)
            x = LegendEntry(pCairo, x, panel.fTop - 8.0, std::get<0>(entry), std::get<1>(entry), std::get<2>(entry));
    };
    if (mData.bTarget)
        Legend(mLoudness, { { kBefore, false, "before" }, { kAfter, false, "after" }, { kTarget, true, "target" } });
    else
        Legend(mLoudness, { { kBefore, false, "before" }, { kAfter, false, "after" } });
    if (mData.bCeiling)
        Legend(mPeak, { { kPeak, false, "true peak" }, { kCeiling, true, "ceiling" } });
    else
        Legend(mPeak, { { kPeak, false, "true peak" } });
    if (mData.bCompressor && mData.bLimiter)
        Legend(mReduction, { { kCompressor, false, "compressor" }, { kLimiter, false, "limiter" } });
    else if (mData.bCompressor)
        Legend(mReduction, { { kCompressor, false, "compressor" } });
    else if (mData.bLimiter)
        Legend(mReduction, { { kLimiter, false, "limiter" } });
}

bool CPlotPainter::WritePng(const std::string& sPath, std::string& sError) const
{
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> pSurface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight), &cairo_surface_destroy);
    if (cairo_surface_status(pSurface.get()) != CAIRO_STATUS_SUCCESS) {
        sError = "cannot draw the plot (out of memory?)";
        return false;
    }
    cairo_t* pCairo = cairo_create(pSurface.get());
    Paint(pCairo);
    const cairo_status_t eDrawn = cairo_status(pCairo);
    cairo_destroy(pCairo);
    if (eDrawn != CAIRO_STATUS_SUCCESS) {
        sError = std::string("cannot draw the plot: ") + cairo_status_to_string(eDrawn);
        return false;
    }
    const std::string sPart = sPath + ".part";
    errno = 0;
    const cairo_status_t eWritten = cairo_surface_write_to_png(pSurface.get(), sPart.c_str());
    if (eWritten != CAIRO_STATUS_SUCCESS) {
        const int nError = errno;
        ::unlink(sPart.c_str());
        sError = "cannot write the plot '" + sPath
            + "': " + (nError != 0 ? std::strerror(nError) : cairo_status_to_string(eWritten));
        return false;
    }
    if (std::rename(sPart.c_str(), sPath.c_str()) != 0) {
        sError = "cannot write the plot '" + sPath + "': " + std::strerror(errno);
        ::unlink(sPart.c_str());
        return false;
    }
    return true;
}
