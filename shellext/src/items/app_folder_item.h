// CAppFolderItem: one application granted to the user. Opening it launches
// it through the cache; files dropped on it are passed as its parameters.
#pragma once

#include "items/folder_item.h"

class CAppFolderItem : public CFolderItem {
    DECLARE_DYNAMIC(CAppFolderItem)
public:
    // Key = first + second part, flags 0; the icon handle goes into the icon
    // cache (the caller keeps it), else the default application icon.
    CAppFolderItem(LPCSTR firstPart, LPCSTR secondPart, LPCSTR displayName, HICON icon);
    CAppFolderItem(const CAppFolderItem& other) = default;

    int AddSheetPages(CPropertySheet* sheet) override;
    DWORD GetAttributes() override;
    void GetDisplayName(UINT nameFlags, LPSTR buffer, UINT size) override;
    BOOL OnCommand(UINT command, HWND owner) override;
    void Open(UINT showFlags) override;
    BOOL Delete(LPCSTR parentKey, BOOL askFirst) override;

    HRESULT QueryContextMenu(HMENU menu, UINT position, UINT firstId, UINT lastId, UINT flags) override;
    HRESULT GetIconLocation(UINT flags, LPSTR file, UINT size, int* index, UINT* outFlags) override;
    HRESULT GetIconLocation(UINT flags, LPWSTR file, UINT size, int* index, UINT* outFlags) override;
    HRESULT Extract(HICON* large, HICON* small, UINT sizes) override;
    HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT AddPages(LPFNADDPROPSHEETPAGE add, LPARAM param) override;

    // Launches the application with the parameters (or none), unless a launch
    // is running (then message 10257); broadcasts a refill when its state
    // changed.
    void Launch(LPCSTR parameters);
};
