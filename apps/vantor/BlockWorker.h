// A thread that takes blocks of interleaved audio in order and hands each to
// a function, so that what a pass does with its output (the ceiling, the
// loudness of a trial) runs beside the chain instead of after it. The queue
// is bounded: a slow consumer holds the producer back.
#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

class CBlockWorker {
public:
    explicit CBlockWorker(std::function<void(const std::vector<float>&)> consume);
    ~CBlockWorker(); // stops the thread, dropping what is queued
    CBlockWorker(const CBlockWorker&) = delete;
    CBlockWorker& operator=(const CBlockWorker&) = delete;

    void Add(std::vector<float> block);
    // Waits until every block was consumed; rethrows what the function threw.
    void Finish();

private:
    void Run();

    std::function<void(const std::vector<float>&)> mConsume;
    std::mutex mMutex;
    std::condition_variable mChanged;
    std::deque<std::vector<float>> mQueue;
    bool mbClosing = false;
    bool mbBusy = false;
    std::exception_ptr mpFailure;
    std::thread mThread;
};
