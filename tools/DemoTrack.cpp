#include "DemoTrack.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr double kBeatsPerSecond = 2.0; // 120 beats a minute
constexpr double kPi = 3.14159265358979323846;

// The progression, one chord a bar: MIDI notes of the chords' three voices
// and the bass root.
constexpr int kChords[4][3] = { { 57, 60, 64 }, { 53, 57, 60 }, { 55, 60, 64 }, { 55, 59, 62 } };
constexpr int kBassRoots[4] = { 33, 29, 36, 31 };

double NoteHz(int nNote)
{
    return 440.0 * std::pow(2.0, (nNote - 69) / 12.0);
}

// xorshift32 mapped to -1..1: the same noise everywhere.
class CNoise {
public:
    explicit CNoise(uint32_t nSeed)
        : mnState(nSeed)
    { }
    double Next()
    {
        mnState ^= mnState << 13;
        mnState ^= mnState >> 17;
        mnState ^= mnState << 5;
        return mnState / 2147483648.0 - 1.0;
    }

private:
    uint32_t mnState;
};

} // namespace

CDemoTrack::CDemoTrack(double fSampleRate, double fSeconds)
    : mfRate(fSampleRate)
    , mnFrames(static_cast<long long>(fSampleRate * fSeconds))
{ }

std::vector<float> CDemoTrack::Render() const
{
    std::vector<float> mix(static_cast<size_t>(2 * mnFrames), 0.0f);
    AddDrums(mix);
    AddBass(mix);
    AddChords(mix);
    // Headroom of an unmastered mix: peaks near -6 dBFS, about -20 LUFS.
    for (float& f : mix)
        f *= 0.4f;
    return mix;
}

void CDemoTrack::AddDrums(std::vector<float>& mix) const
{
    CNoise noise(0x1234567u);
    const long long nEighth = static_cast<long long>(mfRate / kBeatsPerSecond / 2.0);
    double fHatState = 0.0;
    for (long long nStart = 0, nStep = 0; nStart < mnFrames; nStart += nEighth, ++nStep) {
        const int nBeatStep = static_cast<int>(nStep % 8); // eighths of a bar
        const bool bKick = nBeatStep == 0 || nBeatStep == 4 || (nBeatStep == 5 && (nStep / 8) % 2 == 1);
        const bool bSnare = nBeatStep == 2 || nBeatStep == 6;
        for (long long i = 0; i < nEighth && nStart + i < mnFrames; ++i) {
            const double t = i / mfRate;
            double fCentre = 0.0, fRight = 0.0;
            if (bKick) {
                // A sine falling from 150 Hz to 50 Hz; the phase is the integral.
                const double fPhase = 2.0 * kPi * (50.0 * t + 100.0 * (1.0 - std::exp(-t * 30.0)) / 30.0);
                fCentre += 0.9 * std::sin(fPhase) * std::exp(-t * 9.0);
            }
            const double fWhite = noise.Next();
            if (bSnare)
                fCentre += (0.35 * fWhite + 0.3 * std::sin(2.0 * kPi * 185.0 * t)) * std::exp(-t * 18.0);
            // Hats: noise minus its low part, every eighth, accented on the beat.
            fHatState += 0.3 * (fWhite - fHatState);
            fRight += (nBeatStep % 2 == 0 ? 0.16 : 0.1) * (fWhite - fHatState) * std::exp(-t * 60.0);
            const size_t n = static_cast<size_t>(2 * (nStart + i));
            mix[n] += static_cast<float>(fCentre + 0.6 * fRight);
            mix[n + 1] += static_cast<float>(fCentre + fRight);
        }
    }
}

void CDemoTrack::AddBass(std::vector<float>& mix) const
{
    const long long nEighth = static_cast<long long>(mfRate / kBeatsPerSecond / 2.0);
    double fPhase = 0.0, fLow = 0.0;
    for (long long n = 0; n < mnFrames; ++n) {
        const long long nStep = n / nEighth;
        const int nBar = static_cast<int>((nStep / 8) % 4);
        // Root on every eighth, up an octave on the last one of the bar.
        const int nNote = kBassRoots[nBar] + (nStep % 8 == 7 ? 12 : 0);
        const double t = static_cast<double>(n % nEighth) / mfRate;
        fPhase += NoteHz(nNote) / mfRate;
        fPhase -= std::floor(fPhase);
        // A sawtooth through a one-pole low-pass, plucked by its envelope.
        const double fSaw = 2.0 * fPhase - 1.0;
        fLow += 0.08 * (fSaw - fLow);
        const double fSample = 0.45 * fLow * (0.4 + 0.6 * std::exp(-t * 12.0));
        mix[static_cast<size_t>(2 * n)] += static_cast<float>(fSample);
        mix[static_cast<size_t>(2 * n + 1)] += static_cast<float>(fSample);
    }
}

void CDemoTrack::AddChords(std::vector<float>& mix) const
{
    const long long nBar = static_cast<long long>(4.0 * mfRate / kBeatsPerSecond);
    double fPhase[3][2] = {};
    double fLow[2] = {};
    for (long long n = 0; n < mnFrames; ++n) {
        const int nChord = static_cast<int>((n / nBar) % 4);
        const double t = static_cast<double>(n % nBar) / mfRate;
        const double fEnvelope = (1.0 - std::exp(-t * 6.0)) * std::exp(-t * 0.4);
        for (int nSide = 0; nSide < 2; ++nSide) {
            double fSum = 0.0;
            for (int v = 0; v < 3; ++v) {
                // Left and right detuned apart make the chords wide.
                const double fHz = NoteHz(kChords[nChord][v]) * (nSide == 0 ? 0.997 : 1.003);
                fPhase[v][nSide] += fHz / mfRate;
                fPhase[v][nSide] -= std::floor(fPhase[v][nSide]);
                fSum += 2.0 * fPhase[v][nSide] - 1.0;
            }
            fLow[nSide] += 0.05 * (fSum - fLow[nSide]);
            mix[static_cast<size_t>(2 * n + nSide)] += static_cast<float>(0.12 * fLow[nSide] * fEnvelope);
        }
    }
}
