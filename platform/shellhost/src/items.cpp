// What a person does with one item of the shell's views: open it, its
// context menu, delete, rename, properties, its icon, dragging it away.
// Items of a name space are asked through their folder's per-item objects
// (IContextMenu2, IExtractIconA); the shell's own items (files, directories
// and the desktop's name-space entries) are the shell's to act on.
#include <cstring>

#include "shell_host_state.h"
#include "vpr/com/data_object.h"
#include "vpr/com/drop_files.h"
#include "vpr/com/guid.h"
#include "vpr/com/ref_counted.h"
#include "vpr/com/shell_link_file.h"
#include "vpr/locale/locale.h"

namespace vpr::shellhost {

using vpr::com::IdListBytes;

namespace {

constexpr UINT kFirstCommand = 1;
constexpr UINT kLastCommand = 0x7FFF;

// The shell's own menu of its items.
enum OwnCommand : UINT { kOpen = 1, kExplore, kDelete, kRename, kProperties };

LPCITEMIDLIST AsList(const IdListBytes& bytes) { return reinterpret_cast<LPCITEMIDLIST>(bytes.data()); }

// The list without its last item, and the last item alone.
IdListBytes ParentOf(const IdListBytes& list) {
    auto items = vpr::com::IdListItems(AsList(list));
    IdListBytes out;
    if (!items.empty()) out.assign(list.begin(), list.begin() + (reinterpret_cast<const uint8_t*>(items.back()) - list.data()));
    out.push_back(0);
    out.push_back(0);
    return out;
}

IdListBytes LastOf(const IdListBytes& list) {
    auto items = vpr::com::IdListItems(AsList(list));
    if (items.empty()) return {0, 0};
    return vpr::com::CopyIdList(items.back());
}

bool IsNameSpaceEntry(const IdListBytes& item) {
    auto items = vpr::com::IdListItems(AsList(item));
    return items.size() == 1 && vpr::com::NameSpaceItemClass(items[0]);
}

std::optional<std::string> PathOf(const IdListBytes& item) { return vpr::com::PathFromIdList(AsList(item)); }

bool IsDirectory(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// The shell's own items: files, directories and the desktop's entries.
bool IsOwnItem(const IdListBytes& item) { return IsNameSpaceEntry(item) || PathOf(item).has_value(); }

bool IsOwnFolder(const IdListBytes& item) {
    if (IsNameSpaceEntry(item)) return true;
    auto path = PathOf(item);
    return path && IsDirectory(*path);
}

// An object of the item's parent folder for the item (GetUIObjectOf).
HRESULT ItemObject(ShellHost::State& state, const IdListBytes& item, HWND owner, REFIID iid, void** object) {
    *object = nullptr;
    IShellFolder* parent = nullptr;
    HRESULT hr = BindFolder(state, ParentOf(item), &parent);
    if (FAILED(hr)) return hr;
    IdListBytes child = LastOf(item);
    LPCITEMIDLIST children[1] = {AsList(child)};
    hr = parent->GetUIObjectOf(owner, 1, children, iid, nullptr, object);
    parent->Release();
    if (SUCCEEDED(hr) && !*object) hr = E_FAIL;
    return hr;
}

HRESULT ItemMenu(ShellHost::State& state, const IdListBytes& item, HWND owner, IContextMenu** menu) {
    HRESULT hr = ItemObject(state, item, owner, IID_IContextMenu2, reinterpret_cast<void**>(menu));
    if (FAILED(hr)) hr = ItemObject(state, item, owner, IID_IContextMenu, reinterpret_cast<void**>(menu));
    return hr;
}

HRESULT Invoke(IContextMenu* menu, LPCSTR verb, HWND owner) {
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof(info);
    info.hwnd = owner;
    info.lpVerb = verb;
    info.nShow = SW_SHOWNORMAL;
    return menu->InvokeCommand(&info);
}

bool Browse(ShellHost::State& state, const IdListBytes& folder, IShellBrowser* browser, bool explore, std::string* error) {
    if (browser) {
        if (SUCCEEDED(browser->BrowseObject(AsList(folder), SBSP_ABSOLUTE | SBSP_SAMEBROWSER))) return true;
        *error = "cannot open " + DisplayName(state, folder);
        return false;
    }
    return OpenBrowser(state, folder, explore, error) != nullptr;
}

// An item of a name space opens by its menu's default command.
bool InvokeDefault(ShellHost::State& state, const IdListBytes& item, IShellBrowser* browser, std::string* error) {
    HWND owner = state.desktop;
    if (browser) browser->GetWindow(&owner);
    IContextMenu* menu = nullptr;
    if (FAILED(ItemMenu(state, item, owner, &menu))) {
        // Without a menu a folder is still browsed into.
        if (ItemAttributes(state, item, SFGAO_FOLDER) & SFGAO_FOLDER) return Browse(state, item, browser, false, error);
        *error = DisplayName(state, item) + " has no commands";
        return false;
    }
    HMENU popup = CreatePopupMenu();
    menu->QueryContextMenu(popup, 0, kFirstCommand, kLastCommand, CMF_DEFAULTONLY);
    UINT command = GetMenuDefaultItem(popup, FALSE, 0);
    DestroyMenu(popup);
    bool done = false;
    if (command == static_cast<UINT>(-1) || command < kFirstCommand) {
        *error = DisplayName(state, item) + " has no default command";
    } else if (FAILED(Invoke(menu, MAKEINTRESOURCEA(command - kFirstCommand), owner))) {
        *error = "the default command of " + DisplayName(state, item) + " failed";
    } else {
        done = true;
    }
    menu->Release();
    return done;
}

// The target of a shortcut file: its list, else its path's.
std::optional<IdListBytes> ShortcutTarget(const std::string& path, std::string* error) {
    vpr::com::ShellLink link;
    if (!vpr::com::ReadShellLinkFile(path, &link, error)) return std::nullopt;
    if (link.idList.size() > 2) return link.idList;
    std::string target = vpr::com::ShellLinkTargetPath(link);
    auto list = target.empty() ? std::nullopt : vpr::com::FileSystemIdList(target);
    if (!list) *error = path + " names no target";
    return list;
}

bool EndsWithNoCase(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && KMLstricmp(text.c_str() + text.size() - end.size(), end.c_str()) == 0;
}

// A name-space item's menu (IContextMenu2 gets the menu's messages).
void ShowNameSpaceMenu(ShellHost::State& state, const IdListBytes& item, HWND owner, POINT at, bool explore) {
    IContextMenu* menu = nullptr;
    if (FAILED(ItemMenu(state, item, owner, &menu))) return;
    HMENU popup = CreatePopupMenu();
    menu->QueryContextMenu(popup, 0, kFirstCommand, kLastCommand, (explore ? CMF_EXPLORE : CMF_NORMAL) | CMF_CANRENAME);
    state.openMenu = menu;
    state.openMenuFirst = kFirstCommand;
    UINT command = TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, state.menuHost, nullptr);
    state.openMenu = nullptr;
    DestroyMenu(popup);
    if (command >= kFirstCommand) Invoke(menu, MAKEINTRESOURCEA(command - kFirstCommand), owner);
    menu->Release();
}

void ShowOwnMenu(ShellHost::State& state, const IdListBytes& item, HWND owner, POINT at, IShellBrowser* browser,
                 const std::function<void()>& startRename) {
    ULONG attributes = ItemAttributes(state, item, SFGAO_CANDELETE | SFGAO_CANRENAME);
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, kOpen, "&Open");
    SetMenuDefaultItem(popup, kOpen, FALSE);
    if (IsOwnFolder(item)) AppendMenuA(popup, MF_STRING, kExplore, "&Explore");
    if (attributes & (SFGAO_CANDELETE | SFGAO_CANRENAME)) AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
    if (attributes & SFGAO_CANDELETE) AppendMenuA(popup, MF_STRING, kDelete, "&Delete");
    if (attributes & SFGAO_CANRENAME) AppendMenuA(popup, MF_STRING, kRename, "Rena&me");
    if (HasPropertySheet(item)) {
        AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(popup, MF_STRING, kProperties, "P&roperties");
    }
    UINT command = TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, state.menuHost, nullptr);
    DestroyMenu(popup);
    std::string error;
    switch (command) {
    case kOpen: OpenItem(state, item, browser, &error); break;
    case kExplore: OpenBrowser(state, item, true, &error); break;
    case kDelete: DeleteItem(state, item, owner, &error); break;
    case kRename: if (startRename) startRename(); break;
    case kProperties: ShowItemProperties(state, item, owner, &error); break;
    default: break;
    }
}

