#include "VantorGUI.h"
#include "VantorEditorFactory.h"

#include "VantorPanelMenu.h"
#include "Window.h"
#include "host-interface/vpaProcess.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "processor/IVantorProcess.h"
#include "support/RYXException.h"
#include "toolkit/epiAlert.h"
#include "toolkit/epiLayout.h"
#include "toolkit/epiPath.h"
#include "toolkit/vpaGuiEngine.h"

#include <cstdio>
#include <new>

namespace {

// Alerts raised while an editor opens its skin are collected here instead of
// waiting in a box: the editor is not on screen yet, and when it stays empty
// it shows the reason in its window.
std::string* gpAttachAlerts = nullptr;
// Editors of this library whose host runs without a user.
int gnUnattendedEditors = 0;

// Toolkit alerts become the window system's message box (stderr without a
// display), or go to stderr with the answer that changes nothing (OK, No,
// Cancel) when nobody is there to click.
int ShowAlert(const char* pszText, const char* pszTitle, int nKind)
{
    if (gpAttachAlerts == nullptr && gnUnattendedEditors == 0)
        return platform::MessageBox(pszText, pszTitle, nKind);
    const std::string sText = pszText != nullptr ? pszText : "";
    std::fprintf(stderr, "Vantor: %s\n", sText.c_str());
    if (gpAttachAlerts != nullptr)
        *gpAttachAlerts += (gpAttachAlerts->empty() ? "" : "\n") + sText;
    return nKind <= 0 ? 1 : nKind == 1 ? 2 : 3;
}

IVantorProcess* VantorProcessOf(vpa::IProcess* pProcess)
{
    return pProcess != nullptr ? dynamic_cast<IVantorProcess*>(pProcess) : nullptr;
}

// The grey of an editor that has no skin to draw, and its text.
constexpr uint32_t kEmptyColour = 0x303030;
constexpr uint32_t kProblemColour = 0xE0E0E0;
constexpr int kProblemMargin = 8;

} // namespace

vpa::IGUI* CreateVantorEditor(vpa::IProcess* pProcess)
{
    CVantorGUI* pEditor = new (std::nothrow) CVantorGUI();
    if (pEditor != nullptr)
        pEditor->SetProcess(pProcess);
    return pEditor;
}

CVantorGUI::CVantorGUI()
    : CVantorGUI(platform::GetModuleFolder() + kSkinFileName)
{ }

CVantorGUI::CVantorGUI(const std::string& sSkinPath)
    : mbBuilt(false)
    , mbOpen(false)
    , mbUnattended(false)
{
    Attach(sSkinPath);
}

CVantorGUI::~CVantorGUI()
{
    SetUnattended(false);
    mpWindow.reset();
    mpDriver.reset();
    mpEngine.reset();
}

void CVantorGUI::Attach(const std::string& sSkinPath)
{
    mpDriver = std::make_unique<CGUIDriver>(this);
    mpWindow = std::make_unique<CWindow>(VantorProcessOf(mpProcess), mpDriver.get(), false);
    epi::SetAlertHook(ShowAlert);
    std::string sAlerts;
    gpAttachAlerts = &sAlerts;
    mpEngine.reset(mpDriver->CreateEngine());
    if (mpEngine && !mpEngine->OpenResources(epi::ToolkitPathFrom(sSkinPath), true))
        mpEngine.reset(); // the editor stays empty
    gpAttachAlerts = nullptr;
    if (!HasSkin())
        msProblem = "The editor cannot use its skin file " + sSkinPath + (sAlerts.empty() ? "" : ":\n" + sAlerts);
}

void CVantorGUI::ShowProblem()
{
    mpDriver->Fill(kEmptyColour);
    const std::string sText = msProblem.empty() ? std::string("The editor has nothing to show.") : msProblem;
    mpDriver->DrawPlainText(kProblemMargin, kProblemMargin, sText, kProblemColour);
}

bool CVantorGUI::HasSkin() const
{
    return mpEngine != nullptr && mpEngine->IsOpen();
}

void CVantorGUI::SetProcess(vpa::IProcess* pProcess)
{
    vpa::CGUI::SetProcess(pProcess);
    if (mpWindow)
        mpWindow->SetProcess(VantorProcessOf(pProcess));
}

void CVantorGUI::GetSize(long& nWidth, long& nHeight)
{
    nWidth = kEmptyWidth;
    nHeight = kEmptyHeight;
    if (!HasSkin())
        return;
    IVantorProcess* pProcess = VantorProcessOf(mpProcess);
    epiLayout layout;
    if (layout.Load(mpEngine->GetResFile(), CWindow::MainLayoutOf(pProcess != nullptr ? pProcess->GetMode() : 4))
        && !layout.mRect.IsEmpty()) {
        nWidth = layout.mRect.Width();
        nHeight = layout.mRect.Height();
    }
}

