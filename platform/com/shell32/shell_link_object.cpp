// SHELL32.DLL: the shell's module, serving the shell link object
// (CLSID_ShellLink) with IShellLinkA and IPersistFile over the one codec of
// shortcut files.
#include <atomic>
#include <cstring>

#include "shlobj.h"
#include "vpr/com/id_list.h"
#include "vpr/com/ref_counted.h"
#include "vpr/com/shell_link_file.h"
#include "vpr/locale/locale.h"

namespace {

std::atomic<long> g_liveObjects{0};
std::atomic<long> g_locks{0};

// Copies a text into a caller's buffer, cut to it and terminated.
void CopyOut(const std::string& text, LPSTR buffer, int size) {
    if (!buffer || size <= 0) return;
    size_t count = std::min(text.size(), static_cast<size_t>(size - 1));
    std::memcpy(buffer, text.data(), count);
    buffer[count] = 0;
}

class ShellLinkObject final : public vpr::com::RefCounted<IShellLinkA, IPersistFile> {
public:
    ShellLinkObject() { ++g_liveObjects; }
    ~ShellLinkObject() override { --g_liveObjects; }

    void* Find(REFIID iid) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellLinkA)) return static_cast<IShellLinkA*>(this);
        if (IsEqualIID(iid, IID_IPersistFile) || IsEqualIID(iid, IID_IPersist)) return static_cast<IPersistFile*>(this);
        return nullptr;
    }

    // IShellLinkA.
    STDMETHODIMP GetPath(LPSTR file, int size, WIN32_FIND_DATAA* data, DWORD) override {
        std::string path = vpr::com::ShellLinkTargetPath(link_);
        CopyOut(path, file, size);
        if (data) {
            *data = WIN32_FIND_DATAA{};
            data->dwFileAttributes = link_.fileAttributes;
            data->nFileSizeLow = link_.fileSize;
            CopyOut(path.substr(path.find_last_of('\\') + 1), data->cFileName, sizeof(data->cFileName));
        }
        return path.empty() ? S_FALSE : S_OK;
    }
    // Hands out a copy of the target list from the task allocator. A list
    // read from a file was checked when it was loaded, so it is well formed.
    STDMETHODIMP GetIDList(LPITEMIDLIST* list) override {
        if (!list) return E_INVALIDARG;
        *list = nullptr;
        if (link_.idList.size() < 2) return S_FALSE;
        *list = vpr::com::TaskMemoryIdList(link_.idList);
        return *list ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP SetIDList(LPCITEMIDLIST list) override {
        if (!list) return E_INVALIDARG;
        link_.idList = vpr::com::CopyIdList(list);
        auto path = vpr::com::PathFromIdList(list);
        if (path) {
            link_.linkInfo = vpr::com::ShellLinkInfo{};
            link_.linkInfo->localBasePath = *path;
        } else {
            link_.linkInfo.reset();
        }
        dirty_ = true;
        return S_OK;
    }
    STDMETHODIMP GetDescription(LPSTR name, int size) override { return GetText(link_.name, name, size); }
    STDMETHODIMP SetDescription(LPCSTR name) override { return SetText(&link_.name, name); }
    STDMETHODIMP GetWorkingDirectory(LPSTR dir, int size) override { return GetText(link_.workingDirectory, dir, size); }
    STDMETHODIMP SetWorkingDirectory(LPCSTR dir) override { return SetText(&link_.workingDirectory, dir); }
    STDMETHODIMP GetArguments(LPSTR args, int size) override { return GetText(link_.arguments, args, size); }
    STDMETHODIMP SetArguments(LPCSTR args) override { return SetText(&link_.arguments, args); }
    STDMETHODIMP GetHotkey(WORD* hotkey) override {
        if (!hotkey) return E_INVALIDARG;
        *hotkey = link_.hotKey;
        return S_OK;
    }
    STDMETHODIMP SetHotkey(WORD hotkey) override {
        link_.hotKey = hotkey;
        dirty_ = true;
        return S_OK;
    }
    STDMETHODIMP GetShowCmd(int* show) override {
        if (!show) return E_INVALIDARG;
        *show = static_cast<int>(link_.showCommand);
        return S_OK;
    }
    STDMETHODIMP SetShowCmd(int show) override {
        link_.showCommand = static_cast<uint32_t>(show);
        dirty_ = true;
        return S_OK;
    }
    STDMETHODIMP GetIconLocation(LPSTR path, int size, int* icon) override {
        if (icon) *icon = link_.iconIndex;
        return GetText(link_.iconLocation, path, size);
    }
    STDMETHODIMP SetIconLocation(LPCSTR path, int icon) override {
        link_.iconIndex = icon;
        return SetText(&link_.iconLocation, path);
    }
    STDMETHODIMP SetRelativePath(LPCSTR path, DWORD) override { return SetText(&link_.relativePath, path); }
    STDMETHODIMP Resolve(HWND, DWORD) override { return S_OK; }
    STDMETHODIMP SetPath(LPCSTR file) override {
        if (!file) return E_INVALIDARG;
        vpr::com::ShellLink fresh = vpr::com::ShellLinkToPath(file);
        link_.idList = fresh.idList;
        link_.linkInfo = fresh.linkInfo;
        link_.fileAttributes = fresh.fileAttributes;
        link_.fileSize = fresh.fileSize;
        link_.creationTime = fresh.creationTime;
        link_.accessTime = fresh.accessTime;
        link_.writeTime = fresh.writeTime;
        dirty_ = true;
        return S_OK;
    }

    // IPersistFile.
    STDMETHODIMP GetClassID(CLSID* clsid) override {
        if (!clsid) return E_INVALIDARG;
        *clsid = CLSID_ShellLink;
        return S_OK;
    }
    STDMETHODIMP IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
    // A file that is no shortcut, or whose identifier list is malformed, is
    // refused and the object keeps what it held.
    STDMETHODIMP Load(LPCOLESTR fileName, DWORD) override {
        if (!fileName) return E_INVALIDARG;
        std::string path = vpr::locale::FromWide(fileName);
        vpr::com::ShellLink read;
        std::string error;
        if (!vpr::com::ReadShellLinkFile(path, &read, &error)) return E_FAIL;
        link_ = std::move(read);
        file_ = path;
        dirty_ = false;
        return S_OK;
    }
    STDMETHODIMP Save(LPCOLESTR fileName, BOOL remember) override {
        std::string path = fileName ? vpr::locale::FromWide(fileName) : file_;
        if (path.empty()) return E_INVALIDARG;
        std::string error;
        if (!vpr::com::WriteShellLinkFile(path, link_, &error)) return E_FAIL;
        if (remember || !fileName) {
            file_ = path;
            dirty_ = false;
        }
        return S_OK;
    }
    STDMETHODIMP SaveCompleted(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP GetCurFile(LPOLESTR* fileName) override {
        if (!fileName) return E_INVALIDARG;
        std::u16string wide = vpr::locale::ToWide(file_);
        *fileName = static_cast<LPOLESTR>(CoTaskMemAlloc((wide.size() + 1) * sizeof(OLECHAR)));
        if (!*fileName) return E_OUTOFMEMORY;
        std::memcpy(*fileName, wide.c_str(), (wide.size() + 1) * sizeof(OLECHAR));
        return file_.empty() ? S_FALSE : S_OK;
    }

private:
    static HRESULT GetText(const std::optional<std::string>& text, LPSTR buffer, int size) {
        if (!buffer) return E_INVALIDARG;
        CopyOut(text.value_or(""), buffer, size);
        return S_OK;
    }
    HRESULT SetText(std::optional<std::string>* field, LPCSTR text) {
        if (text) {
            *field = text;
        } else {
            field->reset();
        }
        dirty_ = true;
        return S_OK;
    }

    vpr::com::ShellLink link_;
    std::string file_;
    bool dirty_ = false;
};

class LinkFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
        *object = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override {
        ++g_locks;  // a held factory keeps the module
        return 2;
    }
    STDMETHODIMP_(ULONG) Release() override {
        --g_locks;
        return 1;
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        auto* link = new ShellLinkObject;
        HRESULT hr = link->QueryInterface(iid, object);
        link->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) {
            ++g_locks;
        } else {
            --g_locks;
        }
        return S_OK;
    }
};

LinkFactory g_factory;

}  // namespace

extern "C" {

HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_ShellLink)) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, object);
}

HRESULT DllCanUnloadNow() { return g_liveObjects == 0 && g_locks == 0 ? S_OK : S_FALSE; }

}  // extern "C"
