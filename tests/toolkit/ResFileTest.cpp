// The skin container: byte layout, directory semantics, memory-only images,
// paths, and refusal of hostile files.
#include "toolkit/epiDiskResFile.h"
#include "toolkit/epiPath.h"
#include "toolkit/epiRamResFile.h"
#include "toolkit/epiTypes.h"

#include "TestFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace {

const uint32_t kTypeA = EpiTypeCode("TSTA");
const uint32_t kTypeB = EpiTypeCode("TSTB");

// A container image made by hand: capacity 2, one "MPIX" resource of 4 bytes
// at offset 40, right after the directory.
std::vector<uint8_t> HandBuiltImage()
{
    return {
        0x00, 0x01, 0x00, 0x02, 0x00, 0x01, 0xAB, 0xCD, // version 1, capacity 2, count 1, reserved
        0x00, 0x00, 0x01, 0xF4, 'M', 'P', 'I', 'X', // id 500, type
        0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00, 0x28, // size 4, offset 40
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, // unused slot
        0xDE, 0xAD, 0xBE, 0xEF, // the data
    };
}

bool AttachImage(epiRamResFile& file, const std::vector<uint8_t>& bytes)
{
    return file.CreateFromMemory(static_cast<int32_t>(bytes.size()), bytes.data())
        && file.AttachSize(static_cast<int32_t>(bytes.size()));
}

} // namespace

TEST(ResFile, AHandBuiltImageReadsInMemoryAndFromDisk)
{
    const std::vector<uint8_t> image = HandBuiltImage();
    CTestFolder folder;
    WriteBytes(folder.Path("hand.xrs"), image);

    epiRamResFile memory;
    ASSERT_TRUE(AttachImage(memory, image));
    epiDiskResFile disk;
    disk.SetReadOnly(true);
    ASSERT_TRUE(disk.SetPath(epi::ToolkitPathFrom(folder.Path("hand.xrs"))));
    ASSERT_TRUE(disk.Open());

    for (epiDiskResFile* pFile : { static_cast<epiDiskResFile*>(&memory), &disk }) {
        EXPECT_EQ(pFile->Count(), 1);
        EXPECT_EQ(pFile->GetCapacity(), 2);
        EXPECT_EQ(pFile->GetDataEnd(), 16008u) << "the data end never starts below 16008";
        uint8_t aData[4] = {};
        ASSERT_TRUE(pFile->Get(aData, 4, EpiTypeCode("MPIX"), 500));
        EXPECT_EQ(EpiGetBE32(aData), 0xDEADBEEFu);
        EXPECT_FALSE(pFile->Get(aData, 3, EpiTypeCode("MPIX"), 500)) << "one byte off is a failure";
        EXPECT_FALSE(pFile->HasSize(5, EpiTypeCode("MPIX"), 500));
        EXPECT_FALSE(pFile->Find(EpiTypeCode("MPIX"), 501));
        EXPECT_EQ(pFile->GetSize(EpiTypeCode("PX16"), 500), 0);
        uint32_t nType = 0;
        int32_t iId = 0, nSize = 0;
        ASSERT_TRUE(pFile->GetEntry(0, &nType, &iId, &nSize));
        EXPECT_EQ(nType, 0x4D504958u);
        EXPECT_EQ(iId, 500);
        EXPECT_EQ(nSize, 4);
        EXPECT_FALSE(pFile->GetEntry(1, nullptr, nullptr, nullptr));
    }
}

TEST(ResFile, ANewFileHasTheDocumentedByteLayout)
{
    CTestFolder folder;
    const std::string sPath = folder.Path("new.xrs");
    {
        epiDiskResFile file;
        ASSERT_TRUE(file.SetPath(epi::ToolkitPathFrom(sPath)));
        ASSERT_TRUE(file.Create());
        EXPECT_FALSE(epiDiskResFile().SetPath(std::string(256, 'a')));
        const uint8_t aData[3] = { 1, 2, 3 };
        ASSERT_TRUE(file.Put(aData, 3, kTypeA, 7));
        ASSERT_TRUE(file.Close());
    }
    const std::vector<uint8_t> bytes = ReadBytes(sPath);
    ASSERT_EQ(bytes.size(), 16011u) << "closing cuts the file at the data end";
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 8),
        (std::vector<uint8_t> { 0, 1, 0x03, 0xE8, 0, 1, 0, 0 }));
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 8, bytes.begin() + 24),
        (std::vector<uint8_t> { 0, 0, 0, 7, 'T', 'S', 'T', 'A', 0, 0, 0, 3, 0, 0, 0x3E, 0x88 }));
    EXPECT_EQ(bytes[24], 0) << "unused slots stay zero";
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 16008, bytes.end()), (std::vector<uint8_t> { 1, 2, 3 }));

    epiDiskResFile file;
    ASSERT_TRUE(file.SetPath(epi::ToolkitPathFrom(sPath)));
    EXPECT_FALSE(file.Create()) << "create refuses an existing file";
    ASSERT_TRUE(file.Open());
    EXPECT_EQ(file.GetSize(kTypeA, 7), 3);
}

