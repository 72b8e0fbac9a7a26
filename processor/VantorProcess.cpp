#include "VantorProcess.h"

#include "ChainOrder.h"
#include "IVantorGUI.h"
#include "ParameterTable.h"
#include "VantorDataUnit.h"
#include "VantorPlugIn.h"
#include "dsp/VnSystem.h"
#include "host-interface/vpaGUI.h"
#include "presets/PresetFile.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <new>

std::atomic<int> CVantorProcess::gnClipHoldSlices{100};

namespace {

// Per module id: the parameter that switches it on.
constexpr int kModuleEnableParameter[4] = {2, 22, 30, 43};

// Per equaliser band (low cut, low shelf, low mid, high mid, high shelf,
// high cut): its on/off parameter, the parameter that neutralising
// overwrites, and that parameter's chain index.
struct SEqBand {
    int nEnableParameter;
    int nValueParameter;
    int nChainIndex;
};
constexpr SEqBand kEqBands[6] = {
    {4, 3, 10}, {7, 6, 9}, {11, 9, 6}, {15, 13, 3}, {18, 17, 1}, {20, 19, 11},
};

// Meter readings of a process that is not playing.
constexpr float kNeedleRest = 1.0f;

} // namespace

CVantorProcess::CVantorProcess(CVantorPlugIn* pPlugIn, unsigned nType)
    : mnType(nType)
    , mpPlugIn(pPlugIn)
    , mpDataManager(nullptr)
    , mpSystem(nullptr)
    , mpfMeterBuffer{nullptr, nullptr}
    , mnMeterBufferSize(0)
    , mfNeedle{kNeedleRest, kNeedleRest}
    , mnClipHold{0, 0, 0}
{
    mpSystem = new (std::nothrow) VnSystem(44100.0f, 2);
    mpDataManager = adl::CreateDataManager(this);
    if (mpSystem == nullptr || mpDataManager == nullptr)
        return;
    BuildParameterInfos();
    CreateDataUnits();
}

CVantorProcess::~CVantorProcess()
{
    delete mpSystem;
    if (mpDataManager != nullptr)
        mpDataManager->Destroy();
    FreeMeterBuffers();
}

bool CVantorProcess::IsComplete() const
{
    return mpSystem != nullptr && mpDataManager != nullptr &&
           const_cast<CVantorProcess*>(this)->GetNrOfParameters() == kNrOfVantorParameters;
}

void CVantorProcess::FreeMeterBuffers()
{
    for (float*& pBuffer : mpfMeterBuffer) {
        delete[] pBuffer;
        pBuffer = nullptr;
    }
    mnMeterBufferSize = 0;
}

CVantorProcess::CUserHold::CUserHold(CVantorProcess& process)
    : mProcess(process)
{
    mProcess.mChainLock.lock();
    mnStartNs = static_cast<long>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                      std::chrono::steady_clock::now().time_since_epoch())
                                      .count());
}

CVantorProcess::CUserHold::~CUserHold()
{
    const long nNow = static_cast<long>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                            std::chrono::steady_clock::now().time_since_epoch())
                                            .count());
    mProcess.mChainLock.unlock();
    const long nHeld = nNow - mnStartNs;
    long nLongest = mProcess.mnLongestUserHoldNs.load(std::memory_order_relaxed);
    while (nHeld > nLongest &&
           !mProcess.mnLongestUserHoldNs.compare_exchange_weak(nLongest, nHeld, std::memory_order_relaxed)) {
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
    mOutputMeter.Restart();
    mbPlaying = true;
}

void CVantorProcess::Stop()
{
    mbPlaying = false;
}

void CVantorProcess::SetMaxBufferSize(unsigned nFrames)
{
    // The chain fills the buffers one slice at a time. New buffers are made
    // before taking the lock and the old ones freed after it.
    const unsigned nSize = std::min(nFrames, kMaxSlice);
    float* pfNew[2] = {nullptr, nullptr};
    if (nSize > 0) {
        pfNew[0] = new (std::nothrow) float[nSize]();
        pfNew[1] = new (std::nothrow) float[nSize]();
    }
    const bool bComplete = pfNew[0] != nullptr && pfNew[1] != nullptr;
    float* pfOld[2];
    {
        CUserHold hold(*this);
        mnMaxBufferSize = nFrames;
        for (int i = 0; i < 2; ++i) {
            pfOld[i] = mpfMeterBuffer[i];
            mpfMeterBuffer[i] = bComplete ? pfNew[i] : nullptr;
        }
        mnMeterBufferSize = bComplete ? nSize : 0;
    }
    for (int i = 0; i < 2; ++i) {
        delete[] pfOld[i];
        if (!bComplete)
            delete[] pfNew[i];
    }
}

