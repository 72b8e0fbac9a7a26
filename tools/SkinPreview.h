// Draws the layouts of a skin file without an editor: every control at its
// first frame, text fields with a sample text in the skin's bitmap fonts, and
// the main layouts (100 to 104) composed of their panels as the editor places
// them.
#pragma once

#include "toolkit/EpiCasts.h"
#include "toolkit/epiLayout.h"
#include "toolkit/epiOffmap.h"

#include <string>
#include <vector>

class epiDiskResFile;

class CSkinPreview {
public:
    explicit CSkinPreview(epiDiskResFile& file);

    // Allocates the target at the layout's size (16-bit) and draws into it.
    bool Render(int32_t iLayoutId, epiOffmap& target);
    // Writes the map as a PNG file.
    static bool WritePng(const epiOffmap& map, const std::string& sPath);

private:
    struct SFont {
        bool bLoaded = false;
        int nGlyphHeight = 0;
        SEpiRect aGlyphs[256] = {};
        epiOffmap ink; // black, the size of the font image
        epiOffmap* pMask = nullptr;
    };

    void LoadFont(SFont& font, int32_t iCastId);
    int TextWidth(const SFont& font, const std::string& sText) const;
    void DrawText(const SFont& font, epiOffmap& target, const std::string& sText, int x, int y, int nAlign);
    bool DrawLayout(int32_t iLayoutId, epiOffmap& target, int x0, int y0);
    void DrawItem(const SEpiLayoutItem& item, epiOffmap& target, int x0, int y0);

    epiDiskResFile& mFile;
    EpiCasts mCasts;
    SFont maFonts[2];
};
