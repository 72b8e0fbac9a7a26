#include "tools/SkinPainter.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdio>

namespace {

constexpr double kPi = 3.14159265358979323846;

// The look: charcoal panels, amber for frequencies and accents, ice blue for
// bipolar gains, pale green-grey value fields that take dark text.
struct SColour {
    double r, g, b;
};
constexpr SColour kAmber { 0.95, 0.64, 0.23 };
constexpr SColour kIce { 0.42, 0.78, 0.92 };
constexpr SColour kLabel { 0.73, 0.75, 0.78 };
constexpr SColour kTick { 0.43, 0.45, 0.48 };

void SetColour(cairo_t* cr, const SColour& c, double a = 1.0)
{
    cairo_set_source_rgba(cr, c.r, c.g, c.b, a);
}

void RoundedRect(cairo_t* cr, double x, double y, double w, double h, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -kPi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, kPi / 2);
    cairo_arc(cr, x + r, y + h - r, r, kPi / 2, kPi);
    cairo_arc(cr, x + r, y + r, r, kPi, 3 * kPi / 2);
    cairo_close_path(cr);
}

void VerticalGradient(cairo_t* cr, double y0, double y1, const SColour& top, const SColour& bottom)
{
    cairo_pattern_t* p = cairo_pattern_create_linear(0, y0, 0, y1);
    cairo_pattern_add_color_stop_rgb(p, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(p, 1, bottom.r, bottom.g, bottom.b);
    cairo_set_source(cr, p);
    cairo_pattern_destroy(p);
}

// A knob's pointer angle in cairo's terms (0 = three o'clock, clockwise):
// from 7:30 through 12 to 4:30.
double KnobAngle(double t)
{
    return (135.0 + 270.0 * t) * kPi / 180.0;
}

} // namespace

CSkinPainter::CSkinPainter(const std::string& sFontFolder)
    : mpRegular(nullptr)
    , mpBold(nullptr)
    , mpLibrary(nullptr)
    , mpFaces { nullptr, nullptr }
{
    FT_Library pLibrary = nullptr;
    if (FT_Init_FreeType(&pLibrary) != 0)
        return;
    mpLibrary = pLibrary;
    const char* apszFiles[2] = { "DejaVuSans.ttf", "DejaVuSans-Bold.ttf" };
    for (int i = 0; i < 2; ++i) {
        FT_Face pFace = nullptr;
        const std::string sFile = sFontFolder + "/" + apszFiles[i];
        if (FT_New_Face(pLibrary, sFile.c_str(), 0, &pFace) != 0) {
            std::fprintf(stderr, "skin: cannot read the font %s\n", sFile.c_str());
            return;
        }
        mpFaces[i] = pFace;
    }
    mpRegular = cairo_ft_font_face_create_for_ft_face(static_cast<FT_Face>(mpFaces[0]), 0);
    mpBold = cairo_ft_font_face_create_for_ft_face(static_cast<FT_Face>(mpFaces[1]), 0);
}

CSkinPainter::~CSkinPainter()
{
    if (mpRegular != nullptr)
        cairo_font_face_destroy(mpRegular);
    if (mpBold != nullptr)
        cairo_font_face_destroy(mpBold);
    for (void* pFace : mpFaces)
        if (pFace != nullptr)
            FT_Done_Face(static_cast<FT_Face>(pFace));
    if (mpLibrary != nullptr)
        FT_Done_FreeType(static_cast<FT_Library>(mpLibrary));
}

void CSkinPainter::Text(cairo_t* cr, const std::string& sText, double x, double y, double fSize, int nFace, int nAlign)
{
    cairo_set_font_face(cr, nFace == 1 ? mpBold : mpRegular);
    cairo_set_font_size(cr, fSize);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, sText.c_str(), &extents);
    const double fStart = nAlign == 1 ? x - extents.x_advance / 2 : nAlign == 2 ? x - extents.x_advance : x;
    cairo_move_to(cr, std::round(fStart), y);
    cairo_show_text(cr, sText.c_str());
    cairo_new_path(cr);
}

