#include "platform/Platform.h"

#include "TestFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sys/stat.h>

namespace {

TEST(Platform, AlignedBlocksAreZeroedSixteenByteAlignedAndFreeable)
{
    for (size_t nBytes : { size_t(1), size_t(64 * sizeof(float)), size_t(16384 * sizeof(float)) }) {
        for (int nRepeat = 0; nRepeat < 32; ++nRepeat) {
            auto* pBlock = static_cast<unsigned char*>(platform::AllocAligned(nBytes));
            ASSERT_NE(pBlock, nullptr);
            EXPECT_EQ(reinterpret_cast<uintptr_t>(pBlock) % 16, 0u);
            EXPECT_TRUE(std::all_of(pBlock, pBlock + nBytes, [](unsigned char c) { return c == 0; }));
            std::fill(pBlock, pBlock + nBytes, 0xAB); // the whole block is writable
            platform::FreeAligned(pBlock);
        }
    }
    platform::FreeAligned(nullptr);
    EXPECT_EQ(platform::AllocAligned(std::numeric_limits<size_t>::max() - 4), nullptr);
}

TEST(Platform, ModuleFolderIsTheFolderOfTheRunningBinary)
{
    const std::string sFile = platform::GetModuleFile();
    const std::string sFolder = platform::GetModuleFolder();
    ASSERT_FALSE(sFile.empty());
    EXPECT_EQ(sFolder.back(), '/');
    EXPECT_EQ(sFile.substr(0, sFolder.size()), sFolder);
    EXPECT_EQ(sFile.find('/', sFolder.size()), std::string::npos);
    EXPECT_TRUE(platform::FileExists(sFile));
}

TEST(Platform, FoldersListTheirEntriesAndAreMadeOnDemand)
{
    CTestFolder folder;
    std::ofstream(folder.Path("EQ.ryxp")) << "x";
    std::ofstream(folder.Path(".hidden")) << "x";
    ASSERT_EQ(::mkdir(folder.Path("Defaults").c_str(), 0755), 0);

    std::vector<platform::SFolderEntry> entries;
    ASSERT_TRUE(platform::ListFolder(folder.Root(), entries));
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.sName < b.sName; });
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].sName, ".hidden");
    EXPECT_TRUE(entries[0].bIsHidden);
    EXPECT_EQ(entries[1].sName, "Defaults");
    EXPECT_TRUE(entries[1].bIsFolder);
    EXPECT_EQ(entries[2].sName, "EQ.ryxp");
    EXPECT_FALSE(entries[2].bIsFolder || entries[2].bIsHidden);

    EXPECT_FALSE(platform::ListFolder(folder.Path("missing"), entries));
    EXPECT_TRUE(entries.empty());

    // Folders are made with their parents and found again; a file in the
    // way is refused.
    EXPECT_TRUE(platform::CreateFolders(folder.Path("Rock/Live/")));
    EXPECT_TRUE(platform::CreateFolders(folder.Path("Rock/Live")));
    EXPECT_TRUE(platform::ListFolder(folder.Path("Rock/Live"), entries));
    EXPECT_FALSE(platform::CreateFolders(folder.Path("EQ.ryxp")));
    EXPECT_EQ(errno, ENOTDIR);
    EXPECT_FALSE(platform::CreateFolders(folder.Path("EQ.ryxp/Rock")));
    EXPECT_FALSE(platform::CreateFolders(""));
}

TEST(Platform, WritableFoldersAreFoundByTryingAndLeaveNoTrace)
{
    CTestFolder folder;
    std::ofstream(folder.Path("EQ.ryxp")) << "x";
    EXPECT_TRUE(platform::CanWriteFolder(folder.Root()));
    std::vector<platform::SFolderEntry> entries;
    ASSERT_TRUE(platform::ListFolder(folder.Root(), entries));
    EXPECT_EQ(entries.size(), 1u) << "the trial file is gone";
    EXPECT_TRUE(platform::CanWriteFile(folder.Path("EQ.ryxp")));
    EXPECT_FALSE(platform::CanWriteFolder(folder.Path("EQ.ryxp"))) << "a file is no folder";
    EXPECT_FALSE(platform::CanWriteFolder(folder.Path("missing")));
    // Not even root writes into /proc.
    EXPECT_FALSE(platform::CanWriteFolder("/proc"));
    EXPECT_FALSE(platform::CanWriteFile(folder.Path("missing.ryxp")));
}

TEST(Platform, TheUserDataFolderFollowsXdgDataHomeThenHome)
{
    const char* pszData = std::getenv("XDG_DATA_HOME");
    const char* pszHome = std::getenv("HOME");
    const std::string sData = pszData != nullptr ? pszData : "", sHome = pszHome != nullptr ? pszHome : "";
    ::setenv("XDG_DATA_HOME", "/srv/data", 1);
    EXPECT_EQ(platform::GetUserDataFolder(), "/srv/data/");
    ::setenv("XDG_DATA_HOME", "relative/data", 1); // not absolute: ignored
    ::setenv("HOME", "/home/eng/", 1);
    EXPECT_EQ(platform::GetUserDataFolder(), "/home/eng/.local/share/");
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("HOME");
    EXPECT_EQ(platform::GetUserDataFolder(), "");
    if (pszData != nullptr)
        ::setenv("XDG_DATA_HOME", sData.c_str(), 1);
    if (pszHome != nullptr)
        ::setenv("HOME", sHome.c_str(), 1);
}

TEST(Platform, ReplacingAFileSwapsItsContentsWhole)
{
    CTestFolder folder;
    std::ofstream(folder.Path("a")) << "old";
    std::ofstream(folder.Path("a.tmp")) << "new";
    ASSERT_TRUE(platform::ReplaceFile(folder.Path("a.tmp"), folder.Path("a")));
    EXPECT_FALSE(platform::FileExists(folder.Path("a.tmp")));
    std::string sText;
    std::ifstream(folder.Path("a")) >> sText;
    EXPECT_EQ(sText, "new");
    EXPECT_FALSE(platform::ReplaceFile(folder.Path("gone"), folder.Path("a")));
}

TEST(Platform, NoDenormalsModeFlushesTinyResultsAndIsRestored)
{
    volatile float fTiny = std::numeric_limits<float>::min();
    volatile float fHalf = 0.5f;
    const bool bSubnormalBefore = std::fpclassify(fTiny * fHalf) == FP_SUBNORMAL;
    {
        platform::CScopedNoDenormals noDenormals;
        if (platform::IsSSEUsable()) {
            EXPECT_EQ(fTiny * fHalf, 0.0f);
        }
    }
    EXPECT_EQ(std::fpclassify(fTiny * fHalf) == FP_SUBNORMAL, bSubnormalBefore);
}

TEST(Platform, LoadingAMissingLibraryFailsWithAReason)
{
    platform::CSharedLibrary library;
    EXPECT_FALSE(library.Load("/nonexistent/Vantor.vpa"));
    EXPECT_FALSE(library.GetError().empty());
    EXPECT_EQ(library.FindSymbol("vpaMain"), nullptr);
}

} // namespace
