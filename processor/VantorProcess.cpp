#include "VantorProcess.h"

#include "ChainOrder.h"
#include "IVantorGUI.h"
#include "ParameterTable.h"
#include "PresetLayout.h"
#include "VantorDataUnit.h"
#include "VantorPlugIn.h"
#include "dsp/VnSystem.h"
#include "host-interface/vpaGUI.h"
#include "presets/PresetFile.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

std::atomic<int> CVantorProcess::gnClipHoldSlices { 100 };

namespace {

// Per equaliser band (low cut, low shelf, low mid, high mid, high shelf,
// high cut): its on/off parameter, the parameter that neutralising
// overwrites, and that parameter's chain index.
struct SEqBand {
    int nEnableParameter;
    int nValueParameter;
    int nChainIndex;
};
constexpr SEqBand kEqBands[6] = {
    { kEqLowCutEnable, kEqLowCutFreq, 10 },
    { kEqLowShelfEnable, kEqLowShelfGain, 9 },
    { kEqLowMidEnable, kEqLowMidGain, 6 },
    { kEqHighMidEnable, kEqHighMidGain, 3 },
    { kEqHighShelfEnable, kEqHighShelfGain, 1 },
    { kEqHighCutEnable, kEqHighCutFreq, 11 },
};

// Meter readings of a process that is not playing.
constexpr float kNeedleRest = 1.0f;

// A host count of 1 or 2; 0 (never announced) counts as nDefault.
unsigned ChannelCount(unsigned nAnnounced, unsigned nDefault)
{
    if (nAnnounced == 0)
        return nDefault;
    return nAnnounced < 2 ? 1 : 2;
}

} // namespace

CVantorProcess::CVantorProcess(CVantorPlugIn* pPlugIn, unsigned nType)
    : mnType(nType)
    , mpPlugIn(pPlugIn)
    , mpHost(pPlugIn != nullptr ? pPlugIn->GetHost() : nullptr)
    , mpDataManager(nullptr)
    , mpSystem(nullptr)
    , mpDesign(nullptr)
    , mpfMeterBuffer { nullptr, nullptr }
    , mpfFoldBuffer(nullptr)
    , mfNeedle { kNeedleRest, kNeedleRest }
    , mfLowestNeedle { kNeedleRest, kNeedleRest }
    , mnClipHold { 0, 0, 0 }
{
    mpSystem = new (std::nothrow) VnSystem(44100.0f, 2);
    mpDesign = new (std::nothrow) VnSystem(44100.0f, 2);
    // Sized for the longest slice, so neither SetMaxBufferSize nor Process
    // ever allocates or frees what the other thread may be using.
    mpfMeterBuffer[0] = new (std::nothrow) float[kMaxSlice]();
    mpfMeterBuffer[1] = new (std::nothrow) float[kMaxSlice]();
    mpfFoldBuffer = new (std::nothrow) float[kMaxSlice]();
    mpDataManager = adl::CreateDataManager(this);
    if (mpSystem == nullptr || mpDesign == nullptr || mpDataManager == nullptr || mpfMeterBuffer[0] == nullptr
        || mpfMeterBuffer[1] == nullptr || mpfFoldBuffer == nullptr)
        return;
    CChange change(*this);
    BuildParameterInfos();
    CreateDataUnits();
}

CVantorProcess::~CVantorProcess()
{
    delete mpSystem;
    delete mpDesign;
    if (mpDataManager != nullptr)
        mpDataManager->Destroy();
    delete[] mpfMeterBuffer[0];
    delete[] mpfMeterBuffer[1];
    delete[] mpfFoldBuffer;
}

bool CVantorProcess::IsComplete() const
{
    return mpSystem != nullptr && mpDesign != nullptr && mpDataManager != nullptr && mpfMeterBuffer[0] != nullptr
        && mpfMeterBuffer[1] != nullptr && mpfFoldBuffer != nullptr
        && const_cast<CVantorProcess*>(this)->GetNrOfParameters() == kNrOfVantorParameters;
}

