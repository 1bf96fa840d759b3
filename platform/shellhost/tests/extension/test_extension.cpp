// TESTEXT.DLL: a small name-space extension for the shell's tests and its
// walk-through. Its folder holds two items, "Alpha" and "Beta"; its view is a
// list in a window of its own that merges a menu item, sets the status text
// and a toolbar button, keeps a visit count in the view-state stream and
// drags its items out as "Shell IDList Array". It shows one tray icon ("Test
// Tray") whose clicks are recorded in the machine's journal (kind "testext"),
// and stops when the named event "Stop Test Extension" is set; then it may
// be unloaded once no object lives. A second class ("Viewless Folder")
// is the same folder without a view (CreateViewObject fails, as a name space
// whose view is still to come), whose items also add a page to a sheet of
// the shell (IShellPropSheetExt).
#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "shellapi.h"
#include "vpr/com/id_list.h"
#include "vpr/locale/locale.h"
#include "vpr/machine/machine.h"

// {7E57E570-1111-4222-8333-0000000000E5}
DEFINE_GUID(CLSID_TestExtension, 0x7E57E570, 0x1111, 0x4222, 0x83, 0x33, 0x00, 0x00, 0x00, 0x00, 0x00, 0xE5);
// {7E57E570-1111-4222-8333-0000000000E6}
DEFINE_GUID(CLSID_ViewlessFolder, 0x7E57E570, 0x1111, 0x4222, 0x83, 0x33, 0x00, 0x00, 0x00, 0x00, 0x00, 0xE6);

