// The shell's own folders (the desktop and file-system directories) and the
// binding of any list to its folder.
#include <algorithm>
#include <cstring>

#include "shell_host_state.h"
#include "vpr/com/guid.h"
#include "vpr/com/ref_counted.h"
#include "vpr/locale/locale.h"

namespace vpr::shellhost {

using vpr::com::IdListBytes;

namespace {

LPCITEMIDLIST AsList(const IdListBytes& bytes) { return reinterpret_cast<LPCITEMIDLIST>(bytes.data()); }

IdListBytes ItemList(LPCITEMIDLIST item) {
    IdListBytes out(reinterpret_cast<const uint8_t*>(item), reinterpret_cast<const uint8_t*>(item) + item->mkid.cb);
    out.push_back(0);
    out.push_back(0);
    return out;
}

// The last item of a list, as a list.
IdListBytes LastItem(const IdListBytes& list) {
    auto items = vpr::com::IdListItems(AsList(list));
    return items.empty() ? IdListBytes{0, 0} : ItemList(items.back());
}

// The list made of items [from, to) of a list.
IdListBytes Slice(const IdListBytes& list, size_t from, size_t to) {
    auto items = vpr::com::IdListItems(AsList(list));
    IdListBytes out;
    for (size_t i = from; i < to && i < items.size(); ++i) {
        IdListBytes one = ItemList(items[i]);
        out.insert(out.end(), one.begin(), one.end() - 2);
    }
    out.push_back(0);
    out.push_back(0);
    return out;
}

std::string NameSpaceKey(REFCLSID clsid) { return "CLSID\\" + vpr::com::GuidText(clsid); }

std::string ReadString(HKEY root, const std::string& key, const char* value) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return {};
    char text[MAX_PATH + 1] = {};
    DWORD size = MAX_PATH;
    DWORD type = 0;
    LONG r = RegQueryValueExA(handle, value, nullptr, &type, reinterpret_cast<LPBYTE>(text), &size);
    RegCloseKey(handle);
    return r == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ) ? std::string(text) : std::string();
}

DWORD ReadAttributes(const std::string& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, (key + "\\ShellFolder").c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return 0;
    BYTE data[4] = {};
    DWORD size = sizeof(data);
    DWORD type = 0;
    LONG r = RegQueryValueExA(handle, "Attributes", nullptr, &type, data, &size);
    RegCloseKey(handle);
    if (r != ERROR_SUCCESS || size != 4) return 0;
    return data[0] | data[1] << 8 | data[2] << 16 | static_cast<DWORD>(data[3]) << 24;
}

std::string DesktopDirectoryPath() {
    char path[MAX_PATH] = {};
    LPITEMIDLIST list = nullptr;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOPDIRECTORY, &list))) {
        SHGetPathFromIDListA(list, path);
        CoTaskMemFree(list);
    }
    return path;
}

// The entries of a directory, in name order.
std::vector<WIN32_FIND_DATAA> ListDirectory(const std::string& path) {
    std::vector<WIN32_FIND_DATAA> out;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return out;
    do {
        if (std::strcmp(data.cFileName, ".") && std::strcmp(data.cFileName, "..")) out.push_back(data);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    std::sort(out.begin(), out.end(), [](const auto& a, const auto& b) { return KMLstricmp(a.cFileName, b.cFileName) < 0; });
    return out;
}

// A junction directory "NAME.{CLSID}": its class.
std::optional<CLSID> JunctionClass(const std::string& name) {
    if (name.size() < 39 || name[name.size() - 39] != '.') return std::nullopt;
    return vpr::com::ParseGuid(name.substr(name.size() - 38));
}

// An enumerator over lists the folder made.
class ListEnumerator final : public vpr::com::RefCounted<IEnumIDList> {
public:
    explicit ListEnumerator(std::vector<IdListBytes> lists) : lists_(std::move(lists)) {}
    void* Find(REFIID iid) override {
        return IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IEnumIDList) ? this : nullptr;
    }
    STDMETHODIMP Next(ULONG count, LPITEMIDLIST* out, ULONG* fetched) override {
        ULONG done = 0;
        while (done < count && position_ < lists_.size()) out[done++] = vpr::com::TaskMemoryIdList(lists_[position_++]);
        if (fetched) *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        position_ += count;
        return S_OK;
    }
    STDMETHODIMP Reset() override {
        position_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumIDList**) override { return E_NOTIMPL; }

private:
    std::vector<IdListBytes> lists_;
    size_t position_ = 0;
};

