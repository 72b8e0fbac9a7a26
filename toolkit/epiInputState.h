// What the toolkit asks of the keyboard, the mouse and the clock at the
// moment it needs it: modifier keys and the button are read when a control
// queries them, never cached by the controls. The editor's window layer feeds
// an epiInputState from its events; tests and the script driver set it
// directly, so everything runs without a window system.
#pragma once

#include "toolkit/epiTypes.h"

#include <cstdint>

// Key codes handed to panels: characters are their 8-bit codes; the named
// keys below keep the usual control codes, the arrows lie above 255.
enum : int {
    kEpiKeyBackspace = 8,
    kEpiKeyTab = 9,
    kEpiKeyReturn = 13,
    kEpiKeyEscape = 27,
    kEpiKeyDelete = 127,
    kEpiKeyLeft = 0x100,
    kEpiKeyRight = 0x101,
    kEpiKeyUp = 0x102,
    kEpiKeyDown = 0x103,
};

class IEpiInputState {
public:
    virtual ~IEpiInputState() = default;
    virtual bool IsShiftDown() const = 0;
    virtual bool IsControlDown() const = 0;
    virtual bool IsAltDown() const = 0;
    // The pointer in window coordinates.
    virtual SEpiPoint GetPointer() const = 0;
    // Milliseconds of a monotonic clock (wraps like a 32-bit tick count).
    virtual uint32_t GetMillis() const = 0;
    // The same clock in ticks of 1/60 s: the unit of the double-click time.
    uint32_t GetTicks60() const { return static_cast<uint32_t>(static_cast<uint64_t>(GetMillis()) * 60 / 1000); }
};

// The plain implementation: every reading is whatever was last set.
class epiInputState : public IEpiInputState {
public:
    bool IsShiftDown() const override { return mbShift; }
    bool IsControlDown() const override { return mbControl; }
    bool IsAltDown() const override { return mbAlt; }
    SEpiPoint GetPointer() const override { return mPointer; }
    uint32_t GetMillis() const override { return mnMillis; }

    void SetModifiers(bool bShift, bool bControl, bool bAlt)
    {
        mbShift = bShift;
        mbControl = bControl;
        mbAlt = bAlt;
    }
    void SetShift(bool b) { mbShift = b; }
    void SetControl(bool b) { mbControl = b; }
    void SetAlt(bool b) { mbAlt = b; }
    void SetPointer(int h, int v) { mPointer = SEpiPoint { static_cast<int16_t>(h), static_cast<int16_t>(v) }; }
    void SetMillis(uint32_t n) { mnMillis = n; }
    void AdvanceMillis(uint32_t n) { mnMillis += n; }

private:
    bool mbShift = false;
    bool mbControl = false;
    bool mbAlt = false;
    SEpiPoint mPointer { 0, 0 };
    uint32_t mnMillis = 0;
};

// A stopwatch on the input clock: the animation timers of rotaries and knobs.
class epiMillisecsTimer {
public:
    void Start(uint32_t nNow) { mnStart = nNow; }
    void Shift(uint32_t nMillis) { mnStart += nMillis; }
    uint32_t Elapsed(uint32_t nNow) const { return nNow - mnStart; }

private:
    uint32_t mnStart = 0;
};
