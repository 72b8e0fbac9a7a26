// run() allocates nothing, port changes included (the tests' real-time
// guard counts what this thread allocates while run() works).
#include "Lv2Signal.h"
#include "Lv2TestHost.h"

#include <gtest/gtest.h>

#include "RealtimeGuard.h"

#ifdef VANTOR_REALTIME_GUARD
namespace {

template <typename Function> long AllocatorCallsDuring(Function function)
{
    const SRealtimeCounts counts = RealtimeCountsDuring(function);
    return counts.nAllocations + counts.nFrees;
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
