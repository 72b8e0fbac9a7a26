#include "NamePrompt.h"

#include "GUIDriver.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "toolkit/epiAlphaControl_editText.h"
#include "toolkit/epiAlphaControl_text.h"
#include "toolkit/epiBlit.h"
#include "toolkit/epiInputState.h"
#include "toolkit/epiLayout.h"
#include "toolkit/vpaGuiEngine.h"

#include <memory>
#include <utility>

namespace {

constexpr int kWaitMillis = 50;

// Turns the window's events into the prompt's calls.
class CPromptListener : public platform::IWindowListener {
public:
    explicit CPromptListener(CNamePrompt& prompt)
        : mPrompt(prompt)
    { }
    void OnWindowEvent(const platform::SWindowEvent& event) override
    {
        switch (event.eType) {
        case platform::SWindowEvent::kExpose: mbExposed = true; break;
        case platform::SWindowEvent::kButtonDown:
            if (event.button == 1)
                mPrompt.MouseDown(event.x, event.y);
            break;
        case platform::SWindowEvent::kButtonUp:
            if (event.button == 1)
                mPrompt.MouseUp();
            break;
        case platform::SWindowEvent::kPointerMove: mPrompt.MouseMove(event.x, event.y); break;
        case platform::SWindowEvent::kKey: mPrompt.Key(event.key); break;
        case platform::SWindowEvent::kClose: mPrompt.Cancel(); break;
        case platform::SWindowEvent::kWheel: break;
        }
    }
    bool mbExposed = false;

private:
    CNamePrompt& mPrompt;
};

} // namespace

void CNamePrompt::CPanel::ReportValue(int nIndex, int nValue)
{
    // Buttons report at release, 1 when released inside.
    if (nValue == 0)
        return;
    if (nIndex == kOkButton)
        mOwner.Accept();
    else if (nIndex == kCancelButton)
        mOwner.Cancel();
}

CNamePrompt::CNamePrompt(vpaGuiEngine* pEngine, std::string sTitle, Check check)
    : mpEngine(pEngine)
    , msTitle(std::move(sTitle))
    , mCheck(std::move(check))
    , mPanel(*this)
    , meState(EState::kCancelled)
    , mnWidth(0)
    , mnHeight(0)
{ }

bool CNamePrompt::Open(const std::string& sInitial)
{
    meState = EState::kCancelled;
    if (mpEngine == nullptr || !mpEngine->IsOpen())
        return false;
    epiLayout layout;
    if (!layout.Load(mpEngine->GetResFile(), kLayoutId) || layout.mRect.IsEmpty()
        || !mWindow.Create(mpEngine, layout.mRect.Width(), layout.mRect.Height()))
        return false;
    mPanel.SetLayoutId(kLayoutId);
    mPanel.SetOrigin(0, 0);
    if (!mPanel.Attach(&mWindow) || TextControl(kNameField) == nullptr)
        return false;
    const std::pair<int, const char*> captions[] = { { kOkButton, "OK" }, { kCancelButton, "Cancel" } };
    for (const auto& caption : captions)
        if (epiAlphaControl_text* pButton = TextControl(caption.first))
            pButton->SetText(caption.second);
    mPanel.SendToControl(kReasonLine, kEpiMsgTextColour, kReasonColour);
    TextControl(kNameField)->SetText(sInitial.c_str());
    mPanel.SetFocus(kNameField);
    // The suggestion is marked: typing replaces it, a click keeps it.
    if (auto* pField = dynamic_cast<epiAlphaControl_editText*>(TextControl(kNameField)))
        pField->SelectAll();
    msName.clear();
    meState = EState::kOpen;

    mnWidth = layout.mRect.Width();
    mnHeight = layout.mRect.Height();
    manPixels.assign(static_cast<size_t>(mnWidth) * mnHeight, 0);
    mWindow.DrawAll();
    mWindow.TakeUpdateRect();
    CGUIDriver::ConvertRect(mWindow.GetMap(), mWindow.GetBounds(), manPixels.data(), mnWidth);
    return true;
}

epiAlphaControl_text* CNamePrompt::TextControl(int nIndex) const
{
    return dynamic_cast<epiAlphaControl_text*>(mPanel.GetControl(nIndex));
}

