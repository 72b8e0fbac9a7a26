#include "parameters/ConverterLinear.h"

#include "parameters/Rounding.h"

#include <cmath>

namespace adl {

CConverterLinear::CConverterLinear(int nDecimals, int nMinimum, int nMaximum, int nPositionMin, int nPositionMax)
    : decimals(nDecimals)
    , minimum(nMinimum / std::pow(10.0, nDecimals))
    , maximum(nMaximum / std::pow(10.0, nDecimals))
    , positionMin(nPositionMin)
    , positionMax(nPositionMax)
{ }

CConverterLinear::~CConverterLinear() = default;

void CConverterLinear::Destroy()
{
    delete this;
}

// The rounding applies to the offset from positionMin, before it is added.
int CConverterLinear::ValueToPosition(int value)
{
    const double fSpan = static_cast<double>(positionMax) - positionMin;
    return ToIntSaturated(positionMin + RoundHalfAway(ValueToNormalized(value) * fSpan));
}

int CConverterLinear::PositionToValue(int position)
{
    const double fScale = std::pow(10.0, decimals);
    const double fOffset = static_cast<double>(position) - positionMin;
    const double fSpan = static_cast<double>(positionMax) - positionMin;
    return ToIntSaturated(RoundHalfAway(fScale * (fOffset / fSpan * (maximum - minimum) + minimum)));
}

double CConverterLinear::ValueToNormalized(int value)
{
    return (value / std::pow(10.0, decimals) - minimum) / (maximum - minimum);
}

int CConverterLinear::NormalizedToValue(double normalized)
{
    return ToIntSaturated(RoundHalfAway(std::pow(10.0, decimals) * ((maximum - minimum) * normalized + minimum)));
}

} // namespace adl
