#include "parameters/ConverterManager.h"

#include <new>

namespace adl {

CConverterManager::CConverterManager() = default;

// Converters go in list order.
CConverterManager::~CConverterManager()
{
    for (const SConverterRecord& record : mRecords)
        record.converter->Destroy();
}

void CConverterManager::Destroy()
{
    delete this;
}

void CConverterManager::AddConverter(int id, IConverter* converter)
{
    if (converter == nullptr)
        return;
    for (auto it = mRecords.begin(); it != mRecords.end(); ++it) {
        if (it->id != id)
            continue;
        // Registering the same object again must not destroy it.
        if (it->converter == converter)
            return;
        it->converter->Destroy();
        mRecords.erase(it);
        break;
    }
    mRecords.push_back({ id, converter });
}

int CConverterManager::ValueToPosition(int id, int value)
{
    IConverter* pConverter = Find(id);
    return pConverter == nullptr ? -1 : pConverter->ValueToPosition(value);
}

int CConverterManager::PositionToValue(int id, int position)
{
    IConverter* pConverter = Find(id);
    return pConverter == nullptr ? -1 : pConverter->PositionToValue(position);
}

bool CConverterManager::HasConverter(int id)
{
    return Find(id) != nullptr;
}

IConverter* CConverterManager::Find(int id) const
{
    for (const SConverterRecord& record : mRecords) {
        if (record.id == id)
            return record.converter;
    }
    return nullptr;
}

IConverterManager* CreateConverterManager()
{
    return new (std::nothrow) CConverterManager();
}

} // namespace adl
