#include "presets/PresetFile.h"
#include "platform/Platform.h"

#include "TestFolder.h"
#include "processor/ParameterTable.h"
#include "processor/PresetLayout.h"
#include "tests/processor/ProcessRig.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace {

int32_t Word(const std::vector<unsigned char>& bytes, size_t nOffset)
{
    int32_t n;
    std::memcpy(&n, bytes.data() + nOffset, 4);
    return n;
}

TEST(PresetFile, EachModeWritesItsBlocksAtFixedOffsets)
{
    CTestFolder folder;
    const size_t kSizes[5] = { 212, 116, 156, 84, 448 };
    for (unsigned nMode = 0; nMode < 5; ++nMode) {
        SProcessRig rig(nMode);
        const std::string sPath = folder.Path("mode" + std::to_string(nMode) + ".ryxp");
        rig.pProcess->SavePreset(sPath);
        const std::vector<unsigned char> bytes = ReadBytes(sPath);
        ASSERT_EQ(bytes.size(), kSizes[nMode]) << "mode " << nMode;
        EXPECT_EQ(0, std::memcmp(bytes.data(), "RYXP", 4));
        EXPECT_EQ(Word(bytes, 4), 0);
        EXPECT_EQ(Word(bytes, 8), nMode == 4 ? 5 : 2);
        // The global block first: units 0 and 1 right after the directory.
        EXPECT_EQ(Word(bytes, 12), -1);
        const int32_t nGlobalAt = Word(bytes, 16);
        EXPECT_EQ(nGlobalAt, nMode == 4 ? 72 : 36);
        EXPECT_EQ(Word(bytes, nGlobalAt), kGlobalBypass);
        EXPECT_EQ(Word(bytes, nGlobalAt + 8), kPatch);
    }
    // The compressor file in detail: units 22 to 29 at 52.
    const std::vector<unsigned char> compressor = ReadBytes(folder.Path("mode1.ryxp"));
    EXPECT_EQ(Word(compressor, 24), 1);
    EXPECT_EQ(Word(compressor, 28), 52);
    EXPECT_EQ(Word(compressor, 32), 8);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(Word(compressor, 52 + 8 * i), 22 + i);
    // The chain file's last directory record: the clipper's 4 records at 416.
    const std::vector<unsigned char> chain = ReadBytes(folder.Path("mode4.ryxp"));
    EXPECT_EQ(Word(chain, 12 + 4 * 12), 3);
    EXPECT_EQ(Word(chain, 12 + 4 * 12 + 4), 416);
    EXPECT_EQ(Word(chain, 12 + 4 * 12 + 8), 4);
}

TEST(PresetFile, LoadingAppliesOnlyTheBlocksTheModeAndModuleAllow)
{
    CTestFolder folder;
    const std::string sChain = folder.Path("chain.ryxp");
    {
        SProcessRig source(4);
        source.pProcess->SetParameter(kPatch, 7);
        source.pProcess->SetParameter(kEqOutput, 42);
        source.pProcess->SetParameter(kLimiterInputDrive, 55);
        source.pProcess->SetParameter(kClipperGain, -20);
        source.pProcess->SavePreset(sChain);
    }
    // In limiter-only mode only the limiter block applies.
    SProcessRig limiter(2);
    limiter.pProcess->LoadPreset(sChain, -1, false);
    EXPECT_EQ(limiter.pProcess->GetParameter(kLimiterInputDrive), 55);
    EXPECT_EQ(limiter.pProcess->GetParameter(kPatch), 0);
    EXPECT_EQ(limiter.pProcess->GetParameter(kEqOutput), 0);
    // The host then hears every active parameter (the limiter's and the bypass).
    int nActive = 0;
    for (int i = 0; i < kNrOfVantorParameters; ++i)
        nActive += IsParameterActive(i, 2);
    EXPECT_EQ(static_cast<int>(limiter.host.mChanges.size()), nActive);

    // In chain mode one module's block alone, or everything.
    SProcessRig chain(4);
    chain.pProcess->LoadPreset(sChain, 3, false);
    EXPECT_EQ(chain.pProcess->GetParameter(kClipperGain), -20);
    EXPECT_EQ(chain.pProcess->GetParameter(kEqOutput), 0);
    chain.pProcess->LoadPreset(sChain, -1, false);
    EXPECT_EQ(chain.pProcess->GetParameter(kPatch), 7);
    EXPECT_EQ(chain.pProcess->GetParameter(kEqOutput), 42);

    // A single-module file in chain mode brings its global block along.
    const std::string sEq = folder.Path("eq.ryxp");
    SProcessRig eq(0);
    eq.pProcess->SetParameter(kEqOutput, -33);
    eq.pProcess->SavePreset(sEq);
    chain.pProcess->LoadPreset(sEq, -1, false);
    EXPECT_EQ(chain.pProcess->GetParameter(kEqOutput), -33);
    EXPECT_EQ(chain.pProcess->GetParameter(kPatch), 0);
}

