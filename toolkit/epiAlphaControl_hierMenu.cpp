#include "toolkit/epiAlphaControl_hierMenu.h"

#include "toolkit/epiAlphaFontsList.h"
#include "toolkit/epiBlit.h"
#include "toolkit/epiInputState.h"
#include "toolkit/epiPanel.h"

#include <algorithm>

namespace {

constexpr int kPadding = 8; // text inset from the column's left edge
constexpr int kArrowRoom = 14; // room for the submenu mark
constexpr int kMinimumWidth = 100;

} // namespace

epiAlphaControl_hierMenu::epiAlphaControl_hierMenu()
    : maNodes { SNode { std::string(), kNone, true } }
    , miHighlight(kNone)
    , miChosen(kNone)
{ }

void epiAlphaControl_hierMenu::ClearItems()
{
    if (IsOpen())
        Close();
    maNodes.resize(1);
    miHighlight = kNone;
    miChosen = kNone;
}

int epiAlphaControl_hierMenu::Add(const char* pszText, int nParent, bool bSubmenu)
{
    if (!IsSubmenu(nParent))
        return kNone;
    maNodes.push_back(SNode { pszText != nullptr ? pszText : "", nParent, bSubmenu });
    return static_cast<int>(maNodes.size()) - 1;
}

int epiAlphaControl_hierMenu::AddItem(const char* pszText, int nParent)
{
    return Add(pszText, nParent, false);
}

int epiAlphaControl_hierMenu::AddSubmenu(const char* pszText, int nParent)
{
    return Add(pszText, nParent, true);
}

std::string epiAlphaControl_hierMenu::GetItemText(int nId) const
{
    return nId > 0 && nId < static_cast<int>(maNodes.size()) ? maNodes[static_cast<size_t>(nId)].sText : std::string();
}

std::string epiAlphaControl_hierMenu::GetItemPath(int nId, char cSeparator) const
{
    std::string sPath;
    while (nId > 0 && nId < static_cast<int>(maNodes.size())) {
        const SNode& node = maNodes[static_cast<size_t>(nId)];
        if (!sPath.empty())
            sPath.insert(0, 1, cSeparator);
        sPath.insert(0, node.sText);
        nId = node.nParent;
    }
    return sPath;
}

bool epiAlphaControl_hierMenu::IsSubmenu(int nId) const
{
    return nId >= 0 && nId < static_cast<int>(maNodes.size()) && maNodes[static_cast<size_t>(nId)].bSubmenu;
}

std::vector<int> epiAlphaControl_hierMenu::GetChildren(int nId) const
{
    std::vector<int> children;
    for (size_t i = 1; i < maNodes.size(); ++i)
        if (maNodes[i].nParent == nId)
            children.push_back(static_cast<int>(i));
    return children;
}

int epiAlphaControl_hierMenu::RowHeight() const
{
    const epiAlphaFontsList* pFonts = GetFonts();
    const int h = pFonts != nullptr ? pFonts->GetHeight(miFontSlot) : 0;
    return std::max(h, 10) + 6;
}

epiAlphaControl_hierMenu::SColumn epiAlphaControl_hierMenu::MakeColumn(int nMenu, int h, int v) const
{
    const epiAlphaFontsList* pFonts = GetFonts();
    int nWidth = std::max<int>(kMinimumWidth, mBounds.Width());
    const std::vector<int> children = GetChildren(nMenu);
    for (int n : children) {
        const std::string sShown = epi::ToFontCharset(maNodes[static_cast<size_t>(n)].sText);
        const int w = pFonts != nullptr ? pFonts->Measure(miFontSlot, sShown.c_str()) : 0;
        nWidth = std::max(nWidth, w + 2 * kPadding + kArrowRoom);
    }
    const int nRows = std::max<int>(1, static_cast<int>(children.size()));
    return SColumn { nMenu,
        SEpiRect { static_cast<int16_t>(h), static_cast<int16_t>(v), static_cast<int16_t>(h + nWidth),
            static_cast<int16_t>(v + nRows * RowHeight() + 2) } };
}

bool epiAlphaControl_hierMenu::Hit(SEpiPoint point, size_t& nColumn, int& nItem) const
{
    // Later columns lie on top.
    for (size_t k = maOpen.size(); k-- > 0;) {
        const SColumn& column = maOpen[k];
        if (!EpiContains(column.rect, point))
            continue;
        const int nRow = (point.v - column.rect.top - 1) / RowHeight();
        const std::vector<int> children = GetChildren(column.nMenu);
        if (nRow < 0 || nRow >= static_cast<int>(children.size()))
            return false;
        nColumn = k;
        nItem = children[static_cast<size_t>(nRow)];
        return true;
    }
    return false;
}

