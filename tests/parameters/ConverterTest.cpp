#include "parameters/ConverterLinear.h"
#include "parameters/ConverterLog.h"
#include "parameters/ConverterManager.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace {

// The editor's knob range.
constexpr int kTop = 30000;

TEST(ConverterLinear, GainKnobMapsTenthsOfADecibelOntoTheKnobRange)
{
    adl::CConverterLinear gain(1, -150, 150, 0, kTop);
    EXPECT_EQ(gain.ValueToPosition(0), 15000);
    EXPECT_EQ(gain.ValueToPosition(-150), 0);
    EXPECT_EQ(gain.ValueToPosition(150), kTop);
    EXPECT_EQ(gain.PositionToValue(kTop), 150);
    EXPECT_EQ(gain.PositionToValue(0), -150);
    EXPECT_EQ(gain.PositionToValue(1), -150); // -149.99
    EXPECT_DOUBLE_EQ(gain.ValueToNormalized(75), 0.75);
    EXPECT_EQ(gain.NormalizedToValue(0.5), 0);
    EXPECT_EQ(gain.NormalizedToValue(1.0), 150);

    // Every value survives the trip to the knob and back.
    for (int v = -150; v <= 150; ++v)
        EXPECT_EQ(gain.PositionToValue(gain.ValueToPosition(v)), v) << v;

    // No clamping: values and positions beyond the ends extrapolate.
    EXPECT_EQ(gain.ValueToPosition(300), 45000);
    EXPECT_EQ(gain.PositionToValue(-kTop), -450);
    EXPECT_DOUBLE_EQ(gain.ValueToNormalized(-300), -0.5);
}

TEST(ConverterLinear, HalvesRoundAwayFromZeroBeforeThePositionOffsetIsAdded)
{
    // 0..4 onto -5..5: a value step is 2.5 positions.
    adl::CConverterLinear converter(0, 0, 4, -5, 5);
    EXPECT_EQ(converter.ValueToPosition(1), -2); // -5 + round(2.5)
    EXPECT_EQ(converter.ValueToPosition(-1), -8); // -5 + round(-2.5)
    EXPECT_EQ(converter.ValueToPosition(3), 3); // -5 + round(7.5)

    adl::CConverterLinear tens(0, 0, 10, 0, 100);
    EXPECT_EQ(tens.NormalizedToValue(0.25), 3);
    EXPECT_EQ(tens.NormalizedToValue(-0.25), -3);
    EXPECT_EQ(tens.PositionToValue(25), 3);
    EXPECT_EQ(tens.PositionToValue(-25), -3);
}

TEST(ConverterLog, FrequencyKnobGivesTheLowEndMostOfTheTravel)
{
    adl::CConverterLog lowCut(0, 15, 5300, 1000, 0, kTop);
    EXPECT_EQ(lowCut.ValueToPosition(15), 0);
    EXPECT_EQ(lowCut.ValueToPosition(5300), kTop);
    EXPECT_EQ(lowCut.PositionToValue(0), 15);
    EXPECT_EQ(lowCut.PositionToValue(kTop), 5300);
    // Half way: 15 + 5285 (sqrt(1000) - 1) / 999 = 177.003.
    EXPECT_EQ(lowCut.PositionToValue(15000), 177);
    EXPECT_NEAR(lowCut.NormalizedToValue(0.5), 177, 0);
    // t = 985 / 5285: log10(1 + 999 t) / 3 = 0.757428 of the travel.
    EXPECT_EQ(lowCut.ValueToPosition(1000), 22723);
    EXPECT_EQ(lowCut.ValueToPosition(100), 12322);
    EXPECT_NEAR(lowCut.ValueToNormalized(1000), 0.7574277, 1e-6);

    // Compressor ratio 1.50..4.68 in hundredths, base 500: 3.10 sits at
    // log10(1 + 499 * 1.6 / 3.18) / log10(500) = 0.889791 of the travel.
    adl::CConverterLog ratio(2, 150, 468, 500, 0, kTop);
    EXPECT_EQ(ratio.ValueToPosition(310), 26694);
    EXPECT_EQ(ratio.PositionToValue(kTop), 468);
    EXPECT_EQ(ratio.PositionToValue(0), 150);

    // Below the range the curve extrapolates while its logarithm exists.
    EXPECT_EQ(lowCut.ValueToPosition(10), -12606);
    EXPECT_EQ(lowCut.PositionToValue(-3000), 12);
    // The top clamp of the inverse curve also holds positions past the end.
    EXPECT_EQ(lowCut.PositionToValue(2 * kTop), 5300);
}

