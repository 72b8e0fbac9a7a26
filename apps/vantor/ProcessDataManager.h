// The preset code reads and writes blocks through an adl::IDataManager. A
// host has no data manager of the process, only its parameters; this adapter
// offers them in that shape, so the tool writes and reads preset files with
// the same code, and the same bytes, as the process itself.
#pragma once

#include "host-interface/vpaProcess.h"
#include "parameters/DataManager.h"

class CProcessDataManager : public adl::IDataManager {
public:
    explicit CProcessDataManager(vpa::IProcess& process)
        : mProcess(process)
    { }

    // Records {int32 index, int32 value} of parameters first .. first + count.
    void GetChunkRange(void* data, unsigned first, unsigned count) override;
    // Each whole record becomes SetParameter; indices the process does not
    // have are skipped.
    void SetChunk(const void* data, unsigned bytes) override;
    void GetChunk(void* data) override;
    unsigned GetChunkSize() override;
    int GetValue(unsigned index) override;

    // Units, keys and listeners belong to the process's own manager.
    void Destroy() override { }
    void AddUnit(adl::IDataUnit*) override { }
    void AddUnits(adl::IDataUnit**, int) override { }
    void AddKey(int, int) override { }
    void RemoveKey(int, int) override { }
    void SetValueByKey(int, int) override { }
    void SetValueByIndex(unsigned index, int value, int, bool) override;
    void NotifyAllKeys() override { }
    void ReapplyAllValues() override { }
    void NotifyAllUnits() override { }
    int GetIndexOfKey(int) override { return -1; }

private:
    vpa::IProcess& mProcess;
};
