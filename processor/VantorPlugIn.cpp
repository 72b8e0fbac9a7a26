#include "VantorPlugIn.h"

#include "VantorProcess.h"

#include <new>

namespace {
constexpr unsigned kNrOfProcessTypes = 5;
}

CVantorPlugIn::CVantorPlugIn(IHost* pHost, EditorFactory pfnCreateEditor)
    : mpHost(pHost)
    , mpfnCreateEditor(pfnCreateEditor)
{ }

CVantorPlugIn::~CVantorPlugIn() = default;

unsigned CVantorPlugIn::GetNrOfProcessTypes()
{
    return kNrOfProcessTypes;
}

// Types above 4 run the full chain, as type 4 does.
vpa::IProcess* CVantorPlugIn::CreateProcess(unsigned nType)
{
    CVantorProcess* pProcess = new (std::nothrow) CVantorProcess(this, nType);
    if (pProcess != nullptr && !pProcess->IsComplete()) {
        pProcess->DestroySelf();
        return nullptr;
    }
    return pProcess;
}

vpa::IGUI* CVantorPlugIn::CreateGUI(vpa::IProcess* pProcess)
{
    return mpfnCreateEditor != nullptr ? mpfnCreateEditor(pProcess) : nullptr;
}
