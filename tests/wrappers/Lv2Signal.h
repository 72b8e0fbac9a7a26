// Stereo test signals and seeds shared by the LV2 tests.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

struct SStereo {
    std::vector<float> left, right;
    size_t Frames() const { return left.size(); }
};

// The seed of a random test: VANTOR_TEST_SEED, else a fixed one; logged so a
// failure can be replayed.
inline uint32_t Lv2TestSeed(const char* pszTest)
{
    const char* pszSeed = std::getenv("VANTOR_TEST_SEED");
    const uint32_t nSeed = pszSeed != nullptr ? static_cast<uint32_t>(std::strtoul(pszSeed, nullptr, 10)) : 20240611u;
    std::printf("%s: seed %u (VANTOR_TEST_SEED)\n", pszTest, nSeed);
    return nSeed;
}

// Noise with a tone and level steps up to peaks near full scale: enough to
// drive the compressor, the limiter and the clipper.
inline SStereo MusicLikeSignal(size_t nFrames, double fRate, uint32_t nSeed)
{
    std::mt19937 random(nSeed);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    SStereo signal;
    signal.left.resize(nFrames);
    signal.right.resize(nFrames);
    for (size_t n = 0; n < nFrames; ++n) {
        const double fTime = n / fRate;
        const float fLevel = (static_cast<long>(fTime * 4.0) % 3 == 0) ? 0.9f : 0.25f;
        const float fTone = static_cast<float>(std::sin(2.0 * M_PI * 110.0 * fTime));
        signal.left[n] = fLevel * (0.6f * fTone + 0.4f * noise(random));
        signal.right[n] = fLevel * (0.5f * fTone + 0.5f * noise(random));
    }
    return signal;
}