// The desktop (empty list) or a directory of the file system.
class OwnFolder final : public vpr::com::RefCounted<IShellFolder, IPersistFolder> {
public:
    OwnFolder(ShellHost::State& state, IdListBytes location) : state_(state), location_(std::move(location)) {}

    void* Find(REFIID iid) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellFolder)) return static_cast<IShellFolder*>(this);
        if (IsEqualIID(iid, IID_IPersistFolder) || IsEqualIID(iid, IID_IPersist)) return static_cast<IPersistFolder*>(this);
        return nullptr;
    }
    STDMETHODIMP GetClassID(CLSID* clsid) override {
        *clsid = CLSID_ShellDesktop;
        return S_OK;
    }
    STDMETHODIMP Initialize(LPCITEMIDLIST list) override {
        location_ = vpr::com::CopyIdList(list);
        return S_OK;
    }

    STDMETHODIMP ParseDisplayName(HWND, IBindCtx*, LPOLESTR, ULONG*, LPITEMIDLIST*, ULONG*) override { return E_NOTIMPL; }
    STDMETHODIMP EnumObjects(HWND, DWORD, LPENUMIDLIST* items) override {
        std::vector<IdListBytes> lists;
        if (IsDesktop()) {
            for (const DesktopItem& item : state_.desktopItems) {
                if (item.nameSpace) {
                    lists.push_back(vpr::com::NameSpaceIdList(item.clsid));
                } else if (auto full = vpr::com::FileSystemIdList(item.path)) {
                    lists.push_back(LastItem(*full));
                }
            }
        } else {
            for (const auto& entry : ListDirectory(Path())) {
                if (auto full = vpr::com::FileSystemIdList(Path() + "\\" + entry.cFileName)) {
                    lists.push_back(LastItem(*full));
                }
            }
        }
        *items = new ListEnumerator(std::move(lists));
        return S_OK;
    }
    STDMETHODIMP BindToObject(LPCITEMIDLIST list, IBindCtx*, REFIID iid, LPVOID* object) override {
        *object = nullptr;
        IShellFolder* folder = nullptr;
        HRESULT hr = BindFolder(state_, Absolute(list), &folder);
        if (FAILED(hr)) return hr;
        hr = folder->QueryInterface(iid, object);
        folder->Release();
        return hr;
    }
    STDMETHODIMP BindToStorage(LPCITEMIDLIST, IBindCtx*, REFIID, LPVOID* object) override {
        *object = nullptr;
        return E_NOTIMPL;
    }
    // Names compare without regard to case; two lists into the same name
    // space are compared by that folder, whose answer is read by its low 16
    // bits, signed.
    STDMETHODIMP CompareIDs(LPARAM column, LPCITEMIDLIST first, LPCITEMIDLIST second) override {
        auto a = vpr::com::IdListItems(first);
        auto b = vpr::com::IdListItems(second);
        if (a.empty() || b.empty()) return static_cast<HRESULT>(static_cast<USHORT>(a.empty() == b.empty() ? 0 : a.empty() ? -1 : 1));
        auto ca = vpr::com::NameSpaceItemClass(a[0]);
        auto cb = vpr::com::NameSpaceItemClass(b[0]);
        if (ca && cb && IsEqualCLSID(*ca, *cb) && (a.size() > 1 || b.size() > 1)) {
            IShellFolder* folder = nullptr;
            if (SUCCEEDED(BindToObject(AsList(ItemList(a[0])), nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder)))) {
                IdListBytes restA = Slice(vpr::com::CopyIdList(first), 1, 1000);
                IdListBytes restB = Slice(vpr::com::CopyIdList(second), 1, 1000);
                HRESULT hr = folder->CompareIDs(column, AsList(restA), AsList(restB));
                folder->Release();
                short order = static_cast<short>(hr & 0xFFFF);
                return static_cast<HRESULT>(static_cast<USHORT>(order));
            }
        }
        std::string na = DisplayName(state_, Absolute(first));
        std::string nb = DisplayName(state_, Absolute(second));
        int order = KMLstricmp(na.c_str(), nb.c_str());
        return static_cast<HRESULT>(static_cast<USHORT>(static_cast<short>(order < 0 ? -1 : order > 0 ? 1 : 0)));
    }
    STDMETHODIMP CreateViewObject(HWND, REFIID iid, LPVOID* object) override {
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IShellView)) return E_NOINTERFACE;
        *object = NewOwnView(state_, this, location_);
        return S_OK;
    }
    STDMETHODIMP GetAttributesOf(UINT count, LPCITEMIDLIST* lists, ULONG* attributes) override {
        ULONG common = ~0u;
        for (UINT i = 0; i < count; ++i) {
            ULONG these = SFGAO_CANLINK | SFGAO_CANRENAME | SFGAO_CANDELETE;
            auto items = vpr::com::IdListItems(lists[i]);
            if (!items.empty()) {
                if (auto clsid = vpr::com::NameSpaceItemClass(items[0])) {
                    these = ReadAttributes(NameSpaceKey(*clsid)) | SFGAO_FOLDER;
                } else if (auto path = vpr::com::PathFromIdList(AsList(Absolute(lists[i])))) {
                    DWORD a = GetFileAttributesA(path->c_str());
                    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) these |= SFGAO_FOLDER;
                    these |= SFGAO_FILESYSTEM;
                }
            }
            common &= these;
        }
        *attributes &= common;
        return S_OK;
    }
    STDMETHODIMP GetUIObjectOf(HWND, UINT, LPCITEMIDLIST*, REFIID, UINT*, LPVOID* object) override {
        *object = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetDisplayNameOf(LPCITEMIDLIST list, DWORD flags, LPSTRRET name) override {
        IdListBytes absolute = Absolute(list);
        std::string text;
        auto items = vpr::com::IdListItems(list);
        if (flags & SHGDN_FORPARSING) {
            auto clsid = items.empty() ? std::nullopt : vpr::com::NameSpaceItemClass(items[0]);
            if (clsid) {
                text = "::" + vpr::com::GuidText(*clsid);
            } else {
                text = vpr::com::PathFromIdList(AsList(absolute)).value_or("");
                if (text.empty() && items.empty()) text = DesktopDirectoryPath();
            }
        } else {
            text = DisplayName(state_, absolute);
        }
        name->uType = STRRET_CSTR;
        size_t count = std::min(text.size(), sizeof(name->cStr) - 1);
        std::memcpy(name->cStr, text.data(), count);
        name->cStr[count] = 0;
        return S_OK;
    }
    STDMETHODIMP SetNameOf(HWND, LPCITEMIDLIST list, LPCOLESTR name, DWORD, LPITEMIDLIST* newList) override {
        if (newList) *newList = nullptr;
        auto path = vpr::com::PathFromIdList(AsList(Absolute(list)));
        if (!path) return E_FAIL;
        std::string folder = path->substr(0, path->find_last_of('\\'));
        std::string target = folder + "\\" + vpr::locale::FromWide(name);
        if (!MoveFileA(path->c_str(), target.c_str())) return E_FAIL;
        SHChangeNotify(SHCNE_RENAMEITEM, SHCNF_PATH, path->c_str(), target.c_str());
        auto renamed = vpr::com::FileSystemIdList(target);
        if (newList && renamed) *newList = vpr::com::TaskMemoryIdList(LastItem(*renamed));
        return S_OK;
    }

    bool IsDesktop() const { return location_.size() <= 2; }
    std::string Path() const {
        if (IsDesktop()) return DesktopDirectoryPath();
        return vpr::com::PathFromIdList(AsList(location_)).value_or("");
    }
    IdListBytes Absolute(LPCITEMIDLIST relative) const { return AbsoluteItemList(location_, relative); }

private:
    ShellHost::State& state_;
    IdListBytes location_;
};

