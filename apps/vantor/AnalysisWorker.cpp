#include "AnalysisWorker.h"

namespace {

// About a second of stereo audio in 4096-frame blocks.
constexpr size_t kMostQueued = 12;

} // namespace

CAnalysisWorker::CAnalysisWorker(unsigned nChannels, double fSampleRate)
    : mnChannels(nChannels)
    , mMeter(nChannels, fSampleRate)
{
    mThread = std::thread(&CAnalysisWorker::Run, this);
}

CAnalysisWorker::~CAnalysisWorker()
{
    {
        std::lock_guard<std::mutex> lock(mMutex);
        mbClosing = true;
        mQueue.clear();
    }
    mChanged.notify_all();
    mThread.join();
}

void CAnalysisWorker::Add(std::vector<float> block)
{
    if (block.empty())
        return;
    std::unique_lock<std::mutex> lock(mMutex);
    mChanged.wait(lock, [this] { return mQueue.size() < kMostQueued; });
    mQueue.push_back(std::move(block));
    lock.unlock();
    mChanged.notify_all();
}

void CAnalysisWorker::Finish()
{
    std::unique_lock<std::mutex> lock(mMutex);
    mChanged.wait(lock, [this] { return mQueue.empty() && !mbBusy; });
}

void CAnalysisWorker::Run()
{
    std::unique_lock<std::mutex> lock(mMutex);
    while (true) {
        mChanged.wait(lock, [this] { return mbClosing || !mQueue.empty(); });
        if (mbClosing)
            return;
        std::vector<float> block = std::move(mQueue.front());
        mQueue.pop_front();
        mbBusy = true;
        lock.unlock();
        mChanged.notify_all();
        mMeter.Add(block.data(), static_cast<unsigned>(block.size() / mnChannels));
        lock.lock();
        mbBusy = false;
        mChanged.notify_all();
    }
}
