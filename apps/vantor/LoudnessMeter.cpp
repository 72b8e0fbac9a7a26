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
{
    if (mpState == nullptr)
        throw FailureError("the loudness meter could not start (out of memory?)");
}

CLoudnessMeter::~CLoudnessMeter()
{
    ebur128_destroy(&mpState);
}

void CLoudnessMeter::Add(const float* pfInterleaved, unsigned nFrames)
{
    ebur128_add_frames_float(mpState, pfInterleaved, nFrames);
    mTruePeak.Add(pfInterleaved, nFrames);
    float fPeak = mfSamplePeak;
    for (unsigned i = 0; i < nFrames * mnChannels; ++i)
        fPeak = std::max(fPeak, std::fabs(pfInterleaved[i]));
    mfSamplePeak = fPeak;
}

SLoudness CLoudnessMeter::GetResult() const
{
    SLoudness result{};
    if (ebur128_loudness_global(mpState, &result.fIntegratedLufs) != EBUR128_SUCCESS)
        result.fIntegratedLufs = -std::numeric_limits<double>::infinity();
    if (ebur128_loudness_range(mpState, &result.fRangeLu) != EBUR128_SUCCESS)
        result.fRangeLu = 0.0;
    result.fTruePeakDb = Decibels(mTruePeak.GetTruePeak());
    result.fSamplePeakDb = Decibels(mfSamplePeak);
    return result;
}
