#include "DeliveryTrial.h"

#include "ChainRunner.h"
#include "ToolError.h"

#include <cmath>

CDeliveryTrial::CDeliveryTrial(
    unsigned nChannels, double fSampleRate, double fOffsetDb, bool bCeiling, double fCeilingDbtp)
    : mnChannels(nChannels)
    , mfOffsetDb(fOffsetDb)
    , mSpool(nChannels)
    , mpState(ebur128_init(nChannels, static_cast<unsigned long>(fSampleRate), EBUR128_MODE_I))
    , mOut(static_cast<size_t>(CChainRunner::kBlockFrames) * nChannels)
    , mfLoudness(-HUGE_VAL)
{
    if (mpState == nullptr)
        throw FailureError("the loudness meter could not start (out of memory?)");
    if (bCeiling)
        mpCeiling = std::make_unique<CDeliveryLimiter>(nChannels, fSampleRate, fCeilingDbtp);
    mpWorker = std::make_unique<CBlockWorker>([this](const std::vector<float>& block) {
        Consume(block.data(), static_cast<unsigned>(block.size() / mnChannels));
    });
}

CDeliveryTrial::~CDeliveryTrial()
{
    mpWorker.reset();
    ebur128_destroy(&mpState);
}

void CDeliveryTrial::Add(const float* pfChain, unsigned nFrames)
{
    if (nFrames > 0)
        mpWorker->Add(std::vector<float>(pfChain, pfChain + static_cast<size_t>(nFrames) * mnChannels));
}

void CDeliveryTrial::Finish()
{
    mpWorker->Finish();
    if (mpCeiling)
        Keep(mOut.data(), mpCeiling->Flush(mOut.data()));
    if (ebur128_loudness_global(mpState, &mfLoudness) != EBUR128_SUCCESS)
        mfLoudness = -HUGE_VAL;
}

void CDeliveryTrial::Consume(const float* pfChain, unsigned nFrames)
{
    if (mpCeiling) {
        const unsigned nOut = mpCeiling->Process(pfChain, nFrames, mOut.data());
        Keep(mOut.data(), nOut);
    } else {
        Keep(pfChain, nFrames);
    }
}

void CDeliveryTrial::Keep(const float* pf, unsigned nFrames)
{
    mSpool.Write(pf, nFrames);
    ebur128_add_frames_float(mpState, pf, nFrames);
}
