// The shell's initialiser of a sheet or menu extension on a folder: every
// interface beyond its own is the folder item's.
#include "namespace/shell_ext_init.h"

#include "cache/app_cache.h"
#include "items/folder_item.h"
#include "module/shell_ext_app.h"

CShellExtInit::CShellExtInit() { ++GetShellExtApp()->m_nLiveObjects; }

CShellExtInit::~CShellExtInit() { --GetShellExtApp()->m_nLiveObjects; }

STDMETHODIMP CShellExtInit::QueryInterface(REFIID iid, void** object) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellExtInit)) {
        *object = static_cast<IShellExtInit*>(this);
        AddRef();
        return S_OK;
    }
    CAppCache* cache = GetShellExtApp()->m_pCache;
    CFolderItem* item = cache ? cache->GetItem(m_strKey, -328) : nullptr;
    if (!item) return E_NOINTERFACE;
    item->SetParentIdList(m_folderList);
    HRESULT hr = item->QueryInterface(iid, object);
    item->Release();
    return hr;
}

STDMETHODIMP_(ULONG) CShellExtInit::AddRef() { return ++m_cRef; }

STDMETHODIMP_(ULONG) CShellExtInit::Release() {
    if (--m_cRef) return m_cRef;
    delete this;
    return 0;
}

STDMETHODIMP CShellExtInit::Initialize(LPCITEMIDLIST folder, LPDATAOBJECT, HKEY) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    m_folderList = CItemIdList(folder);
    ItemKeyFromIdList(folder, m_strKey, FALSE);
    return S_OK;
}