std::unique_ptr<CSkinImage> CSkinPainter::DrawNamed(const std::string& sName, bool& bWithMask)
{
    bWithMask = true;
    struct SKnob {
        const char* pszName;
        int nSize;
        bool bBipolar;
    };
    static const SKnob kaKnobs[] = { { "knob-l-uni", 48, false }, { "knob-l-bi", 48, true },
        { "knob-s-uni", 40, false }, { "knob-s-bi", 40, true } };
    for (const SKnob& knob : kaKnobs) {
        const std::string sBase = knob.pszName;
        if (sName == sBase + "-frame" || sName == sBase + "-strip")
            return DrawKnob(knob.nSize, knob.nSize > 44, knob.bBipolar, sName == sBase + "-strip");
    }
    if (sName == "needle-comp-frame" || sName == "needle-comp-strip" || sName == "needle-lim-frame"
        || sName == "needle-lim-strip") {
        bWithMask = false;
        const bool bComp = sName.compare(0, 11, "needle-comp") == 0;
        return DrawNeedleMeter(
            sName.find("strip") != std::string::npos, bComp ? 0.94f : 0.95f, bComp ? "COMP  GR dB" : "LIMIT  GR dB");
    }
    if (sName == "switch-off" || sName == "switch-on")
        return DrawSwitch(sName == "switch-on");
    if (sName == "lamp-off" || sName == "lamp-on")
        return DrawLamp(12, sName == "lamp-on", 0.30, 0.92, 0.42);
    if (sName == "clip-off" || sName == "clip-on")
        return DrawLamp(14, sName == "clip-on", 1.0, 0.22, 0.16);
    if (sName == "qswitch-lo" || sName == "qswitch-hi")
        return DrawQSwitch(sName == "qswitch-hi");
    static const char* const kapszStates[] = { "up", "down", "off" };
    for (int nState = 0; nState < 3; ++nState) {
        if (sName == std::string("button-s-") + kapszStates[nState])
            return DrawButton(18, nState, false);
        if (sName == std::string("button-w-") + kapszStates[nState])
            return DrawButton(62, nState, false);
        if (sName == std::string("menu-") + kapszStates[nState])
            return DrawButton(86, nState, true);
    }
    if (sName == "curve-screen") {
        bWithMask = false;
        return DrawCurveScreen();
    }
    return nullptr;
}