void CVantorGUI::Open(void* pParentWindow, long nX, long nY)
{
    long nWidth = 0, nHeight = 0;
    GetSize(nWidth, nHeight);
    std::string sError;
    const uintptr_t nParent = reinterpret_cast<uintptr_t>(pParentWindow);
    mpDriver->OpenWindow(nParent, static_cast<int>(nX), static_cast<int>(nY), static_cast<int>(nWidth),
        static_cast<int>(nHeight), sError);
    if (nParent != 0 && !sError.empty())
        std::fprintf(stderr, "Vantor: the editor cannot open its window: %s\n", sError.c_str());
    if (!mbBuilt && HasSkin()) {
        mbBuilt = mpWindow->BuildContents(mpEngine.get());
        if (!mbBuilt)
            msProblem = "The skin has no layout for this editor.";
        ShowPreset();
    }
    mbOpen = true;
    mpWindow->ResetFirstPaint();
    if (mbBuilt)
        mpWindow->PaintAll();
    else
        ShowProblem();
}

void CVantorGUI::Move(long nX, long nY)
{
    if (mpDriver->GetWindow() != nullptr)
        mpDriver->GetWindow()->Move(static_cast<int>(nX), static_cast<int>(nY));
}

// The system window goes at once: a host may destroy its own window right
// after closing the editor, and ours with it.
void CVantorGUI::Close()
{
    mbOpen = false;
    mpDriver->CloseWindow();
}

void CVantorGUI::OpenFloating(long, long)
{
    mbOpen = true;
    utils::ThrowRYXException(utils::kNotImplemented, "CVantorGUI::OpenFloating");
}

void CVantorGUI::Activate() { }

void CVantorGUI::Deactivate() { }

// The toolkit panels have no per-panel step of their own that a host could
// want; the call is accepted and does nothing.
void CVantorGUI::PanelStep(long) { }

void CVantorGUI::Paint()
{
    if (!mbOpen)
        return;
    if (mbBuilt)
        mpWindow->PaintAll();
    else
        mpDriver->Paint(0, 0, mpDriver->GetWidth(), mpDriver->GetHeight());
}

void CVantorGUI::Idle()
{
    if (!mbOpen || mpDriver->GetWindow() == nullptr)
        return;
    mpDriver->GetWindow()->PumpEvents(*mpWindow);
    mpWindow->TickIfDue();
}

void CVantorGUI::SetControlValue(int nKey, int nValue)
{
    mpWindow->SetControlValue(nKey, nValue);
}

void CVantorGUI::InvalidateEQCurve()
{
    mpWindow->InvalidateEQCurve();
}

void* CVantorGUI::GetDriver()
{
    return mpWindow.get();
}

void CVantorGUI::SetPanelChainPosition(int nPanel, int nPosition)
{
    mpWindow->SetPanelChainPosition(nPanel, nPosition);
}

uintptr_t CVantorGUI::GetWindowId()
{
    return mbOpen ? mpDriver->GetWindowHandle() : 0;
}

void CVantorGUI::SetMeterReading(unsigned nWhich, float fValue)
{
    mpWindow->FeedMeter(nWhich, fValue);
}

void CVantorGUI::SetUnattended(bool bUnattended)
{
    if (bUnattended != mbUnattended)
        gnUnattendedEditors += bUnattended ? 1 : -1;
    mbUnattended = bUnattended;
}

void CVantorGUI::SetCurrentPreset(const std::string& sPath, bool bChanged)
{
    msPresetPath = sPath;
    mbPresetChanged = bChanged;
    ShowPreset();
}

// The preset a host named reaches the strip once the panels exist.
void CVantorGUI::ShowPreset()
{
    if (msPresetPath.empty() || !mbBuilt)
        return;
    if (auto* pMenu = dynamic_cast<CVantorPanelMenu*>(mpWindow->FindPanel(CVantorPanelMenu::kPanelId)))
        pMenu->ShowCurrentPreset(msPresetPath, mbPresetChanged);
    msPresetPath.clear();
}

std::string CVantorGUI::ListValueTexts()
{
    return mbBuilt ? mpWindow->ListValueTexts() : std::string();
}

void CVantorGUI::GetPaintOffset(int& nX, int& nY)
{
    nX = mnPaintingOffsetX;
    nY = mnPaintingOffsetY;
}
