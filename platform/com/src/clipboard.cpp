// Registered clipboard formats and the process's OLE clipboard.
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "ole2.h"
#include "shellapi.h"
#include "vpr/com/data_object.h"
#include "vpr/locale/locale.h"

namespace {

constexpr UINT kFirstRegisteredFormat = 0xC000;

std::mutex g_formatsLock;
std::vector<std::string> g_formats;  // GUARDED_BY(g_formatsLock); index + 0xC000 is the format

std::mutex g_clipboardLock;
IDataObject* g_clipboard = nullptr;  // GUARDED_BY(g_clipboardLock): the object set, or the flushed copies
bool g_clipboardOwned = false;       // GUARDED_BY(g_clipboardLock): g_clipboard was made here

// What the clipboard holds of its own (flushed copies, the empty object)
// goes with the process. An object a program set stays the program's: its
// code may already be unloaded when the process ends.
struct ClipboardAtExit {
    ~ClipboardAtExit() {
        std::lock_guard lock(g_clipboardLock);
        if (g_clipboard && g_clipboardOwned) g_clipboard->Release();
        g_clipboard = nullptr;
    }
} g_clipboardAtExit;

// Renders every format the object offers in global memory into copies.
std::vector<vpr::com::DataBlock> Render(IDataObject* data) {
    std::vector<vpr::com::DataBlock> out;
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
            if (HGLOBAL copy = vpr::com::CopyGlobalBlock(medium.hGlobal)) out.push_back({format.cfFormat, copy});
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
        g_clipboardOwned = false;
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
    IDataObject* flushed = vpr::com::NewDataObject(Render(data));
    data->Release();
    std::lock_guard lock(g_clipboardLock);
    if (g_clipboard) {
        flushed->Release();  // another object was set meanwhile
    } else {
        g_clipboard = flushed;
        g_clipboardOwned = true;
    }
    return S_OK;
}

STDAPI OleGetClipboard(LPDATAOBJECT* data) {
    if (!data) return E_INVALIDARG;
    std::lock_guard lock(g_clipboardLock);
    if (!g_clipboard) {
        g_clipboard = vpr::com::NewDataObject({});
        g_clipboardOwned = true;
    }
    *data = g_clipboard;
    (*data)->AddRef();
    return S_OK;
}

STDAPI OleIsCurrentClipboard(LPDATAOBJECT data) {
    std::lock_guard lock(g_clipboardLock);
    return data && data == g_clipboard ? S_OK : S_FALSE;
}
