// A small modal message box drawn with core X fonts: the text, one line per
// line of the message, and a row of buttons. Return answers the first
// button, Escape the last.
#include "Window.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace platform {

namespace {

constexpr int kMargin = 16;
constexpr int kLineHeight = 16;
constexpr int kButtonWidth = 72;
constexpr int kButtonHeight = 24;
constexpr int kMaxLineChars = 60;

std::vector<std::string> WrapLines(const std::string& sText)
{
    std::vector<std::string> lines;
    std::string sLine;
    auto flush = [&] {
        lines.push_back(sLine);
        sLine.clear();
    };
    for (size_t i = 0; i < sText.size(); ++i) {
        const char c = sText[i];
        if (c == '\n' || c == '\r') {
            flush();
            continue;
        }
        sLine += c;
        if (static_cast<int>(sLine.size()) >= kMaxLineChars) {
            const size_t nSpace = sLine.rfind(' ');
            std::string sRest;
            if (nSpace != std::string::npos && nSpace > 0) {
                sRest = sLine.substr(nSpace + 1);
                sLine.resize(nSpace);
            }
            flush();
            sLine = sRest;
        }
    }
    if (!sLine.empty() || lines.empty())
        flush();
    return lines;
}

} // namespace

int MessageBox(const char* pszText, const char* pszTitle, int nKind)
{
    const std::string sText = pszText != nullptr ? pszText : "";
    const std::string sTitle = pszTitle != nullptr ? pszTitle : "";
    std::vector<std::pair<const char*, int>> buttons;
    if (nKind == 1)
        buttons = { { "Yes", 1 }, { "No", 2 } };
    else if (nKind == 2)
        buttons = { { "Yes", 1 }, { "No", 2 }, { "Cancel", 3 } };
    else
        buttons = { { "OK", 1 } };

    Display* pDisplay = XOpenDisplay(nullptr);
    if (pDisplay == nullptr) {
        std::fprintf(stderr, "%s%s%s\n", sTitle.c_str(), sTitle.empty() ? "" : ": ", sText.c_str());
        return 1;
    }
    const std::vector<std::string> lines = WrapLines(sText);
    const int nWidth
        = std::max<int>(kMaxLineChars * 6 + 2 * kMargin, static_cast<int>(buttons.size()) * (kButtonWidth + 8));
    const int nHeight = kMargin * 3 + static_cast<int>(lines.size()) * kLineHeight + kButtonHeight;
    const int nScreen = DefaultScreen(pDisplay);
    const Window nWindow = XCreateSimpleWindow(pDisplay, DefaultRootWindow(pDisplay),
        (DisplayWidth(pDisplay, nScreen) - nWidth) / 2, (DisplayHeight(pDisplay, nScreen) - nHeight) / 2,
        static_cast<unsigned>(nWidth), static_cast<unsigned>(nHeight), 1, BlackPixel(pDisplay, nScreen), 0xE0E0E0);
    XStoreName(pDisplay, nWindow, sTitle.c_str());
    Atom nDelete = XInternAtom(pDisplay, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(pDisplay, nWindow, &nDelete, 1);
    XSelectInput(pDisplay, nWindow, ExposureMask | ButtonPressMask | KeyPressMask);
    XMapRaised(pDisplay, nWindow);
    GC gc = XCreateGC(pDisplay, nWindow, 0, nullptr);

    const int nButtonTop = nHeight - kMargin - kButtonHeight;
    auto buttonLeft = [&](size_t n) {
        const int nRow = static_cast<int>(buttons.size()) * (kButtonWidth + 8) - 8;
        return (nWidth - nRow) / 2 + static_cast<int>(n) * (kButtonWidth + 8);
    };
    int nAnswer = 0;
    while (nAnswer == 0) {
        XEvent event;
        XNextEvent(pDisplay, &event);
        if (event.type == Expose && event.xexpose.count == 0) {
            XSetForeground(pDisplay, gc, BlackPixel(pDisplay, nScreen));
            for (size_t i = 0; i < lines.size(); ++i)
                XDrawString(pDisplay, nWindow, gc, kMargin, kMargin + 12 + static_cast<int>(i) * kLineHeight,
                    lines[i].c_str(), static_cast<int>(lines[i].size()));
            for (size_t n = 0; n < buttons.size(); ++n) {
                const int nLeft = buttonLeft(n);
                XDrawRectangle(pDisplay, nWindow, gc, nLeft, nButtonTop, kButtonWidth, kButtonHeight);
                const int nChars = static_cast<int>(std::strlen(buttons[n].first));
                XDrawString(pDisplay, nWindow, gc, nLeft + (kButtonWidth - nChars * 6) / 2, nButtonTop + 16,
                    buttons[n].first, nChars);
            }
        } else if (event.type == ButtonPress) {
            for (size_t n = 0; n < buttons.size(); ++n) {
                const int nLeft = buttonLeft(n);
                if (event.xbutton.x >= nLeft && event.xbutton.x < nLeft + kButtonWidth && event.xbutton.y >= nButtonTop
                    && event.xbutton.y < nButtonTop + kButtonHeight)
                    nAnswer = buttons[n].second;
            }
        } else if (event.type == KeyPress) {
            const KeySym nSym = XLookupKeysym(&event.xkey, 0);
            if (nSym == XK_Return || nSym == XK_KP_Enter)
                nAnswer = buttons.front().second;
            else if (nSym == XK_Escape)
                nAnswer = buttons.back().second;
        } else if (event.type == ClientMessage && static_cast<Atom>(event.xclient.data.l[0]) == nDelete) {
            nAnswer = buttons.back().second;
        }
    }
    XFreeGC(pDisplay, gc);
    XDestroyWindow(pDisplay, nWindow);
    XCloseDisplay(pDisplay);
    return nAnswer;
}

} // namespace platform
