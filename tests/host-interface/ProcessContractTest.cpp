#include "TestProcess.h"

#include "support/RYXException.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(ProcessContract, DescriptorsKeepTheirOrderPastTheFirstThousandAndShareTheirTexts)
{
    auto* pProcess = new CTestProcess();
    for (int i = 0; i < 1001; ++i)
        pProcess->AddNumeric(("Gain " + std::to_string(i) + "@G" + std::to_string(i)).c_str(), -150, 150, i);
    // A taper block owned with its record, freed by the process.
    auto* pCustom = new vpa::SParameterInfo();
    pCustom->pszName = vpa::CProcess::CopyText("Custom");
    pCustom->nCurve = 2;
    pCustom->nCurveParam = reinterpret_cast<intptr_t>(new char[32]);
    pProcess->AddParameterInfo(pCustom);

    ASSERT_EQ(pProcess->GetNrOfParameters(), 1002u);
    for (unsigned i : { 0u, 999u, 1000u }) {
        vpa::SParameterInfo info;
        pProcess->GetParameterInfo(i, &info);
        EXPECT_EQ(std::string(info.pszName), "Gain " + std::to_string(i) + "@G" + std::to_string(i));
        EXPECT_EQ(info.nDefault, static_cast<int>(i));

        vpa::SParameterInfo again;
        pProcess->GetParameterInfo(i, &again);
        EXPECT_EQ(info.pszName, again.pszName) << "texts are lent, not copied";
        EXPECT_EQ(info.pszUnit, again.pszUnit);
        EXPECT_EQ(info.pszMinText, again.pszMinText);
        EXPECT_EQ(info.pszMaxText, nullptr);
    }
    // Releasing the process frees every text and block (checked by the
    // sanitizer build's leak checker).
    pProcess->DestroySelf();
}

TEST(ProcessContract, TheChunkIsOneIndexValueRecordPerParameter)
{
    CTestProcess process;
    process.AddNumeric("A", -100, 100, -15);
    process.AddNumeric("B", 0, 1, 1);
    process.AddNumeric("C", -100, 100, 42);
    ASSERT_EQ(process.GetChunkSize(), 24u);

    unsigned char chunk[24];
    process.GetChunk(chunk);
    int32_t records[6];
    std::memcpy(records, chunk, sizeof(records));
    EXPECT_EQ(records[0], 0);
    EXPECT_EQ(records[1], -15);
    EXPECT_EQ(records[2], 1);
    EXPECT_EQ(records[3], 1);
    EXPECT_EQ(records[4], 2);
    EXPECT_EQ(records[5], 42);

    CTestProcess copy;
    copy.AddNumeric("A", -100, 100, 0);
    copy.AddNumeric("B", 0, 1, 0);
    copy.AddNumeric("C", -100, 100, 0);
    copy.SetChunk(chunk, sizeof(chunk));
    EXPECT_EQ(copy.mValues, process.mValues);
}

TEST(ProcessContract, SetChunkAppliesOnlyWholeRecordsInOrder)
{
    CTestProcess process;
    process.AddNumeric("A", -100, 100, 0);
    process.AddNumeric("B", -100, 100, 0);

    // Records may arrive at any address.
    unsigned char buffer[1 + 16];
    const int32_t records[4] = { 1, -7, 0, 9 };
    std::memcpy(buffer + 1, records, sizeof(records));

    process.SetChunk(buffer + 1, 7);
    EXPECT_TRUE(process.mCalls.empty()) << "fewer than 8 bytes hold no record";
    process.SetChunk(buffer + 1, 0);
    EXPECT_TRUE(process.mCalls.empty());

    process.SetChunk(buffer + 1, 12);
    ASSERT_EQ(process.mCalls.size(), 1u) << "12 bytes hold one whole record";
    EXPECT_EQ(process.mCalls[0], std::make_pair(1u, -7));

    process.mCalls.clear();
    process.SetChunk(buffer + 1, 16);
    ASSERT_EQ(process.mCalls.size(), 2u);
    EXPECT_EQ(process.mCalls[0], std::make_pair(1u, -7));
    EXPECT_EQ(process.mCalls[1], std::make_pair(0u, 9));
    EXPECT_EQ(process.mValues, (std::vector<int> { 9, -7 }));

    // Unknown indices reach SetParameter as they are; the process decides.
    const int32_t unknown[2] = { -1, 5 };
    process.mCalls.clear();
    process.SetChunk(unknown, 8);
    ASSERT_EQ(process.mCalls.size(), 1u);
    EXPECT_EQ(process.mCalls[0].first, 0xFFFFFFFFu);
    EXPECT_EQ(process.mValues, (std::vector<int> { 9, -7 }));
}

TEST(ProcessContract, DefaultProcessInPlaceThrowsProgramFlowAcrossTheLibraryBoundary)
{
    CTestProcess process;
    float fSample = 0.25f;
    float* pChannels[1] = { &fSample };
    int nFlag = 0;
    utils::IRYXException* pCaught = nullptr;
    try {
        process.ProcessInPlace(pChannels, 1, &nFlag);
    } catch (utils::IRYXException* pException) {
        pCaught = pException;
    }
    ASSERT_NE(pCaught, nullptr) << "the pointer must be catchable with the host's own declarations";
    EXPECT_EQ(pCaught->GetType(), 1);
    EXPECT_EQ(pCaught->GetTypeName(), "Program Flow");
    EXPECT_EQ(pCaught->GetMessage(),
        "Exception: Program Flow\nAdditional info: ProcessInPlace(...) not defined for this process");
    pCaught->Destroy();
    EXPECT_EQ(fSample, 0.25f) << "nothing was processed";
}

} // namespace
