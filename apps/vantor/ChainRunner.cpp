#include "ChainRunner.h"

#include "ToolError.h"
#include "host-interface/vpaMeters.h"
#include "platform/Platform.h"
#include "processor/IVantorProcess.h"

#include <algorithm>
#include <cmath>
#include <string>

CChainRunner::CChainRunner(CVantorEngine& engine, const CProcessSettings& settings, unsigned nChannels,
    double fSampleRate, bool bDualMono, const std::vector<SParameterOverride>& overrides)
    : mnChannels(nChannels)
    , mnProcessChannels(nChannels == 1 && bDualMono ? 2 : nChannels)
    , mPlanar(2 * static_cast<size_t>(kBlockFrames))
    , mfSampleRate(fSampleRate)
{
    // The planar buffer holds two channels; the reader refuses other counts.
    if (nChannels < 1 || nChannels > 2)
        throw FailureError(std::to_string(nChannels) + " channels; only mono and stereo can be mastered");
    mpProcess = engine.CreateProcess(settings.GetMode(), mnProcessChannels, fSampleRate, kBlockFrames);
    settings.Apply(*mpProcess);
    for (const SParameterOverride& override : overrides)
        mpProcess->SetParameter(override.nIndex, override.nStored);
    mpProcess->Start();
}

unsigned CChainRunner::Process(const float* pfIn, unsigned nFrames, float* pfOut)
{
    float* ppfChannels[2] = { mPlanar.data(), mPlanar.data() + kBlockFrames };
    for (unsigned i = 0; i < nFrames; ++i) {
        for (unsigned c = 0; c < mnChannels; ++c)
            ppfChannels[c][i] = pfIn[i * mnChannels + c];
    }
    if (mnProcessChannels > mnChannels)
        std::copy(ppfChannels[0], ppfChannels[0] + nFrames, ppfChannels[1]);
    int nFlag = 0;
    {
        platform::CScopedNoDenormals noDenormals;
        mpProcess->ProcessInPlace(ppfChannels, nFrames, &nFlag);
    }
    if (mpTraces != nullptr && !mbFlushing) {
        double fCompressor, fLimiter;
        TakeLowestGains(fCompressor, fLimiter);
        mpTraces->compressor.Add(ReductionDb(fCompressor));
        mpTraces->limiter.Add(ReductionDb(fLimiter));
    }
    const unsigned nDropped = std::min(mnSkip, nFrames);
    mnSkip -= nDropped;
    const unsigned nKept = nFrames - nDropped;
    for (unsigned i = 0; i < nKept; ++i) {
        for (unsigned c = 0; c < mnChannels; ++c)
            pfOut[i * mnChannels + c] = ppfChannels[c][nDropped + i];
    }
    return nKept;
}

unsigned CChainRunner::Flush(float* pfOut)
{
    const std::vector<float> silence(static_cast<size_t>(kLatencyFrames) * mnChannels, 0.0f);
    mbFlushing = true;
    return Process(silence.data(), kLatencyFrames, pfOut);
}

void CChainRunner::SetGainTraces(SGainTraces* pTraces)
{
    mpTraces = pTraces;
    if (pTraces != nullptr) {
        pTraces->compressor.SetStep(kBlockFrames / mfSampleRate);
        pTraces->limiter.SetStep(kBlockFrames / mfSampleRate);
        double fCompressor, fLimiter;
        TakeLowestGains(fCompressor, fLimiter);
    }
}

double CChainRunner::ReductionDb(double fGain)
{
    if (!(fGain < 1.0))
        return 0.0;
    return -20.0 * std::log10(std::max(fGain, kLowestGain));
}

void CChainRunner::TakeLowestGains(double& fCompressor, double& fLimiter)
{
    fCompressor = fLimiter = 1.0;
    vpa::IMeters* pMeters = vpa::FindMeters(mpProcess.get());
    if (pMeters == nullptr || pMeters->GetNrOfMeters() < kNrOfMeters)
        return;
    fCompressor = pMeters->GetMeterValue(kMeterLowestCompressorGain);
    fLimiter = pMeters->GetMeterValue(kMeterLowestLimiterGain);
}
