#include "presets/PresetList.h"

#include "TestFolder.h"
#include "tests/processor/ProcessRig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sys/stat.h>

namespace {

std::vector<std::string> Names(const CPresetList::PresetInfoList& list)
{
    std::vector<std::string> names;
    for (const CPresetList::SPresetInfo* pInfo : list)
        names.push_back((pInfo->isFolder ? "[" : "") + pInfo->name + (pInfo->isFolder ? "]" : ""));
    std::sort(names.begin(), names.end());
    return names;
}

TEST(PresetList, ListsValidPresetsOfTheModeInTheirFolders)
{
    CTestFolder folder;
    const std::string sRoot = folder.Root() + "/";
    ASSERT_EQ(::mkdir((sRoot + "Rock").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((sRoot + "Empty").c_str(), 0755), 0);
    {
        SProcessRig limiter(2);
        limiter.pProcess->SavePreset(sRoot + "Rock/Warm.ryxp");
        limiter.pProcess->SavePreset(sRoot + "PRESET.RYXP");
        limiter.pProcess->SavePreset(sRoot + "a.ryxp");
        limiter.pProcess->SavePreset(sRoot + ".hidden.ryxp");
        limiter.pProcess->SavePreset(sRoot + "x.ryx");
        SProcessRig eq(0);
        eq.pProcess->SavePreset(sRoot + "Bright.ryxp");
    }
    std::ofstream(sRoot + "garbage.ryxp") << "not a preset";

    CPresetList limiterList(2);
    limiterList.ScanFolder(sRoot, const_cast<CPresetList::PresetInfoList*>(&limiterList.GetRoot()));
    EXPECT_EQ(Names(limiterList.GetRoot()), (std::vector<std::string> { "PRESET", "[Empty]", "[Rock]", "a" }));
    for (const CPresetList::SPresetInfo* pInfo : limiterList.GetRoot()) {
        if (pInfo->name == "Rock") {
            EXPECT_EQ(Names(pInfo->children), (std::vector<std::string> { "Warm" }));
        }
    }

    CPresetList eqList(0);
    eqList.ScanFolder(sRoot, const_cast<CPresetList::PresetInfoList*>(&eqList.GetRoot()));
    EXPECT_EQ(Names(eqList.GetRoot()), (std::vector<std::string> { "Bright", "[Empty]", "[Rock]" }))
        << "limiter presets have no equaliser block";

    CPresetList chainList(4);
    chainList.ScanFolder(sRoot, const_cast<CPresetList::PresetInfoList*>(&chainList.GetRoot()));
    EXPECT_EQ(Names(chainList.GetRoot()), (std::vector<std::string> { "Bright", "PRESET", "[Empty]", "[Rock]", "a" }));

    CPresetList missing(4);
    missing.ScanFolder(sRoot + "nowhere/", const_cast<CPresetList::PresetInfoList*>(&missing.GetRoot()));
    EXPECT_TRUE(missing.GetRoot().empty());
}

} // namespace
