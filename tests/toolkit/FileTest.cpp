// The byte files under the container: open modes and the memory file's
// growth, size and position rules.
#include "toolkit/epiDiskFile.h"
#include "toolkit/epiRamFile.h"

#include "TestFolder.h"

#include <gtest/gtest.h>

TEST(DiskFile, OpenModesFollowTheirBits)
{
    CTestFolder folder;
    const std::string sPath = folder.Path("f.bin");
    epiDiskFile file;
    EXPECT_FALSE(file.Open(sPath, kEpiOpenRead)) << "missing";
    EXPECT_FALSE(file.Open(sPath, kEpiOpenRead | kEpiOpenWrite)) << "write needs an existing file without create";
    EXPECT_FALSE(file.Open(sPath, kEpiOpenRead | kEpiOpenWrite | kEpiOpenCreate | kEpiOpenRefuse));
    ASSERT_TRUE(file.Create(sPath));
    EXPECT_FALSE(file.Open(sPath, kEpiOpenRead)) << "already open";
    ASSERT_TRUE(file.Write(5, "hello"));
    ASSERT_TRUE(file.Seek(2, kEpiSeekStart));
    ASSERT_TRUE(file.Close()) << "cut at position 2";

    ASSERT_TRUE(file.Open(sPath, kEpiOpenRead | kEpiOpenWrite));
    int32_t nSize = 0, nAt = -1;
    ASSERT_TRUE(file.GetSize(nSize));
    EXPECT_EQ(nSize, 2);
    ASSERT_TRUE(file.GetPosition(nAt));
    EXPECT_EQ(nAt, 2) << "write mode starts at the end";
    ASSERT_TRUE(file.Close());

    ASSERT_TRUE(file.OpenReadOnly(sPath));
    epiDiskFile reader;
    EXPECT_TRUE(reader.OpenReadOnly(sPath)) << "readers share";
    char acText[3] = {};
    EXPECT_FALSE(file.Read(3, acText)) << "only an exact count succeeds";
    ASSERT_TRUE(file.Seek(-2, kEpiSeekEnd));
    ASSERT_TRUE(file.Read(2, acText));
    EXPECT_STREQ(acText, "he");
    EXPECT_FALSE(file.Write(1, "x"));
}

TEST(RamFile, GrowsInStepsAndWritesSetTheLogicalEnd)
{
    epiRamFile file;
    file.OpenInMemory(kEpiOpenRead | kEpiOpenWrite);
    ASSERT_TRUE(file.Reserve(0));
    EXPECT_EQ(file.GetCapacity(), 2048);
    ASSERT_TRUE(file.Reserve(2048));
    EXPECT_EQ(file.GetCapacity(), 4096) << "always strictly more than asked";
    ASSERT_TRUE(file.Reserve(100));
    EXPECT_EQ(file.GetCapacity(), 4096);

    ASSERT_TRUE(file.Write(10, "0123456789"));
    ASSERT_TRUE(file.Seek(4, kEpiSeekStart));
    ASSERT_TRUE(file.Write(2, "ab"));
    int32_t nSize = 0;
    ASSERT_TRUE(file.GetSize(nSize));
    EXPECT_EQ(nSize, 6) << "a write in the middle shortens the logical size";

    ASSERT_TRUE(file.Seek(3, kEpiSeekStart));
    char acText[5] = {};
    EXPECT_FALSE(file.Read(4, acText)) << "past the size";
    EXPECT_EQ(file.Tell(), 3) << "a failed read moves nothing";
    ASSERT_TRUE(file.Read(3, acText));
    EXPECT_STREQ(acText, "3ab");
    EXPECT_FALSE(file.Read(-1, acText));

    ASSERT_TRUE(file.Seek(10000, kEpiSeekStart));
    EXPECT_EQ(file.GetCapacity(), 10240) << "seeking past the capacity grows the block";
    EXPECT_FALSE(file.Seek(-1, kEpiSeekStart));
    EXPECT_FALSE(file.Seek(epiRamFile::kMaxCapacity, kEpiSeekStart)) << "no block past the limit";
}

TEST(RamFile, LoadsADiskFileAndSavesWhatWasWritten)
{
    CTestFolder folder;
    const std::string sPath = folder.Path("r.bin");
    {
        epiDiskFile disk;
        ASSERT_TRUE(disk.Create(sPath));
        ASSERT_TRUE(disk.Write(4, "abcd"));
        ASSERT_TRUE(disk.Close());
    }
    epiRamFile file;
    ASSERT_TRUE(file.Open(sPath, kEpiOpenRead | kEpiOpenWrite));
    int32_t nSize = 0;
    ASSERT_TRUE(file.GetSize(nSize));
    EXPECT_EQ(nSize, 4);
    EXPECT_EQ(file.Tell(), 0);
    ASSERT_TRUE(file.Seek(0, kEpiSeekEnd));
    ASSERT_TRUE(file.Write(2, "ef"));
    ASSERT_TRUE(file.Close());

    epiDiskFile disk;
    ASSERT_TRUE(disk.OpenReadOnly(sPath));
    char acText[7] = {};
    ASSERT_TRUE(disk.GetSize(nSize));
    EXPECT_EQ(nSize, 6);
    ASSERT_TRUE(disk.Read(6, acText));
    EXPECT_STREQ(acText, "abcdef");
}
