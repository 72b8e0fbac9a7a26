#include "GUIDriver.h"

#include "PlainText.h"

#include "toolkit/epiOffmap.h"
#include "toolkit/vpaGuiEngine.h"

#include <algorithm>
#include <cstdio>
#include <new>

CGUIDriver::CGUIDriver(IOffsetSource* pOffsets)
    : mpOffsets(pOffsets)
    , mnWidth(0)
    , mnHeight(0)
    , mbPaintingNow(false)
    , mnBlits(0)
{ }

CGUIDriver::~CGUIDriver() = default;

vpaGuiEngine* CGUIDriver::CreateEngine()
{
    return new (std::nothrow) vpaGuiEngine();
}

bool CGUIDriver::OpenWindow(uintptr_t nParent, int x, int y, int nWidth, int nHeight, std::string& sError)
{
    CloseWindow();
    if (nParent != 0)
        mpWindow = platform::OpenChildWindow(nParent, x, y, nWidth, nHeight, sError);
    if (!mpWindow)
        mpWindow = platform::CreateOffscreenWindow(nWidth, nHeight);
    return EnsurePixels(nWidth, nHeight);
}

void CGUIDriver::CloseWindow()
{
    mpWindow.reset();
}

bool CGUIDriver::EnsurePixels(int nWidth, int nHeight)
{
    // One spare row, as the picture always had.
    const size_t nNeeded = static_cast<size_t>(std::max(nWidth, 0)) * (std::max(nHeight, 0) + 1);
    try {
        if (manPixels.size() < nNeeded)
            manPixels.resize(nNeeded, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    mnWidth = nWidth;
    mnHeight = nHeight;
    return true;
}

void CGUIDriver::ConvertRect(const epiOffmap& map, const SEpiRect& rect, uint32_t* pnPixels, int nStride)
{
    const int nLeft = std::max<int>(rect.left, 0);
    const int nTop = std::max<int>(rect.top, 0);
    const int nRight = std::min<int>(rect.right, std::min<int>(map.GetWidth(), nStride));
    const int nBottom = std::min<int>(rect.bottom, map.GetHeight());
    if (map.GetDepth() != 1)
        return;
    for (int y = nTop; y < nBottom; ++y) {
        const uint16_t* pnRow = reinterpret_cast<const uint16_t*>(map.RowFromTop(y));
        uint32_t* pnOut = pnPixels + static_cast<size_t>(y) * nStride;
        for (int x = nLeft; x < nRight; ++x) {
            const uint32_t n = pnRow[x];
            pnOut[x] = (((n >> 10) & 31u) << 19) | (((n >> 5) & 31u) << 11) | ((n & 31u) << 3);
        }
    }
}

bool CGUIDriver::Blit(const epiOffmap& map, const SEpiRect& rect)
{
    if (rect.IsEmpty() || !mpWindow)
        return false;
    mbPaintingNow = true;
    if (!EnsurePixels(mnWidth, mnHeight)) {
        mbPaintingNow = false;
        return false;
    }
    ConvertRect(map, rect, manPixels.data(), mnWidth);
    ++mnBlits;
    Paint(rect.left, rect.top, rect.Width(), rect.Height());
    mbPaintingNow = false;
    return true;
}

void CGUIDriver::Paint(int x, int y, int nWidth, int nHeight)
{
    if (!mpWindow || manPixels.empty())
        return;
    x = std::max(x, 0);
    y = std::max(y, 0);
    nWidth = std::min(nWidth, mnWidth - x);
    nHeight = std::min(nHeight, mnHeight - y);
    if (nWidth <= 0 || nHeight <= 0)
        return;
    int nOffsetX = 0, nOffsetY = 0;
    if (mpOffsets != nullptr)
        mpOffsets->GetPaintOffset(nOffsetX, nOffsetY);
    mpWindow->PutImage(manPixels.data(), mnWidth, x, y, nWidth, nHeight, nOffsetX, nOffsetY);
}

void CGUIDriver::Fill(uint32_t nRGB)
{
    std::fill(manPixels.begin(), manPixels.end(), nRGB);
    Paint(0, 0, mnWidth, mnHeight);
}

void CGUIDriver::DrawPlainText(int x, int y, const std::string& sText, uint32_t nRGB)
{
    ::DrawPlainText(manPixels, mnWidth, mnHeight, x, y, sText, nRGB, 2);
    Paint(0, 0, mnWidth, mnHeight);
}