TEST(PresetFile, ASavedPresetReproducesTheSoundBitForBit)
{
    CTestFolder folder;
    std::mt19937 random(ProcessTestSeed());
    SProcessRig original(4);
    for (int i = 0; i < kNrOfVantorParameters; ++i) {
        const SParameterDescriptor& d = kVantorParameters[i];
        original.pProcess->SetParameter(i, d.nMin + static_cast<int>(random() % (d.nMax - d.nMin + 1)));
    }
    original.pProcess->SavePreset(folder.Path("p.ryxp"));
    SProcessRig loaded(4);
    loaded.pProcess->LoadPreset(folder.Path("p.ryxp"), -1, false);
    std::vector<float> a = Noise(2 * 4096, random), b(a);
    original.Run(a, 2, 4096);
    loaded.Run(b, 2, 4096);
    EXPECT_EQ(0, std::memcmp(a.data(), b.data(), a.size() * sizeof(float)));
}

TEST(PresetFile, HostileTruncatedAndFlippedFilesNeverApplyWhatIsNotThere)
{
    CTestFolder folder;
    SProcessRig rig(4);
    rig.pProcess->SetParameter(kEqOutput, 17);
    rig.pProcess->SavePreset(folder.Path("good.ryxp"));
    const std::vector<unsigned char> good = ReadBytes(folder.Path("good.ryxp"));

    auto header = [](uint32_t nCount) {
        std::vector<unsigned char> bytes = { 'R', 'Y', 'X', 'P', 0, 0, 0, 0 };
        bytes.resize(12);
        std::memcpy(bytes.data() + 8, &nCount, 4);
        return bytes;
    };
    auto record = [](std::vector<unsigned char>& bytes, int32_t nModule, uint32_t nOffset, uint32_t nRecords) {
        const size_t nAt = bytes.size();
        bytes.resize(nAt + 12);
        std::memcpy(bytes.data() + nAt, &nModule, 4);
        std::memcpy(bytes.data() + nAt + 4, &nOffset, 4);
        std::memcpy(bytes.data() + nAt + 8, &nRecords, 4);
    };
    std::vector<std::vector<unsigned char>> hostile;
    hostile.push_back(header(0));
    hostile.push_back(header(0xFFFFFFFFu));
    std::vector<unsigned char> past = header(1);
    record(past, 0, 1000, 20); // block past the end
    hostile.push_back(past);
    std::vector<unsigned char> wrap = header(1);
    record(wrap, 0, 0xFFFFFFF8u, 0x20000001u); // offset + size wraps 32 bits
    hostile.push_back(wrap);
    std::vector<unsigned char> overlap = header(2);
    record(overlap, 0, 12, 3); // a block over the header and directory
    record(overlap, 1, 16, 2);
    hostile.push_back(overlap);
    std::vector<unsigned char> wrongVersion(good);
    wrongVersion[4] = 1;
    hostile.push_back(wrongVersion);

    SProcessRig target(4);
    for (size_t i = 0; i < hostile.size(); ++i) {
        WriteBytes(folder.Path("bad.ryxp"), hostile[i]);
        target.pProcess->LoadPreset(folder.Path("bad.ryxp"), -1, false);
        EXPECT_EQ(target.pProcess->GetParameter(kEqOutput), 0) << "hostile file " << i;
        // A readable header and directory is a preset to the list, whatever its blocks.
        EXPECT_EQ(IsValidPresetFile(folder.Path("bad.ryxp"), 4), i != 1 && i != 5) << i;
    }

    // Every truncation is rejected or applies only whole blocks; every single
    // bit flip loads without harm.
    for (size_t nLength = 0; nLength < good.size(); ++nLength) {
        WriteBytes(folder.Path("cut.ryxp"), std::vector<unsigned char>(good.begin(), good.begin() + nLength));
        SProcessRig cut(4);
        cut.pProcess->LoadPreset(folder.Path("cut.ryxp"), -1, false);
        if (nLength < 88 + 20 * 8) {
            EXPECT_EQ(cut.pProcess->GetParameter(kEqOutput), 0) << "the equaliser block is cut at " << nLength;
        }
    }
    for (size_t nBit = 0; nBit < good.size() * 8; nBit += 3) {
        std::vector<unsigned char> flipped(good);
        flipped[nBit / 8] ^= static_cast<unsigned char>(1u << (nBit % 8));
        WriteBytes(folder.Path("flip.ryxp"), flipped);
        target.pProcess->LoadPreset(folder.Path("flip.ryxp"), -1, false);
        std::vector<float> audio(2 * 256, 0.1f);
        target.Run(audio, 2, 256);
        ASSERT_TRUE(std::all_of(audio.begin(), audio.end(), [](float f) { return std::isfinite(f); })) << nBit;
    }
}

