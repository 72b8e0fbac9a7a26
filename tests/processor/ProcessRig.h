// A process under test, as the plug-in creates it, with a host that records
// what it hears and a spy on what reaches the chain.
#pragma once

#include "processor/VantorPlugIn.h"
#include "processor/VantorProcess.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <utility>
#include <vector>

class CRecordingHost : public IHost {
public:
    unsigned GetVersion() override { return 5; }
    void ParameterChanged(int nIndex, int nValue) override { mChanges.emplace_back(nIndex, nValue); }
    bool Heard(int nIndex, int nValue) const
    {
        for (const auto& change : mChanges)
            if (change.first == nIndex && change.second == nValue)
                return true;
        return false;
    }
    std::vector<std::pair<int, int>> mChanges;
};

// Records every chain parameter the data units send, then passes it on.
class CSpyProcess : public CVantorProcess {
public:
    CSpyProcess(CVantorPlugIn* pPlugIn, unsigned nType)
        : CVantorProcess(pPlugIn, nType)
    { }
    void SetDSPParameter(int nDSPIndex, float fValue) override
    {
        mSent.emplace_back(nDSPIndex, fValue);
        CVantorProcess::SetDSPParameter(nDSPIndex, fValue);
    }
    std::vector<std::pair<int, float>> mSent;
};

struct SProcessRig {
    explicit SProcessRig(unsigned nType = 4, float fRate = 44100.0f, unsigned nChannels = 2, unsigned nMaxFrames = 8192)
        : plugIn(&host)
        , pProcess(new CSpyProcess(&plugIn, nType))
    {
        pProcess->SetNrOfChannelsIn(nChannels);
        pProcess->SetNrOfChannelsOut(nChannels);
        pProcess->SetMaxBufferSize(nMaxFrames);
        pProcess->SetSampleFreq(fRate);
        pProcess->Start();
        // Construction reports every active parameter after loading the
        // module defaults; tests look at what comes after.
        host.mChanges.clear();
    }
    ~SProcessRig() { pProcess->DestroySelf(); }
    SProcessRig(const SProcessRig&) = delete;
    SProcessRig& operator=(const SProcessRig&) = delete;

    // Processes planar audio in place (nChannels blocks of nFrames).
    void Run(std::vector<float>& audio, unsigned nChannels, unsigned nFrames)
    {
        float* ppBuffers[2] = { audio.data(), audio.data() + (nChannels > 1 ? nFrames : 0) };
        int nFlag = 0;
        pProcess->ProcessInPlace(ppBuffers, nFrames, &nFlag);
    }

    CRecordingHost host;
    CVantorPlugIn plugIn;
    CSpyProcess* pProcess;
};

inline uint32_t ProcessTestSeed()
{
    uint32_t nSeed = 2026;
    if (const char* psz = std::getenv("VANTOR_TEST_SEED"))
        nSeed = static_cast<uint32_t>(std::strtoul(psz, nullptr, 10));
    std::printf("random seed %u (set VANTOR_TEST_SEED to repeat)\n", nSeed);
    return nSeed;
}

inline std::vector<float> Noise(size_t nSamples, std::mt19937& random, float fLevel = 0.7f)
{
    std::uniform_real_distribution<float> noise(-fLevel, fLevel);
    std::vector<float> samples(nSamples);
    for (float& f : samples)
        f = noise(random);
    return samples;
}

inline bool IsCleanSample(float f)
{
    return std::isfinite(f) && std::fpclassify(f) != FP_SUBNORMAL && std::fabs(f) <= 16.0f;
}

inline bool IsFiniteAndNormal(float f)
{
    return std::isfinite(f) && std::fpclassify(f) != FP_SUBNORMAL;
}
