// The X11 window backend. Every window opens its own display connection, so
// an editor never disturbs the host's connection and can live on whatever
// thread the host runs its user interface on.
#include "Window.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>

#include <sys/select.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform {

namespace {

// X reports protocol errors asynchronously and by default ends the program;
// around calls that may fail (a parent window that does not exist) errors
// are counted here instead.
int gnXErrors = 0;
int CountError(Display*, XErrorEvent*)
{
    ++gnXErrors;
    return 0;
}

class CX11Window : public IWindow {
public:
    CX11Window(Display* pDisplay, Window nWindow, int nWidth, int nHeight, bool bTopLevel)
        : mpDisplay(pDisplay)
        , mnWindow(nWindow)
        , mnWidth(nWidth)
        , mnHeight(nHeight)
        , mbTopLevel(bTopLevel)
    {
        mGC = XCreateGC(mpDisplay, mnWindow, 0, nullptr);
        mnDeleteAtom = XInternAtom(mpDisplay, "WM_DELETE_WINDOW", False);
        if (mbTopLevel)
            XSetWMProtocols(mpDisplay, mnWindow, &mnDeleteAtom, 1);
        const int nScreen = DefaultScreen(mpDisplay);
        mpVisual = DefaultVisual(mpDisplay, nScreen);
        mnDepth = DefaultDepth(mpDisplay, nScreen);
    }

    // The host may have destroyed its window, and ours with it, before
    // closing the editor: an error here must not end the host.
    ~CX11Window() override
    {
        HidePopup();
        XFreeGC(mpDisplay, mGC);
        if (mbAlive) {
            XSync(mpDisplay, False);
            gnXErrors = 0;
            auto pPreviousHandler = XSetErrorHandler(CountError);
            XDestroyWindow(mpDisplay, mnWindow);
            XSync(mpDisplay, False);
            XSetErrorHandler(pPreviousHandler);
        }
        XCloseDisplay(mpDisplay);
    }

    uintptr_t GetHandle() const override { return static_cast<uintptr_t>(mnWindow); }
    bool IsInteractive() const override { return true; }
    int GetWidth() const override { return mnWidth; }
    int GetHeight() const override { return mnHeight; }

    void Move(int x, int y) override
    {
        if (!mbAlive)
            return;
        XMoveWindow(mpDisplay, mnWindow, x, y);
        XFlush(mpDisplay);
    }

    void PumpEvents(IWindowListener& listener) override
    {
        if (mnPopup != 0 && !mbGrabbed)
            Grab();
        while (XPending(mpDisplay) > 0) {
            XEvent event;
            XNextEvent(mpDisplay, &event);
            if (mnPopup != 0 && event.xany.window == mnPopup) {
                if (event.type == Expose)
                    PaintPopup();
                continue;
            }
            SWindowEvent out {};
            if (Translate(event, out))
                listener.OnWindowEvent(out);
        }
    }

    void ShowPopup(int x, int y, int nWidth, int nHeight, const uint32_t* pnPixels) override
    {
        if (!mbAlive || nWidth <= 0 || nHeight <= 0)
            return;
        manPopup.assign(pnPixels, pnPixels + static_cast<size_t>(nWidth) * nHeight);
        // The pop-up is a child of the root: find where this window lies.
        int nRootX = 0, nRootY = 0;
        Window nChild = 0;
        XTranslateCoordinates(mpDisplay, mnWindow, DefaultRootWindow(mpDisplay), x, y, &nRootX, &nRootY, &nChild);
        if (mnPopup == 0) {
            XSetWindowAttributes attributes {};
            attributes.override_redirect = True; // no frame, no window manager placement
            attributes.save_under = True;
            attributes.event_mask = ExposureMask;
            mnPopup = XCreateWindow(mpDisplay, DefaultRootWindow(mpDisplay), nRootX, nRootY,
                static_cast<unsigned>(nWidth), static_cast<unsigned>(nHeight), 0, CopyFromParent, InputOutput,
                CopyFromParent, CWOverrideRedirect | CWSaveUnder | CWEventMask, &attributes);
            XMapRaised(mpDisplay, mnPopup);
        } else if (nWidth != mnPopupWidth || nHeight != mnPopupHeight || nRootX != mnPopupX || nRootY != mnPopupY) {
            XMoveResizeWindow(
                mpDisplay, mnPopup, nRootX, nRootY, static_cast<unsigned>(nWidth), static_cast<unsigned>(nHeight));
            XRaiseWindow(mpDisplay, mnPopup);
        }
        mnPopupX = nRootX;
        mnPopupY = nRootY;
        mnPopupWidth = nWidth;
        mnPopupHeight = nHeight;
        mnPopupOwnerX = x;
        mnPopupOwnerY = y;
        ShapePopup();
        XSync(mpDisplay, False);
        PaintPopup();
        if (!mbGrabbed)
            Grab();
    }

