#include "ParameterTable.h"

#include <new>

namespace {

enum EModuleId : int32_t { kEq = 0, kComp = 1, kLim = 2, kClip = 3 };

constexpr const char* kOffOn = "Off@On";

// The shapes that recur in the table; each fixes the fields its rows share.

// Off/On list, no unit.
constexpr SParameterDescriptor Switch(const char* pszName, int32_t nDefault, int32_t nModule)
{
    return {pszName, nullptr, 1, 0, 1, nDefault, 0, nullptr, nullptr, 0, 0, kOffOn, nModule};
}

// Two-entry list with its own value names.
constexpr SParameterDescriptor List(const char* pszName, const char* pszTexts, int32_t nModule)
{
    return {pszName, nullptr, 1, 0, 1, 0, 0, nullptr, nullptr, 0, 0, pszTexts, nModule};
}

// Tenths of a dB, linear taper.
constexpr SParameterDescriptor Gain(const char* pszName, int32_t nMin, int32_t nMax, int32_t nDefault,
                                    int32_t nModule)
{
    return {pszName, "dB", 0, nMin, nMax, nDefault, 1, nullptr, nullptr, 0, 0, nullptr, nModule};
}

// Whole Hz, logarithmic taper.
constexpr SParameterDescriptor Freq(const char* pszName, int32_t nMin, int32_t nMax, int32_t nDefault,
                                    int32_t nTaper, int32_t nModule, const char* pszMinText = nullptr,
                                    const char* pszMaxText = nullptr)
{
    return {pszName, "Hz", 0, nMin, nMax, nDefault, 0, pszMinText, pszMaxText, 1, nTaper, nullptr, nModule};
}

// Tenths of a millisecond, logarithmic taper 500.
constexpr SParameterDescriptor Time(const char* pszName, int32_t nMin, int32_t nMax, int32_t nDefault,
                                    int32_t nModule)
{
    return {pszName, "Ms", 0, nMin, nMax, nDefault, 1, nullptr, nullptr, 1, 500, nullptr, nModule};
}

} // namespace

// Defined with an open bound so that a wrong row count conflicts with the
// declaration in the header.
const SParameterDescriptor kVantorParameters[] = {
    Switch("Global Bypass", 0, kWholeProcess),
    {"Patch", nullptr, 0, 0, 23, 0, 0, nullptr, nullptr, 0, 0, nullptr, kWholeProcess}, // chain-order row

    Switch("EQ Enable@EQ Enbl", 1, kEq),
    Freq("EQ Low Cut Freq@LCtF@LCF", 15, 5300, 15, 1000, kEq, "Off"),
    Switch("EQ Low Cut Enable@LCtE@LCE", 1, kEq),
    Freq("EQ Low Shelf Freq@LSfF@LSF", 30, 800, 75, 50, kEq),
    Gain("EQ Low Shelf Gain@LSfG@LSG", -150, 150, 0, kEq),
    Switch("EQ Low Shelf Enable@LSfE@LSE", 1, kEq),
    Freq("EQ Low Mid Freq@LMdF@LMF", 33, 5400, 430, 1000, kEq),
    Gain("EQ Low Mid Gain@LMdG@LMG", -150, 150, 0, kEq),
    List("EQ Low Mid Q@LMdQ@LMQ", "Low Q@High Q", kEq),
    Switch("EQ Low Mid Enable@LMdE@LME", 1, kEq),
    Freq("EQ High Mid Freq@HMdF@HMF", 200, 17500, 1900, 1000, kEq),
    Gain("EQ High Mid Gain@HMdG@HMG", -150, 150, 0, kEq),
    List("EQ High Mid Q@HMdQ@HMQ", "Low Q@High Q", kEq),
    Switch("EQ High Mid Enable@HMDE@HME", 1, kEq),
    Freq("EQ High Shelf Freq@HSfF@HSF", 750, 8300, 3500, 1000, kEq),
    Gain("EQ High Shelf Gain@HSfG@HSG", -150, 150, 0, kEq),
    Switch("EQ High Shelf Enable@HSfE@HSE", 1, kEq),
    Freq("EQ High Cut Freq@HCtF@HCF", 200, 19201, 19201, 1000, kEq, nullptr, "Off"),
    Switch("EQ High Cut Enable@HCtE@HCE", 1, kEq),
    Gain("EQ Output@Out", -180, 180, 0, kEq),

    Switch("Compressor Enable@CEnable", 1, kComp),
    Freq("Compressor Sidechain HPF@Side", 32, 218, 96, 1000, kComp),
    Time("Compressor Attack@Attack", 120, 820, 320, kComp),
    Time("Compressor Release@CRelease", 290, 14000, 4300, kComp),
    {"Compressor Ratio@Ratio", nullptr, 0, 150, 468, 310, 2, nullptr, nullptr, 1, 500, nullptr, kComp}, // 1.50..4.68
    Gain("Compressor Stereo Enhancer@Stereo", -50, 50, 0, kComp),
    Gain("Compressor Input Drive@CInput", -150, 150, -33, kComp),
    Gain("Compressor Output@COutput", -180, 180, 0, kComp),

    Switch("Limiter Enable@LEnable", 1, kLim),
    Time("Limiter Release@LRelease", 800, 15000, 3490, kLim),
    Gain("Limiter Input Drive@Drive", -90, 160, 0, kLim),
    Gain("Limiter Overload@Overload", -53, 53, 0, kLim),
    Gain("Limiter Output@LOutput", -180, 180, 0, kLim),
    Freq("Limiter Crossover 1@Cross1", 30, 1900, 210, 1000, kLim),
    Freq("Limiter Crossover 2@Cross2", 1000, 20400, 7800, 1000, kLim),
    Gain("Limiter Band 1 Threshold@Thres1", -120, 120, 0, kLim),
    Gain("Limiter Band 1 Gain@Gain1", -180, 180, 0, kLim),
    Gain("Limiter Band 2 Threshold@Thres2", -120, 120, 0, kLim),
    Gain("Limiter Band 2 Gain@Gain2", -180, 180, 0, kLim),
    Gain("Limiter Band 3 Threshold@Thres3", -120, 120, 0, kLim),
    Gain("Limiter Band 3 Gain@Gain3", -180, 180, 0, kLim),

    Switch("Clipper Enable@CEnable", 1, kClip),
    Gain("Clipper Gain@Gain", -150, 150, 0, kClip),
    Gain("Clipper Curve@Curve", -120, 0, -63, kClip),
    Gain("Clipper Output@COutput", -600, 60, 0, kClip),
};

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

