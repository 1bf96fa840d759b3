#include "list/item_data_object.h"

#include <cstdint>
#include <limits>
#include <new>

#include "module/shell_ext_app.h"

namespace {

constexpr SIZE_T kCountSize = 4;
constexpr SIZE_T kOffsetSize = 4;

void WriteDword(BYTE* at, SIZE_T value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<BYTE>((value >> (8 * i)) & 0xFF);
}

UINT IdListArrayFormat() {
    CShellExtApp* app = GetShellExtApp();
    if (app && app->m_cfIdListArray) return app->m_cfIdListArray;
    return RegisterClipboardFormatA(CFSTR_SHELLIDLIST);
}

void CountLiveObject(LONG change) {
    if (CShellExtApp* app = GetShellExtApp()) app->m_nLiveObjects += change;
}

}  // namespace

CItemDataObject::CItemDataObject(const CItemIdList& parent) : m_parent(parent) { CountLiveObject(1); }

CItemDataObject::CItemDataObject(const CItemDataObject& other)
    : IDataObject(), m_parent(other.m_parent), m_children(other.m_children), m_nEnumPosition(other.m_nEnumPosition) {
    CountLiveObject(1);
}

CItemDataObject::~CItemDataObject() { CountLiveObject(-1); }

void CItemDataObject::Add(const CItemIdList& child) { m_children.push_back(child); }

FORMATETC CItemDataObject::GetFormat() {
    FORMATETC format{};
    format.cfFormat = static_cast<CLIPFORMAT>(IdListArrayFormat());
    format.ptd = nullptr;
    format.dwAspect = DVASPECT_CONTENT;
    format.lindex = -1;
    format.tymed = TYMED_HGLOBAL;
    return format;
}

SIZE_T CItemDataObject::GetRenderedSize() const {
    // Every list takes its items and its terminator; a list without a block
    // is the empty list, its terminator alone, so that every recorded offset
    // names a list that is really there.
    SIZE_T size = kCountSize + kOffsetSize * (m_children.size() + 1) + m_parent.GetSize();
    for (const CItemIdList& child : m_children) size += child.GetSize();
    return size;
}

HGLOBAL CItemDataObject::RenderIdListArray() const {
    // The exact size first and one allocation: nothing is written past it.
    const SIZE_T size = GetRenderedSize();
    if (size > std::numeric_limits<uint32_t>::max()) return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, size);
    if (!block) return nullptr;
    BYTE* base = static_cast<BYTE*>(GlobalLock(block));
    if (!base) {
        GlobalFree(block);
        return nullptr;
    }
    WriteDword(base, m_children.size());
    SIZE_T position = kCountSize + kOffsetSize * (m_children.size() + 1);
    auto write = [&](size_t slot, const CItemIdList& list) {
        WriteDword(base + kCountSize + kOffsetSize * slot, position);
        CopyIdList(reinterpret_cast<LPITEMIDLIST>(base + position), list.GetList());
        position += list.GetSize();
    };
    write(0, m_parent);
    for (size_t i = 0; i < m_children.size(); ++i) write(i + 1, m_children[i]);
    GlobalUnlock(block);
    return block;
}

HRESULT CItemDataObject::CheckFormat(const FORMATETC* format) {
    if (format->dwAspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
    if (format->lindex != -1) return DV_E_LINDEX;
    if (!(format->tymed & TYMED_HGLOBAL)) return DV_E_TYMED;
    if (format->cfFormat != GetFormat().cfFormat) return DV_E_FORMATETC;
    return S_OK;
}

// ---- IUnknown and IDataObject

STDMETHODIMP CItemDataObject::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_INVALIDARG;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) {
        *object = static_cast<IDataObject*>(this);
    } else if (IsEqualIID(iid, IID_IDropSource)) {
        *object = &m_xDropSource;
    } else if (IsEqualIID(iid, IID_IEnumFORMATETC)) {
        m_nEnumPosition = 0;
        *object = &m_xEnumFormatEtc;
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) CItemDataObject::AddRef() { return ++m_cRef; }

