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

    void ShowPopup(int x, int y, int nWidth, int nHeight, const uint32_t* pnPixels) override
    {
        mnPopupX = x;
        mnPopupY = y;
        mnPopupWidth = std::max(nWidth, 0);
        mnPopupHeight = std::max(nHeight, 0);
        manPopup.assign(pnPixels, pnPixels + static_cast<size_t>(mnPopupWidth) * mnPopupHeight);
        mbPopup = true;
    }

    void HidePopup() override
    {
        mbPopup = false;
        manPopup.clear();
    }

    bool CapturePopup(std::vector<uint32_t>& pixels, int& x, int& y, int& nWidth, int& nHeight) override
    {
        if (!mbPopup)
            return false;
        pixels = manPopup;
        x = mnPopupX;
        y = mnPopupY;
        nWidth = mnPopupWidth;
        nHeight = mnPopupHeight;
        return true;
    }

private:
    int mnWidth;
    int mnHeight;
    std::vector<uint32_t> manPixels;
    bool mbPopup = false;
    int mnPopupX = 0, mnPopupY = 0, mnPopupWidth = 0, mnPopupHeight = 0;
    std::vector<uint32_t> manPopup;
};

} // namespace

std::unique_ptr<IWindow> CreateOffscreenWindow(int nWidth, int nHeight)
{
    return std::make_unique<COffscreenWindow>(nWidth, nHeight);
}

} // namespace platform
