// Text without a skin: a built-in 3 × 5 pixel font, drawn enlarged into a
// 32-bit picture. The editor uses it to say why it is empty when its skin
// file could not be used, since the skin's own fonts are then missing too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Draws sText with its top-left corner at (x, y), each font pixel nScale ×
// nScale, lower case as upper case, characters the font lacks as '?'.
// Lines break at '\n' and before a word that would cross the right edge.
// Returns the row below the last line drawn.
int DrawPlainText(std::vector<uint32_t>& pixels, int nWidth, int nHeight, int x, int y, const std::string& sText,
    uint32_t nRGB, int nScale);
