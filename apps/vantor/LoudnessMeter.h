// The loudness figures of the report for one signal: integrated loudness
// (LUFS), loudness range (LU) and the loudest momentary (400 ms) and
// short-term (3 s) loudness from libebur128, read every 100 ms (from the
// energies of the 100 ms steps: asking libebur128 for a 3 s window ten times
// a second would sum the whole window each time); true peak (dBTP) and
// sample peak (dBFS).
#pragma once

#include "TimeSeries.h"
#include "TruePeakMeter.h"

#include <ebur128.h>

#include <cmath>
#include <memory>

struct SLoudness {
    double fIntegratedLufs; // -inf for silence
    double fRangeLu;
    double fTruePeakDb; // -inf for silence
    double fSamplePeakDb; // -inf for silence
    double fMaxMomentaryLufs = -HUGE_VAL; // -inf for silence
    double fMaxShortTermLufs = -HUGE_VAL;
};

class CLoudnessMeter {
public:
    CLoudnessMeter(unsigned nChannels, double fSampleRate);
    ~CLoudnessMeter();
    CLoudnessMeter(const CLoudnessMeter&) = delete;
    CLoudnessMeter& operator=(const CLoudnessMeter&) = delete;

    // Before the first Add: every 100 ms reading of the short-term loudness
    // (LUFS) and of the true peak of those 100 ms (dBTP) goes to these
    // series too (either may be null).
    void SetSeries(CTimeSeries* pShortTerm, CTimeSeries* pTruePeak);
    void Add(const float* pfInterleaved, unsigned nFrames);
    SLoudness GetResult() const;

private:
    unsigned mnChannels;
    ebur128_state* mpState;
    CTruePeakMeter mTruePeak;
    float mfSamplePeak = 0.0f;
    unsigned mnStepFrames; // 100 ms
    unsigned mnFramesToStep; // until the next reading
    double mfMaxMomentary = -HUGE_VAL;
    double mfMaxShortTerm = -HUGE_VAL;
    // Mean-square K-weighted energy of the last 30 steps, newest at mnStep.
    double mfSteps[30] = {};
    unsigned mnStep = 0;
    CTimeSeries* mpShortTermSeries = nullptr;
    CTimeSeries* mpTruePeakSeries = nullptr;
};
