// What a host provides and what it calls: the host object handed to vpaMain
// and the library's one exported function.
#pragma once

#include "vpaPlugIn.h"

// The host's object. Only these two operations are called, in this slot order
// (there is no virtual destructor before them).
class IHost {
public:
    // Version of the plug-in interface the host speaks.
    virtual unsigned GetVersion() = 0;
    // A parameter changed inside the plug-in (editor, chain order move).
    virtual void ParameterChanged(int nIndex, int nValue) = 0;

protected:
    ~IHost() = default;
};

// The interface version this library speaks.
constexpr unsigned kVpaInterfaceVersion = 5;

// Returns a new plug-in object, or null when the host speaks a later version
// (nothing is then written) or memory runs out. Writes the library's version
// to *pnVersion otherwise.
extern "C" VPA_EXPORT vpa::IPlugIn* vpaMain(IHost* pHost, unsigned* pnVersion);

// The type of vpaMain, for hosts that find it with dlsym.
using VpaMainFunction = vpa::IPlugIn* (*)(IHost*, unsigned*);
