#include "ML2HostDSP.h"

#include <cmath>

#if defined(__x86_64__) || defined(__SSE2__)
#include <emmintrin.h>
#define VANTOR_HAVE_SSE2 1
#endif

namespace {

// The trace holds the mean of the three band gains: their sum times this
// constant (a double of the written value; it is the float nearest 1/3
// written out, not 1/3 itself).
constexpr double kMeanOfThree = 0.33333334;

// Below this a band state is flushed to 0 (keeps it out of the denormals).
constexpr double kStateFlush = 1e-21;

// Band 1 releases only while r1 is above this floor.
constexpr double kLowFloorStereo = 0.05;
constexpr double kLowFloorMono = 0.1;

// What one band loop needs, read once per block.
struct SBand {
    double drive;
    double theta;
    double gain;
    double floor; // band 1 only
    float attack; // band 1: factor; bands 2 and 3: step
    float release;
};

// The state r is a float. A product or sum of two floats rounded once to
// float equals the double operation rounded to float (53 >= 2 * 24 + 2 bits,
// so the double rounding is innocuous); r is therefore updated in float.
// bFirst is band 1: geometric attack, release only above the floor, and it
// writes (rather than adds to) the output and the trace.
template <bool bFirst> inline float NextState(float r, bool bOver, const SBand& b)
{
    if (bFirst) {
        if (bOver)
            return r * b.attack;
        if (static_cast<double>(r) > b.floor)
            return r * b.release;
        return r;
    }
    return bOver ? r + b.attack : r * b.release;
}

// One band over the block, scalar. Per sample: q = drive / (r + 1) with the
// r before the update; v = q * band; out (+)= v * g; r attacks when |v| of
// either channel exceeds theta, otherwise releases; trace (+)= 1 / (r + 1)
// with the updated r. The divisor of the trace is the next sample's
// divisor of q, so both come from one t.
template <bool bFirst, bool bStereo>
float RunBandScalar(
    float r, const SBand& b, const float* pBand0, const float* pBand1, float* pOut0, float* pOut1, float* pTrace)
{
    const double drive = b.drive, theta = b.theta, gain = b.gain;
    double q = drive / (static_cast<double>(r) + 1.0);
    for (int n = 0; n < kBlockSize; ++n) {
        const double vL = q * pBand0[n];
        bool bOver = std::fabs(vL) > theta;
        pOut0[n] = bFirst ? static_cast<float>(vL * gain) : static_cast<float>(pOut0[n] + vL * gain);
        if (bStereo) {
            const double vR = q * pBand1[n];
            bOver = bOver | (std::fabs(vR) > theta);
            pOut1[n] = bFirst ? static_cast<float>(vR * gain) : static_cast<float>(pOut1[n] + vR * gain);
        }
        r = NextState<bFirst>(r, bOver, b);
        const double t = static_cast<double>(r) + 1.0;
        q = drive / t;
        const double fGain = 1.0 / t;
        pTrace[n] = bFirst ? static_cast<float>(fGain) : static_cast<float>(pTrace[n] + fGain);
    }
    return r;
}

#ifdef VANTOR_HAVE_SSE2
// The same band loop for two channels in the two double lanes: the
// operations per lane are those of RunBandScalar, and the two divisions by
// t run as one packed division (drive / t in lane 0, 1 / t in lane 1).
template <bool bFirst>
float RunBandStereoSSE2(
    float r, const SBand& b, const float* pBand0, const float* pBand1, float* pOut0, float* pOut1, float* pTrace)
{
    const __m128d theta = _mm_set1_pd(b.theta);
    const __m128d gain = _mm_set1_pd(b.gain);
    const __m128d absMask = _mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFFFFFFFLL));
    const __m128d numerators = _mm_set_pd(1.0, b.drive);
    __m128d quotients = _mm_div_pd(numerators, _mm_set1_pd(static_cast<double>(r) + 1.0));
    for (int n = 0; n < kBlockSize; ++n) {
        const __m128d x = _mm_cvtps_pd(_mm_unpacklo_ps(_mm_load_ss(pBand0 + n), _mm_load_ss(pBand1 + n)));
        const __m128d v = _mm_mul_pd(_mm_unpacklo_pd(quotients, quotients), x);
        __m128d y = _mm_mul_pd(v, gain);
        if (!bFirst)
            y = _mm_add_pd(_mm_cvtps_pd(_mm_unpacklo_ps(_mm_load_ss(pOut0 + n), _mm_load_ss(pOut1 + n))), y);
        const __m128 yf = _mm_cvtpd_ps(y);
        _mm_store_ss(pOut0 + n, yf);
        _mm_store_ss(pOut1 + n, _mm_shuffle_ps(yf, yf, 1));
        const bool bOver = _mm_movemask_pd(_mm_cmpgt_pd(_mm_and_pd(v, absMask), theta)) != 0;
        r = NextState<bFirst>(r, bOver, b);
        quotients = _mm_div_pd(numerators, _mm_set1_pd(static_cast<double>(r) + 1.0));
        const __m128d fGain = _mm_unpackhi_pd(quotients, quotients);
        if (bFirst)
            _mm_store_ss(pTrace + n, _mm_cvtsd_ss(_mm_setzero_ps(), fGain));
        else
            _mm_store_ss(pTrace + n,
                _mm_cvtsd_ss(
                    _mm_setzero_ps(), _mm_add_sd(_mm_cvtss_sd(_mm_setzero_pd(), _mm_load_ss(pTrace + n)), fGain)));
    }
    return r;
}
#endif

