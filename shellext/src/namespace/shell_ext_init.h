// The object through which the shell initialises a property sheet or
// context menu extension on one of the extension's folders. Made only by
// the shell folder's QueryInterface; every other interface it is asked for
// comes from the item of its folder's key.
#pragma once

#include "afxwin.h"
#include "namespace/item_id_list.h"
#include "shlobj.h"

class CShellExtInit : public IShellExtInit {
public:
    CShellExtInit();
    virtual ~CShellExtInit();

    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // Keeps a copy of the folder list and its item key; ignores the rest.
    STDMETHODIMP Initialize(LPCITEMIDLIST folder, LPDATAOBJECT data, HKEY key) override;

    const CString& GetKey() const { return m_strKey; }

private:
    ULONG m_cRef = 1;
    CItemIdList m_folderList;
    CString m_strKey;
};
