// The LV2 plug-ins of the bundle: one routine for all five process types.
// Each instance loads Vantor.vpa and drives a process created through vpaMain,
// as any host of the library does. Parameters live in the input ports; the
// host's own port saving restores a session, so there is no state interface.
#include "Lv2Ports.h"

#include "hosting/VpaHost.h"
#include "host-interface/vpaMeters.h"
#include "host-interface/vpaProcess.h"

#include <lv2/core/lv2.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

// Longest block handed to the process at once; longer host blocks are cut.
constexpr unsigned kMaxBlock = 8192;

std::string FindLibrary(const char* pszBundlePath)
{
    return FindLv2Library(pszBundlePath, VANTOR_INSTALLED_VPA);
}

struct SParameterPort {
    uint32_t nPort;
    int nParameter;
    int nStored; // the value the process has
    float fLast; // the port value nStored came from; NaN: none yet
    const SParameterText* pText; // into mParameters
    bool bInverted; // the enabled port: 1 means "Global Bypass" 0
};

struct SMeterPort {
    uint32_t nPort;
    const SLv2Meter* pMeter;
};

class CVantorLv2 {
public:
    static LV2_Handle Instantiate(const LV2_Descriptor* pDescriptor, double fRate, const char* pszBundlePath,
        const LV2_Feature* const* ppFeatures);

    void ConnectPort(uint32_t nPort, void* pData);
    void Activate();
    void Run(uint32_t nFrames);
    void Deactivate();
    ~CVantorLv2();

private:
    CVantorLv2(const SLv2PlugIn& plugIn, double fRate);
    bool Open(const std::string& sLibrary);
    bool CreateProcess();
    void ApplyPortValues();

    const SLv2PlugIn& mPlugIn;
    const double mfRate;
    CVpaLibrary mLibrary;
    CVpaHost mHost;
    vpa::IPlugIn* mpPlugIn = nullptr;
    vpa::IProcess* mpProcess = nullptr;
    vpa::IMeters* mpMeters = nullptr; // null when the library has no meters
    CParameterText mParameters;
    std::vector<SLv2Port> mPorts;
    std::vector<float*> mppfPort; // connected buffers, by port index
    std::vector<SParameterPort> mParameterPorts;
    std::vector<SMeterPort> mMeterPorts;
    uint32_t mnAudioIn[2] = { 0, 0 }, mnAudioOut[2] = { 0, 0 }, mnLatency = 0;
    bool mbRunSinceActivate = false;
};

CVantorLv2::CVantorLv2(const SLv2PlugIn& plugIn, double fRate)
    : mPlugIn(plugIn)
    , mfRate(fRate)
{ }

CVantorLv2::~CVantorLv2()
{
    if (mpProcess != nullptr)
        mpProcess->DestroySelf();
    if (mpPlugIn != nullptr)
        mpPlugIn->DestroySelf();
}

LV2_Handle CVantorLv2::Instantiate(
    const LV2_Descriptor* pDescriptor, double fRate, const char* pszBundlePath, const LV2_Feature* const*)
{
    const SLv2PlugIn* pPlugIn = FindLv2PlugIn(pDescriptor->URI);
    if (pPlugIn == nullptr || !(fRate > 0.0))
        return nullptr;
    std::unique_ptr<CVantorLv2> pInstance(new (std::nothrow) CVantorLv2(*pPlugIn, fRate));
    if (pInstance == nullptr || !pInstance->Open(FindLibrary(pszBundlePath)) || !pInstance->CreateProcess())
        return nullptr;
    return pInstance.release();
}

bool CVantorLv2::Open(const std::string& sLibrary)
{
    if (!mLibrary.Load(sLibrary)) {
        std::fprintf(stderr, "%s: %s\n", mPlugIn.pszName, mLibrary.GetError().c_str());
        return false;
    }
    mpPlugIn = mLibrary.CreatePlugIn(&mHost, nullptr);
    if (mpPlugIn == nullptr) {
        std::fprintf(stderr, "%s: %s refused the host\n", mPlugIn.pszName, sLibrary.c_str());
        return false;
    }
    return true;
}

// Creates the process and the port list from its descriptors. Runs at
// instantiation and again when a used instance is activated anew, so that an
// activation starts from a clean signal history.
bool CVantorLv2::CreateProcess()
{
    vpa::IProcess* pProcess = mpPlugIn->CreateProcess(mPlugIn.nProcessType);
    if (pProcess == nullptr)
        return false;
    pProcess->SetNrOfChannelsIn(2);
    pProcess->SetNrOfChannelsOut(2);
    pProcess->SetMaxBufferSize(kMaxBlock);
    pProcess->SetSampleFreq(static_cast<float>(mfRate));
    if (mpProcess != nullptr)
        mpProcess->DestroySelf();
    mpProcess = pProcess;
    mpMeters = vpa::FindMeters(pProcess);
    if (mpMeters != nullptr && mpMeters->GetNrOfMeters() < kNrOfLv2MeterReadings)
        mpMeters = nullptr;

    mParameters.Load(*pProcess);
    if (mPorts.empty()) {
        mPorts = BuildLv2Ports(mPlugIn.nProcessType, mParameters);
        mppfPort.assign(mPorts.size(), nullptr);
        int nIn = 0, nOut = 0;
        for (uint32_t nPort = 0; nPort < mPorts.size(); ++nPort) {
            const SLv2Port& port = mPorts[nPort];
            switch (port.eKind) {
            case ELv2PortKind::AudioIn: mnAudioIn[nIn++] = nPort; break;
            case ELv2PortKind::AudioOut: mnAudioOut[nOut++] = nPort; break;
            case ELv2PortKind::Latency: mnLatency = nPort; break;
            case ELv2PortKind::Enabled:
            case ELv2PortKind::Parameter:
                mParameterPorts.push_back(
                    { nPort, port.nParameter, 0, NAN, nullptr, port.eKind == ELv2PortKind::Enabled });
                break;
            case ELv2PortKind::Meter: mMeterPorts.push_back({ nPort, &kLv2Meters[port.nMeter] }); break;
            }
        }
    }
    // A fresh process holds its defaults; the first run sends every port
    // that differs.
    for (SParameterPort& port : mParameterPorts) {
        port.pText = &mParameters.Get(port.nParameter);
        port.nStored = pProcess->GetParameter(static_cast<unsigned>(port.nParameter));
        port.fLast = NAN;
    }
    return true;
}

