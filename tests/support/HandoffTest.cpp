#include "support/Handoff.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

struct SValue {
    long nSerial;
    long anCopies[64]; // each a copy of nSerial: a torn value shows as a mismatch
};

void Fill(SValue& value, long nSerial)
{
    value.nSerial = nSerial;
    for (long& n : value.anCopies)
        n = nSerial;
}

TEST(Handoff, TheReaderGetsOnlyTheNewestPublishedValueAndEachOnlyOnce)
{
    utils::CHandoff<SValue> handoff;
    EXPECT_EQ(handoff.Adopt(), nullptr) << "nothing published yet";
    Fill(handoff.Spare(), 1);
    handoff.Publish();
    Fill(handoff.Spare(), 2);
    handoff.Publish();
    const SValue* pValue = handoff.Adopt();
    ASSERT_NE(pValue, nullptr);
    EXPECT_EQ(pValue->nSerial, 2) << "a value published in between is skipped";
    EXPECT_EQ(handoff.Adopt(), nullptr) << "adopted once";
    Fill(handoff.Spare(), 3);
    EXPECT_EQ(pValue->nSerial, 2) << "the writer's spare copy is never the reader's";
    handoff.Publish();
    EXPECT_EQ(handoff.Adopt()->nSerial, 3);
}

TEST(Handoff, AValueCrossesThreadsWholeAndInOrder)
{
    utils::CHandoff<SValue> handoff;
    constexpr long kValues = 200000;
    std::atomic<bool> bDone { false };
    std::thread writer([&] {
        for (long n = 1; n <= kValues; ++n) {
            Fill(handoff.Spare(), n);
            handoff.Publish();
        }
        bDone.store(true, std::memory_order_release);
    });
    long nLast = 0;
    long nTorn = 0;
    long nBackwards = 0;
    for (;;) {
        const bool bFinished = bDone.load(std::memory_order_acquire);
        if (const SValue* pValue = handoff.Adopt()) {
            for (long n : pValue->anCopies)
                nTorn += n != pValue->nSerial;
            nBackwards += pValue->nSerial <= nLast;
            nLast = pValue->nSerial;
        }
        if (bFinished && nLast == kValues)
            break;
    }
    writer.join();
    EXPECT_EQ(nTorn, 0);
    EXPECT_EQ(nBackwards, 0);
}

} // namespace
