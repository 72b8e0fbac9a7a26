#include "VnSystem.h"

#include "EQm.h"
#include "ML2.h"
#include "SC1.h"
#include "VnOut.h"

#include <mutex>

namespace {

// Every chain draws its denormal-guard noise from the start of the library's
// generator, so two chains given the same settings and input give the same
// bits (a state restored into a new process sounds exactly like the
// original). Chains built on two threads at once take turns.
std::mutex gConstructionLock;

VnSystemProc* NewChainKernel(float fSampleRate, int nChannels)
{
    std::lock_guard<std::mutex> lock(gConstructionLock);
    dsp::ResetNoiseGenerator();
    return new VnSystemProc(fSampleRate, nChannels);
}

} // namespace

VnSystem::VnSystem(float fSampleRate, int nChannels)
    : mpProc(NewChainKernel(fSampleRate, ClampChannels(nChannels)))
    , mpAdapter(new BlockAdapter(mpProc, ClampChannels(nChannels)))
{
    const int order[kNrOfModules] = { kEqualiser, kCompressor, kLimiter, kOutputClipper };
    const int bypass[kNrOfModules] = { 0, 0, 0, 0 };
    SetOrder(order);
    SetBypass(bypass);
}

VnSystem::~VnSystem()
{
    delete mpAdapter;
    delete mpProc;
}

TEffect* VnSystem::Owner(int nIndex)
{
    if (nIndex < 13)
        return mpProc->mpModules[kEqualiser];
    if (nIndex < 20)
        return mpProc->mpModules[kCompressor];
    if (nIndex > 37)
        return mpProc->mpModules[kOutputClipper];
    return mpProc->mpModules[kLimiter];
}

void VnSystem::Reset()
{
    for (int i = 0; i < kNrOfModules; ++i)
        mpProc->mpModules[i]->Reset();
}

void VnSystem::Setup(float fSampleRate, int nChannels, int nFlag)
{
    nChannels = ClampChannels(nChannels);
    mpProc->channels = nChannels;
    for (int i = 0; i < kNrOfModules; ++i)
        mpProc->mpModules[i]->Setup(fSampleRate, nChannels, nFlag);
    mpAdapter->channels = nChannels;
}

void VnSystem::SetParameter(int nIndex, float fValue)
{
    if (!IsIndex(nIndex))
        return;
    mafValue[nIndex] = fValue;
    Owner(nIndex)->SetParameter(nIndex, fValue);
}

float VnSystem::SetParameterStep(int nIndex, int nStep)
{
    if (!IsIndex(nIndex))
        return 0.0f;
    maRaw[nIndex] = nStep;
    mafValue[nIndex] = Owner(nIndex)->SetParameterStep(nIndex, nStep);
    return mafValue[nIndex];
}

void VnSystem::Process(float** ppOut, float** ppIn, int nFrames, float** ppTraces)
{
    if (nFrames <= 0)
        return;
    // The noise guard keeps the filters out of the denormal range; flushing
    // covers whatever a caller's floating-point mode would let through.
    platform::CScopedNoDenormals noDenormals;
    mpAdapter->Process(ppOut, ppIn, nFrames, ppTraces);
}

void VnSystem::SetOrder(const int* pnOrder)
{
    for (int i = 0; i < kNrOfModules; ++i)
        mpProc->maOrder[i] = pnOrder[i];
}

void VnSystem::SetBypass(const int* pnBypass)
{
    for (int i = 0; i < kNrOfModules; ++i)
        mpProc->maBypass[i] = pnBypass[i];
}

float VnSystem::GetMeter(int nWhich)
{
    if (nWhich < 2)
        return mpProc->mpModules[kCompressor]->GetMeter(nWhich);
    if (nWhich == 2)
        return mpProc->mpModules[kLimiter]->GetMeter(2);
    return mpProc->mpModules[kOutputClipper]->GetMeter(nWhich);
}

float VnSystem::LookupStep(int nIndex, int nStep)
{
    if (!IsIndex(nIndex))
        return 0.0f;
    return Owner(nIndex)->LookupStep(nIndex, nStep);
}

void VnSystem::DisableEqBand(int nBand)
{
    static const struct {
        int nIndex;
        float fValue;
    } neutral[] = {
        { 10, 0.0f }, // low cut below its switch-in frequency
        { 9, 0.0f }, // low shelf gain
        { 6, 0.0f }, // low mid gain
        { 3, 0.0f }, // high mid gain
        { 1, 0.0f }, // high shelf gain
        { 11, 1000000.0f }, // high cut above its switch-out frequency
    };
    if (nBand < 0 || nBand > kHighCutBand)
        return;
    mpProc->mpModules[kEqualiser]->SetParameter(neutral[nBand].nIndex, neutral[nBand].fValue);
}

void VnSystem::GetEqCurve(float* pCurve)
{
    static_cast<EQm*>(mpProc->mpModules[kEqualiser])->GetCurve(pCurve);
}

namespace {

template <typename Kernel> Kernel* KernelOf(VnSystemProc* pProc, int nModule)
{
    return static_cast<Kernel*>(pProc->mpModules[nModule]->GetHostDSP());
}

} // namespace

void VnSystem::CaptureSettings(SChainSnapshot& snapshot, int nChannels) const
{
    snapshot.nChannels = ClampChannels(nChannels);
    for (int i = 0; i < kNrOfModules; ++i) {
        snapshot.order[i] = mpProc->maOrder[i];
        snapshot.bypass[i] = mpProc->maBypass[i];
    }
    KernelOf<EQmHostDSP>(mpProc, kEqualiser)->GetSettings(snapshot.equaliser);
    KernelOf<SC1HostDSP>(mpProc, kCompressor)->GetSettings(snapshot.compressor);
    KernelOf<ML2HostDSP>(mpProc, kLimiter)->GetSettings(snapshot.limiter);
    KernelOf<VnOutHostDSP>(mpProc, kOutputClipper)->GetSettings(snapshot.clipper);
}

void VnSystem::AdoptSettings(const SChainSnapshot& snapshot)
{
    const int nChannels = ClampChannels(snapshot.nChannels);
    SetOrder(snapshot.order);
    SetBypass(snapshot.bypass);
    KernelOf<EQmHostDSP>(mpProc, kEqualiser)->SetSettings(snapshot.equaliser);
    KernelOf<SC1HostDSP>(mpProc, kCompressor)->SetSettings(snapshot.compressor);
    KernelOf<ML2HostDSP>(mpProc, kLimiter)->SetSettings(snapshot.limiter);
    KernelOf<VnOutHostDSP>(mpProc, kOutputClipper)->SetSettings(snapshot.clipper);
    mpProc->channels = nChannels;
    for (int i = 0; i < kNrOfModules; ++i)
        mpProc->mpModules[i]->GetHostDSP()->channels = nChannels;
    mpAdapter->channels = nChannels;
}
