#include "vpaObject.h"

namespace vpa {

CObject::CObject() = default;
CObject::CObject(const CObject&)
    : IObject()
{ }
CObject& CObject::operator=(const CObject&) = default;
CObject::~CObject() = default;

void CObject::DestroySelf()
{
    delete this;
}

} // namespace vpa
