// Draws the skin's pictures with cairo: the control images known by name
// (knob film strips, switches, lamps, needle meters, buttons, the curve
// screen) and the panel backgrounds painted from a layout source. One look:
// dark charcoal panels, amber accents, pale value fields with dark text.
#pragma once

#include "tools/SkinImage.h"
#include "tools/SkinLayoutSource.h"

#include <cairo.h>

#include <map>
#include <memory>
#include <string>
#include <utility>

class CSkinPainter {
public:
    // Frames of every rotary film strip.
    static constexpr int kKnobFrames = 128;
    static constexpr int kNeedleFrames = 101;

    // Loads the DejaVu faces from the folder; IsReady() tells whether it worked.
    explicit CSkinPainter(const std::string& sFontFolder);
    ~CSkinPainter();
    CSkinPainter(const CSkinPainter&) = delete;
    CSkinPainter& operator=(const CSkinPainter&) = delete;
    bool IsReady() const { return mpRegular != nullptr && mpBold != nullptr; }

    // The control image of that name and whether it carries a mask; null for
    // a name this painter does not know.
    std::unique_ptr<CSkinImage> DrawNamed(const std::string& sName, bool& bWithMask);
    // The background of a layout; sizes gives the size of every named image
    // (for knob scales and labels).
    std::unique_ptr<CSkinImage> DrawBackground(
        const SSkinLayoutSource& source, const std::map<int, std::pair<int, int>>& castSizes);

private:
    std::unique_ptr<CSkinImage> DrawKnob(int nSize, bool bLarge, bool bBipolar, bool bStrip);
    std::unique_ptr<CSkinImage> DrawNeedleMeter(bool bStrip, float fFactor, const char* pszCaption);
    std::unique_ptr<CSkinImage> DrawSwitch(bool bOn);
    std::unique_ptr<CSkinImage> DrawLamp(int nSize, bool bOn, double r, double g, double b);
    std::unique_ptr<CSkinImage> DrawQSwitch(bool bHigh);
    std::unique_ptr<CSkinImage> DrawButton(int nWidth, int nState, bool bMenu);
    std::unique_ptr<CSkinImage> DrawCurveScreen();
    void DrawAbout(cairo_t* cr, int nWidth, int nHeight);

    // Text in one of the faces: 0 regular, 1 bold. nAlign 0 left, 1 centre, 2 right of x.
    void Text(cairo_t* cr, const std::string& sText, double x, double y, double fSize, int nFace, int nAlign);

    cairo_font_face_t* mpRegular;
    cairo_font_face_t* mpBold;
    void* mpLibrary; // FT_Library
    void* mpFaces[2]; // FT_Face
};
