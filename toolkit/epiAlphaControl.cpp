#include "toolkit/epiAlphaControl.h"

void epiAlphaControl::Draw(epiOffmap& target, const SEpiRect& clip)
{
    const int nSlot = miFrame >= 0 && miFrame < SEpiLayoutItem::kCasts ? miFrame : 0;
    DrawCastSlot(target, clip, nSlot, mbEnabled ? 0 : kDisabledDim);
}
