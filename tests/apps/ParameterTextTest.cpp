// Parameter names and values as users type them, against the descriptors
// the library publishes (so the test checks the table, not a copy).
#include "apps/host/ParameterText.h"
#include "apps/vantor/VantorEngine.h"

#include <gtest/gtest.h>

namespace {

class ParameterTextTest : public ::testing::Test {
protected:
    void Load(unsigned nMode)
    {
        ProcessPtr pProcess = mEngine.CreateProcess(nMode, 2, 44100.0, 64);
        mText.Load(*pProcess);
    }
    void SetUp() override
    {
        mEngine.Load();
        Load(kModeChain);
    }
    int Parse(const std::string& sAssignment, std::string* psWarning = nullptr)
    {
        int nIndex = -1, nValue = 0;
        std::string sWarning, sError;
        EXPECT_TRUE(mText.ParseAssignment(sAssignment, nIndex, nValue, sWarning, sError)) << sError;
        if (psWarning != nullptr)
            *psWarning = sWarning;
        return nValue;
    }

    CVantorEngine mEngine;
    CParameterText mText;
};

TEST_F(ParameterTextTest, FindsFullAndShortNamesInAnyCase)
{
    ASSERT_EQ(mText.GetCount(), 47u);
    EXPECT_EQ(mText.Find("EQ Low Cut Freq"), 3);
    EXPECT_EQ(mText.Find("lcf"), 3);
    EXPECT_EQ(mText.Find("LCtF"), 3);
    EXPECT_EQ(mText.Find("  global bypass "), 0);
    EXPECT_EQ(mText.Find("Clipper Enable"), 43);
    // "CEnable" names both enables; in the chain both run, so it is ambiguous.
    EXPECT_EQ(mText.Find("CEnable"), -1);
    EXPECT_EQ(mText.Find("No Such Thing"), -1);
    Load(kModeCompressor);
    EXPECT_EQ(mText.Find("CEnable"), 22);
    Load(kModeClipper);
    EXPECT_EQ(mText.Find("CEnable"), 43);
}

TEST_F(ParameterTextTest, ReadsEngineeringUnitsAndValueTexts)
{
    EXPECT_EQ(Parse("Limiter Input Drive=4.5"), 45);
    EXPECT_EQ(Parse("Ratio=2.5"), 250);
    EXPECT_EQ(Parse("LCF=off"), 15);
    EXPECT_EQ(Parse("HCF=OFF"), 19201);
    EXPECT_EQ(Parse("Global Bypass=on"), 1);
    EXPECT_EQ(Parse("LMQ=high q"), 1);
    EXPECT_EQ(Parse("LSG = -3.25 dB"), -33); // rounded to the parameter's tenths
    EXPECT_EQ(Parse("HMF=2500Hz"), 2500);

    std::string sWarning;
    EXPECT_EQ(Parse("Drive=40", &sWarning), 160);
    EXPECT_NE(sWarning.find("out of range"), std::string::npos);
    EXPECT_EQ(Parse("Clipper Output=-99", &sWarning), -600);

    int nIndex, nValue;
    std::string sError;
    EXPECT_FALSE(mText.ParseAssignment("Ratio=2.5 dB", nIndex, nValue, sWarning, sError));
    EXPECT_FALSE(mText.ParseAssignment("LMQ=medium", nIndex, nValue, sWarning, sError));
    EXPECT_NE(sError.find("Low Q, High Q"), std::string::npos) << sError;
}

TEST_F(ParameterTextTest, EveryFormattedValueReadsBackAsItself)
{
    for (int i = 0; i < static_cast<int>(mText.GetCount()); ++i) {
        const SParameterText& parameter = mText.Get(i);
        const int nStep = std::max(1, (parameter.nMax - parameter.nMin) / 86);
        for (int nValue = parameter.nMin; nValue <= parameter.nMax; nValue += nStep) {
            int nBack = 0;
            std::string sWarning, sError;
            ASSERT_TRUE(mText.ParseValue(i, mText.Format(i, nValue), nBack, sWarning, sError))
                << parameter.names.front() << ": " << sError;
            EXPECT_EQ(nBack, nValue) << parameter.names.front() << " as " << mText.Format(i, nValue);
            EXPECT_TRUE(sWarning.empty());
        }
    }
}

} // namespace