    void HidePopup() override
    {
        if (mnPopup == 0)
            return;
        if (mbGrabbed && mbAlive) {
            XUngrabPointer(mpDisplay, CurrentTime);
            XUngrabKeyboard(mpDisplay, CurrentTime);
        }
        mbGrabbed = false;
        XDestroyWindow(mpDisplay, mnPopup);
        XFlush(mpDisplay);
        mnPopup = 0;
        manPopup.clear();
    }

    bool CapturePopup(std::vector<uint32_t>& pixels, int& x, int& y, int& nWidth, int& nHeight) override
    {
        if (mnPopup == 0)
            return false;
        XSync(mpDisplay, False);
        XImage* pImage = XGetImage(mpDisplay, mnPopup, 0, 0, static_cast<unsigned>(mnPopupWidth),
            static_cast<unsigned>(mnPopupHeight), AllPlanes, ZPixmap);
        if (pImage == nullptr)
            return false;
        pixels.resize(static_cast<size_t>(mnPopupWidth) * mnPopupHeight);
        for (int row = 0; row < mnPopupHeight; ++row)
            for (int column = 0; column < mnPopupWidth; ++column)
                pixels[static_cast<size_t>(row) * mnPopupWidth + column]
                    = static_cast<uint32_t>(XGetPixel(pImage, column, row)) & 0xFFFFFFu;
        XDestroyImage(pImage);
        x = mnPopupOwnerX;
        y = mnPopupOwnerY;
        nWidth = mnPopupWidth;
        nHeight = mnPopupHeight;
        return true;
    }

    void WaitForEvent(int nMillis) override
    {
        if (XPending(mpDisplay) > 0)
            return;
        const int nFd = ConnectionNumber(mpDisplay);
        fd_set set;
        FD_ZERO(&set);
        FD_SET(nFd, &set);
        timeval timeout { nMillis / 1000, (nMillis % 1000) * 1000 };
        ::select(nFd + 1, &set, nullptr, nullptr, &timeout);
    }

    void PutImage(const uint32_t* pnPixels, int nStride, int x, int y, int nWidth, int nHeight, int nOffsetX,
        int nOffsetY) override
    {
        if (!mbAlive || nWidth <= 0 || nHeight <= 0 || (mnDepth != 24 && mnDepth != 32))
            return;
        // The picture's rows are the image; XPutImage takes the part.
        const int nRows = y + nHeight;
        XImage* pImage = XCreateImage(mpDisplay, mpVisual, static_cast<unsigned>(mnDepth), ZPixmap, 0,
            reinterpret_cast<char*>(const_cast<uint32_t*>(pnPixels)), static_cast<unsigned>(nStride),
            static_cast<unsigned>(nRows), 32, nStride * 4);
        if (pImage == nullptr)
            return;
        pImage->byte_order = LSBFirst; // the words are in host order
        XPutImage(mpDisplay, mnWindow, mGC, pImage, x, y, x + nOffsetX, y + nOffsetY, static_cast<unsigned>(nWidth),
            static_cast<unsigned>(nHeight));
        pImage->data = nullptr; // the pixels are the caller's
        XDestroyImage(pImage);
        XFlush(mpDisplay);
    }

