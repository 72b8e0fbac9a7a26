#include "VantorPlugIn.h"

#include <new>

namespace {
constexpr unsigned kNrOfProcessTypes = 5;
}

CVantorPlugIn::CVantorPlugIn(IHost* pHost)
    : mpHost(pHost)
{
}

CVantorPlugIn::~CVantorPlugIn() = default;

unsigned CVantorPlugIn::GetNrOfProcessTypes()
{
    return kNrOfProcessTypes;
}

vpa::IProcess* CVantorPlugIn::CreateProcess(unsigned)
{
    return nullptr; // The mastering process does not exist yet.
}

vpa::IGUI* CVantorPlugIn::CreateGUI(vpa::IProcess*)
{
    return nullptr; // The editor does not exist yet.
}
