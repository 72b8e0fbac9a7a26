// Mastering for delivery (--target, --ceiling). The input streams past once:
// it is measured, parked on disk (when a target needs more passes) and run
// through the chain with the settings as given. A target then runs the
// parked input through the chain again with the drive the search asks for,
// each run's output measured after the true-peak ceiling and parked too;
// the run nearest the target is written. The written file is measured as
// written (after dither, for lossy formats after decoding); where its true
// peak still passes the ceiling, the ceiling stage runs again lower by the
// excess before anything is published.
#pragma once

#include "AudioReader.h"
#include "AudioWriter.h"
#include "DeliveryTrial.h"
#include "MasteringJob.h"
#include "PlotPainter.h"
#include "ProcessSettings.h"
#include "VantorEngine.h"

#include <functional>
#include <string>

// A level in LUFS, LU, dB or dBTP as the delivery's messages give it: one decimal.
std::string DecibelText(double f);

class CDeliveryJob {
public:
    CDeliveryJob(CVantorEngine& engine, const CProcessSettings& settings, const SJobRequest& request,
        std::function<void(long long)> progress);

    void Run(CAudioReader& reader, const SOutputFormat& format, SJobResult& result);

    // Writes a run to the request's output, measured as written (the
    // "after" figures), the ceiling run again lower where what was written
    // still passes it. With a plot, the written file's loudness and true
    // peak and the trial's gain reduction go to it.
    static void WriteFile(CDeliveryTrial& trial, const SJobRequest& request, const SOutputFormat& format,
        unsigned nChannels, int nSampleRate, const SAudioMetadata& metadata, SJobResult& result,
        SPlotData* pPlot = nullptr);

    // Ceiling passes at most, and how far under the excess a retry aims.
    static constexpr int kMostCeilingPasses = 3;
    static constexpr double kRetryMarginDb = 0.02;

private:
    CVantorEngine& mEngine;
    const CProcessSettings& mSettings;
    const SJobRequest& mRequest;
    std::function<void(long long)> mProgress;
};