// Creates a name space's folder and tells it where it stands.
HRESULT CreateNameSpaceFolder(REFCLSID clsid, const IdListBytes& at, IShellFolder** folder) {
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IShellFolder, reinterpret_cast<void**>(folder));
    if (FAILED(hr)) return hr;
    IPersistFolder* persist = nullptr;
    if (SUCCEEDED((*folder)->QueryInterface(IID_IPersistFolder, reinterpret_cast<void**>(&persist)))) {
        hr = persist->Initialize(AsList(at));
        persist->Release();
        if (FAILED(hr)) {
            (*folder)->Release();
            *folder = nullptr;
        }
    }
    return hr;
}

}  // namespace

std::string DesktopDirectory() { return DesktopDirectoryPath(); }

IdListBytes AbsoluteItemList(const IdListBytes& folder, LPCITEMIDLIST child) {
    // The desktop's files are items of the desktop directory.
    auto items = vpr::com::IdListItems(child);
    if (folder.size() <= 2 && !items.empty() && !vpr::com::NameSpaceItemClass(items[0])) {
        if (auto dir = vpr::com::FileSystemIdList(DesktopDirectoryPath())) return vpr::com::ConcatIdLists(*dir, vpr::com::CopyIdList(child));
    }
    return vpr::com::ConcatIdLists(folder, vpr::com::CopyIdList(child));
}

