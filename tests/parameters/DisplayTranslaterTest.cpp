#include "parameters/DisplayManager.h"
#include "parameters/DisplayTranslater.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <utility>
#include <vector>

namespace {

const adl::UnitStepList kDecibels = { { 0.0f, "dB" } };
const adl::UnitStepList kFrequency = { { 1000.0f, "Hz" }, { 0.0f, "KHz" } };
const adl::UnitStepList kTime = { { 1000.0f, "ms" }, { 0.0f, "s" } };

struct SCase {
    int nValue;
    const char* pszText;
};

std::string Translate(adl::IDisplayTranslater& translater, int nValue)
{
    std::string text = "left over";
    translater.Translate(text, nValue);
    return text;
}

void ExpectTexts(adl::IDisplayTranslater& translater, const std::vector<SCase>& cases)
{
    for (const SCase& c : cases)
        EXPECT_EQ(Translate(translater, c.nValue), c.pszText) << "value " << c.nValue;
}

TEST(DisplayTranslater, GainsShowTenthsOnlyWhenThereAreAny)
{
    adl::CDisplayTranslater gain(1, 5, 1, kDecibels);
    ExpectTexts(gain,
        { { -35, "-3.5 dB" }, { 120, "12 dB" }, { 0, "0 dB" }, { -150, "-15 dB" }, { 155, "15.5 dB" },
            { -155, "-15.5 dB" }, { -3, "-0.3 dB" }, { 5, "0.5 dB" }, { -600, "-60 dB" } });

    // Four characters leave no room for a decimal after "-15"; the width
    // never cuts the integer part.
    adl::CDisplayTranslater narrow(1, 4, 1, kDecibels);
    ExpectTexts(narrow, { { -155, "-15 dB" }, { 155, "15.5 dB" }, { -1234, "-123 dB" } });

    // Whole decibels: halves round away from zero and a rounded-away minus
    // does not survive as "-0".
    adl::CDisplayTranslater whole(1, 4, 0, kDecibels);
    ExpectTexts(whole, { { -25, "-3 dB" }, { 25, "3 dB" }, { -24, "-2 dB" }, { -4, "0 dB" }, { 4, "0 dB" } });

    // Two decimals where there is room, trailing zero included.
    adl::CDisplayTranslater fine(1, 6, 2, kDecibels);
    ExpectTexts(fine, { { 125, "12.50 dB" }, { -35, "-3.50 dB" }, { 120, "12 dB" } });

    // Hundredths shown as tenths round halves away from zero.
    adl::CDisplayTranslater hundredths(2, 5, 1, kDecibels);
    ExpectTexts(hundredths, { { -125, "-1.3 dB" }, { 125, "1.3 dB" }, { 310, "3.1 dB" } });
}

TEST(DisplayTranslater, FrequenciesSwitchToKilohertzAbove1000Hz)
{
    adl::CDisplayTranslater frequency(0, 4, 1, kFrequency);
    ExpectTexts(frequency,
        { { 500, "500 Hz" }, { 1000, "1000 Hz" }, { 1250, "1.3 KHz" }, { 1001, "1 KHz" }, { 15, "15 Hz" },
            { 1900, "1.9 KHz" }, { 17500, "17.5 KHz" }, { 19200, "19.2 KHz" }, { 20400, "20.4 KHz" },
            { -500, "-500 Hz" } });

    // With two decimals the width decides how many are shown; the last one
    // shown is rounded and may carry into the digits before it.
    adl::CDisplayTranslater fine(0, 4, 2, kFrequency);
    ExpectTexts(fine,
        { { 1234, "1.23 KHz" }, { 12340, "12.3 KHz" }, { 12360, "12.4 KHz" }, { 12960, "13.0 KHz" },
            { 19960, "20.0 KHz" }, { 123456, "123 KHz" } });
}

TEST(DisplayTranslater, TimesSwitchToSecondsAbove1000Ms)
{
    adl::CDisplayTranslater time(0, 5, 1, kTime);
    ExpectTexts(time, { { 1500, "1.5 s" }, { 250, "250 ms" }, { 1000, "1000 ms" }, { 2000, "2 s" } });

    // Release times are stored in tenths of a millisecond.
    adl::CDisplayTranslater release(1, 5, 1, kTime);
    ExpectTexts(release,
        { { 4300, "430 ms" }, { 14000, "1.4 s" }, { 1005, "100.5 ms" }, { 9999, "999.9 ms" }, { 10001, "1 s" },
            { 800, "80 ms" } });
}

TEST(DisplayTranslater, EachPassedThresholdBecomesTheDivisor)
{
    adl::CDisplayTranslater steps(0, 6, 1, { { 10.0f, "a" }, { 100.0f, "b" }, { 0.0f, "c" } });
    ExpectTexts(steps, { { 5, "5 a" }, { 10, "10 a" }, { 50, "5 b" }, { 100, "10 b" }, { 500, "5 c" } });
}

TEST(DisplayTranslater, FixedTextsStandAloneAndTheFirstOneWins)
{
    adl::CDisplayTranslater lowCut(0, 4, 1, kFrequency);
    lowCut.AddValueText(15, "Off");
    lowCut.AddValueText(15, "None");
    lowCut.AddValueText(19201, "Off");
    ExpectTexts(lowCut, { { 15, "Off" }, { 16, "16 Hz" }, { 19201, "Off" }, { 19200, "19.2 KHz" } });
    EXPECT_EQ(lowCut.TextToValue("Off"), 0);
    EXPECT_EQ(lowCut.TextToValue("16 Hz"), 0);
}

TEST(DisplayTranslater, CarriesAndOddSettingsStillGiveText)
{
    // A carry out of the leftmost digit adds a digit (my reading: 99.96 -> 100.0).
    adl::CDisplayTranslater fine(0, 4, 2, kFrequency);
    ExpectTexts(fine, { { 99960, "100.0 KHz" } });
    adl::CDisplayTranslater gain(2, 5, 2, kDecibels);
    ExpectTexts(gain, { { -9996, "-100.0 dB" }, { 9996, "99.96 dB" }, { -9960, "-99.6 dB" } });

    // No unit steps: the bare number. Negative decimals shown count as none.
    adl::CDisplayTranslater bare(0, 5, 1, {});
    EXPECT_EQ(Translate(bare, 42), "42");
    adl::CDisplayTranslater none(1, 5, -3, kDecibels);
    EXPECT_EQ(Translate(none, -35), "-4 dB");
    adl::CDisplayTranslater extreme(-400, 5, 40, kDecibels);
    EXPECT_FALSE(Translate(extreme, 1).empty());
    adl::CDisplayTranslater absurd(INT_MIN, INT_MIN, INT_MAX, kDecibels);
    EXPECT_FALSE(Translate(absurd, 5).empty());
    adl::CDisplayTranslater limits(0, 30, 2, kDecibels);
    EXPECT_EQ(Translate(limits, -2147483647 - 1), "-2147483648 dB");
}

class CDisplayRecorder : public adl::IDisplayManagerCallback {
public:
    void SetDisplayText(int displayId, const std::string& text) override { mTexts.emplace_back(displayId, text); }
    std::vector<std::pair<int, std::string>> mTexts;
};

// Logs its destruction so that tests can see which translater went when.
class CTracedTranslater : public adl::CDisplayTranslater {
public:
    CTracedTranslater(std::vector<int>& destroyed, int nTag, int nShownDecimals)
        : adl::CDisplayTranslater(1, 6, nShownDecimals, kDecibels)
        , mDestroyed(destroyed)
        , mnTag(nTag)
    { }
    ~CTracedTranslater() override { mDestroyed.push_back(mnTag); }

private:
    std::vector<int>& mDestroyed;
    int mnTag;
};

TEST(DisplayManager, AValueReachesEveryFieldOfItsKeyInRegistrationOrder)
{
    using Texts = std::vector<std::pair<int, std::string>>;
    std::vector<int> destroyed;
    CDisplayRecorder recorder;
    adl::IDisplayManager* pManager = adl::CreateDisplayManager(&recorder);
    ASSERT_NE(pManager, nullptr);

    EXPECT_EQ(pManager->AddDisplay(6, 20, new CTracedTranslater(destroyed, 1, 1)), 1);
    EXPECT_EQ(pManager->AddDisplay(7, 30, new CTracedTranslater(destroyed, 2, 1)), 2);
    EXPECT_EQ(pManager->AddDisplay(6, 10, new CTracedTranslater(destroyed, 3, 2)), 3);
    EXPECT_EQ(pManager->AddDisplay(6, 10, new CTracedTranslater(destroyed, 4, 0)), 4);
    EXPECT_EQ(pManager->AddDisplay(8, 40, nullptr), 4);

    pManager->UpdateDisplays(6, -35);
    EXPECT_EQ(recorder.mTexts, (Texts { { 20, "-3.5 dB" }, { 10, "-3.50 dB" }, { 10, "-4 dB" } }));
    recorder.mTexts.clear();
    pManager->UpdateDisplays(9, 1);
    EXPECT_TRUE(recorder.mTexts.empty());

    // Removal takes the first match only and destroys its translater.
    pManager->RemoveDisplay(6, 10);
    EXPECT_EQ(destroyed, std::vector<int> { 3 });
    pManager->RemoveDisplay(7, 20);
    pManager->RemoveDisplaysOf(99);
    EXPECT_EQ(destroyed, std::vector<int> { 3 });
    pManager->RemoveDisplaysOf(30);
    EXPECT_EQ(destroyed, (std::vector<int> { 3, 2 }));
    pManager->UpdateDisplays(6, 120);
    EXPECT_EQ(recorder.mTexts, (Texts { { 20, "12 dB" }, { 10, "12 dB" } }));

    pManager->Destroy();
    EXPECT_EQ(destroyed, (std::vector<int> { 3, 2, 1, 4 }));

    // Without a callback updates do nothing.
    adl::IDisplayManager* pSilent = adl::CreateDisplayManager(nullptr);
    ASSERT_NE(pSilent, nullptr);
    pSilent->AddDisplay(1, 1, new CTracedTranslater(destroyed, 5, 1));
    pSilent->UpdateDisplays(1, 10);
    pSilent->Destroy();
    EXPECT_EQ(destroyed.back(), 5);
}

} // namespace
