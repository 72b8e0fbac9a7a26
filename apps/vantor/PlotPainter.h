// The picture of a mastering job (--plot): over the file's time, the
// short-term loudness before and after with the target, the true peak of
// the written file against the ceiling, and the compressor's and the
// limiter's gain reduction, in three panels above one time axis. Drawn with
// cairo into a PNG of kWidth x kHeight.
#pragma once

#include "TimeSeries.h"

#include <string>

struct SPlotData {
    std::string sTitle;
    double fSeconds = 0.0; // length of the file
    CTimeSeries before, after; // short-term loudness, LUFS
    CTimeSeries truePeak; // of the written file, dBTP
    SGainTraces gains; // dB of reduction
    bool bCompressor = false, bLimiter = false; // the modules run
    bool bTarget = false;
    double fTargetLufs = 0.0;
    bool bCeiling = false;
    double fCeilingDbtp = 0.0;
};

// Where things are drawn: the plot areas of the panels (pixels, y down) and
// their scales. The loudness and true-peak scales are fixed so that
// pictures of different files compare at a glance; the gain-reduction scale
// reaches down to the deepest reduction in steps of 6 dB, at least 12 dB.
struct SPlotPanel {
    double fLeft, fTop, fWidth, fHeight;
    double fHighest, fLowest; // values at the top and the bottom edge
    double fTick; // between labelled grid lines
};

class CPlotPainter {
public:
    static constexpr int kWidth = 1200;
    static constexpr int kHeight = 700;
    static constexpr double kLoudnessTop = 0.0, kLoudnessBottom = -42.0; // LUFS
    static constexpr double kPeakTop = 3.0, kPeakBottom = -15.0; // dBTP

    explicit CPlotPainter(const SPlotData& data);

    const SPlotPanel& GetLoudnessPanel() const { return mLoudness; }
    const SPlotPanel& GetPeakPanel() const { return mPeak; }
    const SPlotPanel& GetReductionPanel() const { return mReduction; }

    // Draws the picture and writes it to sPath (through a temporary file,
    // so a failed write leaves no half picture); false with the reason in
    // sError when it could not.
    bool WritePng(const std::string& sPath, std::string& sError) const;

private:
    void Paint(struct _cairo* pCairo) const;
    void PaintPanel(struct _cairo* pCairo, const SPlotPanel& panel, const char* pszUnit, const char* pszTitle) const;
    void PaintCurve(struct _cairo* pCairo, const SPlotPanel& panel, const CTimeSeries& series, double fSign,
        const double* pfFillTo = nullptr) const;
    void PaintLevel(struct _cairo* pCairo, const SPlotPanel& panel, double fValue) const;
    void PaintTimeAxis(struct _cairo* pCairo) const;
    double X(double fSeconds) const;

    const SPlotData& mData;
    double mfSeconds;
    SPlotPanel mLoudness, mPeak, mReduction;
};