LRESULT CALLBACK MenuHostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<ShellHost::State*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    bool menuMessage = message == WM_INITMENUPOPUP || message == WM_MEASUREITEM || message == WM_DRAWITEM;
    if (!state || !state->openMenu || !menuMessage) return DefWindowProcA(window, message, wParam, lParam);
    IContextMenu2* menu = nullptr;
    if (FAILED(state->openMenu->QueryInterface(IID_IContextMenu2, reinterpret_cast<void**>(&menu)))) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    menu->HandleMenuMsg(message, wParam, lParam);
    menu->Release();
    return message == WM_INITMENUPOPUP ? 0 : TRUE;
}

std::string NameSpaceKeyOf(const IdListBytes& item) {
    auto clsid = vpr::com::NameSpaceItemClass(vpr::com::IdListItems(AsList(item))[0]);
    return "CLSID\\" + vpr::com::GuidText(*clsid);
}

// The classes of a name-space entry's property sheet handlers: each key
// under shellex\PropertySheetHandlers names one, by its name or its value.
std::vector<CLSID> PropertySheetHandlers(const IdListBytes& item) {
    std::vector<CLSID> out;
    if (!IsNameSpaceEntry(item)) return out;
    HKEY handlers = nullptr;
    std::string key = NameSpaceKeyOf(item) + "\\shellex\\PropertySheetHandlers";
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handlers) != ERROR_SUCCESS) return out;
    char name[MAX_PATH];
    for (DWORD i = 0;; ++i) {
        DWORD size = sizeof(name);
        if (RegEnumKeyExA(handlers, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        auto clsid = vpr::com::ParseGuid(name);
        if (!clsid) {
            char value[64] = {};
            LONG length = sizeof(value);
            if (RegQueryValueA(handlers, name, value, &length) == ERROR_SUCCESS) clsid = vpr::com::ParseGuid(value);
        }
        if (clsid) out.push_back(*clsid);
    }
    RegCloseKey(handlers);
    return out;
}

BOOL CALLBACK AddPage(HPROPSHEETPAGE page, LPARAM param) {
    reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(param)->push_back(page);
    return TRUE;
}

}  // namespace

