// The loudness target's search on curves a chain can give: it must land
// within its aim in few trials, say when the target is out of reach, and
// end on curves that are flat, unruly or non-finite.
#include "apps/vantor/TargetSearch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

namespace {

struct SOutcome {
    double fOffset;
    double fLoudness;
    int nTrials;
    bool bReached;
};

SOutcome Search(
    double fTarget, const std::function<double(double)>& loudness, double fLowest = -24.0, double fHighest = 31.0)
{
    CTargetSearch search(fTarget, fLowest, fHighest, 0.1);
    double fOffset = 0.0;
    int nGuard = 0;
    while (search.Next(fOffset) && ++nGuard < 100)
        search.Add(fOffset, loudness(fOffset));
    EXPECT_LT(nGuard, 100);
    return { search.GetBestOffsetDb(), search.GetBestLoudnessLufs(), search.GetTrials(), search.IsReached() };
}

// A limiter's curve: 1 LU per dB while the peaks are free, then flattening
// towards a wall.
double Limited(double fOffset, double fStart, double fWall)
{
    const double x = fStart + fOffset;
    return x < fWall - 6.0 ? x : fWall - 6.0 * std::exp(-(x - fWall + 6.0) / 6.0);
}

TEST(TargetSearch, LimiterCurvesAreHitWithinTheAimInAFewTrials)
{
    for (const double fStart : { -30.0, -20.0, -12.0, -6.0 }) {
        for (const double fTarget : { -23.0, -16.0, -14.0, -9.0 }) {
            const SOutcome outcome = Search(fTarget, [&](double g) { return Limited(g, fStart, -5.0); });
            SCOPED_TRACE(testing::Message() << "from " << fStart << " to " << fTarget);
            EXPECT_TRUE(outcome.bReached);
            EXPECT_NEAR(outcome.fLoudness, fTarget, CTargetSearch::kAimLu + 0.05);
            EXPECT_LE(outcome.nTrials, 6);
            // Offsets move in the parameters' steps.
            EXPECT_NEAR(outcome.fOffset * 10.0, std::round(outcome.fOffset * 10.0), 1e-9);
        }
    }
}

TEST(TargetSearch, OutOfReachStopsAtTheEndOfTheRange)
{
    // The wall at -8 LUFS: -3 cannot be had; the loudest end is the answer.
    SOutcome outcome = Search(
        -3.0, [](double g) { return Limited(g, -20.0, -8.0); }, -9.0, 16.0);
    EXPECT_FALSE(outcome.bReached);
    EXPECT_DOUBLE_EQ(outcome.fOffset, 16.0);
    EXPECT_LE(outcome.nTrials, 8);
    // Too loud even at the bottom of the range.
    outcome = Search(
        -40.0, [](double g) { return -10.0 + 0.5 * g; }, -9.0, 16.0);
    EXPECT_FALSE(outcome.bReached);
    EXPECT_DOUBLE_EQ(outcome.fOffset, -9.0);
}

TEST(TargetSearch, FlatUnrulyAndNonFiniteCurvesEnd)
{
    // A drive that changes nothing (a bypassed chain).
    SOutcome outcome = Search(-14.0, [](double) { return -20.0; });
    EXPECT_FALSE(outcome.bReached);
    EXPECT_LE(outcome.nTrials, CTargetSearch::kMostTrials);
    // Loudness that falls as the drive rises.
    outcome = Search(-14.0, [](double g) { return -20.0 - 0.5 * g; });
    EXPECT_LE(outcome.nTrials, CTargetSearch::kMostTrials);
    // NaN ends the search with the best finite trial; silence (-inf) too.
    outcome = Search(-14.0, [](double g) { return g == 0.0 ? -20.0 : NAN; });
    EXPECT_EQ(outcome.nTrials, 2);
    EXPECT_DOUBLE_EQ(outcome.fOffset, 0.0);
    EXPECT_DOUBLE_EQ(outcome.fLoudness, -20.0);
    outcome = Search(-14.0, [](double) { return -HUGE_VAL; });
    EXPECT_EQ(outcome.nTrials, 1);
    EXPECT_DOUBLE_EQ(outcome.fOffset, 0.0);
    EXPECT_FALSE(outcome.bReached);
}

} // namespace
