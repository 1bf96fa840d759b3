// The enumerator of a folder's children: the lists the folder added, handed
// out as copies in blocks of the shell's task allocator, which the caller
// frees.
#include "module/shell_ext_app.h"
#include "namespace/item_id_list.h"

CEnumItemIdList::CEnumItemIdList() { ++GetShellExtApp()->m_nLiveObjects; }

CEnumItemIdList::~CEnumItemIdList() { --GetShellExtApp()->m_nLiveObjects; }

void CEnumItemIdList::Add(const CItemIdList& list) { m_lists.Add(list); }

STDMETHODIMP CEnumItemIdList::QueryInterface(REFIID iid, void** object) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IEnumIDList)) return E_NOINTERFACE;
    *object = static_cast<IEnumIDList*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CEnumItemIdList::AddRef() { return ++m_cRef; }

STDMETHODIMP_(ULONG) CEnumItemIdList::Release() {
    if (--m_cRef) return m_cRef;
    delete this;
    return 0;
}

STDMETHODIMP CEnumItemIdList::Next(ULONG count, LPITEMIDLIST* lists, ULONG* fetched) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (fetched) *fetched = 0;
    if (!lists) return E_POINTER;
    if (count) lists[0] = nullptr;
    LPMALLOC allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)) || !allocator) return E_OUTOFMEMORY;
    HRESULT result = S_FALSE;
    ULONG handed = 0;
    while (handed < count && m_nCurrent < static_cast<ULONG>(m_lists.GetSize())) {
        const CItemIdList& list = m_lists[m_nCurrent];
        auto block = static_cast<LPITEMIDLIST>(allocator->Alloc(list.GetSize()));
        if (!block) break;
        CopyIdList(block, list.GetList());
        lists[handed++] = block;
        result = S_OK;
        ++m_nCurrent;
    }
    allocator->Release();
    if (fetched) *fetched = handed;
    return result;
}

STDMETHODIMP CEnumItemIdList::Skip(ULONG count) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    // Past the end is accepted; the index never wraps round to the start.
    ULONG size = static_cast<ULONG>(m_lists.GetSize());
    m_nCurrent = m_nCurrent >= size || count > size - m_nCurrent ? size : m_nCurrent + count;
    return S_OK;
}

STDMETHODIMP CEnumItemIdList::Reset() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    m_nCurrent = 0;
    return S_OK;
}

STDMETHODIMP CEnumItemIdList::Clone(IEnumIDList** clone) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (clone) *clone = nullptr;
    return E_NOTIMPL;
}
