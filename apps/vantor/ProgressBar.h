// A one-line progress display on standard error, drawn only when standard
// error is a terminal (never into a log or a pipe), at most ten times a
// second. Each file takes its length from the open input; jobs on several
// threads share the line. Where a length is unknown (a stream), the line
// shows the elapsed time and the position reached instead.
#pragma once

#include <chrono>
#include <mutex>
#include <vector>

class CProgressBar {
public:
    // bWanted: false for -q. nFiles: how many inputs the run has.
    CProgressBar(bool bWanted, size_t nFiles);
    ~CProgressBar(); // clears the line

    // A file starts: its length in frames (0 when unknown) and its rate.
    // Returns the file's slot for Add() and End().
    int Begin(long long nTotalFrames, double fSampleRate);
    void Add(int nSlot, long long nFrames);
    void End(int nSlot);
    // Clears the line so a message can be printed; the next Add redraws it.
    void Clear();

private:
    struct SSlot {
        bool bBusy = false;
        long long nTotal = 0;
        long long nDone = 0;
        double fSampleRate = 0.0;
    };
    void Draw();

    bool mbEnabled;
    size_t mnFiles;
    size_t mnFinished = 0;
    std::vector<SSlot> mSlots;
    std::mutex mMutex;
    std::chrono::steady_clock::time_point mStart;
    std::chrono::steady_clock::time_point mLastDraw;
    bool mbShown = false;
};
