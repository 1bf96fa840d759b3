// The extension's folder object: the shell creates it through the class
// identifier for the extension's folder and every folder below it. It lists
// a folder's children, binds to sub-folders, compares items, hands out the
// items' interfaces and gives names; everything it says about an item comes
// from the cache's item factory. CreateViewObject makes the folder's view
// (CShellView) for IShellView.
#pragma once

#include "afxwin.h"
#include "namespace/item_id_list.h"
#include "shlobj.h"

// Association masks of a folder: which applications it shows.
constexpr DWORD kFolderMaskLauncher = 0x1;   // reached through the desktop entry
constexpr DWORD kFolderMaskStartMenu = 0x4;  // reached through a file-system directory

class CShellFolder : public IShellFolder {
public:
    CShellFolder();
    virtual ~CShellFolder();

    // IUnknown.
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IShellFolder.
    STDMETHODIMP ParseDisplayName(HWND owner, IBindCtx* bind, LPOLESTR name, ULONG* eaten, LPITEMIDLIST* list,
                                  ULONG* attributes) override;
    STDMETHODIMP EnumObjects(HWND owner, DWORD flags, LPENUMIDLIST* items) override;
    STDMETHODIMP BindToObject(LPCITEMIDLIST list, IBindCtx* bind, REFIID iid, LPVOID* object) override;
    STDMETHODIMP BindToStorage(LPCITEMIDLIST list, IBindCtx* bind, REFIID iid, LPVOID* object) override;
    STDMETHODIMP CompareIDs(LPARAM column, LPCITEMIDLIST first, LPCITEMIDLIST second) override;
    STDMETHODIMP CreateViewObject(HWND owner, REFIID iid, LPVOID* object) override;
    STDMETHODIMP GetAttributesOf(UINT count, LPCITEMIDLIST* lists, ULONG* attributes) override;
    STDMETHODIMP GetUIObjectOf(HWND owner, UINT count, LPCITEMIDLIST* lists, REFIID iid, UINT* reserved,
                               LPVOID* object) override;
    STDMETHODIMP GetDisplayNameOf(LPCITEMIDLIST list, DWORD flags, LPSTRRET name) override;
    STDMETHODIMP SetNameOf(HWND owner, LPCITEMIDLIST list, LPCOLESTR name, DWORD flags, LPITEMIDLIST* newList) override;

    // Whether the item factory has an item for the folder's key.
    BOOL HasItem() const;
    // The child keys of `folderKey` as this folder lists them: the cache's
    // answer, with single-child chains collapsed for Start Menu folders.
    // Appends to `keys`; returns the number appended.
    int ListChildren(LPCSTR folderKey, CStringArray& keys) const;

    const CString& GetKey() const { return m_strKey; }
    DWORD GetMask() const { return m_dwMask; }
    const CItemIdList& GetFolderList() const { return m_folderList; }

private:
    // The nested IPersistFolder; its IUnknown calls pass to the folder.
    class CPersistFolder : public IPersistFolder {
    public:
        explicit CPersistFolder(CShellFolder* folder) : m_pFolder(folder) {}
        STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;
        STDMETHODIMP GetClassID(CLSID* clsid) override;
        STDMETHODIMP Initialize(LPCITEMIDLIST list) override;

    private:
        CShellFolder* m_pFolder;
    };

    ULONG m_cRef = 1;
    CPersistFolder m_persistFolder{this};
    CString m_strKey;
    DWORD m_dwMask = kFolderMaskLauncher;
    CItemIdList m_folderList;
};

// The class factory DllGetClassObject hands out for the class identifier;
// it makes only shell folders.
class CClassFactory : public IClassFactory {
public:
    CClassFactory();
    virtual ~CClassFactory();

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    ULONG m_cRef = 1;
};
