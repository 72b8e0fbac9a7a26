#include "parameters/DataManager.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

// Writes every report and every hook run into one log so that tests can check
// the order across callback and units.
class CRecorder : public adl::IDataManagerCallback {
public:
    explicit CRecorder(Log& log)
        : mLog(log)
    { }
    void KeyValueChanged(int key, int value) override { mLog.push_back("key " + Pair(key, value)); }
    void UnitValueChanged(int index, int value) override { mLog.push_back("unit " + Pair(index, value)); }

    static std::string Pair(int a, int b) { return std::to_string(a) + " " + std::to_string(b); }

private:
    Log& mLog;
};

// A unit that logs its hook and its destruction and refuses negative values
// when asked to.
class CTestUnit : public adl::CDataUnit {
public:
    CTestUnit(int nIndex, int nValue, Log& log, bool bRefuseNegative = false)
        : adl::CDataUnit(nIndex, nValue)
        , mLog(log)
        , mbRefuseNegative(bRefuseNegative)
    { }
    void Destroy() override
    {
        mLog.push_back("destroy " + std::to_string(index));
        delete this;
    }
    bool AcceptsValue(int nValue) override { return !(mbRefuseNegative && nValue < 0); }
    void OnValueChanged() override { mLog.push_back("hook " + CRecorder::Pair(index, value)); }

private:
    Log& mLog;
    bool mbRefuseNegative;
};

class DataManager : public ::testing::Test {
protected:
    DataManager()
        : mRecorder(mLog)
        , mpManager(adl::CreateDataManager(&mRecorder))
    { }
    ~DataManager() override
    {
        if (mpManager != nullptr)
            mpManager->Destroy();
    }

    // Units 0..n-1 with value 10 * index.
    void AddUnits(int n, int nRefusing = -1)
    {
        for (int i = 0; i < n; ++i)
            mpManager->AddUnit(new CTestUnit(i, 10 * i, mLog, i == nRefusing));
    }

    Log TakeLog()
    {
        Log log;
        log.swap(mLog);
        return log;
    }

    Log mLog;
    CRecorder mRecorder;
    adl::IDataManager* mpManager;
};

