/* lv2-bench-signal OUT.wav [SECONDS]: the input of the LV2 speed comparison,
 * 44.1 kHz stereo 32-bit float (3 minutes by default). Tones, noise and
 * transients whose level changes every two seconds between quiet passages
 * and peaks just under full scale, so every dynamics stage works. */
#include <math.h>
#include <sndfile.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: lv2-bench-signal OUT.wav [SECONDS]\n");
        return 1;
    }
    const int nRate = 44100;
    const long nFrames = (long)(nRate * (argc > 2 ? atof(argv[2]) : 180.0));
    float* pfFrames = malloc(sizeof(float) * 2 * (size_t)nFrames);
    if (pfFrames == NULL)
        return 1;
    unsigned nNoise = 12345u;
    double fLow = 0.0, fPeak = 0.0;
    for (long n = 0; n < nFrames; ++n) {
        const double t = (double)n / nRate;
        /* Levels of the two-second sections cycle through -24, -12, -6 and -1 dB. */
        static const double kLevels[4] = {0.063, 0.25, 0.5, 0.89};
        const double fLevel = kLevels[(n / (2 * nRate)) % 4];
        nNoise = nNoise * 1664525u + 1013904223u;
        const double fWhite = (double)(nNoise >> 8) / 8388608.0 - 1.0;
        fLow += 0.05 * (fWhite - fLow);
        const double fBeat = fmod(t, 0.5);
        const double fKick = exp(-fBeat * 30.0) * sin(2.0 * M_PI * 55.0 * fBeat);
        const double fTones = 0.4 * sin(2.0 * M_PI * 110.0 * t) + 0.2 * sin(2.0 * M_PI * 440.0 * t) +
                              0.1 * sin(2.0 * M_PI * 3520.0 * t);
        const double fLeft = fLevel * (0.45 * fTones + 0.35 * fKick + 0.15 * fWhite + 0.3 * fLow);
        const double fRight = fLevel * (0.4 * fTones + 0.35 * fKick + 0.2 * fWhite + 0.25 * fLow);
        pfFrames[2 * n] = (float)fLeft;
        pfFrames[2 * n + 1] = (float)fRight;
        fPeak = fmax(fPeak, fmax(fabs(fLeft), fabs(fRight)));
    }
    /* Peaks at -0.3 dBFS. */
    const double fScale = 0.966 / fPeak;
    for (long i = 0; i < 2 * nFrames; ++i)
        pfFrames[i] = (float)(pfFrames[i] * fScale);
    SF_INFO info = {0};
    info.samplerate = nRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* pFile = sf_open(argv[1], SFM_WRITE, &info);
    if (pFile == NULL) {
        fprintf(stderr, "lv2-bench-signal: %s\n", sf_strerror(NULL));
        return 1;
    }
    sf_writef_float(pFile, pfFrames, nFrames);
    sf_close(pFile);
    free(pfFrames);
    return 0;
}
