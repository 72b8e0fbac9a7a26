// Straight-line mapping between a value range and a position range.
#pragma once

#include "parameters/Converter.h"

namespace adl {

class CConverterLinear : public virtual IConverter {
public:
    // minimum and maximum in the value scale (-150, 150 with one decimal for
    // -15.0 .. +15.0 dB).
    CConverterLinear(int nDecimals, int nMinimum, int nMaximum, int nPositionMin, int nPositionMax);
    ~CConverterLinear() override;

    void Destroy() override;
    int ValueToPosition(int value) override;
    int PositionToValue(int position) override;
    double ValueToNormalized(int value) override;
    int NormalizedToValue(double normalized) override;

private:
    double decimals; // value v stands for v / 10^decimals
    double minimum; // real bounds (already divided by 10^decimals)
    double maximum;
    int positionMin;
    int positionMax;
};

} // namespace adl
