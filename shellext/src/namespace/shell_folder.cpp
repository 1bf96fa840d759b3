// The extension's shell folder and its class factory. Items are never held
// across calls: each call looks its item up in the cache's factory and
// releases it before it returns. Every call from the shell first selects
// this module's state, so that texts and dialogs come from its resources.
#include "namespace/shell_folder.h"

#include <cstring>

#include "cache/app_cache.h"
#include "items/folder_item.h"
#include "module/shell_ext_app.h"
#include "namespace/shell_ext_init.h"
#include "view/shell_view.h"
#include "vpr/locale/locale.h"

namespace {

constexpr DIR_CONTEXT kNoContext = -328;
constexpr UINT kNameSize = 260;

CAppCache* Cache() { return GetShellExtApp()->m_pCache; }

CFolderItem* ItemForKey(LPCSTR key) {
    CAppCache* cache = Cache();
    return cache ? cache->GetItem(key, kNoContext) : nullptr;
}

CString KeyOf(LPCITEMIDLIST list) {
    CString key;
    ItemKeyFromIdList(list, key, FALSE);
    return key;
}

// A compare result as the shell reads it: a success whose low 16 bits
// carry the signed order.
HRESULT OrderResult(int order) { return static_cast<HRESULT>(static_cast<USHORT>(static_cast<short>(order))); }

}  // namespace

CShellFolder::CShellFolder() { ++GetShellExtApp()->m_nLiveObjects; }

CShellFolder::~CShellFolder() { --GetShellExtApp()->m_nLiveObjects; }

STDMETHODIMP CShellFolder::QueryInterface(REFIID iid, void** object) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellFolder)) {
        *object = static_cast<IShellFolder*>(this);
    } else if (IsEqualIID(iid, IID_IPersistFolder)) {
        *object = static_cast<IPersistFolder*>(&m_persistFolder);
    } else if (IsEqualIID(iid, IID_IShellExtInit)) {
        auto* init = new CShellExtInit;
        HRESULT hr = init->QueryInterface(iid, object);
        init->Release();
        return hr;
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CShellFolder::AddRef() { return ++m_cRef; }

STDMETHODIMP_(ULONG) CShellFolder::Release() {
    if (--m_cRef) return m_cRef;
    delete this;
    return 0;
}

STDMETHODIMP CShellFolder::ParseDisplayName(HWND, IBindCtx*, LPOLESTR, ULONG*, LPITEMIDLIST* list, ULONG*) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (list) *list = nullptr;
    return E_NOTIMPL;
}

int CShellFolder::ListChildren(LPCSTR folderKey, CStringArray& keys) const {
    CAppCache* cache = Cache();
    if (!cache) return 0;
    if (m_dwMask != kFolderMaskStartMenu) return cache->ListFolderChildren(m_dwMask, folderKey, keys);
    // The Start Menu shows a chain of single children as its last folder.
    // A child without children of its own ends the chain (it stays the one
    // entry).
    CStringArray children;
    cache->ListFolderChildren(m_dwMask, folderKey, children);
    while (children.GetSize() == 1) {
        CString only = children[0];
        children.RemoveAll();
        cache->ListFolderChildren(m_dwMask, only, children);
        if (children.IsEmpty()) {
            children.Add(only);
            break;
        }
    }
    keys.Append(children);
    return static_cast<int>(children.GetSize());
}

STDMETHODIMP CShellFolder::EnumObjects(HWND owner, DWORD, LPENUMIDLIST* items) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (!items) return E_POINTER;
    *items = nullptr;
    auto* enumerator = new CEnumItemIdList;
    if (CAppCache* cache = Cache()) cache->WaitForFirstRefresh(owner);
    CStringArray keys;
    ListChildren(m_strKey, keys);
    for (INT_PTR i = 0; i < keys.GetSize(); ++i) enumerator->Add(CItemIdList(static_cast<LPCSTR>(keys[i])));
    enumerator->Reset();
    HRESULT hr = enumerator->QueryInterface(IID_IEnumIDList, reinterpret_cast<void**>(items));
    enumerator->Release();
    return hr;
}

STDMETHODIMP CShellFolder::BindToObject(LPCITEMIDLIST list, IBindCtx*, REFIID iid, LPVOID* object) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (!object) return E_POINTER;
    *object = nullptr;
    auto* folder = new CShellFolder;
    folder->m_folderList = m_folderList + CItemIdList(list);
    folder->m_dwMask = m_dwMask;
    folder->m_folderList.GetItemKey(folder->m_strKey, FALSE);
    HRESULT hr = folder->QueryInterface(iid, object);
    folder->Release();
    return hr;
}

STDMETHODIMP CShellFolder::BindToStorage(LPCITEMIDLIST, IBindCtx*, REFIID, LPVOID* object) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (object) *object = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CShellFolder::CompareIDs(LPARAM column, LPCITEMIDLIST first, LPCITEMIDLIST second) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    HRESULT result = E_FAIL;
    CFolderItem* one = ItemForKey(KeyOf(first));
    CFolderItem* two = ItemForKey(KeyOf(second));
    if (one && two) {
        int order = one->Compare(two, LOWORD(column), HIWORD(column));
        result = OrderResult(order);
    }
    if (one) one->Release();
    if (two) two->Release();
    return result;
}

STDMETHODIMP CShellFolder::CreateViewObject(HWND, REFIID iid, LPVOID* object) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (!object) return E_POINTER;
    *object = nullptr;
    // Only the folder's view is made here; it shows this folder.
    if (!IsEqualIID(iid, IID_IShellView)) return E_NOINTERFACE;
    auto* view = new CShellView(this);
    HRESULT hr = view->QueryInterface(iid, object);
    view->Release();
    return hr;
}

