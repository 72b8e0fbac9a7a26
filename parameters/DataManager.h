// The single store of a process's parameter values. Units are held in index
// order; listeners (editor controls) register integer keys for units and are
// told of changes they did not cause. All values serialise as a flat array of
// 8-byte records {int32 index, int32 value}, little-endian: the host chunk and
// the payload of preset files.
#pragma once

#include "parameters/DataUnit.h"

#include <map>
#include <vector>

namespace adl {

// Receives the manager's reports; implemented by the process. The manager
// never deletes it.
class IDataManagerCallback {
public:
    // A unit that key is bound to now holds value.
    virtual void KeyValueChanged(int key, int value) = 0;
    // The unit at index changed to value through a key.
    virtual void UnitValueChanged(int index, int value) = 0;

protected:
    ~IDataManagerCallback() = default;
};

// The order of the virtual operations is part of the binary contract.
class IDataManager {
public:
    // Deletes the manager and every unit added to it.
    virtual void Destroy() = 0;
    // Appends a unit; the manager owns it from now on.
    virtual void AddUnit(IDataUnit* unit) = 0;
    // Reserves room for count more units, then appends them in order.
    virtual void AddUnits(IDataUnit** units, int count) = 0;
    virtual void AddKey(int key, int unitIndex) = 0;
    virtual void RemoveKey(int key, int unitIndex) = 0;
    // An editor control moved: store, tell the unit's other keys, then the host.
    virtual void SetValueByKey(int key, int value) = 0;
    // Host, chunk and preset path: optionally store (apply), then tell every
    // key of the unit except senderKey (-1 excludes none).
    virtual void SetValueByIndex(unsigned index, int value, int senderKey, bool apply) = 0;
    virtual void NotifyAllKeys() = 0;
    // Sets every unit to its own value again so that each hook runs once.
    virtual void ReapplyAllValues() = 0;
    virtual void NotifyAllUnits() = 0;
    // 8 bytes per unit.
    virtual unsigned GetChunkSize() = 0;
    // Applies bytes / 8 whole records in order; unknown indices are skipped.
    virtual void SetChunk(const void* data, unsigned bytes) = 0;
    // Writes GetChunkSize() bytes.
    virtual void GetChunk(void* data) = 0;
    // Writes the records of units first, first + 1, ... while units and count last.
    virtual void GetChunkRange(void* data, unsigned first, unsigned count) = 0;
    // 0 for an index beyond the units.
    virtual int GetValue(unsigned index) = 0;
    // The unit index bound to key, or -1.
    virtual int GetIndexOfKey(int key) = 0;
    virtual ~IDataManager() = default;
};

class CDataManager : public IDataManager {
public:
    // The callback is not owned; a null callback silences every report.
    explicit CDataManager(IDataManagerCallback* pCallback);
    ~CDataManager() override;
    CDataManager(const CDataManager&) = delete;
    CDataManager& operator=(const CDataManager&) = delete;

    void Destroy() override;
    void AddUnit(IDataUnit* unit) override;
    void AddUnits(IDataUnit** ppUnits, int count) override;
    void AddKey(int key, int unitIndex) override;
    void RemoveKey(int key, int unitIndex) override;
    void SetValueByKey(int key, int value) override;
    void SetValueByIndex(unsigned index, int value, int senderKey, bool apply) override;
    void NotifyAllKeys() override;
    void ReapplyAllValues() override;
    void NotifyAllUnits() override;
    unsigned GetChunkSize() override;
    void SetChunk(const void* data, unsigned bytes) override;
    void GetChunk(void* data) override;
    void GetChunkRange(void* data, unsigned first, unsigned count) override;
    int GetValue(unsigned index) override;
    int GetIndexOfKey(int key) override;

    static constexpr unsigned kRecordSize = 8;

private:
    struct SUnitEntry {
        IDataUnit* unit; // owned
        std::vector<int> keys; // in registration order; a key may repeat
    };

    // Array of owned entry pointers. It grows by a fixed 1000 entries when an
    // append finds it full; Reserve sets the exact room a batch needs.
    class CUnitArray {
    public:
        static constexpr unsigned kGrowBy = 1000;

        CUnitArray();
        ~CUnitArray(); // frees the array only; the manager frees the entries
        CUnitArray(const CUnitArray&) = delete;
        CUnitArray& operator=(const CUnitArray&) = delete;

        bool Reserve(unsigned nCapacity);
        bool Append(SUnitEntry* pEntry);
        void Clear();
        unsigned GetCount() const { return mnCount; }
        SUnitEntry* operator[](unsigned i) const { return mppEntries[i]; }

    private:
        SUnitEntry** mppEntries;
        unsigned mnCount;
        unsigned mnCapacity;
    };

    void WriteRecords(unsigned char* pOut, unsigned nFirst, unsigned nCount);

    IDataManagerCallback* callback;
    CUnitArray units;
    std::map<int, int> keyMap; // key -> unit index, one binding per key
};

// A new manager, or null when memory runs out. Release it with Destroy().
IDataManager* CreateDataManager(IDataManagerCallback* callback);

} // namespace adl
