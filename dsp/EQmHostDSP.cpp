#include "EQmHostDSP.h"

#include <cstring>
#include <utility>

#if defined(__x86_64__) || defined(__SSE2__)
#include <emmintrin.h>
#define VANTOR_HAVE_SSE2 1
#endif

namespace {

// Two cascaded sections run in one sample loop: section a's output sample
// goes straight into section b. Each section does exactly the double
// operations of dsp::RunBiquad in the same order, and what passes from a to
// b is a's output rounded to float, as if it had been stored in a block and
// read back. The results are therefore the same bits as two RunBiquad
// passes, but the two sections' recursions are independent chains the
// processor overlaps (measured 1.6 to 1.7 times faster than one pass per
// section; fusing more than two sections gained nothing).
void RunPair(SBiquad& a, SBiquad& b, const float* pIn, float* pOut)
{
    const double aB0 = a.B0, aB1 = a.B1, aB2 = a.B2, aA1 = a.A1, aA2 = a.A2;
    const double bB0 = b.B0, bB1 = b.B1, bB2 = b.B2, bA1 = b.A1, bA2 = b.A2;
    double ax1 = a.x1, ax2 = a.x2, ay1 = a.y1, ay2 = a.y2;
    double bx1 = b.x1, bx2 = b.x2, by1 = b.y1, by2 = b.y2;
    for (int n = 0; n < kBlockSize; ++n) {
        const double x0 = pIn[n];
        const float fMiddle = static_cast<float>(aB0 * x0 + aB1 * ax1 + aB2 * ax2 + aA1 * ay1 + aA2 * ay2);
        ax2 = ax1;
        ax1 = x0;
        ay2 = ay1;
        ay1 = fMiddle;
        const double m0 = fMiddle;
        const float y0 = static_cast<float>(bB0 * m0 + bB1 * bx1 + bB2 * bx2 + bA1 * by1 + bA2 * by2);
        pOut[n] = y0;
        bx2 = bx1;
        bx1 = m0;
        by2 = by1;
        by1 = y0;
    }
    a.x1 = static_cast<float>(ax1);
    a.x2 = static_cast<float>(ax2);
    a.y1 = static_cast<float>(ay1);
    a.y2 = static_cast<float>(ay2);
    b.x1 = static_cast<float>(bx1);
    b.x2 = static_cast<float>(bx2);
    b.y1 = static_cast<float>(by1);
    b.y2 = static_cast<float>(by2);
}

#ifdef VANTOR_HAVE_SSE2
// The two-channel form of RunPair: channels side by side in the two double
// lanes (left low, right high), per lane the operations of RunPair.
// pA and pB point at the left channel's sections; the right one's follow.
struct SStereoSection {
    __m128d B0, B1, B2, A1, A2;
    __m128d x1, x2, y1, y2;

    explicit SStereoSection(const SBiquad* p)
        : B0(_mm_set_pd(p[1].B0, p[0].B0))
        , B1(_mm_set_pd(p[1].B1, p[0].B1))
        , B2(_mm_set_pd(p[1].B2, p[0].B2))
        , A1(_mm_set_pd(p[1].A1, p[0].A1))
        , A2(_mm_set_pd(p[1].A2, p[0].A2))
        , x1(_mm_set_pd(p[1].x1, p[0].x1))
        , x2(_mm_set_pd(p[1].x2, p[0].x2))
        , y1(_mm_set_pd(p[1].y1, p[0].y1))
        , y2(_mm_set_pd(p[1].y2, p[0].y2))
    { }

    // One sample of both channels; returns the output as two floats (lanes
    // 0 and 1) and keeps it, widened, as the new y1.
    __m128 Step(__m128d x0)
    {
        __m128d sum = _mm_mul_pd(B0, x0);
        sum = _mm_add_pd(sum, _mm_mul_pd(B1, x1));
        sum = _mm_add_pd(sum, _mm_mul_pd(B2, x2));
        sum = _mm_add_pd(sum, _mm_mul_pd(A1, y1));
        sum = _mm_add_pd(sum, _mm_mul_pd(A2, y2));
        const __m128 y0f = _mm_cvtpd_ps(sum);
        x2 = x1;
        x1 = x0;
        y2 = y1;
        y1 = _mm_cvtps_pd(y0f);
        return y0f;
    }

    // The lanes hold floats widened to double, so narrowing is exact.
    void Store(SBiquad* p) const
    {
        double lanes[2];
        _mm_storeu_pd(lanes, x1);
        p[0].x1 = static_cast<float>(lanes[0]);
        p[1].x1 = static_cast<float>(lanes[1]);
        _mm_storeu_pd(lanes, x2);
        p[0].x2 = static_cast<float>(lanes[0]);
        p[1].x2 = static_cast<float>(lanes[1]);
        _mm_storeu_pd(lanes, y1);
        p[0].y1 = static_cast<float>(lanes[0]);
        p[1].y1 = static_cast<float>(lanes[1]);
        _mm_storeu_pd(lanes, y2);
        p[0].y2 = static_cast<float>(lanes[0]);
        p[1].y2 = static_cast<float>(lanes[1]);
    }
};

void RunPairStereoSSE(SBiquad* pA, SBiquad* pB, const float* pIn0, const float* pIn1, float* pOut0, float* pOut1)
{
    SStereoSection a(pA);
    SStereoSection b(pB);
    for (int n = 0; n < kBlockSize; ++n) {
        const __m128d x0 = _mm_cvtps_pd(_mm_unpacklo_ps(_mm_load_ss(pIn0 + n), _mm_load_ss(pIn1 + n)));
        const __m128 y0f = b.Step(_mm_cvtps_pd(a.Step(x0)));
        _mm_store_ss(pOut0 + n, y0f);
        _mm_store_ss(pOut1 + n, _mm_shuffle_ps(y0f, y0f, 1));
    }
    a.Store(pA);
    b.Store(pB);
}
#endif

} // namespace