STDMETHODIMP CShellFolder::GetAttributesOf(UINT count, LPCITEMIDLIST* lists, ULONG* attributes) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (!attributes) return E_POINTER;
    CAppCache* cache = Cache();
    // Several items answer the attributes common to all of them.
    ULONG common = ~0UL;
    for (UINT i = 0; i < (count ? count : 1); ++i) {
        CString key = count && lists ? KeyOf(lists[i]) : m_strKey;
        ULONG mask = cache ? cache->GetItemAttributes(key) : 0;
        if (mask & SFGAO_FOLDER) {
            CStringArray children;
            if (ListChildren(key, children) > 0 && cache &&
                (cache->GetItemAttributes(children[0]) & SFGAO_FOLDER)) {
                mask |= SFGAO_HASSUBFOLDER;
            }
        }
        common &= mask;
    }
    *attributes = common;
    return S_OK;
}

STDMETHODIMP CShellFolder::GetUIObjectOf(HWND, UINT count, LPCITEMIDLIST* lists, REFIID iid, UINT*, LPVOID* object) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (!object) return E_POINTER;
    *object = nullptr;
    if (count != 1 || !lists) return E_INVALIDARG;
    CFolderItem* item = ItemForKey(KeyOf(lists[0]));
    if (!item) return E_OUTOFMEMORY;
    item->SetParentIdList(m_folderList);
    HRESULT hr = item->QueryInterface(iid, object);
    item->Release();
    return hr;
}

STDMETHODIMP CShellFolder::GetDisplayNameOf(LPCITEMIDLIST list, DWORD flags, LPSTRRET name) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (!name) return E_POINTER;
    CString key = KeyOf(list);
    name->uType = STRRET_CSTR;
    name->cStr[0] = 0;
    if (CFolderItem* item = ItemForKey(key)) {
        item->SetParentIdList(m_folderList);
        item->GetDisplayName(flags, name->cStr, kNameSize);
        item->Release();
    } else {
        // The key itself, cut to the name's room.
        std::strncpy(name->cStr, key, kNameSize - 1);
        name->cStr[kNameSize - 1] = 0;
    }
    return S_OK;
}

STDMETHODIMP CShellFolder::SetNameOf(HWND, LPCITEMIDLIST list, LPCOLESTR name, DWORD, LPITEMIDLIST* newList) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (newList) *newList = nullptr;
    LPMALLOC allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)) || !allocator) return E_FAIL;
    HRESULT result = E_FAIL;
    CFolderItem* item = ItemForKey(KeyOf(list));
    if (item) {
        CString ansi = name ? CString(vpr::locale::FromWide(reinterpret_cast<const char16_t*>(name)).c_str()) : CString();
        // A rename that failed leaves everything as it was.
        if (name && item->Rename(ansi)) {
            CItemIdList before = m_folderList + CItemIdList(list);
            CItemIdList after = m_folderList + item->GetOwnIdList();
            if (CAppCache* cache = Cache()) cache->Rebuild(TRUE);
            SHChangeNotify(SHCNE_RENAMEFOLDER, SHCNF_IDLIST | SHCNF_FLUSH, before.GetList(), after.GetList());
            // The new list is relative to this folder, as the shell reads it.
            if (newList) {
                auto block = static_cast<LPITEMIDLIST>(allocator->Alloc(item->GetOwnIdList().GetSize()));
                if (block) item->GetOwnIdList().CopyTo(block);
                *newList = block;
            }
            result = S_OK;
        }
        item->Release();
    }
    allocator->Release();
    return result;
}

BOOL CShellFolder::HasItem() const {
    CFolderItem* item = ItemForKey(m_strKey);
    if (!item) return FALSE;
    item->Release();
    return TRUE;
}

STDMETHODIMP CShellFolder::CPersistFolder::QueryInterface(REFIID iid, void** object) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_pFolder->QueryInterface(iid, object);
}

STDMETHODIMP_(ULONG) CShellFolder::CPersistFolder::AddRef() { return m_pFolder->AddRef(); }

STDMETHODIMP_(ULONG) CShellFolder::CPersistFolder::Release() { return m_pFolder->Release(); }

STDMETHODIMP CShellFolder::CPersistFolder::GetClassID(CLSID* clsid) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (!clsid) return E_POINTER;
    *clsid = CLSID_VprExplorer;
    return S_OK;
}

STDMETHODIMP CShellFolder::CPersistFolder::Initialize(LPCITEMIDLIST list) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    char path[MAX_PATH] = {};
    m_pFolder->m_dwMask = SHGetPathFromIDListA(list, path) ? kFolderMaskStartMenu : kFolderMaskLauncher;
    m_pFolder->m_folderList = CItemIdList(list);
    m_pFolder->m_strKey.Empty();
    GetShellExtApp()->CPidlList::Add(list);
    return S_OK;
}

CClassFactory::CClassFactory() { ++GetShellExtApp()->m_nLiveObjects; }

CClassFactory::~CClassFactory() { --GetShellExtApp()->m_nLiveObjects; }

STDMETHODIMP CClassFactory::QueryInterface(REFIID iid, void** object) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CClassFactory::AddRef() { return ++m_cRef; }

STDMETHODIMP_(ULONG) CClassFactory::Release() {
    if (--m_cRef) return m_cRef;
    delete this;
    return 0;
}

STDMETHODIMP CClassFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* folder = new CShellFolder;
    HRESULT hr = folder->QueryInterface(iid, object);
    folder->Release();
    return hr;
}

STDMETHODIMP CClassFactory::LockServer(BOOL) { return S_OK; }
