#include "support/File.h"

#include "TestFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
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

TEST(File, WordsReadWholeAndShortReadsCountOnlyWholeWords)
{
    CTestFolder folder;
    // 1, -2, 0xDEADBEEF as little-endian words, then two stray bytes.
    WriteBytes(folder.Path("w"), std::string("\x01\0\0\0\xfe\xff\xff\xff\xef\xbe\xad\xde\x07\x08", 14));
    FilePtr pFile = NewFile();
    ASSERT_TRUE(pFile->Open(folder.Path("w"), 0));
    EXPECT_EQ(pFile->GetSize(), 14u);
    int32_t ints[2] = {};
    EXPECT_EQ(pFile->ReadInt32Array(ints, 2), 2u);
    EXPECT_EQ(ints[0], 1);
    EXPECT_EQ(ints[1], -2);
    uint32_t words[3] = {};
    EXPECT_EQ(pFile->ReadUInt32Array(words, 3), 1u) << "6 bytes left hold one whole word";
    EXPECT_EQ(words[0], 0xDEADBEEFu);
    EXPECT_EQ(pFile->ReadUInt32Array(words, 1), 0u) << "nothing is left";
    EXPECT_EQ(pFile->Seek(11), 11u);
    EXPECT_EQ(pFile->ReadInt32Array(ints, 1), 0u) << "3 bytes are no word";
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
