#include "parameters/ConverterLog.h"

#include "parameters/Rounding.h"

#include <cmath>
#include <limits>

namespace adl {

namespace {

// Above this the inverse curve is taken as exactly 1, so that the top
// position lands on the maximum despite pow/log10 rounding.
constexpr double kTopClamp = 0.999999;

} // namespace

CConverterLog::CConverterLog(int nDecimals, int nMinimum, int nMaximum, int nBase, int nPositionMin, int nPositionMax)
    : base(nBase)
    , decimals(nDecimals)
    , minimum(nMinimum / std::pow(10.0, nDecimals))
    , maximum(nMaximum / std::pow(10.0, nDecimals))
    , positionMin(nPositionMin)
    , positionMax(nPositionMax)
{ }

CConverterLog::~CConverterLog() = default;

void CConverterLog::Destroy()
{
    delete this;
}

int CConverterLog::ValueToPosition(int value)
{
    const double fSpan = static_cast<double>(positionMax) - positionMin;
    return ToIntSaturated(positionMin + RoundHalfAway(ValueToNormalized(value) * fSpan));
}

int CConverterLog::PositionToValue(int position)
{
    const double fOffset = static_cast<double>(position) - positionMin;
    const double fSpan = static_cast<double>(positionMax) - positionMin;
    return NormalizedToValue(fOffset / fSpan);
}

// Below the range the curve extrapolates while t (B - 1) + 1 stays positive.
// Further down the logarithm does not exist; such values lie below every
// position (-infinity), so ValueToPosition saturates at the bottom.
double CConverterLog::ValueToNormalized(int value)
{
    const double fLinear = (value / std::pow(10.0, decimals) - minimum) / (maximum - minimum);
    const double fArgument = fLinear * (base - 1.0) + 1.0;
    if (fArgument <= 0.0)
        return -std::numeric_limits<double>::infinity();
    return std::log10(fArgument) / std::log10(static_cast<double>(base));
}

int CConverterLog::NormalizedToValue(double normalized)
{
    double fLinear = (std::pow(10.0, std::log10(static_cast<double>(base)) * normalized) - 1.0) / (base - 1.0);
    if (fLinear > kTopClamp)
        fLinear = 1.0;
    return ToIntSaturated(RoundHalfAway(std::pow(10.0, decimals) * ((maximum - minimum) * fLinear + minimum)));
}

} // namespace adl
