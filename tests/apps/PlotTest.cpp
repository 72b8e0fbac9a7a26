// vantor master --plot: the picture decodes at its size, its curves lie
// where the signal's known levels put them on the axes, and a picture that
// cannot be written is a clean error.
#include "TestFolder.h"
#include "ToolRun.h"
#include "apps/vantor/PlotPainter.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace {

constexpr int kRate = 48000;

// A 997 Hz tone in both channels: -30 dBFS for 12 s, then -12 dBFS for
// 12 s; BS.1770 reads such a tone at its level in LUFS, its true peak at
// its level in dBTP.
SAudio LoudnessStep()
{
    SAudio audio;
    audio.nRate = kRate;
    audio.nChannels = 2;
    const long long nFrames = 24LL * kRate;
    audio.samples.resize(static_cast<size_t>(2 * nFrames));
    for (long long i = 0; i < nFrames; ++i) {
        const double fDb = i < 12LL * kRate ? -30.0 : -12.0;
        const float f = static_cast<float>(std::pow(10.0, fDb / 20.0) * std::sin(2.0 * M_PI * 997.0 * i / kRate));
        audio.samples[static_cast<size_t>(2 * i)] = audio.samples[static_cast<size_t>(2 * i + 1)] = f;
    }
    return audio;
}

struct SPicture {
    int nWidth = 0, nHeight = 0;
    std::vector<uint32_t> pixels; // 0xRRGGBB

    explicit SPicture(const std::string& sPath)
    {
        cairo_surface_t* pSurface = cairo_image_surface_create_from_png(sPath.c_str());
        if (cairo_surface_status(pSurface) == CAIRO_STATUS_SUCCESS) {
            nWidth = cairo_image_surface_get_width(pSurface);
            nHeight = cairo_image_surface_get_height(pSurface);
            const int nStride = cairo_image_surface_get_stride(pSurface);
            const unsigned char* pData = cairo_image_surface_get_data(pSurface);
            for (int y = 0; y < nHeight; ++y) {
                for (int x = 0; x < nWidth; ++x)
                    pixels.push_back(*reinterpret_cast<const uint32_t*>(pData + y * nStride + 4 * x) & 0xFFFFFF);
            }
        }
        cairo_surface_destroy(pSurface);
    }

    // The value on the panel's scale where column x holds the pixel nearest
    // in colour to rgb; NaN when nothing within the panel comes close.
    double ValueAt(const SPlotPanel& panel, double fSeconds, double fLength, int rgb) const
    {
        const int x = static_cast<int>(std::lround(panel.fLeft + fSeconds / fLength * panel.fWidth));
        int nBest = -1, nBestDistance = 1 << 30;
        for (int y = static_cast<int>(panel.fTop); y <= static_cast<int>(panel.fTop + panel.fHeight); ++y) {
            const uint32_t p = pixels[static_cast<size_t>(y * nWidth + x)];
            int nDistance = 0;
            for (int nShift : { 0, 8, 16 }) {
                const int d = static_cast<int>((p >> nShift) & 0xFF) - ((rgb >> nShift) & 0xFF);
                nDistance += d * d;
            }
            if (nDistance < nBestDistance) {
                nBestDistance = nDistance;
                nBest = y;
            }
        }
        if (nBest < 0 || nBestDistance > 3 * 40 * 40)
            return NAN;
        return panel.fHighest - (nBest - panel.fTop) / panel.fHeight * (panel.fHighest - panel.fLowest);
    }
};

constexpr int kAfterColour = 0xEE780D; // the "after" loudness line
constexpr int kPeakColour = 0xCC1F1F; // the true-peak line

} // namespace

TEST(Plot, TheCurvesLieAtTheSignalsLevelsOnTheAxes)
{
    CTestFolder folder;
    ASSERT_TRUE(WriteAudio(folder.Path("step.wav"), LoudnessStep()));
    // Bypassed: what is written is what came in, so its levels are known.
    const SToolRun run = RunTool(folder.Root(),
        { "master", "--set", "Global Bypass=on", "--plot", folder.Path("step.png"), folder.Path("step.wav"),
            folder.Path("out.wav") });
    ASSERT_EQ(run.nExitCode, 0) << run.sErr;
    const SPicture picture(folder.Path("step.png"));
    ASSERT_EQ(picture.nWidth, 1200);
    ASSERT_EQ(picture.nHeight, 700);

    const SPlotData none;
    const CPlotPainter layout(none);
    // Short-term loudness after 3 s of each level reads that level.
    for (const auto& [fSeconds, fLufs] :
        { std::pair { 6.0, -30.0 }, { 10.0, -30.0 }, { 18.0, -12.0 }, { 22.0, -12.0 } })
        EXPECT_NEAR(picture.ValueAt(layout.GetLoudnessPanel(), fSeconds, 24.0, kAfterColour), fLufs, 0.4) << fSeconds;
    for (const auto& [fSeconds, fDbtp] : { std::pair { 18.0, -12.0 }, { 22.0, -12.0 } })
        EXPECT_NEAR(picture.ValueAt(layout.GetPeakPanel(), fSeconds, 24.0, kPeakColour), fDbtp, 0.3) << fSeconds;
    // The short-term window still holds the quiet part 1 s after the step.
    EXPECT_LT(picture.ValueAt(layout.GetLoudnessPanel(), 13.0, 24.0, kAfterColour), -14.0);
}

