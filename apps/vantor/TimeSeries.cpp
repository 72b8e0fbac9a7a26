#include "TimeSeries.h"

#include <algorithm>

void CTimeSeries::Add(double f)
{
    mfPending = mnPending == 0 ? f : std::max(mfPending, f);
    if (++mnPending < mnPerPoint)
        return;
    mValues.push_back(mfPending);
    mnPending = 0;
    if (mValues.size() < kMostPoints)
        return;
    for (size_t n = 0; n < mValues.size() / 2; ++n)
        mValues[n] = std::max(mValues[2 * n], mValues[2 * n + 1]);
    mValues.resize(mValues.size() / 2);
    mnPerPoint *= 2;
}

std::vector<double> CTimeSeries::GetValues() const
{
    std::vector<double> values(mValues);
    if (mnPending > 0)
        values.push_back(mfPending);
    return values;
}

void CTimeSeries::Clear()
{
    mValues.clear();
    mnPerPoint = 1;
    mnPending = 0;
}