EQmHostDSP::EQmHostDSP()
    : mfOutputGain(1.0f)
{
    std::memset(mSections, 0, sizeof(mSections));
    for (int32_t& nOn : mnStageOn)
        nOn = 0;
}

int EQmHostDSP::SectionsOfStage(int nStage, int* pSections)
{
    switch (nStage) {
    case kStageLowShelf: pSections[0] = kLowShelf; return 1;
    case kStageLowMid: pSections[0] = kLowMid; return 1;
    case kStageHighMid: pSections[0] = kHighMid; return 1;
    case kStageHighShelf: pSections[0] = kHighShelf; return 1;
    case kStageHighCut:
        pSections[0] = kHighCut1;
        pSections[1] = kHighCut2;
        return 2;
    case kStageLowCut:
        pSections[0] = kLowCut1;
        pSections[1] = kLowCut2;
        return 2;
    default: return 0;
    }
}

void EQmHostDSP::Process(float** ppOut, float** ppIn, float** ppAux, int, int)
{
    (void)ppAux;
    const int nChannels = channels < kMaxChannels ? channels : kMaxChannels;
    if (nChannels <= 0)
        return;

    // The left channel's sections of the switched-in stages, in running order.
    SBiquad* apActive[kNrOfSections];
    int nActive = 0;
    for (int nStage = 0; nStage < kNrOfStages; ++nStage) {
        if (mnStageOn[nStage] == 0)
            continue;
        int anSections[2];
        const int nCount = SectionsOfStage(nStage, anSections);
        for (int i = 0; i < nCount; ++i)
            apActive[nActive++] = mSections[anSections[i]];
    }

    // Passes of two sections (one for an odd last one) alternate between
    // the two buffer sets, starting from ppIn into ppOut.
    float* apSource[kMaxChannels] = { ppIn[0], nChannels > 1 ? ppIn[1] : nullptr };
    float* apTarget[kMaxChannels] = { ppOut[0], nChannels > 1 ? ppOut[1] : nullptr };
#ifdef VANTOR_HAVE_SSE2
    const bool bStereoSSE = nChannels == 2 && mbSIMD;
#endif
    for (int k = 0; k < nActive; k += 2) {
        const bool bPair = k + 1 < nActive;
#ifdef VANTOR_HAVE_SSE2
        if (bStereoSSE) {
            if (bPair)
                RunPairStereoSSE(apActive[k], apActive[k + 1], apSource[0], apSource[1], apTarget[0], apTarget[1]);
            else
                dsp::RunBiquadStereo(apActive[k], apSource[0], apSource[1], apTarget[0], apTarget[1], true);
        } else
#endif
        {
            for (int ch = 0; ch < nChannels; ++ch) {
                if (bPair)
                    RunPair(apActive[k][ch], apActive[k + 1][ch], apSource[ch], apTarget[ch]);
                else
                    dsp::RunBiquad(apActive[k][ch], apSource[ch], apTarget[ch]);
            }
        }
        for (int ch = 0; ch < nChannels; ++ch)
            std::swap(apSource[ch], apTarget[ch]);
    }
    // The result lies in apSource: with an odd number of passes that is
    // ppOut, otherwise (including no pass at all) ppIn.
    if (apSource[0] != ppOut[0]) {
        for (int ch = 0; ch < nChannels; ++ch)
            std::memcpy(ppOut[ch], ppIn[ch], kBlockSize * sizeof(float));
    }

    for (int ch = 0; ch < nChannels; ++ch)
        ApplyGain(ppOut[ch], mfOutputGain);
}

bool EQmHostDSP::IsStateFinite() const
{
    for (const auto& channelSections : mSections) {
        for (const SBiquad& section : channelSections) {
            if (!dsp::IsHistoryFinite(section))
                return false;
        }
    }
    return true;
}

void EQmHostDSP::ClearHistory()
{
    for (auto& channelSections : mSections) {
        for (SBiquad& section : channelSections)
            dsp::ClearHistory(section);
    }
}

void EQmHostDSP::GetSettings(SSettings& settings) const
{
    std::memcpy(settings.sections, mSections, sizeof(mSections));
    std::memcpy(settings.stageOn, mnStageOn, sizeof(mnStageOn));
    settings.outputGain = mfOutputGain;
}

void EQmHostDSP::SetSettings(const SSettings& settings)
{
    for (int nSection = 0; nSection < kNrOfSections; ++nSection) {
        for (int ch = 0; ch < kMaxChannels; ++ch)
            dsp::CopyCoefficients(mSections[nSection][ch], settings.sections[nSection][ch]);
    }
    std::memcpy(mnStageOn, settings.stageOn, sizeof(mnStageOn));
    mfOutputGain = settings.outputGain;
}