TEST(ConverterLog, EveryLogarithmicParameterMapsItsEndsExactlyAndMonotonically)
{
    struct SRange {
        int nDecimals, nMin, nMax, nBase;
    };
    // The frequency, time and ratio ranges of the parameter table.
    const SRange ranges[] = { { 0, 15, 5300, 1000 }, { 0, 30, 800, 50 }, { 0, 33, 5400, 1000 }, { 0, 200, 17500, 1000 },
        { 0, 750, 8300, 1000 }, { 0, 200, 19201, 1000 }, { 0, 32, 218, 1000 }, { 1, 120, 820, 500 },
        { 1, 290, 14000, 500 }, { 2, 150, 468, 500 }, { 1, 800, 15000, 500 }, { 0, 30, 1900, 1000 },
        { 0, 1000, 20400, 1000 } };
    for (const SRange& r : ranges) {
        adl::CConverterLog converter(r.nDecimals, r.nMin, r.nMax, r.nBase, 0, kTop);
        const std::string sRange = std::to_string(r.nMin) + ".." + std::to_string(r.nMax);
        EXPECT_EQ(converter.ValueToPosition(r.nMin), 0) << sRange;
        EXPECT_EQ(converter.ValueToPosition(r.nMax), kTop) << sRange;
        EXPECT_EQ(converter.PositionToValue(0), r.nMin) << sRange;
        EXPECT_EQ(converter.PositionToValue(kTop), r.nMax) << sRange;
        int nLast = r.nMin;
        for (int p = 0; p <= kTop; p += 7) {
            const int v = converter.PositionToValue(p);
            ASSERT_GE(v, nLast) << sRange << " at position " << p;
            nLast = v;
        }
    }
}

TEST(Converter, DegenerateRangesGiveNumbersNotUndefinedConversions)
{
    // Equal bounds, equal position bounds, a base of 1: the arithmetic leaves
    // the finite numbers; results saturate or fall to 0 instead of trapping.
    adl::CConverterLinear flat(0, 5, 5, 0, kTop);
    EXPECT_EQ(flat.ValueToPosition(6), INT_MAX);
    EXPECT_EQ(flat.ValueToPosition(4), INT_MIN);
    EXPECT_EQ(flat.ValueToPosition(5), 0);
    adl::CConverterLinear still(0, 0, 10, 7, 7);
    EXPECT_EQ(still.PositionToValue(7), 0);
    adl::CConverterLog baseOne(0, 15, 5300, 1, 0, kTop);
    EXPECT_EQ(baseOne.ValueToPosition(100), 0);
    baseOne.PositionToValue(100);
    adl::CConverterLog frequency(0, 15, 5300, 1000, 0, kTop);
    EXPECT_EQ(frequency.ValueToPosition(-100000), INT_MIN); // log of a negative number
    adl::CConverterLinear wide(0, -1, 1, INT_MIN, INT_MAX);
    EXPECT_EQ(wide.ValueToPosition(INT_MAX), INT_MAX);
    EXPECT_EQ(wide.ValueToPosition(INT_MIN), INT_MIN);
}

// Logs its destruction so that tests can see which converter went when.
class CTracedConverter : public adl::CConverterLinear {
public:
    CTracedConverter(std::vector<int>& destroyed, int nTag, int nOffset)
        : adl::CConverterLinear(0, 0, 100, nOffset, nOffset + 100)
        , mDestroyed(destroyed)
        , mnTag(nTag)
    { }
    ~CTracedConverter() override { mDestroyed.push_back(mnTag); }

private:
    std::vector<int>& mDestroyed;
    int mnTag;
};

TEST(ConverterManager, ReplacingAnIdentifierDestroysTheOldConverter)
{
    std::vector<int> destroyed;
    adl::IConverterManager* pManager = adl::CreateConverterManager();
    ASSERT_NE(pManager, nullptr);

    EXPECT_FALSE(pManager->HasConverter(1));
    EXPECT_EQ(pManager->ValueToPosition(1, 50), -1);
    EXPECT_EQ(pManager->PositionToValue(1, 50), -1);

    pManager->AddConverter(1, new CTracedConverter(destroyed, 1, 0));
    pManager->AddConverter(2, new CTracedConverter(destroyed, 2, 1000));
    EXPECT_EQ(pManager->ValueToPosition(1, 50), 50);
    EXPECT_EQ(pManager->ValueToPosition(2, 50), 1050);
    EXPECT_EQ(pManager->PositionToValue(2, 1030), 30);

    pManager->AddConverter(1, new CTracedConverter(destroyed, 3, 500));
    EXPECT_EQ(destroyed, std::vector<int> { 1 });
    EXPECT_TRUE(pManager->HasConverter(1));
    EXPECT_EQ(pManager->ValueToPosition(1, 50), 550);

    pManager->AddConverter(4, nullptr);
    EXPECT_FALSE(pManager->HasConverter(4));

    // Destruction goes in list order; the replacement was appended last.
    pManager->Destroy();
    EXPECT_EQ(destroyed, (std::vector<int> { 1, 2, 3 }));
}

} // namespace
