// Every bad input ends with a one-line message and its exit code (1 usage,
// 2 input/output or processing), never a crash, and never loses a file.
#include "TestFolder.h"
#include "ToolRun.h"

#include <filesystem>

namespace {

class BadInput : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(WriteAudio(mFolder.Path("in.wav"), Noise(20000))); }

    // Runs the tool and checks the code, that the message names sWords and is
    // one line, and that no temporary file was left in the folder.
    SToolRun Expect(int nExitCode, const std::vector<std::string>& args, const std::string& sWords,
        const SToolOptions& options = SToolOptions())
    {
        const SToolRun run = RunTool(mFolder.Root(), args, options);
        EXPECT_EQ(run.nSignal, 0);
        EXPECT_EQ(run.nExitCode, nExitCode) << run.sErr;
        EXPECT_NE(run.sErr.find(sWords), std::string::npos) << run.sErr;
        if (nExitCode != 0) {
            EXPECT_EQ(run.sErr.rfind("vantor: ", 0), 0u) << run.sErr;
            EXPECT_EQ(run.sErr.find('\n'), run.sErr.size() - 1) << "one line: " << run.sErr;
        }
        for (const auto& entry : std::filesystem::directory_iterator(mFolder.Root()))
            EXPECT_EQ(entry.path().filename().string().find(".vantor-"), std::string::npos) << entry.path();
        return run;
    }
    std::string Path(const std::string& sName) const { return mFolder.Path(sName); }
    bool Exists(const std::string& sName) const { return std::filesystem::exists(Path(sName)); }

    CTestFolder mFolder;
};

TEST_F(BadInput, UnreadableInputsAreInputErrors)
{
    Expect(2, { "master", Path("missing.wav"), Path("out.wav") }, "No such file");
    WriteBytes(Path("notes.wav"), "not audio at all, just some words in a file with a sound name\n");
    Expect(2, { "master", Path("notes.wav"), Path("out.wav") }, "not an audio file");
    SAudio surround = Noise(1000, 3);
    ASSERT_TRUE(WriteAudio(Path("three.wav"), surround));
    Expect(2, { "master", Path("three.wav"), Path("out.wav") }, "3 channels");
    SAudio empty;
    ASSERT_TRUE(WriteAudio(Path("empty.wav"), empty));
    Expect(2, { "master", Path("empty.wav"), Path("out.wav") }, "zero length");
    Expect(2, { "master", mFolder.Root(), Path("out.wav") }, "folder");
    // 20 bytes whose LIST chunk claims 620 MB: the decoder would allocate it.
    WriteBytes(Path("list.wav"), std::string("RIFF\xa4\x7e\x00\x00WAVELIST\x61\x27\xfa\x24", 20));
    Expect(2, { "master", Path("list.wav"), Path("out.wav") }, "its 'LIST' chunk claims 620373857 bytes");
    SToolOptions fromPipe;
    fromPipe.sStdin = Path("list.wav");
    Expect(2, { "master", "-", Path("out.wav") }, "chunk claims", fromPipe);
    // A chunk header cut after 3 of its 8 bytes: its size would be read from
    // beyond the end.
    WriteBytes(Path("cut.wav"), std::string("RIFF\xa4\x7e\x00\x00WAVELIST\x61\x27\xfa", 19));
    Expect(2, { "master", Path("cut.wav"), Path("out.wav") }, "ends inside a chunk");
    EXPECT_FALSE(Exists("out.wav"));
}

TEST_F(BadInput, UnknownNamesAndValuesAreUsageErrors)
{
    Expect(1, { "master", "--set", "Loudness Knob=3", Path("in.wav"), Path("out.wav") }, "unknown parameter");
    Expect(1, { "master", "--set", "Ratio=lots", Path("in.wav"), Path("out.wav") }, "not a value of Compressor Ratio");
    Expect(1, { "master", "--set", "Ratio", Path("in.wav"), Path("out.wav") }, "NAME=VALUE");
    Expect(1, { "master", "--mode", "reverb", Path("in.wav"), Path("out.wav") }, "--mode");
    Expect(1, { "master", "--order", "eq,comp,lim", Path("in.wav"), Path("out.wav") }, "--order");
    Expect(1, { "master", "--mode", "eq", "--order", "eq,comp,lim,clip", Path("in.wav"), Path("out.wav") }, "chain");
    Expect(1, { "master", "--bits", "12", Path("in.wav"), Path("out.wav") }, "--bits");
    Expect(1, { "master", "--bits", "32f", Path("in.wav"), Path("out.flac") }, "FLAC");
    Expect(1, { "master", "--wobble", Path("in.wav"), Path("out.wav") }, "unknown option");
    Expect(1, { "master", Path("in.wav") }, "IN and OUT");
    Expect(1, { "master", Path("in.wav"), Path("out.mp9") }, "format");
    Expect(1, { "mastr" }, "unknown command");
    EXPECT_FALSE(Exists("out.wav"));
}

