// The "everything working" setting shared by the chain tests and the chain
// benchmarks: all equaliser bands boosted or cut, both cuts in, the
// compressor and the limiter compressing, the clipper clipping.
#pragma once

#include "dsp/VnSystem.h"

#include <utility>

// Chain-wide parameter index and value in engineering units.
constexpr std::pair<int, float> kEverythingWorking[] = {
    { 0, 6000.0f },
    { 1, 3.0f },
    { 2, 3000.0f },
    { 3, -4.0f },
    { 4, 0.6f },
    { 5, 250.0f },
    { 6, 2.5f },
    { 7, 1.15f },
    { 8, 90.0f },
    { 9, 2.0f },
    { 10, 40.0f },
    { 11, 16000.0f },
    { 12, 1.0f },
    { 13, 0.02f },
    { 14, 1.0f },
    { 15, 12.0f },
    { 16, 1.0f },
    { 17, 3.0f },
    { 18, 110.0f },
    { 19, 0.0f },
    { 20, 6.0f },
    { 21, 0.0f },
    { 22, 0.5f },
    { 23, 200.0f },
    { 24, 2400.0f },
    { 25, 0.0f },
    { 26, -6.0f },
    { 29, 0.0f },
    { 30, -6.0f },
    { 33, 0.0f },
    { 34, -6.0f },
    { 37, 0.0f },
    { 38, 6.0f },
    { 39, -6.0f },
    { 40, 0.0f },
};

inline void SetEverythingWorking(VnSystem& chain)
{
    for (const auto& setting : kEverythingWorking)
        chain.SetParameter(setting.first, setting.second);
}
