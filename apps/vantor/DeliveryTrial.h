// One run of a file through the chain for delivery: the chain's output
// after the true-peak ceiling (what the file will hold) parked on disk, and
// its integrated loudness. The ceiling and the meter run on a thread of
// their own beside the chain.
#pragma once

#include "BlockWorker.h"
#include "ChainRunner.h"
#include "DeliveryLimiter.h"
#include "SpoolFile.h"
#include "ToolError.h"

#include <ebur128.h>

#include <limits>
#include <memory>
#include <vector>

class CDeliveryTrial {
public:
    CDeliveryTrial(unsigned nChannels, double fSampleRate, double fOffsetDb, bool bCeiling, double fCeilingDbtp)
        : mnChannels(nChannels)
        , mfOffsetDb(fOffsetDb)
        , mSpool(nChannels)
        , mpState(ebur128_init(nChannels, static_cast<unsigned long>(fSampleRate), EBUR128_MODE_I))
        , mOut(static_cast<size_t>(CChainRunner::kBlockFrames) * nChannels)
    {
        if (mpState == nullptr)
            throw FailureError("the loudness meter could not start (out of memory?)");
        if (bCeiling)
            mpCeiling = std::make_unique<CDeliveryLimiter>(nChannels, fSampleRate, fCeilingDbtp);
        mpWorker = std::make_unique<CBlockWorker>([this](const std::vector<float>& block) {
            Consume(block.data(), static_cast<unsigned>(block.size() / mnChannels));
        });
    }
    ~CDeliveryTrial()
    {
        mpWorker.reset();
        ebur128_destroy(&mpState);
    }
    CDeliveryTrial(const CDeliveryTrial&) = delete;
    CDeliveryTrial& operator=(const CDeliveryTrial&) = delete;

    // Called by the chain's thread; the work runs on the trial's own.
    void Add(const float* pfChain, unsigned nFrames)
    {
        if (nFrames > 0)
            mpWorker->Add(std::vector<float>(pfChain, pfChain + static_cast<size_t>(nFrames) * mnChannels));
    }
    void Finish()
    {
        mpWorker->Finish();
        if (mpCeiling)
            Keep(mOut.data(), mpCeiling->Flush(mOut.data()));
        if (ebur128_loudness_global(mpState, &mfLoudness) != EBUR128_SUCCESS)
            mfLoudness = -std::numeric_limits<double>::infinity();
    }
    double GetLoudness() const { return mfLoudness; }
    // The meter's state, for the loudness of several files together.
    ebur128_state* GetState() { return mpState; }
    double GetOffsetDb() const { return mfOffsetDb; }
    double GetCeilingReductionDb() const { return mpCeiling ? mpCeiling->GetDeepestReductionDb() : 0.0; }
    CSpoolFile& GetSpool() { return mSpool; }

private:
    void Consume(const float* pfChain, unsigned nFrames)
    {
        if (mpCeiling) {
            const unsigned nOut = mpCeiling->Process(pfChain, nFrames, mOut.data());
            Keep(mOut.data(), nOut);
        } else {
            Keep(pfChain, nFrames);
        }
    }
    void Keep(const float* pf, unsigned nFrames)
    {
        mSpool.Write(pf, nFrames);
        ebur128_add_frames_float(mpState, pf, nFrames);
    }

    unsigned mnChannels;
    double mfOffsetDb;
    CSpoolFile mSpool;
    ebur128_state* mpState;
    std::unique_ptr<CDeliveryLimiter> mpCeiling;
    std::vector<float> mOut;
    double mfLoudness = -std::numeric_limits<double>::infinity();
    std::unique_ptr<CBlockWorker> mpWorker; // last: stops before the rest goes
};