TEST_F(BadInput, ValuesOutsideTheRangeAreClampedWithAWarning)
{
    const SToolRun run
        = Expect(0, { "master", "-q", "--set", "Limiter Input Drive=40", Path("in.wav"), Path("out.wav") }, "");
    EXPECT_TRUE(run.sErr.empty()) << "-q silences warnings: " << run.sErr;
    const SToolRun loud = RunTool(
        mFolder.Root(), { "master", "-f", "--set", "Limiter Input Drive=40", Path("in.wav"), Path("out.wav") });
    EXPECT_EQ(loud.nExitCode, 0);
    EXPECT_NE(loud.sErr.find("out of range; using 16.0 dB"), std::string::npos) << loud.sErr;
}

TEST_F(BadInput, OutputsThatWouldLoseAFileAreRefused)
{
    const std::string sBefore = ReadText(Path("in.wav"));
    Expect(1, { "master", Path("in.wav"), Path("in.wav") }, "its own input");
    Expect(1, { "master", Path("in.wav"), mFolder.Root() + "/./in.wav" }, "its own input");
    std::filesystem::create_directory(Path("sub"));
    Expect(1, { "master", "-d", mFolder.Root(), Path("in.wav") }, "its own input");
    EXPECT_EQ(ReadText(Path("in.wav")), sBefore);

    WriteBytes(Path("taken.wav"), "keep me");
    Expect(1, { "master", Path("in.wav"), Path("taken.wav") }, "add -f");
    EXPECT_EQ(ReadText(Path("taken.wav")), "keep me");
    Expect(0, { "master", "-q", "-f", Path("in.wav"), Path("taken.wav") }, "");
    EXPECT_EQ(ReadAudio(Path("taken.wav")).Frames(), 20000);
}

TEST_F(BadInput, UnwritableOutputFoldersAreOutputErrors)
{
    Expect(2, { "master", Path("in.wav"), Path("no/such/folder/out.wav") }, "cannot write");
    Expect(2, { "master", "-d", Path("in.wav/folder"), Path("in.wav") }, "cannot make the output folder");
    // A regular file in the middle of the path: no permission bits to beat.
    Expect(2, { "master", Path("in.wav"), Path("in.wav/out.wav") }, "cannot write");
}

// A full disk over an existing output, in every format, is in FaultTest.cpp.
TEST_F(BadInput, AFullDiskLeavesNoPartialOutput)
{
    ASSERT_TRUE(WriteAudio(Path("long.wav"), Noise(400000)));
    SToolOptions options;
    options.nFileSizeLimit = 1 << 20; // the output needs 3.2 MB
    Expect(2, { "master", Path("long.wav"), Path("new.wav") }, "nothing was written", options);
    EXPECT_FALSE(Exists("new.wav"));
}

TEST_F(BadInput, DamagedPresetsAreRefusedAndNothingIsWritten)
{
    ASSERT_EQ(RunTool(mFolder.Root(), { "preset", "save", "-q", "-o", Path("good.ryxp") }).nExitCode, 0);
    const std::string sGood = ReadText(Path("good.ryxp"));
    ASSERT_EQ(sGood.size(), 448u);
    WriteBytes(Path("short.ryxp"), sGood.substr(0, 200));
    WriteBytes(Path("noise.ryxp"), "RYXP garbage that is no preset at all");
    Expect(2, { "master", "--preset", Path("short.ryxp"), Path("in.wav"), Path("out.wav") }, "truncated");
    Expect(2, { "master", "--preset", Path("noise.ryxp"), Path("in.wav"), Path("out.wav") }, "not a usable preset");
    Expect(1, { "master", "--preset", "No Such:Preset", Path("in.wav"), Path("out.wav") }, "vantor presets");
    EXPECT_FALSE(Exists("out.wav"));
}

} // namespace
