#include "parameters/DataManager.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>

namespace adl {

namespace {

// Records are little-endian whatever the machine's byte order.
void WriteInt32LE(unsigned char* pOut, int nValue)
{
    const uint32_t nBits = static_cast<uint32_t>(nValue);
    pOut[0] = static_cast<unsigned char>(nBits);
    pOut[1] = static_cast<unsigned char>(nBits >> 8);
    pOut[2] = static_cast<unsigned char>(nBits >> 16);
    pOut[3] = static_cast<unsigned char>(nBits >> 24);
}

int ReadInt32LE(const unsigned char* pIn)
{
    const uint32_t nBits = static_cast<uint32_t>(pIn[0]) | (static_cast<uint32_t>(pIn[1]) << 8)
        | (static_cast<uint32_t>(pIn[2]) << 16) | (static_cast<uint32_t>(pIn[3]) << 24);
    return static_cast<int32_t>(nBits);
}

} // namespace

// ---- unit array ------------------------------------------------------------

CDataManager::CUnitArray::CUnitArray()
    : mppEntries(nullptr)
    , mnCount(0)
    , mnCapacity(0)
{ }

CDataManager::CUnitArray::~CUnitArray()
{
    delete[] mppEntries;
}

bool CDataManager::CUnitArray::Reserve(unsigned nCapacity)
{
    if (nCapacity <= mnCapacity)
        return true;
    SUnitEntry** ppGrown = new (std::nothrow) SUnitEntry*[nCapacity];
    if (ppGrown == nullptr)
        return false;
    for (unsigned i = 0; i < mnCount; ++i)
        ppGrown[i] = mppEntries[i];
    delete[] mppEntries;
    mppEntries = ppGrown;
    mnCapacity = nCapacity;
    return true;
}

bool CDataManager::CUnitArray::Append(SUnitEntry* pEntry)
{
    if (mnCount == mnCapacity && !Reserve(mnCapacity + kGrowBy))
        return false;
    mppEntries[mnCount++] = pEntry;
    return true;
}

void CDataManager::CUnitArray::Clear()
{
    delete[] mppEntries;
    mppEntries = nullptr;
    mnCount = 0;
    mnCapacity = 0;
}

// ---- manager ---------------------------------------------------------------

CDataManager::CDataManager(IDataManagerCallback* pCallback)
    : callback(pCallback)
{ }

// Units go in index order, each before its key list and entry; then the key
// map, then the array. The callback is not touched.
CDataManager::~CDataManager()
{
    for (unsigned i = 0; i < units.GetCount(); ++i) {
        SUnitEntry* pEntry = units[i];
        pEntry->unit->Destroy();
        delete pEntry;
    }
    keyMap.clear();
    units.Clear();
}

void CDataManager::Destroy()
{
    delete this;
}

void CDataManager::AddUnit(IDataUnit* unit)
{
    if (unit == nullptr)
        return;
    SUnitEntry* pEntry = new (std::nothrow) SUnitEntry { unit, {} };
    if (pEntry == nullptr || !units.Append(pEntry)) {
        // Ownership passed with the call: a unit that cannot be stored is freed.
        delete pEntry;
        unit->Destroy();
    }
}

void CDataManager::AddUnits(IDataUnit** ppUnits, int count)
{
    if (ppUnits == nullptr || count <= 0)
        return;
    // Room for exactly this batch; when that fails, AddUnit grows as usual.
    units.Reserve(units.GetCount() + static_cast<unsigned>(count));
    for (int i = 0; i < count; ++i)
        AddUnit(ppUnits[i]);
}

void CDataManager::AddKey(int key, int unitIndex)
{
    if (unitIndex < 0 || static_cast<unsigned>(unitIndex) >= units.GetCount())
        return;
    units[static_cast<unsigned>(unitIndex)]->keys.push_back(key);
    // A rebound key stays in the list of the unit it was bound to before, so
    // that unit still reports to it.
    keyMap[key] = unitIndex;
}

void CDataManager::RemoveKey(int key, int unitIndex)
{
    if (unitIndex >= 0 && static_cast<unsigned>(unitIndex) < units.GetCount()) {
        std::vector<int>& keys = units[static_cast<unsigned>(unitIndex)]->keys;
        keys.erase(std::remove(keys.begin(), keys.end(), key), keys.end());
    }
    keyMap.erase(key);
}

void CDataManager::SetValueByKey(int key, int value)
{
    const std::map<int, int>::const_iterator it = keyMap.find(key);
    if (it == keyMap.end())
        return;
    const unsigned nIndex = static_cast<unsigned>(it->second);
    if (nIndex >= units.GetCount())
        return;
    IDataUnit* pUnit = units[nIndex]->unit;
    if (pUnit->GetValue() == value)
        return;
    pUnit->SetValue(value, true);
    // The unit may have refused the value; both reports carry what it holds.
    SetValueByIndex(nIndex, value, key, false);
    if (callback != nullptr)
        callback->UnitValueChanged(static_cast<int>(nIndex), pUnit->GetValue());
}

void CDataManager::SetValueByIndex(unsigned index, int value, int senderKey, bool apply)
{
    if (index >= units.GetCount())
        return;
    SUnitEntry* pEntry = units[index];
    if (apply)
        pEntry->unit->SetValue(value, true);
    if (callback == nullptr)
        return;
    const int nHeld = pEntry->unit->GetValue();
    // Indexed, not iterated: a listener may add or remove keys while it is told.
    for (size_t k = 0; k < pEntry->keys.size(); ++k) {
        if (pEntry->keys[k] != senderKey)
            callback->KeyValueChanged(pEntry->keys[k], nHeld);
    }
}

void CDataManager::NotifyAllKeys()
{
    if (callback == nullptr)
        return;
    for (unsigned i = 0; i < units.GetCount(); ++i) {
        const SUnitEntry* pEntry = units[i];
        for (size_t k = 0; k < pEntry->keys.size(); ++k)
            callback->KeyValueChanged(pEntry->keys[k], pEntry->unit->GetValue());
    }
}

void CDataManager::ReapplyAllValues()
{
    for (unsigned i = 0; i < units.GetCount(); ++i) {
        IDataUnit* pUnit = units[i]->unit;
        pUnit->SetValue(pUnit->GetValue(), true);
    }
}

void CDataManager::NotifyAllUnits()
{
    if (callback == nullptr)
        return;
    for (unsigned i = 0; i < units.GetCount(); ++i) {
        IDataUnit* pUnit = units[i]->unit;
        callback->UnitValueChanged(pUnit->GetIndex(), pUnit->GetValue());
    }
}

unsigned CDataManager::GetChunkSize()
{
    return kRecordSize * units.GetCount();
}

void CDataManager::SetChunk(const void* data, unsigned bytes)
{
    if (data == nullptr)
        return;
    const unsigned char* pIn = static_cast<const unsigned char*>(data);
    const unsigned nRecords = bytes / kRecordSize;
    for (unsigned i = 0; i < nRecords; ++i, pIn += kRecordSize) {
        // A negative index turns into one beyond the units and is skipped.
        SetValueByIndex(static_cast<unsigned>(ReadInt32LE(pIn)), ReadInt32LE(pIn + 4), -1, true);
    }
}

void CDataManager::GetChunk(void* data)
{
    if (data == nullptr)
        return;
    WriteRecords(static_cast<unsigned char*>(data), 0, units.GetCount());
}

void CDataManager::GetChunkRange(void* data, unsigned first, unsigned count)
{
    if (data == nullptr || first >= units.GetCount())
        return;
    WriteRecords(static_cast<unsigned char*>(data), first, std::min(count, units.GetCount() - first));
}

void CDataManager::WriteRecords(unsigned char* pOut, unsigned nFirst, unsigned nCount)
{
    for (unsigned i = nFirst; i < nFirst + nCount; ++i, pOut += kRecordSize) {
        IDataUnit* pUnit = units[i]->unit;
        WriteInt32LE(pOut, pUnit->GetIndex());
        WriteInt32LE(pOut + 4, pUnit->GetValue());
    }
}

int CDataManager::GetValue(unsigned index)
{
    if (index >= units.GetCount())
        return 0;
    return units[index]->unit->GetValue();
}

int CDataManager::GetIndexOfKey(int key)
{
    const std::map<int, int>::const_iterator it = keyMap.find(key);
    return it == keyMap.end() ? -1 : it->second;
}

IDataManager* CreateDataManager(IDataManagerCallback* callback)
{
    return new (std::nothrow) CDataManager(callback);
}

} // namespace adl
