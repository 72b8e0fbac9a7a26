// Aligned signal blocks: a zero-filled raw allocation, the block start rounded
// up to the next 16-byte boundary past room for one pointer, and the raw
// address kept in the word just before the block so that freeing finds it.
#include "Platform.h"

#include <cstdlib>

namespace platform {

namespace {
constexpr uintptr_t kAlignment = 16;
}

void* AllocAligned(size_t nBytes)
{
    const size_t nExtra = kAlignment + sizeof(void*);
    if (nBytes > SIZE_MAX - nExtra)
        return nullptr;
    void* pRaw = std::calloc(1, nBytes + nExtra);
    if (pRaw == nullptr)
        return nullptr;
    const uintptr_t nRaw = reinterpret_cast<uintptr_t>(pRaw);
    const uintptr_t nBlock = (nRaw + sizeof(void*) + kAlignment - 1) & ~(kAlignment - 1);
    void** ppSlot = reinterpret_cast<void**>(nBlock) - 1;
    *ppSlot = pRaw;
    return reinterpret_cast<void*>(nBlock);
}

void FreeAligned(void* pBlock)
{
    if (pBlock == nullptr)
        return;
    std::free(*(static_cast<void**>(pBlock) - 1));
}

} // namespace platform
