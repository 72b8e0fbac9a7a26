#include "ParameterTable.h"
#include "PresetLayout.h"

namespace {

enum EModuleId : int32_t { kEq = 0, kComp = 1, kLim = 2, kClip = 3 };

constexpr const char* kOffOn = "Off@On";

// The shapes that recur in the table; each fixes the fields its rows share.
// Every row ends with its editor controls: the knob or switch, then the
// value text or second switch.

// Off/On list, no unit.
constexpr SParameterDescriptor Switch(
    const char* pszName, int32_t nDefault, int32_t nModule, int32_t nControl = -1, int32_t nSecond = -1)
{
    return { pszName, nullptr, 1, 0, 1, nDefault, 0, nullptr, nullptr, 0, 0, kOffOn, nModule, nControl, nSecond, 0, 0,
        0 };
}

// Two-entry list with its own value names.
constexpr SParameterDescriptor List(const char* pszName, const char* pszTexts, int32_t nModule, int32_t nControl)
{
    return { pszName, nullptr, 1, 0, 1, 0, 0, nullptr, nullptr, 0, 0, pszTexts, nModule, nControl, -1, 0, 0, 0 };
}

// Tenths of a dB, linear taper.
constexpr SParameterDescriptor Gain(const char* pszName, int32_t nMin, int32_t nMax, int32_t nDefault, int32_t nModule,
    int32_t nWidth, int32_t nShown, int32_t nControl, int32_t nText)
{
    return { pszName, "dB", 0, nMin, nMax, nDefault, 1, nullptr, nullptr, 0, 0, nullptr, nModule, nControl, nText, 1,
        nWidth, nShown };
}

// Whole Hz, logarithmic taper.
constexpr SParameterDescriptor Freq(const char* pszName, int32_t nMin, int32_t nMax, int32_t nDefault, int32_t nTaper,
    int32_t nModule, int32_t nWidth, int32_t nShown, int32_t nControl, int32_t nText, const char* pszMinText = nullptr,
    const char* pszMaxText = nullptr)
{
    return { pszName, "Hz", 0, nMin, nMax, nDefault, 0, pszMinText, pszMaxText, 1, nTaper, nullptr, nModule, nControl,
        nText, 0, nWidth, nShown };
}

// Tenths of a millisecond, logarithmic taper 500.
constexpr SParameterDescriptor Time(const char* pszName, int32_t nMin, int32_t nMax, int32_t nDefault, int32_t nModule,
    int32_t nWidth, int32_t nShown, int32_t nControl, int32_t nText)
{
    return { pszName, "Ms", 0, nMin, nMax, nDefault, 1, nullptr, nullptr, 1, 500, nullptr, nModule, nControl, nText, 0,
        nWidth, nShown };
}

} // namespace