std::unique_ptr<CSkinImage> CSkinPainter::DrawKnob(int nSize, bool bLarge, bool bBipolar, bool bStrip)
{
    const int nFrames = bStrip ? kKnobFrames : 1;
    auto pImage = std::make_unique<CSkinImage>(nSize, nSize * nFrames);
    cairo_t* cr = pImage->Cairo();
    const double c = nSize / 2.0;
    const double fRing = c - 3.5;
    const double fBody = bLarge ? c - 8.5 : c - 8.0;
    const SColour accent = bBipolar ? kIce : kAmber;
    for (int i = 0; i < nFrames; ++i) {
        const double t = nFrames == 1 ? 0.0 : static_cast<double>(i) / (nFrames - 1);
        cairo_save(cr);
        cairo_translate(cr, c, c + static_cast<double>(i) * nSize);

        // Value ring: a dark track and the lit part.
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
        cairo_set_line_width(cr, 2.6);
        cairo_arc(cr, 0, 0, fRing, KnobAngle(0), KnobAngle(1));
        cairo_set_source_rgb(cr, 0.07, 0.08, 0.09);
        cairo_stroke(cr);
        const double fFrom = bBipolar ? KnobAngle(0.5) : KnobAngle(0);
        const double fTo = KnobAngle(t);
        if (std::fabs(fTo - fFrom) > 1e-3) {
            if (fTo > fFrom)
                cairo_arc(cr, 0, 0, fRing, fFrom, fTo);
            else
                cairo_arc_negative(cr, 0, 0, fRing, fFrom, fTo);
            SetColour(cr, accent);
            cairo_stroke(cr);
        }

        // Shadow, body, rim and cap.
        cairo_pattern_t* pShadow = cairo_pattern_create_radial(0, 1.8, fBody - 1, 0, 1.8, fBody + 3);
        cairo_pattern_add_color_stop_rgba(pShadow, 0, 0, 0, 0, 0.55);
        cairo_pattern_add_color_stop_rgba(pShadow, 1, 0, 0, 0, 0);
        cairo_set_source(cr, pShadow);
        cairo_arc(cr, 0, 1.8, fBody + 3, 0, 2 * kPi);
        cairo_fill(cr);
        cairo_pattern_destroy(pShadow);

        cairo_pattern_t* pBody = cairo_pattern_create_linear(0, -fBody, 0, fBody);
        cairo_pattern_add_color_stop_rgb(pBody, 0, 0.36, 0.38, 0.41);
        cairo_pattern_add_color_stop_rgb(pBody, 1, 0.13, 0.14, 0.15);
        cairo_set_source(cr, pBody);
        cairo_arc(cr, 0, 0, fBody, 0, 2 * kPi);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(pBody);
        cairo_set_line_width(cr, 1.0);
        cairo_set_source_rgb(cr, 0.05, 0.05, 0.06);
        cairo_stroke(cr);

        const double fCap = fBody * 0.74;
        cairo_pattern_t* pCap = cairo_pattern_create_radial(-fCap * 0.3, -fCap * 0.4, 0, 0, 0, fCap);
        cairo_pattern_add_color_stop_rgb(pCap, 0, 0.33, 0.35, 0.38);
        cairo_pattern_add_color_stop_rgb(pCap, 1, 0.19, 0.20, 0.22);
        cairo_set_source(cr, pCap);
        cairo_arc(cr, 0, 0, fCap, 0, 2 * kPi);
        cairo_fill(cr);
        cairo_pattern_destroy(pCap);

        // Pointer.
        const double a = KnobAngle(t);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_width(cr, bLarge ? 2.4 : 2.1);
        cairo_move_to(cr, std::cos(a) * fBody * 0.30, std::sin(a) * fBody * 0.30);
        cairo_line_to(cr, std::cos(a) * (fBody - 1.8), std::sin(a) * (fBody - 1.8));
        cairo_set_source_rgb(cr, 0.95, 0.95, 0.93);
        cairo_stroke(cr);
        cairo_restore(cr);
    }
    return pImage;
}

