#include "vpr/com/data_object.h"

#include <cstring>

#include "vpr/com/ref_counted.h"

namespace vpr::com {

namespace {

class BlockData final : public RefCounted<IDataObject, IEnumFORMATETC> {
public:
    explicit BlockData(std::vector<DataBlock> blocks) : blocks_(std::move(blocks)) {}
    ~BlockData() override {
        for (auto& b : blocks_) GlobalFree(b.block);
    }
    void* Find(REFIID iid) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) return static_cast<IDataObject*>(this);
        if (IsEqualIID(iid, IID_IEnumFORMATETC)) {
            position_ = 0;
            return static_cast<IEnumFORMATETC*>(this);
        }
        return nullptr;
    }
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (!format || !medium) return E_INVALIDARG;
        *medium = STGMEDIUM{};
        HRESULT hr = QueryGetData(format);
        if (FAILED(hr)) return hr;
        for (auto& b : blocks_) {
            if (b.format != format->cfFormat) continue;
            medium->tymed = TYMED_HGLOBAL;
            medium->hGlobal = CopyGlobalBlock(b.block);
            return medium->hGlobal ? S_OK : E_OUTOFMEMORY;
        }
        return DV_E_FORMATETC;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* format) override {
        if (!format) return E_INVALIDARG;
        for (auto& b : blocks_) {
            if (b.format == format->cfFormat) return (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_TYMED;
        }
        return DV_E_FORMATETC;
    }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return DATA_S_SAMEFORMATETC; }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** out) override {
        if (!out) return E_INVALIDARG;
        *out = nullptr;
        if (direction != DATADIR_GET) return E_NOTIMPL;
        return QueryInterface(IID_IEnumFORMATETC, reinterpret_cast<void**>(out));
    }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

    STDMETHODIMP Next(ULONG count, FORMATETC* out, ULONG* fetched) override {
        ULONG done = 0;
        while (out && done < count && position_ < blocks_.size()) {
            out[done++] = FORMATETC{blocks_[position_++].format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        }
        if (fetched) *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        position_ += count;
        return position_ <= blocks_.size() ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override {
        position_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumFORMATETC** clone) override {
        if (clone) *clone = nullptr;
        return E_NOTIMPL;
    }

private:
    std::vector<DataBlock> blocks_;
    size_t position_ = 0;
};

}  // namespace

IDataObject* NewDataObject(std::vector<DataBlock> blocks) { return new BlockData(std::move(blocks)); }

HGLOBAL CopyGlobalBlock(HGLOBAL from) {
    SIZE_T size = GlobalSize(from);
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!copy) return nullptr;
    const void* source = GlobalLock(from);
    void* target = GlobalLock(copy);
    if (size && source && target) std::memcpy(target, source, size);
    GlobalUnlock(copy);
    GlobalUnlock(from);
    return copy;
}

}  // namespace vpr::com
