#include "VantorPanel.h"

#include "parameters/ConverterLinear.h"
#include "parameters/ConverterLog.h"
#include "parameters/ConverterManager.h"
#include "parameters/DataManager.h"
#include "parameters/DisplayTranslater.h"
#include "processor/IVantorProcess.h"
#include "processor/ParameterDisplay.h"
#include "processor/ParameterTable.h"
#include "toolkit/epiAlphaControl_rotary.h"
#include "toolkit/epiBlit.h"
#include "toolkit/epiOffmap.h"
#include "toolkit/epiAlphaControl_text.h"
#include "toolkit/epiLayout.h"

#include <algorithm>
#include <new>

CVantorPanel::CVantorPanel(int nPanelId, IVantorProcess* pProcess)
    : miPanelId(nPanelId)
    , mpProcess(pProcess)
    , mpConverters(adl::CreateConverterManager())
    , mpDisplays(adl::CreateDisplayManager(this))
    , maBindings(PanelBindings(nPanelId))
    , miEnableParameter(ModuleEnableParameter(nPanelId - 1))
{
    SetLayoutId(nPanelId);
}

CVantorPanel::~CVantorPanel()
{
    if (mpConverters != nullptr)
        mpConverters->Destroy();
    if (mpDisplays != nullptr)
        mpDisplays->Destroy();
}

std::vector<CVantorPanel::SBinding> CVantorPanel::PanelBindings(int nPanelId)
{
    std::vector<SBinding> bindings;
    for (int i = 0; i < kNrOfVantorParameters; ++i) {
        const SParameterDescriptor& d = kVantorParameters[i];
        if (d.nControl < 0 || PanelOfModule(d.nModule) != nPanelId)
            continue;
        // A range's second control shows its value; a list's is a second switch.
        const bool bSecondIsText = d.nType == 0;
        bindings.push_back({ i, d.nControl, bSecondIsText ? d.nSecondControl : -1 });
        if (!bSecondIsText && d.nSecondControl >= 0)
            bindings.push_back({ i, d.nSecondControl, -1 });
    }
    return bindings;
}

void CVantorPanel::SetUp()
{
    // A module's panel works in the modes that run the module; outside them
    // it takes no events and draws nothing.
    const unsigned nMode = mpProcess != nullptr ? mpProcess->GetMode() : kChainProcessType;
    if (miEnableParameter >= 0 && !IsParameterActive(miEnableParameter, nMode))
        SetActive(false);
    for (const SBinding& binding : maBindings) {
        epiPanelControl* pControl = GetControl(binding.nControl);
        if (pControl != nullptr && pControl->GetKind() == kEpiKindRotary) {
            SendToControl(binding.nControl, epiAlphaControl_rotary::kRange, 0, kPositionMax);
            SendToControl(binding.nControl, epiAlphaControl_rotary::kReset, kResetPosition);
            SendToControl(binding.nControl, epiAlphaControl_rotary::kSteps, kCoarseStep, kFineStep);
        }
        if (mpConverters != nullptr && binding.nParameter >= 0 && binding.nParameter < kNrOfVantorParameters) {
            // Ranges have their taper; lists and switches pass 0 and 1.
            const SParameterDescriptor& d = kVantorParameters[binding.nParameter];
            adl::IConverter* pConverter = nullptr;
            if (d.nType == 0 && d.nCurve == 1)
                pConverter = new (std::nothrow) adl::CConverterLog(
                    d.nKnobDecimals, d.nMin, d.nMax, static_cast<int>(d.nCurveParam), 0, kPositionMax);
            else if (d.nType == 0)
                pConverter = new (std::nothrow) adl::CConverterLinear(d.nKnobDecimals, d.nMin, d.nMax, 0, kPositionMax);
            if (pConverter != nullptr)
                mpConverters->AddConverter(binding.nControl, pConverter);
        }
        if (mpDisplays != nullptr && binding.nText >= 0) {
            if (adl::CDisplayTranslater* pTranslater = CreateParameterTranslater(binding.nParameter))
                mpDisplays->AddDisplay(binding.nParameter, binding.nText, pTranslater);
        }
        // A double-click puts the knob back to its parameter's default.
        if (pControl != nullptr && pControl->GetKind() == kEpiKindRotary && mpConverters != nullptr
            && mpConverters->HasConverter(binding.nControl))
            SendToControl(binding.nControl, epiAlphaControl_rotary::kDoubleClick,
                mpConverters->ValueToPosition(binding.nControl, kVantorParameters[binding.nParameter].nDefault));
    }
}

void CVantorPanel::ValueChanged(int nControl, int nValue)
{
    QueueValue(nControl, nValue);
}

void CVantorPanel::TickStep()
{
    PollMeters();
    ApplyPendingValues();
    // A module switched off (or on) is drawn anew, dimmed (or not).
    adl::IDataManager* pData = DataManager();
    const bool bDimmed
        = pData != nullptr && miEnableParameter >= 0 && pData->GetValue(static_cast<unsigned>(miEnableParameter)) == 0;
    if (bDimmed != mbDimmed) {
        mbDimmed = bDimmed;
        InvalidateRect(GetRect());
    }
}

