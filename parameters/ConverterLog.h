// Logarithmic mapping for frequencies and times: with t the linear
// normalised value, the position is log(t (B - 1) + 1) / log(B), so the low
// end of the range gets most of the travel. B (the base) must exceed 1.
#pragma once

#include "parameters/Converter.h"

namespace adl {

class CConverterLog : public virtual IConverter {
public:
    // minimum and maximum in the value scale, as for CConverterLinear.
    CConverterLog(int nDecimals, int nMinimum, int nMaximum, int nBase, int nPositionMin, int nPositionMax);
    ~CConverterLog() override;

    void Destroy() override;
    int ValueToPosition(int value) override;
    int PositionToValue(int position) override;
    double ValueToNormalized(int value) override;
    int NormalizedToValue(double normalized) override;

private:
    int base;
    double decimals;
    double minimum;
    double maximum;
    int positionMin;
    int positionMax;
};

} // namespace adl
