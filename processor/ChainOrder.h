// The 24 chain orders the "Patch" parameter selects. The row number is what
// hosts and presets store, so the row order never changes.
#pragma once

constexpr int kNrOfChainOrders = 24;

// Module ids (0 equaliser, 1 compressor, 2 limiter, 3 clipper) for chain
// positions 1 to 4.
constexpr int kChainOrders[kNrOfChainOrders][4] = {
    { 0, 1, 2, 3 },
    { 0, 1, 3, 2 },
    { 0, 2, 1, 3 },
    { 0, 2, 3, 1 },
    { 0, 3, 1, 2 },
    { 0, 3, 2, 1 },
    { 3, 0, 2, 1 },
    { 3, 0, 1, 2 },
    { 3, 2, 0, 1 },
    { 3, 2, 1, 0 },
    { 3, 1, 0, 2 },
    { 3, 1, 2, 0 },
    { 1, 0, 2, 3 },
    { 1, 0, 3, 2 },
    { 1, 2, 0, 3 },
    { 1, 2, 3, 0 },
    { 1, 3, 2, 0 },
    { 1, 3, 0, 2 },
    { 2, 1, 0, 3 },
    { 2, 1, 3, 0 },
    { 2, 0, 1, 3 },
    { 2, 0, 3, 1 },
    { 2, 3, 0, 1 },
    { 2, 3, 1, 0 },
};

// The row holding exactly this order, or -1.
inline int FindChainOrder(const int* pnOrder)
{
    for (int nRow = 0; nRow < kNrOfChainOrders; ++nRow) {
        bool bSame = true;
        for (int i = 0; i < 4; ++i)
            bSame = bSame && kChainOrders[nRow][i] == pnOrder[i];
        if (bSame)
            return nRow;
    }
    return -1;
}
