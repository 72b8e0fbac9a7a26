// Root of the host contract's object model. Every base in the contract is a
// virtual base so each exists once in every object; the order in which the
// virtual operations are declared is part of the binary contract.
#pragma once

#include "vpaExport.h"

namespace vpa {

class VPA_EXPORT IObject {
public:
    // Deletes the object inside the library that created it.
    virtual void DestroySelf() = 0;

protected:
    IObject() = default;
    IObject(const IObject&) = default;
    IObject& operator=(const IObject&) = default;
    ~IObject() = default;
};

class VPA_EXPORT CObject : public virtual IObject {
public:
    CObject();
    CObject(const CObject& other);
    CObject& operator=(const CObject& other);
    virtual ~CObject();

    void DestroySelf() override;
};

} // namespace vpa
