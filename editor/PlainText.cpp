#include "PlainText.h"

#include <cctype>
#include <cstring>

namespace {

constexpr int kGlyphWidth = 3;
constexpr int kGlyphHeight = 5;

// Rows top to bottom, three pixels each; '#' is ink.
struct SGlyph {
    char c;
    const char* pszRows;
};

constexpr SGlyph kGlyphs[] = {
    { 'A', ".#.#.#####.##.#" },
    { 'B', "##.#.###.#.###." },
    { 'C', ".###..#..#...##" },
    { 'D', "##.#.##.##.###." },
    { 'E', "####..##.#..###" },
    { 'F', "####..##.#..#.." },
    { 'G', ".###..#.##.#.##" },
    { 'H', "#.##.#####.##.#" },
    { 'I', "###.#..#..#.###" },
    { 'J', "..#..#..##.#.#." },
    { 'K', "#.##.###.#.##.#" },
    { 'L', "#..#..#..#..###" },
    { 'M', "#.########.##.#" },
    { 'N', "##.#.##.##.##.#" },
    { 'O', ".#.#.##.##.#.#." },
    { 'P', "##.#.###.#..#.." },
    { 'Q', ".#.#.##.###..##" },
    { 'R', "##.#.###.#.##.#" },
    { 'S', ".###...#...###." },
    { 'T', "###.#..#..#..#." },
    { 'U', "#.##.##.##.####" },
    { 'V', "#.##.##.#.#..#." },
    { 'W', "#.##.########.#" },
    { 'X', "#.##.#.#.#.##.#" },
    { 'Y', "#.##.#.#..#..#." },
    { 'Z', "###..#.#.#..###" },
    { '0', "####.##.##.####" },
    { '1', ".#.##..#..#.###" },
    { '2', "##...#.#.#..###" },
    { '3', "##...#.#...###." },
    { '4', "#.##.####..#..#" },
    { '5', "####..##...###." },
    { '6', ".###..####.####" },
    { '7', "###..#.#..#..#." },
    { '8', "####.#####.####" },
    { '9', "####.####..###." },
    { '.', ".............#." },
    { ',', "..........#.#.." },
    { ':', "....#.....#...." },
    { '-', "......###......" },
    { '/', "..#..#.#.#..#.." },
    { '\'', ".#..#.........." },
    { '(', "..#.#..#..#...#" },
    { ')', "#...#..#..#.#.." },
    { '"', "#.##.#........." },
    { '_', "............###" },
    { '?', "##...#.#.....#." },
    { '!', ".#..#..#.....#." },
    { ' ', "..............." },
};

const char* RowsOf(char c)
{
    const char cUpper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const SGlyph& glyph : kGlyphs)
        if (glyph.c == cUpper)
            return glyph.pszRows;
    return RowsOf('?');
}

void DrawGlyph(std::vector<uint32_t>& pixels, int nWidth, int nHeight, int x, int y, char c, uint32_t nRGB, int nScale)
{
    const char* pszRows = RowsOf(c);
    for (int row = 0; row < kGlyphHeight; ++row)
        for (int column = 0; column < kGlyphWidth; ++column) {
            if (pszRows[row * kGlyphWidth + column] != '#')
                continue;
            for (int dy = 0; dy < nScale; ++dy)
                for (int dx = 0; dx < nScale; ++dx) {
                    const int px = x + column * nScale + dx;
                    const int py = y + row * nScale + dy;
                    if (px >= 0 && px < nWidth && py >= 0 && py < nHeight)
                        pixels[static_cast<size_t>(py) * nWidth + px] = nRGB;
                }
        }
}

} // namespace

int DrawPlainText(std::vector<uint32_t>& pixels, int nWidth, int nHeight, int x, int y, const std::string& sText,
    uint32_t nRGB, int nScale)
{
    if (nScale < 1 || static_cast<int>(pixels.size()) < nWidth * nHeight)
        return y;
    const int nAdvance = (kGlyphWidth + 1) * nScale;
    const int nLine = (kGlyphHeight + 2) * nScale;
    int cx = x;
    for (size_t i = 0; i < sText.size(); ++i) {
        const char c = sText[i];
        if (c == '\n') {
            cx = x;
            y += nLine;
            continue;
        }
        if (c == ' ' && cx > x) {
            // Break before a word that would not fit.
            size_t nEnd = sText.find_first_of(" \n", i + 1);
            if (nEnd == std::string::npos)
                nEnd = sText.size();
            if (cx + static_cast<int>(nEnd - i) * nAdvance > nWidth - x) {
                cx = x;
                y += nLine;
                continue;
            }
        }
        DrawGlyph(pixels, nWidth, nHeight, cx, y, c, nRGB, nScale);
        cx += nAdvance;
    }
    return y + nLine;
}
