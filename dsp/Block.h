// The fixed block of the signal chain and its aligned buffers.
#pragma once

#include "platform/Platform.h"

// Every module and the chain process exactly this many samples per channel
// and call.
constexpr int kBlockSize = 64;

// A zero-filled, 16-byte aligned block of nFloats floats (null when memory
// runs out), released with FreeBlock.
inline float* AllocBlock(size_t nFloats = kBlockSize)
{
    return static_cast<float*>(platform::AllocAligned(nFloats * sizeof(float)));
}

inline void FreeBlock(float* pBlock)
{
    platform::FreeAligned(pBlock);
}
