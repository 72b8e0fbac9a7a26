// One input file through one process: read, master, write, measure. The
// process delays everything by its latency (64 samples); the job drops the
// first 64 output frames and pushes 64 frames of silence through at the end,
// so the output lines up with the input sample for sample and has its length.
#pragma once

#include "AudioWriter.h"
#include "GainReductionProbe.h"
#include "LoudnessMeter.h"
#include "PlotPainter.h"
#include "ProcessSettings.h"
#include "ProgressBar.h"
#include "VantorEngine.h"

#include <string>
#include <vector>

// The true-peak ceiling of a loudness target when none is given.
constexpr double kDefaultCeilingDbtp = -1.0;

struct SJobRequest {
    std::string sInput;
    std::string sOutput; // "" with bAnalyzeOnly
    bool bAnalyzeOnly = false;
    bool bMeasure = true; // loudness and gain reduction (off with -q)
    bool bReplace = false; // -f
    EDither eDither = EDither::Tpdf;
    EBitsRequest eBits = EBitsRequest::Keep;
    double fQuality = -1.0; // --quality, -1 for none
    bool bDualMono = true; // --mono dual (native: the process's one-channel path)
    bool bTarget = false; // --target
    double fTargetLufs = -14.0;
    bool bCeiling = false; // --ceiling, or a target (at kDefaultCeilingDbtp)
    double fCeilingDbtp = kDefaultCeilingDbtp;
    std::string sPlot; // --plot: the picture of the job, or ""
};

// What the delivery stage did: the loudness target's search and the
// true-peak ceiling.
struct SDeliveryReport {
    bool bTarget = false;
    double fTargetLufs = 0.0;
    bool bAlbum = false; // the target met by the album as a whole
    double fAlbumLufs = 0.0; // the album's loudness with the drive chosen
    bool bReached = false;
    double fDriveDb = 0.0; // the offset chosen, spread over the drives
    std::string sDrive; // which parameters it moved, from what to what
    int nChainRuns = 0; // passes of the whole file through the chain
    int nExcerptRuns = 0; // runs of the search's excerpts through the chain
    bool bCeiling = false;
    double fCeilingDbtp = 0.0;
    double fCeilingReductionDb = 0.0; // deepest gain the ceiling took, 0 if none
};

struct SJobResult {
    std::string sInput, sOutput;
    int nExitCode = 0; // 0 when the job succeeded, 3 when it finished with warnings
    std::string sError;
    std::vector<std::string> notes;
    std::vector<std::string> warnings; // damage found in the input
    bool bSkipped = false; // --skip-existing kept a complete output
    int nSampleRate = 0;
    unsigned nChannels = 0;
    long long nFrames = 0;
    bool bMeasured = false;
    SLoudness before {}, after {};
    SGainReduction gainReduction;
    SDeliveryReport delivery;
    long long nDitheredSamples = 0;
    std::string sPlotError; // the picture could not be written (the audio was)
};

class CMasteringJob {
public:
    // The process latency the library promises for every process type.
    static constexpr unsigned kLatencyFrames = 64;
    static constexpr unsigned kBlockFrames = 4096;

    CMasteringJob(
        CVantorEngine& engine, const CProcessSettings& settings, const SJobRequest& request, CProgressBar& progress);

    // Never throws: failures come back in the result.
    SJobResult Run();

    // Writes the picture of a finished job where the request asks for one;
    // a failure goes to the result (the audio stays written).
    static void WritePlot(const SJobRequest& request, SPlotData& plot, SJobResult& result);

private:
    void Master(CAudioReader& reader, SJobResult& result);
    void Analyze(CAudioReader& reader, SJobResult& result);
    // A warning when the input turned out shorter than it said.
    void CheckWhole(const CAudioReader& reader, SJobResult& result);

    CVantorEngine& mEngine;
    const CProcessSettings& mSettings;
    SJobRequest mRequest;
    CProgressBar& mProgress;
};
