#include "support/File.h"

#include "TestFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>

namespace {

struct FileDeleter {
    void operator()(utils::IFile* pFile) const { pFile->Destroy(); }
};
using FilePtr = std::unique_ptr<utils::IFile, FileDeleter>;

FilePtr NewFile()
{
    return FilePtr(utils::CreateFileObject());
}

void WriteBytes(const std::string& sPath, const std::string& sBytes)
{
    std::ofstream(sPath, std::ios::binary) << sBytes;
}

TEST(File, MissingFileDoesNotOpenAndReportsNoSize)
{
    CTestFolder folder;
    FilePtr pFile = NewFile();
    EXPECT_FALSE(pFile->Open(folder.Path("missing.ryxp"), 0));
    EXPECT_EQ(pFile->GetSize(), 0u);
    char buffer[4];
    EXPECT_EQ(pFile->Read(buffer, 4), 0u);
    EXPECT_EQ(pFile->Write(buffer, 4), 0u);
    EXPECT_FALSE(pFile->Open(folder.Root(), 0)) << "a folder is not a file";
    EXPECT_FALSE(pFile->Open(folder.Path("no/such/folder/x"), 1));
}

TEST(File, UnknownModesFail)
{
    CTestFolder folder;
    WriteBytes(folder.Path("a"), "abc");
    FilePtr pFile = NewFile();
    EXPECT_FALSE(pFile->Open(folder.Path("a"), 2));
    EXPECT_FALSE(pFile->Open(folder.Path("a"), -1));
}

TEST(File, CreatingTruncatesAnExistingFile)
{
    CTestFolder folder;
    WriteBytes(folder.Path("a"), "0123456789");
    FilePtr pFile = NewFile();
    ASSERT_TRUE(pFile->Open(folder.Path("a"), 0));
    EXPECT_EQ(pFile->GetSize(), 10u);
    ASSERT_TRUE(pFile->Open(folder.Path("a"), 1));
    EXPECT_EQ(pFile->GetSize(), 0u);
    pFile->Close();
    ASSERT_TRUE(pFile->Open(folder.Path("a"), 0));
    EXPECT_EQ(pFile->GetSize(), 0u);
}

TEST(File, TypedArraysRoundTripInLittleEndianOrder)
{
    CTestFolder folder;
    const int32_t ints[3] = { 1, -2, 0x7FFFFFFF };
    const uint32_t words[2] = { 0xDEADBEEF, 7 };
    const int16_t shorts[3] = { -1, 2, 0x1234 };
    const uint16_t halves[2] = { 0xABCD, 1 };
    const float floats[2] = { -15.5f, 1e-20f };

    FilePtr pFile = NewFile();
    ASSERT_TRUE(pFile->Open(folder.Path("t"), 1));
    EXPECT_EQ(pFile->WriteInt32Array(ints, 3), 3u);
    EXPECT_EQ(pFile->WriteUInt32Array(words, 2), 2u);
    EXPECT_EQ(pFile->WriteWordArray(words, 2), 2u);
    EXPECT_EQ(pFile->WriteInt16Array(shorts, 3), 3u);
    EXPECT_EQ(pFile->WriteShortArray(halves, 2), 2u);
    EXPECT_EQ(pFile->WriteFloatArray(floats, 2), 2u);
    pFile->Close();

    ASSERT_TRUE(pFile->Open(folder.Path("t"), 0));
    EXPECT_EQ(pFile->GetSize(), 12u + 8u + 8u + 6u + 4u + 8u);
    unsigned char head[4];
    EXPECT_EQ(pFile->Read(head, 4), 4u);
    EXPECT_EQ(head[0], 1);
    EXPECT_EQ(head[3], 0);
    EXPECT_EQ(pFile->Seek(0), 0u);

    int32_t ints2[3];
    uint32_t words2[2], words3[2];
    int16_t shorts2[3];
    uint16_t halves2[2];
    float floats2[2];
    EXPECT_EQ(pFile->ReadInt32Array(ints2, 3), 3u);
    EXPECT_EQ(pFile->ReadUInt32Array(words2, 2), 2u);
    EXPECT_EQ(pFile->ReadWordArray(words3, 2), 2u);
    EXPECT_EQ(pFile->ReadInt16Array(shorts2, 3), 3u);
    EXPECT_EQ(pFile->ReadShortArray(halves2, 2), 2u);
    EXPECT_EQ(pFile->ReadFloatArray(floats2, 2), 2u);
    EXPECT_EQ(0, std::memcmp(ints, ints2, sizeof(ints)));
    EXPECT_EQ(0, std::memcmp(words, words2, sizeof(words)));
    EXPECT_EQ(0, std::memcmp(words, words3, sizeof(words)));
    EXPECT_EQ(0, std::memcmp(shorts, shorts2, sizeof(shorts)));
    EXPECT_EQ(0, std::memcmp(halves, halves2, sizeof(halves)));
    EXPECT_EQ(0, std::memcmp(floats, floats2, sizeof(floats)));
}

TEST(File, ShortReadsCountOnlyWholeElements)
{
    CTestFolder folder;
    WriteBytes(folder.Path("ten"), "0123456789");
    FilePtr pFile = NewFile();
    ASSERT_TRUE(pFile->Open(folder.Path("ten"), 0));

    int32_t values[3] = {};
    EXPECT_EQ(pFile->ReadInt32Array(values, 3), 2u) << "10 bytes hold two whole 32-bit elements";
    EXPECT_EQ(pFile->ReadInt32Array(values, 3), 0u) << "nothing is left";

    EXPECT_EQ(pFile->Seek(7), 7u);
    int16_t shorts[4] = {};
    EXPECT_EQ(pFile->ReadInt16Array(shorts, 4), 1u) << "3 bytes left hold one 16-bit element";
    float floats[2];
    EXPECT_EQ(pFile->Seek(8), 8u);
    EXPECT_EQ(pFile->ReadFloatArray(floats, 2), 0u);
}

TEST(File, AnOpenFileIsNotSharedWithASecondOpener)
{
    CTestFolder folder;
    WriteBytes(folder.Path("p"), "x");
    FilePtr pFirst = NewFile();
    FilePtr pSecond = NewFile();
    ASSERT_TRUE(pFirst->Open(folder.Path("p"), 0));
    EXPECT_FALSE(pSecond->Open(folder.Path("p"), 0));
    EXPECT_FALSE(pSecond->Open(folder.Path("p"), 1));
    pFirst->Close();
    EXPECT_TRUE(pSecond->Open(folder.Path("p"), 0));
    EXPECT_EQ(pSecond->GetSize(), 1u) << "the refused create did not truncate";
}

} // namespace
