// Proves that the chain's processing allocates nothing, with the tests'
// real-time guard.
#include "DspTestUtil.h"

#include "dsp/VnSystem.h"

#include "RealtimeGuard.h"

#ifdef VANTOR_REALTIME_GUARD
namespace {

// Counts the allocations made by one call on this thread.
template <typename Function> long AllocationsDuring(Function function)
{
    return RealtimeCountsDuring(function).nAllocations;
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
    float* ppIn[2] = { in.data(), in.data() + 16320 };
    float* ppOut[2] = { out.data(), out.data() + 16320 };
    float* ppTraces[2] = { traces.data(), traces.data() + 16320 };
    for (int nFrames : { 0, 1, 17, 64, 65, 2027, 8192, 16320 }) {
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
