#include "ProgressBar.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

std::string Clock(double fSeconds)
{
    char buffer[32];
    const long long nSeconds = static_cast<long long>(fSeconds);
    std::snprintf(buffer, sizeof(buffer), "%lld:%02lld", nSeconds / 60, nSeconds % 60);
    return buffer;
}

} // namespace

CProgressBar::CProgressBar(bool bWanted, size_t nFiles)
    : mbEnabled(bWanted && nFiles > 0 && ::isatty(STDERR_FILENO) == 1)
    , mnFiles(nFiles)
    , mStart(std::chrono::steady_clock::now())
{ }

CProgressBar::~CProgressBar()
{
    Clear();
}

int CProgressBar::Begin(long long nTotalFrames, double fSampleRate)
{
    std::lock_guard<std::mutex> lock(mMutex);
    size_t nSlot = 0;
    while (nSlot < mSlots.size() && mSlots[nSlot].bBusy)
        ++nSlot;
    if (nSlot == mSlots.size())
        mSlots.emplace_back();
    mSlots[nSlot] = SSlot { true, std::max(0LL, nTotalFrames), 0, fSampleRate };
    return static_cast<int>(nSlot);
}

void CProgressBar::Add(int nSlot, long long nFrames)
{
    std::lock_guard<std::mutex> lock(mMutex);
    mSlots[static_cast<size_t>(nSlot)].nDone += nFrames;
    if (!mbEnabled)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (mbShown && now - mLastDraw < std::chrono::milliseconds(100))
        return;
    mLastDraw = now;
    Draw();
}

void CProgressBar::End(int nSlot)
{
    std::lock_guard<std::mutex> lock(mMutex);
    mSlots[static_cast<size_t>(nSlot)].bBusy = false;
    ++mnFinished;
}

void CProgressBar::Draw()
{
    // Finished files count whole, running ones by their share.
    double fFiles = static_cast<double>(mnFinished);
    const SSlot* pUnknown = nullptr;
    for (const SSlot& slot : mSlots) {
        if (!slot.bBusy)
            continue;
        if (slot.nTotal > 0)
            fFiles += std::min(1.0, static_cast<double>(slot.nDone) / static_cast<double>(slot.nTotal));
        else
            pUnknown = &slot;
    }
    const double fElapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - mStart).count();
    std::string sLine;
    if (pUnknown != nullptr) {
        sLine = "elapsed " + Clock(fElapsed) + ", position "
            + Clock(static_cast<double>(pUnknown->nDone) / std::max(1.0, pUnknown->fSampleRate));
    } else {
        constexpr int kWidth = 40;
        const double fShare = std::min(1.0, fFiles / static_cast<double>(std::max<size_t>(1, mnFiles)));
        const int nFilled = static_cast<int>(fShare * kWidth);
        sLine = "[" + std::string(static_cast<size_t>(nFilled), '#')
            + std::string(static_cast<size_t>(kWidth - nFilled), '.') + "] "
            + std::to_string(static_cast<int>(fShare * 100.0)) + "%";
    }
    if (mnFiles > 1)
        sLine += "  " + std::to_string(mnFinished) + "/" + std::to_string(mnFiles) + " files";
    std::fprintf(stderr, "\r%-60s", sLine.c_str());
    std::fflush(stderr);
    mbShown = true;
}

void CProgressBar::Clear()
{
    if (!mbEnabled)
        return;
    std::lock_guard<std::mutex> lock(mMutex);
    if (mbShown) {
        std::fprintf(stderr, "\r%*s\r", 60, "");
        std::fflush(stderr);
        mbShown = false;
    }
}