void CVantorProcess::SetSampleFreq(float fHz)
{
    mfSampleFreq = fHz;
    mOutputMeter.SetSampleRate(fHz);
    const int nRate = std::isfinite(fHz) && fHz > 0.0f && fHz < 2.0e9f ? static_cast<int>(fHz) : 0;
    mVU[0].SetSampleRate(nRate);
    mVU[1].SetSampleRate(nRate);
    if (mpSystem == nullptr)
        return;
    CUserHold hold(*this);
    mpSystem->Setup(fHz, static_cast<int>(mnChannelsIn), static_cast<int>(mnChannelsOut));
}

void CVantorProcess::ProcessInPlace(float** ppfBuffers, unsigned nFrames, int* pnFlag)
{
    Process(ppfBuffers, ppfBuffers, nFrames, pnFlag);
}

// Audio thread.
void CVantorProcess::Process(float** ppfOut, float** ppfIn, unsigned nFrames, int* pnFlag)
{
    if (pnFlag != nullptr && *pnFlag != 0) {
        *pnFlag = 0;
        return;
    }
    // A block larger than the host announced (or any block before it
    // announced one) would overrun the meter buffers: refuse it whole.
    if (nFrames == 0 || mpSystem == nullptr || nFrames > mnMaxBufferSize || mnMeterBufferSize == 0 ||
        ppfOut == nullptr || ppfIn == nullptr)
        return;

    const int nChannels = std::min(std::max(static_cast<int>(mnChannelsIn), 1), 2);
    if (mbSettleNeedles.exchange(false, std::memory_order_relaxed)) {
        mVU[0].Settle(kNeedleRest);
        mVU[1].Settle(kNeedleRest);
    }
    for (unsigned nDone = 0; nDone < nFrames;) {
        const unsigned nSlice = std::min(nFrames - nDone, std::min(kMaxSlice, mnMeterBufferSize));
        float* ppSliceOut[2] = {nullptr, nullptr};
        float* ppSliceIn[2] = {nullptr, nullptr};
        for (int ch = 0; ch < nChannels; ++ch) {
            ppSliceOut[ch] = ppfOut[ch] + nDone;
            ppSliceIn[ch] = ppfIn[ch] + nDone;
        }
        {
            std::lock_guard<std::mutex> audioLock(mChainLock);
            mpSystem->Process(ppSliceOut, ppSliceIn, static_cast<int>(nSlice), mpfMeterBuffer);
        }
        // A very hot input can drive the compressor's gain trace below 0; a
        // deeper reduction must not read as a smaller one on the needle.
        float* pfCompressorTrace = mpfMeterBuffer[0];
        for (unsigned n = 0; n < nSlice; ++n)
            pfCompressorTrace[n] = std::max(pfCompressorTrace[n], 0.0f);
        double fNeedle0, fNeedle1;
        CAnalogueVU::ProcessMonoPair(mVU[0], mpfMeterBuffer[0], mVU[1], mpfMeterBuffer[1], static_cast<int>(nSlice),
                                     fNeedle0, fNeedle1);
        mfNeedle[0].store(std::min(static_cast<float>(fNeedle0), 1.0f), std::memory_order_relaxed);
        mfNeedle[1].store(static_cast<float>(fNeedle1), std::memory_order_relaxed);
        mOutputMeter.Process(ppSliceOut, nChannels, nSlice);

        const double fHoldSlices = static_cast<double>(mfSampleFreq) * 1.5 / nSlice;
        gnClipHoldSlices.store(std::isfinite(fHoldSlices) && fHoldSlices < 2.0e9 ? static_cast<int>(fHoldSlices) : 0,
                               std::memory_order_relaxed);
        for (std::atomic<int>& nHold : mnClipHold) {
            int nValue = nHold.load(std::memory_order_relaxed);
            // Only this thread lowers a hold; a reader may raise it meanwhile.
            while (nValue != 0 && !nHold.compare_exchange_weak(nValue, nValue - 1, std::memory_order_relaxed)) {
            }
        }
        nDone += nSlice;
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
    if (mpDataManager != nullptr)
        mpDataManager->SetValueByIndex(nIndex, nValue, -1, true);
}

unsigned CVantorProcess::GetChunkSize()
{
    return mpDataManager != nullptr ? mpDataManager->GetChunkSize() : 0;
}

void CVantorProcess::SetChunk(const void* pData, unsigned nBytes)
{
    if (mpDataManager != nullptr && pData != nullptr)
        mpDataManager->SetChunk(pData, nBytes);
}

void CVantorProcess::GetChunk(void* pData)
{
    if (mpDataManager != nullptr && pData != nullptr)
        mpDataManager->GetChunk(pData);
}

// --- Chain control (user-interface thread) ------------------------------------

void CVantorProcess::LoadPatch(int nPatch)
{
    // A row outside the table has no order; the chain keeps its current one.
    if (nPatch >= 0 && nPatch < kNrOfChainOrders && mpSystem != nullptr) {
        CUserHold hold(*this);
        mpSystem->SetOrder(kChainOrders[nPatch]);
    }
    UpdateGUIChainOrder();
}

void CVantorProcess::SetEQBandActive(int nBand, int nOn)
{
    if (mpSystem == nullptr)
        return;
    {
        CUserHold hold(*this);
        mpSystem->DisableEqBand(nBand);
    }
    if (nOn == 1 && nBand >= 0 && nBand < 6) {
        const SEqBand& band = kEqBands[nBand];
        SetDSPParameter(band.nChainIndex, ScaleValue(band.nValueParameter, GetParameter(band.nValueParameter)));
    }
}

void CVantorProcess::RefreshEQBands()
{
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
    for (const SControlLink& link : kControlLinks)
        mpDataManager->AddKey(link.nPanel * 65536 + link.nControl, link.nParameter);
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
    if (mpSystem == nullptr)
        return;
    CUserHold hold(*this);
    mpSystem->SetParameter(nDSPIndex, fValue);
}

void CVantorProcess::UpdateModuleEnables()
{
    int bypass[4];
    for (int nModule = 0; nModule < 4; ++nModule)
        bypass[nModule] = GetParameter(kModuleEnableParameter[nModule]) == 0 ? 1 : 0;
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
    if (mpSystem == nullptr)
        return;
    CUserHold hold(*this);
    mpSystem->SetBypass(bypass);
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
    if (!IsPlaying())
        return nWhich < 2 ? kNeedleRest : nWhich == kMeterShortTermLufs ? COutputMeter::kSilenceLufs : 0.0f;
    if (nWhich < 2)
        return mfNeedle[nWhich].load(std::memory_order_relaxed);
    switch (nWhich) {
    case kMeterPeakLeft:
    case kMeterPeakRight: return mOutputMeter.TakePeak(static_cast<int>(nWhich - kMeterPeakLeft));
    case kMeterHeldPeakLeft:
    case kMeterHeldPeakRight: return mOutputMeter.GetHeldPeak(static_cast<int>(nWhich - kMeterHeldPeakLeft));
    case kMeterShortTermLufs: return mOutputMeter.GetShortTermLufs();
    default: break;
    }
    if (nWhich > 4 || mpSystem == nullptr)
        return 0.0f;
    // The clipper's counters are read-and-clear words of the audio thread.
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
    if (mpSystem == nullptr || pfCurve == nullptr)
        return;
    CUserHold hold(*this);
    mpSystem->GetEqCurve(pfCurve);
}

void CVantorProcess::InvalidateEQCurve()
{
    if (IVantorGUI* pGUI = BoundEditor())
        pGUI->InvalidateEQCurve();
}

void CVantorProcess::SavePreset(std::string sPath)
{
    if (mpDataManager != nullptr)
        WritePresetFile(sPath, *mpDataManager, mnType);
}

void CVantorProcess::LoadPreset(std::string sName, int nModule, bool bInPresetsFolder)
{
    if (mpDataManager == nullptr)
        return;
    const std::string sPath =
        bInPresetsFolder ? GetPresetsFolder() + PresetNameToPath(sName) + kPresetExtension : sName;
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
    int order[4] = {kChainOrders[nRow][0], kChainOrders[nRow][1], kChainOrders[nRow][2], kChainOrders[nRow][3]};
    if (order[nPosition] == nModule)
        return;
    const int nFrom = static_cast<int>(std::find(order, order + 4, nModule) - order);
    std::swap(order[nFrom], order[nPosition]);
    const int nNewRow = FindChainOrder(order);
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
    if (mpPlugIn != nullptr && mpPlugIn->GetHost() != nullptr)
        mpPlugIn->GetHost()->ParameterChanged(nIndex, nValue);
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
