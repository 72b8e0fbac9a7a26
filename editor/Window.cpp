#include "Window.h"

#include "GUIDriver.h"
#include "InfoDlg.h"
#include "NamePrompt.h"
#include "VantorPanelClipper.h"
#include "VantorPanelComp.h"
#include "VantorPanelEQ.h"
#include "VantorPanelLimiter.h"
#include "VantorPanelMenu.h"
#include "parameters/DataManager.h"
#include "platform/Platform.h"
#include "processor/IVantorProcess.h"
#include "toolkit/epiBlit.h"
#include "toolkit/vpaGuiEngine.h"

#include <algorithm>

#include <new>

namespace {

constexpr int kMenuTop = 0;
constexpr int kSingleModuleTop = 18;
// Vertical places of the four module panels when all of them are shown.
constexpr int kChainTops[4] = { 18, 278, 413, 600 };

unsigned ModeOf(IVantorProcess* pProcess)
{
    const unsigned nMode = pProcess != nullptr ? pProcess->GetMode() : 4;
    return nMode > 4 ? 4 : nMode;
}

} // namespace

CWindow::CWindow(IVantorProcess* pProcess, CGUIDriver* pDriver, bool bStandalone)
    : mpProcess(pProcess)
    , mpDriver(pDriver)
    , mbStandalone(bStandalone)
    , mbBuilt(false)
    , mbFirstPaintPending(true)
    , mbTicked(false)
    , mnLastTick(0)
    , mMeters(pProcess)
    , manChainPositions { -1, -1, -1, -1, -1 }
    , mPopupRect { 0, 0, 0, 0 }
    , mbPopupShown(false)
{ }

CWindow::~CWindow() = default;

int32_t CWindow::MainLayoutOf(unsigned nMode)
{
    return nMode >= 4 ? 100 : static_cast<int32_t>(101 + nMode);
}

std::unique_ptr<CVantorPanel> CWindow::CreatePanel(int n)
{
    const unsigned nMode = ModeOf(mpProcess);
    const int nModules = nMode == 4 ? 4 : 1;
    if (n < 0 || n > nModules)
        return nullptr;
    if (n == nModules) {
        auto pMenu = std::make_unique<CVantorPanelMenu>(mpProcess);
        pMenu->SetAboutAction([this] { ShowAbout(); });
        pMenu->SetNamePromptRunner([this](CNamePrompt& prompt) { prompt.Run(IsInteractive()); });
        pMenu->SetOrigin(0, kMenuTop);
        return pMenu;
    }
    const int nModule = nMode == 4 ? n : static_cast<int>(nMode);
    std::unique_ptr<CVantorPanel> pPanel;
    switch (nModule) {
    case 0: pPanel = std::make_unique<CVantorPanelEQ>(mpProcess); break;
    case 1: pPanel = std::make_unique<CVantorPanelComp>(mpProcess); break;
    case 2: pPanel = std::make_unique<CVantorPanelLimiter>(mpProcess); break;
    default: pPanel = std::make_unique<CVantorPanelClipper>(mpProcess, &mMeters); break;
    }
    pPanel->SetOrigin(0, nMode == 4 ? kChainTops[nModule] : kSingleModuleTop);
    return pPanel;
}

bool CWindow::BuildContents(vpaGuiEngine* pEngine)
{
    if (mbBuilt)
        return true;
    if (pEngine == nullptr || !pEngine->IsOpen() || !Create(pEngine, MainLayoutOf(ModeOf(mpProcess))))
        return false;
    SetOverlaysInMap(false); // open menus show in a pop-up window

    for (int n = 0; n < kMaxPanels; ++n) {
        std::unique_ptr<CVantorPanel> pPanel = CreatePanel(n);
        if (!pPanel)
            break;
        // A layout missing from the skin leaves that panel without controls;
        // the others work.
        pPanel->Attach(this);
        pPanel->SetUp();
        maPanels.push_back(std::move(pPanel));
    }
    // The needles: the compressor's in modes 1 and 4, the limiter's in 2 and 4.
    if (CVantorPanel* pComp = FindPanel(CVantorPanelComp::kPanelId))
        maUpdatables.push_back(std::make_unique<CVUMeter>(
            pComp, mpProcess, &mMeters, CVantorPanelComp::kNeedleControl, 0, 0.94f, (1u << 1) | (1u << 4)));
    if (CVantorPanel* pLimiter = FindPanel(CVantorPanelLimiter::kPanelId))
        maUpdatables.push_back(std::make_unique<CVUMeter>(
            pLimiter, mpProcess, &mMeters, CVantorPanelLimiter::kNeedleControl, 1, 0.95f, (1u << 2) | (1u << 4)));
    if (CVantorPanel* pClipper = FindPanel(CVantorPanelClipper::kPanelId)) {
        const SEpiRect& rect = pClipper->GetRect();
        mpOutputStrip = std::make_unique<COutputMeterStrip>(&mMeters, SEpiPoint { rect.left, rect.top });
    }
    mbBuilt = true;
    // Every control hears its parameter's value; the first tick shows them.
    if (mpProcess != nullptr && mpProcess->GetDataManager() != nullptr)
        mpProcess->GetDataManager()->NotifyAllKeys();
    if (mpProcess != nullptr)
        mpProcess->UpdateGUIChainOrder();
    for (auto& pPanel : maPanels)
        pPanel->TickStep();
    return true;
}

