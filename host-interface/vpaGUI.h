// The editor face: bound to one process, opened as a child of a host window.
// On Linux a window handle is an X11 Window id carried in the pointer.
#pragma once

#include "vpaObject.h"

#include <cstdint>

namespace vpa {

class IProcess;

class VPA_EXPORT IGUI : public virtual CObject {
public:
    IGUI();
    IGUI(const IGUI& other);
    IGUI& operator=(const IGUI& other);
    ~IGUI() override;

    virtual void SetProcess(IProcess* pProcess) = 0;
    virtual IProcess* GetProcess() = 0;
    virtual void GetSize(long& nWidth, long& nHeight) = 0;
    virtual void SetPaintingOffset(long nX, long nY) = 0;
    virtual void Open(void* pParentWindow, long nX, long nY) = 0;
    virtual void Move(long nX, long nY) = 0;
    virtual void Close() = 0;
    // A second way of opening, as a window of its own.
    virtual void OpenFloating(long nX, long nY) = 0;
    virtual void Activate() = 0;
    virtual void Paint() = 0;
    virtual void Idle() = 0;
    virtual void Deactivate() = 0;
    virtual void PanelStep(long nArgument) = 0;
};

class VPA_EXPORT CGUI : public virtual IGUI {
public:
    CGUI();
    // Copies keep the process and offset but do not bind the process to the copy.
    CGUI(const CGUI& other);
    CGUI& operator=(const CGUI& other);
    // Unbinds the process (it stops notifying this editor).
    ~CGUI() override;

    void SetProcess(IProcess* pProcess) override;
    IProcess* GetProcess() override;
    void SetPaintingOffset(long nX, long nY) override;

    virtual void GetPaintingOffset(unsigned long& nX, unsigned long& nY);

protected:
    IProcess* mpProcess;
    int32_t mnPaintingOffsetX;
    int32_t mnPaintingOffsetY;
};

} // namespace vpa
