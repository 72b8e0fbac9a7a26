#include "LoadedLibrary.h"

#include "host-interface/vpaPlugIn.h"

#include <gtest/gtest.h>

namespace {

TEST(Entry, HostsUpToVersionFiveGetAPlugInAndLearnVersionFive)
{
    for (unsigned nHostVersion : { 0u, 1u, 4u, 5u }) {
        CVpaHost host(nHostVersion);
        unsigned nVersion = 12345;
        vpa::IPlugIn* pPlugIn = LoadedLibrary().CreatePlugIn(&host, &nVersion);
        ASSERT_NE(pPlugIn, nullptr) << "host version " << nHostVersion;
        EXPECT_EQ(nVersion, 5u);
        EXPECT_EQ(pPlugIn->GetNrOfProcessTypes(), 5u);
        pPlugIn->DestroySelf();
    }
}

TEST(Entry, LaterOrMissingHostsAreRefusedAndTheirVersionWordIsLeftAlone)
{
    for (unsigned nHostVersion : { 6u, 7u, 0xFFFFFFFFu }) {
        CVpaHost host(nHostVersion);
        unsigned nVersion = 12345;
        EXPECT_EQ(LoadedLibrary().CreatePlugIn(&host, &nVersion), nullptr);
        EXPECT_EQ(nVersion, 12345u);
    }
    unsigned nVersion = 12345;
    EXPECT_EQ(LoadedLibrary().CreatePlugIn(nullptr, &nVersion), nullptr);
    EXPECT_EQ(nVersion, 12345u);

    CVpaHost host;
    vpa::IPlugIn* pPlugIn = LoadedLibrary().CreatePlugIn(&host, nullptr);
    ASSERT_NE(pPlugIn, nullptr) << "a host need not ask for the version";
    pPlugIn->DestroySelf();
}

TEST(Entry, PlugInObjectsAreCountedAcrossTheLibrary)
{
    const auto* pnCount = static_cast<const int*>(LoadedLibrary().FindSymbol("_ZN3vpa7CPlugIn15miNrOfInstancesE"));
    ASSERT_NE(pnCount, nullptr) << "the instance count is exported by name";
    ASSERT_EQ(*pnCount, 0);

    CVpaHost host;
    vpa::IPlugIn* pFirst = LoadedLibrary().CreatePlugIn(&host, nullptr);
    vpa::IPlugIn* pSecond = LoadedLibrary().CreatePlugIn(&host, nullptr);
    ASSERT_NE(pFirst, nullptr);
    ASSERT_NE(pSecond, nullptr);
    EXPECT_NE(pFirst, pSecond);
    EXPECT_EQ(pFirst->GetNrOfInstances(), 2);
    EXPECT_EQ(pSecond->GetNrOfInstances(), 2);
    EXPECT_EQ(*pnCount, 2);

    pFirst->DestroySelf();
    EXPECT_EQ(pSecond->GetNrOfInstances(), 1);
    pSecond->DestroySelf();
    EXPECT_EQ(*pnCount, 0);
}

} // namespace
