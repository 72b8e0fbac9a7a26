// Presets through the tool: the saved bytes, the round trip to the same
// audio, names in the presets folder, and damaged files of every kind.
#include "TestFolder.h"
#include "ToolRun.h"

#include "apps/vantor/PresetStore.h"
#include "apps/vantor/ToolError.h"
#include "apps/vantor/VantorEngine.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <sstream>

namespace {

int32_t Word(const std::string& sBytes, size_t nAt)
{
    int32_t n;
    std::memcpy(&n, sBytes.data() + nAt, 4); // little-endian, as the machine
    return n;
}

// A library folder of our own, so presets can be saved beside it.
std::string PrivateLibrary(const CTestFolder& folder)
{
    std::filesystem::create_directory(folder.Path("lib"));
    std::filesystem::copy_file(VANTOR_BUNDLE_DIR "/Vantor.vpa", folder.Path("lib/Vantor.vpa"));
    return folder.Path("lib/Vantor.vpa");
}

TEST(Preset, SavedFilesHaveTheDocumentedLayout)
{
    CTestFolder folder;
    const SToolRun run = RunTool(folder.Root(),
        { "preset", "save", "--mode", "compressor", "--set", "Ratio=2.5", "--set", "CRelease=100", "-o",
            folder.Path("comp.ryxp") });
    ASSERT_EQ(run.nExitCode, 0) << run.sErr;
    const std::string sBytes = ReadText(folder.Path("comp.ryxp"));
    ASSERT_EQ(sBytes.size(), 116u);
    EXPECT_EQ(sBytes.substr(0, 4), "RYXP");
    EXPECT_EQ(Word(sBytes, 4), 0);
    EXPECT_EQ(Word(sBytes, 8), 2);
    // Directory: the global block at 36 (2 records), the compressor's at 52 (8).
    EXPECT_EQ(Word(sBytes, 12), -1);
    EXPECT_EQ(Word(sBytes, 16), 36);
    EXPECT_EQ(Word(sBytes, 20), 2);
    EXPECT_EQ(Word(sBytes, 24), 1);
    EXPECT_EQ(Word(sBytes, 28), 52);
    EXPECT_EQ(Word(sBytes, 32), 8);
    const int kUnits[10] = { 0, 1, 22, 23, 24, 25, 26, 27, 28, 29 };
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(Word(sBytes, 36 + 8 * static_cast<size_t>(i)), kUnits[i]);
    EXPECT_EQ(Word(sBytes, 36 + 8 * 6 + 4), 250); // Compressor Ratio, hundredths
    EXPECT_EQ(Word(sBytes, 36 + 8 * 5 + 4), 1000); // Compressor Release, tenths of a ms

    ASSERT_EQ(RunTool(folder.Root(), { "preset", "save", "-q", "-o", folder.Path("chain.ryxp") }).nExitCode, 0);
    const std::string sChain = ReadText(folder.Path("chain.ryxp"));
    ASSERT_EQ(sChain.size(), 448u);
    EXPECT_EQ(Word(sChain, 12 + 4 * 12), 3);
    EXPECT_EQ(Word(sChain, 16 + 4 * 12), 416);
    EXPECT_EQ(Word(sChain, 20 + 4 * 12), 4);
    // An existing preset is replaced only with -f.
    EXPECT_EQ(RunTool(folder.Root(), { "preset", "save", "-o", folder.Path("chain.ryxp") }).nExitCode, 1);
}

TEST(Preset, APresetReproducesTheAudioOfItsSettingsBitForBit)
{
    CTestFolder folder;
    SToolOptions options;
    options.env = { { "VANTOR_LIBRARY", PrivateLibrary(folder) } };
    ASSERT_TRUE(WriteAudio(folder.Path("in.wav"), Noise(60000, 2, 11)));
    const std::vector<std::string> sets = { "--set", "Limiter Input Drive=4.5", "--set", "LSG=3.5", "--set",
        "LMQ=high q", "--set", "Ratio=2.2", "--order", "comp,eq,clip,lim" };
    std::vector<std::string> direct = { "master", "-q", folder.Path("in.wav"), folder.Path("direct.wav") };
    direct.insert(direct.end(), sets.begin(), sets.end());
    ASSERT_EQ(RunTool(folder.Root(), direct, options).nExitCode, 0);

    std::vector<std::string> save = { "preset", "save", "Mine:Loud" };
    save.insert(save.end(), sets.begin(), sets.end());
    const SToolRun saved = RunTool(folder.Root(), save, options);
    ASSERT_EQ(saved.nExitCode, 0) << saved.sErr;
    EXPECT_TRUE(std::filesystem::exists(folder.Path("lib/Vantor Presets/Mine/Loud.ryxp")));
    const SToolRun listed = RunTool(folder.Root(), { "presets" }, options);
    EXPECT_NE(listed.sOut.find("Mine:Loud"), std::string::npos) << listed.sOut;
    EXPECT_NE(RunTool(folder.Root(), { "presets", "--mode", "eq" }, options).sOut.find("Mine:Loud"), std::string::npos);

    ASSERT_EQ(
        RunTool(folder.Root(),
            { "master", "-q", "--preset", "Mine:Loud", folder.Path("in.wav"), folder.Path("preset.wav") }, options)
            .nExitCode,
        0);
    const SAudio direct_ = ReadAudio(folder.Path("direct.wav"));
    const SAudio preset = ReadAudio(folder.Path("preset.wav"));
    ASSERT_EQ(direct_.samples.size(), preset.samples.size());
    EXPECT_EQ(std::memcmp(direct_.samples.data(), preset.samples.data(), direct_.samples.size() * sizeof(float)), 0);
    // And the settings change the sound: this is not a bypass.
    EXPECT_NE(direct_.samples, ReadAudio(folder.Path("in.wav")).samples);
}

TEST(Preset, ALibraryFolderThatCannotTakePresetsSendsThemToTheUsersFolder)
{
    CTestFolder folder;
    SToolOptions options;
    options.env = { { "VANTOR_LIBRARY", PrivateLibrary(folder) }, { "XDG_DATA_HOME", folder.Path("data") } };
    // A file where the presets folder should be; permissions would not stop root.
    WriteBytes(folder.Path("lib/Vantor Presets"), "not a folder");
    const SToolRun saved = RunTool(folder.Root(), { "preset", "save", "--set", "Ratio=2.5", "Mine:Glue" }, options);
    ASSERT_EQ(saved.nExitCode, 0) << saved.sErr;
    EXPECT_NE(saved.sOut.find("in your presets folder"), std::string::npos) << saved.sOut;
    EXPECT_TRUE(std::filesystem::exists(folder.Path("data/vantor/presets/Mine/Glue.ryxp")));
    const SToolRun listed = RunTool(folder.Root(), { "presets" }, options);
    EXPECT_NE(listed.sOut.find("Mine:Glue  (user)"), std::string::npos) << listed.sOut;
    const SToolRun shown = RunTool(folder.Root(), { "preset", "show", "glue" }, options);
    EXPECT_NE(shown.sOut.find("Compressor Ratio=2.50\n"), std::string::npos) << shown.sOut;

    // Neither folder can take it: the way out is named.
    WriteBytes(folder.Path("blocked"), "not a folder either");
    options.env.back().second = folder.Path("blocked");
    const SToolRun refused = RunTool(folder.Root(), { "preset", "save", "Anything" }, options);
    EXPECT_EQ(refused.nExitCode, 2);
    EXPECT_NE(refused.sErr.find("not writable"), std::string::npos) << refused.sErr;
    EXPECT_NE(refused.sErr.find("-o FILE"), std::string::npos) << refused.sErr;
    EXPECT_EQ(RunTool(folder.Root(), { "preset", "save", "../escape" }, options).nExitCode, 1);
}

TEST(Preset, NamesAreFoundInAnyCaseAndWithoutTheirFolderUnlessTwoHoldThem)
{
    CTestFolder folder;
    SToolOptions options;
    options.env = { { "XDG_DATA_HOME", folder.Path("data") } };
    auto Show = [&](const std::string& sName) { return RunTool(folder.Root(), { "preset", "show", sName }, options); };
    const SToolRun exact = Show("Mastering:Loud Modern Master");
    ASSERT_EQ(exact.nExitCode, 0) << exact.sErr;
    EXPECT_EQ(Show("mastering:LOUD modern master").sOut, exact.sOut);
    EXPECT_EQ(Show("loud modern master").sOut, exact.sOut);

    // A user preset of the same name makes the short name ambiguous.
    std::filesystem::create_directories(folder.Path("data/vantor/presets/Rock"));
    ASSERT_EQ(RunTool(folder.Root(),
                  { "preset", "save", "-q", "--set", "Ratio=4", "-o",
                      folder.Path("data/vantor/presets/Rock/Loud Modern Master.ryxp") },
                  options)
                  .nExitCode,
        0);
    const SToolRun ambiguous = Show("Loud Modern Master");
    EXPECT_EQ(ambiguous.nExitCode, 1);
    EXPECT_NE(ambiguous.sErr.find("Mastering:Loud Modern Master, Rock:Loud Modern Master (user)"), std::string::npos)
        << ambiguous.sErr;
    EXPECT_NE(Show("rock:loud modern master").sOut.find("Compressor Ratio=4.00"), std::string::npos);
    EXPECT_EQ(Show("No Such Preset").nExitCode, 1);
}

TEST(Preset, ShowPrintsLinesThatSetGivesBackBitForBit)
{
    CTestFolder folder;
    ASSERT_TRUE(WriteAudio(folder.Path("in.wav"), Noise(30000)));
    const SToolRun shown = RunTool(folder.Root(), { "preset", "show", "Mastering:Loud Modern Master" });
    ASSERT_EQ(shown.nExitCode, 0) << shown.sErr;
    std::vector<std::string> args = { "master", "-q" };
    std::istringstream lines(shown.sOut);
    for (std::string sLine; std::getline(lines, sLine);) {
        args.push_back("--set");
        args.push_back(sLine);
    }
    ASSERT_EQ(args.size(), 2 + 2 * 47u) << "one line per parameter of a chain preset";
    args.push_back(folder.Path("in.wav"));
    args.push_back(folder.Path("set.wav"));
    const SToolRun set = RunTool(folder.Root(), args);
    ASSERT_EQ(set.nExitCode, 0) << set.sErr;
    ASSERT_EQ(RunTool(folder.Root(),
                  { "master", "-q", "--preset", "Mastering:Loud Modern Master", folder.Path("in.wav"),
                      folder.Path("preset.wav") })
                  .nExitCode,
        0);
    EXPECT_EQ(ReadText(folder.Path("set.wav")), ReadText(folder.Path("preset.wav")));
    EXPECT_NE(ReadText(folder.Path("set.wav")), ReadText(folder.Path("in.wav")));
}

// In-process: the checks the tool makes before applying a preset file.
class PresetDamage : public ::testing::Test {
protected:
    void SetUp() override
    {
        mEngine.Load();
        mpProcess = mEngine.CreateProcess(kModeChain, 2, 44100.0, 64);
        mParameters.Load(*mpProcess);
        mpProcess->SetParameter(26, 222);
        mStore.Save(mFolder.Path("good.ryxp"), *mpProcess, kModeChain, true, false);
        msGood = ReadText(mFolder.Path("good.ryxp"));
        mpProcess->SetParameter(26, 310);
    }
    // True when the bytes were applied; false when refused. Never crashes.
    bool Load(const std::string& sBytes, unsigned nMode = kModeChain)
    {
        WriteBytes(mFolder.Path("test.ryxp"), sBytes);
        try {
            mStore.Load(mFolder.Path("test.ryxp"), *mpProcess, nMode, mParameters);
            return true;
        } catch (const CToolError& error) {
            EXPECT_EQ(error.GetExitCode(), 2);
            return false;
        }
    }