// --- The handoff between the two threads ------------------------------------

CVantorProcess::CChange::CChange(CVantorProcess& process)
    : mProcess(process)
{
    mProcess.BeginChange();
}

CVantorProcess::CChange::~CChange()
{
    mProcess.EndChange();
}

void CVantorProcess::BeginChange()
{
    ++mnChangeDepth;
}

void CVantorProcess::EndChange()
{
    if (--mnChangeDepth == 0)
        Publish();
}

// User-interface thread: the design chain and the host's settings, whole,
// into the spare snapshot, which then goes to the audio thread.
void CVantorProcess::Publish()
{
    if (mpDesign == nullptr)
        return;
    SSettings& settings = mHandoff.Spare();
    settings.nChannelsIn = ChannelCount(mnChannelsIn, 1);
    settings.nChannelsOut = ChannelCount(mnChannelsOut, settings.nChannelsIn);
    mpDesign->CaptureSettings(settings.chain, static_cast<int>(settings.nChannelsIn));
    settings.fSampleRate = mfSampleFreq;
    settings.nMaxFrames = mnMaxBufferSize;
    mHandoff.Publish();
}

// Audio thread, at the start of every slice: one atomic exchange, and when a
// change came, a copy of its coefficients into the running chain.
void CVantorProcess::AdoptPublishedSettings()
{
    const SSettings* pSettings = mHandoff.Adopt();
    if (pSettings == nullptr)
        return;
    mpSystem->AdoptSettings(pSettings->chain);
    mnAudioChannelsIn = pSettings->nChannelsIn;
    mnAudioChannelsOut = pSettings->nChannelsOut;
    mnAudioMaxFrames = pSettings->nMaxFrames;
    if (pSettings->fSampleRate != mfAudioSampleRate) {
        mfAudioSampleRate = pSettings->fSampleRate;
        const float fHz = mfAudioSampleRate;
        const int nRate = std::isfinite(fHz) && fHz > 0.0f && fHz < 2.0e9f ? static_cast<int>(fHz) : 0;
        mVU[0].SetSampleRate(nRate);
        mVU[1].SetSampleRate(nRate);
        mOutputMeter.SetSampleRate(fHz);
    }
}

// --- Host contract -----------------------------------------------------------

void CVantorProcess::Start()
{
    // The ballistics restart from rest too (at the next block, on the audio
    // thread that owns them), so the needles do not swing in from the far
    // end of the scale.
    mbSettleNeedles.store(true, std::memory_order_relaxed);
    mfNeedle[0].store(kNeedleRest, std::memory_order_relaxed);
    mfNeedle[1].store(kNeedleRest, std::memory_order_relaxed);
    mfLowestNeedle[0].store(kNeedleRest, std::memory_order_relaxed);
    mfLowestNeedle[1].store(kNeedleRest, std::memory_order_relaxed);
    mOutputMeter.Restart();
    mbPlaying = true;
}

void CVantorProcess::Stop()
{
    mbPlaying = false;
}

void CVantorProcess::SetNrOfChannelsIn(unsigned n)
{
    CChange change(*this);
    mnChannelsIn = n;
}

void CVantorProcess::SetNrOfChannelsOut(unsigned n)
{
    CChange change(*this);
    mnChannelsOut = n;
}

void CVantorProcess::SetMaxBufferSize(unsigned nFrames)
{
    CChange change(*this);
    mnMaxBufferSize = nFrames;
}

void CVantorProcess::SetSampleFreq(float fHz)
{
    CChange change(*this);
    mfSampleFreq = fHz;
    // The design chain always carries both channels' coefficients; the
    // count the audio thread runs comes with each snapshot.
    if (mpDesign != nullptr)
        mpDesign->Setup(fHz, 2, static_cast<int>(mnChannelsOut));
}

