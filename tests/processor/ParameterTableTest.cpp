#include "processor/ParameterTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<std::string> Split(const char* psz)
{
    std::vector<std::string> parts(1);
    for (; *psz != '\0'; ++psz) {
        if (*psz == '@')
            parts.emplace_back();
        else
            parts.back() += *psz;
    }
    return parts;
}

std::string Text(const char* psz)
{
    return psz == nullptr ? "(null)" : psz;
}
const SParameterDescriptor& P(int n)
{
    return kVantorParameters[n];
}

// The module a parameter belongs to, read from its name rather than the table.
int ModuleByName(int n)
{
    const char* kPrefixes[] = { "EQ ", "Compressor ", "Limiter ", "Clipper " };
    for (int m = 0; m < 4; ++m)
        if (std::strncmp(P(n).pszName, kPrefixes[m], std::strlen(kPrefixes[m])) == 0)
            return m;
    return -1;
}

TEST(ParameterTable, SwitchesAndListsNameEveryValueAndDefaultsLieInRange)
{
    const std::set<int> kSwitches = { 0, 2, 4, 7, 11, 15, 18, 20, 22, 30, 43 };
    for (int i = 0; i < kNrOfVantorParameters; ++i) {
        const SParameterDescriptor& d = P(i);
        SCOPED_TRACE(d.pszName);
        EXPECT_TRUE(d.nMin < d.nMax && d.nMin <= d.nDefault && d.nDefault <= d.nMax);
        EXPECT_EQ(d.nType == 1, d.pszValueTexts != nullptr);
        if (d.nType == 1) {
            EXPECT_EQ(static_cast<int>(Split(d.pszValueTexts).size()), d.nMax - d.nMin + 1);
            EXPECT_TRUE(d.pszUnit == nullptr && d.nDecimals == 0 && d.nCurve == 0);
        }
        EXPECT_EQ(Text(d.pszValueTexts) == "Off@On", kSwitches.count(i) == 1);
        if (kSwitches.count(i) == 1) { // bypass off, every module and band on
            EXPECT_EQ(d.nDefault, i == kGlobalBypass ? 0 : 1);
        }
        EXPECT_EQ(d.nModule, ModuleByName(i));
    }
    for (int i : { kEqLowMidQ, kEqHighMidQ })
        EXPECT_EQ(Text(P(i).pszValueTexts), "Low Q@High Q");
}

TEST(ParameterTable, UnitsFixDecimalsAndTaper)
{
    for (int i = 0; i < kNrOfVantorParameters; ++i) {
        SCOPED_TRACE(P(i).pszName);
        const std::string unit = Text(P(i).pszUnit), name = Split(P(i).pszName)[0];
        const bool bFrequency = name.find("Freq") != std::string::npos || name.find("Crossover") != std::string::npos
            || name.find("HPF") != std::string::npos;
        EXPECT_EQ(unit == "Hz", bFrequency);
        EXPECT_EQ(P(i).nCurveParam != 0, P(i).nCurve == 1);
        if (unit == "Hz") {
            EXPECT_TRUE(P(i).nDecimals == 0 && P(i).nCurve == 1 && P(i).nMin > 0);
            EXPECT_EQ(P(i).nCurveParam, i == kEqLowShelfFreq ? 50 : 1000);
        } else if (unit == "dB") {
            EXPECT_TRUE(P(i).nDecimals == 1 && P(i).nCurve == 0);
        } else if (unit == "Ms") {
            EXPECT_TRUE(P(i).nDecimals == 1 && P(i).nCurve == 1 && P(i).nCurveParam == 500);
        }
    }
    EXPECT_TRUE(P(kCompressorRatio).pszUnit == nullptr && P(kCompressorRatio).nDecimals == 2);
    EXPECT_EQ(P(kCompressorRatio).nDefault, 310) << "3.10";
    EXPECT_EQ(P(kCompressorInputDrive).nDefault, -33) << "-3.3 dB";
    EXPECT_EQ(P(kClipperCurve).nMax, 0);
    EXPECT_EQ(P(kClipperCurve).nDefault, -63) << "-6.3 dB";
    // "Patch" is a plain number: the row of the 24 chain orders.
    EXPECT_TRUE(P(kPatch).nType == 0 && P(kPatch).nMin == 0 && P(kPatch).nMax == 23 && P(kPatch).pszUnit == nullptr);
}

