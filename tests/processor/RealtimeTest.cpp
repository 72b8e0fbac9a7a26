// The real-time guard: a test-only interposer in front of the C allocator
// (and so of operator new) and of pthread_mutex_lock counts what the test
// thread does while counting is on. Processing may take its one lock per
// slice and must allocate nothing. Sanitizers bring their own allocator, so
// this runs in the plain build only.
#include "ProcessRig.h"

#if defined(__GLIBC__) && defined(__x86_64__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#include <pthread.h>

extern "C" {
void* __libc_malloc(size_t nBytes);
void* __libc_calloc(size_t nCount, size_t nBytes);
void* __libc_realloc(void* p, size_t nBytes);
void __libc_free(void* p);
// glibc's own lock under its internal name (a versioned symbol).
int RealMutexLock(pthread_mutex_t* pMutex);
}
__asm__(".symver RealMutexLock, __pthread_mutex_lock@GLIBC_2.2.5");

namespace {
thread_local bool tbCounting = false;
thread_local long tnAllocations = 0;
thread_local long tnFrees = 0;
thread_local long tnLocks = 0;
} // namespace

extern "C" void* malloc(size_t nBytes)
{
    tnAllocations += tbCounting;
    return __libc_malloc(nBytes);
}

extern "C" void* calloc(size_t nCount, size_t nBytes)
{
    tnAllocations += tbCounting;
    return __libc_calloc(nCount, nBytes);
}

extern "C" void* realloc(void* p, size_t nBytes)
{
    tnAllocations += tbCounting;
    return __libc_realloc(p, nBytes);
}

extern "C" void free(void* p)
{
    tnFrees += tbCounting && p != nullptr;
    __libc_free(p);
}

extern "C" int pthread_mutex_lock(pthread_mutex_t* pMutex)
{
    tnLocks += tbCounting;
    return RealMutexLock(pMutex);
}

namespace {

struct SCounts {
    long nAllocations, nFrees, nLocks;
};

template <typename Function> SCounts CountDuring(Function function)
{
    tnAllocations = tnFrees = tnLocks = 0;
    tbCounting = true;
    function();
    tbCounting = false;
    return {tnAllocations, tnFrees, tnLocks};
}

// A process that allocates on the audio thread: the guard must see it.
class CAllocatingProcess : public CVantorProcess {
public:
    using CVantorProcess::CVantorProcess;
    void Process(float** ppfOut, float** ppfIn, unsigned nFrames, int* pnFlag) override
    {
        std::vector<float> scratch(nFrames);
        CVantorProcess::Process(ppfOut, ppfIn, nFrames, pnFlag);
    }
};

TEST(Realtime, TheGuardFlagsAProcessThatAllocates)
{
    CRecordingHost host;
    CVantorPlugIn plugIn(&host);
    auto* pProcess = new CAllocatingProcess(&plugIn, 4);
    pProcess->SetNrOfChannelsIn(2);
    pProcess->SetMaxBufferSize(512);
    pProcess->SetSampleFreq(44100.0f);
    std::vector<float> audio(1024, 0.1f);
    float* pp[2] = {audio.data(), audio.data() + 512};
    const SCounts counts = CountDuring([&] { pProcess->ProcessInPlace(pp, 512, nullptr); });
    EXPECT_GE(counts.nAllocations, 1);
    EXPECT_GE(counts.nFrees, 1);
    pProcess->DestroySelf();
}

TEST(Realtime, ProcessingAllocatesNothingAndTakesOneLockPerSlice)
{
    SProcessRig rig(4, 44100.0f, 2, 20000);
    std::mt19937 random(ProcessTestSeed());
    std::vector<float> audio = Noise(2 * 20000, random, 1.0f);
    for (unsigned nFrames : {1u, 64u, 1000u, 8192u, 20000u}) {
        float* pp[2] = {audio.data(), audio.data() + nFrames};
        const SCounts counts = CountDuring([&] { rig.pProcess->ProcessInPlace(pp, nFrames, nullptr); });
        EXPECT_EQ(counts.nAllocations, 0) << nFrames;
        EXPECT_EQ(counts.nFrees, 0) << nFrames;
        EXPECT_EQ(counts.nLocks, static_cast<long>((nFrames + 8191) / 8192)) << nFrames;
    }
    const SCounts meters = CountDuring([&] {
        for (unsigned nWhich = 0; nWhich < 5; ++nWhich)
            rig.pProcess->GetMeter(nWhich);
    });
    EXPECT_EQ(meters.nAllocations, 0);
    EXPECT_EQ(meters.nLocks, 0) << "meter words are lock-free";
}

} // namespace
#endif
