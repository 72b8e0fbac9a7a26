// Parameter names and values as users type them, against the descriptors
// the library publishes (so the test checks the table, not a copy).
#include "hosting/ParameterText.h"
#include "apps/vantor/ParameterDisplay.h"
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

namespace {

TEST_F(ParameterTextTest, TakesValuesAsEngineersWriteThem)
{
    // High shelf frequency in Hz, compressor release in tenths of a ms.
    EXPECT_EQ(Parse("HSF=3.5 KHz"), 3500);
    EXPECT_EQ(Parse("HSF=3.5kHz"), 3500);
    EXPECT_EQ(Parse("HMF=5k"), 5000);
    EXPECT_EQ(Parse("CRelease=1.4 s"), 14000);
    EXPECT_EQ(Parse("CRelease=430ms"), 4300);
    EXPECT_EQ(Parse("EQ Output=-3 dB"), -30);
    EXPECT_EQ(Parse("EQ Enable=false"), 0);
    EXPECT_EQ(Parse("EQ Enable=true"), 1);
    EXPECT_EQ(Parse("EQ Enable=0"), 0);
    EXPECT_EQ(Parse("EQ Enable=On"), 1);
    EXPECT_EQ(Parse("LMQ=High Q"), Parse("LMQ=1"));
    int nIndex = -1, nValue = 0;
    std::string sWarning, sError;
    EXPECT_FALSE(mText.ParseAssignment("Ratio=3 dB", nIndex, nValue, sWarning, sError));
    EXPECT_FALSE(mText.ParseAssignment("HSF=3.5 MHz", nIndex, nValue, sWarning, sError));
}

TEST_F(ParameterTextTest, EveryTextTheParameterListShowsReadsBack)
{
    // The texts of `vantor params` (the editor's, rounded for the eye) read
    // back to a value that shows the same text.
    const CParameterDisplay display(mText);
    for (int i = 0; i < static_cast<int>(mText.GetCount()); ++i) {
        const SParameterText& parameter = mText.Get(i);
        if (!parameter.bActive || i == 1)
            continue;
        for (const int nValue :
            { parameter.nMin, parameter.nDefault, parameter.nMax, (parameter.nMin + parameter.nMax) / 2 }) {
            const std::string sShown = display.Show(i, nValue);
            int nIndex = -1, nRead = 0;
            std::string sWarning, sError;
            ASSERT_TRUE(mText.ParseAssignment(parameter.names.front() + "=" + sShown, nIndex, nRead, sWarning, sError))
                << parameter.names.front() << " " << sShown << ": " << sError;
            EXPECT_EQ(display.Show(i, nRead), sShown) << parameter.names.front();
        }
    }
}

TEST_F(ParameterTextTest, AmbiguousAndMistypedNamesSayWhatWasMeant)
{
    EXPECT_EQ(
        mText.DescribeUnknown("CEnable"), "'CEnable' could be Compressor Enable or Clipper Enable; use the full name");
    EXPECT_NE(mText.DescribeUnknown("Compresor Ratio").find("did you mean Compressor Ratio?"), std::string::npos);
    EXPECT_NE(mText.DescribeUnknown("Limiter Input Driv").find("Limiter Input Drive"), std::string::npos);
    EXPECT_NE(mText.DescribeUnknown("Loudness Knob").find("unknown parameter"), std::string::npos);
}

} // namespace
