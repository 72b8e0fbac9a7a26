#include "SC1HostDSP.h"

#include <cmath>

#if defined(__x86_64__) || defined(__SSE2__)
#include <emmintrin.h>
#define VANTOR_HAVE_SSE2 1
#endif

namespace {

// Keeps the gain loop away from zero: the drive-scaled gain never drops below
// this, so the detector always hears its input.
constexpr double kGainFloor = 0.01;
// Added to every detector output sample so the side chain never sees exact
// silence.
constexpr double kOffset = 1e-35;
// Branch outputs below this are flushed to 0 while releasing.
constexpr double kFlush = 1e-22;
// Lowest block-end gain the meter hold takes (80 dB of reduction).
constexpr double kHoldFloor = 0.0001;

// Coefficients of one detector, copied to locals for a block.
struct SCoefficients {
    double k, drive;
    double hB0, hB1, hA1; // side-chain high-pass
    double B0, B1, A1; // common low-pass
    double aB0, aB1, aA1; // branch A output section
    double bB0, bB1, bA1; // branch B output section
    double releaseA, releaseB;
};

// Detector state kept in locals during a block.
struct SState {
    double Aout, Bout;
    double hx1, hy1;
    double xA1, yA1, xA2;
    double xB1, yB1, xB2;
};

SCoefficients LoadCoefficients(const SC1Detector& d)
{
    return { d.k, d.drive, d.sideChain.B0, d.sideChain.B1, d.sideChain.A1, d.B0, d.B1, d.A1, d.branchA.B0, d.branchA.B1,
        d.branchA.A1, d.branchB.B0, d.branchB.B1, d.branchB.A1, d.releaseA, d.releaseB };
}

SState LoadState(const SC1Detector& d)
{
    return { d.Aout, d.Bout, d.sideChain.x1, d.sideChain.y1, d.xA1, d.yA1, d.branchA.x1, d.xB1, d.yB1, d.branchB.x1 };
}

// Writes the block's final state back; gLast is the gain of sample 63, whose
// envelope is the block-end envelope that lowers the meter hold.
void StoreState(SC1Detector& d, const SState& s, double gLast)
{
    d.Aout = s.Aout;
    d.Bout = s.Bout;
    d.sideChain.x1 = s.hx1;
    d.sideChain.y1 = s.hy1;
    d.xA1 = s.xA1;
    d.yA1 = s.yA1;
    d.branchA.x1 = s.xA2;
    d.branchA.y1 = s.Aout;
    d.xB1 = s.xB1;
    d.yB1 = s.yB1;
    d.branchB.x1 = s.xB2;
    d.branchB.y1 = s.Bout;
    double fEnd = gLast;
    if (fEnd < kHoldFloor)
        fEnd = kHoldFloor;
    // A reader may reset the hold meanwhile; the lower value still lands.
    const float fEndHold = static_cast<float>(fEnd);
    float fHold = d.gainHold.load(std::memory_order_relaxed);
    while (fEndHold < fHold && !d.gainHold.compare_exchange_weak(fHold, fEndHold, std::memory_order_relaxed)) { }
}

// One sample of a detector: applies the gain the envelope sets, then lets the
// rectified side-chain level either charge the network (above the envelope)
// or lets both branches decay (at or below it). Returns the gain.
inline double Step(const SCoefficients& c, SState& s, float fIn, float* pOut)
{
    const double E = s.Bout + s.Aout;
    const double G = 1.0 - E * c.k;
    double Gd = G * c.drive;
    if (Gd < kGainFloor)
        Gd = kGainFloor;
    const double y = Gd * fIn + kOffset;
    *pOut = static_cast<float>(y);
    const double h = c.hB0 * y + c.hB1 * s.hx1 + c.hA1 * s.hy1;
    s.hx1 = y;
    s.hy1 = h;
    const double u = std::fabs(h);

    if (u > E) {
        // Charge: u feeds both branches through the common low-pass and
        // their output sections.
        const double lA = c.B0 * u + c.B1 * s.xA1 + c.A1 * s.yA1;
        s.xA1 = u;
        s.yA1 = lA;
        s.Aout = c.aB0 * lA + c.aB1 * s.xA2 + c.aA1 * s.Aout;
        s.xA2 = lA;
        const double lB = c.B0 * u + c.B1 * s.xB1 + c.A1 * s.yB1;
        s.xB1 = u;
        s.yB1 = lB;
        s.Bout = c.bB0 * lB + c.bB1 * s.xB2 + c.bA1 * s.Bout;
        s.xB2 = lB;
    } else {
        // Release: both branches decay and their histories follow, so a new
        // charge starts from the decayed level.
        double fA = s.Aout * c.releaseA;
        if (fA < kFlush)
            fA = 0.0;
        double fB = s.Bout * c.releaseB;
        if (fB < kFlush)
            fB = 0.0;
        s.Aout = s.xA1 = s.yA1 = s.xA2 = fA;
        s.Bout = s.xB1 = s.yB1 = s.xB2 = fB;
    }
    return G;
}

void RunMono(SC1Detector& d, const float* pIn, float* pOut, float* pTrace)
{
    const SCoefficients c = LoadCoefficients(d);
    SState s = LoadState(d);
    double G = 1.0;
    for (int n = 0; n < kBlockSize; ++n) {
        G = Step(c, s, pIn[n], pOut + n);
        pTrace[n] = static_cast<float>(G);
    }
    StoreState(d, s, G);
}

// Both detectors in one loop; they are independent, so interleaving them
// changes no result and lets the processor overlap the two chains. The
// trace keeps the mid detector's gains.
void RunStereoScalar(SC1Detector& mid, SC1Detector& side, const float* pMidIn, const float* pSideIn, float* pMidOut,
    float* pSideOut, float* pTrace)
{
    const SCoefficients cm = LoadCoefficients(mid);
    const SCoefficients cs = LoadCoefficients(side);
    SState sm = LoadState(mid);
    SState ss = LoadState(side);
    double gMid = 1.0, gSide = 1.0;
    for (int n = 0; n < kBlockSize; ++n) {
        gSide = Step(cs, ss, pSideIn[n], pSideOut + n);
        gMid = Step(cm, sm, pMidIn[n], pMidOut + n);
        pTrace[n] = static_cast<float>(gMid);
    }
    StoreState(side, ss, gSide);
    StoreState(mid, sm, gMid);
}

#ifdef VANTOR_HAVE_SSE2
// Mid in lane 0, side in lane 1: the same double operations in the same order
// as Step; where the lanes disagree, each takes its own outcome by a mask.
void RunStereoSSE(SC1Detector& mid, SC1Detector& side, const float* pMidIn, const float* pSideIn, float* pMidOut,
    float* pSideOut, float* pTrace)
{
    auto pair = [](double fMid, double fSide) { return _mm_set_pd(fSide, fMid); };
    auto select
        = [](__m128d mask, __m128d a, __m128d b) { return _mm_or_pd(_mm_and_pd(mask, a), _mm_andnot_pd(mask, b)); };
    const __m128d k = pair(mid.k, side.k), drive = pair(mid.drive, side.drive);
    const __m128d hB0 = pair(mid.sideChain.B0, side.sideChain.B0), hB1 = pair(mid.sideChain.B1, side.sideChain.B1),
                  hA1 = pair(mid.sideChain.A1, side.sideChain.A1);
    const __m128d B0 = pair(mid.B0, side.B0), B1 = pair(mid.B1, side.B1), A1 = pair(mid.A1, side.A1);
    const __m128d aB0 = pair(mid.branchA.B0, side.branchA.B0), aB1 = pair(mid.branchA.B1, side.branchA.B1),
                  aA1 = pair(mid.branchA.A1, side.branchA.A1);
    const __m128d bB0 = pair(mid.branchB.B0, side.branchB.B0), bB1 = pair(mid.branchB.B1, side.branchB.B1),
                  bA1 = pair(mid.branchB.A1, side.branchB.A1);
    const __m128d relA = pair(mid.releaseA, side.releaseA), relB = pair(mid.releaseB, side.releaseB);
    const __m128d one = _mm_set1_pd(1.0), gainFloor = _mm_set1_pd(kGainFloor), offset = _mm_set1_pd(kOffset);
    const __m128d flush = _mm_set1_pd(kFlush), sign = _mm_set1_pd(-0.0);

    __m128d Aout = pair(mid.Aout, side.Aout), Bout = pair(mid.Bout, side.Bout);
    __m128d hx1 = pair(mid.sideChain.x1, side.sideChain.x1), hy1 = pair(mid.sideChain.y1, side.sideChain.y1);
    __m128d xA1 = pair(mid.xA1, side.xA1), yA1 = pair(mid.yA1, side.yA1), xA2 = pair(mid.branchA.x1, side.branchA.x1);
    __m128d xB1 = pair(mid.xB1, side.xB1), yB1 = pair(mid.yB1, side.yB1), xB2 = pair(mid.branchB.x1, side.branchB.x1);
    __m128d G = one;

    for (int n = 0; n < kBlockSize; ++n) {
        const __m128d x = _mm_cvtps_pd(_mm_unpacklo_ps(_mm_load_ss(pMidIn + n), _mm_load_ss(pSideIn + n)));
        const __m128d E = _mm_add_pd(Bout, Aout);
        G = _mm_sub_pd(one, _mm_mul_pd(E, k));
        const __m128d Gd = _mm_max_pd(gainFloor, _mm_mul_pd(G, drive)); // floor > Gd ? floor : Gd
        const __m128d y = _mm_add_pd(_mm_mul_pd(Gd, x), offset);
        const __m128 yf = _mm_cvtpd_ps(y);
        _mm_store_ss(pMidOut + n, yf);
        _mm_store_ss(pSideOut + n, _mm_shuffle_ps(yf, yf, 1));
        _mm_store_ss(pTrace + n, _mm_cvtpd_ps(G));
        const __m128d h = _mm_add_pd(_mm_add_pd(_mm_mul_pd(hB0, y), _mm_mul_pd(hB1, hx1)), _mm_mul_pd(hA1, hy1));
        hx1 = y;
        hy1 = h;
        const __m128d u = _mm_andnot_pd(sign, h);

        __m128d releaseA = _mm_mul_pd(Aout, relA);
        releaseA = _mm_andnot_pd(_mm_cmplt_pd(releaseA, flush), releaseA);
        __m128d releaseB = _mm_mul_pd(Bout, relB);
        releaseB = _mm_andnot_pd(_mm_cmplt_pd(releaseB, flush), releaseB);
        const __m128d charge = _mm_cmpgt_pd(u, E);
        // Most samples release in both lanes; branching on that (rather than
        // always blending) keeps the long gain -> side chain -> decision path
        // off the loop-carried chain while the branch predicts well.
        if (_mm_movemask_pd(charge) == 0) {
            Aout = xA1 = yA1 = xA2 = releaseA;
            Bout = xB1 = yB1 = xB2 = releaseB;
            continue;
        }
        const __m128d lA = _mm_add_pd(_mm_add_pd(_mm_mul_pd(B0, u), _mm_mul_pd(B1, xA1)), _mm_mul_pd(A1, yA1));
        const __m128d chargeA
            = _mm_add_pd(_mm_add_pd(_mm_mul_pd(aB0, lA), _mm_mul_pd(aB1, xA2)), _mm_mul_pd(aA1, Aout));
        const __m128d lB = _mm_add_pd(_mm_add_pd(_mm_mul_pd(B0, u), _mm_mul_pd(B1, xB1)), _mm_mul_pd(A1, yB1));
        const __m128d chargeB
            = _mm_add_pd(_mm_add_pd(_mm_mul_pd(bB0, lB), _mm_mul_pd(bB1, xB2)), _mm_mul_pd(bA1, Bout));
        // Per lane: the charge results where u > E, the release ones elsewhere.
        Aout = select(charge, chargeA, releaseA);
        xA1 = select(charge, u, releaseA);
        yA1 = select(charge, lA, releaseA);
        xA2 = select(charge, lA, releaseA);
        Bout = select(charge, chargeB, releaseB);
        xB1 = select(charge, u, releaseB);
        yB1 = select(charge, lB, releaseB);
        xB2 = select(charge, lB, releaseB);
    }

    double lanes[2][10];
    const __m128d state[10] = { Aout, Bout, hx1, hy1, xA1, yA1, xA2, xB1, yB1, xB2 };
    for (int i = 0; i < 10; ++i) {
        _mm_storel_pd(&lanes[0][i], state[i]);
        _mm_storeh_pd(&lanes[1][i], state[i]);
    }
    double gains[2];
    _mm_storeu_pd(gains, G);
    SC1Detector* pDetectors[2] = { &mid, &side };
    for (int lane = 0; lane < 2; ++lane) {
        const double* p = lanes[lane];
        StoreState(
            *pDetectors[lane], SState { p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8], p[9] }, gains[lane]);
    }
}
#endif

