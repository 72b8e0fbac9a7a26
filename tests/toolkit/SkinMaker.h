// Small skins for the panel tests: casts with chosen pixels and masks and
// layouts with chosen items, written as a resource file the toolkit opens.
#pragma once

#include "toolkit/epiLayout.h"
#include "toolkit/epiOffmap.h"
#include "toolkit/epiRamResFile.h"

#include <cstdint>
#include <functional>
#include <string>

class CSkinMaker {
public:
    CSkinMaker();

    // A 16-bit cast whose pixel at (x, y) is colour(x, y) (5-5-5), with an
    // 8-bit mask from cover(x, y) when given.
    void AddCast(int32_t iId, int nWidth, int nHeight, const std::function<uint16_t(int, int)>& colour,
        const std::function<uint8_t(int, int)>& cover = nullptr);
    // A layout with the given rectangle and items (capacity 100).
    void AddLayout(int32_t iId, const SEpiRect& rect, const std::vector<SEpiLayoutItem>& items);
    // Writes the resource file; the path in native form.
    bool Save(const std::string& sPath);

    // An item of a kind at (h, v) showing the casts (up to ten), state 2.
    static SEpiLayoutItem Item(
        int16_t nKind, int h, int v, std::initializer_list<int32_t> casts, int16_t nState = kEpiItemActive);

private:
    epiRamResFile mFile;
};
