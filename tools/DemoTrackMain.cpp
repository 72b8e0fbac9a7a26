// vantor-demotrack: writes the demo track (drums, bass, chords) as a WAV
// file for `make demo`, the benchmarks and the tests.
//   vantor-demotrack OUT.wav [--seconds S] [--rate HZ] [--float]
#include "DemoTrack.h"

#include <sndfile.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    std::string sOutput;
    double fSeconds = 30.0;
    double fRate = 44100.0;
    bool bFloat = false;
    for (int i = 1; i < argc; ++i) {
        const std::string sArgument = argv[i];
        if (sArgument == "--seconds" && i + 1 < argc)
            fSeconds = std::atof(argv[++i]);
        else if (sArgument == "--rate" && i + 1 < argc)
            fRate = std::atof(argv[++i]);
        else if (sArgument == "--float")
            bFloat = true;
        else if (sOutput.empty() && sArgument[0] != '-')
            sOutput = sArgument;
        else {
            std::fprintf(stderr, "usage: vantor-demotrack OUT.wav [--seconds S] [--rate HZ] [--float]\n");
            return 1;
        }
    }
    if (sOutput.empty() || !(fSeconds > 0.0 && fSeconds <= 3600.0) || !(fRate >= 8000.0 && fRate <= 384000.0)) {
        std::fprintf(stderr, "usage: vantor-demotrack OUT.wav [--seconds S (0..3600)] [--rate HZ] [--float]\n");
        return 1;
    }
    const CDemoTrack track(fRate, fSeconds);
    const std::vector<float> samples = track.Render();
    SF_INFO info {};
    info.samplerate = static_cast<int>(fRate);
    info.channels = 2;
    info.format = SF_FORMAT_WAV | (bFloat ? SF_FORMAT_FLOAT : SF_FORMAT_PCM_24);
    SNDFILE* pFile = sf_open(sOutput.c_str(), SFM_WRITE, &info);
    if (pFile == nullptr) {
        std::fprintf(stderr, "vantor-demotrack: cannot write %s: %s\n", sOutput.c_str(), sf_strerror(nullptr));
        return 2;
    }
    sf_set_string(pFile, SF_STR_TITLE, "Vantor demo track");
    sf_set_string(pFile, SF_STR_ARTIST, "vantor-demotrack");
    const sf_count_t nWritten = sf_writef_float(pFile, samples.data(), track.GetFrames());
    if (nWritten != track.GetFrames() || sf_close(pFile) != 0) {
        std::fprintf(stderr, "vantor-demotrack: writing %s failed\n", sOutput.c_str());
        std::remove(sOutput.c_str());
        return 2;
    }
    return 0;
}
