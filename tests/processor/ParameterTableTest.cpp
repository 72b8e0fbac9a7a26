// The 47 host descriptors against the published parameter list, typed by
// hand from it: names with their short forms, units, list texts, ranges,
// defaults, decimals, tapers, the "Off" texts, the process types each is
// active in, and the editor controls each is linked to. The process builds
// its descriptors and its control keys from the parameter table; a slip in
// the table shows here as the field and the parameter it hits.
#include "ProcessRig.h"
#include "processor/ParameterTable.h"
#include "processor/PresetLayout.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr unsigned kAlways = 0x1F; // process types 0 to 4
constexpr unsigned kChain = 1u << 4;
constexpr unsigned kEqTypes = 1u << 0 | kChain;
constexpr unsigned kCompTypes = 1u << 1 | kChain;
constexpr unsigned kLimTypes = 1u << 2 | kChain;
constexpr unsigned kClipTypes = 1u << 3 | kChain;

struct SGolden {
    const char* pszName;
    const char* pszUnit; // null: none
    int nType;
    int nMin;
    int nMax;
    int nDefault;
    int nDecimals;
    int nCurve;
    int nCurveParam;
    const char* pszValueTexts;
    const char* pszMinText;
    const char* pszMaxText;
    unsigned nActiveTypes; // bit t: active in process type t
    int nPanel; // editor panel of the linked controls
    std::vector<int> controls; // linked controls in link order
};

const char* const kOffOn = "Off@On";
const char* const kQ = "Low Q@High Q";

