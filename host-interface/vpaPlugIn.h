// The plug-in face: the object vpaMain hands out, which creates processes and
// editors. The plug-in never owns what it creates.
#pragma once

#include "vpaObject.h"

namespace vpa {

class IProcess;
class IGUI;

class VPA_EXPORT IPlugIn : public virtual CObject {
public:
    IPlugIn();
    IPlugIn(const IPlugIn& other);
    IPlugIn& operator=(const IPlugIn& other);
    ~IPlugIn() override;

    virtual unsigned GetNrOfProcessTypes() = 0;
    virtual IProcess* CreateProcess(unsigned nType) = 0;
    virtual IGUI* CreateGUI(IProcess* pProcess) = 0;
    virtual int GetNrOfInstances() const = 0;
};

class VPA_EXPORT CPlugIn : public virtual IPlugIn {
public:
    CPlugIn();
    CPlugIn(const CPlugIn& other);
    CPlugIn& operator=(const CPlugIn& other);
    ~CPlugIn() override;

    int GetNrOfInstances() const override;

    // Plug-in objects alive in the whole library.
    static int miNrOfInstances;
};

} // namespace vpa
