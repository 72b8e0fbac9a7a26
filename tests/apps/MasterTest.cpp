// vantor master end to end: alignment, bypass, formats, metadata, pipes,
// several files at once.
#include "TestFolder.h"
#include "ToolRun.h"

#include <cmath>

namespace {

long long LoudestFrame(const SAudio& audio, int nChannel)
{
    long long nBest = 0;
    for (long long i = 0; i < audio.Frames(); ++i) {
        if (std::fabs(audio.samples[static_cast<size_t>(i * audio.nChannels + nChannel)])
            > std::fabs(audio.samples[static_cast<size_t>(nBest * audio.nChannels + nChannel)]))
            nBest = i;
    }
    return nBest;
}

SAudio Impulse(int nChannels, long long nFrames, long long nAt)
{
    SAudio audio;
    audio.nChannels = nChannels;
    audio.samples.assign(static_cast<size_t>(nFrames * nChannels), 0.0f);
    for (int c = 0; c < nChannels; ++c)
        audio.samples[static_cast<size_t>(nAt * nChannels + c)] = 0.5f;
    return audio;
}

TEST(Master, AnImpulseComesOutAtItsOwnSampleAndTheLengthIsKept)
{
    CTestFolder folder;
    for (int nChannels : { 1, 2 }) {
        for (const char* pszMode : { "eq", "chain" }) {
            // 1001 frames: the end does not fall on a processing block.
            ASSERT_TRUE(WriteAudio(folder.Path("in.wav"), Impulse(nChannels, 10001, 1000)));
            const SToolRun run = RunTool(folder.Root(),
                { "master", "-q", "-f", "--mode", pszMode, folder.Path("in.wav"), folder.Path("out.wav") });
            ASSERT_EQ(run.nExitCode, 0) << run.sErr;
            const SAudio out = ReadAudio(folder.Path("out.wav"));
            EXPECT_EQ(out.Frames(), 10001) << pszMode;
            EXPECT_EQ(out.nChannels, nChannels);
            for (int c = 0; c < nChannels; ++c)
                EXPECT_EQ(LoudestFrame(out, c), 1000) << pszMode << " channel " << c;
        }
    }
}

TEST(Master, KeepsTheSampleFormatAndTitleUnlessToldOtherwise)
{
    CTestFolder folder;
    SAudio in = Noise(20000, 2, 7);
    in.nFormat = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    ASSERT_TRUE(WriteAudio(folder.Path("in.wav"), in, "Night Drive"));

    ASSERT_EQ(RunTool(folder.Root(), { "master", "-q", folder.Path("in.wav"), folder.Path("same.wav") }).nExitCode, 0);
    std::string sTitle;
    const SAudio same = ReadAudio(folder.Path("same.wav"), &sTitle);
    EXPECT_EQ(same.nFormat, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(sTitle, "Night Drive");

    ASSERT_EQ(RunTool(folder.Root(), { "master", "-q", "--bits", "24", folder.Path("in.wav"), folder.Path("deep.wav") })
                  .nExitCode,
        0);
    EXPECT_EQ(ReadAudio(folder.Path("deep.wav")).nFormat, SF_FORMAT_WAV | SF_FORMAT_PCM_24);

    ASSERT_EQ(RunTool(folder.Root(), { "master", "-q", folder.Path("in.wav"), folder.Path("out.flac") }).nExitCode, 0);
    const SAudio flac = ReadAudio(folder.Path("out.flac"));
    EXPECT_EQ(flac.nFormat, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    EXPECT_EQ(flac.Frames(), 20000);

    ASSERT_EQ(RunTool(folder.Root(), { "master", "-q", folder.Path("in.wav"), folder.Path("out.aiff") }).nExitCode, 0);
    EXPECT_EQ(ReadAudio(folder.Path("out.aiff")).nFormat, SF_FORMAT_AIFF | SF_FORMAT_PCM_16);

    ASSERT_EQ(RunTool(folder.Root(), { "master", "-q", folder.Path("in.wav"), folder.Path("out.ogg") }).nExitCode, 0);
    EXPECT_EQ(ReadAudio(folder.Path("out.ogg")).nFormat, SF_FORMAT_OGG | SF_FORMAT_VORBIS);
}

TEST(Master, SixteenBitsPassUnchangedThroughABypassWithOrWithoutDither)
{
    CTestFolder folder;
    SAudio in = Noise(30000, 2, 3);
    in.nFormat = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    ASSERT_TRUE(WriteAudio(folder.Path("in.wav"), in));
    const SAudio expected = ReadAudio(folder.Path("in.wav"));
    ASSERT_EQ(RunTool(folder.Root(),
                  { "master", "-q", "--no-dither", "--set", "Global Bypass=on", folder.Path("in.wav"),
                      folder.Path("plain.wav") })
                  .nExitCode,
        0);
    EXPECT_EQ(ReadAudio(folder.Path("plain.wav")).samples, expected.samples);

    // Dither is on by default, but nothing needs it: every sample is a
    // 16-bit value already, so the file stays bit-exact, also at 24 bits.
    ASSERT_EQ(RunTool(folder.Root(),
                  { "master", "-q", "--set", "Global Bypass=on", folder.Path("in.wav"), folder.Path("dithered.wav") })
                  .nExitCode,
        0);
    EXPECT_EQ(ReadAudio(folder.Path("dithered.wav")).samples, expected.samples);
    ASSERT_EQ(RunTool(folder.Root(),
                  { "master", "-q", "--bits", "24", "--set", "Global Bypass=on", folder.Path("in.wav"),
                      folder.Path("wide.wav") })
                  .nExitCode,
        0);
    const SAudio wide = ReadAudio(folder.Path("wide.wav"));
    EXPECT_EQ(wide.nFormat & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_24);
    EXPECT_EQ(wide.samples, expected.samples);
}

TEST(Master, PipesCarryTheAudioAndTheReportMovesToStandardError)
{
    CTestFolder folder;
    ASSERT_TRUE(WriteAudio(folder.Path("in.wav"), Noise(12345)));
    SToolOptions options;
    options.sStdin = folder.Path("in.wav");
    const SToolRun run = RunTool(folder.Root(), { "master", "-", "-" }, options);
    ASSERT_EQ(run.nExitCode, 0) << run.sErr;
    ASSERT_GT(run.sOut.size(), 44u);
    EXPECT_EQ(run.sOut.substr(0, 4), "RIFF");
    EXPECT_NE(run.sErr.find("Integrated loudness"), std::string::npos);
    WriteBytes(folder.Path("piped.wav"), run.sOut);
    EXPECT_EQ(ReadAudio(folder.Path("piped.wav")).Frames(), 12345);
}

TEST(Master, SeveralFilesGoToTheOutputFolderAtOnce)
{
    CTestFolder folder;
    std::filesystem::create_directory(folder.Path("out"));
    ASSERT_TRUE(WriteAudio(folder.Path("a.wav"), Noise(30000, 2, 1)));
    ASSERT_TRUE(WriteAudio(folder.Path("b.wav"), Noise(40000, 1, 2)));
    const SToolRun run = RunTool(folder.Root(),
        { "master", "-j", "2", "--report", "json", "-d", folder.Path("out"), folder.Path("a.wav"),
            folder.Path("b.wav") });
    ASSERT_EQ(run.nExitCode, 0) << run.sErr;
    EXPECT_EQ(ReadAudio(folder.Path("out/a.wav")).Frames(), 30000);
    EXPECT_EQ(ReadAudio(folder.Path("out/b.wav")).Frames(), 40000);
    // One document, the files in the order given.
    EXPECT_EQ(run.sOut.rfind("{\"files\": [", 0), 0u) << run.sOut;
    EXPECT_LT(run.sOut.find("a.wav"), run.sOut.find("b.wav"));
    EXPECT_NE(run.sOut.find("\"gain_reduction_db\""), std::string::npos);
}

TEST(Master, AnalyzeMeasuresAndWritesNothing)
{
    CTestFolder folder;
    ASSERT_TRUE(WriteAudio(folder.Path("in.wav"), Noise(48000)));
    const SToolRun run = RunTool(folder.Root(), { "master", "--analyze", "--report", "json", folder.Path("in.wav") });
    ASSERT_EQ(run.nExitCode, 0) << run.sErr;
    EXPECT_NE(run.sOut.find("\"integrated_lufs\""), std::string::npos);
    EXPECT_EQ(run.sOut.find("\"after\""), std::string::npos);
    size_t nFiles = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Root()))
        ++nFiles;
    EXPECT_EQ(nFiles, 1u);
}

TEST(Master, HelpAndVersionNeedNoLibrary)
{
    CTestFolder folder;
    SToolOptions options;
    options.env = { { "VANTOR_LIBRARY", folder.Path("missing.vpa") } };
    const SToolRun version = RunTool(folder.Root(), { "--version" }, options);
    EXPECT_EQ(version.nExitCode, 0);
    EXPECT_EQ(version.sOut.rfind("vantor ", 0), 0u);
    const SToolRun help = RunTool(folder.Root(), { "master", "--help" }, options);
    EXPECT_EQ(help.nExitCode, 0);
    EXPECT_NE(help.sOut.find("--order"), std::string::npos);
    // Anything that needs the library says where it looked.
    const SToolRun params = RunTool(folder.Root(), { "params" }, options);
    EXPECT_EQ(params.nExitCode, 2);
    EXPECT_NE(params.sErr.find("VANTOR_LIBRARY"), std::string::npos);
}

TEST(Master, ParamsListsEveryParameterAsTheEditorShowsIt)
{
    CTestFolder folder;
    const SToolRun run = RunTool(folder.Root(), { "params" });
    ASSERT_EQ(run.nExitCode, 0) << run.sErr;
    EXPECT_NE(run.sOut.find("EQ High Mid Freq"), std::string::npos);
    EXPECT_NE(run.sOut.find("1.9 KHz"), std::string::npos) << run.sOut; // the high mid default, 1900 Hz
    EXPECT_NE(run.sOut.find("430 ms"), std::string::npos); // compressor release
    EXPECT_NE(run.sOut.find("3.10"), std::string::npos); // ratio, two decimals
    const SToolRun eq = RunTool(folder.Root(), { "params", "--mode", "eq" });
    ASSERT_EQ(eq.nExitCode, 0);
    EXPECT_EQ(eq.sOut.find("Compressor Ratio"), std::string::npos);
}

} // namespace

