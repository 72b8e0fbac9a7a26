#include "ParameterTable.h"

#include <new>

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
