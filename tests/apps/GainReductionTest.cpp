// The report's compressor and limiter gain reduction against the needles of
// the modules' gain meters read by the test on the same audio (a process of
// the same settings, polled every 256 frames through the meter interface),
// and the compressor's figure against the level it took from a steady tone
// (output over input at the driven level, compared with the same at a level
// far under its threshold).
#include "TestFolder.h"
#include "ToolRun.h"
#include "apps/vantor/ChainRunner.h"
#include "apps/vantor/PlotPainter.h"
#include "apps/vantor/PresetStore.h"
#include "host-interface/vpaMeters.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr int kRate = 48000;

// The number after "KEY": (and for a list its nth entry); NaN when absent or null.
double JsonValue(const std::string& sJson, const std::string& sKey, int nEntry = 0)
{
    size_t nAt = sJson.find("\"" + sKey + "\": ");
    if (nAt == std::string::npos)
        return NAN;
    const char* psz = sJson.c_str() + nAt + sKey.size() + 4;
    if (*psz == '[')
        ++psz;
    for (char* pszEnd = nullptr;; --nEntry) {
        const double f = std::strtod(psz, &pszEnd);
        if (pszEnd == psz)
            return NAN;
        if (nEntry == 0)
            return f;
        psz = pszEnd + 1;
    }
}

// A 1 kHz tone rising by 1 dB over its length (so the loudest passage is at
// its end, where everything has settled), the same in every channel.
SAudio RisingTone(double fSeconds, int nChannels, double fStartDb)
{
    SAudio audio;
    audio.nRate = kRate;
    audio.nChannels = nChannels;
    const long long nFrames = static_cast<long long>(fSeconds * kRate);
    audio.samples.resize(static_cast<size_t>(nFrames * nChannels));
    for (long long i = 0; i < nFrames; ++i) {
        const double fDb = fStartDb + static_cast<double>(i) / static_cast<double>(nFrames);
        const float f = static_cast<float>(std::pow(10.0, fDb / 20.0) * std::sin(2.0 * M_PI * 1000.0 * i / kRate));
        for (int c = 0; c < nChannels; ++c)
            audio.samples[static_cast<size_t>(i * nChannels + c)] = f;
    }
    return audio;
}

struct SNeedleRun {
    double fCompressorDb = 0.0, fLimiterDb = 0.0; // deepest needle readings in the stretch
    std::vector<float> output;
};

// The audio through a process of the settings in blocks of 256 frames,
// reading both needles after every block that ends inside [fFrom, fTo] s.
SNeedleRun RunWithNeedles(
    const SAudio& audio, unsigned nMode, const std::vector<std::string>& sets, double fFrom, double fTo)
{
    CVantorEngine engine;
    engine.Load();
    CPresetStore store(engine.GetPresetsFolder());
    CProcessSettings settings;
    SSettingsRequest request;
    request.nMode = nMode;
    request.sets = sets;
    settings.Prepare(request, engine, store);
    const unsigned nChannels = static_cast<unsigned>(audio.nChannels);
    CChainRunner runner(engine, settings, nChannels, audio.nRate, true);
    vpa::IMeters* pMeters = vpa::FindMeters(&runner.GetProcess());
    EXPECT_NE(pMeters, nullptr);
    SNeedleRun run;
    run.output.resize(audio.samples.size() + CChainRunner::kLatencyFrames * nChannels);
    double fCompressor = 1.0, fLimiter = 1.0;
    size_t nOut = 0;
    constexpr unsigned kBlock = 256;
    for (long long nAt = 0; nAt < audio.Frames(); nAt += kBlock) {
        const unsigned n = static_cast<unsigned>(std::min<long long>(kBlock, audio.Frames() - nAt));
        nOut += runner.Process(audio.samples.data() + nAt * nChannels, n, run.output.data() + nOut * nChannels);
        const double fEnd = static_cast<double>(nAt + n) / audio.nRate;
        if (pMeters != nullptr && fEnd > fFrom && fEnd <= fTo) {
            fCompressor = std::min<double>(fCompressor, pMeters->GetMeterValue(0));
            fLimiter = std::min<double>(fLimiter, pMeters->GetMeterValue(1));
        }
    }
    run.output.resize(nOut * nChannels);
    run.fCompressorDb = -20.0 * std::log10(fCompressor);
    run.fLimiterDb = -20.0 * std::log10(fLimiter);
    return run;
}

