// A one-line progress bar on standard error, drawn only when standard error
// is a terminal (never into a log or a pipe), at most ten times a second.
// Jobs on several threads add their frames to the same bar.
#pragma once

#include <atomic>
#include <chrono>
#include <mutex>

class CProgressBar {
public:
    // bWanted: false for -q. The bar stays silent unless stderr is a terminal.
    CProgressBar(bool bWanted, long long nTotalFrames);
    ~CProgressBar(); // clears the line

    void Add(long long nFrames);
    // Clears the bar so a message can be printed; the next Add redraws it.
    void Clear();

private:
    void Draw();

    bool mbEnabled;
    long long mnTotal;
    std::atomic<long long> mnDone{0};
    std::mutex mMutex;
    std::chrono::steady_clock::time_point mLastDraw;
    bool mbShown = false;
};
