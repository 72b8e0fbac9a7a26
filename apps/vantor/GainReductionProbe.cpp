#include "GainReductionProbe.h"

#include "processor/ChainOrder.h"
#include "processor/ParameterTable.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kCompressor = 1;
constexpr int kLimiter = 2;

double Engineering(vpa::IProcess& process, int nIndex)
{
    return process.GetParameter(static_cast<unsigned>(nIndex)) / std::pow(10.0, kVantorParameters[nIndex].nDecimals);
}

} // namespace

CGainReductionProbe::CGainReductionProbe(
    CVantorEngine& engine, const CProcessSettings& settings, unsigned nChannels, double fSampleRate)
    : mEngine(engine)
    , mSettings(settings)
    , mnChannels(nChannels)
    , mfSampleRate(fSampleRate)
{ }

std::vector<float> CGainReductionProbe::RunPrefix(unsigned nModulesOn, const std::vector<float>& input) const
{
    if (nModulesOn == 0)
        return input;
    std::vector<SParameterOverride> overrides = mOverrides;
    for (int nModule = 0; nModule < 4; ++nModule) {
        if ((nModulesOn & (1u << nModule)) == 0)
            overrides.push_back({ ModuleEnableParameter(nModule), 0 });
    }
    CChainRunner runner(mEngine, mSettings, mnChannels, mfSampleRate, mbDualMono, overrides);
    const size_t nFrames = input.size() / mnChannels;
    std::vector<float> output(input.size());
    size_t nOut = 0;
    for (size_t nDone = 0; nDone < nFrames;) {
        const unsigned nBlock = static_cast<unsigned>(std::min<size_t>(CChainRunner::kBlockFrames, nFrames - nDone));
        nOut += runner.Process(input.data() + nDone * mnChannels, nBlock, output.data() + nOut * mnChannels);
        nDone += nBlock;
    }
    runner.Flush(output.data() + nOut * mnChannels);
    return output;
}

double CGainReductionProbe::DeepestReduction(
    const std::vector<float>& in, const std::vector<float>& out, long long nFrom, double fStaticGainDb) const
{
    const size_t nWindow = std::max<size_t>(1, static_cast<size_t>(mfSampleRate / 100.0));
    const size_t nFrames = in.size() / mnChannels;
    double fDeepest = 0.0;
    for (size_t nStart = static_cast<size_t>(nFrom); nStart + nWindow <= nFrames; nStart += nWindow) {
        double fIn = 0.0, fOut = 0.0;
        for (size_t i = nStart * mnChannels; i < (nStart + nWindow) * mnChannels; ++i) {
            fIn += static_cast<double>(in[i]) * in[i];
            fOut += static_cast<double>(out[i]) * out[i];
        }
        // Below -70 dBFS the ratio says more about noise than about gain.
        if (fIn < 1e-7 * static_cast<double>(nWindow * mnChannels) || fOut <= 0.0)
            continue;
        const double fGainDb = 10.0 * std::log10(fOut / fIn);
        fDeepest = std::max(fDeepest, fStaticGainDb - fGainDb);
    }
    return fDeepest;
}

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
    // Which modules run, and in which order, in this setting.
    ProcessPtr pProcess = mEngine.CreateProcess(mSettings.GetMode(), mnChannels, mfSampleRate, kBlockFrames);
    mSettings.Apply(*pProcess);
    for (const SParameterOverride& override : mOverrides)
        pProcess->SetParameter(override.nIndex, override.nStored);
    const unsigned nMode = mSettings.GetMode();
    int order[4] = { 0, 1, 2, 3 };
    if (nMode == kModeChain) {
        const int nRow = std::clamp(pProcess->GetParameter(kPatch), 0, kNrOfChainOrders - 1);
        std::copy(kChainOrders[nRow], kChainOrders[nRow] + 4, order);
    }
    const unsigned nRunning = RunningModules(*pProcess, nMode);
    result.bCompressor = (nRunning & (1u << kCompressor)) != 0;
    result.bLimiter = (nRunning & (1u << kLimiter)) != 0;
    if (!result.bCompressor && !result.bLimiter)
        return result;

    const std::vector<float>& input = passage.GetAudio();
    const long long nPassageStart = passage.GetRunUpFrames();
    result.fFromSeconds = passage.GetFromSeconds();
    result.fToSeconds = passage.GetToSeconds();

    // Each module's input is the chain up to it, its output the chain
    // including it; prefixes are run once each.
    std::vector<std::pair<unsigned, std::vector<float>>> prefixes;
    prefixes.reserve(4); // at most four distinct prefixes: references stay valid
    auto Prefix = [&](unsigned nModulesOn) -> const std::vector<float>& {
        for (const auto& prefix : prefixes) {
            if (prefix.first == nModulesOn)
                return prefix.second;
        }
        prefixes.emplace_back(nModulesOn, RunPrefix(nModulesOn, input));
        return prefixes.back().second;
    };
    auto MeasureModule = [&](int nModule, double fStaticGainDb) {
        unsigned nBefore = 0;
        for (int nPosition = 0; nPosition < 4 && order[nPosition] != nModule; ++nPosition)
            nBefore |= nRunning & (1u << order[nPosition]);
        const std::vector<float>& in = Prefix(nBefore);
        const std::vector<float>& out = Prefix(nBefore | (1u << nModule));
        return DeepestReduction(in, out, nPassageStart, fStaticGainDb);
    };
    if (result.bCompressor)
        result.fCompressorDb = MeasureModule(
            kCompressor, Engineering(*pProcess, kCompressorInputDrive) + Engineering(*pProcess, kCompressorOutput));
    if (result.bLimiter) {
        const double fBandGainDb
            = (Engineering(*pProcess, kLimiterBand1Gain) + Engineering(*pProcess, kLimiterBand2Gain)
                  + Engineering(*pProcess, kLimiterBand3Gain))
            / 3.0;
        result.fLimiterDb = MeasureModule(kLimiter,
            Engineering(*pProcess, kLimiterInputDrive) + Engineering(*pProcess, kLimiterOutput) + fBandGainDb);
    }
    return result;
}
