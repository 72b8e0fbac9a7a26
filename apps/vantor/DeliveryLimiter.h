// The true-peak ceiling after the chain: a look-ahead limiter whose detector
// reads the peaks between the samples. Each frame's peak is read with the
// true-peak meter's interpolators (four phases per sample; the sixteen-times
// interpolator around the largest where that comes within 1.4 dB of the
// ceiling), across both channels (the gain is linked). A frame over the ceiling asks for the gain that puts it
// kMarginDb under; the gain holds the lowest request of the next kLookAhead
// seconds, releases with kReleaseSeconds and is smoothed by a moving average
// as long as the look-ahead, so it reaches every request in time and never
// steps. A signal whose frames all stay at or under the ceiling passes with
// every sample unchanged (the gain is exactly 1).
#pragma once

#include <cstddef>
#include <deque>
#include <utility>
#include <vector>

class CDeliveryLimiter {
public:
    static constexpr double kLookAheadSeconds = 0.002;
    static constexpr double kReleaseSeconds = 0.08;
    static constexpr double kMarginDb = 0.05;

    CDeliveryLimiter(unsigned nChannels, double fSampleRate, double fCeilingDb);

    // nFrames interleaved frames in; the frames ready (delayed by the
    // look-ahead, which this takes out: output frame n is input frame n)
    // go to pfOut, at most nFrames; their count.
    unsigned Process(const float* pfIn, unsigned nFrames, float* pfOut);
    // After the last input: the frames still held.
    unsigned Flush(float* pfOut);

    // The deepest reduction so far in dB (0 when it never acted).
    double GetDeepestReductionDb() const;

private:
    // The gain for one more frame's request; returns the gain of the frame
    // mnLookAhead frames earlier.
    float NextGain(float fRequest);

    unsigned mnChannels;
    float mfCeiling;
    float mfTarget; // where a frame over the ceiling is put
    unsigned mnLookAhead; // frames
    unsigned mnLatency; // look-ahead and the interpolator's delay
    double mfRelease; // per-frame recovery towards 1
    // Per channel: the last kHistory input samples, then the new block.
    std::vector<std::vector<float>> mHistory;
    std::vector<float> mCoarse;
    // The audio not yet sent, interleaved, as a ring of mnLatency frames.
    std::vector<float> mDelay;
    size_t mnDelayAt = 0;
    // Lowest request over the window: a monotonic queue of (frame, request).
    std::deque<std::pair<long long, float>> mMinQueue;
    long long mnFrame = 0;
    double mfReleased = 1.0;
    // The moving average over the last mnLookAhead released gains.
    std::vector<double> mAverageRing;
    size_t mnAverageAt = 0;
    double mfAverageSum;
    unsigned mnBelowOne = 0; // gains under 1 in the ring
    long long mnSkip; // output frames still to drop (the latency)
    float mfLowestGain = 1.0f;
    long long mnLimited = 0;
};
