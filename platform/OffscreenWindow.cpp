// The off-screen window backend: the picture lives in memory, nothing is
// shown and no event ever arrives.
#include "Window.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform {

namespace {

class COffscreenWindow : public IWindow {
public:
    COffscreenWindow(int nWidth, int nHeight)
        : mnWidth(std::max(nWidth, 0))
        , mnHeight(std::max(nHeight, 0))
        , manPixels(static_cast<size_t>(mnWidth) * mnHeight, 0)
    { }

    uintptr_t GetHandle() const override { return 0; }
    bool IsInteractive() const override { return false; }
    int GetWidth() const override { return mnWidth; }
    int GetHeight() const override { return mnHeight; }
    void Move(int, int) override { }
    void PumpEvents(IWindowListener&) override { }
    void WaitForEvent(int) override { }

    void PutImage(const uint32_t* pnPixels, int nStride, int x, int y, int nWidth, int nHeight, int nOffsetX,
        int nOffsetY) override
    {
        for (int row = y; row < y + nHeight; ++row) {
            const int nTargetRow = row + nOffsetY;
            if (row < 0 || nTargetRow < 0 || nTargetRow >= mnHeight)
                continue;
            for (int column = x; column < x + nWidth; ++column) {
                const int nTargetColumn = column + nOffsetX;
                if (column >= 0 && column < nStride && nTargetColumn >= 0 && nTargetColumn < mnWidth)
                    manPixels[static_cast<size_t>(nTargetRow) * mnWidth + nTargetColumn]
                        = pnPixels[static_cast<size_t>(row) * nStride + column];
            }
        }
    }

    bool Capture(uint32_t* pnPixels) override
    {
        std::copy(manPixels.begin(), manPixels.end(), pnPixels);
        return true;
    }

private:
    int mnWidth;
    int mnHeight;
    std::vector<uint32_t> manPixels;
};

} // namespace

std::unique_ptr<IWindow> CreateOffscreenWindow(int nWidth, int nHeight)
{
    return std::make_unique<COffscreenWindow>(nWidth, nHeight);
}

} // namespace platform