std::unique_ptr<CSkinImage> CSkinPainter::DrawNeedleMeter(bool bStrip, float fFactor, const char* pszCaption)
{
    const int nWidth = 128, nHeight = 72;
    const int nFrames = bStrip ? kNeedleFrames : 1;
    auto pImage = std::make_unique<CSkinImage>(nWidth, nHeight * nFrames);
    cairo_t* cr = pImage->Cairo();
    const double px = nWidth / 2.0, py = nHeight + 18.0; // pivot below the window
    const double fScale = 72.0;
    // Needle fraction f (frame / last frame) sweeps 84 degrees.
    auto angleOf = [](double f) { return (-132.0 + 84.0 * f) * kPi / 180.0; };
    for (int i = 0; i < nFrames; ++i) {
        cairo_save(cr);
        cairo_translate(cr, 0, static_cast<double>(i) * nHeight);
        cairo_rectangle(cr, 0, 0, nWidth, nHeight);
        cairo_clip(cr);
        // Bezel and face.
        cairo_set_source_rgb(cr, 0.07, 0.07, 0.08);
        cairo_paint(cr);
        RoundedRect(cr, 2, 2, nWidth - 4, nHeight - 4, 3);
        VerticalGradient(cr, 2, nHeight - 2, SColour { 0.93, 0.89, 0.78 }, SColour { 0.80, 0.75, 0.63 });
        cairo_fill(cr);

        // Scale: marks at gain reductions in dB, where the needle of a linear
        // gain g rests at f = factor × g.
        static const int kaMarks[] = { 20, 10, 7, 5, 3, 2, 1, 0 };
        cairo_set_source_rgb(cr, 0.12, 0.11, 0.10);
        cairo_set_line_width(cr, 1.0);
        cairo_arc(cr, px, py, fScale, angleOf(0.0), angleOf(1.0));
        cairo_stroke(cr);
        for (int nMark : kaMarks) {
            const double f = fFactor * std::pow(10.0, -nMark / 20.0);
            const double a = angleOf(f);
            cairo_move_to(cr, px + std::cos(a) * fScale, py + std::sin(a) * fScale);
            cairo_line_to(cr, px + std::cos(a) * (fScale + 6), py + std::sin(a) * (fScale + 6));
            cairo_stroke(cr);
            char acText[8];
            std::snprintf(acText, sizeof(acText), "%d", nMark);
            Text(cr, acText, px + std::cos(a) * (fScale + 11), py + std::sin(a) * (fScale + 11) + 3, 8, 0, 1);
        }
        cairo_set_source_rgb(cr, 0.30, 0.27, 0.22);
        Text(cr, pszCaption, px, nHeight - 20, 8, 1, 1);

        // Needle, then the pivot cover.
        const double f = nFrames == 1 ? 0.0 : static_cast<double>(i) / (nFrames - 1);
        const double a = angleOf(f);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        cairo_set_line_width(cr, 1.4);
        cairo_set_source_rgb(cr, 0.62, 0.08, 0.05);
        cairo_move_to(cr, px + std::cos(a) * 30, py + std::sin(a) * 30);
        cairo_line_to(cr, px + std::cos(a) * (fScale + 4), py + std::sin(a) * (fScale + 4));
        cairo_stroke(cr);
        RoundedRect(cr, 2, nHeight - 13, nWidth - 4, 11, 2);
        VerticalGradient(cr, nHeight - 13, nHeight - 2, SColour { 0.20, 0.21, 0.23 }, SColour { 0.11, 0.12, 0.13 });
        cairo_fill(cr);
        // Glass.
        cairo_pattern_t* pGlass = cairo_pattern_create_linear(0, 2, 0, nHeight * 0.5);
        cairo_pattern_add_color_stop_rgba(pGlass, 0, 1, 1, 1, 0.22);
        cairo_pattern_add_color_stop_rgba(pGlass, 1, 1, 1, 1, 0);
        cairo_set_source(cr, pGlass);
        RoundedRect(cr, 2, 2, nWidth - 4, nHeight * 0.5, 3);
        cairo_fill(cr);
        cairo_pattern_destroy(pGlass);
        cairo_restore(cr);
    }
    return pImage;
}

std::unique_ptr<CSkinImage> CSkinPainter::DrawSwitch(bool bOn)
{
    auto pImage = std::make_unique<CSkinImage>(30, 16);
    cairo_t* cr = pImage->Cairo();
    RoundedRect(cr, 0.5, 0.5, 29, 15, 3);
    VerticalGradient(cr, 0, 16, SColour { 0.30, 0.32, 0.35 }, SColour { 0.16, 0.17, 0.19 });
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0.05, 0.05, 0.06);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    // The light bar.
    if (bOn) {
        cairo_pattern_t* pGlow = cairo_pattern_create_radial(15, 8, 1, 15, 8, 11);
        cairo_pattern_add_color_stop_rgba(pGlow, 0, kAmber.r, kAmber.g, kAmber.b, 0.45);
        cairo_pattern_add_color_stop_rgba(pGlow, 1, kAmber.r, kAmber.g, kAmber.b, 0);
        cairo_set_source(cr, pGlow);
        RoundedRect(cr, 1, 1, 28, 14, 3);
        cairo_fill(cr);
        cairo_pattern_destroy(pGlow);
    }
    RoundedRect(cr, 7, 6, 16, 4, 1.5);
    if (bOn)
        cairo_set_source_rgb(cr, 1.0, 0.80, 0.40);
    else
        cairo_set_source_rgb(cr, 0.20, 0.15, 0.08);
    cairo_fill(cr);
    return pImage;
}