namespace {

constexpr UINT kTrayMessage = WM_APP + 5;
constexpr UINT kTestCommand = 100;
constexpr const char* kItems[] = {"Alpha", "Beta"};

std::atomic<long> g_objects{0};
HINSTANCE g_module = nullptr;
std::atomic<bool> g_stopped{false};
HWND g_tray = nullptr;
HANDLE g_stopEvent = nullptr;
HANDLE g_wakeEvent = nullptr;
std::thread g_watcher;

void Record(const std::string& text) { vpr::machine::Record("testext", text); }

vpr::com::IdListBytes KeyList(const std::string& key) {
    vpr::com::IdListBytes list(key.size() + 3, 0);
    list[0] = static_cast<uint8_t>(key.size() + 3);
    std::memcpy(list.data() + 2, key.data(), key.size());
    list.push_back(0);
    list.push_back(0);
    return list;
}

// The key of a list's last item ("" for the root).
std::string KeyOf(LPCITEMIDLIST list) {
    auto items = vpr::com::IdListItems(list);
    if (items.empty() || vpr::com::NameSpaceItemClass(items.back())) return {};
    const char* text = reinterpret_cast<const char*>(items.back()) + 2;
    return std::string(text, strnlen(text, items.back()->mkid.cb - 2));
}

template <typename... Interfaces>
class Object : public Interfaces... {
public:
    Object() { ++g_objects; }
    virtual ~Object() { --g_objects; }
    ULONG Add() { return ++references_; }
    ULONG Drop() {
        ULONG left = --references_;
        if (!left) delete this;
        return left;
    }

private:
    std::atomic<ULONG> references_{1};
};

LRESULT CALLBACK TrayProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kTrayMessage) {
        if (lParam == WM_LBUTTONDOWN) Record("tray click");
        if (lParam == WM_RBUTTONDOWN) {
            HMENU menu = CreatePopupMenu();
            AppendMenuA(menu, MF_STRING, 1, "&Open");
            AppendMenuA(menu, MF_STRING, 2, "&Stop");
            UINT chosen = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, 0, 0, 0, window, nullptr);
            DestroyMenu(menu);
            if (chosen) Record("tray menu " + std::to_string(chosen));
            if (chosen == 2) SetEvent(g_stopEvent);
        }
        return 0;
    }
    if (message == WM_DESTROY) {
        NOTIFYICONDATAA data{};
        data.cbSize = sizeof(data);
        data.hWnd = window;
        data.uID = 1;
        Shell_NotifyIconA(NIM_DELETE, &data);
        g_tray = nullptr;
        g_stopped = true;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Starts once, on the thread of the first creation (the shell's UI thread).
void StartOnce() {
    if (g_tray || g_stopped) return;
    WNDCLASSA c{};
    c.lpfnWndProc = TrayProc;
    c.lpszClassName = "TestExtTray";
    RegisterClassA(&c);
    g_tray = CreateWindowExA(0, "TestExtTray", "Test Tray", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof(data);
    data.hWnd = g_tray;
    data.uID = 1;
    data.uFlags = NIF_MESSAGE | NIF_TIP;
    data.uCallbackMessage = kTrayMessage;
    std::strcpy(data.szTip, "Test Tray");
    Shell_NotifyIconA(NIM_ADD, &data);
    g_stopEvent = CreateEventA(nullptr, TRUE, FALSE, "Stop Test Extension");
    g_wakeEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HWND tray = g_tray;
    g_watcher = std::thread([tray] {
        HANDLE events[2] = {g_stopEvent, g_wakeEvent};
        if (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0) {
            Record("stopping");
            PostMessageA(tray, WM_CLOSE, 0, 0);
        }
    });
}

class View;

class CidaData final : public Object<IDataObject, IDropSource> {
public:
    CidaData(vpr::com::IdListBytes parent, vpr::com::IdListBytes child) : parent_(std::move(parent)), child_(std::move(child)) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDataObject)) *object = static_cast<IDataObject*>(this);
        if (IsEqualIID(iid, IID_IDropSource)) *object = static_cast<IDropSource*>(this);
        if (!*object) return E_NOINTERFACE;
        Add();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return Add(); }
    STDMETHODIMP_(ULONG) Release() override { return Drop(); }
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override {
        *medium = STGMEDIUM{};
        if (QueryGetData(format) != S_OK) return DV_E_FORMATETC;
        std::vector<uint8_t> block(12, 0);
        uint32_t values[3] = {1, 12, static_cast<uint32_t>(12 + parent_.size())};
        std::memcpy(block.data(), values, 12);
        block.insert(block.end(), parent_.begin(), parent_.end());
        block.insert(block.end(), child_.begin(), child_.end());
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = GlobalAlloc(GHND, block.size());
        std::memcpy(GlobalLock(medium->hGlobal), block.data(), block.size());
        GlobalUnlock(medium->hGlobal);
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* format) override {
        return format && format->cfFormat == RegisterClipboardFormatA(CFSTR_SHELLIDLIST) ? S_OK : DV_E_FORMATETC;
    }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return DATA_S_SAMEFORMATETC; }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_FAIL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC** out) override {
        *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP QueryContinueDrag(BOOL escape, DWORD keys) override {
        if (escape) return DRAGDROP_S_CANCEL;
        return (keys & (MK_LBUTTON | MK_RBUTTON)) ? S_OK : DRAGDROP_S_DROP;
    }
    STDMETHODIMP GiveFeedback(DWORD) override { return DRAGDROP_S_USEDEFAULTCURSORS; }

private:
    vpr::com::IdListBytes parent_, child_;
};

LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

