// A growable array that grows by a fixed 1000 entries at a time, as every
// growable array of this code does.
#pragma once

#include <new>

namespace utils {

template <typename T> class TGrowArray {
public:
    static constexpr unsigned kGrowBy = 1000;

    TGrowArray()
        : mpItems(nullptr)
        , mnCount(0)
        , mnCapacity(0)
    { }
    ~TGrowArray() { delete[] mpItems; }
    TGrowArray(const TGrowArray&) = delete;
    TGrowArray& operator=(const TGrowArray&) = delete;

    // False (and the array unchanged) when memory runs out.
    bool Append(const T& item)
    {
        if (mnCount == mnCapacity) {
            T* pGrown = new (std::nothrow) T[mnCapacity + kGrowBy];
            if (pGrown == nullptr)
                return false;
            for (unsigned i = 0; i < mnCount; ++i)
                pGrown[i] = mpItems[i];
            delete[] mpItems;
            mpItems = pGrown;
            mnCapacity += kGrowBy;
        }
        mpItems[mnCount++] = item;
        return true;
    }

    void Clear()
    {
        delete[] mpItems;
        mpItems = nullptr;
        mnCount = 0;
        mnCapacity = 0;
    }

    unsigned GetCount() const { return mnCount; }
    unsigned GetCapacity() const { return mnCapacity; }
    T& operator[](unsigned i) { return mpItems[i]; }
    const T& operator[](unsigned i) const { return mpItems[i]; }

private:
    T* mpItems;
    unsigned mnCount;
    unsigned mnCapacity;
};

} // namespace utils
