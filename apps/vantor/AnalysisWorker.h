// Loudness analysis beside the mastering: the mastering thread hands over
// each block it read (to one worker) and each block it wrote (to another),
// and the workers measure them on other cores, so the analysis, together
// about as costly as the chain itself, adds little to the time a file takes.
// A CBlockWorker carries the blocks: its queue is bounded, so a slow
// analysis holds the mastering back instead of piling up memory.
#pragma once

#include "BlockWorker.h"
#include "LoudnessMeter.h"

#include <vector>

class CAnalysisWorker {
public:
    CAnalysisWorker(unsigned nChannels, double fSampleRate)
        : mnChannels(nChannels)
        , mMeter(nChannels, fSampleRate)
        , mWorker([this](const std::vector<float>& block) {
            mMeter.Add(block.data(), static_cast<unsigned>(block.size() / mnChannels));
        })
    { }

    // Before the first block: see CLoudnessMeter::SetSeries.
    void SetSeries(CTimeSeries* pShortTerm, CTimeSeries* pTruePeak) { mMeter.SetSeries(pShortTerm, pTruePeak); }
    // An interleaved block.
    void Add(std::vector<float> block) { mWorker.Add(std::move(block)); }
    // Waits until everything queued is measured.
    void Finish() { mWorker.Finish(); }
    // After Finish().
    SLoudness GetResult() const { return mMeter.GetResult(); }

private:
    unsigned mnChannels;
    CLoudnessMeter mMeter;
    CBlockWorker mWorker; // last: its thread stops before the meter goes
};
