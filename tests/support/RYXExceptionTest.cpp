#include "support/RYXException.h"

#include <gtest/gtest.h>

namespace {

// Throws the way the library does and hands back what a handler catches.
utils::IRYXException* Catch(int nType, const std::string& sInfo)
{
    try {
        utils::ThrowRYXException(nType, sInfo);
    } catch (utils::IRYXException* pException) {
        return pException;
    }
    return nullptr;
}

TEST(RYXException, MessageNamesTheTypeAndAppendsTheInfoOnItsOwnLine)
{
    utils::IRYXException* pException = Catch(1, "ProcessInPlace(...) not defined for this process");
    ASSERT_NE(pException, nullptr);
    EXPECT_EQ(pException->GetType(), 1);
    EXPECT_EQ(pException->GetTypeName(), "Program Flow");
    EXPECT_EQ(pException->GetInfo(), "ProcessInPlace(...) not defined for this process");
    EXPECT_EQ(pException->GetMessage(),
        "Exception: Program Flow\nAdditional info: ProcessInPlace(...) not defined for this process");
    pException->Destroy();

    pException = Catch(2, "");
    ASSERT_NE(pException, nullptr);
    EXPECT_EQ(pException->GetMessage(), "Exception: Not Implemented");
    pException->Destroy();
}

TEST(RYXException, EveryTypeHasItsFixedNameAndOthersAreUnknown)
{
    const char* names[] = { "Unknown", "Program Flow", "Not Implemented", "Math", "Out Of Memory",
        "File could not be opened", "Abort", "File could not be written", "Unknown" };
    for (int nType = 0; nType <= 8; ++nType) {
        utils::CRYXException exception(nType, "x");
        EXPECT_EQ(exception.GetTypeName(), names[nType]) << "type " << nType;
        EXPECT_EQ(exception.GetMessage(), std::string("Exception: ") + names[nType] + "\nAdditional info: x");
    }
    EXPECT_EQ(utils::CRYXException(-1, "").GetTypeName(), "Unknown");
}

} // namespace