class View final : public Object<IShellView> {
public:
    explicit View(vpr::com::IdListBytes location) : location_(std::move(location)) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IShellView) && !IsEqualIID(iid, IID_IOleWindow)) return E_NOINTERFACE;
        *object = this;
        Add();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return Add(); }
    STDMETHODIMP_(ULONG) Release() override { return Drop(); }
    STDMETHODIMP GetWindow(HWND* window) override {
        *window = window_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*) override { return S_FALSE; }
    STDMETHODIMP EnableModeless(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP UIActivate(UINT state) override {
        if (state == SVUIA_DEACTIVATE) {
            if (menu_) {
                browser_->SetMenuSB(nullptr, nullptr, nullptr);
                browser_->RemoveMenusSB(menu_);
                DestroyMenu(menu_);
                menu_ = nullptr;
            }
            return S_OK;
        }
        if (menu_) return S_OK;
        menu_ = CreateMenu();
        OLEMENUGROUPWIDTHS widths{};
        browser_->InsertMenusSB(menu_, &widths);
        MENUITEMINFOA info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_SUBMENU;
        if (GetMenuItemInfoA(menu_, FCIDM_MENU_FILE, FALSE, &info) && info.hSubMenu) {
            InsertMenuA(info.hSubMenu, 0, MF_BYPOSITION | MF_STRING, kTestCommand, "&Test Item");
        }
        browser_->SetMenuSB(menu_, nullptr, window_);
        TBBUTTON button{};
        button.idCommand = kTestCommand;
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = TBSTYLE_BUTTON;
        browser_->SetToolbarItems(&button, 1, FCT_MERGE);
        browser_->SetStatusTextSB(u"2 items");
        return S_OK;
    }
    STDMETHODIMP Refresh() override { return S_OK; }
    STDMETHODIMP CreateViewWindow(IShellView*, LPCFOLDERSETTINGS, IShellBrowser* browser, RECT* rect, HWND* window) override {
        browser_ = browser;
        browser_->AddRef();
        // The visits of this folder, kept in the browser's view-state stream.
        IStream* stream = nullptr;
        if (SUCCEEDED(browser_->GetViewStateStream(STGM_READ, &stream))) {
            ULONG read = 0;
            stream->Read(&visits_, sizeof(visits_), &read);
            stream->Release();
        }
        ++visits_;
        HWND parent = nullptr;
        browser_->GetWindow(&parent);
        WNDCLASSA c{};
        c.lpfnWndProc = ViewProc;
        c.lpszClassName = "TestExtView";
        RegisterClassA(&c);
        window_ = CreateWindowExA(0, "TestExtView", "", WS_CHILD | WS_VISIBLE, rect->left, rect->top,
                                  rect->right - rect->left, rect->bottom - rect->top, parent, nullptr, nullptr, nullptr);
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        list_ = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_LIST, 0, 0, rect->right - rect->left,
                                rect->bottom - rect->top, window_, nullptr, nullptr, nullptr);
        int row = 0;
        for (const char* name : kItems) {
            LVITEMA item{};
            item.mask = LVIF_TEXT;
            item.iItem = row++;
            item.pszText = const_cast<char*>(name);
            SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        }
        *window = window_;
        return S_OK;
    }
    STDMETHODIMP DestroyViewWindow() override {
        if (window_) DestroyWindow(window_);
        window_ = nullptr;
        if (browser_) browser_->Release();
        browser_ = nullptr;
        return S_OK;
    }
    STDMETHODIMP GetCurrentInfo(LPFOLDERSETTINGS settings) override {
        settings->ViewMode = FVM_LIST;
        settings->fFlags = 0;
        return S_OK;
    }
    STDMETHODIMP AddPropertySheetPages(DWORD, LPFNADDPROPSHEETPAGE, LPARAM) override { return S_OK; }
    STDMETHODIMP SaveViewState() override {
        IStream* stream = nullptr;
        if (!browser_ || FAILED(browser_->GetViewStateStream(STGM_WRITE, &stream))) return E_FAIL;
        stream->Write(&visits_, sizeof(visits_), nullptr);
        stream->Release();
        return S_OK;
    }
    STDMETHODIMP SelectItem(LPCITEMIDLIST, UINT) override { return E_NOTIMPL; }
    STDMETHODIMP GetItemObject(UINT, REFIID, LPVOID* object) override {
        *object = nullptr;
        return E_NOTIMPL;
    }

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_COMMAND && LOWORD(wParam) == kTestCommand) {
            Record("command " + std::to_string(visits_));
            return 0;
        }
        if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == LVN_BEGINDRAG) {
            int row = reinterpret_cast<NMLISTVIEW*>(lParam)->iItem;
            auto* data = new CidaData(location_, KeyList(std::string("tree\t") + kItems[row]));
            DWORD effect = 0;
            DoDragDrop(data, data, DROPEFFECT_COPY | DROPEFFECT_LINK, &effect);
            Record("dragged " + std::to_string(effect));
            data->Release();
            return 0;
        }
        return DefWindowProcA(window_, message, wParam, lParam);
    }

