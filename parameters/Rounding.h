// Rounding shared by the converters and the display translation.
#pragma once

#include <climits>
#include <cmath>

namespace adl {

// Round half away from zero: add 0.5 to a value above 0, subtract 0.5
// otherwise, then truncate toward zero. Stays a double so that callers can
// add offsets before the one conversion to int.
inline double RoundHalfAway(double fValue)
{
    return std::trunc(fValue > 0.0 ? fValue + 0.5 : fValue - 0.5);
}

// Converts a whole double to int without undefined behaviour: out-of-range
// results (degenerate ranges, extrapolation far beyond the bounds) saturate,
// NaN gives 0.
inline int ToIntSaturated(double fValue)
{
    if (std::isnan(fValue))
        return 0;
    if (fValue >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (fValue <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(fValue);
}

} // namespace adl