double RmsRatioDb(const std::vector<float>& out, const std::vector<float>& in, size_t nFrom, size_t nTo)
{
    double fOut = 0.0, fIn = 0.0;
    for (size_t i = nFrom; i < nTo; ++i) {
        fOut += static_cast<double>(out[i]) * out[i];
        fIn += static_cast<double>(in[i]) * in[i];
    }
    return 10.0 * std::log10(fOut / fIn);
}

SToolRun Master(const CTestFolder& folder, const SAudio& audio, const std::vector<std::string>& options)
{
    EXPECT_TRUE(WriteAudio(folder.Path("in.wav"), audio));
    std::vector<std::string> args = { "master", "--report", "json", "-f" };
    args.insert(args.end(), options.begin(), options.end());
    args.push_back(folder.Path("in.wav"));
    args.push_back(folder.Path("out.wav"));
    SToolRun run = RunTool(folder.Root(), args);
    EXPECT_EQ(run.nExitCode, 0) << run.sErr;
    return run;
}

} // namespace

TEST(GainReduction, ACompressedToneReadsTheNeedleAndTheLevelTheCompressorTookAway)
{
    CTestFolder folder;
    const std::vector<std::string> sets = { "CInput=9" };
    const SAudio tone = RisingTone(10.0, 2, -7.0);
    const SToolRun run
        = Master(folder, tone, { "--mode", "compressor", "--set", sets[0], "--plot", folder.Path("tone.png") });
    const double fReport = JsonValue(run.sOut, "compressor");
    const double fFrom = JsonValue(run.sOut, "passage_seconds", 0), fTo = JsonValue(run.sOut, "passage_seconds", 1);
    EXPECT_NEAR(fTo, 10.0, 0.2) << "the loudest passage is the end";

    const SNeedleRun needles = RunWithNeedles(tone, kModeCompressor, sets, fFrom, fTo);
    EXPECT_GT(needles.fCompressorDb, 3.0) << "the compressor works hard";
    EXPECT_NEAR(fReport, needles.fCompressorDb, 0.05);

    // The level taken away over the passage's last half second: the gain at
    // the driven level against the gain of the same chain at -60 dBFS.
    const SAudio quiet = RisingTone(4.0, 2, -60.0);
    const SNeedleRun linear = RunWithNeedles(quiet, kModeCompressor, sets, 0.0, 0.0);
    const double fLinearDb = RmsRatioDb(linear.output, quiet.samples, 2 * kRate * 3, 2 * kRate * 4);
    const size_t nEnd = static_cast<size_t>(fTo * kRate) * 2;
    const double fDrivenDb = RmsRatioDb(needles.output, tone.samples, nEnd - kRate, nEnd);
    EXPECT_NEAR(fReport, fLinearDb - fDrivenDb, 0.3);
    EXPECT_TRUE(std::isnan(JsonValue(run.sOut, "limiter"))) << "no limiter runs in compressor mode";

    // The picture's compressor curve near the end lies at the figure on the
    // gain-reduction scale (the line's own colour, darkest in its column).
    SPlotData scale;
    scale.gains.compressor.Add(fReport);
    const SPlotPanel panel = CPlotPainter(scale).GetReductionPanel();
    cairo_surface_t* pPicture = cairo_image_surface_create_from_png(folder.Path("tone.png").c_str());
    ASSERT_EQ(cairo_surface_status(pPicture), CAIRO_STATUS_SUCCESS);
    const int x = static_cast<int>(std::lround(panel.fLeft + 9.7 / 10.0 * panel.fWidth));
    int nBestY = -1, nBest = 1 << 30;
    for (int y = static_cast<int>(panel.fTop); y < static_cast<int>(panel.fTop + panel.fHeight); ++y) {
        const uint32_t p = *reinterpret_cast<const uint32_t*>(
            cairo_image_surface_get_data(pPicture) + y * cairo_image_surface_get_stride(pPicture) + 4 * x);
        const int r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
        const int nDistance = (r - 0x80) * (r - 0x80) + (g - 0x47) * (g - 0x47) + (b - 0xC7) * (b - 0xC7);
        if (nDistance < nBest) {
            nBest = nDistance;
            nBestY = y;
        }
    }
    cairo_surface_destroy(pPicture);
    const double fDrawnDb
        = -(panel.fHighest - (nBestY - panel.fTop) / panel.fHeight * (panel.fHighest - panel.fLowest));
    EXPECT_NEAR(fDrawnDb, fReport, 0.3);
}

