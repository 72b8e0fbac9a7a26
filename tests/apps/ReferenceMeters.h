// Meters written for the tests, independent of the tool's: the figures the
// tool prints are checked against these.
//
// ReferencePeak: every sample spread over 16 points per sample by a windowed
// sinc evaluated directly in double precision (Blackman-Harris window over
// 2 x kReferenceHalfWidth samples), the largest magnitude of those points.
// ReferenceLoudness: integrated loudness after ITU-R BS.1770-4 at 48 kHz,
// the K-weighting coefficients typed from the recommendation's tables, 400 ms
// blocks every 100 ms, the absolute (-70 LUFS) and relative (-10 LU) gates.
#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

namespace reference {

constexpr int kFactor = 16;
constexpr int kHalfWidth = 256;

// Kernel[k][m]: the weight of input sample i - m + kHalfWidth - 1 for the
// point k / 16 after sample i.
inline const std::vector<std::vector<double>>& Kernel()
{
    static const std::vector<std::vector<double>> kernel = [] {
        std::vector<std::vector<double>> table(kFactor, std::vector<double>(2 * kHalfWidth));
        for (int k = 0; k < kFactor; ++k) {
            for (int m = 0; m < 2 * kHalfWidth; ++m) {
                const double d = static_cast<double>(k) / kFactor + (m - kHalfWidth + 1);
                const double fSinc = d == 0.0 ? 1.0 : std::sin(M_PI * d) / (M_PI * d);
                const double w = 2.0 * M_PI * (d + kHalfWidth) / (2.0 * kHalfWidth);
                const double fWindow
                    = 0.35875 - 0.48829 * std::cos(w) + 0.14128 * std::cos(2.0 * w) - 0.01168 * std::cos(3.0 * w);
                table[static_cast<size_t>(k)][static_cast<size_t>(m)] = fSinc * fWindow;
            }
        }
        return table;
    }();
    return kernel;
}

// 16x oversampled peak of channel nChannel of interleaved audio, the signal
// taken as silent outside. Points are computed only between samples whose
// neighbourhood comes within fSkipDb of the sample peak (a band-limited
// peak lies near large samples; 0 computes every point).
inline double Peak(const std::vector<float>& audio, int nChannels = 1, int nChannel = 0, double fSkipDb = 0.0)
{
    const std::vector<std::vector<double>>& kernel = Kernel();
    const long long n = static_cast<long long>(audio.size()) / nChannels;
    auto X = [&](long long j) { return audio[static_cast<size_t>(j * nChannels + nChannel)]; };
    double fSamplePeak = 0.0;
    for (long long j = 0; j < n; ++j)
        fSamplePeak = std::max(fSamplePeak, static_cast<double>(std::fabs(X(j))));
    const double fFloor = fSkipDb > 0.0 ? fSamplePeak * std::pow(10.0, -fSkipDb / 20.0) : 0.0;
    double fPeak = fSamplePeak;
    for (long long i = -4; i < n + 4; ++i) {
        if (fFloor > 0.0) {
            double fNear = 0.0;
            for (long long j = std::max(0LL, i - 3); j <= std::min(n - 1, i + 4); ++j)
                fNear = std::max(fNear, static_cast<double>(std::fabs(X(j))));
            if (fNear < fFloor)
                continue;
        }
        for (int k = 1; k < kFactor; ++k) {
            double fSum = 0.0;
            const std::vector<double>& row = kernel[static_cast<size_t>(k)];
            for (int m = 0; m < 2 * kHalfWidth; ++m) {
                const long long j = i - m + kHalfWidth - 1;
                if (j >= 0 && j < n)
                    fSum += X(j) * row[static_cast<size_t>(m)];
            }
            fPeak = std::max(fPeak, std::fabs(fSum));
        }
    }
    return fPeak;
}

inline double PeakDb(const std::vector<float>& audio, int nChannels, double fSkipDb = 0.0)
{
    double fPeak = 0.0;
    for (int c = 0; c < nChannels; ++c)
        fPeak = std::max(fPeak, Peak(audio, nChannels, c, fSkipDb));
    return 20.0 * std::log10(fPeak);
}

// The K-weighted energy of each 100 ms step of interleaved 48 kHz audio,
// summed over the channels.
inline std::vector<double> StepEnergies48k(const std::vector<float>& audio, int nChannels)
{
    // BS.1770-4 Table 1 (the shelving pre-filter) and Table 2 (the RLB
    // high-pass), both at 48 kHz.
    const double b1[3] = { 1.53512485958697, -2.69169618940638, 1.19839281085285 };
    const double a1[3] = { 1.0, -1.69065929318241, 0.73248077421585 };
    const double b2[3] = { 1.0, -2.0, 1.0 };
    const double a2[3] = { 1.0, -1.99004745483398, 0.99007225036621 };
    const long long n = static_cast<long long>(audio.size()) / nChannels;
    constexpr long long kStep = 4800; // 100 ms
    const long long nSteps = n / kStep;
    std::vector<double> stepEnergy(static_cast<size_t>(nSteps), 0.0);
    for (int c = 0; c < nChannels; ++c) {
        double x1 = 0, x2 = 0, y1 = 0, y2 = 0, z1 = 0, z2 = 0;
        for (long long i = 0; i < nSteps * kStep; ++i) {
            const double x = audio[static_cast<size_t>(i * nChannels + c)];
            const double y = b1[0] * x + b1[1] * x1 + b1[2] * x2 - a1[1] * y1 - a1[2] * y2;
            const double z = b2[0] * y + b2[1] * y1 + b2[2] * y2 - a2[1] * z1 - a2[2] * z2;
            x2 = x1;
            x1 = x;
            y2 = y1;
            y1 = y;
            z2 = z1;
            z1 = z;
            stepEnergy[static_cast<size_t>(i / kStep)] += z * z;
        }
    }
    return stepEnergy;
}

inline double Lufs(double fMeanSquare)
{
    return fMeanSquare > 0.0 ? -0.691 + 10.0 * std::log10(fMeanSquare) : -HUGE_VAL;
}

// The loudest window of nSteps x 100 ms, every 100 ms: 4 for momentary,
// 30 for short-term loudness.
inline double MaxWindow48k(const std::vector<float>& audio, int nChannels, int nSteps)
{
    const std::vector<double> steps = StepEnergies48k(audio, nChannels);
    double fLargest = 0.0;
    for (size_t s = 0; s + nSteps <= steps.size(); ++s) {
        double fSum = 0.0;
        for (size_t k = s; k < s + nSteps; ++k)
            fSum += steps[k];
        fLargest = std::max(fLargest, fSum / (nSteps * 4800.0));
    }
    return Lufs(fLargest);
}

// Integrated loudness (LUFS) of interleaved 48 kHz audio; -inf for silence.
inline double Loudness48k(const std::vector<float>& audio, int nChannels)
{
    const std::vector<double> stepEnergy = StepEnergies48k(audio, nChannels);
    constexpr long long kStep = 4800;
    const long long nSteps = static_cast<long long>(stepEnergy.size());
    // 400 ms blocks overlapping by 75 %: four steps each.
    std::vector<double> blocks;
    for (long long s = 0; s + 4 <= nSteps; ++s) {
        double fSum = 0.0;
        for (long long k = s; k < s + 4; ++k)
            fSum += stepEnergy[static_cast<size_t>(k)];
        blocks.push_back(fSum / (4.0 * kStep));
    }
    auto GatedMean = [&](double fGate) {
        double fSum = 0.0;
        int nCount = 0;
        for (const double z : blocks) {
            if (z > 0.0 && Lufs(z) > fGate) {
                fSum += z;
                ++nCount;
            }
        }
        return nCount > 0 ? fSum / nCount : 0.0;
    };
    const double fAbsolute = GatedMean(-70.0);
    if (fAbsolute <= 0.0)
        return -HUGE_VAL;
    return Lufs(GatedMean(Lufs(fAbsolute) - 10.0));
}

} // namespace reference
