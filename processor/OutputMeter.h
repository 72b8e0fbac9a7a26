// The output meter: sample peaks of both channels with a 1.5 s hold, and the
// short-term loudness (K-weighted, 3 s window, LUFS) of what leaves the
// chain. Everything is computed on the audio thread without allocation; the
// readings are single atomic words the editor (or any host) polls. A meter
// nobody has read for five seconds rests at silence and costs nothing (an
// offline render, a host without the editor) until it is read again.
#pragma once

#include <atomic>

class COutputMeter {
public:
    // Loudness shown for silence or before any audio.
    static constexpr float kSilenceLufs = -70.0f;

    COutputMeter();

    // Any thread: the rate the next block runs at, and a fresh start (the
    // audio thread takes both at its next block).
    void SetSampleRate(float fHz);
    void Restart();

    // Audio thread: one block of the output, 1 or 2 channels.
    void Process(const float* const* ppfChannels, int nChannels, unsigned nFrames);

    // Readers: the highest sample magnitude of a channel since the last call
    // (read and clear), the held peak (linear, the highest of the last
    // 1.5 s), the short-term loudness in LUFS.
    float TakePeak(int nChannel);
    float GetHeldPeak(int nChannel) const;
    float GetShortTermLufs() const;

private:
    // One biquad, direct form I, in double precision.
    struct SBiquad {
        double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
        double Run(double x)
        {
            const double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
            x2 = x1;
            x1 = x;
            y2 = y1;
            y1 = y;
            return y;
        }
    };

    static constexpr int kBlocksPerWindow = 30; // 100 ms blocks in 3 s

    void Design(double fRate);
    double WeightedEnergy(const float* const* ppfChannels, int nChannels, unsigned nOffset, unsigned nFrames);
    void Clear();

    std::atomic<float> mfRequestedRate;
    std::atomic<bool> mbRestart;
    mutable std::atomic<bool> mbRead { true }; // a reader asked since the last block

    // Unread this long, the meter rests (see Process).
    static constexpr double kSleepSeconds = 5.0;

    // Audio thread only.
    unsigned long long mnUnreadFrames = 0;
    bool mbAsleep = false;
    double mfRate;
    SBiquad mShelf[2];
    SBiquad mHighPass[2];
    unsigned mnBlockLength; // samples in 100 ms
    unsigned mnBlockDone; // samples of the current block so far
    double mfBlockEnergy; // sum over channels of squared K-weighted samples
    double mafBlocks[kBlocksPerWindow];
    int mnNextBlock;
    int mnBlocks; // filled blocks, up to kBlocksPerWindow
    float mafHeld[2];
    unsigned manHoldLeft[2]; // samples the held peak still stands

    std::atomic<float> mafPeak[2];
    std::atomic<float> mafHeldOut[2];
    std::atomic<float> mfLufs;
};
