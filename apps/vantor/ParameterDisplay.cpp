#include "ParameterDisplay.h"

#include "parameters/DisplayTranslater.h"
#include "processor/ChainOrder.h"

namespace {

// Width and shown decimals of each parameter's text on its panel; 0 width
// for parameters without a text (switches and lists show their value text).
struct SFormat {
    int nWidth;
    int nShownDecimals;
};

constexpr SFormat kFormats[] = {
    {0, 0}, {0, 0},                                         // global bypass, patch
    {0, 0}, {5, 1}, {0, 0}, {5, 1}, {5, 1}, {0, 0},         // equaliser 2..7
    {5, 1}, {5, 1}, {0, 0}, {0, 0}, {5, 1}, {5, 1}, {0, 0}, // 8..14
    {0, 0}, {5, 1}, {5, 1}, {0, 0}, {5, 1}, {0, 0}, {5, 1}, // 15..21
    {0, 0}, {4, 0}, {5, 1}, {5, 1}, {4, 2}, {4, 1}, {4, 1}, {4, 1}, // compressor 22..29
    {0, 0}, {6, 1}, {5, 1}, {5, 1}, {5, 1}, {4, 1}, {4, 1},         // limiter 30..36
    {4, 1}, {4, 1}, {4, 1}, {4, 1}, {4, 1}, {4, 1},                 // 37..42
    {0, 0}, {5, 1}, {5, 1}, {5, 1},                                 // clipper 43..46
};
constexpr int kNrOfFormats = sizeof(kFormats) / sizeof(kFormats[0]);
static_assert(kNrOfFormats == 47, "one text format per parameter");

adl::UnitStepList UnitSteps(const std::string& sUnit)
{
    if (sUnit == "Hz")
        return {{1000.0f, "Hz"}, {0.0f, "KHz"}};
    if (sUnit == "Ms")
        return {{1000.0f, "ms"}, {0.0f, "s"}};
    return {{0.0f, sUnit}};
}

} // namespace

std::string CParameterDisplay::Show(int nIndex, int nStored) const
{
    const SParameterText& parameter = mParameters.Get(nIndex);
    if (nIndex == 1 && nStored >= 0 && nStored < kNrOfChainOrders) {
        static const char* const kModules[4] = {"eq", "comp", "lim", "clip"};
        std::string sOrder;
        for (int nModule : kChainOrders[nStored])
            sOrder += (sOrder.empty() ? "" : ",") + std::string(kModules[nModule]);
        return std::to_string(nStored) + " (" + sOrder + ")";
    }
    if (nIndex >= kNrOfFormats || kFormats[nIndex].nWidth == 0)
        return mParameters.Format(nIndex, nStored);
    adl::CDisplayTranslater translater(parameter.nDecimals, kFormats[nIndex].nWidth, kFormats[nIndex].nShownDecimals,
                                       UnitSteps(parameter.unit));
    if (!parameter.minText.empty())
        translater.AddValueText(parameter.nMin, parameter.minText);
    if (!parameter.maxText.empty())
        translater.AddValueText(parameter.nMax, parameter.maxText);
    std::string sText;
    translater.Translate(sText, nStored);
    // Unitless numbers (the ratio) end in the translater's blank.
    while (!sText.empty() && sText.back() == ' ')
        sText.pop_back();
    return sText;
}
