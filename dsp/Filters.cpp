#include "Filters.h"

#include <cmath>

#if defined(__x86_64__) || defined(__SSE2__)
#include <emmintrin.h>
#define VANTOR_HAVE_SSE2 1
#endif

namespace dsp {

namespace {
bool AllFinite(std::initializer_list<double> values)
{
    for (double f : values) {
        if (!std::isfinite(f) || !std::isfinite(static_cast<float>(f)))
            return false;
    }
    return true;
}
} // namespace

bool Bilinear(const SPrototype2& p, SBiquad* pSections, int nChannels)
{
    const double K = 2.0 * p.fs;
    const double K2 = K * K;
    const float D = static_cast<float>(K2 * p.a2 + p.a0);
    const double E = K * p.a1;
    const double N = E + D;
    const float R = static_cast<float>(1.0 / N);
    const double B0 = (K * p.b1 + K2 * p.b2 + p.b0) * R;
    const double B1 = 2.0 * (p.b0 - K2 * p.b2) * R;
    const double B2 = (K2 * p.b2 + p.b0 - K * p.b1) * R;
    const double A1 = -2.0 * (p.a0 - K2 * p.a2) * R;
    const double A2 = (static_cast<double>(static_cast<float>(E)) - D) * R;
    if (!AllFinite({ B0, B1, B2, A1, A2 }))
        return false;
    for (int ch = 0; ch < nChannels; ++ch) {
        SBiquad& s = pSections[ch];
        s.B0 = static_cast<float>(B0);
        s.B1 = static_cast<float>(B1);
        s.B2 = static_cast<float>(B2);
        s.A1 = static_cast<float>(A1);
        s.A2 = static_cast<float>(A2);
    }
    return true;
}

bool Bilinear(const SPrototype1& p, SFirstOrderCoefficients* pResult)
{
    const double K = 2.0 * p.fs;
    const double R = 1.0 / (K * p.a1 + p.a0);
    const double B0 = (K * p.b1 + p.b0) * R;
    const double B1 = (p.b0 - K * p.b1) * R;
    const double A1 = (K * p.a1 - p.a0) * R;
    if (!AllFinite({ B0, B1, A1 }))
        return false;
    *pResult = { B0, B1, A1 };
    return true;
}

bool Bilinear(const SPrototype1& prototype, SFirstOrder* pSections, int nChannels)
{
    SFirstOrderCoefficients c;
    if (!Bilinear(prototype, &c))
        return false;
    for (int ch = 0; ch < nChannels; ++ch) {
        pSections[ch].B0 = static_cast<float>(c.B0);
        pSections[ch].B1 = static_cast<float>(c.B1);
        pSections[ch].A1 = static_cast<float>(c.A1);
    }
    return true;
}

void RunBiquad(SBiquad& s, const float* pIn, float* pOut)
{
    const double B0 = s.B0, B1 = s.B1, B2 = s.B2, A1 = s.A1, A2 = s.A2;
    double x1 = s.x1, x2 = s.x2, y1 = s.y1, y2 = s.y2;
    for (int n = 0; n < kBlockSize; ++n) {
        const double x0 = pIn[n];
        const float y0 = static_cast<float>(B0 * x0 + B1 * x1 + B2 * x2 + A1 * y1 + A2 * y2);
        pOut[n] = y0;
        x2 = x1;
        x1 = x0;
        y2 = y1;
        y1 = y0;
    }
    s.x1 = static_cast<float>(x1);
    s.x2 = static_cast<float>(x2);
    s.y1 = static_cast<float>(y1);
    s.y2 = static_cast<float>(y2);
}

void RunBiquadStereo(SBiquad* pSections, const float* pIn0, const float* pIn1, float* pOut0, float* pOut1, bool bSIMD)
{
#ifdef VANTOR_HAVE_SSE2
    if (bSIMD) {
        SBiquad& l = pSections[0];
        SBiquad& r = pSections[1];
        const __m128d B0 = _mm_set_pd(r.B0, l.B0), B1 = _mm_set_pd(r.B1, l.B1), B2 = _mm_set_pd(r.B2, l.B2);
        const __m128d A1 = _mm_set_pd(r.A1, l.A1), A2 = _mm_set_pd(r.A2, l.A2);
        __m128d x1 = _mm_set_pd(r.x1, l.x1), x2 = _mm_set_pd(r.x2, l.x2);
        __m128d y1 = _mm_set_pd(r.y1, l.y1), y2 = _mm_set_pd(r.y2, l.y2);
        for (int n = 0; n < kBlockSize; ++n) {
            const __m128d x0 = _mm_cvtps_pd(_mm_unpacklo_ps(_mm_load_ss(pIn0 + n), _mm_load_ss(pIn1 + n)));
            // The same operations in the same order as RunBiquad, per lane.
            __m128d sum = _mm_mul_pd(B0, x0);
            sum = _mm_add_pd(sum, _mm_mul_pd(B1, x1));
            sum = _mm_add_pd(sum, _mm_mul_pd(B2, x2));
            sum = _mm_add_pd(sum, _mm_mul_pd(A1, y1));
            sum = _mm_add_pd(sum, _mm_mul_pd(A2, y2));
            const __m128 y0f = _mm_cvtpd_ps(sum);
            _mm_store_ss(pOut0 + n, y0f);
            _mm_store_ss(pOut1 + n, _mm_shuffle_ps(y0f, y0f, 1));
            x2 = x1;
            x1 = x0;
            y2 = y1;
            y1 = _mm_cvtps_pd(y0f);
        }
        double lanes[2];
        _mm_storeu_pd(lanes, x1);
        l.x1 = static_cast<float>(lanes[0]);
        r.x1 = static_cast<float>(lanes[1]);
        _mm_storeu_pd(lanes, x2);
        l.x2 = static_cast<float>(lanes[0]);
        r.x2 = static_cast<float>(lanes[1]);
        _mm_storeu_pd(lanes, y1);
        l.y1 = static_cast<float>(lanes[0]);
        r.y1 = static_cast<float>(lanes[1]);
        _mm_storeu_pd(lanes, y2);
        l.y2 = static_cast<float>(lanes[0]);
        r.y2 = static_cast<float>(lanes[1]);
        return;
    }
#else
    (void)bSIMD;
#endif
    RunBiquad(pSections[0], pIn0, pOut0);
    RunBiquad(pSections[1], pIn1, pOut1);
}

void RunFirstOrder(SFirstOrder& s, const float* pIn, float* pOut)
{
    const double B0 = s.B0, B1 = s.B1, A1 = s.A1;
    double x1 = s.x1, y1 = s.y1;
    for (int n = 0; n < kBlockSize; ++n) {
        const double x0 = pIn[n];
        const float y0 = static_cast<float>(B0 * x0 + B1 * x1 + A1 * y1);
        pOut[n] = y0;
        x1 = x0;
        y1 = y0;
    }
    s.x1 = static_cast<float>(x1);
    s.y1 = static_cast<float>(y1);
}

void ClearHistory(SBiquad& s)
{
    s.x1 = s.x2 = s.y1 = s.y2 = 0.0f;
}

void ClearHistory(SFirstOrder& s)
{
    s.x1 = s.y1 = 0.0f;
}

bool IsHistoryFinite(const SBiquad& s)
{
    return std::isfinite(s.x1) && std::isfinite(s.x2) && std::isfinite(s.y1) && std::isfinite(s.y2);
}

bool IsHistoryFinite(const SFirstOrder& s)
{
    return std::isfinite(s.x1) && std::isfinite(s.y1);
}

} // namespace dsp