// clang-format off
const SGolden kGolden[47] = {
    { "Global Bypass", nullptr, 1, 0, 1, 0, 0, 0, 0, kOffOn, nullptr, nullptr, kAlways, 0, {} },
    { "Patch", nullptr, 0, 0, 23, 0, 0, 0, 0, nullptr, nullptr, nullptr, kChain, 0, {} },
    { "EQ Enable@EQ Enbl", nullptr, 1, 0, 1, 1, 0, 0, 0, kOffOn, nullptr, nullptr, kEqTypes, 1, { 3, 16 } },
    { "EQ Low Cut Freq@LCtF@LCF", "Hz", 0, 15, 5300, 15, 0, 1, 1000, nullptr, "Off", nullptr, kEqTypes, 1, { 5, 28 } },
    { "EQ Low Cut Enable@LCtE@LCE", nullptr, 1, 0, 1, 1, 0, 0, 0, kOffOn, nullptr, nullptr, kEqTypes, 1, { 17 } },
    { "EQ Low Shelf Freq@LSfF@LSF", "Hz", 0, 30, 800, 75, 0, 1, 50, nullptr, nullptr, nullptr, kEqTypes, 1, { 6, 29 } },
    { "EQ Low Shelf Gain@LSfG@LSG", "dB", 0, -150, 150, 0, 1, 0, 0, nullptr, nullptr, nullptr, kEqTypes, 1, { 11, 34 } },
    { "EQ Low Shelf Enable@LSfE@LSE", nullptr, 1, 0, 1, 1, 0, 0, 0, kOffOn, nullptr, nullptr, kEqTypes, 1, { 18 } },
    { "EQ Low Mid Freq@LMdF@LMF", "Hz", 0, 33, 5400, 430, 0, 1, 1000, nullptr, nullptr, nullptr, kEqTypes, 1, { 7, 30 } },
    { "EQ Low Mid Gain@LMdG@LMG", "dB", 0, -150, 150, 0, 1, 0, 0, nullptr, nullptr, nullptr, kEqTypes, 1, { 12, 35 } },
    { "EQ Low Mid Q@LMdQ@LMQ", nullptr, 1, 0, 1, 0, 0, 0, 0, kQ, nullptr, nullptr, kEqTypes, 1, { 1 } },
    { "EQ Low Mid Enable@LMdE@LME", nullptr, 1, 0, 1, 1, 0, 0, 0, kOffOn, nullptr, nullptr, kEqTypes, 1, { 19 } },
    { "EQ High Mid Freq@HMdF@HMF", "Hz", 0, 200, 17500, 1900, 0, 1, 1000, nullptr, nullptr, nullptr, kEqTypes, 1, { 8, 31 } },
    { "EQ High Mid Gain@HMdG@HMG", "dB", 0, -150, 150, 0, 1, 0, 0, nullptr, nullptr, nullptr, kEqTypes, 1, { 13, 36 } },
    { "EQ High Mid Q@HMdQ@HMQ", nullptr, 1, 0, 1, 0, 0, 0, 0, kQ, nullptr, nullptr, kEqTypes, 1, { 2 } },
    { "EQ High Mid Enable@HMDE@HME", nullptr, 1, 0, 1, 1, 0, 0, 0, kOffOn, nullptr, nullptr, kEqTypes, 1, { 20 } },
    { "EQ High Shelf Freq@HSfF@HSF", "Hz", 0, 750, 8300, 3500, 0, 1, 1000, nullptr, nullptr, nullptr, kEqTypes, 1, { 9, 32 } },
    { "EQ High Shelf Gain@HSfG@HSG", "dB", 0, -150, 150, 0, 1, 0, 0, nullptr, nullptr, nullptr, kEqTypes, 1, { 14, 37 } },
    { "EQ High Shelf Enable@HSfE@HSE", nullptr, 1, 0, 1, 1, 0, 0, 0, kOffOn, nullptr, nullptr, kEqTypes, 1, { 21 } },
    { "EQ High Cut Freq@HCtF@HCF", "Hz", 0, 200, 19201, 19201, 0, 1, 1000, nullptr, nullptr, "Off", kEqTypes, 1, { 10, 33 } },
    { "EQ High Cut Enable@HCtE@HCE", nullptr, 1, 0, 1, 1, 0, 0, 0, kOffOn, nullptr, nullptr, kEqTypes, 1, { 22 } },
    { "EQ Output@Out", "dB", 0, -180, 180, 0, 1, 0, 0, nullptr, nullptr, nullptr, kEqTypes, 1, { 15, 39 } },
    { "Compressor Enable@CEnable", nullptr, 1, 0, 1, 1, 0, 0, 0, kOffOn, nullptr, nullptr, kCompTypes, 2, { 2, 3 } },
    { "Compressor Sidechain HPF@Side", "Hz", 0, 32, 218, 96, 0, 1, 1000, nullptr, nullptr, nullptr, kCompTypes, 2, { 5, 17 } },
    { "Compressor Attack@Attack", "Ms", 0, 120, 820, 320, 1, 1, 500, nullptr, nullptr, nullptr, kCompTypes, 2, { 6, 18 } },
    { "Compressor Release@CRelease", "Ms", 0, 290, 14000, 4300, 1, 1, 500, nullptr, nullptr, nullptr, kCompTypes, 2, { 7, 19 } },
    { "Compressor Ratio@Ratio", nullptr, 0, 150, 468, 310, 2, 1, 500, nullptr, nullptr, nullptr, kCompTypes, 2, { 9, 21 } },
    { "Compressor Stereo Enhancer@Stereo", "dB", 0, -50, 50, 0, 1, 0, 0, nullptr, nullptr, nullptr, kCompTypes, 2, { 8, 20 } },
    { "Compressor Input Drive@CInput", "dB", 0, -150, 150, -33, 1, 0, 0, nullptr, nullptr, nullptr, kCompTypes, 2, { 10, 22 } },
    { "Compressor Output@COutput", "dB", 0, -180, 180, 0, 1, 0, 0, nullptr, nullptr, nullptr, kCompTypes, 2, { 4, 23 } },
    { "Limiter Enable@LEnable", nullptr, 1, 0, 1, 1, 0, 0, 0, kOffOn, nullptr, nullptr, kLimTypes, 3, { 2, 3 } },
    { "Limiter Release@LRelease", "Ms", 0, 800, 15000, 3490, 1, 1, 500, nullptr, nullptr, nullptr, kLimTypes, 3, { 14, 23 } },
    { "Limiter Input Drive@Drive", "dB", 0, -90, 160, 0, 1, 0, 0, nullptr, nullptr, nullptr, kLimTypes, 3, { 17, 24 } },
    { "Limiter Overload@Overload", "dB", 0, -53, 53, 0, 1, 0, 0, nullptr, nullptr, nullptr, kLimTypes, 3, { 15, 22 } },
    { "Limiter Output@LOutput", "dB", 0, -180, 180, 0, 1, 0, 0, nullptr, nullptr, nullptr, kLimTypes, 3, { 4, 25 } },
    { "Limiter Crossover 1@Cross1", "Hz", 0, 30, 1900, 210, 0, 1, 1000, nullptr, nullptr, nullptr, kLimTypes, 3, { 12, 32 } },
    { "Limiter Crossover 2@Cross2", "Hz", 0, 1000, 20400, 7800, 0, 1, 1000, nullptr, nullptr, nullptr, kLimTypes, 3, { 13, 33 } },
    { "Limiter Band 1 Threshold@Thres1", "dB", 0, -120, 120, 0, 1, 0, 0, nullptr, nullptr, nullptr, kLimTypes, 3, { 5, 26 } },
    { "Limiter Band 1 Gain@Gain1", "dB", 0, -180, 180, 0, 1, 0, 0, nullptr, nullptr, nullptr, kLimTypes, 3, { 11, 29 } },
    { "Limiter Band 2 Threshold@Thres2", "dB", 0, -120, 120, 0, 1, 0, 0, nullptr, nullptr, nullptr, kLimTypes, 3, { 7, 27 } },
    { "Limiter Band 2 Gain@Gain2", "dB", 0, -180, 180, 0, 1, 0, 0, nullptr, nullptr, nullptr, kLimTypes, 3, { 10, 30 } },
    { "Limiter Band 3 Threshold@Thres3", "dB", 0, -120, 120, 0, 1, 0, 0, nullptr, nullptr, nullptr, kLimTypes, 3, { 8, 28 } },
    { "Limiter Band 3 Gain@Gain3", "dB", 0, -180, 180, 0, 1, 0, 0, nullptr, nullptr, nullptr, kLimTypes, 3, { 9, 31 } },
    { "Clipper Enable@CEnable", nullptr, 1, 0, 1, 1, 0, 0, 0, kOffOn, nullptr, nullptr, kClipTypes, 4, { 2, 3 } },
    { "Clipper Gain@Gain", "dB", 0, -150, 150, 0, 1, 0, 0, nullptr, nullptr, nullptr, kClipTypes, 4, { 4, 15 } },
    { "Clipper Curve@Curve", "dB", 0, -120, 0, -63, 1, 0, 0, nullptr, nullptr, nullptr, kClipTypes, 4, { 5, 16 } },
    { "Clipper Output@COutput", "dB", 0, -600, 60, 0, 1, 0, 0, nullptr, nullptr, nullptr, kClipTypes, 4, { 10, 17 } },
};
// clang-format on

