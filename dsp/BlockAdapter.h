// Accepts host blocks of any length, runs the chain kernel on 64-sample
// blocks and returns exactly as many samples as it was given, every sample
// 64 samples after it came in.
#pragma once

#include "HostDSP.h"

class BlockAdapter {
public:
    static constexpr int kFifoSize = 16384;
    // Largest host block one pass can take: the FIFO holds 64 + N samples.
    static constexpr int kMaxFramesPerPass = kFifoSize - kBlockSize;

    BlockAdapter(HostDSP* pKernel, int nChannels);
    ~BlockAdapter();
    BlockAdapter(const BlockAdapter&) = delete;
    BlockAdapter& operator=(const BlockAdapter&) = delete;

    // ppOut and ppIn may be the same buffers. ppTraces (or either of its two
    // pointers) may be null when the traces are not wanted. Longer blocks
    // than one pass takes are cut into passes.
    void Process(float** ppOut, float** ppIn, int nFrames, float** ppTraces);

    int channels;

private:
    void ProcessPass(float** ppOut, float** ppIn, int nOffset, int nFrames, float** ppTraces);
    void Deliver(float** ppOut, float** ppTraces, int nTo, int nFrom, int nCount);

    HostDSP* mpKernel; // not owned
    int mnFill; // samples held in each input FIFO
    int mnCarry; // samples of the last output block still to deliver
    float* mpFifo[2];
    float* mpOutput[2];
    float* mpTrace[2];
};