STDMETHODIMP_(ULONG) CItemDataObject::Release() {
    ULONG left = --m_cRef;
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP CItemDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
    if (!format || !medium) return E_INVALIDARG;
    *medium = STGMEDIUM{};
    HRESULT checked = CheckFormat(format);
    if (FAILED(checked)) return checked;
    // A block that cannot be made is a failure, never an empty success.
    HGLOBAL block = RenderIdListArray();
    if (!block) return E_OUTOFMEMORY;
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = block;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

STDMETHODIMP CItemDataObject::GetDataHere(FORMATETC* format, STGMEDIUM* medium) {
    return format && medium ? E_NOTIMPL : E_INVALIDARG;
}

STDMETHODIMP CItemDataObject::QueryGetData(FORMATETC* format) {
    if (!format) return E_INVALIDARG;
    return CheckFormat(format);
}

STDMETHODIMP CItemDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) { return DATA_S_SAMEFORMATETC; }

STDMETHODIMP CItemDataObject::SetData(FORMATETC*, STGMEDIUM*, BOOL) { return E_FAIL; }

STDMETHODIMP CItemDataObject::EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) {
    if (!formats) return E_INVALIDARG;
    *formats = nullptr;
    if (direction != DATADIR_GET) return OLE_S_USEREG;
    return QueryInterface(IID_IEnumFORMATETC, reinterpret_cast<void**>(formats));
}

STDMETHODIMP CItemDataObject::DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) { return OLE_E_ADVISENOTSUPPORTED; }

STDMETHODIMP CItemDataObject::DUnadvise(DWORD) { return OLE_E_ADVISENOTSUPPORTED; }

STDMETHODIMP CItemDataObject::EnumDAdvise(IEnumSTATDATA**) { return OLE_E_ADVISENOTSUPPORTED; }

// ---- IDropSource

STDMETHODIMP CItemDataObject::XDropSource::QueryInterface(REFIID iid, void** object) {
    return m_pOwner->QueryInterface(iid, object);
}
STDMETHODIMP_(ULONG) CItemDataObject::XDropSource::AddRef() { return m_pOwner->AddRef(); }
STDMETHODIMP_(ULONG) CItemDataObject::XDropSource::Release() { return m_pOwner->Release(); }

STDMETHODIMP CItemDataObject::XDropSource::QueryContinueDrag(BOOL escapePressed, DWORD keyState) {
    if (escapePressed) return DRAGDROP_S_CANCEL;
    if (!(keyState & (MK_LBUTTON | MK_RBUTTON))) return DRAGDROP_S_DROP;
    return S_OK;
}

STDMETHODIMP CItemDataObject::XDropSource::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }

// ---- IEnumFORMATETC

STDMETHODIMP CItemDataObject::XEnumFormatEtc::QueryInterface(REFIID iid, void** object) {
    return m_pOwner->QueryInterface(iid, object);
}
STDMETHODIMP_(ULONG) CItemDataObject::XEnumFormatEtc::AddRef() { return m_pOwner->AddRef(); }
STDMETHODIMP_(ULONG) CItemDataObject::XEnumFormatEtc::Release() { return m_pOwner->Release(); }

STDMETHODIMP CItemDataObject::XEnumFormatEtc::Next(ULONG count, FORMATETC* formats, ULONG* fetched) {
    // One format, so at most one per call whatever the count.
    if (count && formats && m_pOwner->m_nEnumPosition <= 0) {
        formats[0] = GetFormat();
        ++m_pOwner->m_nEnumPosition;
        if (fetched) *fetched = 1;
        return S_OK;
    }
    if (fetched) *fetched = 0;
    return S_FALSE;
}

STDMETHODIMP CItemDataObject::XEnumFormatEtc::Skip(ULONG count) {
    m_pOwner->m_nEnumPosition += static_cast<int>(count);
    return S_OK;
}

STDMETHODIMP CItemDataObject::XEnumFormatEtc::Reset() {
    m_pOwner->m_nEnumPosition = 0;
    return S_OK;
}

STDMETHODIMP CItemDataObject::XEnumFormatEtc::Clone(IEnumFORMATETC** clone) {
    if (!clone) return S_FALSE;
    *clone = nullptr;
    auto* copy = new (std::nothrow) CItemDataObject(*m_pOwner);
    if (!copy) return E_OUTOFMEMORY;
    // The clone's one reference is the caller's, held through its enumerator.
    *clone = &copy->m_xEnumFormatEtc;
    return S_OK;
}
