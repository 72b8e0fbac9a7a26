// Batches and manifests as a label's catalogue job runs them: folders made
// on demand, reports in input order, resumable runs, per-row settings, and
// parts that job runners split without any coordination.
#include "TestFolder.h"
#include "ToolRun.h"

#include <filesystem>

namespace {

class Batch : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The first file is the longest, so with -j 2 it finishes last.
        ASSERT_TRUE(WriteAudio(Path("a.wav"), Noise(400000, 2, 1)));
        ASSERT_TRUE(WriteAudio(Path("b.wav"), Noise(20000, 2, 2)));
        ASSERT_TRUE(WriteAudio(Path("c.wav"), Noise(30000, 1, 3)));
    }
    std::string Path(const std::string& sName) const { return mFolder.Path(sName); }
    SToolRun Run(const std::vector<std::string>& args) const { return RunTool(mFolder.Root(), args); }
    CTestFolder mFolder;
};

TEST_F(Batch, MakesItsFolderReportsInInputOrderAndEndsWithASummary)
{
    const SToolRun text
        = Run({ "master", "-j", "2", "-d", Path("new/sub"), Path("a.wav"), Path("b.wav"), Path("c.wav") });
    ASSERT_EQ(text.nExitCode, 0) << text.sErr;
    EXPECT_LT(text.sOut.find("a.wav ->"), text.sOut.find("b.wav ->"));
    EXPECT_LT(text.sOut.find("b.wav ->"), text.sOut.find("c.wav ->"));
    EXPECT_NE(text.sOut.find("3 files: 3 done, 0 skipped, 0 failed"), std::string::npos) << text.sOut;
    EXPECT_EQ(ReadAudio(Path("new/sub/a.wav")).Frames(), 400000);

    const SToolRun json = Run({ "master", "-f", "-j", "2", "--report", "json", "-d", Path("new/sub"), Path("a.wav"),
        Path("b.wav"), Path("c.wav") });
    ASSERT_EQ(json.nExitCode, 0) << json.sErr;
    EXPECT_EQ(json.sOut.rfind("{\"files\": [", 0), 0u);
    EXPECT_NE(json.sOut.find("\"summary\": {\"files\": 3, \"done\": 3, \"with_warnings\": 0, \"skipped\": 0, "
                             "\"failed\": 0}"),
        std::string::npos)
        << json.sOut;
}

TEST_F(Batch, SkipExistingResumesARunAndRefusalsStopOnlyTheirFile)
{
    std::filesystem::create_directory(Path("out"));
    ASSERT_EQ(Run({ "master", "-q", "-d", Path("out"), Path("a.wav") }).nExitCode, 0);
    const std::string sFinished = ReadText(Path("out/a.wav"));
    {
        std::ofstream junk(Path("out/b.wav"));
        junk << "left over from something else";
    }
    // Without a word on existing outputs: those two are refused, c is done.
    const SToolRun refused = Run({ "master", "-d", Path("out"), Path("a.wav"), Path("b.wav"), Path("c.wav") });
    EXPECT_EQ(refused.nExitCode, 1);
    EXPECT_NE(refused.sErr.find("--skip-existing"), std::string::npos) << refused.sErr;
    EXPECT_EQ(ReadAudio(Path("out/c.wav")).Frames(), 30000);
    EXPECT_NE(refused.sOut.find("3 files: 1 done, 0 skipped, 2 failed"), std::string::npos) << refused.sOut;

    std::filesystem::remove(Path("out/c.wav"));
    const SToolRun resumed = Run({ "master", "--skip-existing", "--report", "json", "-d", Path("out"), Path("a.wav"),
        Path("b.wav"), Path("c.wav") });
    EXPECT_EQ(resumed.nExitCode, 0) << resumed.sErr;
    EXPECT_EQ(ReadText(Path("out/a.wav")), sFinished);
    EXPECT_EQ(ReadAudio(Path("out/b.wav")).Frames(), 20000) << "an output that is not audio is done again";
    EXPECT_EQ(ReadAudio(Path("out/c.wav")).Frames(), 30000);
    EXPECT_NE(resumed.sOut.find("\"skipped\": true"), std::string::npos) << resumed.sOut;
    EXPECT_NE(resumed.sOut.find("\"done\": 2, \"with_warnings\": 0, \"skipped\": 1"), std::string::npos);
}

