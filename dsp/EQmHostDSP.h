// Processing kernel of the equaliser: eight biquad sections per channel, six
// stage switches and the output gain. It sees ready coefficients only.
#pragma once

#include "Filters.h"
#include "HostDSP.h"

#include <cstdint>

class EQmHostDSP : public HostDSP {
public:
    // Section slots, in the order of the coefficient records.
    enum ESection { kLowShelf, kLowMid, kHighMid, kHighShelf, kLowCut1, kLowCut2, kHighCut1, kHighCut2, kNrOfSections };
    // Stage switches, in the order the stages run.
    enum EStage {
        kStageLowShelf,
        kStageLowMid,
        kStageHighMid,
        kStageHighShelf,
        kStageHighCut,
        kStageLowCut,
        kNrOfStages
    };
    // Sections exist for at most this many channels; further channels are
    // left alone.
    static constexpr int kMaxChannels = 2;

    // What the user-interface side designs: coefficients, switches and
    // gain, without history (the coefficients of the sections only).
    struct SSettings {
        SBiquad sections[kNrOfSections][kMaxChannels];
        int32_t stageOn[kNrOfStages];
        float outputGain;
    };

    EQmHostDSP();

    void GetSettings(SSettings& settings) const;
    // Takes another kernel's settings; the history stays.
    void SetSettings(const SSettings& settings);

    // One 64-sample block of every channel: the switched-in stages in the
    // order low shelf, low mid, high mid, high shelf, high cut (two
    // sections), low cut (two sections), then the output gain. ppIn may be
    // overwritten; ppAux and the integers are unused.
    void Process(float** ppOut, float** ppIn, float** ppAux, int, int) override;

    bool IsStateFinite() const override;

    // Zeroes x1, x2, y1, y2 of every section of both channels.
    void ClearHistory();

    // Sections of stage nStage (one or two), in the order they run.
    static int SectionsOfStage(int nStage, int* pSections);

    SBiquad mSections[kNrOfSections][kMaxChannels];
    int32_t mnStageOn[kNrOfStages]; // non-zero: the stage runs
    float mfOutputGain; // linear
};