void CVantorProcess::ProcessInPlace(float** ppfBuffers, unsigned nFrames, int* pnFlag)
{
    Process(ppfBuffers, ppfBuffers, nFrames, pnFlag);
}

// Audio thread. Takes no lock and allocates nothing: changes arrive through
// the handoff, adopted at the start of every slice.
void CVantorProcess::Process(float** ppfOut, float** ppfIn, unsigned nFrames, int* pnFlag)
{
    if (pnFlag != nullptr && *pnFlag != 0) {
        *pnFlag = 0;
        return;
    }
    if (mpSystem == nullptr || ppfOut == nullptr || ppfIn == nullptr)
        return;
    AdoptPublishedSettings();
    // A block larger than the host announced (or any block before it
    // announced one) is refused whole.
    if (nFrames == 0 || nFrames > mnAudioMaxFrames)
        return;
    if (mbSettleNeedles.exchange(false, std::memory_order_relaxed)) {
        mVU[0].Settle(kNeedleRest);
        mVU[1].Settle(kNeedleRest);
    }
    for (unsigned nDone = 0; nDone < nFrames;) {
        if (nDone > 0)
            AdoptPublishedSettings();
        const unsigned nSlice = std::min(nFrames - nDone, kMaxSlice);
        ProcessSlice(ppfOut, ppfIn, nDone, nSlice);
        nDone += nSlice;
    }
}

// One slice through the chain, then the meters. The chain runs as many
// channels as the host sends; one input feeds both outputs of a stereo
// output, two inputs into one output give their mean.
void CVantorProcess::ProcessSlice(float** ppfOut, float** ppfIn, unsigned nOffset, unsigned nSlice)
{
    const unsigned nIn = mnAudioChannelsIn;
    const unsigned nOut = mnAudioChannelsOut;
    float* ppSliceIn[2] = { ppfIn[0] + nOffset, nIn > 1 ? ppfIn[1] + nOffset : nullptr };
    float* ppSliceOut[2] = { ppfOut[0] + nOffset, nullptr };
    if (nIn > 1)
        ppSliceOut[1] = nOut > 1 ? ppfOut[1] + nOffset : mpfFoldBuffer;
    mpSystem->Process(ppSliceOut, ppSliceIn, static_cast<int>(nSlice), mpfMeterBuffer);
    if (nIn > 1 && nOut == 1) {
        for (unsigned n = 0; n < nSlice; ++n)
            ppSliceOut[0][n] = 0.5f * (ppSliceOut[0][n] + mpfFoldBuffer[n]);
    } else if (nIn == 1 && nOut > 1 && ppfOut[1] != ppfOut[0]) {
        std::memcpy(ppfOut[1] + nOffset, ppSliceOut[0], nSlice * sizeof(float));
    }
    const float* ppMetered[2] = { ppfOut[0] + nOffset, nOut > 1 ? ppfOut[1] + nOffset : nullptr };
    mOutputMeter.Process(ppMetered, static_cast<int>(nOut), nSlice);

    // A very hot input can drive the compressor's gain trace below 0; a
    // deeper reduction must not read as a smaller one on the needle.
    float* pfCompressorTrace = mpfMeterBuffer[0];
    for (unsigned n = 0; n < nSlice; ++n)
        pfCompressorTrace[n] = std::max(pfCompressorTrace[n], 0.0f);
    double fNeedle0, fNeedle1, fLowest0, fLowest1;
    CAnalogueVU::ProcessMonoPair(mVU[0], mpfMeterBuffer[0], mVU[1], mpfMeterBuffer[1], static_cast<int>(nSlice),
        fNeedle0, fNeedle1, fLowest0, fLowest1);
    mfNeedle[0].store(std::min(static_cast<float>(fNeedle0), 1.0f), std::memory_order_relaxed);
    mfNeedle[1].store(static_cast<float>(fNeedle1), std::memory_order_relaxed);
    // The lowest needles only go down here; a reader resets them by exchange
    // meanwhile, and a lower value still lands.
    const float fLowest[2] = { static_cast<float>(fLowest0), static_cast<float>(fLowest1) };
    for (int n = 0; n < 2; ++n) {
        float fHeld = mfLowestNeedle[n].load(std::memory_order_relaxed);
        while (fLowest[n] < fHeld
            && !mfLowestNeedle[n].compare_exchange_weak(fHeld, fLowest[n], std::memory_order_relaxed)) { }
    }

    const double fHoldSlices = static_cast<double>(mfAudioSampleRate) * 1.5 / nSlice;
    gnClipHoldSlices.store(std::isfinite(fHoldSlices) && fHoldSlices < 2.0e9 ? static_cast<int>(fHoldSlices) : 0,
        std::memory_order_relaxed);
    for (std::atomic<int>& nHold : mnClipHold) {
        int nValue = nHold.load(std::memory_order_relaxed);
        // Only this thread lowers a hold; a reader may raise it meanwhile.
        while (nValue != 0 && !nHold.compare_exchange_weak(nValue, nValue - 1, std::memory_order_relaxed)) { }
    }
}