private:
    vpr::com::IdListBytes location_;
    IShellBrowser* browser_ = nullptr;
    HWND window_ = nullptr;
    HWND list_ = nullptr;
    HMENU menu_ = nullptr;
    DWORD visits_ = 0;
};

LRESULT CALLBACK ViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* view = reinterpret_cast<View*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    return view ? view->OnMessage(message, wParam, lParam) : DefWindowProcA(window, message, wParam, lParam);
}

class Enumerator final : public Object<IEnumIDList> {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IEnumIDList)) return E_NOINTERFACE;
        *object = this;
        Add();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return Add(); }
    STDMETHODIMP_(ULONG) Release() override { return Drop(); }
    STDMETHODIMP Next(ULONG count, LPITEMIDLIST* out, ULONG* fetched) override {
        ULONG done = 0;
        while (done < count && next_ < 2) out[done++] = vpr::com::TaskMemoryIdList(KeyList(std::string("tree\t") + kItems[next_++]));
        if (fetched) *fetched = done;
        return done == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG n) override {
        next_ += n;
        return S_OK;
    }
    STDMETHODIMP Reset() override {
        next_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(IEnumIDList**) override { return E_NOTIMPL; }

private:
    ULONG next_ = 0;
};

// The commands of an item's menu: 0 Open (the default), 1 Explore, 5
// Delete, 7 Properties. With CMF_EXPLORE Open and Explore are owner-drawn,
// their texts given by GetCommandString.
struct MenuCommand {
    UINT id;
    const char* text;
};
constexpr MenuCommand kMenu[] = {{0, "&Open"}, {1, "&Explore"}, {5, "&Delete"}, {7, "P&roperties..."}};

const char* CommandText(UINT id) {
    for (const auto& c : kMenu) {
        if (c.id == id) return c.text;
    }
    return "";
}

INT_PTR CALLBACK ItemPropertiesProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetDlgItemTextA(dialog, 211, reinterpret_cast<const char*>(lParam));
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        char text[64] = {};
        GetDlgItemTextA(dialog, 211, text, sizeof(text));
        Record(std::string(LOWORD(wParam) == IDOK ? "properties ok " : "properties cancel ") + text);
        DestroyWindow(dialog);
        return TRUE;
    }
    return FALSE;
}

// The page an item of the viewless folder adds to the shell's sheet: its
// name in 201; OK records what 201 then holds.
INT_PTR CALLBACK ItemPageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetDlgItemTextA(page, 201, reinterpret_cast<const char*>(reinterpret_cast<PROPSHEETPAGEA*>(lParam)->lParam));
        return TRUE;
    }
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == PSN_APPLY) {
        char text[64] = {};
        GetDlgItemTextA(page, 201, text, sizeof(text));
        Record(std::string("item page applied ") + text);
        SetWindowLongA(page, DWL_MSGRESULT, PSNRET_NOERROR);
        return TRUE;
    }
    return FALSE;
}