ULONG ItemAttributes(ShellHost::State& state, const IdListBytes& item, ULONG asked) {
    IShellFolder* parent = nullptr;
    if (FAILED(BindFolder(state, ParentOf(item), &parent))) return 0;
    IdListBytes child = LastOf(item);
    LPCITEMIDLIST children[1] = {AsList(child)};
    ULONG attributes = asked;
    if (FAILED(parent->GetAttributesOf(1, children, &attributes))) attributes = 0;
    parent->Release();
    return attributes & asked;
}

bool OpenItem(ShellHost::State& state, const IdListBytes& item, IShellBrowser* browser, std::string* error) {
    if (IsOwnFolder(item)) return Browse(state, item, browser, false, error);
    if (auto path = PathOf(item)) {
        if (!EndsWithNoCase(*path, ".lnk")) {
            *error = "no program opens " + *path;
            return false;
        }
        auto target = ShortcutTarget(*path, error);
        if (!target) return false;
        // A shortcut opens its target: a folder in a browser of its own.
        if (IsOwnFolder(*target)) return Browse(state, *target, nullptr, false, error);
        if (IsOwnItem(*target)) {
            *error = "no program opens " + PathOf(*target).value_or("");
            return false;
        }
        return InvokeDefault(state, *target, nullptr, error);
    }
    return InvokeDefault(state, item, browser, error);
}

