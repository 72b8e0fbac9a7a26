// One input file through one process: read, master, write, measure. The
// process delays everything by its latency (64 samples); the job drops the
// first 64 output frames and pushes 64 frames of silence through at the end,
// so the output lines up with the input sample for sample and has its length.
#pragma once

#include "AudioWriter.h"
#include "GainReductionProbe.h"
#include "LoudnessMeter.h"
#include "ProcessSettings.h"
#include "ProgressBar.h"
#include "VantorEngine.h"

#include <string>
#include <vector>

struct SJobRequest {
    std::string sInput;
    std::string sOutput;      // "" with bAnalyzeOnly
    bool bAnalyzeOnly = false;
    bool bMeasure = true;     // loudness and gain reduction (off with -q)
    bool bReplace = false;    // -f
    bool bDither = true;
    EBitsRequest eBits = EBitsRequest::Keep;
    double fQuality = -1.0;   // --quality, -1 for none
};

struct SJobResult {
    std::string sInput, sOutput;
    int nExitCode = 0;        // 0 when the job succeeded, 3 when it finished with warnings
    std::string sError;
    std::vector<std::string> notes;
    std::vector<std::string> warnings; // damage found in the input
    bool bSkipped = false;    // --skip-existing kept a complete output
    int nSampleRate = 0;
    unsigned nChannels = 0;
    long long nFrames = 0;
    bool bMeasured = false;
    SLoudness before{}, after{};
    SGainReduction gainReduction;
};

class CMasteringJob {
public:
    // The process latency the library promises for every process type.
    static constexpr unsigned kLatencyFrames = 64;
    static constexpr unsigned kBlockFrames = 4096;

    CMasteringJob(CVantorEngine& engine, const CProcessSettings& settings, const SJobRequest& request,
                  CProgressBar& progress);

    // Never throws: failures come back in the result.
    SJobResult Run();

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
