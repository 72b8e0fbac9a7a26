#include "LoudnessMeter.h"

#include "ToolError.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

double Decibels(double fLinear)
{
    return fLinear > 0.0 ? 20.0 * std::log10(fLinear) : -std::numeric_limits<double>::infinity();
}

} // namespace

CLoudnessMeter::CLoudnessMeter(unsigned nChannels, double fSampleRate)
    : mnChannels(nChannels)
    , mpState(ebur128_init(nChannels, static_cast<unsigned long>(fSampleRate), EBUR128_MODE_I | EBUR128_MODE_LRA))
    , mTruePeak(nChannels)
    , mnStepFrames(std::max(1u, static_cast<unsigned>(std::lround(fSampleRate / 10.0))))
    , mnFramesToStep(mnStepFrames)
{
    if (mpState == nullptr)
        throw FailureError("the loudness meter could not start (out of memory?)");
}

CLoudnessMeter::~CLoudnessMeter()
{
    ebur128_destroy(&mpState);
}

void CLoudnessMeter::SetSeries(CTimeSeries* pShortTerm, CTimeSeries* pTruePeak)
{
    mpShortTermSeries = pShortTerm;
    mpTruePeakSeries = pTruePeak;
    if (pShortTerm != nullptr)
        pShortTerm->SetStep(mnStepFrames / static_cast<double>(mpState->samplerate));
    if (pTruePeak != nullptr) {
        pTruePeak->SetStep(mnStepFrames / static_cast<double>(mpState->samplerate));
        mTruePeak.MeasureWindows();
    }
}

void CLoudnessMeter::Add(const float* pfInterleaved, unsigned nFrames)
{
    // In pieces that end where a 100 ms reading is due.
    for (unsigned nDone = 0; nDone < nFrames;) {
        const unsigned nPiece = std::min(nFrames - nDone, mnFramesToStep);
        ebur128_add_frames_float(mpState, pfInterleaved + static_cast<size_t>(nDone) * mnChannels, nPiece);
        if (mpTruePeakSeries != nullptr)
            mTruePeak.Add(pfInterleaved + static_cast<size_t>(nDone) * mnChannels, nPiece);
        nDone += nPiece;
        mnFramesToStep -= nPiece;
        if (mnFramesToStep == 0) {
            mnFramesToStep = mnStepFrames;
            double fStep = -HUGE_VAL;
            if (ebur128_loudness_window(mpState, 100, &fStep) != EBUR128_SUCCESS || !std::isfinite(fStep))
                fStep = -HUGE_VAL;
            mnStep = (mnStep + 1) % 30;
            mfSteps[mnStep] = std::isfinite(fStep) ? std::pow(10.0, (fStep + 0.691) / 10.0) : 0.0;
            // Windows before the start hold silence, as libebur128's do.
            double fMomentary = 0.0, fShortTerm = 0.0;
            for (unsigned k = 0; k < 30; ++k) {
                fShortTerm += mfSteps[k];
                if (k < 4)
                    fMomentary += mfSteps[(mnStep + 30 - k) % 30];
            }
            auto Lufs = [](double fEnergy) { return fEnergy > 0.0 ? -0.691 + 10.0 * std::log10(fEnergy) : -HUGE_VAL; };
            mfMaxMomentary = std::max(mfMaxMomentary, Lufs(fMomentary / 4.0));
            mfMaxShortTerm = std::max(mfMaxShortTerm, Lufs(fShortTerm / 30.0));
            if (mpShortTermSeries != nullptr)
                mpShortTermSeries->Add(Lufs(fShortTerm / 30.0));
            if (mpTruePeakSeries != nullptr)
                mpTruePeakSeries->Add(Decibels(mTruePeak.TakeWindowPeak()));
        }
    }
    if (mpTruePeakSeries == nullptr)
        mTruePeak.Add(pfInterleaved, nFrames);
    float fPeak = mfSamplePeak;
    for (unsigned i = 0; i < nFrames * mnChannels; ++i)
        fPeak = std::max(fPeak, std::fabs(pfInterleaved[i]));
    mfSamplePeak = fPeak;
}

SLoudness CLoudnessMeter::GetResult() const
{
    SLoudness result {};
    if (ebur128_loudness_global(mpState, &result.fIntegratedLufs) != EBUR128_SUCCESS)
        result.fIntegratedLufs = -std::numeric_limits<double>::infinity();
    if (ebur128_loudness_range(mpState, &result.fRangeLu) != EBUR128_SUCCESS)
        result.fRangeLu = 0.0;
    result.fTruePeakDb = Decibels(mTruePeak.GetTruePeak());
    result.fSamplePeakDb = Decibels(mfSamplePeak);
    // Below the absolute gate a window holds no loudness worth showing.
    result.fMaxMomentaryLufs = mfMaxMomentary > -70.0 ? mfMaxMomentary : -HUGE_VAL;
    result.fMaxShortTermLufs = mfMaxShortTerm > -70.0 ? mfMaxShortTerm : -HUGE_VAL;
    return result;
}