TEST_F(Batch, FormatAndSuffixNameTheOutputs)
{
    const SToolRun run = Run({ "master", "-q", "--format", "flac", "--suffix", " (master)", "-d", Path("out"),
        Path("b.wav"), Path("c.wav") });
    ASSERT_EQ(run.nExitCode, 0) << run.sErr;
    const SAudio flac = ReadAudio(Path("out/b (master).flac"));
    EXPECT_EQ(flac.nFormat & SF_FORMAT_TYPEMASK, SF_FORMAT_FLAC);
    EXPECT_EQ(flac.Frames(), 20000);
    EXPECT_EQ(Run({ "master", "--format", "mp9", "-d", Path("out"), Path("b.wav") }).nExitCode, 1);
    EXPECT_EQ(Run({ "master", "--suffix", "x", Path("b.wav"), Path("x.wav") }).nExitCode, 1);
}

TEST_F(Batch, ManifestRowsRunWithTheirOwnSettingsAndBadRowsAreSkipped)
{
    std::filesystem::create_directory(Path("jobs"));
    {
        std::ofstream manifest(Path("jobs/catalogue.csv"));
        manifest << "Input,Output,Preset,Set\n"
                 << "../b.wav,b-bypassed.wav,,Global Bypass=on\n" // line 2
                 << "../c.wav,\"c, mastered.wav\",,\n" // line 3
                 << "../b.wav,b-bad.wav,,Loudness Knob=3\n" // line 4
                 << "../missing.wav,missing.wav,,\n" // line 5
                 << "../b.wav,,,\n" // line 6
                 << "../b.wav,b-eq.wav,,\"Global Bypass=off; EQ Enable=on\"\n"; // line 7
    }
    const SToolRun run = Run({ "master", "-q", "--manifest", Path("jobs/catalogue.csv") });
    EXPECT_EQ(run.nExitCode, 2);
    EXPECT_EQ(ReadAudio(Path("jobs/b-bypassed.wav")).samples, ReadAudio(Path("b.wav")).samples);
    EXPECT_EQ(ReadAudio(Path("jobs/c, mastered.wav")).Frames(), 30000);
    EXPECT_EQ(ReadAudio(Path("jobs/b-eq.wav")).Frames(), 20000);
    for (const char* pszLine : { "line 4: ", "line 5: ", "line 6: " })
        EXPECT_NE(run.sErr.find(pszLine), std::string::npos) << pszLine << "\n" << run.sErr;
    EXPECT_NE(run.sErr.find("unknown parameter"), std::string::npos) << run.sErr;
    EXPECT_FALSE(std::filesystem::exists(Path("jobs/b-bad.wav")));
}

TEST_F(Batch, ManifestPartsSplitTheRowsForJobRunners)
{
    {
        std::ofstream manifest(Path("catalogue.csv"));
        manifest << "input,output\n";
        for (int i = 0; i < 5; ++i)
            manifest << "c.wav,part-" << i << ".wav\n";
    }
    const SToolRun first = Run({ "master", "-q", "--manifest", Path("catalogue.csv"), "--manifest-part", "1/2" });
    ASSERT_EQ(first.nExitCode, 0) << first.sErr;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(std::filesystem::exists(Path("part-" + std::to_string(i) + ".wav")), i % 2 == 0) << i;
    EXPECT_EQ(Run({ "master", "--manifest", Path("catalogue.csv"), "--manifest-part", "3/2" }).nExitCode, 1);
    EXPECT_EQ(Run({ "master", "--manifest", Path("catalogue.csv"), "--manifest-part", "0/2" }).nExitCode, 1);

    // The README's GNU parallel recipe, on this host: every row done once.
    for (int i = 0; i < 5; ++i)
        std::filesystem::remove(Path("part-" + std::to_string(i) + ".wav"));
    const std::string sCommand = "parallel -j 2 " VANTOR_BIN_DIR "/vantor master -q --manifest " + Path("catalogue.csv")
        + " --manifest-part {}/3 ::: 1 2 3";
    ASSERT_EQ(std::system(sCommand.c_str()), 0) << sCommand;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(ReadAudio(Path("part-" + std::to_string(i) + ".wav")).Frames(), 30000) << i;
}

} // namespace