TEST(PresetFile, AFailedSaveLeavesThePreviousFileWhole)
{
    CTestFolder folder;
    SProcessRig rig(4);
    const std::string sPath = folder.Path("keep.ryxp");
    rig.pProcess->SavePreset(sPath);
    const std::vector<unsigned char> before = ReadBytes(sPath);
    ASSERT_EQ(before.size(), 448u);

    // A folder that cannot be written: the save fails, the file stays.
    ASSERT_EQ(::chmod(folder.Root().c_str(), 0500), 0);
    rig.pProcess->SetParameter(kEqOutput, 99);
    const bool bRoot = ::geteuid() == 0; // root writes anyway; the check below still holds
    EXPECT_EQ(WritePresetFile(sPath, *rig.pProcess->GetDataManager(), 4, VantorPresetLayout()), bRoot);
    ::chmod(folder.Root().c_str(), 0700);
    if (!bRoot) {
        EXPECT_EQ(ReadBytes(sPath), before);
    }
    EXPECT_FALSE(platform::FileExists(sPath + ".part")) << "no partial file is left behind";

    // A destination that is a folder: nothing is written, nothing is lost.
    ASSERT_EQ(::mkdir(folder.Path("dir.ryxp").c_str(), 0755), 0);
    EXPECT_FALSE(WritePresetFile(folder.Path("dir.ryxp"), *rig.pProcess->GetDataManager(), 4, VantorPresetLayout()));
    EXPECT_FALSE(platform::FileExists(folder.Path("dir.ryxp.part")));
}

TEST(PresetFile, NamesAndDefaultPathsFollowThePresetsFolder)
{
    EXPECT_EQ(PresetNameToPath("Rock:Warm"), "Rock/Warm");
    EXPECT_EQ(PresetNameToPath("A:B:C"), "A/B/C");
    const std::string sFolder = GetPresetsFolder();
    EXPECT_EQ(sFolder, GetModuleFolder() + "Vantor Presets/");
    EXPECT_EQ(GetDefaultPresetPath(3), sFolder + "Defaults/Clipper.ryxp");
    EXPECT_EQ(GetDefaultPresetPath(0), sFolder + "Defaults/EQ.ryxp");
    EXPECT_EQ(GetDefaultPresetPath(7), sFolder + "Defaults/");
}

TEST(PresetFile, TypedNamesAreTidiedOrRefusedWithAReason)
{
    std::string sWhy;
    EXPECT_EQ(TidyPresetName("  Warm Master ", sWhy), "Warm Master");
    EXPECT_TRUE(sWhy.empty());
    EXPECT_EQ(TidyPresetName("Rock : Live: Warm", sWhy), "Rock:Live:Warm");
    EXPECT_EQ(TidyPresetName("v1.2 (final)", sWhy), "v1.2 (final)") << "dots inside a name are fine";

    const std::string kBad[] = { "", "   ", "a/b", "../Up", "..", ".hidden", "Rock:.x", "Rock::Warm", ":Warm",
        "Rock:", "Rock:  :Warm", std::string("Tab\there"), std::string(251, 'x') };
    for (const std::string& sBad : kBad) {
        sWhy.clear();
        EXPECT_EQ(TidyPresetName(sBad, sWhy), "") << "'" << sBad << "'";
        EXPECT_FALSE(sWhy.empty()) << "'" << sBad << "' needs a reason";
    }
    EXPECT_EQ(TidyPresetName(std::string(250, 'x'), sWhy), std::string(250, 'x'));
}

} // namespace