void ShowItemMenu(ShellHost::State& state, const IdListBytes& item, HWND owner, POINT screen, IShellBrowser* browser,
                  bool explore, const std::function<void()>& startRename) {
    if (IsOwnItem(item)) {
        ShowOwnMenu(state, item, owner, screen, browser, startRename);
    } else {
        ShowNameSpaceMenu(state, item, owner, screen, explore);
    }
}

bool DeleteItem(ShellHost::State& state, const IdListBytes& item, HWND owner, std::string* error) {
    std::string name = DisplayName(state, item);
    if (!IsOwnItem(item)) {
        IContextMenu* menu = nullptr;
        if (FAILED(ItemMenu(state, item, owner, &menu))) {
            *error = name + " cannot be deleted";
            return false;
        }
        HMENU popup = CreatePopupMenu();
        menu->QueryContextMenu(popup, 0, kFirstCommand, kLastCommand, CMF_NORMAL);
        DestroyMenu(popup);
        HRESULT hr = Invoke(menu, "delete", owner);
        menu->Release();
        if (FAILED(hr)) *error = name + " was not deleted";
        return SUCCEEDED(hr);
    }
    if (!(ItemAttributes(state, item, SFGAO_CANDELETE) & SFGAO_CANDELETE)) {
        *error = name + " cannot be deleted";
        return false;
    }
    auto path = PathOf(item);
    if (!path) {
        *error = name + " cannot be deleted";
        return false;
    }
    bool directory = IsDirectory(*path);
    if (!(directory ? RemoveDirectoryA(path->c_str()) : DeleteFileA(path->c_str()))) {
        *error = "cannot delete " + *path;
        return false;
    }
    SHChangeNotify(directory ? SHCNE_RMDIR : SHCNE_DELETE, SHCNF_PATH, path->c_str(), nullptr);
    return true;
}

bool RenameItem(ShellHost::State& state, const IdListBytes& item, const std::string& name, HWND owner,
                IdListBytes* renamed, std::string* error) {
    IShellFolder* parent = nullptr;
    IdListBytes parentList = ParentOf(item);
    if (FAILED(BindFolder(state, parentList, &parent))) {
        *error = "cannot rename " + DisplayName(state, item);
        return false;
    }
    IdListBytes child = LastOf(item);
    std::u16string wide = vpr::locale::ToWide(name);
    LPITEMIDLIST newChild = nullptr;
    HRESULT hr = parent->SetNameOf(owner, AsList(child), reinterpret_cast<LPCOLESTR>(wide.c_str()), SHGDN_INFOLDER, &newChild);
    parent->Release();
    if (FAILED(hr)) {
        *error = "cannot rename " + DisplayName(state, item) + " to " + name;
        return false;
    }
    *renamed = newChild ? AbsoluteItemList(parentList, newChild) : item;
    if (newChild) CoTaskMemFree(newChild);
    return true;
}

bool HasPropertySheet(const IdListBytes& item) { return !PropertySheetHandlers(item).empty(); }