TEST(GainReduction, AStereoToneReadsAsTheSameToneInMono)
{
    CTestFolder folder;
    const std::vector<std::string> options = { "--set", "CInput=9", "--set", "Drive=6" };
    const SToolRun stereo = Master(folder, RisingTone(8.0, 2, -8.0), options);
    const SToolRun mono = Master(folder, RisingTone(8.0, 1, -8.0), options);
    const double fCompressor = JsonValue(stereo.sOut, "compressor"), fLimiter = JsonValue(stereo.sOut, "limiter");
    EXPECT_GT(fCompressor, 3.0);
    EXPECT_GT(fLimiter, 0.5);
    EXPECT_NEAR(JsonValue(mono.sOut, "compressor"), fCompressor, 0.011);
    EXPECT_NEAR(JsonValue(mono.sOut, "limiter"), fLimiter, 0.011);
}

TEST(GainReduction, ABrickwalledMixReadsTheNeedlesOfBothModules)
{
    CTestFolder folder;
    SAudio mix;
    mix.nRate = kRate;
    mix.nChannels = 2;
    const long long nFrames = 12LL * kRate;
    mix.samples.resize(static_cast<size_t>(2 * nFrames));
    uint32_t nState = 11;
    for (long long i = 0; i < nFrames; ++i) {
        const double t = static_cast<double>(i) / kRate;
        nState ^= nState << 13;
        nState ^= nState >> 17;
        nState ^= nState << 5;
        const double fNoise = nState / 4294967296.0 - 0.5;
        const double fBeat = std::fmod(t, 0.5);
        for (int c = 0; c < 2; ++c) {
            const double f = std::sin(2.0 * M_PI * 97.0 * t) + 0.7 * std::sin(2.0 * M_PI * 1234.0 * t + c)
                + 0.8 * fNoise + 2.0 * std::exp(-fBeat * 12.0) * std::sin(2.0 * M_PI * 50.0 * fBeat);
            mix.samples[static_cast<size_t>(2 * i + c)] = static_cast<float>(std::clamp(f, -1.0, 1.0));
        }
    }
    const std::vector<std::string> sets = { "Drive=6" };
    const SToolRun run = Master(folder, mix, { "--set", sets[0] });
    const double fFrom = JsonValue(run.sOut, "passage_seconds", 0), fTo = JsonValue(run.sOut, "passage_seconds", 1);
    const SNeedleRun needles = RunWithNeedles(mix, kModeChain, sets, fFrom, fTo);
    EXPECT_GT(needles.fLimiterDb, 1.0);
    EXPECT_NEAR(JsonValue(run.sOut, "compressor"), needles.fCompressorDb, 0.05);
    EXPECT_NEAR(JsonValue(run.sOut, "limiter"), needles.fLimiterDb, 0.05);
}