CVantorPanel* CWindow::FindPanel(int nPanelId) const
{
    for (const auto& pPanel : maPanels)
        if (pPanel->GetPanelId() == nPanelId)
            return pPanel.get();
    return nullptr;
}

std::string CWindow::ListValueTexts() const
{
    std::string sList;
    for (int nPanel = 1; nPanel <= 4; ++nPanel) {
        const CVantorPanel* pPanel = FindPanel(nPanel);
        if (pPanel == nullptr)
            continue;
        for (const auto& text : pPanel->GetValueTexts())
            sList += std::to_string(nPanel) + " " + std::to_string(text.first) + " " + text.second + "\n";
    }
    return sList;
}

CVantorPanelEQ* CWindow::GetEQPanel() const
{
    return static_cast<CVantorPanelEQ*>(FindPanel(CVantorPanelEQ::kPanelId));
}

void CWindow::SetControlValue(int nKey, int nValue)
{
    if (CVantorPanel* pPanel = FindPanel(nKey / 65536))
        pPanel->ValueChanged(nKey % 65536, nValue);
}

void CWindow::InvalidateEQCurve()
{
    if (CVantorPanelEQ* pEQ = GetEQPanel())
        pEQ->InvalidateCurve();
}

// The skin has no place that shows the chain order, so the panels stay where
// the layout puts them; the order is kept for whoever asks.
void CWindow::SetPanelChainPosition(int nPanel, int nPosition)
{
    if (nPanel >= 1 && nPanel <= 4)
        manChainPositions[nPanel] = nPosition;
}

int CWindow::GetPanelChainPosition(int nPanel) const
{
    return nPanel >= 1 && nPanel <= 4 ? manChainPositions[nPanel] : -1;
}

void CWindow::UpdateClock()
{
    GetInputState().SetMillis(platform::GetTickCount());
}

void CWindow::TimerTick()
{
    if (!mbBuilt)
        return;
    UpdateClock();
    for (auto& pUpdatable : maUpdatables)
        pUpdatable->Update();
    for (auto& pPanel : maPanels)
        if (pPanel->IsActive())
            pPanel->TickStep();
    Tick();
    if (mpOutputStrip)
        mnOutputStripChanged |= mpOutputStrip->Update(GetInput().GetMillis());
    BlitUpdates();
    UpdatePopup();
}

void CWindow::UpdatePopup()
{
    platform::IWindow* pWindow = mpDriver->GetWindow();
    const SEpiRect rect = GetOverlayRect();
    if (pWindow == nullptr || rect.IsEmpty() || rect.left < 0 || rect.top < 0) {
        if (mbPopupShown && pWindow != nullptr)
            pWindow->HidePopup();
        mbPopupShown = false;
        return;
    }
    if (mPopupMap.GetWidth() < rect.right || mPopupMap.GetHeight() < rect.bottom) {
        if (!mPopupMap.Allocate(1, std::max<int32_t>(rect.right, mPopupMap.GetWidth()),
                std::max<int32_t>(rect.bottom, mPopupMap.GetHeight())))
            return;
    }
    DrawOverlays(mPopupMap, rect);
    // Words outside every part (beside a short column) are left out of the
    // pop-up's shape.
    constexpr uint32_t kOutside = 0xFF000000u;
    const int nWidth = rect.Width(), nHeight = rect.Height();
    std::vector<uint32_t> pixels(static_cast<size_t>(nWidth) * nHeight, kOutside);
    for (const SEpiRect& part : GetOverlayParts()) {
        for (int y = part.top; y < part.bottom; ++y) {
            uint32_t* pnOut = pixels.data() + static_cast<size_t>(y - rect.top) * nWidth;
            for (int x = part.left; x < part.right; ++x) {
                const uint32_t n = mPopupMap.GetPixel(x, y); // 5-5-5
                pnOut[x - rect.left] = (((n >> 10) & 31u) << 19) | (((n >> 5) & 31u) << 11) | ((n & 31u) << 3);
            }
        }
    }
    const bool bMoved = rect.left != mPopupRect.left || rect.top != mPopupRect.top || rect.right != mPopupRect.right
        || rect.bottom != mPopupRect.bottom;
    if (mbPopupShown && !bMoved && pixels == manPopup)
        return;
    manPopup.swap(pixels);
    mPopupRect = rect;
    pWindow->ShowPopup(rect.left, rect.top, nWidth, nHeight, manPopup.data());
    mbPopupShown = true;
}

