// The editor as an LV2 X11 UI (urn:vantor:lv2:ui, one UI for the five
// plug-ins of the bundle). The UI binary has no access to the plug-in
// instance: it loads Vantor.vpa itself, creates a process of the plug-in's
// type as a model of the parameters (it never processes audio), and binds
// the editor to it. Knob moves reach the model, whose host object turns them
// into port writes; port events from the host set the model's parameters,
// which move the knobs; the plug-in's meter output ports are fed to the
// editor's needles and lights.
#include "Lv2Ports.h"

#include "hosting/VpaHost.h"
#include "editor/IVantorEmbeddedEditor.h"
#include "processor/IVantorProcess.h"
#include "host-interface/vpaGUI.h"
#include "host-interface/vpaPlugIn.h"
#include "host-interface/vpaProcess.h"

#include <lv2/core/lv2.h>
#include <lv2/ui/ui.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kUiUri = "urn:vantor:lv2:ui";

std::string FindLibrary(const char* pszBundlePath)
{
    return FindLv2Library(pszBundlePath, VANTOR_INSTALLED_VPA);
}

const void* FindFeature(const LV2_Feature* const* ppFeatures, const char* pszUri)
{
    for (int i = 0; ppFeatures != nullptr && ppFeatures[i] != nullptr; ++i)
        if (std::strcmp(ppFeatures[i]->URI, pszUri) == 0)
            return ppFeatures[i]->data;
    return nullptr;
}

class CLv2Ui {
public:
    CLv2Ui(LV2UI_Write_Function pWrite, LV2UI_Controller pController)
        : mpWrite(pWrite)
        , mpController(pController)
    { }

    ~CLv2Ui()
    {
        if (mpEditor != nullptr) {
            mpEditor->Close();
            mpEditor->DestroySelf();
        }
        if (mpProcess != nullptr)
            mpProcess->DestroySelf();
        if (mpPlugIn != nullptr)
            mpPlugIn->DestroySelf();
    }
    CLv2Ui(const CLv2Ui&) = delete;
    CLv2Ui& operator=(const CLv2Ui&) = delete;

    bool Open(const char* pszPlugInUri, const char* pszBundlePath, const LV2_Feature* const* ppFeatures,
        LV2UI_Widget* pWidget)
    {
        const SLv2PlugIn* pType = FindLv2PlugIn(pszPlugInUri);
        void* pParent = const_cast<void*>(FindFeature(ppFeatures, LV2_UI__parent));
        if (pType == nullptr || pParent == nullptr) {
            std::fprintf(
                stderr, "Vantor UI: %s\n", pType == nullptr ? "unknown plug-in" : "the host gives no parent window");
            return false;
        }
        const std::string sLibrary = FindLibrary(pszBundlePath);
        if (!mLibrary.Load(sLibrary)) {
            std::fprintf(stderr, "Vantor UI: cannot load %s: %s\n", sLibrary.c_str(), mLibrary.GetError().c_str());
            return false;
        }
        unsigned nVersion = 0;
        mpPlugIn = mLibrary.CreatePlugIn(&mHost, &nVersion);
        mpProcess = mpPlugIn != nullptr ? mpPlugIn->CreateProcess(pType->nProcessType) : nullptr;
        mpEditor = mpProcess != nullptr ? mpPlugIn->CreateGUI(mpProcess) : nullptr;
        mpEmbedded = FindEmbeddedEditor(mpEditor);
        if (mpEmbedded == nullptr)
            return false;
        mParameters.Load(*mpProcess);
        maPorts = BuildLv2Ports(pType->nProcessType, mParameters);
        mHost.SetParameterListener([this](int nIndex, int nValue) { ParameterChanged(nIndex, nValue); });

        mpEditor->Open(pParent, 0, 0);
        *pWidget = reinterpret_cast<LV2UI_Widget>(mpEmbedded->GetWindowId());
        if (auto* pResize = static_cast<const LV2UI_Resize*>(FindFeature(ppFeatures, LV2_UI__resize))) {
            long nWidth = 0, nHeight = 0;
            mpEditor->GetSize(nWidth, nHeight);
            pResize->ui_resize(pResize->handle, static_cast<int>(nWidth), static_cast<int>(nHeight));
        }
        return true;
    }

