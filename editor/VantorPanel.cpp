#include "VantorPanel.h"

#include "parameters/ConverterLinear.h"
#include "parameters/ConverterLog.h"
#include "parameters/ConverterManager.h"
#include "parameters/DataManager.h"
#include "parameters/DisplayTranslater.h"
#include "processor/IVantorProcess.h"
#include "toolkit/epiAlphaControl_rotary.h"
#include "toolkit/epiAlphaControl_text.h"
#include "toolkit/epiLayout.h"

#include <new>

namespace {

adl::UnitStepList StepsOf(CVantorPanel::EUnit eUnit)
{
    switch (eUnit) {
    case CVantorPanel::kHertz: return { { 1000.0f, "Hz" }, { 0.0f, "KHz" } };
    case CVantorPanel::kMillis: return { { 1000.0f, "ms" }, { 0.0f, "s" } };
    case CVantorPanel::kDecibel: return { { 0.0f, "dB" } };
    default: return {};
    }
}

} // namespace

CVantorPanel::CVantorPanel(int nPanelId, IVantorProcess* pProcess)
    : miPanelId(nPanelId)
    , mpProcess(pProcess)
    , mpConverters(adl::CreateConverterManager())
    , mpDisplays(adl::CreateDisplayManager(this))
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

const CVantorPanel::SBinding* CVantorPanel::Bindings(int& nCount) const
{
    nCount = 0;
    return nullptr;
}

void CVantorPanel::SetUp()
{
    // Outside its modes a panel takes no events and draws nothing.
    const unsigned nMode = mpProcess != nullptr ? mpProcess->GetMode() : 4;
    if (nMode < 32 && (ActiveModes() & (1u << nMode)) == 0)
        SetActive(false);
    int nCount = 0;
    const SBinding* pBindings = Bindings(nCount);
    for (int i = 0; i < nCount; ++i) {
        const SBinding& binding = pBindings[i];
        epiPanelControl* pControl = GetControl(binding.nControl);
        if (pControl != nullptr && pControl->GetKind() == kEpiKindRotary) {
            SendToControl(binding.nControl, epiAlphaControl_rotary::kRange, 0, kPositionMax);
            SendToControl(binding.nControl, epiAlphaControl_rotary::kReset, kResetPosition);
            SendToControl(binding.nControl, epiAlphaControl_rotary::kSteps, kCoarseStep, kFineStep);
        }
        if (mpConverters != nullptr && binding.cConverter != 0) {
            adl::IConverter* pConverter = binding.cConverter == 'L'
                ? static_cast<adl::IConverter*>(new (std::nothrow) adl::CConverterLog(
                    binding.nDecimals, binding.nMinimum, binding.nMaximum, binding.nBase, 0, kPositionMax))
                : new (std::nothrow)
                    adl::CConverterLinear(binding.nDecimals, binding.nMinimum, binding.nMaximum, 0, kPositionMax);
            if (pConverter != nullptr)
                mpConverters->AddConverter(binding.nControl, pConverter);
        }
        if (mpDisplays != nullptr && binding.nText >= 0) {
            auto* pTranslater = new (std::nothrow) adl::CDisplayTranslater(
                binding.nDecimals, binding.nShownWidth, binding.nShownDecimals, StepsOf(binding.eUnit));
            if (pTranslater != nullptr) {
                AddValueTexts(binding.nParameter, pTranslater);
                mpDisplays->AddDisplay(binding.nParameter, binding.nText, pTranslater);
            }
        }
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
        if (pText->GetText() != sText) {
            pText->SetText(sText.c_str());
            pText->Invalidate();
        }
    }
}

adl::IDataManager* CVantorPanel::DataManager() const
{
    return mpProcess != nullptr ? mpProcess->GetDataManager() : nullptr;
}
