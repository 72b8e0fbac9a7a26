#include "ProgressBar.h"

#include <algorithm>
#include <cstdio>
#include <unistd.h>

CProgressBar::CProgressBar(bool bWanted, long long nTotalFrames)
    : mbEnabled(bWanted && nTotalFrames > 0 && ::isatty(STDERR_FILENO) == 1)
    , mnTotal(nTotalFrames)
{
}

CProgressBar::~CProgressBar()
{
    Clear();
}

void CProgressBar::Add(long long nFrames)
{
    if (!mbEnabled)
        return;
    mnDone.fetch_add(nFrames, std::memory_order_relaxed);
    std::unique_lock<std::mutex> lock(mMutex, std::try_to_lock);
    if (!lock.owns_lock())
        return;
    const auto now = std::chrono::steady_clock::now();
    if (mbShown && now - mLastDraw < std::chrono::milliseconds(100))
        return;
    mLastDraw = now;
    Draw();
}

void CProgressBar::Draw()
{
    constexpr int kWidth = 40;
    const long long nDone = std::min(mnDone.load(std::memory_order_relaxed), mnTotal);
    const int nFilled = static_cast<int>(nDone * kWidth / mnTotal);
    char bar[kWidth + 1];
    for (int i = 0; i < kWidth; ++i)
        bar[i] = i < nFilled ? '#' : '.';
    bar[kWidth] = '\0';
    std::fprintf(stderr, "\r[%s] %3d%%", bar, static_cast<int>(nDone * 100 / mnTotal));
    std::fflush(stderr);
    mbShown = true;
}

void CProgressBar::Clear()
{
    if (!mbEnabled)
        return;
    std::lock_guard<std::mutex> lock(mMutex);
    if (mbShown) {
        std::fprintf(stderr, "\r%*s\r", 48, "");
        std::fflush(stderr);
        mbShown = false;
    }
}
