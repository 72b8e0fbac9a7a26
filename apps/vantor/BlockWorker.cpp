#include "BlockWorker.h"

namespace {

constexpr size_t kMostQueued = 12;

} // namespace

CBlockWorker::CBlockWorker(std::function<void(const std::vector<float>&)> consume)
    : mConsume(std::move(consume))
{
    mThread = std::thread(&CBlockWorker::Run, this);
}

CBlockWorker::~CBlockWorker()
{
    {
        std::lock_guard<std::mutex> lock(mMutex);
        mbClosing = true;
        mQueue.clear();
    }
    mChanged.notify_all();
    mThread.join();
}

void CBlockWorker::Add(std::vector<float> block)
{
    if (block.empty())
        return;
    std::unique_lock<std::mutex> lock(mMutex);
    mChanged.wait(lock, [this] { return mQueue.size() < kMostQueued || mpFailure; });
    if (mpFailure)
        return; // Finish() reports it
    mQueue.push_back(std::move(block));
    lock.unlock();
    mChanged.notify_all();
}

void CBlockWorker::Finish()
{
    std::unique_lock<std::mutex> lock(mMutex);
    mChanged.wait(lock, [this] { return (mQueue.empty() && !mbBusy) || mpFailure; });
    if (mpFailure)
        std::rethrow_exception(mpFailure);
}

void CBlockWorker::Run()
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
        std::exception_ptr pFailure;
        try {
            mConsume(block);
        } catch (...) {
            pFailure = std::current_exception();
        }
        lock.lock();
        mbBusy = false;
        if (pFailure && !mpFailure) {
            mpFailure = pFailure;
            mQueue.clear();
        }
        mChanged.notify_all();
    }
}