    bool Capture(uint32_t* pnPixels) override
    {
        if (!mbAlive)
            return false;
        XSync(mpDisplay, False);
        XImage* pImage = XGetImage(mpDisplay, mnWindow, 0, 0, static_cast<unsigned>(mnWidth),
            static_cast<unsigned>(mnHeight), AllPlanes, ZPixmap);
        if (pImage == nullptr)
            return false;
        for (int y = 0; y < mnHeight; ++y)
            for (int x = 0; x < mnWidth; ++x)
                pnPixels[static_cast<size_t>(y) * mnWidth + x]
                    = static_cast<uint32_t>(XGetPixel(pImage, x, y)) & 0xFFFFFFu;
        XDestroyImage(pImage);
        return true;
    }

private:
    // Pointer and keyboard to this window while the pop-up is shown, so a
    // press anywhere (outside: to close it) comes here in our coordinates.
    // It fails while another client holds a grab; the pump tries again.
    void Grab()
    {
        const unsigned nMask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
        mbGrabbed
            = XGrabPointer(mpDisplay, mnWindow, False, nMask, GrabModeAsync, GrabModeAsync, None, None, CurrentTime)
            == GrabSuccess;
        if (mbGrabbed)
            XGrabKeyboard(mpDisplay, mnWindow, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    }

    // The pop-up's shape: the runs of each row whose words are pixels.
    void ShapePopup()
    {
        std::vector<XRectangle> runs;
        bool bWhole = true;
        for (int row = 0; row < mnPopupHeight; ++row) {
            const uint32_t* pnRow = manPopup.data() + static_cast<size_t>(row) * mnPopupWidth;
            for (int column = 0; column < mnPopupWidth;) {
                if ((pnRow[column] >> 24) != 0) {
                    bWhole = false;
                    ++column;
                    continue;
                }
                const int nStart = column;
                while (column < mnPopupWidth && (pnRow[column] >> 24) == 0)
                    ++column;
                runs.push_back(XRectangle { static_cast<short>(nStart), static_cast<short>(row),
                    static_cast<unsigned short>(column - nStart), 1 });
            }
        }
        int nEvent = 0, nError = 0;
        if (!XShapeQueryExtension(mpDisplay, &nEvent, &nError))
            return;
        if (bWhole) {
            XShapeCombineMask(mpDisplay, mnPopup, ShapeBounding, 0, 0, None, ShapeSet);
            return;
        }
        XShapeCombineRectangles(
            mpDisplay, mnPopup, ShapeBounding, 0, 0, runs.data(), static_cast<int>(runs.size()), ShapeSet, Unsorted);
    }

    void PaintPopup()
    {
        if (mnPopup == 0 || manPopup.empty() || (mnDepth != 24 && mnDepth != 32))
            return;
        XImage* pImage = XCreateImage(mpDisplay, mpVisual, static_cast<unsigned>(mnDepth), ZPixmap, 0,
            reinterpret_cast<char*>(manPopup.data()), static_cast<unsigned>(mnPopupWidth),
            static_cast<unsigned>(mnPopupHeight), 32, mnPopupWidth * 4);
        if (pImage == nullptr)
            return;
        pImage->byte_order = LSBFirst;
        XPutImage(mpDisplay, mnPopup, mGC, pImage, 0, 0, 0, 0, static_cast<unsigned>(mnPopupWidth),
            static_cast<unsigned>(mnPopupHeight));
        pImage->data = nullptr;
        XDestroyImage(pImage);
        XFlush(mpDisplay);
    }

    bool Translate(const XEvent& event, SWindowEvent& out)
    {
        auto modifiers = [&out](unsigned nState) {
            out.bShift = (nState & ShiftMask) != 0;
            out.bControl = (nState & ControlMask) != 0;
            out.bAlt = (nState & Mod1Mask) != 0;
        };
        switch (event.type) {
        case Expose:
            out.eType = SWindowEvent::kExpose;
            out.x = event.xexpose.x;
            out.y = event.xexpose.y;
            out.width = event.xexpose.width;
            out.height = event.xexpose.height;
            return true;
        case ButtonPress:
        case ButtonRelease:
            if (event.xbutton.button == 4 || event.xbutton.button == 5) {
                // One notch is a press and a release: the press counts.
                if (event.type != ButtonPress)
                    return false;
                out.eType = SWindowEvent::kWheel;
                out.x = event.xbutton.x;
                out.y = event.xbutton.y;
                out.wheel = event.xbutton.button == 4 ? 1 : -1;
                modifiers(event.xbutton.state);
                return true;
            }
            if (event.xbutton.button > 3)
                return false; // sideways wheel steps, extra buttons
            out.eType = event.type == ButtonPress ? SWindowEvent::kButtonDown : SWindowEvent::kButtonUp;
            out.x = event.xbutton.x;
            out.y = event.xbutton.y;
            out.button = static_cast<int>(event.xbutton.button);
            modifiers(event.xbutton.state);
            return true;
        case MotionNotify:
            out.eType = SWindowEvent::kPointerMove;
            out.x = event.xmotion.x;
            out.y = event.xmotion.y;
            modifiers(event.xmotion.state);
            return true;
        case KeyPress: {
            char acText[8] = {};
            KeySym nSym = 0;
            XKeyEvent key = event.xkey;
            const int nChars = XLookupString(&key, acText, sizeof acText, &nSym, nullptr);
            out.eType = SWindowEvent::kKey;
            modifiers(event.xkey.state);
            switch (nSym) {
            case XK_Left: out.key = kKeyLeft; return true;
            case XK_Right: out.key = kKeyRight; return true;
            case XK_Up: out.key = kKeyUp; return true;
            case XK_Down: out.key = kKeyDown; return true;
            case XK_ISO_Left_Tab: out.key = 9; return true;
            default: break;
            }
            if (nChars != 1)
                return false;
            out.key = static_cast<unsigned char>(acText[0]);
            return true;
        }
        case DestroyNotify:
            if (event.xdestroywindow.window == mnWindow)
                mbAlive = false;
            return false;
        case ClientMessage:
            if (static_cast<Atom>(event.xclient.data.l[0]) != mnDeleteAtom)
                return false;
            out.eType = SWindowEvent::kClose;
            return true;
        default: return false;
        }
    }

    Display* mpDisplay;
    Window mnWindow;
    int mnWidth;
    int mnHeight;
    bool mbTopLevel;
    bool mbAlive = true; // false once the server destroyed the window
    GC mGC;
    Atom mnDeleteAtom;
    Visual* mpVisual;
    int mnDepth;
    // The pop-up: its window (0 when none), where it lies on the root and in
    // our coordinates, and its picture for exposes.
    Window mnPopup = 0;
    int mnPopupX = 0, mnPopupY = 0, mnPopupOwnerX = 0, mnPopupOwnerY = 0;
    int mnPopupWidth = 0, mnPopupHeight = 0;
    std::vector<uint32_t> manPopup;
    bool mbGrabbed = false;
};

constexpr long kEventMask
    = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask | StructureNotifyMask;

std::unique_ptr<IWindow> Open(Window nParent, bool bTopLevel, const std::string& sTitle, int x, int y, int nWidth,
    int nHeight, std::string& sError)
{
    if (nWidth <= 0 || nHeight <= 0) {
        sError = "the window has no size";
        return nullptr;
    }
    Display* pDisplay = XOpenDisplay(nullptr);
    if (pDisplay == nullptr) {
        sError = "cannot open the X display (is DISPLAY set?)";
        return nullptr;
    }
    if (bTopLevel)
        nParent = DefaultRootWindow(pDisplay);
    XSync(pDisplay, False);
    gnXErrors = 0;
    auto pPreviousHandler = XSetErrorHandler(CountError);
    const Window nWindow = XCreateSimpleWindow(
        pDisplay, nParent, x, y, static_cast<unsigned>(nWidth), static_cast<unsigned>(nHeight), 0, 0, 0);
    XSelectInput(pDisplay, nWindow, kEventMask);
    XSync(pDisplay, False);
    const bool bFailed = gnXErrors != 0;
    XSetErrorHandler(pPreviousHandler);
    if (bFailed) {
        sError = "the parent window does not exist";
        XCloseDisplay(pDisplay);
        return nullptr;
    }
    if (bTopLevel) {
        XStoreName(pDisplay, nWindow, sTitle.c_str());
        // Fixed size: the editor's picture does not scale.
        XSizeHints* pHints = XAllocSizeHints();
        if (pHints != nullptr) {
            pHints->flags = PMinSize | PMaxSize;
            pHints->min_width = pHints->max_width = nWidth;
            pHints->min_height = pHints->max_height = nHeight;
            XSetWMNormalHints(pDisplay, nWindow, pHints);
            XFree(pHints);
        }
    }
    auto pWindow = std::make_unique<CX11Window>(pDisplay, nWindow, nWidth, nHeight, bTopLevel);
    XMapWindow(pDisplay, nWindow);
    XSync(pDisplay, False);
    return pWindow;
}

} // namespace

std::unique_ptr<IWindow> OpenChildWindow(uintptr_t nParent, int x, int y, int nWidth, int nHeight, std::string& sError)
{
    if (nParent == 0) {
        sError = "no parent window";
        return nullptr;
    }
    return Open(static_cast<Window>(nParent), false, std::string(), x, y, nWidth, nHeight, sError);
}

std::unique_ptr<IWindow> OpenTopLevelWindow(const std::string& sTitle, int nWidth, int nHeight, std::string& sError)
{
    return Open(0, true, sTitle, 0, 0, nWidth, nHeight, sError);
}

bool IsDisplayAvailable()
{
    Display* pDisplay = XOpenDisplay(nullptr);
    if (pDisplay == nullptr)
        return false;
    XCloseDisplay(pDisplay);
    return true;
}

} // namespace platform
