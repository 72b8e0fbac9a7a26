#include "ParameterText.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

std::vector<std::string> Split(const char* psz, char cSeparator)
{
    std::vector<std::string> parts;
    if (psz == nullptr)
        return parts;
    std::string sPart;
    for (const char* p = psz;; ++p) {
        if (*p == cSeparator || *p == '\0') {
            parts.push_back(sPart);
            sPart.clear();
            if (*p == '\0')
                break;
        } else {
            sPart += *p;
        }
    }
    return parts;
}

std::string Trim(const std::string& s)
{
    const size_t nFirst = s.find_first_not_of(" \t");
    if (nFirst == std::string::npos)
        return std::string();
    const size_t nLast = s.find_last_not_of(" \t\r\n");
    return s.substr(nFirst, nLast - nFirst + 1);
}

bool SameText(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

double PowerOfTen(int nDecimals)
{
    return std::pow(10.0, nDecimals);
}

// What a number followed by sSuffix is worth in the parameter's unit: 1 for
// no suffix or the unit itself, 1000 for a kilo prefix ("k", "kHz"), 1000
// for seconds where the unit is ms and 0.001 for ms where it is s; 0 when
// the suffix means nothing here.
double UnitScale(const std::string& sSuffix, const std::string& sUnit)
{
    if (sSuffix.empty() || SameText(sSuffix, sUnit))
        return 1.0;
    if (SameText(sSuffix, "k") || (!sUnit.empty() && SameText(sSuffix, "k" + sUnit)))
        return 1000.0;
    if (SameText(sUnit, "ms") && SameText(sSuffix, "s"))
        return 1000.0;
    if (SameText(sUnit, "s") && SameText(sSuffix, "ms"))
        return 0.001;
    return 0.0;
}

// Edits (insert, delete, replace) between two names, in any case.
size_t Distance(const std::string& a, const std::string& b)
{
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t nDiagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t nAbove = row[j];
            const bool bSame = std::tolower(static_cast<unsigned char>(a[i - 1]))
                == std::tolower(static_cast<unsigned char>(b[j - 1]));
            row[j] = std::min({ row[j] + 1, row[j - 1] + 1, nDiagonal + (bSame ? 0 : 1) });
            nDiagonal = nAbove;
        }
    }
    return row[b.size()];
}

} // namespace

SParameterText MakeParameterText(const char* pszName, const char* pszUnit, int nType, int nMin, int nMax, int nDefault,
    int nDecimals, const char* pszMinText, const char* pszMaxText, const char* pszValueTexts, bool bActive)
{
    SParameterText text;
    text.names = Split(pszName, '@');
    text.unit = pszUnit != nullptr ? pszUnit : "";
    text.nType = nType;
    text.nMin = nMin;
    text.nMax = nMax;
    text.nDefault = nDefault;
    text.nDecimals = nDecimals;
    text.minText = pszMinText != nullptr ? pszMinText : "";
    text.maxText = pszMaxText != nullptr ? pszMaxText : "";
    text.valueTexts = Split(pszValueTexts, '@');
    text.bActive = bActive;
    return text;
}

void CParameterText::Load(vpa::IProcess& process)
{
    mParameters.clear();
    const unsigned nCount = process.GetNrOfParameters();
    for (unsigned i = 0; i < nCount; ++i) {
        vpa::SParameterInfo info;
        process.GetParameterInfo(i, &info);
        mParameters.push_back(MakeParameterText(info.pszName, info.pszUnit, info.nType, info.nMin, info.nMax,
            info.nDefault, info.nDecimals, info.pszMinText, info.pszMaxText, info.pszValueTexts, info.bActive));
    }
}

int CParameterText::Find(const std::string& sName) const
{
    const std::string sWanted = Trim(sName);
    int nFound = -1;
    int nActiveFound = -1;
    int nActiveCount = 0;
    for (size_t i = 0; i < mParameters.size(); ++i) {
        const SParameterText& p = mParameters[i];
        const bool bMatch = std::any_of(p.names.begin(), p.names.end(),
            [&](const std::string& sCandidate) { return SameText(sCandidate, sWanted); });
        if (!bMatch)
            continue;
        // A full name is unique: it wins outright.
        if (!p.names.empty() && SameText(p.names.front(), sWanted))
            return static_cast<int>(i);
        if (nFound < 0)
            nFound = static_cast<int>(i);
        if (p.bActive) {
            ++nActiveCount;
            nActiveFound = static_cast<int>(i);
        }
    }
    if (nActiveCount == 1)
        return nActiveFound;
    if (nActiveCount > 1)
        return -1;
    // No active match: a short name held by one parameter only.
    int nMatches = 0;
    for (const SParameterText& p : mParameters) {
        nMatches += std::any_of(p.names.begin(), p.names.end(),
            [&](const std::string& sCandidate) { return SameText(sCandidate, sWanted); });
    }
    return nMatches == 1 ? nFound : -1;
}