// Every double of the record, coefficients included.
bool IsFinite(const SC1Detector& d)
{
    for (const SC1Section* p : { &d.sideChain, &d.branchA, &d.branchB }) {
        if (!std::isfinite(p->B0) || !std::isfinite(p->B1) || !std::isfinite(p->A1) || !std::isfinite(p->x1)
            || !std::isfinite(p->y1))
            return false;
    }
    for (double f :
        { d.Aout, d.Bout, d.drive, d.k, d.B0, d.B1, d.A1, d.xA1, d.yA1, d.xB1, d.yB1, d.releaseA, d.releaseB }) {
        if (!std::isfinite(f))
            return false;
    }
    return true;
}

} // namespace

SC1HostDSP::SC1HostDSP()
    : mpMidScratch(AllocBlock())
    , mpSideScratch(AllocBlock())
    , mpMidResult(AllocBlock())
    , mpSideResult(AllocBlock())
    , mfSideLevel(1.0f)
    , mfOutputGain(1.0f)
    , mDetectors {}
    , mpSpareTrace(AllocBlock())
{
    ClearHistory();
}

SC1HostDSP::~SC1HostDSP()
{
    FreeBlock(mpSpareTrace);
    FreeBlock(mpSideResult);
    FreeBlock(mpMidResult);
    FreeBlock(mpSideScratch);
    FreeBlock(mpMidScratch);
}