std::string TakeStrRet(STRRET* name, LPCITEMIDLIST item) {
    std::string text;
    if (name->uType == STRRET_CSTR) {
        text = std::string(name->cStr, strnlen(name->cStr, sizeof(name->cStr)));
    } else if (name->uType == STRRET_OFFSET && item) {
        const char* at = reinterpret_cast<const char*>(item) + name->uOffset;
        text = at;
    } else if (name->uType == STRRET_WSTR && name->pOleStr) {
        text = vpr::locale::FromWide(name->pOleStr);
        CoTaskMemFree(name->pOleStr);
        name->pOleStr = nullptr;
    }
    return text;
}

IShellFolder* NewOwnFolder(ShellHost::State& state, const IdListBytes& list) { return new OwnFolder(state, list); }

HRESULT BindFolder(ShellHost::State& state, const IdListBytes& list, IShellFolder** folder) {
    *folder = nullptr;
    auto items = vpr::com::IdListItems(AsList(list));
    if (items.empty()) {
        *folder = NewOwnFolder(state, list);
        return S_OK;
    }
    // Where a name space begins: its entry on the desktop, or a junction.
    size_t start = items.size();
    CLSID clsid{};
    if (auto entry = vpr::com::NameSpaceItemClass(items[0])) {
        start = 1;
        clsid = *entry;
    } else {
        for (size_t i = 1; i <= items.size(); ++i) {
            auto path = vpr::com::PathFromIdList(AsList(Slice(list, 0, i)));
            if (!path) break;
            if (auto junction = JunctionClass(path->substr(path->find_last_of('\\') + 1))) {
                DWORD a = GetFileAttributesA(path->c_str());
                if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) {
                    start = i;
                    clsid = *junction;
                    break;
                }
            }
        }
    }
    if (IsEqualCLSID(clsid, GUID_NULL)) {
        auto path = vpr::com::PathFromIdList(AsList(list));
        if (!path) return E_INVALIDARG;
        DWORD a = GetFileAttributesA(path->c_str());
        if (a == INVALID_FILE_ATTRIBUTES || !(a & FILE_ATTRIBUTE_DIRECTORY)) return E_INVALIDARG;
        *folder = NewOwnFolder(state, list);
        return S_OK;
    }
    IShellFolder* root = nullptr;
    HRESULT hr = CreateNameSpaceFolder(clsid, Slice(list, 0, start), &root);
    if (FAILED(hr)) return hr;
    if (start == items.size()) {
        *folder = root;
        return S_OK;
    }
    IdListBytes rest = Slice(list, start, items.size());
    hr = root->BindToObject(AsList(rest), nullptr, IID_IShellFolder, reinterpret_cast<void**>(folder));
    root->Release();
    return hr;
}