    void PortEvent(uint32_t nPort, uint32_t nSize, uint32_t nFormat, const void* pBuffer)
    {
        if (nFormat != 0 || nSize != sizeof(float) || nPort >= maPorts.size() || pBuffer == nullptr)
            return;
        float fValue;
        std::memcpy(&fValue, pBuffer, sizeof fValue);
        const SLv2Port& port = maPorts[nPort];
        switch (port.eKind) {
        case ELv2PortKind::Parameter: {
            const int nPrevious = mpProcess->GetParameter(static_cast<unsigned>(port.nParameter));
            const int nStored = Lv2PortToStored(mParameters.Get(port.nParameter), fValue, nPrevious);
            if (nStored != nPrevious)
                mpProcess->SetParameter(static_cast<unsigned>(port.nParameter), nStored);
            break;
        }
        case ELv2PortKind::Enabled:
            if (!std::isnan(fValue))
                mpProcess->SetParameter(static_cast<unsigned>(port.nParameter), fValue > 0.0f ? 0 : 1);
            break;
        case ELv2PortKind::Meter: {
            const SLv2Meter& meter = kLv2Meters[port.nMeter];
            float fReading = fValue;
            if (meter.eShape == ELv2MeterShape::ReductionDb)
                fReading = std::pow(10.0f, -fValue / 20.0f);
            // The ports carry the held peaks only; they drive the bars too.
            if (meter.eShape == ELv2MeterShape::PeakDb) {
                fReading = fValue > meter.fMin ? std::pow(10.0f, fValue / 20.0f) : 0.0f;
                mpEmbedded->SetMeterReading(meter.nReading - (kMeterHeldPeakLeft - kMeterPeakLeft), fReading);
            }
            mpEmbedded->SetMeterReading(meter.nReading, fReading);
            break;
        }
        default: break;
        }
    }

    int Idle()
    {
        mpEditor->Idle();
        return 0;
    }

private:
    // The editor changed a parameter of the model: the host writes the port.
    void ParameterChanged(int nIndex, int nValue)
    {
        for (uint32_t nPort = 0; nPort < maPorts.size(); ++nPort) {
            const SLv2Port& port = maPorts[nPort];
            if (port.nParameter != nIndex)
                continue;
            float fValue;
            if (port.eKind == ELv2PortKind::Enabled)
                fValue = nValue != 0 ? 0.0f : 1.0f;
            else if (port.eKind == ELv2PortKind::Parameter)
                fValue = Lv2StoredToPort(mParameters.Get(nIndex), nValue);
            else
                continue;
            mpWrite(mpController, nPort, sizeof fValue, 0, &fValue);
        }
    }

    LV2UI_Write_Function mpWrite;
    LV2UI_Controller mpController;
    CVpaLibrary mLibrary;
    CVpaHost mHost;
    vpa::IPlugIn* mpPlugIn = nullptr;
    vpa::IProcess* mpProcess = nullptr;
    vpa::IGUI* mpEditor = nullptr;
    IVantorEmbeddedEditor* mpEmbedded = nullptr;
    CParameterText mParameters;
    std::vector<SLv2Port> maPorts;
};

LV2UI_Handle Instantiate(const LV2UI_Descriptor*, const char* pszPlugInUri, const char* pszBundlePath,
    LV2UI_Write_Function pWrite, LV2UI_Controller pController, LV2UI_Widget* pWidget,
    const LV2_Feature* const* ppFeatures)
{
    auto* pUi = new CLv2Ui(pWrite, pController);
    if (!pUi->Open(pszPlugInUri, pszBundlePath, ppFeatures, pWidget)) {
        delete pUi;
        return nullptr;
    }
    return pUi;
}

void Cleanup(LV2UI_Handle pHandle)
{
    delete static_cast<CLv2Ui*>(pHandle);
}

void PortEvent(LV2UI_Handle pHandle, uint32_t nPort, uint32_t nSize, uint32_t nFormat, const void* pBuffer)
{
    static_cast<CLv2Ui*>(pHandle)->PortEvent(nPort, nSize, nFormat, pBuffer);
}

int Idle(LV2UI_Handle pHandle)
{
    return static_cast<CLv2Ui*>(pHandle)->Idle();
}

const void* ExtensionData(const char* pszUri)
{
    static const LV2UI_Idle_Interface idle = { Idle };
    if (std::strcmp(pszUri, LV2_UI__idleInterface) == 0)
        return &idle;
    return nullptr;
}

const LV2UI_Descriptor kDescriptor = { kUiUri, Instantiate, Cleanup, PortEvent, ExtensionData };

} // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2UI_Descriptor* lv2ui_descriptor(uint32_t nIndex)
{
    return nIndex == 0 ? &kDescriptor : nullptr;
}