std::unique_ptr<CSkinImage> CSkinPainter::DrawLamp(int nSize, bool bOn, double r, double g, double b)
{
    auto pImage = std::make_unique<CSkinImage>(nSize, nSize);
    cairo_t* cr = pImage->Cairo();
    const double c = nSize / 2.0;
    cairo_arc(cr, c, c, c - 0.5, 0, 2 * kPi);
    cairo_set_source_rgb(cr, 0.06, 0.06, 0.07);
    cairo_fill(cr);
    cairo_pattern_t* p = cairo_pattern_create_radial(c - 1, c - 1.5, 0.5, c, c, c - 2);
    if (bOn) {
        cairo_pattern_add_color_stop_rgb(p, 0, 0.5 + r / 2, 0.5 + g / 2, 0.5 + b / 2);
        cairo_pattern_add_color_stop_rgb(p, 1, r, g, b);
    } else {
        cairo_pattern_add_color_stop_rgb(p, 0, r * 0.35, g * 0.35, b * 0.35);
        cairo_pattern_add_color_stop_rgb(p, 1, r * 0.16, g * 0.16, b * 0.16);
    }
    cairo_set_source(cr, p);
    cairo_arc(cr, c, c, c - 2, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    return pImage;
}

std::unique_ptr<CSkinImage> CSkinPainter::DrawQSwitch(bool bHigh)
{
    auto pImage = std::make_unique<CSkinImage>(38, 16);
    cairo_t* cr = pImage->Cairo();
    RoundedRect(cr, 0.5, 0.5, 37, 15, 3);
    VerticalGradient(cr, 0, 16, SColour { 0.30, 0.32, 0.35 }, SColour { 0.16, 0.17, 0.19 });
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0.05, 0.05, 0.06);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    if (bHigh)
        SetColour(cr, kAmber);
    else
        SetColour(cr, kLabel);
    Text(cr, bHigh ? "HI Q" : "LO Q", 19, 11.5, 9, 1, 1);
    return pImage;
}

std::unique_ptr<CSkinImage> CSkinPainter::DrawButton(int nWidth, int nState, bool bMenu)
{
    const int nHeight = 14;
    auto pImage = std::make_unique<CSkinImage>(nWidth, nHeight);
    cairo_t* cr = pImage->Cairo();
    RoundedRect(cr, 0.5, 0.5, nWidth - 1, nHeight - 1, 2.5);
    if (nState == 0)
        VerticalGradient(cr, 0, nHeight, SColour { 0.82, 0.84, 0.86 }, SColour { 0.64, 0.66, 0.69 });
    else if (nState == 1)
        VerticalGradient(cr, 0, nHeight, SColour { 0.52, 0.54, 0.57 }, SColour { 0.66, 0.68, 0.71 });
    else
        VerticalGradient(cr, 0, nHeight, SColour { 0.38, 0.39, 0.41 }, SColour { 0.33, 0.34, 0.36 });
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0.04, 0.04, 0.05);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    if (bMenu) {
        // The drop-down mark at the right end.
        cairo_move_to(cr, nWidth - 13, 5);
        cairo_line_to(cr, nWidth - 5, 5);
        cairo_line_to(cr, nWidth - 9, 10);
        cairo_close_path(cr);
        cairo_set_source_rgb(cr, 0.12, 0.12, 0.13);
        cairo_fill(cr);
    }
    return pImage;
}