TEST(ResFile, PutMovesAGrownResourceAndRewritesOthersInPlace)
{
    epiRamResFile file;
    ASSERT_TRUE(file.CreateInMemory(0));
    const std::vector<uint8_t> four(4, 0x11), two(2, 0x22), eight(8, 0x33), other(5, 0x44);
    ASSERT_TRUE(file.Put(four.data(), 4, kTypeA, 1));
    ASSERT_TRUE(file.Put(other.data(), 5, kTypeA, 2));
    EXPECT_EQ(file.GetDataEnd(), 16017u);

    ASSERT_TRUE(file.Put(two.data(), 2, kTypeA, 1)) << "smaller: same place, new size";
    EXPECT_EQ(file.GetSize(kTypeA, 1), 2);
    EXPECT_EQ(file.GetDataEnd(), 16017u);

    ASSERT_TRUE(file.Put(eight.data(), 8, kTypeA, 1)) << "larger: moved to the end, the hole stays";
    EXPECT_EQ(file.GetDataEnd(), 16025u);
    std::vector<uint8_t> back(8);
    ASSERT_TRUE(file.Get(back.data(), 8, kTypeA, 1));
    EXPECT_EQ(back, eight);
    back.resize(5);
    ASSERT_TRUE(file.Get(back.data(), 5, kTypeA, 2));
    EXPECT_EQ(back, other) << "the neighbour is untouched";

    ASSERT_TRUE(file.Close());
    const uint8_t* pImage = file.GetBuffer();
    ASSERT_EQ(file.GetBufferSize(), 16025);
    // Entry 0 (id 1) now points at 16017.
    EXPECT_EQ(EpiGetBE32(pImage + 8 + 12), 16017u);
}

TEST(ResFile, DirectoryOperationsKeepOrderAndCountKeys)
{
    epiRamResFile file;
    ASSERT_TRUE(file.CreateInMemory(0));
    const uint8_t nByte = 9;
    for (int32_t iId : { 3, 7, 5 })
        ASSERT_TRUE(file.Put(&nByte, 1, kTypeA, iId));
    ASSERT_TRUE(file.Put(&nByte, 1, kTypeB, 1));
    EXPECT_EQ(file.UniqueId(kTypeA), 8);
    EXPECT_EQ(file.UniqueId(kTypeB), 2);
    EXPECT_EQ(file.UniqueId(EpiTypeCode("NONE")), 0);
    EXPECT_EQ(file.CountTypes(), 2);
    EXPECT_EQ(file.NthType(0), kTypeA);
    EXPECT_EQ(file.NthType(1), kTypeB);
    EXPECT_EQ(file.NthType(2), 0u);
    EXPECT_EQ(file.CountOfType(kTypeA), 3);

    ASSERT_TRUE(file.Remove(kTypeA, 3));
    EXPECT_EQ(file.IdOfNth(kTypeA, 0), 7) << "the rest moved down in order";
    EXPECT_EQ(file.IdOfNth(kTypeA, 1), 5);
    EXPECT_EQ(file.IdOfNth(kTypeA, 2), -1);
    EXPECT_FALSE(file.Remove(kTypeA, 3));

    EXPECT_FALSE(file.ChangeId(kTypeA, 7, 5)) << "the new id is taken";
    EXPECT_FALSE(file.ChangeId(kTypeA, 4, 9)) << "the old id is missing";
    ASSERT_TRUE(file.ChangeId(kTypeA, 7, 9));
    EXPECT_TRUE(file.Find(kTypeA, 9));
    EXPECT_FALSE(file.Find(kTypeA, 7));

    ASSERT_TRUE(file.RemoveAll());
    EXPECT_EQ(file.Count(), 0);
    EXPECT_EQ(file.GetDataEnd(), 16012u) << "the data end stays after RemoveAll";
}

TEST(ResFile, TheDirectoryHoldsAThousandKeys)
{
    epiRamResFile file;
    ASSERT_TRUE(file.CreateInMemory(0));
    const uint8_t nByte = 1;
    for (int32_t i = 0; i < 1000; ++i)
        ASSERT_TRUE(file.Put(&nByte, 1, kTypeA, i));
    EXPECT_FALSE(file.Put(&nByte, 1, kTypeA, 1000));
    EXPECT_TRUE(file.Put(&nByte, 1, kTypeA, 999)) << "an existing key still rewrites";
}