#ifdef VANTOR_HAVE_SSE2
// The three crossover filters of both channels in one pass: three
// independent recursions (two lanes each) overlap instead of running one
// after the other. Per lane the operations are those of RunBiquad and
// RunFirstOrder, so the results are the same bits.
void RunCrossoverStereoSSE2(
    SBiquad* pLow, SBiquad* pMid, SFirstOrder* pHigh, const float* pIn0, const float* pIn1, float* const* ppBand)
{
    struct SLanes {
        __m128d B0, B1, B2, A1, A2, x1, x2, y1, y2;
    };
    auto load = [](const SBiquad* p) {
        const SBiquad& l = p[0];
        const SBiquad& r = p[1];
        return SLanes { _mm_set_pd(r.B0, l.B0), _mm_set_pd(r.B1, l.B1), _mm_set_pd(r.B2, l.B2), _mm_set_pd(r.A1, l.A1),
            _mm_set_pd(r.A2, l.A2), _mm_set_pd(r.x1, l.x1), _mm_set_pd(r.x2, l.x2), _mm_set_pd(r.y1, l.y1),
            _mm_set_pd(r.y2, l.y2) };
    };
    SLanes lo = load(pLow);
    SLanes mi = load(pMid);
    const SFirstOrder& hl = pHigh[0];
    const SFirstOrder& hr = pHigh[1];
    const __m128d hB0 = _mm_set_pd(hr.B0, hl.B0), hB1 = _mm_set_pd(hr.B1, hl.B1), hA1 = _mm_set_pd(hr.A1, hl.A1);
    __m128d hx1 = _mm_set_pd(hr.x1, hl.x1), hy1 = _mm_set_pd(hr.y1, hl.y1);
    auto biquad = [](SLanes& s, __m128d x0, float* pOut0, float* pOut1, int n) {
        __m128d sum = _mm_mul_pd(s.B0, x0);
        sum = _mm_add_pd(sum, _mm_mul_pd(s.B1, s.x1));
        sum = _mm_add_pd(sum, _mm_mul_pd(s.B2, s.x2));
        sum = _mm_add_pd(sum, _mm_mul_pd(s.A1, s.y1));
        sum = _mm_add_pd(sum, _mm_mul_pd(s.A2, s.y2));
        const __m128 yf = _mm_cvtpd_ps(sum);
        _mm_store_ss(pOut0 + n, yf);
        _mm_store_ss(pOut1 + n, _mm_shuffle_ps(yf, yf, 1));
        s.x2 = s.x1;
        s.x1 = x0;
        s.y2 = s.y1;
        s.y1 = _mm_cvtps_pd(yf);
    };
    for (int n = 0; n < kBlockSize; ++n) {
        const __m128d x0 = _mm_cvtps_pd(_mm_unpacklo_ps(_mm_load_ss(pIn0 + n), _mm_load_ss(pIn1 + n)));
        biquad(lo, x0, ppBand[0], ppBand[1], n);
        biquad(mi, x0, ppBand[2], ppBand[3], n);
        __m128d sum = _mm_mul_pd(hB0, x0);
        sum = _mm_add_pd(sum, _mm_mul_pd(hB1, hx1));
        sum = _mm_add_pd(sum, _mm_mul_pd(hA1, hy1));
        const __m128 yf = _mm_cvtpd_ps(sum);
        _mm_store_ss(ppBand[4] + n, yf);
        _mm_store_ss(ppBand[5] + n, _mm_shuffle_ps(yf, yf, 1));
        hx1 = x0;
        hy1 = _mm_cvtps_pd(yf);
    }
    // History back into the sections (every lane holds a float value).
    auto store = [](__m128d lanes, float& fLeft, float& fRight) {
        const __m128 f = _mm_cvtpd_ps(lanes);
        _mm_store_ss(&fLeft, f);
        _mm_store_ss(&fRight, _mm_shuffle_ps(f, f, 1));
    };
    for (int i = 0; i < 2; ++i) {
        SBiquad* p = i == 0 ? pLow : pMid;
        const SLanes& s = i == 0 ? lo : mi;
        store(s.x1, p[0].x1, p[1].x1);
        store(s.x2, p[0].x2, p[1].x2);
        store(s.y1, p[0].y1, p[1].y1);
        store(s.y2, p[0].y2, p[1].y2);
    }
    store(hx1, pHigh[0].x1, pHigh[1].x1);
    store(hy1, pHigh[0].y1, pHigh[1].y1);
}
#endif

