// Registered clipboard formats and the process's OLE clipboard.
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "ole2.h"
#include "shellapi.h"
#include "vpr/locale/locale.h"

namespace {

constexpr UINT kFirstRegisteredFormat = 0xC000;

std::mutex g_formatsLock;
std::vector<std::string> g_formats;  // GUARDED_BY(g_formatsLock); index + 0xC000 is the format

HGLOBAL CopyBlock(HGLOBAL from) {
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

// One rendered format held by the clipboard after a flush.
struct Rendered {
    FORMATETC format;
    HGLOBAL block;
};

// The clipboard's own data object over its rendered copies: every GetData
// hands out a fresh copy.
class FlushedData final : public IDataObject, public IEnumFORMATETC {
public:
    explicit FlushedData(std::vector<Rendered> formats) : formats_(std::move(formats)) {}
    ~FlushedData() {
        for (auto& r : formats_) GlobalFree(r.block);
    }
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) *object = static_cast<IDataObject*>(this);
        if (IsEqualIID(iid, IID_IEnumFORMATETC)) {
            position_ = 0;
            *object = static_cast<IEnumFORMATETC*>(this);
        }
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references_; }
    STDMETHODIMP_(ULONG) Release() override {
        ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
        if (!format || !medium) return E_INVALIDARG;
        *medium = STGMEDIUM{};
        HRESULT hr = QueryGetData(format);
        if (FAILED(hr)) return hr;
        for (auto& r : formats_) {
            if (r.format.cfFormat != format->cfFormat) continue;
            medium->tymed = TYMED_HGLOBAL;
            medium->hGlobal = CopyBlock(r.block);
            return medium->hGlobal ? S_OK : E_OUTOFMEMORY;
        }
        return DV_E_FORMATETC;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* format) override {
        if (!format) return E_INVALIDARG;
        for (auto& r : formats_) {
            if (r.format.cfFormat == format->cfFormat) return (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_TYMED;
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
        while (out && done < count && position_ < formats_.size()) out[done++] = formats_[position_++].format;
        if (fetched) *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        position_ += count;
        return position_ <= formats_.size() ? S_OK : S_FALSE;
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
    std::vector<Rendered> formats_;
    size_t position_ = 0;
    std::atomic<ULONG> references_{1};
};

std::mutex g_clipboardLock;
IDataObject* g_clipboard = nullptr;  // GUARDED_BY(g_clipboardLock): the object set, or the flushed copies

// Renders every format the object offers in global memory into copies.
std::vector<Rendered> Render(IDataObject* data) {
    std::vector<Rendered> out;
    IEnumFORMATETC* formats = nullptr;
    if (FAILED(data->EnumFormatEtc(DATADIR_GET, &formats)) || !formats) return out;
    FORMATETC format;
    ULONG fetched = 0;
    while (formats->Next(1, &format, &fetched) == S_OK && fetched == 1) {
        if (!(format.tymed & TYMED_HGLOBAL)) continue;
        format.tymed = TYMED_HGLOBAL;
        STGMEDIUM medium{};
        if (FAILED(data->GetData(&format, &medium))) continue;
        if (medium.tymed == TYMED_HGLOBAL && medium.hGlobal) {
            if (HGLOBAL copy = CopyBlock(medium.hGlobal)) out.push_back({format, copy});
        }
        ReleaseStgMedium(&medium);
    }
    formats->Release();
    return out;
}

}  // namespace

extern "C" UINT WINAPI RegisterClipboardFormatA(LPCSTR name) {
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::lock_guard lock(g_formatsLock);
    for (size_t i = 0; i < g_formats.size(); ++i) {
        if (KMLstricmp(g_formats[i].c_str(), name) == 0) return static_cast<UINT>(kFirstRegisteredFormat + i);
    }
    g_formats.push_back(name);
    return static_cast<UINT>(kFirstRegisteredFormat + g_formats.size() - 1);
}

extern "C" int WINAPI GetClipboardFormatNameA(UINT format, LPSTR name, int size) {
    std::lock_guard lock(g_formatsLock);
    if (format < kFirstRegisteredFormat || format - kFirstRegisteredFormat >= g_formats.size() || !name || size <= 0) {
        return 0;
    }
    const std::string& text = g_formats[format - kFirstRegisteredFormat];
    size_t count = std::min(text.size(), static_cast<size_t>(size - 1));
    std::memcpy(name, text.data(), count);
    name[count] = 0;
    return static_cast<int>(count);
}

STDAPI OleSetClipboard(LPDATAOBJECT data) {
    if (data) data->AddRef();
    IDataObject* old = nullptr;
    {
        std::lock_guard lock(g_clipboardLock);
        old = g_clipboard;
        g_clipboard = data;
    }
    if (old) old->Release();
    return S_OK;
}

STDAPI OleFlushClipboard() {
    IDataObject* data = nullptr;
    {
        std::lock_guard lock(g_clipboardLock);
        data = g_clipboard;
        g_clipboard = nullptr;
    }
    if (!data) return S_OK;
    IDataObject* flushed = new FlushedData(Render(data));
    data->Release();
    std::lock_guard lock(g_clipboardLock);
    if (g_clipboard) {
        flushed->Release();  // another object was set meanwhile
    } else {
        g_clipboard = flushed;
    }
    return S_OK;
}

STDAPI OleGetClipboard(LPDATAOBJECT* data) {
    if (!data) return E_INVALIDARG;
    std::lock_guard lock(g_clipboardLock);
    if (!g_clipboard) g_clipboard = new FlushedData({});
    *data = g_clipboard;
    (*data)->AddRef();
    return S_OK;
}

STDAPI OleIsCurrentClipboard(LPDATAOBJECT data) {
    std::lock_guard lock(g_clipboardLock);
    return data && data == g_clipboard ? S_OK : S_FALSE;
}
