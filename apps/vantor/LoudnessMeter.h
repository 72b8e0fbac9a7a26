// The loudness figures of the report for one signal: integrated loudness
// (LUFS) and loudness range (LU) from libebur128, true peak (dBTP) and
// sample peak (dBFS).
#pragma once

#include "TruePeakMeter.h"

#include <ebur128.h>

#include <memory>

struct SLoudness {
    double fIntegratedLufs; // -inf for silence
    double fRangeLu;
    double fTruePeakDb;     // -inf for silence
    double fSamplePeakDb;   // -inf for silence
};

class CLoudnessMeter {
public:
    CLoudnessMeter(unsigned nChannels, double fSampleRate);
    ~CLoudnessMeter();
    CLoudnessMeter(const CLoudnessMeter&) = delete;
    CLoudnessMeter& operator=(const CLoudnessMeter&) = delete;

    void Add(const float* pfInterleaved, unsigned nFrames);
    SLoudness GetResult() const;

private:
    unsigned mnChannels;
    ebur128_state* mpState;
    CTruePeakMeter mTruePeak;
    float mfSamplePeak = 0.0f;
};