template <bool bFirst>
float RunBand(bool bStereo, bool bSIMD, float r, const SBand& b, const float* pBand0, const float* pBand1, float* pOut0,
    float* pOut1, float* pTrace)
{
    if (!bStereo)
        return RunBandScalar<bFirst, false>(r, b, pBand0, nullptr, pOut0, nullptr, pTrace);
#ifdef VANTOR_HAVE_SSE2
    if (bSIMD)
        return RunBandStereoSSE2<bFirst>(r, b, pBand0, pBand1, pOut0, pOut1, pTrace);
#else
    (void)bSIMD;
#endif
    return RunBandScalar<bFirst, true>(r, b, pBand0, pBand1, pOut0, pOut1, pTrace);
}

} // namespace

ML2HostDSP::ML2HostDSP()
    : mpBands(AllocBlock(6 * kBlockSize))
    , mpTrace(AllocBlock())
{ }

ML2HostDSP::~ML2HostDSP()
{
    FreeBlock(mpTrace);
    FreeBlock(mpBands);
}

void ML2HostDSP::Process(float** ppOut, float** ppIn, float** ppAux, int, int)
{
    if (channels < 1 || mpBands == nullptr || mpTrace == nullptr)
        return;
    // Only the first two channels have sections; further ones are left alone.
    const bool bStereo = channels >= 2;
    const bool bSIMD = UsesSIMD();
    float* pTrace = (ppAux != nullptr && ppAux[1] != nullptr) ? ppAux[1] : mpTrace;
    float* pOut0 = ppOut[0];
    float* pOut1 = bStereo ? ppOut[1] : nullptr;

    // The crossover into the six band blocks: low, mid and high of channel
    // 0 and channel 1.
    float* pBand[6];
    for (int i = 0; i < 6; ++i)
        pBand[i] = mpBands + i * kBlockSize;
    if (bStereo) {
#ifdef VANTOR_HAVE_SSE2
        if (bSIMD)
            RunCrossoverStereoSSE2(low, mid, high, ppIn[0], ppIn[1], pBand);
        else
#endif
        {
            for (int ch = 0; ch < 2; ++ch) {
                dsp::RunBiquad(low[ch], ppIn[ch], pBand[ch]);
                dsp::RunBiquad(mid[ch], ppIn[ch], pBand[2 + ch]);
                dsp::RunFirstOrder(high[ch], ppIn[ch], pBand[4 + ch]);
            }
        }
    } else {
        dsp::RunBiquad(low[0], ppIn[0], pBand[0]);
        dsp::RunBiquad(mid[0], ppIn[0], pBand[2]);
        dsp::RunFirstOrder(high[0], ppIn[0], pBand[4]);
    }

    // Low band: writes the outputs and the trace; mid and high add to them.
    const SBand lowBand { drive, theta1, g1, bStereo ? kLowFloorStereo : kLowFloorMono, attack1, rho1 };
    r1 = RunBand<true>(bStereo, bSIMD, r1, lowBand, pBand[0], pBand[1], pOut0, pOut1, pTrace);
    const SBand midBand { drive, theta2, g2, 0.0, attack2, rho2 };
    r2 = RunBand<false>(bStereo, bSIMD, r2, midBand, pBand[2], pBand[3], pOut0, pOut1, pTrace);
    const SBand highBand { drive, theta3, g3, 0.0, attack3, rho3 };
    r3 = RunBand<false>(bStereo, bSIMD, r3, highBand, pBand[4], pBand[5], pOut0, pOut1, pTrace);

    // The trace becomes the mean of the three band gains.
    for (int n = 0; n < kBlockSize; ++n)
        pTrace[n] = static_cast<float>(pTrace[n] * kMeanOfThree);

    // Overload clipper, then the output gain.
    for (int ch = 0; ch < (bStereo ? 2 : 1); ++ch) {
        overload.Clip(ppOut[ch]);
        ApplyGain(ppOut[ch], outputGain);
    }

    if (r1 < kStateFlush)
        r1 = 0.0f;
    if (r2 < kStateFlush)
        r2 = 0.0f;
    if (r3 < kStateFlush)
        r3 = 0.0f;

    // The meter keeps the deepest block-end average gain.
    const double fAverage = (1.0 / (r3 + 1.0) + 1.0 / (r2 + 1.0) + 1.0 / (r1 + 1.0)) * kMeanOfThree;
    // A reader may reset the hold meanwhile; the lower value still lands.
    const float fAverageHold = static_cast<float>(fAverage);
    float fHold = gainHold.load(std::memory_order_relaxed);
    while (fAverageHold < fHold && !gainHold.compare_exchange_weak(fHold, fAverageHold, std::memory_order_relaxed)) { }
}

