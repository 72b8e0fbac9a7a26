#include "VantorDataUnit.h"

#include "VantorProcess.h"

namespace {

// What a parameter does when its value changes: sends its engineering value
// (times a factor) to a chain index, or one of the special actions.
enum EAction {
    kDoNothing,
    kSetEnables, // module enables and global bypass
    kLoadPatch, // chain order
    kSwitchEqBand, // equaliser band on/off (band in nChainIndex)
    kToChain, // value x factor to the chain
    kSendQ, // "Low Q" (0) sends 1.1, "High Q" (1) sends 0.6
};

struct SApply {
    EAction eAction;
    int nChainIndex;
    double fFactor;
    bool bRefreshBands; // re-neutralise bands that are off after the value went out
    bool bRedrawCurve;
};

constexpr double kMillisecondsToSeconds = 0.001;

constexpr SApply kApply[] = {
    /*  0 Global Bypass            */ { kSetEnables, 0, 1.0, false, false },
    /*  1 Patch                    */ { kLoadPatch, 0, 1.0, false, false },
    /*  2 EQ Enable                */ { kSetEnables, 0, 1.0, false, true },
    /*  3 EQ Low Cut Freq          */ { kToChain, 10, 1.0, true, true },
    /*  4 EQ Low Cut Enable        */ { kSwitchEqBand, 0, 1.0, false, true },
    /*  5 EQ Low Shelf Freq        */ { kToChain, 8, 1.0, false, true },
    /*  6 EQ Low Shelf Gain        */ { kToChain, 9, 1.0, true, true },
    /*  7 EQ Low Shelf Enable      */ { kSwitchEqBand, 1, 1.0, false, true },
    /*  8 EQ Low Mid Freq          */ { kToChain, 5, 1.0, false, true },
    /*  9 EQ Low Mid Gain          */ { kToChain, 6, 1.0, true, true },
    /* 10 EQ Low Mid Q             */ { kSendQ, 7, 1.0, false, true },
    /* 11 EQ Low Mid Enable        */ { kSwitchEqBand, 2, 1.0, false, true },
    /* 12 EQ High Mid Freq         */ { kToChain, 2, 1.0, false, true },
    /* 13 EQ High Mid Gain         */ { kToChain, 3, 1.0, true, true },
    /* 14 EQ High Mid Q            */ { kSendQ, 4, 1.0, false, true },
    /* 15 EQ High Mid Enable       */ { kSwitchEqBand, 3, 1.0, false, true },
    /* 16 EQ High Shelf Freq       */ { kToChain, 0, 1.0, false, true },
    /* 17 EQ High Shelf Gain       */ { kToChain, 1, 1.0, true, true },
    /* 18 EQ High Shelf Enable     */ { kSwitchEqBand, 4, 1.0, false, true },
    /* 19 EQ High Cut Freq         */ { kToChain, 11, 1.0, true, true },
    /* 20 EQ High Cut Enable       */ { kSwitchEqBand, 5, 1.0, false, true },
    /* 21 EQ Output                */ { kToChain, 12, 1.0, false, false },
    /* 22 Compressor Enable        */ { kSetEnables, 0, 1.0, false, false },
    /* 23 Compressor Sidechain HPF */ { kToChain, 18, 1.0, false, false },
    /* 24 Compressor Attack        */ { kToChain, 13, kMillisecondsToSeconds, false, false },
    /* 25 Compressor Release       */ { kToChain, 14, kMillisecondsToSeconds, false, false },
    /* 26 Compressor Ratio         */ { kToChain, 17, 1.0, false, false },
    /* 27 Compressor Enhancer      */ { kToChain, 16, 1.0, false, false },
    /* 28 Compressor Input Drive   */ { kToChain, 15, 1.0, false, false },
    /* 29 Compressor Output        */ { kToChain, 19, 1.0, false, false },
    /* 30 Limiter Enable           */ { kSetEnables, 0, 1.0, false, false },
    /* 31 Limiter Release          */ { kToChain, 22, kMillisecondsToSeconds, false, false },
    /* 32 Limiter Input Drive      */ { kToChain, 20, 1.0, false, false },
    /* 33 Limiter Overload         */ { kToChain, 21, 1.0, false, false },
    /* 34 Limiter Output           */ { kToChain, 37, 1.0, false, false },
    /* 35 Limiter Crossover 1 (Hz, used as rad/s by the limiter) */ { kToChain, 23, 1.0, false, false },
    /* 36 Limiter Crossover 2      */ { kToChain, 24, 1.0, false, false },
    /* 37 Limiter Band 1 Threshold */ { kToChain, 26, 1.0, false, false },
    /* 38 Limiter Band 1 Gain      */ { kToChain, 25, 1.0, false, false },
    /* 39 Limiter Band 2 Threshold */ { kToChain, 30, 1.0, false, false },
    /* 40 Limiter Band 2 Gain      */ { kToChain, 29, 1.0, false, false },
    /* 41 Limiter Band 3 Threshold */ { kToChain, 34, 1.0, false, false },
    /* 42 Limiter Band 3 Gain      */ { kToChain, 33, 1.0, false, false },
    /* 43 Clipper Enable           */ { kSetEnables, 0, 1.0, false, false },
    /* 44 Clipper Gain             */ { kToChain, 38, 1.0, false, false },
    /* 45 Clipper Curve            */ { kToChain, 39, 1.0, false, false },
    /* 46 Clipper Output           */ { kToChain, 40, 1.0, false, false },
};

constexpr int kNrOfApply = sizeof(kApply) / sizeof(kApply[0]);

} // namespace

CVantorDataUnit::CVantorDataUnit(CVantorProcess* pProcess, int nIndex, int nInitialValue)
    : adl::CDataUnit(nIndex, nInitialValue)
    , mpProcess(pProcess)
{ }

void CVantorDataUnit::Destroy()
{
    delete this;
}

void CVantorDataUnit::OnValueChanged()
{
    const int nIndex = GetIndex();
    if (nIndex < 0 || nIndex >= kNrOfApply)
        return;
    const SApply& apply = kApply[nIndex];
    // The value and the band refresh that follows it reach the audio as one
    // change.
    CVantorProcess::CChange change(*mpProcess);
    const int nValue = GetValue();
    const float fValue = mpProcess->ScaleValue(static_cast<unsigned>(nIndex), nValue);
    switch (apply.eAction) {
    case kDoNothing: break;
    case kSetEnables: mpProcess->UpdateModuleEnables(); break;
    case kLoadPatch: mpProcess->LoadPatch(nValue); break;
    case kSwitchEqBand: mpProcess->SetEQBandActive(apply.nChainIndex, nValue); break;
    case kToChain: mpProcess->SetDSPParameter(apply.nChainIndex, static_cast<float>(fValue * apply.fFactor)); break;
    case kSendQ: mpProcess->SetDSPParameter(apply.nChainIndex, fValue == 0.0f ? 1.1f : 0.6f); break;
    }
    if (apply.bRefreshBands)
        mpProcess->RefreshEQBands();
    if (apply.bRedrawCurve)
        mpProcess->InvalidateEQCurve();
}
