#include "VnSystemProc.h"

#include "EQm.h"
#include "ML2.h"
#include "SC1.h"
#include "VnOut.h"

#include <cstring>
#include <utility>

VnSystemProc::VnSystemProc(float fSampleRate, int nChannels)
{
    channels = nChannels;
    mpModules[kEqualiser] = new EQm(fSampleRate, nChannels);
    mpModules[kCompressor] = new SC1(fSampleRate, nChannels);
    mpModules[kLimiter] = new ML2(fSampleRate, nChannels);
    mpModules[kOutputClipper] = new VnOut(fSampleRate, nChannels);
    for (int i = 0; i < kNrOfModules; ++i) {
        maOrder[i] = i;
        maBypass[i] = 0;
    }
    for (int ch = 0; ch < 2; ++ch) {
        mpSilence[ch] = AllocBlock();
        AddNoise(mpSilence[ch]);
        // The equaliser and the output clipper write no trace; a block each
        // is all they could touch.
        mpScratch[ch] = AllocBlock();
    }
}

VnSystemProc::~VnSystemProc()
{
    for (int ch = 0; ch < 2; ++ch) {
        FreeBlock(mpScratch[ch]);
        FreeBlock(mpSilence[ch]);
    }
    for (int i = kNrOfModules - 1; i >= 0; --i)
        delete mpModules[i];
}

void VnSystemProc::Process(float** ppOut, float** ppIn, float** ppAux, int, int)
{
    float** ppDestination = ppOut;
    float** ppSource = ppIn;
    for (int nSlot = 0; nSlot < kNrOfModules; ++nSlot) {
        const int nModule = maOrder[nSlot];
        if (nModule < 0 || nModule >= kNrOfModules) {
            std::swap(ppDestination, ppSource);
            continue;
        }
        const bool bDynamics = nModule == kCompressor || nModule == kLimiter;
        HostDSP* pKernel = mpModules[nModule]->GetHostDSP();
        if (!maBypass[nModule]) {
            pKernel->Process(ppDestination, ppSource, bDynamics ? ppAux : mpScratch, 0, 0);
            std::swap(ppDestination, ppSource);
        } else if (bDynamics) {
            // Keeps running on near silence so its detector recovers and its
            // meter and trace stay live; the output is overwritten later.
            float* ppSilence[2] = { mpSilence[0], mpSilence[1] };
            pKernel->Process(ppDestination, ppSilence, ppAux, 0, 0);
            // A bypassed module may scribble on its silence blocks.
            for (int ch = 0; ch < 2; ++ch) {
                std::memset(mpSilence[ch], 0, kBlockSize * sizeof(float));
                AddNoise(mpSilence[ch]);
            }
        } else {
            continue;
        }
        // Non-finite numbers that reached a module's state would stay there
        // forever; start that module afresh at the block boundary.
        if (!pKernel->IsStateFinite())
            mpModules[nModule]->Reset();
    }
    if (ppSource == ppIn) {
        for (int ch = 0; ch < channels; ++ch)
            std::memcpy(ppOut[ch], ppIn[ch], kBlockSize * sizeof(float));
    }
}
