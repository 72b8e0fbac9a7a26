#include "GainReductionProbe.h"

#include "processor/ParameterTable.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kCompressor = 1;
constexpr int kLimiter = 2;

} // namespace

CGainReductionProbe::CGainReductionProbe(
    CVantorEngine& engine, const CProcessSettings& settings, unsigned nChannels, double fSampleRate)
    : mEngine(engine)
    , mSettings(settings)
    , mnChannels(nChannels)
    , mfSampleRate(fSampleRate)
{ }

unsigned CGainReductionProbe::RunningModules(vpa::IProcess& process, unsigned nMode)
{
    unsigned nRunning = 0;
    for (int nModule = 0; nModule < 4; ++nModule) {
        const bool bInMode = nMode == kModeChain || static_cast<unsigned>(nModule) == nMode;
        if (bInMode && process.GetParameter(static_cast<unsigned>(ModuleEnableParameter(nModule))) != 0
            && process.GetParameter(kGlobalBypass) == 0)
            nRunning |= 1u << nModule;
    }
    return nRunning;
}

SGainReduction CGainReductionProbe::Measure(CLoudestPassage& passage)
{
    SGainReduction result;
    CChainRunner runner(mEngine, mSettings, mnChannels, mfSampleRate, mbDualMono, mOverrides);
    const unsigned nRunning = RunningModules(runner.GetProcess(), mSettings.GetMode());
    result.bCompressor = (nRunning & (1u << kCompressor)) != 0;
    result.bLimiter = (nRunning & (1u << kLimiter)) != 0;
    if (!result.bCompressor && !result.bLimiter)
        return result;

    const std::vector<float>& input = passage.GetAudio();
    const long long nRunUp = passage.GetRunUpFrames();
    const long long nFrames = static_cast<long long>(input.size() / mnChannels);
    result.fFromSeconds = passage.GetFromSeconds();
    result.fToSeconds = passage.GetToSeconds();

    std::vector<float> output(static_cast<size_t>(CChainRunner::kBlockFrames) * mnChannels);
    double fCompressor = 1.0, fLimiter = 1.0;
    auto Run = [&](long long nFrom, long long nTo) {
        for (long long nAt = nFrom; nAt < nTo;) {
            const unsigned nBlock = static_cast<unsigned>(std::min<long long>(CChainRunner::kBlockFrames, nTo - nAt));
            runner.Process(input.data() + static_cast<size_t>(nAt) * mnChannels, nBlock, output.data());
            nAt += nBlock;
        }
    };
    // The run-up settles the detectors and the needles; what the needles did
    // there is not the passage's.
    Run(0, nRunUp);
    runner.TakeLowestGains(fCompressor, fLimiter);
    Run(nRunUp, nFrames);
    runner.TakeLowestGains(fCompressor, fLimiter);
    if (result.bCompressor)
        result.fCompressorDb = CChainRunner::ReductionDb(fCompressor);
    if (result.bLimiter)
        result.fLimiterDb = CChainRunner::ReductionDb(fLimiter);
    return result;
}