std::string Text(const char* psz)
{
    return psz == nullptr ? "(null)" : psz;
}

TEST(ParameterTable, EveryDescriptorMatchesThePublishedList)
{
    for (unsigned nType : { 0u, 1u, 2u, 3u, 4u, 9u }) {
        SProcessRig rig(nType);
        ASSERT_EQ(rig.pProcess->GetNrOfParameters(), 47u) << "type " << nType;
        EXPECT_EQ(rig.pProcess->GetChunkSize(), 47u * 8u);
        for (int i = 0; i < 47; ++i) {
            const SGolden& g = kGolden[i];
            SCOPED_TRACE("type " + std::to_string(nType) + ", parameter " + std::to_string(i) + " " + g.pszName);
            vpa::SParameterInfo info;
            rig.pProcess->GetParameterInfo(static_cast<unsigned>(i), &info);
            EXPECT_EQ(Text(info.pszName), g.pszName);
            EXPECT_EQ(Text(info.pszUnit), Text(g.pszUnit));
            EXPECT_EQ(Text(info.pszValueTexts), Text(g.pszValueTexts));
            EXPECT_EQ(Text(info.pszMinText), Text(g.pszMinText));
            EXPECT_EQ(Text(info.pszMaxText), Text(g.pszMaxText));
            EXPECT_EQ(info.nType, g.nType);
            EXPECT_EQ(info.nMin, g.nMin);
            EXPECT_EQ(info.nMax, g.nMax);
            EXPECT_EQ(info.nDefault, g.nDefault);
            EXPECT_EQ(info.nDecimals, g.nDecimals);
            EXPECT_EQ(info.nCurve, g.nCurve);
            EXPECT_EQ(info.nCurveParam, g.nCurveParam);
            EXPECT_EQ(info.bActive, nType < 5 ? (g.nActiveTypes >> nType & 1u) != 0 : i == 0);
            // Without default preset files every value starts at its default.
            EXPECT_EQ(rig.pProcess->GetParameter(static_cast<unsigned>(i)), g.nDefault);
            // The descriptor's texts are the process's own copies.
            EXPECT_TRUE(info.pszName != kVantorParameters[i].pszName);
        }
    }
}