void SC1HostDSP::ClearHistory()
{
    for (SC1Detector& d : mDetectors) {
        d.Aout = d.Bout = 0.0;
        d.sideChain.x1 = d.sideChain.y1 = 0.0;
        d.xA1 = d.yA1 = d.xB1 = d.yB1 = 0.0;
        d.branchA.x1 = d.branchA.y1 = 0.0;
        d.branchB.x1 = d.branchB.y1 = 0.0;
        d.gainHold.store(1.0f, std::memory_order_relaxed);
    }
}

void SC1HostDSP::GetSettings(SSettings& settings) const
{
    for (int i = 0; i < 2; ++i) {
        const SC1Detector& d = mDetectors[i];
        settings.detectors[i] = { d.drive, d.k, { d.sideChain.B0, d.sideChain.B1, d.sideChain.A1 },
            { d.B0, d.B1, d.A1 }, { d.branchA.B0, d.branchA.B1, d.branchA.A1 },
            { d.branchB.B0, d.branchB.B1, d.branchB.A1 }, d.releaseA, d.releaseB };
    }
    settings.sideLevel = mfSideLevel;
    settings.outputGain = mfOutputGain;
}

void SC1HostDSP::SetSettings(const SSettings& settings)
{
    auto copy = [](SC1Section& to, const double* pFrom) {
        to.B0 = pFrom[0];
        to.B1 = pFrom[1];
        to.A1 = pFrom[2];
    };
    for (int i = 0; i < 2; ++i) {
        SC1Detector& d = mDetectors[i];
        const SDetectorSettings& s = settings.detectors[i];
        d.drive = s.drive;
        d.k = s.k;
        copy(d.sideChain, s.sideChain);
        d.B0 = s.lowPass[0];
        d.B1 = s.lowPass[1];
        d.A1 = s.lowPass[2];
        copy(d.branchA, s.branchA);
        copy(d.branchB, s.branchB);
        d.releaseA = s.releaseA;
        d.releaseB = s.releaseB;
    }
    mfSideLevel = settings.sideLevel;
    mfOutputGain = settings.outputGain;
}

