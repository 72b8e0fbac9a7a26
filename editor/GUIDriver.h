// The bridge from the toolkit to the screen: it owns the editor's system
// window and a 32-bit copy of the picture, converts the parts of the 16-bit
// off-screen map that changed and copies them to the window.
#pragma once

#include "platform/Window.h"
#include "toolkit/epiTypes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class epiOffmap;
class vpaGuiEngine;

class CGUIDriver {
public:
    // The editor's painting offset, asked at every copy.
    class IOffsetSource {
    public:
        virtual void GetPaintOffset(int& nX, int& nY) = 0;

    protected:
        ~IOffsetSource() = default;
    };

    explicit CGUIDriver(IOffsetSource* pOffsets);
    ~CGUIDriver();
    CGUIDriver(const CGUIDriver&) = delete;
    CGUIDriver& operator=(const CGUIDriver&) = delete;

    // A new toolkit engine (the caller owns it), or null.
    vpaGuiEngine* CreateEngine();

    // Opens the window: a child of the X window nParent, or off-screen when
    // nParent is 0 or no display answers (the reason goes to sError).
    bool OpenWindow(uintptr_t nParent, int x, int y, int nWidth, int nHeight, std::string& sError);
    void CloseWindow();
    bool IsOpen() const { return mpWindow != nullptr; }
    platform::IWindow* GetWindow() const { return mpWindow.get(); }
    uintptr_t GetWindowHandle() const { return mpWindow ? mpWindow->GetHandle() : 0; }

    // Converts rect of the map into the 32-bit picture and copies it to the
    // window. False when the picture cannot be had (nothing is drawn).
    bool Blit(const epiOffmap& map, const SEpiRect& rect);
    // Copies a part of the picture as it is (an expose).
    void Paint(int x, int y, int nWidth, int nHeight);
    // Fills the picture with one colour (an editor without a skin).
    void Fill(uint32_t nRGB);
    // Writes text in the built-in plain font into the picture and shows it.
    void DrawPlainText(int x, int y, const std::string& sText, uint32_t nRGB);

    // The picture: 0x00RRGGBB, top row first, the window's width per row.
    const std::vector<uint32_t>& GetPixels() const { return manPixels; }
    int GetWidth() const { return mnWidth; }
    int GetHeight() const { return mnHeight; }
    // How many copies of changed parts reached the window so far.
    unsigned GetBlitCount() const { return mnBlits; }

    // 16-bit 5-5-5 pixels to 0x00RRGGBB: each channel shifted left by 3.
    static void ConvertRect(const epiOffmap& map, const SEpiRect& rect, uint32_t* pnPixels, int nStride);

private:
    bool EnsurePixels(int nWidth, int nHeight);

    IOffsetSource* mpOffsets; // not owned
    std::unique_ptr<platform::IWindow> mpWindow;
    std::vector<uint32_t> manPixels; // grown on demand, never shrunk
    int mnWidth;
    int mnHeight;
    bool mbPaintingNow;
    unsigned mnBlits;
};
