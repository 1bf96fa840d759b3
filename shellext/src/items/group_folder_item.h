// CGroupFolderItem: a folder of applications, delivered from the directory
// or one of the user's personal folders (flag bit 31). A personal folder may
// be renamed, deleted, and takes applications dropped on it.
#pragma once

#include "items/folder_item.h"

class CGroupFolderItem : public CFolderItem {
    DECLARE_DYNAMIC(CGroupFolderItem)
public:
    // Key = first + second part, display name = second part, the default
    // folder icon; the given list becomes the parent list.
    CGroupFolderItem(LPCSTR firstPart, LPCSTR secondPart, DWORD flags, const CItemIdList& parentList);
    CGroupFolderItem(const CGroupFolderItem& other) = default;

    int AddSheetPages(CPropertySheet* sheet) override;
    DWORD GetAttributes() override;
    void GetDisplayName(UINT nameFlags, LPSTR buffer, UINT size) override;
    BOOL Rename(LPCSTR newName) override;
    BOOL Delete(LPCSTR parentKey, BOOL askFirst) override;

    HRESULT QueryContextMenu(HMENU menu, UINT position, UINT firstId, UINT lastId, UINT flags) override;
    HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT AddPages(LPFNADDPROPSHEETPAGE add, LPARAM param) override;
};
