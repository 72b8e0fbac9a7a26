#include "parameters/DisplayTranslater.h"

#include "parameters/Rounding.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace adl {

namespace {

// Decimals beyond this carry no information in a double; the bound also keeps
// the power of ten exact.
constexpr int kMaxDecimals = 15;

double PowerOfTen(int nExponent)
{
    double fPower = 1.0;
    for (int i = 0; i < nExponent; ++i)
        fPower *= 10.0;
    return fPower;
}

// A last decimal that rounded up to 10 was written as '0': carry into the
// characters before position nDigit, skipping the point. A carry out of the
// leftmost digit makes a new leading '1' (after a sign), as in 99.96 -> 100.0.
void PropagateCarry(std::string& sNumber, size_t nDigit)
{
    size_t i = nDigit;
    while (i > 0) {
        --i;
        const char c = sNumber[i];
        if (c == '.')
            continue;
        if (c == '9') {
            sNumber[i] = '0';
            continue;
        }
        if (c >= '0' && c <= '8') {
            ++sNumber[i];
            return;
        }
        sNumber.insert(i + 1, 1, '1');
        return;
    }
    sNumber.insert(0, 1, '1');
}

} // namespace

CDisplayTranslater::CDisplayTranslater(int nValueDecimals, int nWidth, int nShownDecimals, const UnitStepList& steps)
    : step(std::pow(10.0, -static_cast<double>(nValueDecimals)))
    , width(nWidth)
    , shownDecimals(nShownDecimals)
    , unitSteps(steps)
{ }

CDisplayTranslater::~CDisplayTranslater() = default;

void CDisplayTranslater::Destroy()
{
    delete this;
}

void CDisplayTranslater::Translate(std::string& text, int value)
{
    for (const std::pair<int, std::string>& valueText : valueTexts) {
        if (valueText.first == value) {
            text = valueText.second;
            return;
        }
    }

    double fReal = value * step;

    // The last threshold the walk passes divides the value shown in the unit
    // where it stops (1250 Hz passes 1000 and reads 1.25 KHz).
    double fDivisor = 0.0;
    std::string sSuffix;
    if (!unitSteps.empty()) {
        size_t nUnit = 0;
        while (nUnit + 1 < unitSteps.size() && unitSteps[nUnit].first < fReal) {
            fDivisor = unitSteps[nUnit].first;
            ++nUnit;
        }
        sSuffix = " " + unitSteps[nUnit].second;
    }
    if (fDivisor != 0.0)
        fReal /= fDivisor;

    text.clear();
    AppendNumber(text, fReal);
    text += sSuffix;
}

// Rounds to shownDecimals, writes sign and integer part, then as many of the
// decimals as the width leaves room for (at least a point and one digit); the
// last decimal written is rounded, the others truncated. A whole number shows
// no point.
void CDisplayTranslater::AppendNumber(std::string& text, double fReal) const
{
    const int nShown = std::clamp(shownDecimals, 0, kMaxDecimals);
    const double fScale = PowerOfTen(nShown);
    double fRounded = RoundHalfAway(fReal * fScale) / fScale;

    std::string sNumber;
    if (fRounded < 0.0) {
        sNumber += '-';
        fRounded = -fRounded;
    }
    // Adding 0 turns a -0 left by rounding into 0, so no "-0" is written.
    const double fWhole = std::trunc(fRounded) + 0.0;
    char szWhole[400]; // the widest double written without exponent fits
    std::snprintf(szWhole, sizeof szWhole, "%.0f", fWhole);
    sNumber += szWhole;

    double fFrac = fRounded - fWhole;
    int n = static_cast<int>(sNumber.size());
    // Widened so that an absurd width cannot overflow.
    if (fFrac > 0.0 && shownDecimals > 0 && static_cast<long long>(width) - n > 1) {
        sNumber += '.';
        ++n;
        const int nDigits = std::min(width - n, nShown);
        for (int i = 1; i <= nDigits; ++i) {
            const double fPlace = PowerOfTen(i);
            if (i < nDigits) {
                const int nDigit = static_cast<int>(std::clamp(fPlace * fFrac, 0.0, 9.0));
                sNumber += static_cast<char>('0' + nDigit);
                fFrac -= nDigit / fPlace;
            } else {
                const double fLast = RoundHalfAway(fPlace * fFrac);
                if (fLast >= 10.0) {
                    sNumber += '0';
                    PropagateCarry(sNumber, sNumber.size() - 1);
                } else {
                    sNumber += static_cast<char>('0' + static_cast<int>(std::max(fLast, 0.0)));
                }
            }
        }
    }
    text += sNumber;
}

int CDisplayTranslater::TextToValue(const std::string&)
{
    return 0;
}

void CDisplayTranslater::AddValueText(int value, const std::string& text)
{
    valueTexts.emplace_back(value, text);
}

} // namespace adl