bool CParameterText::ParseValue(
    int nIndex, const std::string& sText, int& nStored, std::string& sWarning, std::string& sError) const
{
    sWarning.clear();
    sError.clear();
    if (nIndex < 0 || static_cast<size_t>(nIndex) >= mParameters.size()) {
        sError = "no such parameter";
        return false;
    }
    const SParameterText& p = mParameters[static_cast<size_t>(nIndex)];
    const std::string sValue = Trim(sText);
    for (size_t i = 0; i < p.valueTexts.size(); ++i) {
        if (SameText(p.valueTexts[i], sValue)) {
            nStored = p.nMin + static_cast<int>(i);
            return true;
        }
    }
    if (!p.minText.empty() && SameText(p.minText, sValue)) {
        nStored = p.nMin;
        return true;
    }
    if (!p.maxText.empty() && SameText(p.maxText, sValue)) {
        nStored = p.nMax;
        return true;
    }
    // Switches take the usual words for on and off.
    if (p.nType == 1 && p.valueTexts.size() == 2 && SameText(p.valueTexts[0], "Off")
        && SameText(p.valueTexts[1], "On")) {
        for (const char* pszOn : { "true", "yes" }) {
            if (SameText(sValue, pszOn)) {
                nStored = p.nMin + 1;
                return true;
            }
        }
        for (const char* pszOff : { "false", "no" }) {
            if (SameText(sValue, pszOff)) {
                nStored = p.nMin;
                return true;
            }
        }
    }
    // A number, optionally followed by the unit ("4.5 dB", "120Hz"), with a
    // kilo prefix ("3.5 kHz", "5k") or in seconds for a parameter in ms.
    const char* pszBegin = sValue.c_str();
    char* pszEnd = nullptr;
    double fValue = std::strtod(pszBegin, &pszEnd);
    const std::string sRest = Trim(pszEnd != nullptr ? pszEnd : "");
    const double fScale = UnitScale(sRest, p.unit);
    fValue *= fScale;
    if (pszEnd == pszBegin || !std::isfinite(fValue) || fScale == 0.0) {
        std::string sChoices;
        for (const std::string& s : p.valueTexts)
            sChoices += (sChoices.empty() ? "" : ", ") + s;
        sError = "'" + sValue + "' is not a value of " + p.names.front()
            + (sChoices.empty() ? " (a number in " + (p.unit.empty() ? std::string("plain units") : p.unit) + ")"
                                : " (" + sChoices + ")");
        return false;
    }
    const double fStored = std::round(fValue * PowerOfTen(p.nDecimals));
    if (fStored < p.nMin || fStored > p.nMax) {
        nStored = fStored < p.nMin ? p.nMin : p.nMax;
        sWarning = p.names.front() + " " + sValue + " is out of range; using " + Format(nIndex, nStored);
        return true;
    }
    nStored = static_cast<int>(fStored);
    return true;
}

bool CParameterText::ParseAssignment(
    const std::string& sAssignment, int& nIndex, int& nStored, std::string& sWarning, std::string& sError) const
{
    const size_t nEquals = sAssignment.find('=');
    if (nEquals == std::string::npos) {
        sError = "'" + sAssignment + "' is not NAME=VALUE";
        return false;
    }
    const std::string sName = Trim(sAssignment.substr(0, nEquals));
    nIndex = Find(sName);
    if (nIndex < 0) {
        sError = DescribeUnknown(sName);
        return false;
    }
    return ParseValue(nIndex, sAssignment.substr(nEquals + 1), nStored, sWarning, sError);
}

std::string CParameterText::Format(int nIndex, int nStored) const
{
    if (nIndex < 0 || static_cast<size_t>(nIndex) >= mParameters.size())
        return std::string();
    const SParameterText& p = mParameters[static_cast<size_t>(nIndex)];
    const int nOffset = nStored - p.nMin;
    if (p.nType == 1 && nOffset >= 0 && static_cast<size_t>(nOffset) < p.valueTexts.size())
        return p.valueTexts[static_cast<size_t>(nOffset)];
    if (nStored == p.nMin && !p.minText.empty())
        return p.minText;
    if (nStored == p.nMax && !p.maxText.empty())
        return p.maxText;
    char buffer[64];
    std::snprintf(buffer, sizeof(buffer), "%.*f", std::max(p.nDecimals, 0), nStored / PowerOfTen(p.nDecimals));
    std::string sText = buffer;
    if (!p.unit.empty())
        sText += " " + p.unit;
    return sText;
}

std::string CParameterText::DescribeUnknown(const std::string& sName) const
{
    const std::string sWanted = Trim(sName);
    // A short name that several parameters share.
    std::string sHolders;
    for (const SParameterText& p : mParameters) {
        if (p.bActive && std::any_of(p.names.begin(), p.names.end(), [&](const std::string& sCandidate) {
                return SameText(sCandidate, sWanted);
            }))
            sHolders += (sHolders.empty() ? "" : " or ") + p.names.front();
    }
    if (!sHolders.empty())
        return "'" + sWanted + "' could be " + sHolders + "; use the full name";
    // The closest names, by the fewest edits.
    std::vector<std::pair<size_t, std::string>> closest;
    for (const SParameterText& p : mParameters) {
        if (!p.bActive)
            continue;
        size_t nBest = std::string::npos;
        for (const std::string& sCandidate : p.names)
            nBest = std::min(nBest, Distance(sWanted, sCandidate));
        if (nBest <= std::max<size_t>(2, sWanted.size() / 3))
            closest.emplace_back(nBest, p.names.front());
    }
    std::stable_sort(closest.begin(), closest.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::string sSuggestions;
    for (size_t i = 0; i < closest.size() && i < 3; ++i)
        sSuggestions += (i == 0 ? "" : ", ") + closest[i].second;
    return "unknown parameter '" + sWanted + "'"
        + (sSuggestions.empty() ? std::string(" (see 'vantor params')") : "; did you mean " + sSuggestions + "?");
}