TEST(Plot, WithAnOutputFolderEveryOutputGetsItsPictureBesideIt)
{
    CTestFolder folder;
    ASSERT_TRUE(WriteAudio(folder.Path("a.wav"), Noise(kRate * 2)));
    ASSERT_TRUE(WriteAudio(folder.Path("b.wav"), Noise(kRate * 2, 1, 3)));
    const SToolRun run = RunTool(folder.Root(),
        { "master", "-q", "--plot", "x.png", "-d", folder.Path("out"), folder.Path("a.wav"), folder.Path("b.wav") });
    ASSERT_EQ(run.nExitCode, 0) << run.sErr;
    for (const char* pszName : { "out/a.png", "out/b.png" }) {
        const SPicture picture(folder.Path(pszName));
        EXPECT_EQ(picture.nWidth, 1200) << pszName;
        EXPECT_TRUE(std::filesystem::exists(folder.Path(pszName).substr(0, folder.Path(pszName).size() - 3) + "wav"));
    }
    EXPECT_FALSE(std::filesystem::exists(folder.Path("x.png")));

    // Two outputs that differ in their extension only would share a picture.
    SAudio aiff = Noise(kRate);
    aiff.nFormat = SF_FORMAT_AIFF | SF_FORMAT_FLOAT;
    ASSERT_TRUE(WriteAudio(folder.Path("a.aiff"), aiff));
    const SToolRun clash = RunTool(folder.Root(),
        { "master", "-q", "--plot", "x.png", "-d", folder.Path("two"), folder.Path("a.wav"), folder.Path("a.aiff") });
    EXPECT_EQ(clash.nExitCode, 1);
    EXPECT_NE(clash.sErr.find("share the picture"), std::string::npos) << clash.sErr;
}

TEST(Plot, APictureThatCannotBeWrittenIsACleanError)
{
    CTestFolder folder;
    ASSERT_TRUE(WriteAudio(folder.Path("in.wav"), Noise(kRate)));
    // No such folder: refused before any audio is read or written.
    SToolRun run = RunTool(folder.Root(),
        { "master", "--plot", folder.Path("missing/p.png"), folder.Path("in.wav"), folder.Path("out.wav") });
    EXPECT_EQ(run.nExitCode, 2);
    EXPECT_NE(run.sErr.find("cannot write the plot"), std::string::npos) << run.sErr;
    EXPECT_FALSE(std::filesystem::exists(folder.Path("out.wav")));
    // Not a picture's name.
    run = RunTool(
        folder.Root(), { "master", "--plot", folder.Path("in.wav"), folder.Path("in.wav"), folder.Path("o.wav") });
    EXPECT_EQ(run.nExitCode, 1);
    // A write that fails after the mastering (the temporary file the
    // picture goes through is a folder): an error, and the audio stays.
    std::filesystem::create_directory(folder.Path("p.png.part"));
    run = RunTool(
        folder.Root(), { "master", "--plot", folder.Path("p.png"), folder.Path("in.wav"), folder.Path("out.wav") });
    EXPECT_EQ(run.nExitCode, 2);
    EXPECT_NE(run.sErr.find("cannot write the plot"), std::string::npos) << run.sErr;
    EXPECT_EQ(ReadAudio(folder.Path("out.wav")).Frames(), kRate);
    EXPECT_FALSE(std::filesystem::exists(folder.Path("p.png")));
}

TEST(Plot, LongSeriesMergeIntoTheirHighestAndStayBounded)
{
    // Three hours of 100 ms readings: a sawtooth of period 1000 readings
    // with one spike; the merged series keeps every stretch's highest.
    CTimeSeries series;
    series.SetStep(0.1);
    constexpr size_t kCount = 108000;
    std::vector<double> readings(kCount);
    for (size_t n = 0; n < kCount; ++n)
        readings[n] = -40.0 + static_cast<double>(n % 1000) / 100.0;
    readings[54321] = 3.0;
    for (double f : readings)
        series.Add(f);
    const std::vector<double> values = series.GetValues();
    ASSERT_LE(values.size(), CTimeSeries::kMostPoints);
    ASSERT_GE(values.size(), CTimeSeries::kMostPoints / 2);
    const size_t nPerPoint = static_cast<size_t>(std::lround(series.GetStepSeconds() / 0.1));
    ASSERT_EQ((kCount + nPerPoint - 1) / nPerPoint, values.size());
    for (size_t k = 0; k < values.size(); ++k) {
        const auto from = readings.begin() + static_cast<long>(k * nPerPoint);
        const auto to = readings.begin() + static_cast<long>(std::min(kCount, (k + 1) * nPerPoint));
        ASSERT_EQ(values[k], *std::max_element(from, to)) << k;
    }
}
