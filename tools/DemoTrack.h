// A short piece of music to master: drums, bass and chords at 120 beats a
// minute (A minor, F, C, G, one chord a bar), mixed with headroom like an
// unmastered mix. Deterministic: the same arguments give the same samples
// on every machine, so demo results and benchmarks compare.
#pragma once

#include <vector>

class CDemoTrack {
public:
    CDemoTrack(double fSampleRate, double fSeconds);

    // Interleaved stereo, full scale 1.0.
    std::vector<float> Render() const;

    long long GetFrames() const { return mnFrames; }

private:
    void AddDrums(std::vector<float>& mix) const;
    void AddBass(std::vector<float>& mix) const;
    void AddChords(std::vector<float>& mix) const;

    double mfRate;
    long long mnFrames;
};