SEpiRect CNamePrompt::GetControlBounds(int nIndex) const
{
    const epiPanelControl* pControl = mPanel.GetControl(nIndex);
    return pControl != nullptr ? pControl->GetBounds() : SEpiRect { 0, 0, 0, 0 };
}

void CNamePrompt::Key(int nKey)
{
    if (meState != EState::kOpen)
        return;
    if (nKey == kEpiKeyReturn) {
        Accept();
        return;
    }
    if (nKey == kEpiKeyEscape) {
        Cancel();
        return;
    }
    const bool bPrintable = nKey >= 32 && nKey < 127;
    if (!bPrintable && nKey != kEpiKeyBackspace && nKey != kEpiKeyDelete)
        return;
    // The field keeps the focus whatever was clicked.
    mPanel.SetFocus(kNameField);
    const std::string sBefore = GetName();
    mWindow.Key(nKey);
    if (GetName() != sBefore)
        SetReason(std::string());
}

void CNamePrompt::MouseDown(int x, int y)
{
    if (meState == EState::kOpen)
        mWindow.MouseDown(x, y);
}

void CNamePrompt::MouseMove(int x, int y)
{
    if (meState == EState::kOpen)
        mWindow.MouseMove(x, y);
}

void CNamePrompt::MouseUp()
{
    if (meState == EState::kOpen)
        mWindow.MouseUp();
}

void CNamePrompt::Accept()
{
    if (meState != EState::kOpen)
        return;
    std::string sName = GetName();
    std::string sWhy;
    if (mCheck && !mCheck(sName, sWhy)) {
        SetReason(sWhy);
        return;
    }
    msName = sName;
    meState = EState::kAccepted;
}

void CNamePrompt::Cancel()
{
    if (meState == EState::kOpen)
        meState = EState::kCancelled;
}

std::string CNamePrompt::GetName() const
{
    if (meState == EState::kAccepted)
        return msName;
    const epiAlphaControl_text* pField = TextControl(kNameField);
    return pField != nullptr ? pField->GetText() : std::string();
}

std::string CNamePrompt::GetReason() const
{
    const epiAlphaControl_text* pLine = TextControl(kReasonLine);
    return pLine != nullptr ? pLine->GetText() : std::string();
}

void CNamePrompt::SetReason(const std::string& sWhy)
{
    epiAlphaControl_text* pLine = TextControl(kReasonLine);
    if (pLine != nullptr && pLine->GetText() != sWhy)
        pLine->SetText(sWhy.c_str());
}

SEpiRect CNamePrompt::Update()
{
    if (manPixels.empty())
        return SEpiRect { 0, 0, 0, 0 };
    mWindow.Tick();
    const SEpiRect rect = EpiIntersect(mWindow.TakeUpdateRect(), mWindow.GetBounds());
    if (!rect.IsEmpty())
        CGUIDriver::ConvertRect(mWindow.GetMap(), rect, manPixels.data(), mnWidth);
    return rect;
}

void CNamePrompt::Run(bool bInteractive)
{
    if (meState != EState::kOpen)
        return;
    std::unique_ptr<platform::IWindow> pWindow;
    if (bInteractive) {
        std::string sError;
        pWindow = platform::OpenTopLevelWindow(msTitle, mnWidth, mnHeight, sError);
    }
    if (!pWindow || !pWindow->IsInteractive()) {
        // Nobody can type: the name the prompt opened with, checked like a
        // typed one; a refused one cancels.
        Accept();
        Cancel();
        Update();
        return;
    }
    CPromptListener listener(*this);
    while (meState == EState::kOpen) {
        pWindow->WaitForEvent(kWaitMillis);
        mWindow.GetInputState().SetMillis(platform::GetTickCount());
        pWindow->PumpEvents(listener);
        const SEpiRect rect = Update();
        if (listener.mbExposed) {
            pWindow->PutImage(manPixels.data(), mnWidth, 0, 0, mnWidth, mnHeight, 0, 0);
            listener.mbExposed = false;
        } else if (!rect.IsEmpty()) {
            pWindow->PutImage(manPixels.data(), mnWidth, rect.left, rect.top, rect.Width(), rect.Height(), 0, 0);
        }
    }
}