void CWindow::TickIfDue()
{
    const uint32_t nNow = platform::GetTickCount();
    if (!mbTicked || nNow - mnLastTick >= kTickMillis) {
        mbTicked = true;
        mnLastTick = nNow;
        TimerTick();
    }
}

void CWindow::DrawOutputStrip(const SEpiRect& clip)
{
    CVantorPanel* pClipper = FindPanel(CVantorPanelClipper::kPanelId);
    if (!mpOutputStrip || pClipper == nullptr || !pClipper->IsActive() || clip.IsEmpty())
        return;
    // The panel's own picture of the area first, then the meter over it.
    pClipper->Draw(GetMap(), clip);
    mpOutputStrip->Draw(GetMap(), GetFonts(), clip);
}

void CWindow::BlitUpdates()
{
    SEpiRect rect = TakeUpdateRect();
    if (mpOutputStrip) {
        // The parts that changed, and whatever the toolkit drew over it.
        SEpiRect strip = EpiIntersect(rect, mpOutputStrip->GetRect());
        if (mnOutputStripChanged != 0)
            strip = EpiUnion(strip, mpOutputStrip->GetRect(mnOutputStripChanged));
        mnOutputStripChanged = 0;
        if (!strip.IsEmpty()) {
            DrawOutputStrip(strip);
            rect = EpiUnion(rect, strip);
        }
    }
    if (rect.IsEmpty())
        return;
    // The curve goes over the screen the toolkit has just drawn, and open
    // menus go over the curve again.
    if (CVantorPanelEQ* pEQ = GetEQPanel()) {
        if (pEQ->DrawCurve(GetMap(), rect)) {
            const SEpiRect area = pEQ->GetCurveRect();
            rect = SEpiRect { std::min(rect.left, area.left), std::min(rect.top, area.top),
                std::max(rect.right, area.right), std::max(rect.bottom, area.bottom) };
        }
    }
    if (mbFirstPaintPending)
        return; // the first paint copies everything
    mpDriver->Blit(GetMap(), rect);
}

void CWindow::PaintAll()
{
    if (!mbBuilt)
        return;
    if (mbFirstPaintPending) {
        DrawAll();
        TakeUpdateRect();
        if (CVantorPanelEQ* pEQ = GetEQPanel())
            pEQ->DrawCurve(GetMap(), GetBounds());
        if (mpOutputStrip)
            DrawOutputStrip(mpOutputStrip->GetRect());
        mnOutputStripChanged = 0;
        mbFirstPaintPending = false;
    }
    mpDriver->Blit(GetMap(), GetBounds());
}

bool CWindow::IsInteractive() const
{
    return mpDriver->GetWindow() != nullptr && mpDriver->GetWindow()->IsInteractive();
}

void CWindow::ShowAbout()
{
    CInfoDlg dialog(GetEngine(), IsInteractive());
    dialog.Run();
}

void CWindow::OnWindowEvent(const platform::SWindowEvent& event)
{
    if (!mbBuilt) {
        if (event.eType == platform::SWindowEvent::kExpose)
            mpDriver->Paint(event.x, event.y, event.width, event.height);
        return;
    }
    UpdateClock();
    epiInputState& input = GetInputState();
    switch (event.eType) {
    case platform::SWindowEvent::kExpose:
        if (mbFirstPaintPending)
            PaintAll();
        else
            mpDriver->Paint(event.x, event.y, event.width, event.height);
        break;
    case platform::SWindowEvent::kButtonDown:
        input.SetModifiers(event.bShift, event.bControl, event.bAlt);
        // The right button acts as the left one; there is no context menu.
        if (event.button == 1 || event.button == 3)
            MouseDown(event.x, event.y);
        break;
    case platform::SWindowEvent::kButtonUp:
        input.SetModifiers(event.bShift, event.bControl, event.bAlt);
        if (event.button == 1 || event.button == 3)
            MouseUp();
        break;
    case platform::SWindowEvent::kPointerMove:
        input.SetModifiers(event.bShift, event.bControl, event.bAlt);
        MouseMove(event.x, event.y);
        break;
    case platform::SWindowEvent::kKey:
        input.SetModifiers(event.bShift, event.bControl, event.bAlt);
        Key(event.key);
        break;
    case platform::SWindowEvent::kWheel:
        input.SetModifiers(event.bShift, event.bControl, event.bAlt);
        Wheel(event.x, event.y, event.wheel);
        break;
    case platform::SWindowEvent::kClose: break;
    }
}
