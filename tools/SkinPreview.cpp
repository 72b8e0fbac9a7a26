#include "tools/SkinPreview.h"

#include "toolkit/epiAlphaControl_hierMenu.h"
#include "toolkit/epiAlphaControl_rotary.h"
#include "toolkit/epiAlphaControl_text.h"
#include "toolkit/epiLayout.h"
#include "toolkit/epiPath.h"
#include "toolkit/epiScript.h"

#include <cairo.h>

#include <cstdlib>
#include <cstring>

namespace {

// Module panel layouts and their vertical places: (layout, top).
struct SPlace {
    int32_t iLayout;
    int nTop;
};

std::vector<SPlace> PanelsOfMode(int nMode)
{
    if (nMode == 4)
        return { { 1, 18 }, { 2, 278 }, { 3, 413 }, { 4, 600 }, { 10, 0 } };
    return { { nMode + 1, 18 }, { 10, 0 } };
}

} // namespace

bool CSkinPreview::Open(const std::string& sPath)
{
    return mEngine.OpenResources(epi::ToolkitPathFrom(sPath), false);
}

void CSkinPreview::AddPanel(int32_t iLayout, int v)
{
    mPanels.push_back(std::make_unique<vpaGuiPanel>());
    vpaGuiPanel& panel = *mPanels.back();
    panel.SetLayoutId(iLayout);
    panel.SetOrigin(0, v);
    panel.Attach(mpWindow.get());
}

void CSkinPreview::SetUpPanels()
{
    for (const auto& pPanel : mPanels) {
        for (int i = 0; i < pPanel->GetControlCount(); ++i) {
            epiPanelControl* pControl = pPanel->GetControl(i);
            if (pControl->GetKind() == kEpiKindRotary && pControl->IsActive()) {
                pPanel->SendToControl(i, epiAlphaControl_rotary::kRange, 0, 30000);
                pPanel->SendToControl(i, epiAlphaControl_rotary::kReset, 15000);
                pPanel->SendToControl(i, epiAlphaControl_rotary::kSteps, 150, 15);
            }
        }
        // The preset strip's captions, as its panel sets them.
        if (pPanel->GetLayoutId() == 10) {
            const char* apszCaptions[][2] = { { "2", "i" }, { "5", "Save" }, { "6", "Save As" } };
            for (const auto& caption : apszCaptions)
                if (auto* pButton = dynamic_cast<epiAlphaControl_text*>(pPanel->GetControl(std::atoi(caption[0]))))
                    pButton->SetText(caption[1]);
            if (auto* pMenu = dynamic_cast<epiAlphaControl_hierMenu*>(pPanel->GetControl(7))) {
                pMenu->SetTitle("Load");
                pMenu->AddItem("Refresh Preset List");
            }
        }
    }
    mpWindow->DrawAll();
}

bool CSkinPreview::ComposeEditor(int nMode)
{
    if (nMode < 0 || nMode > 4 || !mEngine.IsOpen())
        return false;
    mPanels.clear();
    mpWindow = std::make_unique<vpaGui>();
    if (!mpWindow->Create(&mEngine, nMode == 4 ? 100 : 101 + nMode))
        return false;
    for (const SPlace& place : PanelsOfMode(nMode))
        AddPanel(place.iLayout, place.nTop);
    SetUpPanels();
    return true;
}

bool CSkinPreview::ComposeLayout(int32_t iLayoutId)
{
    if (iLayoutId >= 100 && iLayoutId <= 104)
        return ComposeEditor(iLayoutId == 100 ? 4 : iLayoutId - 101);
    epiLayout layout;
    if (!mEngine.IsOpen() || !layout.Load(mEngine.GetResFile(), iLayoutId) || layout.mRect.IsEmpty())
        return false;
    mPanels.clear();
    mpWindow = std::make_unique<vpaGui>();
    if (!mpWindow->Create(&mEngine, layout.mRect.Width(), layout.mRect.Height()))
        return false;
    AddPanel(iLayoutId, 0);
    SetUpPanels();
    return true;
}

bool CSkinPreview::Set(int nIndex, const std::string& sValue)
{
    if (mPanels.empty())
        return false;
    vpaGuiPanel& panel = *mPanels.front();
    epiPanelControl* pControl = panel.GetControl(nIndex);
    if (pControl == nullptr)
        return false;
    const int16_t nKind = pControl->GetKind();
    if (nKind == kEpiKindText || nKind == kEpiKindEditText || nKind == kEpiKindRollingText) {
        static_cast<epiAlphaControl_text*>(pControl)->SetText(sValue.c_str());
        return true;
    }
    char* pEnd = nullptr;
    const long nValue = std::strtol(sValue.c_str(), &pEnd, 10);
    if (sValue.empty() || *pEnd != '\0')
        return false;
    panel.SetControlValue(nIndex, static_cast<int>(nValue));
    return true;
}

bool CSkinPreview::RunScript(const std::string& sScript, std::string& sError)
{
    if (!mpWindow)
        return false;
    epiScript script(*mpWindow);
    script.SetSnapshotHook([](const epiOffmap& map, const std::string& sName) { return WritePng(map, sName); });
    const bool bDone = script.Run(sScript);
    sError = script.GetError();
    return bDone;
}

const epiOffmap& CSkinPreview::Map()
{
    mpWindow->Redraw();
    return mpWindow->GetMap();
}

bool CSkinPreview::WritePng(const epiOffmap& map, const std::string& sPath)
{
    cairo_surface_t* pSurface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, map.GetWidth(), map.GetHeight());
    if (cairo_surface_status(pSurface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(pSurface);
        return false;
    }
    unsigned char* pData = cairo_image_surface_get_data(pSurface);
    const int nStride = cairo_image_surface_get_stride(pSurface);
    for (int y = 0; y < map.GetHeight(); ++y) {
        for (int x = 0; x < map.GetWidth(); ++x) {
            uint8_t r, g, b;
            map.GetRGB(x, y, r, g, b);
            const uint32_t n = (static_cast<uint32_t>(r) << 16) | (g << 8) | b;
            std::memcpy(pData + y * nStride + x * 4, &n, 4);
        }
    }
    cairo_surface_mark_dirty(pSurface);
    const bool bDone = cairo_surface_write_to_png(pSurface, sPath.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(pSurface);
    return bDone;
}