void CVantorPanel::Draw(epiOffmap& target, const SEpiRect& clip)
{
    vpaGuiPanel::Draw(target, clip);
    if (!mbDimmed || !IsActive())
        return;
    const SEpiRect& panel = GetRect();
    const SEpiRect body { panel.left, static_cast<int16_t>(panel.top + kHeaderHeight), panel.right, panel.bottom };
    const SEpiRect area = EpiIntersect(clip, body);
    // Half way to black: 5-5-5 channels halved.
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            target.SetPixel(x, y, (target.GetPixel(x, y) >> 1) & 0x3DEFu);
}

bool CVantorPanel::ControlWheel(int nControl, int nNotches)
{
    epiPanelControl* pControl = GetControl(nControl);
    adl::IDataManager* pData = DataManager();
    const int nKey = GetKey(nControl);
    const int nParameter = pData != nullptr ? pData->GetIndexOfKey(nKey) : -1;
    if (pControl == nullptr || pControl->GetKind() != kEpiKindRotary || mpConverters == nullptr
        || !mpConverters->HasConverter(nControl) || nParameter < 0 || nParameter >= kNrOfVantorParameters)
        return vpaGuiPanel::ControlWheel(nControl, nNotches);
    const SParameterDescriptor& d = kVantorParameters[nParameter];
    const int nNow = pData->GetValue(static_cast<unsigned>(nParameter));
    const IEpiInputState* pInput = GetInput();
    int nPosition = 0;
    int nValue = 0;
    if (pInput != nullptr && pInput->IsControlDown()) {
        nValue = std::clamp(nNow + nNotches, d.nMin, d.nMax);
        nPosition = mpConverters->ValueToPosition(nControl, nValue);
    } else {
        nPosition = std::clamp(pControl->GetValue() + nNotches * kWheelStep, 0, kPositionMax);
        nValue = std::clamp(mpConverters->PositionToValue(nControl, nPosition), d.nMin, d.nMax);
    }
    if (nValue == nNow)
        return false;
    SetControlValue(nControl, nPosition);
    pData->SetValueByKey(nKey, nValue);
    if (mpDisplays != nullptr)
        mpDisplays->UpdateDisplays(nParameter, nValue);
    return true;
}

void CVantorPanel::ApplyPendingValues()
{
    if (!HasPendingValues())
        return;
    adl::IDataManager* pData = DataManager();
    for (const auto& pending : TakePendingValues()) {
        const int nControl = pending.first;
        const int nValue = pending.second;
        const bool bConverted = mpConverters != nullptr && mpConverters->HasConverter(nControl);
        const int nPosition = bConverted ? mpConverters->ValueToPosition(nControl, nValue) : nValue;
        // An unchanged control is not redrawn: an idle tick draws nothing.
        epiPanelControl* pControl = GetControl(nControl);
        if (pControl != nullptr && pControl->GetValue() != nPosition)
            SetControlValue(nControl, nPosition);
        const int nParameter = pData != nullptr ? pData->GetIndexOfKey(GetKey(nControl)) : -1;
        if (nParameter >= 0 && mpDisplays != nullptr)
            mpDisplays->UpdateDisplays(nParameter, nValue);
    }
}

void CVantorPanel::Notify(int nPhase)
{
    // Rotaries report every drag step here; buttons and switches come
    // through ReportValue, once per click.
    const int nTracked = GetTrackedIndex();
    epiPanelControl* pControl = GetControl(nTracked);
    if ((nPhase == 0 || nPhase == 1) && pControl != nullptr && pControl->GetKind() == kEpiKindRotary)
        ControlMoved(nTracked, pControl->GetValue());
}

void CVantorPanel::ReportValue(int nIndex, int nValue)
{
    epiPanelControl* pControl = GetControl(nIndex);
    if (pControl != nullptr && pControl->GetKind() != kEpiKindRotary)
        ControlMoved(nIndex, nValue);
}

void CVantorPanel::ControlMoved(int nControl, int nPosition)
{
    const bool bConverted = mpConverters != nullptr && mpConverters->HasConverter(nControl);
    const int nValue = bConverted ? mpConverters->PositionToValue(nControl, nPosition) : nPosition;
    adl::IDataManager* pData = DataManager();
    if (pData == nullptr)
        return;
    const int nKey = GetKey(nControl);
    pData->SetValueByKey(nKey, nValue);
    const int nParameter = pData->GetIndexOfKey(nKey);
    if (nParameter >= 0 && mpDisplays != nullptr)
        mpDisplays->UpdateDisplays(nParameter, nValue);
}

void CVantorPanel::SetDisplayText(int nDisplayId, const std::string& sText)
{
    if (auto* pText = dynamic_cast<epiAlphaControl_text*>(GetControl(nDisplayId))) {
        const std::string sShown = TrimDisplayText(sText);
        if (pText->GetText() != sShown) {
            pText->SetText(sShown.c_str());
            pText->Invalidate();
        }
    }
}

std::vector<std::pair<int, std::string>> CVantorPanel::GetValueTexts() const
{
    std::vector<std::pair<int, std::string>> texts;
    if (!IsActive())
        return texts;
    for (const SBinding& binding : maBindings) {
        const auto* pText = dynamic_cast<const epiAlphaControl_text*>(GetControl(binding.nText));
        if (binding.nText >= 0 && pText != nullptr)
            texts.emplace_back(binding.nText, pText->GetText());
    }
    std::sort(texts.begin(), texts.end());
    return texts;
}

adl::IDataManager* CVantorPanel::DataManager() const
{
    return mpProcess != nullptr ? mpProcess->GetDataManager() : nullptr;
}
