// The skin fuzzer's seeds replayed as ordinary tests, and every truncation and
// single bit flip of them: no crash, no read outside a buffer (the sanitizer
// build checks that), and a truncated container never opens.
#include "../fuzz/SkinFuzzInput.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<std::vector<uint8_t>> Seeds()
{
    std::vector<std::vector<uint8_t>> seeds;
    for (const auto& entry : std::filesystem::directory_iterator(VANTOR_SKIN_CORPUS)) {
        std::ifstream stream(entry.path(), std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
    }
    return seeds;
}

} // namespace

TEST(SkinCorpus, SeedsReplayAndEveryTruncationIsRefused)
{
    const auto seeds = Seeds();
    ASSERT_GE(seeds.size(), 3u);
    for (const auto& seed : seeds) {
        FeedSkinBytes(seed.data(), seed.size());
        epiRamResFile whole;
        ASSERT_TRUE(whole.CreateFromMemory(static_cast<int32_t>(seed.size()), seed.data()));
        ASSERT_TRUE(whole.AttachSize(static_cast<int32_t>(seed.size()))) << "a seed is a valid container";
        for (size_t n = 0; n < seed.size(); n += (seed.size() > 2000 ? 7 : 1)) {
            epiRamResFile file;
            ASSERT_TRUE(file.CreateFromMemory(static_cast<int32_t>(n), seed.data()));
            const bool bOpens = file.AttachSize(static_cast<int32_t>(n));
            // Only an image whose last run ends early survives losing its tail.
            if (bOpens) {
                EXPECT_GE(n, 8u + 16u * file.GetCapacity());
            }
            FeedSkinBytes(seed.data(), n);
        }
    }
}

TEST(SkinCorpus, SingleBitFlipsOfTheSeedsAreSurvived)
{
    for (auto seed : Seeds()) {
        if (seed.size() > 2000)
            seed.resize(2000); // the directory and casts; the layout seed's tail is zeros
        for (size_t nBit = 0; nBit < seed.size() * 8; ++nBit) {
            seed[nBit / 8] ^= static_cast<uint8_t>(1u << (nBit % 8));
            FeedSkinBytes(seed.data(), seed.size());
            seed[nBit / 8] ^= static_cast<uint8_t>(1u << (nBit % 8));
        }
    }
}