// Defined with an open bound so that a wrong row count conflicts with the
// declaration in the header.
const SParameterDescriptor kVantorParameters[] = {
    Switch("Global Bypass", 0, kWholeProcess),
    { "Patch", nullptr, 0, 0, 23, 0, 0, nullptr, nullptr, 0, 0, nullptr, kWholeProcess, -1, -1, 0, 0,
        0 }, // chain-order row

    Switch("EQ Enable@EQ Enbl", 1, kEq, 3, 16),
    Freq("EQ Low Cut Freq@LCtF@LCF", 15, 5300, 15, 1000, kEq, 5, 1, 5, 28, "Off"),
    Switch("EQ Low Cut Enable@LCtE@LCE", 1, kEq, 17),
    Freq("EQ Low Shelf Freq@LSfF@LSF", 30, 800, 75, 50, kEq, 5, 1, 6, 29),
    Gain("EQ Low Shelf Gain@LSfG@LSG", -150, 150, 0, kEq, 5, 1, 11, 34),
    Switch("EQ Low Shelf Enable@LSfE@LSE", 1, kEq, 18),
    Freq("EQ Low Mid Freq@LMdF@LMF", 33, 5400, 430, 1000, kEq, 5, 1, 7, 30),
    Gain("EQ Low Mid Gain@LMdG@LMG", -150, 150, 0, kEq, 5, 1, 12, 35),
    List("EQ Low Mid Q@LMdQ@LMQ", "Low Q@High Q", kEq, 1),
    Switch("EQ Low Mid Enable@LMdE@LME", 1, kEq, 19),
    Freq("EQ High Mid Freq@HMdF@HMF", 200, 17500, 1900, 1000, kEq, 5, 1, 8, 31),
    Gain("EQ High Mid Gain@HMdG@HMG", -150, 150, 0, kEq, 5, 1, 13, 36),
    List("EQ High Mid Q@HMdQ@HMQ", "Low Q@High Q", kEq, 2),
    Switch("EQ High Mid Enable@HMDE@HME", 1, kEq, 20),
    Freq("EQ High Shelf Freq@HSfF@HSF", 750, 8300, 3500, 1000, kEq, 5, 1, 9, 32),
    Gain("EQ High Shelf Gain@HSfG@HSG", -150, 150, 0, kEq, 5, 1, 14, 37),
    Switch("EQ High Shelf Enable@HSfE@HSE", 1, kEq, 21),
    Freq("EQ High Cut Freq@HCtF@HCF", 200, 19201, 19201, 1000, kEq, 5, 1, 10, 33, nullptr, "Off"),
    Switch("EQ High Cut Enable@HCtE@HCE", 1, kEq, 22),
    Gain("EQ Output@Out", -180, 180, 0, kEq, 5, 1, 15, 39),

    Switch("Compressor Enable@CEnable", 1, kComp, 2, 3),
    Freq("Compressor Sidechain HPF@Side", 32, 218, 96, 1000, kComp, 4, 0, 5, 17),
    Time("Compressor Attack@Attack", 120, 820, 320, kComp, 5, 1, 6, 18),
    Time("Compressor Release@CRelease", 290, 14000, 4300, kComp, 5, 1, 7, 19),
    { "Compressor Ratio@Ratio", nullptr, 0, 150, 468, 310, 2, nullptr, nullptr, 1, 500, nullptr, kComp, 9, 21, 2, 4,
        2 }, // 1.50..4.68
    Gain("Compressor Stereo Enhancer@Stereo", -50, 50, 0, kComp, 4, 1, 8, 20),
    Gain("Compressor Input Drive@CInput", -150, 150, -33, kComp, 4, 1, 10, 22),
    Gain("Compressor Output@COutput", -180, 180, 0, kComp, 4, 1, 4, 23),

    Switch("Limiter Enable@LEnable", 1, kLim, 2, 3),
    Time("Limiter Release@LRelease", 800, 15000, 3490, kLim, 6, 1, 14, 23),
    Gain("Limiter Input Drive@Drive", -90, 160, 0, kLim, 5, 1, 17, 24),
    Gain("Limiter Overload@Overload", -53, 53, 0, kLim, 5, 1, 15, 22),
    Gain("Limiter Output@LOutput", -180, 180, 0, kLim, 5, 1, 4, 25),
    Freq("Limiter Crossover 1@Cross1", 30, 1900, 210, 1000, kLim, 4, 1, 12, 32),
    Freq("Limiter Crossover 2@Cross2", 1000, 20400, 7800, 1000, kLim, 4, 1, 13, 33),
    Gain("Limiter Band 1 Threshold@Thres1", -120, 120, 0, kLim, 4, 1, 5, 26),
    Gain("Limiter Band 1 Gain@Gain1", -180, 180, 0, kLim, 4, 1, 11, 29),
    Gain("Limiter Band 2 Threshold@Thres2", -120, 120, 0, kLim, 4, 1, 7, 27),
    Gain("Limiter Band 2 Gain@Gain2", -180, 180, 0, kLim, 4, 1, 10, 30),
    Gain("Limiter Band 3 Threshold@Thres3", -120, 120, 0, kLim, 4, 1, 8, 28),
    Gain("Limiter Band 3 Gain@Gain3", -180, 180, 0, kLim, 4, 1, 9, 31),

    Switch("Clipper Enable@CEnable", 1, kClip, 2, 3),
    Gain("Clipper Gain@Gain", -150, 150, 0, kClip, 5, 1, 4, 15),
    Gain("Clipper Curve@Curve", -120, 0, -63, kClip, 5, 1, 5, 16),
    Gain("Clipper Output@COutput", -600, 60, 0, kClip, 5, 1, 10, 17),
};

int ModuleEnableParameter(int nModule)
{
    for (int i = 0; i < kNrOfVantorParameters; ++i) {
        if (kVantorParameters[i].nModule == nModule && nModule != kWholeProcess)
            return i;
    }
    return -1;
}

std::vector<SPresetBlock> VantorPresetLayout()
{
    std::vector<SPresetBlock> blocks;
    for (int i = 0; i < kNrOfVantorParameters; ++i) {
        if (blocks.empty() || blocks.back().nModule != kVantorParameters[i].nModule)
            blocks.push_back({ kVantorParameters[i].nModule, i, 0 });
        ++blocks.back().nRecords;
    }
    return blocks;
}

bool IsParameterActive(int nIndex, unsigned nProcessType)
{
    if (nIndex < 0 || nIndex >= kNrOfVantorParameters)
        return false;
    if (nIndex == kGlobalBypass)
        return true;
    if (nIndex == kPatch)
        return nProcessType == kChainProcessType; // the order only matters with all four modules
    // Type n runs module n alone; the chain runs all; any other type runs none.
    const int32_t nModule = kVantorParameters[nIndex].nModule;
    return nProcessType == kChainProcessType || (nModule >= 0 && nProcessType == static_cast<unsigned>(nModule));
}
