#include "ParameterDisplay.h"

#include "ParameterTable.h"
#include "parameters/DisplayTranslater.h"

#include <cstring>
#include <new>

namespace {

// Frequencies switch to KHz above 1000 Hz, times ("Ms" in the table: the
// value is in milliseconds) to seconds above 1000 ms.
adl::UnitStepList UnitStepsOf(const char* pszUnit)
{
    if (pszUnit == nullptr)
        return { { 0.0f, "" } };
    if (std::strcmp(pszUnit, "Hz") == 0)
        return { { 1000.0f, "Hz" }, { 0.0f, "KHz" } };
    if (std::strcmp(pszUnit, "Ms") == 0)
        return { { 1000.0f, "ms" }, { 0.0f, "s" } };
    return { { 0.0f, pszUnit } };
}

} // namespace

adl::CDisplayTranslater* CreateParameterTranslater(int nIndex)
{
    if (nIndex < 0 || nIndex >= kNrOfVantorParameters)
        return nullptr;
    const SParameterDescriptor& d = kVantorParameters[nIndex];
    if (d.nShownWidth <= 0)
        return nullptr;
    auto* pTranslater = new (std::nothrow)
        adl::CDisplayTranslater(d.nDecimals, d.nShownWidth, d.nShownDecimals, UnitStepsOf(d.pszUnit));
    if (pTranslater == nullptr)
        return nullptr;
    if (d.pszMinText != nullptr)
        pTranslater->AddValueText(d.nMin, d.pszMinText);
    if (d.pszMaxText != nullptr)
        pTranslater->AddValueText(d.nMax, d.pszMaxText);
    return pTranslater;
}

std::string ParameterDisplayText(int nIndex, int nStored)
{
    adl::CDisplayTranslater* pTranslater = CreateParameterTranslater(nIndex);
    if (pTranslater == nullptr)
        return std::string();
    std::string sText;
    pTranslater->Translate(sText, nStored);
    pTranslater->Destroy();
    return TrimDisplayText(sText);
}

std::string TrimDisplayText(std::string sText)
{
    while (!sText.empty() && sText.back() == ' ')
        sText.pop_back();
    return sText;
}