TEST(ParameterTable, OnlyTheCutFrequenciesShowOffAndRestThere)
{
    for (int i = 0; i < kNrOfVantorParameters; ++i) {
        EXPECT_EQ(P(i).pszMinText != nullptr, i == kEqLowCutFreq) << i;
        EXPECT_EQ(P(i).pszMaxText != nullptr, i == kEqHighCutFreq) << i;
    }
    EXPECT_EQ(Text(P(kEqLowCutFreq).pszMinText), "Off");
    EXPECT_TRUE(P(kEqLowCutFreq).nMin == 15 && P(kEqLowCutFreq).nDefault == 15);
    EXPECT_EQ(Text(P(kEqHighCutFreq).pszMaxText), "Off");
    EXPECT_EQ(P(kEqHighCutFreq).nMin, 200);
    EXPECT_TRUE(P(kEqHighCutFreq).nMax == 19201 && P(kEqHighCutFreq).nDefault == 19201);
}

TEST(ParameterTable, NamesAreUniqueAndShortFormsUniqueWithinAModule)
{
    std::set<std::string> fullNames;
    for (int i = 0; i < kNrOfVantorParameters; ++i) {
        const std::vector<std::string> forms = Split(P(i).pszName);
        ASSERT_LE(forms.size(), 3u) << i;
        for (size_t f = 0; f < forms.size(); ++f)
            EXPECT_TRUE(!forms[f].empty() && (f == 0 || forms[f].size() <= forms[f - 1].size())) << P(i).pszName;
        EXPECT_TRUE(fullNames.insert(forms[0]).second) << forms[0];
    }
    // A single-module process shows each name form once; the full chain
    // shares a few short forms between modules ("CEnable", "COutput").
    for (unsigned nType = 0; nType < kChainProcessType; ++nType) {
        std::set<std::string> forms;
        for (int i = 0; i < kNrOfVantorParameters; ++i) {
            if (!IsParameterActive(i, nType))
                continue;
            for (const std::string& form : Split(P(i).pszName))
                EXPECT_TRUE(forms.insert(form).second) << "type " << nType << ": " << form;
        }
    }
}

TEST(ParameterTable, ActiveFlagsFollowTheModulesOfTheProcessType)
{
    for (int i = 0; i < kNrOfVantorParameters; ++i) {
        SCOPED_TRACE(P(i).pszName);
        for (unsigned nType = 0; nType < kChainProcessType; ++nType)
            EXPECT_EQ(IsParameterActive(i, nType), i == kGlobalBypass || ModuleByName(i) == static_cast<int>(nType));
        EXPECT_TRUE(IsParameterActive(i, kChainProcessType));
        for (unsigned nType : { 5u, 9u, 0xFFFFFFFFu })
            EXPECT_EQ(IsParameterActive(i, nType), i == kGlobalBypass);
    }
    EXPECT_FALSE(IsParameterActive(-1, kChainProcessType));
    EXPECT_FALSE(IsParameterActive(kNrOfVantorParameters, kChainProcessType));
}

class CBareProcess : public virtual vpa::CProcess {
public:
    void Process(float**, float**, unsigned, int*) override { }
    int GetParameter(unsigned) override { return 0; }
    void SetParameter(unsigned, int) override { }
    unsigned GetChunkSize() override { return 0; }
    void SetChunk(const void*, unsigned) override { }
    void GetChunk(void*) override { }
};

TEST(ParameterTable, AProcessOwnsHeapCopiesOfTheDescriptors)
{
    EXPECT_EQ(CreateParameterInfo(-1, 0), nullptr);
    EXPECT_EQ(CreateParameterInfo(kNrOfVantorParameters, 0), nullptr);
    for (unsigned nType : { 1u, kChainProcessType }) {
        auto pProcess = std::make_unique<CBareProcess>();
        for (int i = 0; i < kNrOfVantorParameters; ++i)
            pProcess->AddParameterInfo(CreateParameterInfo(i, nType));
        ASSERT_EQ(pProcess->GetNrOfParameters(), static_cast<unsigned>(kNrOfVantorParameters));
        for (int i = 0; i < kNrOfVantorParameters; ++i) {
            const SParameterDescriptor& d = P(i);
            vpa::SParameterInfo info;
            pProcess->GetParameterInfo(i, &info);
            SCOPED_TRACE(d.pszName);
            for (auto [pszCopy, pszTable] :
                { std::pair { info.pszName, d.pszName }, { info.pszUnit, d.pszUnit }, { info.pszMinText, d.pszMinText },
                    { info.pszMaxText, d.pszMaxText }, { info.pszValueTexts, d.pszValueTexts } }) {
                EXPECT_EQ(Text(pszCopy), Text(pszTable));
                EXPECT_TRUE(pszTable == nullptr || pszCopy != pszTable) << "must be a heap copy";
            }
            EXPECT_TRUE(info.nType == d.nType && info.nMin == d.nMin && info.nMax == d.nMax
                && info.nDefault == d.nDefault && info.nDecimals == d.nDecimals && info.nCurve == d.nCurve
                && info.nCurveParam == d.nCurveParam);
            EXPECT_EQ(info.bActive, IsParameterActive(i, nType));
        }
    } // the process frees every record and text (checked by the sanitizer builds)
}

} // namespace
