#include "ChainRunner.h"

#include "ToolError.h"
#include "platform/Platform.h"

#include <algorithm>
#include <string>

CChainRunner::CChainRunner(CVantorEngine& engine, const CProcessSettings& settings, unsigned nChannels,
    double fSampleRate, bool bDualMono, const std::vector<SParameterOverride>& overrides)
    : mnChannels(nChannels)
    , mnProcessChannels(nChannels == 1 && bDualMono ? 2 : nChannels)
    , mPlanar(2 * static_cast<size_t>(kBlockFrames))
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
    return Process(silence.data(), kLatencyFrames, pfOut);
}