void epiAlphaControl_hierMenu::Close()
{
    InvalidateOverlay();
    maOpen.clear();
    miHighlight = kNone;
    mbTracking = false;
    miState = mbEnabled ? kUp : kDisabled;
    Invalidate();
}

void epiAlphaControl_hierMenu::Choose(int nItem)
{
    Close();
    miChosen = nItem;
}

void epiAlphaControl_hierMenu::MouseDown()
{
    if (IsOpen() && !mbTracking) {
        // A press while the menu stays open: on an item it is tracked like
        // the first press (the release chooses); anywhere else it closes.
        size_t nColumn = 0;
        int nItem = kNone;
        if (Hit(GetInput()->GetPointer(), nColumn, nItem)) {
            mbTracking = true;
            mbReachedItem = true;
            Highlight(nColumn, nItem, true);
        } else {
            Close();
        }
        return;
    }
    epiAlphaControl_button::MouseDown();
    if (!mbTracking)
        return;
    miChosen = kNone;
    miHighlight = kNone;
    mbReachedItem = false;
    maOpen.assign(1, MakeColumn(kRoot, mBounds.left, mBounds.bottom));
    InvalidateOverlay();
}

void epiAlphaControl_hierMenu::Highlight(size_t nColumn, int nItem, bool bOpenSubmenu)
{
    if (nColumn >= maOpen.size())
        return;
    InvalidateOverlay();
    miHighlight = nItem;
    maOpen.resize(nColumn + 1);
    if (bOpenSubmenu && IsSubmenu(nItem)) {
        const std::vector<int> siblings = GetChildren(maOpen[nColumn].nMenu);
        const int nRow = static_cast<int>(std::find(siblings.begin(), siblings.end(), nItem) - siblings.begin());
        const SEpiRect& rect = maOpen[nColumn].rect;
        maOpen.push_back(MakeColumn(nItem, rect.right - 2, rect.top + nRow * RowHeight()));
    }
    InvalidateOverlay();
}

// With the button down it follows the drag; with the menu left open it
// follows the pointer alone.
bool epiAlphaControl_hierMenu::Drag()
{
    if (maOpen.empty())
        return false;
    size_t nColumn = 0;
    int nItem = kNone;
    if (!Hit(GetInput()->GetPointer(), nColumn, nItem)) {
        // Off the items an open submenu stays, so the pointer can cross
        // a gap on its way there.
        if (miHighlight != kNone && (mbTracking || !IsSubmenu(miHighlight))) {
            InvalidateOverlay();
            miHighlight = kNone;
        }
        return false;
    }
    mbReachedItem = mbReachedItem || mbTracking;
    if (nItem != miHighlight)
        Highlight(nColumn, nItem, true);
    return false;
}

bool epiAlphaControl_hierMenu::MouseUp()
{
    if (!mbTracking)
        return false;
    Drag(); // the release point counts
    const int nItem = miHighlight;
    mbTracking = false;
    if (nItem != kNone && !IsSubmenu(nItem)) {
        Choose(nItem);
        return true;
    }
    // A click on the title, or a release on a submenu, leaves the menu open.
    if ((nItem != kNone && IsSubmenu(nItem)) || (!mbReachedItem && PointerInside()))
        return false;
    Close();
    return false;
}

size_t epiAlphaControl_hierMenu::CurrentColumn() const
{
    for (size_t k = 0; k < maOpen.size(); ++k) {
        const std::vector<int> children = GetChildren(maOpen[k].nMenu);
        if (std::find(children.begin(), children.end(), miHighlight) != children.end())
            return k;
    }
    return maOpen.empty() ? 0 : maOpen.size() - 1;
}

bool epiAlphaControl_hierMenu::Key(int nKey)
{
    if (!IsOpen())
        return false;
    const size_t nColumn = CurrentColumn();
    const std::vector<int> items = GetChildren(maOpen[nColumn].nMenu);
    const int nRow = static_cast<int>(std::find(items.begin(), items.end(), miHighlight) - items.begin());
    const int nRows = static_cast<int>(items.size());
    switch (nKey) {
    case kEpiKeyEscape: Close(); break;
    case kEpiKeyDown:
    case kEpiKeyUp:
        if (nRows > 0) {
            const int nNext = nRow >= nRows ? (nKey == kEpiKeyDown ? 0 : nRows - 1)
                                            : (nRow + (nKey == kEpiKeyDown ? 1 : nRows - 1)) % nRows;
            Highlight(nColumn, items[static_cast<size_t>(nNext)], false);
        }
        break;
    case kEpiKeyRight:
    case kEpiKeyReturn:
        if (IsSubmenu(miHighlight)) {
            Highlight(nColumn, miHighlight, true);
            const std::vector<int> inner = GetChildren(miHighlight);
            if (!inner.empty())
                Highlight(nColumn + 1, inner.front(), false);
        } else if (nKey == kEpiKeyReturn && miHighlight != kNone) {
            Choose(miHighlight);
            mbKeyChoice = true;
        }
        break;
    case kEpiKeyLeft:
        if (maOpen.size() > 1 && nColumn > 0)
            Highlight(nColumn - 1, maOpen[nColumn].nMenu, false);
        break;
    default: break;
    }
    return true; // an open menu takes every key
}

