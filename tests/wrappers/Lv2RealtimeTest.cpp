// run() allocates nothing, port changes included: a test-only interposer in
// front of the C allocator (and so of operator new) counts what this thread
// allocates while run() works. Sanitizers bring their own allocator, so this
// runs in the plain build only.
#include "Lv2Signal.h"
#include "Lv2TestHost.h"

#include <gtest/gtest.h>

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)

extern "C" {
void* __libc_malloc(size_t nBytes);
void* __libc_calloc(size_t nCount, size_t nBytes);
void* __libc_realloc(void* p, size_t nBytes);
void __libc_free(void* p);
}

namespace {
thread_local bool tbCounting = false;
thread_local long tnCalls = 0;
} // namespace

extern "C" void* malloc(size_t nBytes)
{
    tnCalls += tbCounting;
    return __libc_malloc(nBytes);
}

extern "C" void* calloc(size_t nCount, size_t nBytes)
{
    tnCalls += tbCounting;
    return __libc_calloc(nCount, nBytes);
}

extern "C" void* realloc(void* p, size_t nBytes)
{
    tnCalls += tbCounting;
    return __libc_realloc(p, nBytes);
}

extern "C" void free(void* p)
{
    tnCalls += tbCounting && p != nullptr;
    __libc_free(p);
}

namespace {

template <typename Function> long AllocatorCallsDuring(Function function)
{
    tnCalls = 0;
    tbCounting = true;
    function();
    tbCounting = false;
    return tnCalls;
}

TEST(Lv2Realtime, TheGuardSeesAnAllocation)
{
    // Through a volatile pointer, so the compiler cannot drop the pair.
    void* (*volatile pAllocate)(size_t) = malloc;
    void (*volatile pFree)(void*) = free;
    EXPECT_GE(AllocatorCallsDuring([&] { pFree(pAllocate(100)); }), 2);
}

TEST(Lv2Realtime, RunAllocatesNothingWhilePortsChange)
{
    std::mt19937 random(Lv2TestSeed("Lv2Realtime"));
    CLv2Instance instance("urn:vantor:lv2:chain", 44100.0);
    ASSERT_NE(instance.Instance(), nullptr);
    instance.Activate();
    SStereo audio = MusicLikeSignal(20000, 44100.0, random());
    const auto controls = instance.InputControls();
    for (const uint32_t nFrames : { 0u, 1u, 64u, 1000u, 8192u, 20000u }) {
        for (const auto& control : controls) {
            std::uniform_real_distribution<float> range(control.fMin, control.fMax);
            instance.Control(control.nPort) = range(random);
        }
        const long nCalls = AllocatorCallsDuring([&] {
            instance.Run(audio.left.data(), audio.right.data(), audio.left.data(), audio.right.data(), nFrames);
        });
        EXPECT_EQ(nCalls, 0) << nFrames << " frames";
    }
}

} // namespace
#endif