bool SC1HostDSP::IsStateFinite() const
{
    return IsFinite(mDetectors[0]) && IsFinite(mDetectors[1]);
}

void SC1HostDSP::Process(float** ppOut, float** ppIn, float** ppAux, int, int)
{
    float* pTrace = ppAux != nullptr && ppAux[0] != nullptr ? ppAux[0] : mpSpareTrace;
    if (channels == 1) {
        RunMono(mDetectors[0], ppIn[0], ppOut[0], pTrace);
        ApplyGain(ppOut[0], mfOutputGain);
        return;
    }
    if (channels < 2)
        return;

    SumDifference(mpMidScratch, mpSideScratch, ppIn[0], ppIn[1]);
    // The side detector runs before the mid one; the two share nothing, so
    // running them side by side gives the same results and a trace that ends
    // holding the mid detector's gains.
#ifdef VANTOR_HAVE_SSE2
    if (mbSIMD)
        RunStereoSSE(mDetectors[0], mDetectors[1], mpMidScratch, mpSideScratch, mpMidResult, mpSideResult, pTrace);
    else
#endif
        RunStereoScalar(mDetectors[0], mDetectors[1], mpMidScratch, mpSideScratch, mpMidResult, mpSideResult, pTrace);
    ApplyGain(mpMidResult, mfOutputGain);
    ApplyGain(mpSideResult, mfSideLevel * mfOutputGain);
    SumDifference(ppOut[0], ppOut[1], mpMidResult, mpSideResult);
}