void ML2HostDSP::GetSettings(SSettings& settings) const
{
    for (int ch = 0; ch < 2; ++ch) {
        settings.low[ch] = low[ch];
        settings.mid[ch] = mid[ch];
        settings.high[ch] = high[ch];
    }
    settings.overload = overload;
    settings.outputGain = outputGain;
    settings.drive = drive;
    settings.attack1 = attack1;
    settings.attack2 = attack2;
    settings.attack3 = attack3;
    settings.g1 = g1;
    settings.g2 = g2;
    settings.g3 = g3;
    settings.theta1 = theta1;
    settings.theta2 = theta2;
    settings.theta3 = theta3;
    settings.rho1 = rho1;
    settings.rho2 = rho2;
    settings.rho3 = rho3;
}

void ML2HostDSP::SetSettings(const SSettings& settings)
{
    for (int ch = 0; ch < 2; ++ch) {
        dsp::CopyCoefficients(low[ch], settings.low[ch]);
        dsp::CopyCoefficients(mid[ch], settings.mid[ch]);
        dsp::CopyCoefficients(high[ch], settings.high[ch]);
    }
    overload = settings.overload;
    outputGain = settings.outputGain;
    drive = settings.drive;
    attack1 = settings.attack1;
    attack2 = settings.attack2;
    attack3 = settings.attack3;
    g1 = settings.g1;
    g2 = settings.g2;
    g3 = settings.g3;
    theta1 = settings.theta1;
    theta2 = settings.theta2;
    theta3 = settings.theta3;
    rho1 = settings.rho1;
    rho2 = settings.rho2;
    rho3 = settings.rho3;
}

bool ML2HostDSP::IsStateFinite() const
{
    for (int ch = 0; ch < 2; ++ch) {
        if (!dsp::IsHistoryFinite(low[ch]) || !dsp::IsHistoryFinite(mid[ch]) || !dsp::IsHistoryFinite(high[ch]))
            return false;
    }
    return std::isfinite(r1) && std::isfinite(r2) && std::isfinite(r3);
}
