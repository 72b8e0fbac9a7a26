#include "toolkit/epiAlphaControl_static.h"

void epiAlphaControl_range::SetValue(int nValue)
{
    int nLast = 0;
    for (int k = 0; k < SEpiLayoutItem::kCasts; ++k)
        if (manCastIndex[k] != kNoCast)
            nLast = k;
    nValue = nValue < 0 ? 0 : nValue > nLast ? nLast : nValue;
    miValue = nValue;
    ShowFrame(nValue, false);
}
