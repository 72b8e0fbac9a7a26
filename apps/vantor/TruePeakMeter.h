// True peak: the largest magnitude of the signal between its samples, read
// from the signal interpolated to 16 times its rate.
//
// Method. The interpolator is a 2048-tap sinc with its zeros at the input's
// sample spacing under a Kaiser window (beta 7), split into 16 phases of 128
// taps, each phase scaled to unity gain at DC: flat within 0.01 dB to 0.47
// of the sample rate, images (0.52 fs and up) about 70 dB down. To keep it
// fast, a short four-phase interpolator (16 taps a phase) first reads every
// sample four times over; only where one of those readings is a local
// maximum that could still beat the largest peak found (a four-times reading
// falls short of the peak beside it by at most 0.75 dB, the short filter's
// error included) does the long interpolator compute the seven fine phases
// around it, and a parabola through the largest fine value and its
// neighbours places the peak. Every reading comes from the long
// interpolator. Error bound: within 0.05 dB of the band-limited peak for
// content up to 0.45 fs (ripple 0.01 dB, the parabola's error at 16 times
// 0.01 dB), at any phase and any rate. Content between 0.48 fs and half the
// rate is read as a reconstruction filter passes it, down to -6 dB at fs/2
// (a clipped, full-band mix may read 0.15 dB under an ideal sinc's peak).
#pragma once

#include <vector>

class CTruePeakMeter {
public:
    explicit CTruePeakMeter(unsigned nChannels);

    // nFrames interleaved frames.
    void Add(const float* pfInterleaved, unsigned nFrames);
    // Largest magnitude so far, linear (1.0 is full scale), the last
    // samples' neighbourhood included.
    double GetTruePeak() const;
    // Peaks of stretches of the signal as well: after this call, each
    // TakeWindowPeak() returns the true peak of the frames added since the
    // previous one (the interpolator's look-ahead of kDelay frames aside),
    // measured as the whole signal's is.
    void MeasureWindows() { mbWindows = true; }
    double TakeWindowPeak();

    static constexpr int kPhases = 16;
    static constexpr int kTapsPerPhase = 128;
    static constexpr int kCoarsePhases = 4;
    static constexpr int kCoarseStep = kPhases / kCoarsePhases;
    static constexpr int kCoarseTapsPerPhase = 16;
    // Input samples kept before each block.
    static constexpr int kHistory = kTapsPerPhase;
    // Frame i's phases fall at and after input sample i - kDelay.
    static constexpr int kDelay = kTapsPerPhase / 2;

    // Frame i's inputs are pfHistory[i + 1 .. i + kHistory]; its phases
    // fall at the input sample pfHistory[i + kDelay] and after it. The
    // magnitudes of the short interpolator's four phases (at 0, 1/4, 1/2
    // and 3/4 of a sample) for nFrames frames, four per frame.
    static void GetCoarsePhases(const float* pfHistory, unsigned nFrames, float* pfCoarse);
    // The peak near coarse reading nCoarse (frame nCoarse / 4) from the long
    // interpolator; frames -1 .. nFrames - 1 are available in pfHistory.
    static float RefinePeak(const float* pfHistory, long long nCoarse, unsigned nFrames);

private:
    // Measures frames whose inputs are history[kHistory ..); the new peak.
    float Measure(const std::vector<float>& history, unsigned nFrames, float fPeak) const;

    unsigned mnChannels;
    // Per channel: the last kHistory samples, then the new block.
    std::vector<std::vector<float>> mHistory;
    mutable std::vector<float> mCoarse; // scratch: kCoarsePhases magnitudes per frame
    float mfPeak = 0.0f;
    bool mbWindows = false;
    float mfWindowPeak = 0.0f;
};
