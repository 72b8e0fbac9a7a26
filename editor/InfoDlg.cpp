#include "InfoDlg.h"

#include "GUIDriver.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "toolkit/epiAlphaControl_text.h"
#include "toolkit/epiLayout.h"
#include "toolkit/vpaGui.h"
#include "toolkit/vpaGuiEngine.h"
#include "toolkit/vpaGuiPanel.h"

#include <string>

namespace {

// Ends the modal loop at the first click, key or close request.
class CCloser : public platform::IWindowListener {
public:
    void OnWindowEvent(const platform::SWindowEvent& event) override
    {
        if (event.eType == platform::SWindowEvent::kButtonDown || event.eType == platform::SWindowEvent::kKey
            || event.eType == platform::SWindowEvent::kClose)
            mbDone = true;
        else if (event.eType == platform::SWindowEvent::kExpose)
            mbExposed = true;
    }
    bool mbDone = false;
    bool mbExposed = false;
};

} // namespace

const char* CInfoDlg::GetVersionText()
{
    return "Version " VANTOR_VERSION;
}

CInfoDlg::CInfoDlg(vpaGuiEngine* pEngine, bool bInteractive)
    : mpEngine(pEngine)
    , mbInteractive(bInteractive)
    , mnWidth(0)
    , mnHeight(0)
{ }

bool CInfoDlg::Run()
{
    if (mpEngine == nullptr || !mpEngine->IsOpen())
        return false;
    epiLayout layout;
    if (!layout.Load(mpEngine->GetResFile(), kLayoutId) || layout.mRect.IsEmpty())
        return false;
    vpaGui window;
    if (!window.Create(mpEngine, layout.mRect.Width(), layout.mRect.Height()))
        return false;
    vpaGuiPanel panel;
    panel.SetLayoutId(kLayoutId);
    panel.SetOrigin(0, 0);
    panel.Attach(&window);
    if (auto* pVersion = dynamic_cast<epiAlphaControl_text*>(panel.GetControl(kVersionControl)))
        pVersion->SetText(GetVersionText());
    window.DrawAll();
    mnWidth = layout.mRect.Width();
    mnHeight = layout.mRect.Height();
    manPixels.assign(static_cast<size_t>(mnWidth) * mnHeight, 0);
    CGUIDriver::ConvertRect(window.GetMap(), window.GetBounds(), manPixels.data(), mnWidth);
    if (!mbInteractive)
        return true;

    std::string sError;
    std::unique_ptr<platform::IWindow> pWindow
        = platform::OpenTopLevelWindow("About Vantor", mnWidth, mnHeight, sError);
    if (!pWindow)
        return true;
    CCloser closer;
    while (!closer.mbDone) {
        pWindow->WaitForEvent(100);
        pWindow->PumpEvents(closer);
        if (closer.mbExposed) {
            pWindow->PutImage(manPixels.data(), mnWidth, 0, 0, mnWidth, mnHeight, 0, 0);
            closer.mbExposed = false;
        }
    }
    return true;
}
