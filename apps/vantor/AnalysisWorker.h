// Loudness analysis beside the mastering: the mastering thread hands over
// each block it read (to one worker) and each block it wrote (to another),
// and the workers measure them on other cores, so the analysis, together
// about as costly as the chain itself, adds little to the time a file takes.
// The queue is bounded: a slow analysis holds the mastering back instead of
// piling up memory.
#pragma once

#include "LoudnessMeter.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

class CAnalysisWorker {
public:
    CAnalysisWorker(unsigned nChannels, double fSampleRate);
    ~CAnalysisWorker(); // stops the thread, dropping what is queued
    CAnalysisWorker(const CAnalysisWorker&) = delete;
    CAnalysisWorker& operator=(const CAnalysisWorker&) = delete;

    // An interleaved block.
    void Add(std::vector<float> block);
    // Waits until everything queued is measured.
    void Finish();

    // After Finish().
    SLoudness GetResult() const { return mMeter.GetResult(); }

private:
    void Run();

    unsigned mnChannels;
    CLoudnessMeter mMeter;
    std::mutex mMutex;
    std::condition_variable mChanged;
    std::deque<std::vector<float>> mQueue;
    bool mbClosing = false;
    bool mbBusy = false;
    std::thread mThread;
};