TEST(ResFile, AClosedMemoryImageIsExactlyTheFileAndOpensFromDisk)
{
    epiRamResFile memory;
    ASSERT_TRUE(memory.CreateInMemory(100));
    const uint8_t aData[6] = { 1, 2, 3, 4, 5, 6 };
    ASSERT_TRUE(memory.Put(aData, 6, kTypeB, 42));
    ASSERT_TRUE(memory.Close());
    ASSERT_EQ(memory.GetBufferSize(), 16014);
    const std::vector<uint8_t> image(memory.GetBuffer(), memory.GetBuffer() + memory.GetBufferSize());

    CTestFolder folder;
    WriteBytes(folder.Path("image.xrs"), image);
    epiDiskResFile disk;
    disk.SetReadOnly(true);
    ASSERT_TRUE(disk.SetPath(epi::ToolkitPathFrom(folder.Path("image.xrs"))));
    ASSERT_TRUE(disk.Open());
    uint8_t aBack[6] = {};
    ASSERT_TRUE(disk.Get(aBack, 6, kTypeB, 42));
    EXPECT_EQ(aBack[5], 6);
    EXPECT_FALSE(disk.Put(aData, 6, kTypeB, 43)) << "a read-only container does not write";
}

TEST(ResFile, ClosingAWritableContainerCutsTheFileAtTheDataEnd)
{
    CTestFolder folder;
    const std::string sPath = folder.Path("cut.xrs");
    epiRamResFile memory;
    ASSERT_TRUE(memory.CreateInMemory(0));
    const uint8_t nByte = 7;
    ASSERT_TRUE(memory.Put(&nByte, 1, kTypeA, 1));
    memory.Close();
    std::vector<uint8_t> image(memory.GetBuffer(), memory.GetBuffer() + memory.GetBufferSize());
    image.insert(image.end(), 100, 0xEE); // garbage behind the data end
    WriteBytes(sPath, image);

    epiDiskResFile file;
    ASSERT_TRUE(file.SetPath(epi::ToolkitPathFrom(sPath)));
    ASSERT_TRUE(file.Open());
    ASSERT_TRUE(file.Close());
    EXPECT_EQ(ReadBytes(sPath).size(), 16009u);
}

TEST(ResFile, OperationsOnAClosedContainerFailQuietly)
{
    epiDiskResFile file;
    uint8_t nByte = 0;
    EXPECT_FALSE(file.Open()) << "no path set";
    EXPECT_FALSE(file.Put(&nByte, 1, kTypeA, 1));
    EXPECT_FALSE(file.Get(&nByte, 1, kTypeA, 1));
    EXPECT_EQ(file.GetSize(kTypeA, 1), 0);
    EXPECT_EQ(file.IdOfNth(kTypeA, 0), 0);
    EXPECT_EQ(file.Count(), 0);
    EXPECT_FALSE(file.Close());
    EXPECT_TRUE(file.SetPath(":no:such:folder:x.xrs"));
    EXPECT_FALSE(file.Open());
    EXPECT_FALSE(file.IsOpen());
}

TEST(ResFile, HostileHeadersAndEntriesAreRejectedAtOpen)
{
    auto rejects = [](std::vector<uint8_t> image) {
        epiRamResFile file;
        return !AttachImage(file, image) && !file.IsOpen() && file.Count() == 0;
    };
    std::vector<uint8_t> image = HandBuiltImage();
    image[5] = 3; // count 3 > capacity 2
    EXPECT_TRUE(rejects(image));
    image = HandBuiltImage();
    image[3] = 200; // a directory of 200 slots does not fit the file
    EXPECT_TRUE(rejects(image));
    image = HandBuiltImage();
    image[19] = 5; // the run passes the end by one byte
    EXPECT_TRUE(rejects(image));
    image = HandBuiltImage();
    EpiPutBE32(image.data() + 16, 0xFFFFFFF0u); // offset + size wraps in 32 bits
    EpiPutBE32(image.data() + 20, 0x20u);
    EXPECT_TRUE(rejects(image));
    image = HandBuiltImage();
    EpiPutBE32(image.data() + 20, 0); // a run inside the header
    EXPECT_TRUE(rejects(image));

    // Every truncation of a valid image is refused; none reads outside it.
    const std::vector<uint8_t> whole = HandBuiltImage();
    for (size_t n = 0; n < whole.size(); ++n)
        EXPECT_TRUE(rejects(std::vector<uint8_t>(whole.begin(), whole.begin() + static_cast<long>(n)))) << n;
}

TEST(ToolkitPath, ConvertsBetweenTheToolkitFormAndPosix)
{
    EXPECT_EQ(epi::NativePathFrom(":home:u:Vantor.xrs"), "/home/u/Vantor.xrs");
    EXPECT_EQ(epi::NativePathFrom("a:b.xrs"), "a/b.xrs");
    EXPECT_EQ(epi::NativePathFrom("::a:b"), ".//a/b") << "a leading double colon stays relative";
    EXPECT_EQ(epi::NativePathFrom("/already/native"), "/already/native");
    EXPECT_EQ(epi::ToolkitPathFrom("/home/u/"), ":home:u:");
    EXPECT_EQ(epi::NativePathFrom(epi::ToolkitPathFrom("/tmp/x/Vantor.xrs")), "/tmp/x/Vantor.xrs");
}