int CVantorProcess::GetParameter(unsigned nIndex)
{
    if (mpDataManager == nullptr || nIndex >= GetNrOfParameters())
        return 0;
    return mpDataManager->GetValue(nIndex);
}

void CVantorProcess::SetParameter(unsigned nIndex, int nValue)
{
    CChange change(*this);
    if (mpDataManager != nullptr)
        mpDataManager->SetValueByIndex(nIndex, nValue, -1, true);
}

unsigned CVantorProcess::GetChunkSize()
{
    return mpDataManager != nullptr ? mpDataManager->GetChunkSize() : 0;
}

void CVantorProcess::SetChunk(const void* pData, unsigned nBytes)
{
    CChange change(*this);
    if (mpDataManager != nullptr && pData != nullptr)
        mpDataManager->SetChunk(pData, nBytes);
}

void CVantorProcess::GetChunk(void* pData)
{
    if (mpDataManager != nullptr && pData != nullptr)
        mpDataManager->GetChunk(pData);
}

// --- Chain control (user-interface thread) ------------------------------------
// Each operation changes the design chain inside a change of its own, so it
// reaches the audio whole even when called on its own.

void CVantorProcess::LoadPatch(int nPatch)
{
    // A row outside the table has no order; the chain keeps its current one.
    if (nPatch >= 0 && nPatch < kNrOfChainOrders && mpDesign != nullptr) {
        CChange change(*this);
        mpDesign->SetOrder(kChainOrders[nPatch]);
    }
    UpdateGUIChainOrder();
}

void CVantorProcess::SetEQBandActive(int nBand, int nOn)
{
    if (mpDesign == nullptr)
        return;
    // Neutralising and restoring a band that stays on is one change: the
    // audio never runs a block with the band missing.
    CChange change(*this);
    mpDesign->DisableEqBand(nBand);
    if (nOn == 1 && nBand >= 0 && nBand < 6) {
        const SEqBand& band = kEqBands[nBand];
        SetDSPParameter(band.nChainIndex, ScaleValue(band.nValueParameter, GetParameter(band.nValueParameter)));
    }
}

void CVantorProcess::RefreshEQBands()
{
    CChange change(*this);
    for (int nBand = 0; nBand < 6; ++nBand)
        SetEQBandActive(nBand, GetParameter(kEqBands[nBand].nEnableParameter));
}

void CVantorProcess::BuildParameterInfos()
{
    for (int i = 0; i < kNrOfVantorParameters; ++i) {
        vpa::SParameterInfo* pInfo = CreateParameterInfo(i, mnType);
        if (pInfo == nullptr)
            return;
        AddParameterInfo(pInfo);
    }
}