int32_t ReadLE(const unsigned char* p)
{
    return static_cast<int32_t>(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
}

void WriteLE(unsigned char* p, int32_t nValue)
{
    const uint32_t n = static_cast<uint32_t>(nValue);
    p[0] = n & 0xff;
    p[1] = (n >> 8) & 0xff;
    p[2] = (n >> 16) & 0xff;
    p[3] = n >> 24;
}

TEST_F(DataManager, AMovedControlTellsTheUnitsOtherKeysThenTheHostButNotItself)
{
    ASSERT_NE(mpManager, nullptr);
    AddUnits(8);
    mpManager->AddKey(0x10001, 5);
    mpManager->AddKey(0x20001, 5);
    mpManager->AddKey(0x30003, 6);

    mpManager->SetValueByKey(0x10001, 77);
    EXPECT_EQ(TakeLog(), (Log { "hook 5 77", "key 131073 77", "unit 5 77" }));
    EXPECT_EQ(mpManager->GetValue(5), 77);
    EXPECT_EQ(mpManager->GetIndexOfKey(0x10001), 5);

    // The value the unit already holds: nothing stored, nobody told, no hook.
    mpManager->SetValueByKey(0x20001, 77);
    EXPECT_TRUE(TakeLog().empty());

    // A key nobody registered.
    mpManager->SetValueByKey(0x40004, 1);
    EXPECT_TRUE(TakeLog().empty());
    EXPECT_EQ(mpManager->GetIndexOfKey(0x40004), -1);
}

TEST_F(DataManager, TheHostsPathTellsEveryKeyAndNeverTheHost)
{
    AddUnits(4);
    mpManager->AddKey(7, 2);
    mpManager->AddKey(8, 2);
    mpManager->AddKey(7, 2); // a key may be registered twice and is told twice

    mpManager->SetValueByIndex(2, -5, -1, true);
    EXPECT_EQ(TakeLog(), (Log { "hook 2 -5", "key 7 -5", "key 8 -5", "key 7 -5" }));

    // The sender is left out; without apply the held value is reported and no
    // hook runs.
    mpManager->SetValueByIndex(2, 99, 7, false);
    EXPECT_EQ(TakeLog(), (Log { "key 8 -5" }));
    EXPECT_EQ(mpManager->GetValue(2), -5);

    // Beyond the units: no value, no report.
    mpManager->SetValueByIndex(4, 1, -1, true);
    mpManager->SetValueByIndex(0xffffffffu, 1, -1, true);
    EXPECT_TRUE(TakeLog().empty());
    EXPECT_EQ(mpManager->GetValue(4), 0);
}

TEST_F(DataManager, ARefusedValueIsReportedAsTheValueTheUnitKeeps)
{
    AddUnits(3, 1);
    mpManager->AddKey(100, 1);
    mpManager->AddKey(101, 1);

    mpManager->SetValueByKey(100, -4);
    EXPECT_EQ(TakeLog(), (Log { "key 101 10", "unit 1 10" }));
    mpManager->SetValueByIndex(1, -4, -1, true);
    EXPECT_EQ(TakeLog(), (Log { "key 100 10", "key 101 10" }));
    EXPECT_EQ(mpManager->GetValue(1), 10);
}

TEST_F(DataManager, KeysCanBeReboundAndRemoved)
{
    AddUnits(3);
    mpManager->AddKey(7, 1);
    mpManager->AddKey(7, 2);
    EXPECT_EQ(mpManager->GetIndexOfKey(7), 2);

    // Moving the control changes unit 2; unit 1 still reports to key 7.
    mpManager->SetValueByKey(7, 3);
    EXPECT_EQ(TakeLog(), (Log { "hook 2 3", "unit 2 3" }));
    mpManager->SetValueByIndex(1, 4, -1, true);
    EXPECT_EQ(TakeLog(), (Log { "hook 1 4", "key 7 4" }));

    // Removing from unit 1 unbinds the key everywhere but leaves unit 2's list.
    mpManager->AddKey(9, 1);
    mpManager->AddKey(7, 1);
    mpManager->RemoveKey(7, 1);
    EXPECT_EQ(mpManager->GetIndexOfKey(7), -1);
    mpManager->SetValueByIndex(1, 5, -1, true);
    EXPECT_EQ(TakeLog(), (Log { "hook 1 5", "key 9 5" }));
    mpManager->SetValueByIndex(2, 6, -1, true);
    EXPECT_EQ(TakeLog(), (Log { "hook 2 6", "key 7 6" }));
    mpManager->SetValueByKey(7, 8);
    EXPECT_TRUE(TakeLog().empty());

    // Keys for units that do not exist are not bound.
    mpManager->AddKey(11, 3);
    mpManager->AddKey(12, -1);
    EXPECT_EQ(mpManager->GetIndexOfKey(11), -1);
    EXPECT_EQ(mpManager->GetIndexOfKey(12), -1);
    mpManager->RemoveKey(9, 40);
    EXPECT_EQ(mpManager->GetIndexOfKey(9), -1);
}

TEST_F(DataManager, BulkOperationsGoInIndexAndRegistrationOrder)
{
    AddUnits(3);
    mpManager->AddKey(20, 2);
    mpManager->AddKey(10, 0);
    mpManager->AddKey(21, 2);

    mpManager->NotifyAllKeys();
    EXPECT_EQ(TakeLog(), (Log { "key 10 0", "key 20 20", "key 21 20" }));

    mpManager->NotifyAllUnits();
    EXPECT_EQ(TakeLog(), (Log { "unit 0 0", "unit 1 10", "unit 2 20" }));

    // Every hook once, nobody told.
    mpManager->ReapplyAllValues();
    EXPECT_EQ(TakeLog(), (Log { "hook 0 0", "hook 1 10", "hook 2 20" }));
}

TEST_F(DataManager, ChunkIsOneLittleEndianRecordPerUnit)
{
    AddUnits(47);
    mpManager->SetValueByIndex(3, -33, -1, true);
    mpManager->SetValueByIndex(46, 0x01020304, -1, true);
    EXPECT_EQ(mpManager->GetChunkSize(), 376u);

    std::vector<unsigned char> chunk(376 + 8, 0xee);
    mpManager->GetChunk(chunk.data());
    EXPECT_EQ(chunk[376], 0xee) << "wrote beyond the chunk";
    const unsigned char record3[] = { 3, 0, 0, 0, 0xdf, 0xff, 0xff, 0xff };
    EXPECT_EQ(std::vector<unsigned char>(chunk.begin() + 24, chunk.begin() + 32),
        std::vector<unsigned char>(std::begin(record3), std::end(record3)));
    const unsigned char record46[] = { 46, 0, 0, 0, 4, 3, 2, 1 };
    EXPECT_EQ(std::vector<unsigned char>(chunk.begin() + 368, chunk.begin() + 376),
        std::vector<unsigned char>(std::begin(record46), std::end(record46)));
    for (size_t i = 0; i < 47; ++i)
        EXPECT_EQ(ReadLE(&chunk[8 * i]), static_cast<int>(i));

    // A range running past the last unit stops there.
    std::vector<unsigned char> range(48, 0xee);
    mpManager->GetChunkRange(range.data(), 43, 5);
    for (unsigned i = 0; i < 4; ++i) {
        EXPECT_EQ(ReadLE(&range[8 * size_t(i)]), static_cast<int>(43 + i));
        EXPECT_EQ(ReadLE(&range[8 * size_t(i) + 4]), mpManager->GetValue(43 + i));
    }
    EXPECT_EQ(range[32], 0xee);
    std::vector<unsigned char> untouched(16, 0xee);
    mpManager->GetChunkRange(untouched.data(), 47, 2);
    mpManager->GetChunkRange(untouched.data(), 0xffffffffu, 0xffffffffu);
    EXPECT_EQ(untouched, std::vector<unsigned char>(16, 0xee));
}

TEST_F(DataManager, SetChunkAppliesWholeKnownRecordsAndTellsOnlyKeys)
{
    AddUnits(3);
    mpManager->AddKey(50, 1);
    mpManager->AddKey(51, 2);
    TakeLog();

    // Records: unit 2, an unknown index, a negative index, unit 1, unit 0;
    // the last one only half present in the first call.
    unsigned char data[44] = {};
    const int32_t records[][2] = { { 2, 222 }, { 3, 333 }, { -1, 444 }, { 1, -111 }, { 0, 7 } };
    for (size_t i = 0; i < 5; ++i) {
        WriteLE(data + 8 * i, records[i][0]);
        WriteLE(data + 8 * i + 4, records[i][1]);
    }
    mpManager->SetChunk(data, 36);
    EXPECT_EQ(TakeLog(), (Log { "hook 2 222", "key 51 222", "hook 1 -111", "key 50 -111" }));
    EXPECT_EQ(mpManager->GetValue(0), 0);

    // 20 bytes hold two records; the last 4 bytes are ignored.
    mpManager->SetChunk(data + 24, 20);
    EXPECT_EQ(TakeLog(), (Log { "hook 1 -111", "key 50 -111", "hook 0 7" }));
    EXPECT_EQ(mpManager->GetValue(0), 7);

    // A chunk written by one manager restores another.
    std::vector<unsigned char> saved(mpManager->GetChunkSize());
    mpManager->GetChunk(saved.data());
    Log otherLog;
    CRecorder otherRecorder(otherLog);
    adl::IDataManager* pOther = adl::CreateDataManager(&otherRecorder);
    ASSERT_NE(pOther, nullptr);
    for (int i = 0; i < 3; ++i)
        pOther->AddUnit(new CTestUnit(i, 0, otherLog));
    pOther->SetChunk(saved.data(), static_cast<unsigned>(saved.size()));
    for (unsigned i = 0; i < 3; ++i)
        EXPECT_EQ(pOther->GetValue(i), mpManager->GetValue(i));
    pOther->Destroy();
}

TEST_F(DataManager, CallerErrorsAreHarmless)
{
    AddUnits(2);
    mpManager->AddUnit(nullptr);
    mpManager->AddUnits(nullptr, 3);
    mpManager->SetChunk(nullptr, 16);
    mpManager->GetChunk(nullptr);
    mpManager->GetChunkRange(nullptr, 0, 2);
    EXPECT_EQ(mpManager->GetChunkSize(), 16u);

    // Without a callback the manager still stores values.
    Log log;
    adl::IDataManager* pSilent = adl::CreateDataManager(nullptr);
    ASSERT_NE(pSilent, nullptr);
    pSilent->AddUnit(new CTestUnit(0, 1, log));
    pSilent->AddKey(5, 0);
    pSilent->SetValueByKey(5, 2);
    pSilent->SetValueByIndex(0, 3, -1, true);
    pSilent->NotifyAllKeys();
    pSilent->NotifyAllUnits();
    EXPECT_EQ(pSilent->GetValue(0), 3);
    pSilent->Destroy();
}

} // namespace
