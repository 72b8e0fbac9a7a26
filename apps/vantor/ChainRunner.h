// One process of the user's settings run over a stream of interleaved
// frames, with the process's latency (64 frames) taken out so that output
// frame n is input frame n, and the output exactly as long as the input.
// A mono file runs as dual mono by default: both channels of a stereo
// process carry it and the first is kept, so that a preset sounds on mono
// material as it does on the same audio in stereo. Native mono uses the
// process's one-channel path.
#pragma once

#include "ProcessSettings.h"
#include "TimeSeries.h"
#include "VantorEngine.h"

#include <vector>

// A stored parameter value that replaces the settings' (the drive of a
// loudness target).
struct SParameterOverride {
    int nIndex;
    int nStored;
};

class CChainRunner {
public:
    static constexpr unsigned kLatencyFrames = 64;
    static constexpr unsigned kBlockFrames = 4096;

    CChainRunner(CVantorEngine& engine, const CProcessSettings& settings, unsigned nChannels, double fSampleRate,
        bool bDualMono, const std::vector<SParameterOverride>& overrides = {});

    // Up to kBlockFrames frames in; the output frames that are ready go to
    // pfOut (at most nFrames), their count returned.
    unsigned Process(const float* pfIn, unsigned nFrames, float* pfOut);
    // After the last input: the frames still inside the process (at most
    // kLatencyFrames).
    unsigned Flush(float* pfOut);

    // The lowest needle values of the compressor's and the limiter's gain
    // meters since the last call (linear, 1.0 = no reduction), as the
    // process publishes them; 1.0 from a library without them.
    void TakeLowestGains(double& fCompressor, double& fLimiter);
    // Decibels of reduction of such a reading, down to kLowestGain.
    static double ReductionDb(double fGain);
    static constexpr double kLowestGain = 1e-6;
    vpa::IProcess& GetProcess() { return *mpProcess; }
    // Before the first block: each block of kBlockFrames adds the deepest
    // reduction of each gain meter during it (dB) to the traces.
    void SetGainTraces(SGainTraces* pTraces);

private:
    ProcessPtr mpProcess;
    unsigned mnChannels;
    unsigned mnProcessChannels;
    std::vector<float> mPlanar;
    unsigned mnSkip = kLatencyFrames;
    double mfSampleRate;
    SGainTraces* mpTraces = nullptr;
    bool mbFlushing = false;
};