    CTestFolder mFolder;
    CVantorEngine mEngine;
    ProcessPtr mpProcess;
    CParameterText mParameters;
    CPresetStore mStore { "/nonexistent/" };
    std::string msGood;
};

TEST_F(PresetDamage, EveryTruncationIsRefusedAndChangesNothing)
{
    ASSERT_EQ(msGood.size(), 448u);
    for (size_t nLength = 0; nLength < msGood.size(); ++nLength) {
        EXPECT_FALSE(Load(msGood.substr(0, nLength))) << nLength << " bytes";
        ASSERT_EQ(mpProcess->GetParameter(26), 310) << nLength << " bytes";
    }
    EXPECT_TRUE(Load(msGood));
    EXPECT_EQ(mpProcess->GetParameter(26), 222);
}

TEST_F(PresetDamage, EveryBitFlipIsRefusedOrGivesValuesInRange)
{
    for (size_t nBit = 0; nBit < msGood.size() * 8; ++nBit) {
        std::string sBytes = msGood;
        sBytes[nBit / 8] = static_cast<char>(sBytes[nBit / 8] ^ (1 << (nBit % 8)));
        Load(sBytes);
        for (unsigned i = 0; i < mParameters.GetCount(); ++i) {
            const int nValue = mpProcess->GetParameter(i);
            ASSERT_GE(nValue, mParameters.Get(static_cast<int>(i)).nMin) << "bit " << nBit;
            ASSERT_LE(nValue, mParameters.Get(static_cast<int>(i)).nMax) << "bit " << nBit;
        }
    }
}

TEST_F(PresetDamage, APresetForAnotherModuleIsRefusedByName)
{
    ProcessPtr pEqualiser = mEngine.CreateProcess(kModeEqualiser, 2, 44100.0, 64);
    mStore.Save(mFolder.Path("eq.ryxp"), *pEqualiser, kModeEqualiser, true, false);
    try {
        mStore.Load(mFolder.Path("eq.ryxp"), *mpProcess, kModeLimiter, mParameters);
        FAIL() << "an equaliser preset has nothing for the limiter";
    } catch (const CToolError& error) {
        EXPECT_NE(std::string(error.what()).find("no settings for the limiter"), std::string::npos) << error.what();
    }
}

} // namespace
