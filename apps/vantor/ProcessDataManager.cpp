#include "ProcessDataManager.h"

#include <cstdint>
#include <cstring>

void CProcessDataManager::GetChunkRange(void* data, unsigned first, unsigned count)
{
    unsigned char* pOut = static_cast<unsigned char*>(data);
    const unsigned nParameters = mProcess.GetNrOfParameters();
    for (unsigned i = first; i < nParameters && i - first < count; ++i, pOut += 8) {
        const int32_t record[2] = { static_cast<int32_t>(i), mProcess.GetParameter(i) };
        std::memcpy(pOut, record, sizeof(record));
    }
}

void CProcessDataManager::SetChunk(const void* data, unsigned bytes)
{
    const unsigned char* pIn = static_cast<const unsigned char*>(data);
    for (unsigned n = 0; n + 8 <= bytes; n += 8) {
        int32_t record[2];
        std::memcpy(record, pIn + n, sizeof(record));
        SetValueByIndex(static_cast<unsigned>(record[0]), record[1], -1, true);
    }
}

void CProcessDataManager::SetValueByIndex(unsigned index, int value, int, bool)
{
    if (index >= mProcess.GetNrOfParameters())
        return;
    mProcess.SetParameter(index, value);
}

void CProcessDataManager::GetChunk(void* data)
{
    GetChunkRange(data, 0, mProcess.GetNrOfParameters());
}

unsigned CProcessDataManager::GetChunkSize()
{
    return 8 * mProcess.GetNrOfParameters();
}

int CProcessDataManager::GetValue(unsigned index)
{
    return index < mProcess.GetNrOfParameters() ? mProcess.GetParameter(index) : 0;
}
