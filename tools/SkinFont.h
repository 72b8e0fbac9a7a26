// Bitmap fonts for the skin, rasterised with FreeType. The image holds the 256
// glyphs of the 8-bit character codes side by side in code order; under each
// glyph a run of marked pixels on the marker row (the second row from the
// bottom) gives its width. The image is glyph height + 5 rows tall. Colour
// pixels are white, the mask holds the glyph coverage; control codes and
// codes without a glyph get a one-pixel blank glyph so that later codes keep
// their place. Codes 160 to 255 are the Latin-1 characters.
#pragma once

#include "tools/SkinImage.h"

#include <string>

// The font image for a TrueType file at a pixel size; false with a message on
// stderr when the font cannot be read.
bool RasteriseSkinFont(const std::string& sFontFile, int nPixelSize, SSkinPlanes& planes);
