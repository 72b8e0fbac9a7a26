// The library's one exported function.
#include "VantorPlugIn.h"

#include <new>

extern "C" vpa::IPlugIn* vpaMain(IHost* pHost, unsigned* pnVersion)
{
    if (pHost == nullptr || pHost->GetVersion() > kVpaInterfaceVersion)
        return nullptr;
    if (pnVersion != nullptr)
        *pnVersion = kVpaInterfaceVersion;
    CVantorPlugIn* pPlugIn = new (std::nothrow) CVantorPlugIn(pHost);
    if (pPlugIn == nullptr)
        return nullptr;
    return pPlugIn;
}