void CVantorProcess::CreateDataUnits()
{
    for (unsigned i = 0; i < GetNrOfParameters(); ++i)
        mpDataManager->AddUnit(new CVantorDataUnit(this, static_cast<int>(i), mParameterInfos[i]->nDefault));
    // Each parameter's editor controls, the knob or switch before its text.
    for (int i = 0; i < kNrOfVantorParameters; ++i) {
        const SParameterDescriptor& d = kVantorParameters[i];
        for (int nControl : { d.nControl, d.nSecondControl }) {
            if (nControl >= 0)
                mpDataManager->AddKey(PanelOfModule(d.nModule) * 65536 + nControl, i);
        }
    }
    mpDataManager->ReapplyAllValues();
    for (int nModule = 0; nModule < 4; ++nModule)
        LoadModuleDefault(nModule);
}

// --- IVantorProcess --------------------------------------------------------------

adl::IDataManager* CVantorProcess::GetDataManager()
{
    return mpDataManager;
}

void CVantorProcess::SetDSPParameter(int nDSPIndex, float fValue)
{
    if (mpDesign == nullptr)
        return;
    CChange change(*this);
    mpDesign->SetParameter(nDSPIndex, fValue);
}

void CVantorProcess::UpdateModuleEnables()
{
    int bypass[4];
    for (int nModule = 0; nModule < 4; ++nModule)
        bypass[nModule] = GetParameter(static_cast<unsigned>(ModuleEnableParameter(nModule))) == 0 ? 1 : 0;
    // A single-module process runs only its own module.
    if (mnType < 4) {
        for (int nModule = 0; nModule < 4; ++nModule) {
            if (static_cast<unsigned>(nModule) != mnType)
                bypass[nModule] = 1;
        }
    }
    if (GetParameter(kGlobalBypass) == 1) {
        for (int& nFlag : bypass)
            nFlag = 1;
    }
    if (mpDesign == nullptr)
        return;
    CChange change(*this);
    mpDesign->SetBypass(bypass);
}

float CVantorProcess::ScaleValue(unsigned nIndex, int nValue)
{
    if (nIndex >= GetNrOfParameters())
        return static_cast<float>(nValue);
    return static_cast<float>(nValue / std::pow(10.0, mParameterInfos[nIndex]->nDecimals));
}

unsigned CVantorProcess::GetMode()
{
    return mnType;
}

float CVantorProcess::GetMeter(unsigned nWhich)
{
    const bool bNeedle = nWhich < 2 || nWhich == kMeterLowestCompressorGain || nWhich == kMeterLowestLimiterGain;
    if (!IsPlaying())
        return bNeedle ? kNeedleRest : nWhich == kMeterShortTermLufs ? COutputMeter::kSilenceLufs : 0.0f;
    if (nWhich < 2)
        return mfNeedle[nWhich].load(std::memory_order_relaxed);
    switch (nWhich) {
    case kMeterLowestCompressorGain:
    case kMeterLowestLimiterGain: {
        const float fLowest
            = mfLowestNeedle[nWhich - kMeterLowestCompressorGain].exchange(kNeedleRest, std::memory_order_relaxed);
        return std::min(fLowest, kNeedleRest);
    }
    case kMeterPeakLeft:
    case kMeterPeakRight: return mOutputMeter.TakePeak(static_cast<int>(nWhich - kMeterPeakLeft));
    case kMeterHeldPeakLeft:
    case kMeterHeldPeakRight: return mOutputMeter.GetHeldPeak(static_cast<int>(nWhich - kMeterHeldPeakLeft));
    case kMeterShortTermLufs: return mOutputMeter.GetShortTermLufs();
    default: break;
    }
    if (nWhich > 4 || mpSystem == nullptr)
        return 0.0f;
    // The clipper's counters: atomic words the audio thread adds to, read
    // and cleared here by exchange.
    const int nHold = static_cast<int>(nWhich) - 2;
    float fClipped;
    if (nWhich == 2)
        fClipped = mpSystem->GetMeter(4) + mpSystem->GetMeter(3);
    else
        fClipped = mpSystem->GetMeter(static_cast<int>(nWhich) + 2);
    if (fClipped != 0.0f)
        mnClipHold[nHold].store(gnClipHoldSlices.load(std::memory_order_relaxed), std::memory_order_relaxed);
    return mnClipHold[nHold].load(std::memory_order_relaxed) != 0 ? 1.0f : 0.0f;
}

