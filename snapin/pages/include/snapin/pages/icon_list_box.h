// CIconListBox: the owner-drawn list of the icon browser. Each item is an
// empty text whose item data is an icon handle; items are 36 pixels high.
#pragma once

#include "vpr/mfc/controls.h"

class CIconListBox : public CListBox {
public:
    static constexpr int kItemHeight = 36;

    void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;
    // Empties the list and destroys the icons of its items.
    void RemoveIcons();
};