vpa::SParameterInfo* CreateParameterInfo(int nIndex, unsigned nProcessType)
{
    if (nIndex < 0 || nIndex >= kNrOfVantorParameters)
        return nullptr;
    const SParameterDescriptor& d = kVantorParameters[nIndex];

    vpa::SParameterInfo* pInfo = new (std::nothrow) vpa::SParameterInfo();
    if (pInfo == nullptr)
        return nullptr;
    pInfo->pszName = vpa::CProcess::CopyText(d.pszName);
    pInfo->pszUnit = vpa::CProcess::CopyText(d.pszUnit);
    pInfo->nType = d.nType;
    pInfo->nMin = d.nMin;
    pInfo->nMax = d.nMax;
    pInfo->nDefault = d.nDefault;
    pInfo->nDecimals = d.nDecimals;
    pInfo->pszMinText = vpa::CProcess::CopyText(d.pszMinText);
    pInfo->pszMaxText = vpa::CProcess::CopyText(d.pszMaxText);
    pInfo->nCurve = d.nCurve; // never 2: no parameter owns a taper block
    pInfo->nCurveParam = d.nCurveParam;
    pInfo->pszValueTexts = vpa::CProcess::CopyText(d.pszValueTexts);
    pInfo->bActive = IsParameterActive(nIndex, nProcessType);

    // A text that should exist but could not be copied: give back everything.
    const bool bComplete = pInfo->pszName != nullptr && (d.pszUnit == nullptr || pInfo->pszUnit != nullptr)
                           && (d.pszMinText == nullptr || pInfo->pszMinText != nullptr)
                           && (d.pszMaxText == nullptr || pInfo->pszMaxText != nullptr)
                           && (d.pszValueTexts == nullptr || pInfo->pszValueTexts != nullptr);
    if (!bComplete) {
        delete[] pInfo->pszName;
        delete[] pInfo->pszUnit;
        delete[] pInfo->pszMinText;
        delete[] pInfo->pszMaxText;
        delete[] pInfo->pszValueTexts;
        delete pInfo;
        return nullptr;
    }
    return pInfo;
}
