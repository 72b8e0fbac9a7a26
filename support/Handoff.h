// A wait-free handoff of whole values from one writer thread to one reader
// thread (a triple buffer). The writer fills its spare copy and publishes it;
// the reader adopts the newest published copy with one atomic exchange. Both
// sides finish in a fixed number of steps whatever the other side does: no
// lock, no retry loop, no allocation after construction. A value is seen
// whole or not at all; values published in between are skipped, never mixed.
#pragma once

#include <atomic>

namespace utils {

template <typename T> class CHandoff {
public:
    CHandoff() = default;
    CHandoff(const CHandoff&) = delete;
    CHandoff& operator=(const CHandoff&) = delete;

    // Writer: the copy to fill. It stays the writer's until Publish().
    T& Spare() { return maSlots[mnSpare]; }

    // Writer: hands the spare copy over; the next Spare() is another slot.
    // The new spare copy holds older contents: fill it whole before the next
    // Publish().
    void Publish()
    {
        const unsigned nOld = mnWaiting.exchange(mnSpare | kFresh, std::memory_order_acq_rel);
        mnSpare = nOld & kSlotMask;
    }

    // Reader: the newest published copy if one came since the last call,
    // otherwise null. The copy stays valid until the next Adopt().
    const T* Adopt()
    {
        if ((mnWaiting.load(std::memory_order_relaxed) & kFresh) == 0)
            return nullptr;
        const unsigned nOld = mnWaiting.exchange(mnCurrent, std::memory_order_acq_rel);
        mnCurrent = nOld & kSlotMask;
        return &maSlots[mnCurrent];
    }

private:
    static constexpr unsigned kSlotMask = 3;
    static constexpr unsigned kFresh = 4; // the waiting slot holds a copy not yet adopted

    T maSlots[3] {};
    unsigned mnSpare = 0; // writer's slot
    unsigned mnCurrent = 1; // reader's slot
    std::atomic<unsigned> mnWaiting { 2 }; // slot between the two, plus kFresh
};

} // namespace utils
