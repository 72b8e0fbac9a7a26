// The mastering plug-in: the object vpaMain hands to the host.
#pragma once

#include "host-interface/vpaHost.h"
#include "host-interface/vpaPlugIn.h"

// The application's own face of the plug-in; it adds nothing yet.
class IVantorPlugIn { };

class CVantorPlugIn : public virtual vpa::CPlugIn, public virtual IVantorPlugIn {
public:
    // Makes the editor of a process; the library's entry point passes the
    // editor's, so the processor itself never links the editor.
    using EditorFactory = vpa::IGUI* (*)(vpa::IProcess* pProcess);

    explicit CVantorPlugIn(IHost* pHost, EditorFactory pfnCreateEditor = nullptr);
    ~CVantorPlugIn() override;

    // Process types: 0 equaliser, 1 compressor, 2 limiter, 3 clipper, 4 chain.
    unsigned GetNrOfProcessTypes() override;
    vpa::IProcess* CreateProcess(unsigned nType) override;
    // Null without an editor factory, as from a plug-in that has no editor.
    vpa::IGUI* CreateGUI(vpa::IProcess* pProcess) override;

    IHost* GetHost() const { return mpHost; }

private:
    IHost* mpHost; // not owned
    EditorFactory mpfnCreateEditor; // may be null
};
