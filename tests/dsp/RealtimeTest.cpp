// Proves that the chain's processing allocates nothing: a counting
// interposer in front of the C allocator (and so of operator new) counts
// every allocation the test thread makes while counting is on. Sanitizers
// bring their own allocator, so the check runs in the plain build only.
#include "DspTestUtil.h"

#include "dsp/VnSystem.h"

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#define VANTOR_COUNT_ALLOCATIONS 1
#endif

#ifdef VANTOR_COUNT_ALLOCATIONS
extern "C" {
void* __libc_malloc(size_t nBytes);
void* __libc_calloc(size_t nCount, size_t nBytes);
void* __libc_realloc(void* p, size_t nBytes);
void* __libc_memalign(size_t nAlignment, size_t nBytes);
}

namespace {
thread_local bool tbCounting = false;
thread_local long tnAllocations = 0;
} // namespace

extern "C" void* malloc(size_t nBytes)
{
    if (tbCounting)
        ++tnAllocations;
    return __libc_malloc(nBytes);
}

extern "C" void* calloc(size_t nCount, size_t nBytes)
{
    if (tbCounting)
        ++tnAllocations;
    return __libc_calloc(nCount, nBytes);
}

extern "C" void* realloc(void* p, size_t nBytes)
{
    if (tbCounting)
        ++tnAllocations;
    return __libc_realloc(p, nBytes);
}

extern "C" void* aligned_alloc(size_t nAlignment, size_t nBytes)
{
    if (tbCounting)
        ++tnAllocations;
    return __libc_memalign(nAlignment, nBytes);
}

namespace {

// Counts the allocations made by one call on this thread.
template <typename Function> long AllocationsDuring(Function function)
{
    tnAllocations = 0;
    tbCounting = true;
    function();
    tbCounting = false;
    return tnAllocations;
}

TEST(Realtime, TheCounterSeesAnAllocatingCall)
{
    const long nCount = AllocationsDuring([] {
        auto* pGrown = new std::vector<float>(1000);
        delete pGrown;
    });
    EXPECT_GE(nCount, 1);
}

TEST(Realtime, ProcessingAllocatesNothingAtAnyBlockSize)
{
    VnSystem chain(44100.0f, 2);
    for (int nIndex = 0; nIndex < 41; ++nIndex)
        chain.SetParameterStep(nIndex, 90);
    std::vector<float> in(2 * 16320), out(2 * 16320), traces(2 * 16320);
    std::mt19937 random(dsptest::TestSeed());
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    for (float& f : in)
        f = noise(random);
    float* ppIn[2] = {in.data(), in.data() + 16320};
    float* ppOut[2] = {out.data(), out.data() + 16320};
    float* ppTraces[2] = {traces.data(), traces.data() + 16320};
    for (int nFrames : {0, 1, 17, 64, 65, 2027, 8192, 16320}) {
        EXPECT_EQ(AllocationsDuring([&] { chain.Process(ppOut, ppIn, nFrames, ppTraces); }), 0) << nFrames;
    }
    EXPECT_EQ(AllocationsDuring([&] {
                  chain.GetMeter(0);
                  chain.GetMeter(2);
                  chain.GetMeter(3);
              }),
              0);
}

} // namespace
#endif