// One item of the folder, as the shell asks for it (GetUIObjectOf).
class Item final : public Object<IContextMenu2, IExtractIconA, IShellPropSheetExt> {
public:
    Item(std::string key, bool sheet) : key_(std::move(key)), sheet_(sheet) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IContextMenu) || IsEqualIID(iid, IID_IContextMenu2)) {
            *object = static_cast<IContextMenu2*>(this);
        }
        if (IsEqualIID(iid, IID_IExtractIconA)) *object = static_cast<IExtractIconA*>(this);
        if (sheet_ && IsEqualIID(iid, IID_IShellPropSheetExt)) *object = static_cast<IShellPropSheetExt*>(this);
        if (!*object) return E_NOINTERFACE;
        Add();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return Add(); }
    STDMETHODIMP_(ULONG) Release() override { return Drop(); }

    STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT first, UINT, UINT flags) override {
        first_ = first;
        UINT count = 0;
        for (const auto& c : kMenu) {
            if ((flags & CMF_DEFAULTONLY) && c.id != 0) continue;
            if (c.id == 5) InsertMenuA(menu, index++, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
            bool drawn = (flags & CMF_EXPLORE) && c.id <= 1;
            InsertMenuA(menu, index++, MF_BYPOSITION | (drawn ? MF_OWNERDRAW : MF_STRING), first + c.id, drawn ? nullptr : c.text);
            ++count;
        }
        SetMenuDefaultItem(menu, first, FALSE);
        return static_cast<HRESULT>(count);  // a success whose code is the count
    }
    STDMETHODIMP InvokeCommand(LPCMINVOKECOMMANDINFO info) override {
        std::string name = key_.substr(key_.find('\t') + 1);
        if (HIWORD(reinterpret_cast<uintptr_t>(info->lpVerb))) {
            if (std::strcmp(info->lpVerb, "delete") == 0) Record("delete " + name);
            return S_OK;
        }
        UINT id = LOWORD(reinterpret_cast<uintptr_t>(info->lpVerb));
        if (id == 7) {
            // Properties: a window of its own, beside the shell.
            static std::string shown;
            shown = name;
            HWND window = CreateDialogParamA(g_module, MAKEINTRESOURCEA(210), info->hwnd, ItemPropertiesProc,
                                             reinterpret_cast<LPARAM>(shown.c_str()));
            ShowWindow(window, SW_SHOW);
            return S_OK;
        }
        if (!*CommandText(id)) return E_FAIL;
        Record("command " + std::to_string(id) + " " + name);
        return S_OK;
    }
    STDMETHODIMP GetCommandString(UINT_PTR id, UINT, UINT*, LPSTR name, UINT size) override {
        std::strncpy(name, CommandText(static_cast<UINT>(id)), size - 1);
        name[size - 1] = 0;
        return S_OK;
    }
    STDMETHODIMP HandleMenuMsg(UINT message, WPARAM, LPARAM lParam) override {
        if (message == WM_MEASUREITEM) {
            auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            measure->itemWidth = 80;
            measure->itemHeight = 16;
            Record("measured " + std::string(CommandText(measure->itemID - first_)));
        }
        return S_OK;
    }

    // The icon is the module's first; the shell reads it from the file.
    STDMETHODIMP GetIconLocation(UINT, LPSTR file, UINT size, int* index, UINT* flags) override {
        GetModuleFileNameA(g_module, file, size);
        *index = 0;
        *flags = GIL_PERINSTANCE;
        return S_OK;
    }
    STDMETHODIMP Extract(LPCSTR, UINT, HICON*, HICON*, UINT) override { return S_FALSE; }

    STDMETHODIMP AddPages(LPFNADDPROPSHEETPAGE add, LPARAM param) override {
        static std::string shown;
        shown = key_.substr(key_.find('\t') + 1);
        PROPSHEETPAGEA page{};
        page.dwSize = sizeof(page);
        page.hInstance = g_module;
        page.pszTemplate = MAKEINTRESOURCEA(200);
        page.pfnDlgProc = ItemPageProc;
        page.lParam = reinterpret_cast<LPARAM>(shown.c_str());
        HPROPSHEETPAGE handle = CreatePropertySheetPageA(&page);
        if (handle && !add(handle, param)) DestroyPropertySheetPage(handle);
        return S_OK;
    }
    STDMETHODIMP ReplacePage(UINT, LPFNADDPROPSHEETPAGE, LPARAM) override { return E_FAIL; }

private:
    std::string key_;
    bool sheet_;
    UINT first_ = 0;
};

