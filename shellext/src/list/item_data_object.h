// CItemDataObject: a set of the extension's items on their way out of the
// item list, to the clipboard (Copy) or through a drag. It offers one format,
// the module's "Shell IDList Array" in global memory: the parent folder's
// absolute list and one relative list per item, laid out as the shell's CIDA
// (cidl, then cidl + 1 offsets from the block's start, the parent's first,
// then the lists packed one after the other). The object is also its own drag
// source and its own format enumerator; it keeps the module loaded while
// anyone holds it.
#pragma once

#include <vector>

#include "afxwin.h"
#include "namespace/item_id_list.h"
#include "ole2.h"
#include "shlobj.h"

class CItemDataObject : public IDataObject {
public:
    explicit CItemDataObject(const CItemIdList& parent);
    // A clone: the parent, every child list and the enumerator position.
    CItemDataObject(const CItemDataObject& other);
    CItemDataObject& operator=(const CItemDataObject&) = delete;
    virtual ~CItemDataObject();

    // Appends a copy of a child list.
    void Add(const CItemIdList& child);
    int GetCount() const { return static_cast<int>(m_children.size()); }

    // The one format the object offers.
    static FORMATETC GetFormat();
    // The exact size of the rendered block.
    SIZE_T GetRenderedSize() const;
    // A new moveable global block holding the CIDA, exactly
    // GetRenderedSize() bytes; null when it cannot be allocated (or would not
    // fit 32-bit offsets). The caller owns it.
    virtual HGLOBAL RenderIdListArray() const;

    IDropSource* GetDropSource() { return &m_xDropSource; }

    // IUnknown and IDataObject.
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP QueryGetData(FORMATETC* format) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* in, FORMATETC* out) override;
    STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
    STDMETHODIMP DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink, DWORD* connection) override;
    STDMETHODIMP DUnadvise(DWORD connection) override;
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA** advise) override;

private:
    // The four checks GetData and QueryGetData share, in their order:
    // aspect, index, medium, format.
    static HRESULT CheckFormat(const FORMATETC* format);

    struct XDropSource : IDropSource {
        explicit XDropSource(CItemDataObject* owner) : m_pOwner(owner) {}
        CItemDataObject* const m_pOwner;
        STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;
        STDMETHODIMP QueryContinueDrag(BOOL escapePressed, DWORD keyState) override;
        STDMETHODIMP GiveFeedback(DWORD effect) override;
    } m_xDropSource{this};
    struct XEnumFormatEtc : IEnumFORMATETC {
        explicit XEnumFormatEtc(CItemDataObject* owner) : m_pOwner(owner) {}
        CItemDataObject* const m_pOwner;
        STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;
        STDMETHODIMP Next(ULONG count, FORMATETC* formats, ULONG* fetched) override;
        STDMETHODIMP Skip(ULONG count) override;
        STDMETHODIMP Reset() override;
        STDMETHODIMP Clone(IEnumFORMATETC** clone) override;
    } m_xEnumFormatEtc{this};

    ULONG m_cRef = 1;
    CItemIdList m_parent;
    std::vector<CItemIdList> m_children;
    int m_nEnumPosition = 0;
};
