#include "vpaPlugIn.h"

namespace vpa {

IPlugIn::IPlugIn() = default;
IPlugIn::IPlugIn(const IPlugIn&)
    : IObject()
    , CObject()
{ }
IPlugIn& IPlugIn::operator=(const IPlugIn&) = default;
IPlugIn::~IPlugIn() = default;

int CPlugIn::miNrOfInstances = 0;

// Hosts may create plug-ins from more than one thread; the count is one word
// updated atomically.
CPlugIn::CPlugIn()
{
    __atomic_add_fetch(&miNrOfInstances, 1, __ATOMIC_RELAXED);
}

CPlugIn::CPlugIn(const CPlugIn&)
    : IObject()
    , CObject()
    , IPlugIn()
{
    __atomic_add_fetch(&miNrOfInstances, 1, __ATOMIC_RELAXED);
}

CPlugIn& CPlugIn::operator=(const CPlugIn&) = default;

CPlugIn::~CPlugIn()
{
    __atomic_sub_fetch(&miNrOfInstances, 1, __ATOMIC_RELAXED);
}

int CPlugIn::GetNrOfInstances() const
{
    return __atomic_load_n(&miNrOfInstances, __ATOMIC_RELAXED);
}

} // namespace vpa