TEST(ParameterTable, EachParameterReachesItsEditorControlsAndNoOtherDoes)
{
    SProcessRig rig(4);
    adl::IDataManager* pData = rig.pProcess->GetDataManager();
    ASSERT_NE(pData, nullptr);
    int nLinks = 0;
    for (int i = 0; i < 47; ++i) {
        for (int nControl : kGolden[i].controls) {
            EXPECT_EQ(pData->GetIndexOfKey(kGolden[i].nPanel * 65536 + nControl), i)
                << "panel " << kGolden[i].nPanel << " control " << nControl;
            ++nLinks;
        }
    }
    EXPECT_EQ(nLinks, 82);
    // Every other control of the panels is bound to nothing.
    for (int nPanel = 0; nPanel <= 5; ++nPanel) {
        for (int nControl = 0; nControl < 64; ++nControl) {
            bool bLinked = false;
            for (const SGolden& g : kGolden) {
                for (int nLinked : g.controls)
                    bLinked = bLinked || (g.nPanel == nPanel && nLinked == nControl);
            }
            if (!bLinked) {
                EXPECT_EQ(pData->GetIndexOfKey(nPanel * 65536 + nControl), -1) << nPanel << "/" << nControl;
            }
        }
    }
}

TEST(ParameterTable, ModulesAreSwitchedAndStoredByTheirOwnParameters)
{
    // The enable switch of each module.
    const int kEnables[4] = { 2, 22, 30, 43 };
    for (int nModule = 0; nModule < 4; ++nModule)
        EXPECT_EQ(ModuleEnableParameter(nModule), kEnables[nModule]) << nModule;
    for (int nModule : { -1, 4, 99 })
        EXPECT_EQ(ModuleEnableParameter(nModule), -1) << nModule;
    EXPECT_FALSE(IsParameterActive(-1, kChainProcessType));
    EXPECT_FALSE(IsParameterActive(47, kChainProcessType));
    EXPECT_EQ(CreateParameterInfo(-1, 0), nullptr);
    EXPECT_EQ(CreateParameterInfo(47, 0), nullptr);
    // A preset file's blocks: the whole process, then each module's run.
    const std::vector<SPresetBlock> layout = VantorPresetLayout();
    const int kExpected[5][3] = { { -1, 0, 2 }, { 0, 2, 20 }, { 1, 22, 8 }, { 2, 30, 13 }, { 3, 43, 4 } };
    ASSERT_EQ(layout.size(), 5u);
    for (size_t n = 0; n < 5; ++n) {
        EXPECT_EQ(layout[n].nModule, kExpected[n][0]) << n;
        EXPECT_EQ(layout[n].nFirstUnit, kExpected[n][1]) << n;
        EXPECT_EQ(static_cast<int>(layout[n].nRecords), kExpected[n][2]) << n;
    }
}

} // namespace