std::unique_ptr<CSkinImage> CSkinPainter::DrawCurveScreen()
{
    // The equaliser draws its response here: point i of 313 at column i + 24,
    // 0 dB on row 50, 2 pixels per dB. Grid every 5 dB; frequency lines at
    // 100 Hz, 1 kHz and 10 kHz on a 20 Hz to 20 kHz logarithmic axis.
    const int nWidth = 360, nHeight = 100;
    auto pImage = std::make_unique<CSkinImage>(nWidth, nHeight);
    cairo_t* cr = pImage->Cairo();
    VerticalGradient(cr, 0, nHeight, SColour { 0.07, 0.09, 0.10 }, SColour { 0.04, 0.05, 0.06 });
    cairo_paint(cr);
    cairo_set_line_width(cr, 1);
    for (int nDb = -20; nDb <= 20; nDb += 5) {
        const double y = 50 - 2 * nDb + 0.5;
        cairo_set_source_rgba(cr, 0.55, 0.70, 0.75, nDb == 0 ? 0.45 : 0.14);
        cairo_move_to(cr, 24, y);
        cairo_line_to(cr, 336, y);
        cairo_stroke(cr);
    }
    static const struct {
        double f;
        const char* pszText;
    } kaLines[] = { { 100, "100" }, { 1000, "1k" }, { 10000, "10k" } };
    for (const auto& line : kaLines) {
        const double x = std::round(24 + 312 * std::log10(line.f / 20) / 3) + 0.5;
        cairo_set_source_rgba(cr, 0.55, 0.70, 0.75, 0.18);
        cairo_move_to(cr, x, 4);
        cairo_line_to(cr, x, nHeight - 4);
        cairo_stroke(cr);
        cairo_set_source_rgba(cr, 0.55, 0.70, 0.75, 0.6);
        Text(cr, line.pszText, x + 2, nHeight - 3, 7.5, 0, 0);
    }
    cairo_set_source_rgba(cr, 0.55, 0.70, 0.75, 0.6);
    Text(cr, "+20", 21, 14, 7.5, 0, 2);
    Text(cr, "0", 21, 53, 7.5, 0, 2);
    Text(cr, "-20", 21, 93, 7.5, 0, 2);
    cairo_rectangle(cr, 0.5, 0.5, nWidth - 1, nHeight - 1);
    cairo_set_source_rgb(cr, 0.02, 0.02, 0.03);
    cairo_stroke(cr);
    return pImage;
}

void CSkinPainter::DrawAbout(cairo_t* cr, int nWidth, int nHeight)
{
    SetColour(cr, kAmber);
    Text(cr, "VANTOR", nWidth / 2.0, 62, 30, 1, 1);
    SetColour(cr, kLabel);
    Text(cr, "Mastering processor", nWidth / 2.0, 86, 12, 0, 1);
    cairo_set_source_rgb(cr, 0.55, 0.57, 0.60);
    Text(cr, "Equaliser  \xC2\xB7  Compressor  \xC2\xB7  Limiter  \xC2\xB7  Clipper", nWidth / 2.0, 118, 9.5, 0, 1);
    Text(cr, "Click to close", nWidth / 2.0, nHeight - 16, 9, 0, 1);
}

