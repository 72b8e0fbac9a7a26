// A hierarchical pop-up menu (kind 313): a button whose text is the title.
// Pressing it opens the top level below the control; resting on a submenu
// opens it to the right. Releasing on an item chooses it. Releasing on the
// title (a plain click) or on a submenu leaves the menu open: the pointer
// then highlights without a button, a click on an item chooses it, a click
// anywhere else (the title included) or Escape closes it. Up and Down move
// through a column, Right opens a submenu, Left closes one, Return chooses.
// A choice counts as a click: the panel reports the control's value (the
// chosen item's id). Texts are UTF-8 and drawn through the fonts' 8-bit
// set (Latin-1; other characters as '?').
#pragma once

#include "toolkit/epiAlphaControl_button.h"

#include <string>
#include <vector>

class epiAlphaControl_hierMenu : public epiAlphaControl_button {
public:
    static constexpr int kRoot = 0;
    static constexpr int kNone = -1;

    epiAlphaControl_hierMenu();

    // Removes every item (the title stays).
    void ClearItems();
    void SetTitle(const char* pszTitle) { SetText(pszTitle); }
    // Adds an item or a submenu under parent (kRoot or a submenu's id);
    // returns the new id, or kNone when parent is not a submenu.
    int AddItem(const char* pszText, int nParent = kRoot);
    int AddSubmenu(const char* pszText, int nParent = kRoot);

    int GetItemCount() const { return static_cast<int>(maNodes.size()) - 1; }
    std::string GetItemText(int nId) const;
    // The texts from the top level down to the item, joined by cSeparator.
    std::string GetItemPath(int nId, char cSeparator = ':') const;
    bool IsSubmenu(int nId) const;
    std::vector<int> GetChildren(int nId) const;
    // The item chosen by the last release, or kNone.
    int GetChosen() const { return miChosen; }
    std::string GetChosenText() const { return GetItemText(miChosen); }
    bool IsOpen() const { return !maOpen.empty(); }
    // The item under the pointer while open, or kNone.
    int GetHighlighted() const { return miHighlight; }

    // Closes an open menu without a choice.
    void Close();

    void MouseDown() override;
    bool Drag() override;
    bool MouseUp() override;
    bool Key(int nKey) override;
    bool HasOpenPopup() const override { return IsOpen(); }
    bool TakeKeyReport() override;
    int GetValue() const override { return miChosen; }
    SEpiRect GetOverlayRect() const override;
    void AddOverlayParts(std::vector<SEpiRect>& parts) const override;
    void DrawOverlay(epiOffmap& target, const SEpiRect& clip) override;

private:
    struct SNode {
        std::string sText;
        int nParent;
        bool bSubmenu;
    };
    struct SColumn {
        int nMenu; // the submenu whose items the column lists
        SEpiRect rect;
    };

    int Add(const char* pszText, int nParent, bool bSubmenu);
    int RowHeight() const;
    SColumn MakeColumn(int nMenu, int h, int v) const;
    // The open column and item under a point, or false.
    bool Hit(SEpiPoint point, size_t& nColumn, int& nItem) const;
    void InvalidateOverlay();
    // The column that holds the highlighted item (else the last one).
    size_t CurrentColumn() const;
    // Highlights nItem of column nColumn; columns right of it close and an
    // open submenu follows the highlight when bOpenSubmenu.
    void Highlight(size_t nColumn, int nItem, bool bOpenSubmenu);
    void Choose(int nItem);

    std::vector<SNode> maNodes; // [0] is the top level
    std::vector<SColumn> maOpen; // open columns, top level first
    int miHighlight;
    int miChosen;
    bool mbReachedItem = false; // the pointer met an item since the press
    bool mbKeyChoice = false; // a choice made by Return, not yet reported
};

namespace epi {
// UTF-8 text in the fonts' 8-bit set: code points up to U+00FF as their
// Latin-1 byte, every other character (and every malformed byte) as '?'.
std::string ToFontCharset(const std::string& sUtf8);
} // namespace epi