void CVantorLv2::ConnectPort(uint32_t nPort, void* pData)
{
    if (nPort < mppfPort.size())
        mppfPort[nPort] = static_cast<float*>(pData);
}

void CVantorLv2::Activate()
{
    if (mbRunSinceActivate)
        CreateProcess();
    mbRunSinceActivate = false;
    mpProcess->Start();
}

void CVantorLv2::Deactivate()
{
    mpProcess->Stop();
}

// Audio thread: only the parameters whose stored value changed reach the
// process, each through SetParameter, before the block. A port that holds the
// value of the previous run costs one comparison.
void CVantorLv2::ApplyPortValues()
{
    for (SParameterPort& port : mParameterPorts) {
        const float* pfValue = mppfPort[port.nPort];
        if (pfValue == nullptr || *pfValue == port.fLast)
            continue;
        port.fLast = *pfValue;
        int nStored;
        if (port.bInverted)
            nStored = *pfValue > 0.0f ? 0 : 1;
        else
            nStored = Lv2PortToStored(*port.pText, *pfValue, port.nStored);
        if (nStored != port.nStored) {
            mpProcess->SetParameter(static_cast<unsigned>(port.nParameter), nStored);
            port.nStored = nStored;
        }
    }
}

// Audio thread. Allocates nothing and never waits: parameter changes made
// here reach the chain through the process's wait-free handoff.
void CVantorLv2::Run(uint32_t nFrames)
{
    mbRunSinceActivate = true;
    if (float* pfLatency = mppfPort[mnLatency])
        *pfLatency = kLv2LatencyFrames;
    ApplyPortValues();

    float* ppfIn[2] = { mppfPort[mnAudioIn[0]], mppfPort[mnAudioIn[1]] };
    float* ppfOut[2] = { mppfPort[mnAudioOut[0]], mppfPort[mnAudioOut[1]] };
    if (ppfIn[0] != nullptr && ppfIn[1] != nullptr && ppfOut[0] != nullptr && ppfOut[1] != nullptr) {
        for (uint32_t nDone = 0; nDone < nFrames;) {
            const uint32_t nBlock = nFrames - nDone < kMaxBlock ? nFrames - nDone : kMaxBlock;
            float* ppfBlockIn[2] = { ppfIn[0] + nDone, ppfIn[1] + nDone };
            float* ppfBlockOut[2] = { ppfOut[0] + nDone, ppfOut[1] + nDone };
            int nFlag = 0;
            mpProcess->Process(ppfBlockOut, ppfBlockIn, nBlock, &nFlag);
            nDone += nBlock;
        }
    }

    float fReadings[kNrOfLv2MeterReadings];
    std::copy(kLv2RestingReadings, kLv2RestingReadings + kNrOfLv2MeterReadings, fReadings);
    if (mpMeters != nullptr && !mMeterPorts.empty()) {
        for (unsigned n = 0; n < kNrOfLv2MeterReadings; ++n)
            fReadings[n] = mpMeters->GetMeterValue(n);
    }
    for (const SMeterPort& port : mMeterPorts) {
        if (float* pfValue = mppfPort[port.nPort])
            *pfValue = Lv2MeterValue(*port.pMeter, fReadings[port.pMeter->nReading]);
    }
}

// --- LV2 entry points ---------------------------------------------------------

CVantorLv2* Instance(LV2_Handle hInstance)
{
    return static_cast<CVantorLv2*>(hInstance);
}

void ConnectPort(LV2_Handle hInstance, uint32_t nPort, void* pData)
{
    Instance(hInstance)->ConnectPort(nPort, pData);
}

void Activate(LV2_Handle hInstance)
{
    Instance(hInstance)->Activate();
}

void Run(LV2_Handle hInstance, uint32_t nFrames)
{
    Instance(hInstance)->Run(nFrames);
}

void Deactivate(LV2_Handle hInstance)
{
    Instance(hInstance)->Deactivate();
}

void Cleanup(LV2_Handle hInstance)
{
    delete Instance(hInstance);
}

const void* ExtensionData(const char*)
{
    return nullptr;
}

#define VANTOR_LV2_DESCRIPTOR(index)                                                                                   \
    {                                                                                                                  \
        kLv2PlugIns[index].pszUri, CVantorLv2::Instantiate, ConnectPort, Activate, Run, Deactivate, Cleanup,           \
            ExtensionData                                                                                              \
    }

const LV2_Descriptor kDescriptors[kNrOfLv2PlugIns] = {
    VANTOR_LV2_DESCRIPTOR(0),
    VANTOR_LV2_DESCRIPTOR(1),
    VANTOR_LV2_DESCRIPTOR(2),
    VANTOR_LV2_DESCRIPTOR(3),
    VANTOR_LV2_DESCRIPTOR(4),
};

} // namespace

extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t nIndex)
{
    return nIndex < kNrOfLv2PlugIns ? &kDescriptors[nIndex] : nullptr;
}
