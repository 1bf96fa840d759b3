// The desktop as a drop target of "Shell IDList Array", and the view state
// kept per folder.
#include <cstring>

#include "shell_host_state.h"
#include "vpr/com/ref_counted.h"
#include "vpr/com/shell_link_file.h"
#include "vpr/locale/locale.h"

namespace vpr::shellhost {

using vpr::com::IdListBytes;

namespace {

constexpr const char* kViewStateKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ViewState";

UINT IdListArrayFormat() { return RegisterClipboardFormatA(CFSTR_SHELLIDLIST); }

// The parent and child lists of a CIDA block, each checked to stay inside it.
bool ReadIdListArray(HGLOBAL block, IdListBytes* parent, std::vector<IdListBytes>* children) {
    SIZE_T size = GlobalSize(block);
    auto* bytes = static_cast<const uint8_t*>(GlobalLock(block));
    bool ok = bytes && size >= 8;
    uint32_t count = 0;
    if (ok) std::memcpy(&count, bytes, 4);
    ok = ok && count < 65536 && 4 + 4 * (static_cast<SIZE_T>(count) + 1) <= size;
    for (uint32_t i = 0; ok && i <= count; ++i) {
        uint32_t offset = 0;
        std::memcpy(&offset, bytes + 4 + 4 * i, 4);
        size_t length = offset < size ? vpr::com::CheckIdList(bytes + offset, size - offset) : 0;
        ok = length != 0;
        if (!ok) break;
        IdListBytes list(bytes + offset, bytes + offset + length);
        if (i == 0) {
            *parent = list;
        } else {
            children->push_back(list);
        }
    }
    if (bytes) GlobalUnlock(block);
    return ok;
}

std::string DesktopPath() {
    char path[MAX_PATH] = {};
    LPITEMIDLIST list = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOPDIRECTORY, &list))) {
        SHGetPathFromIDListA(list, path);
        CoTaskMemFree(list);
    }
    return path;
}

// A name free in the desktop directory: "NAME.lnk", "NAME (2).lnk", ...
std::string FreeLinkName(const std::string& directory, const std::string& name) {
    for (int n = 1;; ++n) {
        std::string candidate = directory + "\\" + name + (n == 1 ? "" : " (" + std::to_string(n) + ")") + ".lnk";
        if (GetFileAttributesA(candidate.c_str()) == INVALID_FILE_ATTRIBUTES) return candidate;
    }
}

class DesktopDropTarget final : public vpr::com::RefCounted<IDropTarget> {
public:
    explicit DesktopDropTarget(ShellHost::State& state) : state_(state) {}
    void* Find(REFIID iid) override {
        return IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget) ? this : nullptr;
    }
    STDMETHODIMP DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        FORMATETC format{static_cast<CLIPFORMAT>(IdListArrayFormat()), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        accepts_ = data && data->QueryGetData(&format) == S_OK;
        *effect = accepts_ ? (*effect & DROPEFFECT_LINK) : DROPEFFECT_NONE;
        return S_OK;
    }
    STDMETHODIMP DragOver(DWORD, POINTL, DWORD* effect) override {
        *effect = accepts_ ? (*effect & DROPEFFECT_LINK) : DROPEFFECT_NONE;
        return S_OK;
    }
    STDMETHODIMP DragLeave() override { return S_OK; }
    STDMETHODIMP Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) override {
        *effect = (*effect & DROPEFFECT_LINK) ? DropIdListArray(state_, data) : DROPEFFECT_NONE;
        return S_OK;
    }

private:
    ShellHost::State& state_;
    bool accepts_ = false;
};

// The view-state stream of a folder: a copy of the stored bytes; a stream
// opened for writing stores what it holds when its last reference goes.
class ViewStateStreamObject final : public vpr::com::RefCounted<IStream> {
public:
    ViewStateStreamObject(IStream* inner, std::string name, bool writes)
        : inner_(inner), name_(std::move(name)), writes_(writes) {}
    ~ViewStateStreamObject() override {
        if (writes_) Store();
        inner_->Release();
    }
    void* Find(REFIID iid) override {
        bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IStream) || IsEqualIID(iid, IID_ISequentialStream);
        return known ? static_cast<IStream*>(this) : nullptr;
    }
    STDMETHODIMP Read(void* b, ULONG n, ULONG* r) override { return inner_->Read(b, n, r); }
    STDMETHODIMP Write(const void* b, ULONG n, ULONG* w) override {
        if (!writes_) return STG_E_INVALIDFUNCTION;
        return inner_->Write(b, n, w);
    }
    STDMETHODIMP Seek(LARGE_INTEGER m, DWORD o, ULARGE_INTEGER* p) override { return inner_->Seek(m, o, p); }
    STDMETHODIMP SetSize(ULARGE_INTEGER s) override { return inner_->SetSize(s); }
    STDMETHODIMP CopyTo(IStream* t, ULARGE_INTEGER s, ULARGE_INTEGER* r, ULARGE_INTEGER* w) override {
        return inner_->CopyTo(t, s, r, w);
    }
    STDMETHODIMP Commit(DWORD f) override { return inner_->Commit(f); }
    STDMETHODIMP Revert() override { return inner_->Revert(); }
    STDMETHODIMP LockRegion(ULARGE_INTEGER a, ULARGE_INTEGER b, DWORD c) override { return inner_->LockRegion(a, b, c); }
    STDMETHODIMP UnlockRegion(ULARGE_INTEGER a, ULARGE_INTEGER b, DWORD c) override {
        return inner_->UnlockRegion(a, b, c);
    }
    STDMETHODIMP Stat(STATSTG* s, DWORD f) override { return inner_->Stat(s, f); }
    STDMETHODIMP Clone(IStream** c) override {
        *c = nullptr;
        return E_NOTIMPL;
    }

