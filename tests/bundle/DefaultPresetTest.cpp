// A new process loads the module defaults that lie beside the library it
// was loaded from.
#include "hosting/VpaHost.h"
#include "host-interface/vpaProcess.h"

#include "TestFolder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace {

void WriteWords(const std::string& sPath, std::initializer_list<int32_t> words, const char* pszMagic = "RYXP")
{
    std::ofstream file(sPath, std::ios::binary);
    file.write(pszMagic, 4);
    for (int32_t n : words)
        file.write(reinterpret_cast<const char*>(&n), 4);
}

TEST(DefaultPresets, ANewProcessLoadsTheDefaultsBesideItsLibrary)
{
    CTestFolder folder;
    namespace fs = std::filesystem;
    const fs::path bundle = fs::path(CVpaLibrary::DefaultPath()).parent_path();
    fs::copy_file(bundle / "Vantor.vpa", folder.Path("Vantor.vpa"));
    fs::create_directories(folder.Path("Vantor Presets/Defaults"));
    // A clipper default written by hand: gain -2.0 dB, curve -3.0 dB.
    WriteWords(folder.Path("Vantor Presets/Defaults/Clipper.ryxp"),
        { 0, 2, -1, 36, 2, 3, 52, 4, 0, 1, 1, 5, 43, 1, 44, -20, 45, -30, 46, 0 });
    // A damaged equaliser default: ignored, the table's values stay.
    WriteWords(folder.Path("Vantor Presets/Defaults/EQ.ryxp"), { 0, 2, -1, 36, 2, 0, 52, 20 }, "RYXQ");

    CVpaLibrary library;
    ASSERT_TRUE(library.Load(folder.Path("Vantor.vpa"))) << library.GetError();
    CVpaHost host;
    vpa::IPlugIn* pPlugIn = library.CreatePlugIn(&host, nullptr);
    ASSERT_NE(pPlugIn, nullptr);
    for (unsigned nType : { 3u, 4u }) {
        vpa::IProcess* pProcess = pPlugIn->CreateProcess(nType);
        ASSERT_NE(pProcess, nullptr);
        EXPECT_EQ(pProcess->GetParameter(44), -20) << "clipper gain from the default file, type " << nType;
        EXPECT_EQ(pProcess->GetParameter(45), -30);
        EXPECT_EQ(pProcess->GetParameter(0), 0) << "the global block of a default is never applied";
        EXPECT_EQ(pProcess->GetParameter(1), 0);
        EXPECT_EQ(pProcess->GetParameter(21), 0) << "equaliser output keeps its table default";
        pProcess->DestroySelf();
    }
    pPlugIn->DestroySelf();
}

// A host may open the library by a name relative to its working directory
// and change directory afterwards: the library's folder was fixed at load.
TEST(DefaultPresets, ALibraryOpenedByARelativePathStillFindsItsFolderAfterAChangeOfDirectory)
{
    CTestFolder folder;
    namespace fs = std::filesystem;
    const fs::path bundle = fs::path(CVpaLibrary::DefaultPath()).parent_path();
    fs::create_directories(folder.Path("bundle/Vantor Presets/Defaults"));
    fs::copy_file(bundle / "Vantor.vpa", folder.Path("bundle/Vantor.vpa"));
    WriteWords(folder.Path("bundle/Vantor Presets/Defaults/Clipper.ryxp"),
        { 0, 2, -1, 36, 2, 3, 52, 4, 0, 1, 1, 5, 43, 1, 44, -20, 45, -30, 46, 0 });

    const fs::path home = fs::current_path();
    fs::current_path(folder.Path(""));
    CVpaLibrary library;
    const bool bLoaded = library.Load("./bundle/Vantor.vpa");
    fs::current_path("/");
    ASSERT_TRUE(bLoaded) << library.GetError();
    CVpaHost host;
    vpa::IPlugIn* pPlugIn = library.CreatePlugIn(&host, nullptr);
    ASSERT_NE(pPlugIn, nullptr);
    vpa::IProcess* pProcess = pPlugIn->CreateProcess(3);
    ASSERT_NE(pProcess, nullptr);
    EXPECT_EQ(pProcess->GetParameter(44), -20) << "the default beside the library was found";
    pProcess->DestroySelf();
    pPlugIn->DestroySelf();
    fs::current_path(home);
}

TEST(DefaultPresets, TheBuiltBundleShipsItsDefaultsAndFactoryPresets)
{
    namespace fs = std::filesystem;
    const fs::path presets = fs::path(CVpaLibrary::DefaultPath()).parent_path() / "Vantor Presets";
    for (const char* pszName : { "EQ.ryxp", "Compressor.ryxp", "Limiter.ryxp", "Clipper.ryxp" })
        EXPECT_TRUE(fs::is_regular_file(presets / "Defaults" / pszName)) << pszName;
    EXPECT_EQ(fs::file_size(presets / "Defaults" / "EQ.ryxp"), 212u);
    EXPECT_EQ(fs::file_size(presets / "Defaults" / "Clipper.ryxp"), 84u);
    int nFactory = 0;
    for (const auto& entry : fs::recursive_directory_iterator(presets)) {
        if (entry.path().extension() == ".ryxp" && entry.path().parent_path().filename() != "Defaults")
            ++nFactory;
    }
    EXPECT_GE(nFactory, 8);
}

} // namespace
