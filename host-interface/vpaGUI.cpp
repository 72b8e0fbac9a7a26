#include "vpaGUI.h"

#include "vpaProcess.h"

namespace vpa {

IGUI::IGUI() = default;
IGUI::IGUI(const IGUI&)
    : IObject()
    , CObject()
{ }
IGUI& IGUI::operator=(const IGUI&) = default;
IGUI::~IGUI() = default;

CGUI::CGUI()
    : mpProcess(nullptr)
    , mnPaintingOffsetX(0)
    , mnPaintingOffsetY(0)
{ }

CGUI::CGUI(const CGUI& other)
    : IObject()
    , CObject()
    , IGUI()
    , mpProcess(other.mpProcess)
    , mnPaintingOffsetX(other.mnPaintingOffsetX)
    , mnPaintingOffsetY(other.mnPaintingOffsetY)
{ }

CGUI& CGUI::operator=(const CGUI& other)
{
    if (this == &other)
        return *this;
    mpProcess = other.mpProcess;
    mnPaintingOffsetX = other.mnPaintingOffsetX;
    mnPaintingOffsetY = other.mnPaintingOffsetY;
    return *this;
}

CGUI::~CGUI()
{
    if (mpProcess != nullptr)
        mpProcess->SetGUI(nullptr);
}

void CGUI::SetProcess(IProcess* pProcess)
{
    mpProcess = pProcess;
    if (pProcess != nullptr)
        pProcess->SetGUI(this);
}

IProcess* CGUI::GetProcess()
{
    return mpProcess;
}

void CGUI::SetPaintingOffset(long nX, long nY)
{
    mnPaintingOffsetX = static_cast<int32_t>(nX);
    mnPaintingOffsetY = static_cast<int32_t>(nY);
}

// The stored 32-bit words, read as unsigned (-5 reads as 4294967291).
void CGUI::GetPaintingOffset(unsigned long& nX, unsigned long& nY)
{
    nX = static_cast<uint32_t>(mnPaintingOffsetX);
    nY = static_cast<uint32_t>(mnPaintingOffsetY);
}

} // namespace vpa
