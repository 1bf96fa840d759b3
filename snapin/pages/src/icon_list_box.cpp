// The icon browser's list: each item shows its icon.
#include "snapin/pages/icon_list_box.h"

#include "vpr/user/gdi.h"

void CIconListBox::DrawItem(LPDRAWITEMSTRUCT item) {
    if (static_cast<int>(item->itemID) < 0) return;
    HBRUSH brush = GetSysColorBrush((item->itemState & ODS_SELECTED) ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    FillRect(item->hDC, &item->rcItem, brush);
    if (item->itemState & ODS_FOCUS) DrawFocusRect(item->hDC, &item->rcItem);
    if (auto icon = reinterpret_cast<HICON>(item->itemData))
        DrawIcon(item->hDC, item->rcItem.left + 4, item->rcItem.top + 2, icon);
}

void CIconListBox::RemoveIcons() {
    for (int i = 0; i < GetCount(); ++i)
        if (auto icon = reinterpret_cast<HICON>(GetItemData(i))) DestroyIcon(icon);
    ResetContent();
}