std::unique_ptr<CSkinImage> CSkinPainter::DrawBackground(
    const SSkinLayoutSource& source, const std::map<int, std::pair<int, int>>& castSizes)
{
    const int nWidth = source.rect.Width(), nHeight = source.rect.Height();
    auto pImage = std::make_unique<CSkinImage>(nWidth, nHeight);
    cairo_t* cr = pImage->Cairo();
    VerticalGradient(cr, 0, nHeight, SColour { 0.175, 0.185, 0.20 }, SColour { 0.125, 0.13, 0.145 });
    cairo_paint(cr);
    cairo_set_line_width(cr, 1);
    cairo_set_source_rgb(cr, 0.26, 0.275, 0.29);
    cairo_move_to(cr, 0, 0.5);
    cairo_line_to(cr, nWidth, 0.5);
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 0.04, 0.045, 0.05);
    cairo_move_to(cr, 0, nHeight - 0.5);
    cairo_line_to(cr, nWidth, nHeight - 0.5);
    cairo_stroke(cr);

    if (!source.sTitle.empty()) {
        // Header band with the module's name; the about box shows its own.
        if (source.nId == 201) {
            DrawAbout(cr, nWidth, nHeight);
        } else {
            cairo_rectangle(cr, 0, 1, nWidth, 21);
            cairo_set_source_rgb(cr, 0.095, 0.10, 0.11);
            cairo_fill(cr);
            cairo_set_source_rgb(cr, 0.22, 0.23, 0.25);
            cairo_move_to(cr, 0, 22.5);
            cairo_line_to(cr, nWidth, 22.5);
            cairo_stroke(cr);
            SetColour(cr, kAmber);
            Text(cr, source.sTitle, 12, 16, 11, 1, 0);
        }
    }

    for (const SSkinGroup& group : source.groups) {
        RoundedRect(cr, group.x + 0.5, group.y + 0.5, group.w - 1, group.h - 1, 4);
        cairo_set_source_rgba(cr, 0, 0, 0, 0.22);
        cairo_fill_preserve(cr);
        cairo_set_source_rgb(cr, 0.07, 0.075, 0.08);
        cairo_stroke(cr);
        cairo_set_source_rgba(cr, 1, 1, 1, 0.06);
        cairo_move_to(cr, group.x + 4, group.y + group.h + 0.5);
        cairo_line_to(cr, group.x + group.w - 4, group.y + group.h + 0.5);
        cairo_stroke(cr);
        if (!group.sTitle.empty()) {
            cairo_set_source_rgb(cr, 0.62, 0.65, 0.69);
            Text(cr, group.sTitle, group.x + group.w / 2.0, group.y + 12, 8.5, 1, 1);
        }
    }
    for (const SSkinLabel& label : source.labels) {
        SetColour(cr, kLabel);
        Text(cr, label.sText, label.x, label.y, 8.5, 0, label.nAlign);
    }

    for (size_t i = 0; i < source.layout.mItems.size() && i < source.itemSources.size(); ++i) {
        const SEpiLayoutItem& item = source.layout.mItems[i];
        const SSkinItemSource& itemSource = source.itemSources[i];
        if (item.iState == kEpiItemHidden)
            continue;
        int w = item.sizeOverride.h, h = item.sizeOverride.v;
        const auto found = castSizes.find(item.aiCasts[0]);
        if (w == 0 && found != castSizes.end()) {
            w = found->second.first;
            h = found->second.second;
        }
        const double x = item.position.h, y = item.position.v;
        if (itemSource.bWell) {
            // A value field: recessed, pale, for dark text.
            RoundedRect(cr, x - 1.5, y - 1.5, w + 3, h + 3, 2.5);
            cairo_set_source_rgb(cr, 0.03, 0.03, 0.035);
            cairo_fill(cr);
            RoundedRect(cr, x - 0.5, y - 0.5, w + 1, h + 1, 2);
            VerticalGradient(cr, y, y + h, SColour { 0.70, 0.75, 0.62 }, SColour { 0.78, 0.82, 0.69 });
            cairo_fill(cr);
            cairo_set_source_rgba(cr, 0, 0, 0, 0.25);
            cairo_move_to(cr, x, y + 0.5);
            cairo_line_to(cr, x + w, y + 0.5);
            cairo_stroke(cr);
        }
        if (!itemSource.sScale.empty()) {
            const double cx = x + w / 2.0, cy = y + h / 2.0;
            const double r0 = w / 2.0 + 0.5, r1 = w / 2.0 + 3.5;
            cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
            for (int k = 0; k <= 10; ++k) {
                const bool bMajor = k == 0 || k == 10 || (itemSource.sScale == "bi" && k == 5);
                const double a = KnobAngle(k / 10.0);
                SetColour(cr, bMajor ? kLabel : kTick);
                cairo_set_line_width(cr, bMajor ? 1.4 : 1.0);
                cairo_move_to(cr, cx + std::cos(a) * r0, cy + std::sin(a) * r0);
                cairo_line_to(cr, cx + std::cos(a) * (bMajor ? r1 + 1 : r1), cy + std::sin(a) * (bMajor ? r1 + 1 : r1));
                cairo_stroke(cr);
            }
            cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
            cairo_set_line_width(cr, 1);
        }
        if (!itemSource.sLabel.empty()) {
            SetColour(cr, kLabel);
            Text(cr, itemSource.sLabel, x + w / 2.0, y - (itemSource.sScale.empty() ? 4 : 6), 8.5, 0, 1);
        }
    }
    return pImage;
}