void CVantorProcess::GetEQCurve(float* pfCurve)
{
    // The design chain holds the equaliser as the user set it.
    if (mpDesign == nullptr || pfCurve == nullptr)
        return;
    mpDesign->GetEqCurve(pfCurve);
}

void CVantorProcess::InvalidateEQCurve()
{
    if (IVantorGUI* pGUI = BoundEditor())
        pGUI->InvalidateEQCurve();
}

void CVantorProcess::SavePreset(std::string sPath)
{
    if (mpDataManager != nullptr)
        WritePresetFile(sPath, *mpDataManager, mnType, VantorPresetLayout());
}

void CVantorProcess::LoadPreset(std::string sName, int nModule, bool bInPresetsFolder)
{
    if (mpDataManager == nullptr)
        return;
    CChange change(*this);
    const std::string sPath
        = bInPresetsFolder ? GetPresetsFolder() + PresetNameToPath(sName) + kPresetExtension : sName;
    ReadPresetFile(sPath, *mpDataManager, mnType, nModule);
    // Whatever was applied, the host hears every active parameter's value.
    for (unsigned i = 0; i < GetNrOfParameters(); ++i) {
        if (mParameterInfos[i]->bActive)
            UnitValueChanged(static_cast<int>(i), mpDataManager->GetValue(i));
    }
}

void CVantorProcess::LoadModuleDefault(int nModule)
{
    LoadPreset(GetDefaultPresetPath(nModule), nModule, false);
}

void CVantorProcess::MoveModule(int nModule, int nPosition)
{
    if (nModule < 0 || nModule > 3 || nPosition < 0 || nPosition > 3)
        return;
    const int nRow = GetParameter(kPatch);
    if (nRow < 0 || nRow >= kNrOfChainOrders)
        return;
    int order[4] = { kChainOrders[nRow][0], kChainOrders[nRow][1], kChainOrders[nRow][2], kChainOrders[nRow][3] };
    if (order[nPosition] == nModule)
        return;
    const int nFrom = static_cast<int>(std::find(order, order + 4, nModule) - order);
    std::swap(order[nFrom], order[nPosition]);
    const int nNewRow = FindChainOrder(order);
    CChange change(*this);
    SetParameter(kPatch, nNewRow);
    UnitValueChanged(kPatch, nNewRow);
}

void CVantorProcess::UpdateGUIChainOrder()
{
    IVantorGUI* pGUI = BoundEditor();
    const int nRow = GetParameter(kPatch);
    if (pGUI == nullptr || nRow < 0 || nRow >= kNrOfChainOrders)
        return;
    for (int nPosition = 0; nPosition < 4; ++nPosition)
        pGUI->SetPanelChainPosition(kChainOrders[nRow][nPosition] + 1, nPosition);
}

// --- Data manager reports ----------------------------------------------------------

void CVantorProcess::KeyValueChanged(int nKey, int nValue)
{
    if (IVantorGUI* pGUI = BoundEditor())
        pGUI->SetControlValue(nKey, nValue);
}

void CVantorProcess::UnitValueChanged(int nIndex, int nValue)
{
    // The process keeps the host it was created for: the plug-in object may
    // be gone while its processes and editors live on.
    if (mpHost != nullptr)
        mpHost->ParameterChanged(nIndex, nValue);
}

unsigned CVantorProcess::GetNrOfMeters()
{
    return kNrOfMeters;
}

float CVantorProcess::GetMeterValue(unsigned nWhich)
{
    return GetMeter(nWhich);
}

IVantorGUI* CVantorProcess::BoundEditor()
{
    return mpGUI != nullptr ? dynamic_cast<IVantorGUI*>(mpGUI) : nullptr;
}