// The shell's property sheet handler: initialised with the entry's list, it
// adds one page.
INT_PTR CALLBACK TestPageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetDlgItemTextA(page, 201, "Test Folder");
        return TRUE;
    }
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == PSN_APPLY) {
        char text[64] = {};
        GetDlgItemTextA(page, 201, text, sizeof(text));
        bool shared = IsDlgButtonChecked(page, 202) == BST_CHECKED;
        Record(std::string("page applied ") + text + (shared ? " shared" : ""));
        SetWindowLongA(page, DWL_MSGRESULT, PSNRET_NOERROR);
        return TRUE;
    }
    return FALSE;
}

class SheetHandler final : public Object<IShellExtInit, IShellPropSheetExt> {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellExtInit)) *object = static_cast<IShellExtInit*>(this);
        if (IsEqualIID(iid, IID_IShellPropSheetExt)) *object = static_cast<IShellPropSheetExt*>(this);
        if (!*object) return E_NOINTERFACE;
        Add();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return Add(); }
    STDMETHODIMP_(ULONG) Release() override { return Drop(); }
    STDMETHODIMP Initialize(LPCITEMIDLIST folder, LPDATAOBJECT, HKEY) override {
        Record("sheet for " + vpr::com::IdListText(folder));
        return S_OK;
    }
    STDMETHODIMP AddPages(LPFNADDPROPSHEETPAGE add, LPARAM param) override {
        PROPSHEETPAGEA page{};
        page.dwSize = sizeof(page);
        page.hInstance = g_module;
        page.pszTemplate = MAKEINTRESOURCEA(200);
        page.pfnDlgProc = TestPageProc;
        HPROPSHEETPAGE handle = CreatePropertySheetPageA(&page);
        if (handle && !add(handle, param)) DestroyPropertySheetPage(handle);
        return S_OK;
    }
    STDMETHODIMP ReplacePage(UINT, LPFNADDPROPSHEETPAGE, LPARAM) override { return E_FAIL; }
};

