// The library's one exported function. Here the plug-in gets the editor.
#include "processor/VantorPlugIn.h"
#include "editor/VantorEditorFactory.h"

#include <new>

extern "C" vpa::IPlugIn* vpaMain(IHost* pHost, unsigned* pnVersion)
{
    if (pHost == nullptr || pHost->GetVersion() > kVpaInterfaceVersion)
        return nullptr;
    if (pnVersion != nullptr)
        *pnVersion = kVpaInterfaceVersion;
    CVantorPlugIn* pPlugIn = new (std::nothrow) CVantorPlugIn(pHost, CreateVantorEditor);
    if (pPlugIn == nullptr)
        return nullptr;
    return pPlugIn;
}