bool ShowItemProperties(ShellHost::State& state, const IdListBytes& item, HWND owner, std::string* error) {
    std::string name = DisplayName(state, item);
    std::vector<CLSID> classes = PropertySheetHandlers(item);
    if (classes.empty()) {
        *error = name + " has no properties";
        return false;
    }
    HKEY classKey = nullptr;
    RegOpenKeyExA(HKEY_CLASSES_ROOT, NameSpaceKeyOf(item).c_str(), 0, KEY_READ, &classKey);
    // The handlers see the entry as the one item of the desktop.
    std::vector<IdListBytes> children{LastOf(item)};
    IDataObject* data = vpr::com::NewDataObject(
        {{static_cast<CLIPFORMAT>(RegisterClipboardFormatA(CFSTR_SHELLIDLIST)), MakeIdListArray(ParentOf(item), children)}});
    std::vector<HPROPSHEETPAGE> pages;
    std::vector<IShellPropSheetExt*> handlers;
    for (const CLSID& clsid : classes) {
        IShellExtInit* init = nullptr;
        if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit, reinterpret_cast<void**>(&init)))) continue;
        IShellPropSheetExt* sheet = nullptr;
        if (SUCCEEDED(init->Initialize(AsList(item), data, classKey)) &&
            SUCCEEDED(init->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&sheet)))) {
            sheet->AddPages(&AddPage, reinterpret_cast<LPARAM>(&pages));
            handlers.push_back(sheet);
        }
        init->Release();
    }
    data->Release();
    if (classKey) RegCloseKey(classKey);
    bool shown = !pages.empty();
    if (shown) {
        PROPSHEETHEADERA header{};
        header.dwSize = sizeof(header);
        header.dwFlags = PSH_PROPTITLE;
        header.hwndParent = owner;
        header.pszCaption = name.c_str();
        header.nPages = static_cast<UINT>(pages.size());
        header.phpage = pages.data();
        PropertySheetA(&header);
    } else {
        *error = name + " has no properties";
    }
    // The handlers live as long as their pages.
    for (IShellPropSheetExt* sheet : handlers) sheet->Release();
    return shown;
}

bool ShowNameSpaceItemSheet(ShellHost::State& state, const IdListBytes& item, HWND owner, std::string* error) {
    std::string name = DisplayName(state, item);
    IShellPropSheetExt* sheet = nullptr;
    if (IsOwnItem(item) ||
        FAILED(ItemObject(state, item, owner, IID_IShellPropSheetExt, reinterpret_cast<void**>(&sheet)))) {
        *error = name + " has no properties";
        return false;
    }
    std::vector<HPROPSHEETPAGE> pages;
    sheet->AddPages(&AddPage, reinterpret_cast<LPARAM>(&pages));
    bool shown = !pages.empty();
    if (shown) {
        PROPSHEETHEADERA header{};
        header.dwSize = sizeof(header);
        header.dwFlags = PSH_PROPTITLE;
        header.hwndParent = owner;
        header.pszCaption = name.c_str();
        header.nPages = static_cast<UINT>(pages.size());
        header.phpage = pages.data();
        PropertySheetA(&header);
    } else {
        *error = name + " has no properties";
    }
    // The handler lives as long as its pages.
    sheet->Release();
    return shown;
}

