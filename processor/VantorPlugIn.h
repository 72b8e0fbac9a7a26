// The mastering plug-in: the object vpaMain hands to the host.
#pragma once

#include "host-interface/vpaHost.h"
#include "host-interface/vpaPlugIn.h"

// The application's own face of the plug-in; it adds nothing yet.
class IVantorPlugIn { };

class CVantorPlugIn : public virtual vpa::CPlugIn, public virtual IVantorPlugIn {
public:
    explicit CVantorPlugIn(IHost* pHost);
    ~CVantorPlugIn() override;

    // Process types: 0 equaliser, 1 compressor, 2 limiter, 3 clipper, 4 chain.
    unsigned GetNrOfProcessTypes() override;
    vpa::IProcess* CreateProcess(unsigned nType) override;
    vpa::IGUI* CreateGUI(vpa::IProcess* pProcess) override;

    IHost* GetHost() const { return mpHost; }

private:
    IHost* mpHost; // not owned
};