bool epiAlphaControl_hierMenu::TakeKeyReport()
{
    const bool bReport = mbKeyChoice;
    mbKeyChoice = false;
    return bReport;
}

SEpiRect epiAlphaControl_hierMenu::GetOverlayRect() const
{
    SEpiRect rect { 0, 0, 0, 0 };
    for (const SColumn& column : maOpen)
        rect = EpiUnion(rect, column.rect);
    return rect;
}

void epiAlphaControl_hierMenu::AddOverlayParts(std::vector<SEpiRect>& parts) const
{
    for (const SColumn& column : maOpen)
        parts.push_back(column.rect);
}

void epiAlphaControl_hierMenu::InvalidateOverlay()
{
    const SEpiRect rect = GetOverlayRect();
    if (!rect.IsEmpty() && mpPanel != nullptr)
        mpPanel->InvalidateWindowRect(rect);
}

void epiAlphaControl_hierMenu::DrawOverlay(epiOffmap& target, const SEpiRect& clip)
{
    const epiAlphaFontsList* pFonts = GetFonts();
    const int nRow = RowHeight();
    const int nFontHeight = pFonts != nullptr ? pFonts->GetHeight(miFontSlot) : 0;
    for (const SColumn& column : maOpen) {
        const SEpiRect area = EpiIntersect(column.rect, clip);
        if (area.IsEmpty())
            continue;
        const SEpiRect& r = column.rect;
        EpiFillRect(target, area, 0x9A, 0xA0, 0xA8); // the frame
        EpiFillRect(target,
            EpiIntersect(SEpiRect { static_cast<int16_t>(r.left + 1), static_cast<int16_t>(r.top + 1),
                             static_cast<int16_t>(r.right - 1), static_cast<int16_t>(r.bottom - 1) },
                area),
            0x26, 0x29, 0x2E);
        const std::vector<int> children = GetChildren(column.nMenu);
        for (size_t i = 0; i < children.size(); ++i) {
            const int nId = children[i];
            const int y = r.top + 1 + static_cast<int>(i) * nRow;
            const SEpiRect row { static_cast<int16_t>(r.left + 1), static_cast<int16_t>(y),
                static_cast<int16_t>(r.right - 1), static_cast<int16_t>(y + nRow) };
            const bool bLit = nId == miHighlight
                || std::any_of(maOpen.begin(), maOpen.end(), [nId](const SColumn& c) { return c.nMenu == nId; });
            if (bLit)
                EpiFillRect(target, EpiIntersect(row, area), 0x3C, 0x8C, 0xD0);
            if (pFonts == nullptr)
                continue;
            const uint16_t nInk = EpiPack555(0xE8, 0xEA, 0xEE);
            const int ty = y + (nRow - nFontHeight) / 2;
            pFonts->DrawColoured(miFontSlot, &target,
                epi::ToFontCharset(maNodes[static_cast<size_t>(nId)].sText).c_str(), r.left + kPadding, ty, 0,
                r.Width() - 2 * kPadding - kArrowRoom, area, nInk);
            if (IsSubmenu(nId))
                pFonts->DrawColoured(miFontSlot, &target, ">", r.right - kPadding, ty, 2, 0, area, nInk);
        }
    }
}

std::string epi::ToFontCharset(const std::string& sUtf8)
{
    std::string sOut;
    sOut.reserve(sUtf8.size());
    for (size_t i = 0; i < sUtf8.size();) {
        const auto c = static_cast<unsigned char>(sUtf8[i]);
        if (c < 0x80) {
            sOut += static_cast<char>(c);
            ++i;
            continue;
        }
        // The sequence's length from its lead byte; 0 for a stray byte.
        const size_t nLength = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        bool bValid = nLength != 0 && i + nLength <= sUtf8.size();
        uint32_t nCode = nLength == 2 ? (c & 0x1Fu) : nLength == 3 ? (c & 0x0Fu) : (c & 0x07u);
        for (size_t k = 1; bValid && k < nLength; ++k) {
            const auto n = static_cast<unsigned char>(sUtf8[i + k]);
            bValid = (n & 0xC0) == 0x80;
            nCode = (nCode << 6) | (n & 0x3Fu);
        }
        // Overlong two-byte forms of ASCII are malformed too.
        if (bValid && nCode >= 0x80 && nCode <= 0xFF)
            sOut += static_cast<char>(nCode);
        else
            sOut += '?';
        i += bValid ? nLength : 1;
    }
    return sOut;
}