TEST(Master, ReadOnlyEncodingsAndQualityChooseTheOutputEncoding)
{
    CTestFolder folder;
    SAudio mp3 = Noise(44100);
    mp3.nFormat = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    ASSERT_TRUE(WriteAudio(folder.Path("in.mp3"), mp3));
    // An MP3 becomes 16-bit PCM in WAV (or what --bits says), never an error.
    ASSERT_EQ(RunTool(folder.Root(), { "master", "-q", folder.Path("in.mp3"), folder.Path("out.wav") }).nExitCode, 0);
    EXPECT_EQ(ReadAudio(folder.Path("out.wav")).nFormat, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ASSERT_EQ(
        RunTool(folder.Root(), { "master", "-q", "--bits", "24", folder.Path("in.mp3"), folder.Path("out24.aiff") })
            .nExitCode,
        0);
    EXPECT_EQ(ReadAudio(folder.Path("out24.aiff")).nFormat, SF_FORMAT_AIFF | SF_FORMAT_PCM_24);

    // Vorbis quality and FLAC compression level: sizes follow the setting.
    ASSERT_TRUE(WriteAudio(folder.Path("in.wav"), Noise(3 * 44100)));
    auto Size = [&](const std::vector<std::string>& extra, const std::string& sOutput) {
        std::vector<std::string> args = { "master", "-q", "-f" };
        args.insert(args.end(), extra.begin(), extra.end());
        args.push_back(folder.Path("in.wav"));
        args.push_back(folder.Path(sOutput));
        EXPECT_EQ(RunTool(folder.Root(), args).nExitCode, 0) << sOutput;
        return std::filesystem::file_size(folder.Path(sOutput));
    };
    const auto nLow = Size({ "--quality", "2" }, "q2.ogg");
    const auto nDefault = Size({}, "default.ogg");
    const auto nHigh = Size({ "--quality", "10" }, "q10.ogg");
    EXPECT_LT(nLow, nDefault);
    EXPECT_LT(nDefault, nHigh);
    EXPECT_EQ(nDefault, Size({ "--quality", "6" }, "q6.ogg"));
    EXPECT_GT(Size({ "--quality", "0" }, "fast.flac"), Size({ "--quality", "8" }, "small.flac"));
    EXPECT_EQ(
        RunTool(folder.Root(), { "master", "--quality", "3", folder.Path("in.wav"), folder.Path("x.wav") }).nExitCode,
        1);
    EXPECT_EQ(
        RunTool(folder.Root(), { "master", "--quality", "9", folder.Path("in.wav"), folder.Path("x.flac") }).nExitCode,
        1);
}