class Folder final : public Object<IShellFolder, IPersistFolder> {
public:
    explicit Folder(bool viewless) : viewless_(viewless) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellFolder)) *object = static_cast<IShellFolder*>(this);
        if (IsEqualIID(iid, IID_IPersistFolder) || IsEqualIID(iid, IID_IPersist)) *object = static_cast<IPersistFolder*>(this);
        if (IsEqualIID(iid, IID_IShellExtInit)) {
            // The folder's class is also its property sheet handler.
            auto* handler = new SheetHandler;
            HRESULT hr = handler->QueryInterface(iid, object);
            handler->Release();
            return hr;
        }
        if (!*object) return E_NOINTERFACE;
        Add();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return Add(); }
    STDMETHODIMP_(ULONG) Release() override { return Drop(); }
    STDMETHODIMP GetClassID(CLSID* clsid) override {
        *clsid = viewless_ ? CLSID_ViewlessFolder : CLSID_TestExtension;
        return S_OK;
    }
    STDMETHODIMP Initialize(LPCITEMIDLIST list) override {
        location_ = vpr::com::CopyIdList(list);
        return S_OK;
    }
    STDMETHODIMP ParseDisplayName(HWND, IBindCtx*, LPOLESTR, ULONG*, LPITEMIDLIST*, ULONG*) override { return E_NOTIMPL; }
    STDMETHODIMP EnumObjects(HWND, DWORD, LPENUMIDLIST* items) override {
        *items = new Enumerator;
        return S_OK;
    }
    // Each item is a folder holding Alpha and Beta again.
    STDMETHODIMP BindToObject(LPCITEMIDLIST list, IBindCtx*, REFIID iid, LPVOID* object) override {
        *object = nullptr;
        auto* folder = new Folder(viewless_);
        folder->location_ = vpr::com::ConcatIdLists(location_, vpr::com::CopyIdList(list));
        HRESULT hr = folder->QueryInterface(iid, object);
        folder->Release();
        return hr;
    }
    STDMETHODIMP BindToStorage(LPCITEMIDLIST, IBindCtx*, REFIID, LPVOID* object) override {
        *object = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP CompareIDs(LPARAM, LPCITEMIDLIST a, LPCITEMIDLIST b) override {
        int order = KeyOf(a).compare(KeyOf(b));
        return static_cast<HRESULT>(static_cast<USHORT>(static_cast<short>(order < 0 ? -1 : order > 0)));
    }
    STDMETHODIMP CreateViewObject(HWND, REFIID iid, LPVOID* object) override {
        *object = nullptr;
        if (viewless_) return E_NOTIMPL;
        if (!IsEqualIID(iid, IID_IShellView)) return E_NOINTERFACE;
        *object = static_cast<IShellView*>(new View(location_));
        return S_OK;
    }
    STDMETHODIMP GetAttributesOf(UINT, LPCITEMIDLIST*, ULONG* attributes) override {
        *attributes &= SFGAO_CANLINK | SFGAO_FOLDER | SFGAO_CANRENAME;
        return S_OK;
    }
    STDMETHODIMP GetUIObjectOf(HWND, UINT count, LPCITEMIDLIST* lists, REFIID iid, UINT*, LPVOID* object) override {
        *object = nullptr;
        if (count != 1) return E_INVALIDARG;
        auto* item = new Item(KeyOf(lists[0]), viewless_);
        HRESULT hr = item->QueryInterface(iid, object);
        item->Release();
        return hr;
    }
    STDMETHODIMP GetDisplayNameOf(LPCITEMIDLIST list, DWORD, LPSTRRET name) override {
        std::string key = KeyOf(list);
        std::string text = key.substr(key.find('\t') + 1);
        name->uType = STRRET_CSTR;
        std::strncpy(name->cStr, text.c_str(), sizeof(name->cStr) - 1);
        name->cStr[sizeof(name->cStr) - 1] = 0;
        return S_OK;
    }
    // Names stay; a rename is recorded.
    STDMETHODIMP SetNameOf(HWND, LPCITEMIDLIST list, LPCOLESTR name, DWORD, LPITEMIDLIST* renamed) override {
        std::string key = KeyOf(list);
        Record("renamed " + key.substr(key.find('\t') + 1) + " to " + vpr::locale::FromWide(name));
        if (renamed) *renamed = nullptr;
        return S_OK;
    }

private:
    bool viewless_;
    vpr::com::IdListBytes location_{0, 0};
};

class Factory final : public IClassFactory {
public:
    explicit Factory(bool viewless) : viewless_(viewless) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
        *object = this;
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        StartOnce();
        auto* folder = new Folder(viewless_);
        HRESULT hr = folder->QueryInterface(iid, object);
        folder->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

private:
    bool viewless_;
};

Factory g_factory(false);
Factory g_viewlessFactory(true);

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = module;
    if (reason == DLL_PROCESS_DETACH) {
        if (g_wakeEvent) SetEvent(g_wakeEvent);
        if (g_watcher.joinable()) g_watcher.join();
        if (g_tray) DestroyWindow(g_tray);
        if (g_stopEvent) CloseHandle(g_stopEvent);
        if (g_wakeEvent) CloseHandle(g_wakeEvent);
        // The window classes go with the module's code.
        UnregisterClassA("TestExtTray", nullptr);
        UnregisterClassA("TestExtView", nullptr);
        g_module = nullptr;
        Record("unloaded");
    }
    return TRUE;
}

HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
    *object = nullptr;
    if (IsEqualCLSID(clsid, CLSID_ViewlessFolder)) return g_viewlessFactory.QueryInterface(iid, object);
    if (!IsEqualCLSID(clsid, CLSID_TestExtension)) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, object);
}

HRESULT DllCanUnloadNow() { return g_stopped && g_objects == 0 ? S_OK : S_FALSE; }

}  // extern "C"
