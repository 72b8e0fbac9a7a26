// Registry of converters under identifiers of the caller's choosing (an
// editor panel uses its control keys). Owns what is registered.
#pragma once

#include "parameters/Converter.h"

#include <vector>

namespace adl {

// The order of the virtual operations is part of the binary contract.
class IConverterManager {
public:
    // Deletes the manager and every registered converter.
    virtual void Destroy() = 0;
    // Registers converter under id, replacing (and destroying) an earlier one.
    virtual void AddConverter(int id, IConverter* converter) = 0;
    // -1 when id is not registered (also a possible legitimate result).
    virtual int ValueToPosition(int id, int value) = 0;
    virtual int PositionToValue(int id, int position) = 0;
    virtual bool HasConverter(int id) = 0;
    virtual ~IConverterManager() = default;
};

class CConverterManager : public virtual IConverterManager {
public:
    CConverterManager();
    ~CConverterManager() override;
    CConverterManager(const CConverterManager&) = delete;
    CConverterManager& operator=(const CConverterManager&) = delete;

    void Destroy() override;
    void AddConverter(int id, IConverter* converter) override;
    int ValueToPosition(int id, int value) override;
    int PositionToValue(int id, int position) override;
    bool HasConverter(int id) override;

private:
    struct SConverterRecord {
        int id;
        IConverter* converter; // owned
    };

    IConverter* Find(int id) const;

    std::vector<SConverterRecord> mRecords; // in insertion order, ids unique
};

// A new manager, or null when memory runs out. Release it with Destroy().
IConverterManager* CreateConverterManager();

} // namespace adl