std::string DisplayName(ShellHost::State& state, const IdListBytes& list) {
    auto items = vpr::com::IdListItems(AsList(list));
    if (items.empty()) return "Desktop";
    if (items.size() == 1) {
        if (auto clsid = vpr::com::NameSpaceItemClass(items[0])) {
            for (const auto& d : state.desktopItems) {
                if (d.nameSpace && IsEqualCLSID(d.clsid, *clsid)) return d.name;
            }
            return ReadString(HKEY_CLASSES_ROOT, NameSpaceKey(*clsid), nullptr);
        }
    }
    if (auto path = vpr::com::PathFromIdList(AsList(list))) {
        std::string name = path->substr(path->find_last_of('\\') + 1);
        return name.empty() ? *path : name;
    }
    // An item of a name space: its parent folder names it.
    IShellFolder* parent = nullptr;
    if (FAILED(BindFolder(state, Slice(list, 0, items.size() - 1), &parent))) return {};
    IdListBytes last = ItemList(items.back());
    STRRET name{};
    std::string text;
    if (SUCCEEDED(parent->GetDisplayNameOf(AsList(last), SHGDN_INFOLDER, &name))) text = TakeStrRet(&name, AsList(last));
    parent->Release();
    return text;
}

void ReadDesktop(ShellHost::State& state) {
    std::vector<DesktopItem> items;
    std::string directory = DesktopDirectoryPath();
    for (const auto& entry : ListDirectory(directory)) {
        DesktopItem item;
        item.name = entry.cFileName;
        item.path = directory + "\\" + entry.cFileName;
        items.push_back(item);
    }
    HKEY nameSpace = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace", 0,
                      KEY_READ, &nameSpace) == ERROR_SUCCESS) {
        char name[MAX_PATH];
        for (DWORD i = 0;; ++i) {
            DWORD size = sizeof(name);
            if (RegEnumKeyExA(nameSpace, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            auto clsid = vpr::com::ParseGuid(name);
            if (!clsid) continue;
            DesktopItem item;
            item.nameSpace = true;
            item.clsid = *clsid;
            std::string key = NameSpaceKey(*clsid);
            item.name = ReadString(HKEY_CLASSES_ROOT, key, nullptr);
            if (item.name.empty()) item.name = ReadString(HKEY_LOCAL_MACHINE,
                                                          std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace\\") + name,
                                                          nullptr);
            item.icon = ReadString(HKEY_CLASSES_ROOT, key + "\\DefaultIcon", nullptr);
            item.attributes = ReadAttributes(key);
            items.push_back(item);
        }
        RegCloseKey(nameSpace);
    }
    state.desktopItems = items;
    if (state.desktopView) state.desktopView->Refresh();
}

std::optional<IdListBytes> ShellHost::ParsePath(const std::string& path, std::string* error) {
    if (path.size() >= 2 && (path[1] == ':' || (path[0] == '\\' && path[1] == '\\'))) {
        auto list = vpr::com::FileSystemIdList(path);
        DWORD a = list ? GetFileAttributesA(path.c_str()) : INVALID_FILE_ATTRIBUTES;
        if (a == INVALID_FILE_ATTRIBUTES) {
            *error = path + " does not exist";
            return std::nullopt;
        }
        return list;
    }
    // Display names from the desktop, one folder at a time.
    IdListBytes current{0, 0};
    std::string rest = path;
    while (!rest.empty()) {
        size_t cut = rest.find('\\');
        std::string name = rest.substr(0, cut);
        rest = cut == std::string::npos ? "" : rest.substr(cut + 1);
        IShellFolder* folder = nullptr;
        if (FAILED(BindFolder(*state_, current, &folder))) {
            *error = "cannot open " + DisplayName(*state_, current);
            return std::nullopt;
        }
        IEnumIDList* items = nullptr;
        bool found = false;
        if (SUCCEEDED(folder->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &items)) && items) {
            LPITEMIDLIST item = nullptr;
            ULONG fetched = 0;
            while (!found && items->Next(1, &item, &fetched) == S_OK && fetched == 1) {
                STRRET text{};
                folder->GetDisplayNameOf(item, SHGDN_INFOLDER, &text);
                if (KMLstricmp(TakeStrRet(&text, item).c_str(), name.c_str()) == 0) {
                    current = AbsoluteItemList(current, item);
                    found = true;
                }
                CoTaskMemFree(item);
            }
            items->Release();
        }
        folder->Release();
        if (!found) {
            *error = "no item \"" + name + "\" in " + DisplayName(*state_, current);
            return std::nullopt;
        }
    }
    return current;
}

}  // namespace vpr::shellhost
