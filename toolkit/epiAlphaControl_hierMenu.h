// A hierarchical pop-up menu (kind 313): a button whose text is the title.
// Pressing it opens the top level below the control; resting on a submenu
// opens it to the right; releasing on an item chooses it, releasing anywhere
// else chooses nothing. A choice counts as a click: the panel reports the
// control's value (the chosen item's id) after the release.
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

    void MouseDown() override;
    bool Drag() override;
    bool MouseUp() override;
    int GetValue() const override { return miChosen; }
    SEpiRect GetOverlayRect() const override;
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

    std::vector<SNode> maNodes; // [0] is the top level
    std::vector<SColumn> maOpen; // open columns, top level first
    int miHighlight;
    int miChosen;
};
