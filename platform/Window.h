// The window system, as narrow as the editor needs it: a window that shows a
// 32-bit picture and reports mouse, key and expose events, a modal message
// box and a save-file prompt. Two backends: X11 (X11Window.cpp) and an
// off-screen one that keeps the picture in memory, so the editor and its
// tests run without a display.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// What a window reports; coordinates are the window's own.
struct SWindowEvent {
    enum EType {
        kExpose, // x, y, width, height: a part of the window must be shown again
        kButtonDown, // x, y, button (1 left, 2 middle, 3 right)
        kButtonUp, // x, y, button
        kPointerMove, // x, y
        kKey, // key: a character code or one of the codes below
        kClose, // the user asks a top-level window to close
        kWheel, // x, y, wheel: +1 a notch away from the user, -1 towards
    };
    EType eType;
    int x;
    int y;
    int width;
    int height;
    int button;
    int key;
    int wheel;
    // Modifier keys at the time of the event.
    bool bShift;
    bool bControl;
    bool bAlt;
};

// Key codes beyond characters (the same numbers the toolkit uses).
enum : int {
    kKeyLeft = 0x100,
    kKeyRight = 0x101,
    kKeyUp = 0x102,
    kKeyDown = 0x103,
};

class IWindowListener {
public:
    virtual void OnWindowEvent(const SWindowEvent& event) = 0;

protected:
    ~IWindowListener() = default;
};

class IWindow {
public:
    virtual ~IWindow() = default;

    // The system's handle (an X Window id); 0 for the off-screen backend.
    virtual uintptr_t GetHandle() const = 0;
    // False for the off-screen backend: nobody can click, so modal loops
    // must not wait for input.
    virtual bool IsInteractive() const = 0;
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    // Moves a child window inside its parent; size and stacking stay.
    virtual void Move(int x, int y) = 0;
    // Hands every pending event to the listener, without waiting.
    virtual void PumpEvents(IWindowListener& listener) = 0;
    // Waits up to nMillis for an event (or returns at once when one is there).
    virtual void WaitForEvent(int nMillis) = 0;
    // Copies the rectangle (x, y, width, height) of a top-down picture of
    // 0x00RRGGBB words (nStride words per row, the window's size) to the
    // same place in the window, shifted by the painting offset.
    virtual void PutImage(
        const uint32_t* pnPixels, int nStride, int x, int y, int nWidth, int nHeight, int nOffsetX, int nOffsetY)
        = 0;
    // Reads back what the window shows (0x00RRGGBB, top-down, width × height
    // words); false when it cannot.
    virtual bool Capture(uint32_t* pnPixels) = 0;

    // A pop-up over everything (an open menu): a borderless window of its
    // own at (x, y) in this window's coordinates, so it may reach beyond
    // this window and its parents, showing nWidth × nHeight words of
    // pnPixels (0x00RRGGBB, top-down; a word with its top byte set is not
    // part of the pop-up, which lets it take any shape). Shown again, it
    // moves, resizes and repaints. While it is shown the pointer and the keyboard belong to
    // this window: presses, moves and keys anywhere on the screen reach this
    // window's listener, in this window's coordinates.
    virtual void ShowPopup(int x, int y, int nWidth, int nHeight, const uint32_t* pnPixels) = 0;
    virtual void HidePopup() = 0;
    // What the pop-up shows now, and where (this window's coordinates);
    // false when none is shown.
    virtual bool CapturePopup(std::vector<uint32_t>& pixels, int& x, int& y, int& nWidth, int& nHeight) = 0;
};

// A child window of the window with handle nParent at (x, y). Null, with a
// reason in sError, when there is no display or the parent is unknown.
std::unique_ptr<IWindow> OpenChildWindow(uintptr_t nParent, int x, int y, int nWidth, int nHeight, std::string& sError);
// A top-level window with a title, not resizable by the user.
std::unique_ptr<IWindow> OpenTopLevelWindow(const std::string& sTitle, int nWidth, int nHeight, std::string& sError);
// The off-screen backend.
std::unique_ptr<IWindow> CreateOffscreenWindow(int nWidth, int nHeight);
// True when a display can be opened (DISPLAY set and answering).
bool IsDisplayAvailable();

// A modal message box. nKind: 0 OK, 1 Yes/No, 2 Yes/No/Cancel. Answers 1 OK
// or Yes, 2 No, 3 Cancel. Without a display the text goes to stderr and the
// default answer (1) comes back at once.
int MessageBox(const char* pszText, const char* pszTitle, int nKind);

// Asks for a file name to save to (zenity or kdialog). sInitialFolder may be
// empty; sExtension (without the dot) is appended when the chosen name has
// none. Returns 1 chosen, 0 cancelled, -1 no prompt available.
int AskSaveFileName(const std::string& sTitle, const std::string& sInitialFolder, const std::string& sFilterName,
    const std::string& sExtension, std::string& sChosen);

} // namespace platform