HICON ItemIcon(ShellHost::State& state, const IdListBytes& item) {
    if (IsNameSpaceEntry(item)) {
        // DefaultIcon: "FILE,INDEX".
        for (const DesktopItem& entry : state.desktopItems) {
            if (!entry.nameSpace || NameSpaceKeyOf(item) != "CLSID\\" + vpr::com::GuidText(entry.clsid)) continue;
            std::string file = entry.icon;
            int index = 0;
            size_t comma = file.find_last_of(',');
            if (comma != std::string::npos) {
                index = std::atoi(file.c_str() + comma + 1);
                file.resize(comma);
            }
            while (!file.empty() && file.back() == ' ') file.pop_back();
            return file.empty() ? nullptr : ExtractIconA(nullptr, file.c_str(), static_cast<UINT>(index));
        }
        return nullptr;
    }
    if (auto path = PathOf(item)) {
        if (!EndsWithNoCase(*path, ".lnk")) return nullptr;
        std::string error;
        auto target = ShortcutTarget(*path, &error);
        return target && !IsOwnItem(*target) ? ItemIcon(state, *target) : nullptr;
    }
    IExtractIconA* extract = nullptr;
    if (FAILED(ItemObject(state, item, state.desktop, IID_IExtractIconA, reinterpret_cast<void**>(&extract)))) return nullptr;
    char file[MAX_PATH] = {};
    int index = 0;
    UINT flags = 0;
    HICON icon = nullptr;
    if (SUCCEEDED(extract->GetIconLocation(GIL_FORSHELL, file, sizeof(file), &index, &flags))) {
        HICON large = nullptr, small = nullptr;
        HRESULT hr = extract->Extract(file, static_cast<UINT>(index), &large, &small, MAKELONG(32, 16));
        if (hr == S_OK) {
            icon = large;
            if (small) DestroyIcon(small);
        } else {
            // S_FALSE: the shell takes the icon from the file by its index.
            icon = ExtractIconA(nullptr, file, static_cast<UINT>(index));
        }
    }
    extract->Release();
    return icon;
}

std::string OpenMenuCommandText(ShellHost::State& state, UINT command) {
    if (!state.openMenu || command < state.openMenuFirst) return {};
    char text[260] = {};
    state.openMenu->GetCommandString(command - state.openMenuFirst, GCS_VERBA, nullptr, text, sizeof(text));
    return text;
}

HWND NewMenuHost(ShellHost::State& state) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA c{};
        c.lpfnWndProc = MenuHostProc;
        c.lpszClassName = "ShellMenuHost";
        RegisterClassA(&c);
        registered = true;
    }
    HWND host = CreateWindowExA(0, "ShellMenuHost", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    SetWindowLongPtrA(host, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
    return host;
}

namespace {

// The source of a drag of the shell's items.
class ItemDropSource final : public vpr::com::RefCounted<IDropSource> {
public:
    void* Find(REFIID iid) override {
        return IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropSource) ? this : nullptr;
    }
    STDMETHODIMP QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        return (keys & (MK_LBUTTON | MK_RBUTTON)) ? S_OK : DRAGDROP_S_DROP;
    }
    STDMETHODIMP GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }
};

}  // namespace

DWORD DragItems(ShellHost::State& state, const std::vector<IdListBytes>& items) {
    IdListBytes parent = ParentOf(items[0]);
    std::vector<IdListBytes> children;
    std::vector<std::string> paths;
    DWORD allowed = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    for (const IdListBytes& item : items) {
        children.push_back(LastOf(item));
        if (auto path = PathOf(item)) paths.push_back(*path);
        ULONG attributes = ItemAttributes(state, item, SFGAO_CANLINK | SFGAO_CANMOVE | SFGAO_CANCOPY);
        if (!IsOwnItem(item)) allowed &= (attributes & SFGAO_CANLINK ? DROPEFFECT_LINK : 0) |
                                         (attributes & SFGAO_CANMOVE ? DROPEFFECT_MOVE : 0) |
                                         (attributes & SFGAO_CANCOPY ? DROPEFFECT_COPY : 0);
    }
    std::vector<vpr::com::DataBlock> blocks{
        {static_cast<CLIPFORMAT>(RegisterClipboardFormatA(CFSTR_SHELLIDLIST)), MakeIdListArray(parent, children)}};
    // Files also go as the list of their paths.
    if (paths.size() == items.size()) blocks.push_back({CF_HDROP, vpr::com::MakeDropFiles(paths)});
    IDataObject* data = vpr::com::NewDataObject(std::move(blocks));
    IDropSource* source = new ItemDropSource;
    DWORD effect = DROPEFFECT_NONE;
    if (allowed) DoDragDrop(data, source, allowed, &effect);
    source->Release();
    data->Release();
    return effect;
}

}  // namespace vpr::shellhost
