// CAppTree: the item of a directory tree the workstation is attached to, or
// of the user's personal tree (key "Personal" + TAB, flag bit 31). Its parent
// list is the root item alone.
#pragma once

#include "items/folder_item.h"

// Whether the key is the personal tree's: string 10256 "Personal" + TAB.
BOOL IsPersonalTreeKey(LPCSTR key);

class CAppTree : public CFolderItem {
    DECLARE_DYNAMIC(CAppTree)
public:
    CAppTree(LPCSTR key, LPCSTR displayName);
    CAppTree(const CAppTree& other) = default;

    int AddSheetPages(CPropertySheet* sheet) override;
    DWORD GetAttributes() override;
    void GetDisplayName(UINT nameFlags, LPSTR buffer, UINT size) override;
};
