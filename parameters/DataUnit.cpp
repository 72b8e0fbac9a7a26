#include "parameters/DataUnit.h"

namespace adl {

CDataUnit::CDataUnit(int nIndex, int nValue)
    : index(nIndex)
    , value(nValue)
{ }

CDataUnit::~CDataUnit() = default;

int CDataUnit::GetIndex()
{
    return index;
}

int CDataUnit::GetValue()
{
    return value;
}

void CDataUnit::SetValue(int nValue, bool bNotify)
{
    if (!AcceptsValue(nValue))
        return;
    value = nValue;
    if (bNotify)
        OnValueChanged();
}

bool CDataUnit::AcceptsValue(int)
{
    return true;
}

void CDataUnit::OnValueChanged() { }

} // namespace adl
