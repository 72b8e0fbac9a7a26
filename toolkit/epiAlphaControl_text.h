// A text field (kind 304) drawn with a font of the window's font list. The
// item's option bytes 0 and 3 give the font slot and the alignment (0 left,
// 1 centre, 2 right), parameters 2 and 3 a horizontal and vertical offset,
// parameter 4 the maximum line width (0: none). A carriage return in the
// text starts a new line; the lines are centred vertically as a block.
#pragma once

#include "toolkit/epiAlphaControl.h"

#include <cstddef>
#include <string>

class epiAlphaControl_text : public epiAlphaControl {
public:
    static constexpr uint32_t kFontProperty = EpiTypeCode("tfnt");
    static constexpr uint32_t kBoundsProperty = EpiTypeCode("tbnd");
    // The 5-5-5 grey (15 in each channel) of text in a disabled control.
    static constexpr uint16_t kDimmedColour = 15855;

    epiAlphaControl_text();

    void Init() override;
    void Message(int nCode, int nValue) override;
    // "tfnt": a is the font slot. "tbnd": the text's bounds become the
    // control's bounds moved by the offsets (a, b ignored).
    void SetProperty(uint32_t nCode, int a, int b) override;
    void Draw(epiOffmap& target, const SEpiRect& clip) override;

    void SetText(const char* pszText);
    // The decimal form of a signed 16-bit number.
    void SetNumber(int nNumber);
    // Copies the first line with its NUL into the buffer.
    void GetText(char* pBuffer, size_t nSize) const;
    std::string GetText() const;
    int GetLineCount() const { return miLines; }
    const char* GetLine(int n) const;

    int GetFontSlot() const { return miFontSlot; }

protected:
    // Draws the text lines over whatever the control drew before.
    void DrawText(epiOffmap& target, const SEpiRect& clip);

    std::string msLines; // the lines one after another, each ending in NUL
    int miLines;
    int miFontSlot;
    int miAlign;
    int16_t miOffsetH;
    int16_t miOffsetV;
    int miMaxWidth;
    int miLineSpacing;
    bool mbColour;
    uint16_t mnColour;
    uint16_t mnDimmedColour;
};