private:
    void Store() {
        HGLOBAL block = nullptr;
        if (FAILED(GetHGlobalFromStream(inner_, &block))) return;
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kViewStateKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
            ERROR_SUCCESS) {
            return;
        }
        const BYTE* bytes = static_cast<const BYTE*>(GlobalLock(block));
        RegSetValueExA(key, name_.c_str(), 0, REG_BINARY, bytes, static_cast<DWORD>(GlobalSize(block)));
        GlobalUnlock(block);
        RegCloseKey(key);
    }

    IStream* inner_;
    std::string name_;
    bool writes_;
};

}  // namespace

DWORD DropIdListArray(ShellHost::State& state, IDataObject* data) {
    FORMATETC format{static_cast<CLIPFORMAT>(IdListArrayFormat()), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM medium{};
    if (!data || FAILED(data->GetData(&format, &medium)) || medium.tymed != TYMED_HGLOBAL || !medium.hGlobal) {
        return DROPEFFECT_NONE;
    }
    IdListBytes parent;
    std::vector<IdListBytes> children;
    bool ok = ReadIdListArray(medium.hGlobal, &parent, &children);
    ReleaseStgMedium(&medium);
    if (!ok) return DROPEFFECT_NONE;
    std::string directory = DesktopPath();
    bool wrote = false;
    for (const IdListBytes& child : children) {
        IdListBytes target = vpr::com::ConcatIdLists(parent, child);
        std::string name = DisplayName(state, target);
        if (name.empty()) continue;
        vpr::com::ShellLink link;
        link.idList = target;
        std::string path = FreeLinkName(directory, name);
        std::string error;
        if (vpr::com::WriteShellLinkFile(path, link, &error)) {
            wrote = true;
            SHChangeNotify(SHCNE_CREATE, SHCNF_PATH, path.c_str(), nullptr);
        }
    }
    ReadDesktop(state);
    return wrote ? DROPEFFECT_LINK : DROPEFFECT_NONE;
}

HGLOBAL MakeIdListArray(const IdListBytes& parent, const std::vector<IdListBytes>& children) {
    std::vector<uint8_t> block(4 * (children.size() + 2), 0);
    auto put = [&block](size_t at, uint32_t value) { std::memcpy(block.data() + at, &value, 4); };
    put(0, static_cast<uint32_t>(children.size()));
    put(4, static_cast<uint32_t>(block.size()));
    block.insert(block.end(), parent.begin(), parent.end());
    for (size_t i = 0; i < children.size(); ++i) {
        put(8 + 4 * i, static_cast<uint32_t>(block.size()));
        block.insert(block.end(), children[i].begin(), children[i].end());
    }
    HGLOBAL out = GlobalAlloc(GMEM_MOVEABLE, block.size());
    if (out) {
        std::memcpy(GlobalLock(out), block.data(), block.size());
        GlobalUnlock(out);
    }
    return out;
}

IDropTarget* NewDesktopDropTarget(ShellHost::State& state) { return new DesktopDropTarget(state); }

HRESULT ViewStateStream(ShellHost::State& state, const IdListBytes& folder, DWORD mode, IStream** stream) {
    *stream = nullptr;
    if (state.viewStateFails) return E_FAIL;
    std::string name = vpr::com::IdListText(reinterpret_cast<LPCITEMIDLIST>(folder.data()));
    bool writes = (mode & (STGM_WRITE | STGM_READWRITE)) != 0;
    std::vector<BYTE> stored;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kViewStateKey, 0, KEY_READ, &key) == ERROR_SUCCESS) {
        DWORD size = 0;
        DWORD type = 0;
        if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_BINARY) {
            stored.resize(size);
            RegQueryValueExA(key, name.c_str(), nullptr, &type, stored.data(), &size);
        }
        RegCloseKey(key);
    }
    if (stored.empty() && !writes) return E_FAIL;  // nothing kept for this folder
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, writes ? 0 : stored.size());
    if (!block) return E_OUTOFMEMORY;
    if (!writes) {
        std::memcpy(GlobalLock(block), stored.data(), stored.size());
        GlobalUnlock(block);
    }
    IStream* inner = nullptr;
    HRESULT hr = CreateStreamOnHGlobal(block, TRUE, &inner);
    if (FAILED(hr)) {
        GlobalFree(block);
        return hr;
    }
    *stream = new ViewStateStreamObject(inner, name, writes);
    return S_OK;
}

}  // namespace vpr::shellhost
