// One run of a file through the chain for delivery: the chain's output
// after the true-peak ceiling (what the file will hold) parked on disk, and
// its integrated loudness. The ceiling and the meter run on a thread of
// their own beside the chain.
#pragma once

#include "BlockWorker.h"
#include "DeliveryLimiter.h"
#include "SpoolFile.h"
#include "TimeSeries.h"

#include <ebur128.h>

#include <memory>
#include <vector>

class CDeliveryTrial {
public:
    CDeliveryTrial(unsigned nChannels, double fSampleRate, double fOffsetDb, bool bCeiling, double fCeilingDbtp);
    ~CDeliveryTrial();
    CDeliveryTrial(const CDeliveryTrial&) = delete;
    CDeliveryTrial& operator=(const CDeliveryTrial&) = delete;

    // The chain's output, called by the chain's thread; the work runs on
    // the trial's own.
    void Add(const float* pfChain, unsigned nFrames);
    // After the last block: the ceiling's tail, the loudness. Throws what
    // the parking failed with (a full disk).
    void Finish();

    double GetLoudness() const { return mfLoudness; } // -inf for silence
    // The meter's state, for the loudness of several files together.
    ebur128_state* GetState() { return mpState; }
    double GetOffsetDb() const { return mfOffsetDb; }
    double GetCeilingReductionDb() const { return mpCeiling ? mpCeiling->GetDeepestReductionDb() : 0.0; }
    CSpoolFile& GetSpool() { return mSpool; }
    // The gain reduction of the chain's run, for the picture of the job.
    SGainTraces& GetGainTraces() { return mGains; }

private:
    void Consume(const float* pfChain, unsigned nFrames);
    void Keep(const float* pf, unsigned nFrames);

    unsigned mnChannels;
    double mfOffsetDb;
    CSpoolFile mSpool;
    ebur128_state* mpState;
    std::unique_ptr<CDeliveryLimiter> mpCeiling;
    std::vector<float> mOut;
    double mfLoudness;
    SGainTraces mGains;
    std::unique_ptr<CBlockWorker> mpWorker; // last: stops before the rest goes
};
