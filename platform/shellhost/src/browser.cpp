// The shell's browser windows. Each is an IShellBrowser for the view it
// hosts: it merges menus, keeps the toolbar and status bar, goes where the
// view asks and keeps each folder's view state.
#include <algorithm>
#include <cstring>
#include <functional>

#include "shell_host_state.h"
#include "vpr/com/ref_counted.h"
#include "vpr/locale/locale.h"

namespace vpr::shellhost {

using vpr::com::IdListBytes;

namespace {

constexpr const char* kExploreClass = "ExploreWClass";
constexpr const char* kCabinetClass = "CabinetWClass";
constexpr int kToolbarId = 0xA001;  // FCIDM_TOOLBAR's place
constexpr int kStatusId = 0xA002;
constexpr int kTreeId = 0xA003;
constexpr UINT kTreeBrowse = WM_APP + 10;  // lParam: the tree item's index
constexpr UINT kLaterBrowse = WM_APP + 11;  // a BrowseObject asked while the browser was moving

LPCITEMIDLIST AsList(const IdListBytes& bytes) { return reinterpret_cast<LPCITEMIDLIST>(bytes.data()); }

// A list without its last item.
IdListBytes ParentList(IdListBytes list) {
    auto items = vpr::com::IdListItems(AsList(list));
    if (!items.empty()) {
        list.resize(reinterpret_cast<const uint8_t*>(items.back()) - list.data());
        list.push_back(0);
        list.push_back(0);
    }
    return list;
}

LRESULT CALLBACK BrowserProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void RegisterClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    for (const char* name : {kExploreClass, kCabinetClass}) {
        WNDCLASSA c{};
        c.lpfnWndProc = BrowserProc;
        c.lpszClassName = name;
        RegisterClassA(&c);
    }
}

void AppendPopup(HMENU menu, HMENU popup, UINT id, const char* text) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_TYPE;
    info.fType = MFT_STRING;
    info.wID = id;
    info.hSubMenu = popup;
    info.dwTypeData = const_cast<char*>(text);
    InsertMenuItemA(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info);
}

}  // namespace

class BrowserWindow final : public vpr::com::RefCounted<IShellBrowser>, public Browser {
public:
    BrowserWindow(ShellHost::State& state, bool explore) : state_(state), explore_(explore) {}
    ~BrowserWindow() override = default;

    bool Create(const IdListBytes& list, std::string* error) {
        RegisterClasses();
        window_ = CreateWindowExA(0, explore_ ? kExploreClass : kCabinetClass, "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20,
                                  600, 400, nullptr, nullptr, nullptr, this);
        if (!window_) {
            *error = "cannot make the browser window";
            return false;
        }
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        toolbar_ = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS, 0, 0, 600, 24, window_,
                                   reinterpret_cast<HMENU>(kToolbarId), nullptr, nullptr);
        status_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 380, 600, 20, window_,
                                  reinterpret_cast<HMENU>(kStatusId), nullptr, nullptr);
        if (explore_) {
            tree_ = CreateWindowExA(0, WC_TREEVIEWA, "", WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_EDITLABELS | TVS_SHOWSELALWAYS,
                                    0, 24, 180, 356, window_, reinterpret_cast<HMENU>(kTreeId), nullptr, nullptr);
            treeIcons_ = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 4);
            SendMessageA(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(treeIcons_));
        }
        ownMenu_ = CreateMenu();
        HMENU file = CreatePopupMenu();
        AppendMenuA(file, MF_STRING, kCommandClose, "&Close");
        HMENU view = CreatePopupMenu();
        AppendMenuA(view, MF_STRING, kCommandToolbar, "&Toolbar");
        AppendMenuA(view, MF_STRING, kCommandStatusBar, "Status &Bar");
        AppendMenuA(view, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(view, MF_STRING, kCommandRefresh, "&Refresh");
        AppendMenuA(view, MF_STRING, kCommandOptions, "&Options...");
        AppendPopup(ownMenu_, file, FCIDM_MENU_FILE, "&File");
        AppendPopup(ownMenu_, view, FCIDM_MENU_VIEW, "&View");
        SetMenu(window_, ownMenu_);
        return Navigate(AsList(list), SBSP_ABSOLUTE, error);
    }

    // Browser.
    HWND Window() const override { return window_; }
    bool Explore() const override { return explore_; }
    const IdListBytes& Location() const override { return location_; }
    IShellView* View() const override { return view_; }
    HWND ViewWindow() const override { return viewWindow_; }
    HWND StatusBar() const override { return status_; }
    HWND Toolbar() const override { return toolbar_; }
    HWND Tree() const override { return tree_; }
    std::string StatusText() const override {
        char text[512] = {};
        // A view shows its text in the bar's simple mode.
        bool simple = SendMessageA(status_, SB_ISSIMPLE, 0, 0) != 0;
        SendMessageA(status_, SB_GETTEXTA, simple ? SB_SIMPLEID : 0, reinterpret_cast<LPARAM>(text));
        return text;
    }

    bool Navigate(LPCITEMIDLIST list, UINT flags, std::string* error) override {
        IdListBytes target;
        if (flags & SBSP_PARENT) {
            auto items = vpr::com::IdListItems(AsList(location_));
            if (items.empty()) {
                *error = "the desktop has no parent";
                return false;
            }
            size_t cut = reinterpret_cast<const uint8_t*>(items.back()) - location_.data();
            target.assign(location_.begin(), location_.begin() + cut);
            target.push_back(0);
            target.push_back(0);
        } else if (flags & SBSP_RELATIVE) {
            target = vpr::com::ConcatIdLists(location_, vpr::com::CopyIdList(list));
        } else {
            target = vpr::com::CopyIdList(list);
        }
        IShellFolder* folder = nullptr;
        HRESULT hr = BindFolder(state_, target, &folder);
        if (FAILED(hr) || !folder) {
            *error = "cannot open " + vpr::com::IdListText(AsList(target));
            return false;
        }
        IShellView* view = nullptr;
        moving_ = true;
        hr = folder->CreateViewObject(window_, IID_IShellView, reinterpret_cast<void**>(&view));
        if (FAILED(hr) || !view) {
            // No view of its own: the browser lists the folder itself.
            if (view) view->Release();
            view = nullptr;
        }
        // The view leaving keeps its state before the new one starts from it.
        if (view_) view_->SaveViewState();
        IdListBytes previousLocation = location_;
        location_ = target;
        HWND viewWindow = nullptr;
        if (view) {
            FOLDERSETTINGS settings{FVM_ICON, 0};
            if (view_) view_->GetCurrentInfo(&settings);
            RECT rect = ViewRect();
            hr = view->CreateViewWindow(view_, &settings, this, &rect, &viewWindow);
            if (FAILED(hr)) {
                moving_ = false;
                location_ = previousLocation;
                view->Release();
                folder->Release();
                *error = "the view's window cannot be made";
                return false;
            }
        }
        if (view_) {
            view_->UIActivate(SVUIA_DEACTIVATE);
            view_->DestroyViewWindow();
            view_->Release();
        }
        if (folder_) folder_->Release();
        folder_ = folder;
        view_ = view;
        viewWindow_ = viewWindow;
        moving_ = false;
        if (view_) {
            view_->UIActivate(SVUIA_ACTIVATE_FOCUS);
        } else {
            SetMenu(window_, ownMenu_);
            SendMessageA(status_, SB_SIMPLE, FALSE, 0);
            SendMessageA(status_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(""));
        }
        std::string name = DisplayName(state_, location_);
        SetWindowTextA(window_, name.c_str());
        if (!SelectInTree()) FillTree();
        return true;
    }

    bool Viewless() const override { return folder_ && !view_; }

    std::vector<ListedItem> ListedItems() override {
        std::vector<ListedItem> out;
        if (!Viewless()) return out;
        IEnumIDList* items = nullptr;
        if (FAILED(folder_->EnumObjects(window_, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &items)) || !items) return out;
        LPITEMIDLIST child = nullptr;
        ULONG fetched = 0;
        while (items->Next(1, &child, &fetched) == S_OK && fetched == 1 && child) {
            STRRET name{};
            std::string text;
            if (SUCCEEDED(folder_->GetDisplayNameOf(child, SHGDN_INFOLDER, &name))) text = TakeStrRet(&name, child);
            out.push_back({text, AbsoluteItemList(location_, child)});
            CoTaskMemFree(child);
            child = nullptr;
        }
        items->Release();
        return out;
    }

    // Shows the folder again (Refresh); the tree pane asks its folders again.
    void Refresh() {
        if (view_) view_->Refresh();
        FillTree();
    }

    // A notification: the shell's own view shows its folder again (a name
    // space's view keeps itself up to date), and the tree pane asks again
    // each folder it shows whose items changed.
    void FolderChanged(const vpr::com::ChangeNotification& n) {
        if (view_ && IsOwnViewWindow(viewWindow_)) view_->Refresh();
        if (!tree_) return;
        std::vector<IdListBytes> folders;
        if (n.event == SHCNE_UPDATEDIR) {
            folders.push_back(n.list1);
        } else {
            folders.push_back(ParentList(n.list1));
            if (n.list2.size() > 2) folders.push_back(ParentList(n.list2));
        }
        filling_ = true;
        for (const IdListBytes& folder : folders) AskTreeFolderAgain(folder);
        filling_ = false;
        if (!SelectInTree()) FillTree();
    }

    void Close() {
        if (window_) DestroyWindow(window_);
    }

    // The window went: the view goes with it.
    void OnDestroy() {
        if (view_) {
            view_->SaveViewState();
            view_->UIActivate(SVUIA_DEACTIVATE);
            view_->DestroyViewWindow();
            view_->Release();
            view_ = nullptr;
        }
        if (folder_) folder_->Release();
        folder_ = nullptr;
        if (treeIcons_) ImageList_Destroy(treeIcons_);
        treeIcons_ = nullptr;
        window_ = nullptr;
        auto& list = state_.browsers;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        PostMessageA(state_.desktop, kBrowserClosed, 0, 0);
        Release();  // the window's reference
    }

    LRESULT OnCommand(WPARAM wParam, LPARAM lParam) {
        UINT id = LOWORD(wParam);
        switch (id) {
        case kCommandClose: Close(); return 0;
        case kCommandToolbar: ShowWindow(toolbar_, IsWindowVisible(toolbar_) ? SW_HIDE : SW_SHOW); return 0;
        case kCommandStatusBar: ShowWindow(status_, IsWindowVisible(status_) ? SW_HIDE : SW_SHOW); return 0;
        case kCommandRefresh: Refresh(); return 0;
        case kCommandOptions: ShowOptions(); return 0;
        default:
            // The view's own commands go to its window.
            if (id < 0x8000 && viewWindow_) return SendMessageA(viewWindow_, WM_COMMAND, wParam, lParam);
            return 0;
        }
    }

    // IUnknown: the window holds the browser's first reference.
    void* Find(REFIID iid) override {
        bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellBrowser) || IsEqualIID(iid, IID_IOleWindow);
        return known ? static_cast<IShellBrowser*>(this) : nullptr;
    }

    // IOleWindow.
    STDMETHODIMP GetWindow(HWND* window) override {
        *window = window_;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IShellBrowser.
    STDMETHODIMP InsertMenusSB(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override {
        if (!shared) return E_INVALIDARG;
        const struct {
            UINT id;
            const char* text;
        } popups[] = {{FCIDM_MENU_FILE, "&File"}, {FCIDM_MENU_EDIT, "&Edit"}, {FCIDM_MENU_VIEW, "&View"},
                      {FCIDM_MENU_TOOLS, "&Tools"}, {FCIDM_MENU_HELP, "&Help"}};
        for (const auto& p : popups) {
            HMENU popup = CreatePopupMenu();
            if (p.id == FCIDM_MENU_FILE) AppendMenuA(popup, MF_STRING, kCommandClose, "&Close");
            if (p.id == FCIDM_MENU_VIEW) {
                AppendMenuA(popup, MF_STRING, kCommandToolbar, "&Toolbar");
                AppendMenuA(popup, MF_STRING, kCommandStatusBar, "Status &Bar");
                AppendMenuA(popup, MF_SEPARATOR, FCIDM_MENU_VIEW_SEP_OPTIONS, nullptr);
                AppendMenuA(popup, MF_STRING, kCommandRefresh, "&Refresh");
                AppendMenuA(popup, MF_STRING, kCommandOptions, "&Options...");
            }
            AppendPopup(shared, popup, p.id, p.text);
        }
        if (widths) {
            widths->width[0] = 1;
            widths->width[2] = 2;
            widths->width[4] = 1;
        }
        return S_OK;
    }
    STDMETHODIMP SetMenuSB(HMENU shared, HANDLE, HWND) override {
        SetMenu(window_, shared ? shared : ownMenu_);
        return S_OK;
    }
    STDMETHODIMP RemoveMenusSB(HMENU shared) override {
        if (!shared) return E_INVALIDARG;
        for (UINT id : {FCIDM_MENU_FILE, FCIDM_MENU_EDIT, FCIDM_MENU_VIEW, FCIDM_MENU_TOOLS, FCIDM_MENU_HELP}) {
            DeleteMenu(shared, id, MF_BYCOMMAND);
        }
        return S_OK;
    }
    STDMETHODIMP SetStatusTextSB(LPCOLESTR text) override {
        std::string narrow = text ? vpr::locale::FromWide(text) : "";
        SendMessageA(status_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(narrow.c_str()));
        return S_OK;
    }
    STDMETHODIMP EnableModelessSB(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAcceleratorSB(MSG*, WORD) override { return S_FALSE; }
    STDMETHODIMP BrowseObject(LPCITEMIDLIST list, UINT flags) override {
        // A view that sends the browser elsewhere while it is being made
        // (its folder is gone) is answered once the browser has settled.
        if (!list && !(flags & SBSP_PARENT)) return E_INVALIDARG;
        if (moving_) {
            later_.push_back({list ? vpr::com::CopyIdList(list) : IdListBytes{}, flags, list != nullptr});
            PostMessageA(window_, kLaterBrowse, 0, 0);
            return S_OK;
        }
        std::string error;
        return Navigate(list, flags, &error) ? S_OK : E_FAIL;
    }

    void BrowseLater() {
        std::vector<LaterBrowse> pending;
        pending.swap(later_);
        for (const LaterBrowse& browse : pending) {
            std::string error;
            Navigate(browse.hasList ? AsList(browse.list) : nullptr, browse.flags, &error);
        }
    }

    // The tool tip of a toolbar button is the view's to give.
    LRESULT OnToolbarNotify(NMHDR* header) {
        if (header->code != TTN_NEEDTEXTA || !viewWindow_) return 0;
        return SendMessageA(viewWindow_, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header));
    }
    STDMETHODIMP GetViewStateStream(DWORD mode, IStream** stream) override {
        if (!stream) return E_INVALIDARG;
        return ViewStateStream(state_, location_, mode, stream);
    }
    STDMETHODIMP GetControlWindow(UINT id, HWND* window) override {
        *window = id == FCW_STATUS ? status_ : id == FCW_TOOLBAR ? toolbar_ : id == FCW_TREE ? tree_ : nullptr;
        return *window ? S_OK : E_FAIL;
    }
    STDMETHODIMP SendControlMsg(UINT id, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override {
        HWND control = nullptr;
        if (FAILED(GetControlWindow(id, &control))) return E_FAIL;
        LRESULT r = SendMessageA(control, message, wParam, lParam);
        if (result) *result = r;
        return S_OK;
    }
    STDMETHODIMP QueryActiveShellView(IShellView** view) override {
        *view = view_;
        if (view_) view_->AddRef();
        return view_ ? S_OK : E_FAIL;
    }
    STDMETHODIMP OnViewWindowActive(IShellView*) override { return S_OK; }
    STDMETHODIMP SetToolbarItems(LPTBBUTTON buttons, UINT count, UINT) override {
        while (SendMessageA(toolbar_, TB_BUTTONCOUNT, 0, 0) > 0) SendMessageA(toolbar_, TB_DELETEBUTTON, 0, 0);
        if (buttons && count) SendMessageA(toolbar_, TB_ADDBUTTONSA, count, reinterpret_cast<LPARAM>(buttons));
        return S_OK;
    }

private:
    RECT ViewRect() const {
        RECT client{};
        GetClientRect(window_, &client);
        RECT r{explore_ ? 180 : 0, 24, client.right, client.bottom - 20};
        if (r.right <= r.left) r.right = r.left + 400;
        if (r.bottom <= r.top) r.bottom = r.top + 300;
        return r;
    }

    // The tree pane: the desktop and its folders, each level enumerated when
    // it is expanded; the way to the folder shown expanded, its end selected.
    void FillTree() {
        if (!tree_) return;
        filling_ = true;
        SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
        treeLists_.clear();
        treeFilled_.clear();
        if (treeIcons_) ImageList_RemoveAll(treeIcons_);
        IdListBytes desktop{0, 0};
        HTREEITEM node = AddTreeItem(TVI_ROOT, desktop, DisplayName(state_, desktop));
        while (node) {
            size_t index = TreeIndex(node);
            AddTreeChildren(node);
            SendMessageA(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node));
            if (treeLists_[index] == location_) break;
            HTREEITEM next = nullptr;
            for (HTREEITEM child = TreeChild(node); child && !next; child = TreeNext(child)) {
                const IdListBytes& list = treeLists_[TreeIndex(child)];
                bool leads = list.size() <= location_.size() && std::equal(list.begin(), list.end() - 2, location_.begin());
                if (leads) next = child;
            }
            if (!next) break;
            node = next;
        }
        SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node));
        filling_ = false;
    }

    // Selects the folder shown where the tree already holds it (and asks it
    // for its sub-folders); false when it is not there.
    bool SelectInTree() {
        if (!tree_) return true;
        std::function<HTREEITEM(HTREEITEM)> find = [&](HTREEITEM node) -> HTREEITEM {
            for (; node; node = TreeNext(node)) {
                size_t index = TreeIndex(node);
                if (index < treeLists_.size() && treeLists_[index] == location_) return node;
                if (HTREEITEM inside = find(TreeChild(node))) return inside;
            }
            return nullptr;
        };
        HTREEITEM node = find(reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_ROOT, 0)));
        if (!node) return false;
        filling_ = true;
        AddTreeChildren(node);
        SendMessageA(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node));
        SendMessageA(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node));
        filling_ = false;
        return true;
    }

    // Every node of the tree showing the folder (the desktop node also
    // stands for the desktop directory) enumerates it again.
    void AskTreeFolderAgain(const IdListBytes& folder) {
        auto desktopDirectory = vpr::com::FileSystemIdList(DesktopDirectory());
        bool isDesktop = folder.size() <= 2 || (desktopDirectory && folder == *desktopDirectory);
        std::function<void(HTREEITEM)> walk = [&](HTREEITEM node) {
            for (; node; node = TreeNext(node)) {
                size_t index = TreeIndex(node);
                const IdListBytes& list = treeLists_[index];
                bool shows = list == folder || (isDesktop && list.size() <= 2);
                if (shows && treeFilled_[index]) {
                    while (HTREEITEM child = TreeChild(node)) {
                        SendMessageA(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(child));
                    }
                    treeFilled_[index] = false;
                    AddTreeChildren(node);
                    SendMessageA(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node));
                }
                walk(TreeChild(node));
            }
        };
        walk(reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_ROOT, 0)));
    }

    HTREEITEM TreeChild(HTREEITEM node) const {
        return reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(node)));
    }
    HTREEITEM TreeNext(HTREEITEM node) const {
        return reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(node)));
    }
    size_t TreeIndex(HTREEITEM node) const {
        TVITEMA item{};
        item.mask = TVIF_PARAM;
        item.hItem = node;
        SendMessageA(tree_, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
        return static_cast<size_t>(item.lParam);
    }

    HTREEITEM AddTreeItem(HTREEITEM parent, const IdListBytes& list, std::string name) {
        TVINSERTSTRUCTA insert{};
        insert.hParent = parent;
        insert.hInsertAfter = TVI_LAST;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
        insert.item.pszText = name.data();
        insert.item.lParam = static_cast<LPARAM>(treeLists_.size());
        insert.item.cChildren = 1;
        insert.item.iImage = insert.item.iSelectedImage = -1;
        if (HICON icon = ItemIcon(state_, list)) {
            insert.item.iImage = insert.item.iSelectedImage = ImageList_AddIcon(treeIcons_, icon);
            DestroyIcon(icon);
        }
        treeLists_.push_back(list);
        treeFilled_.push_back(false);
        return reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
    }

    // The sub-folders of a node, asked of its folder once.
    void AddTreeChildren(HTREEITEM node) {
        size_t index = TreeIndex(node);
        if (index >= treeFilled_.size() || treeFilled_[index]) return;
        treeFilled_[index] = true;
        IdListBytes list = treeLists_[index];
        IShellFolder* folder = nullptr;
        if (FAILED(BindFolder(state_, list, &folder))) return;
        IEnumIDList* items = nullptr;
        if (SUCCEEDED(folder->EnumObjects(window_, SHCONTF_FOLDERS, &items)) && items) {
            LPITEMIDLIST child = nullptr;
            ULONG fetched = 0;
            while (items->Next(1, &child, &fetched) == S_OK && fetched == 1) {
                LPCITEMIDLIST children[1] = {child};
                ULONG attributes = SFGAO_FOLDER;
                if (SUCCEEDED(folder->GetAttributesOf(1, children, &attributes)) && (attributes & SFGAO_FOLDER)) {
                    STRRET name{};
                    folder->GetDisplayNameOf(child, SHGDN_INFOLDER, &name);
                    std::string text = TakeStrRet(&name, child);
                    AddTreeItem(node, AbsoluteItemList(list, child), text);
                }
                CoTaskMemFree(child);
            }
            items->Release();
        }
        folder->Release();
    }

public:
    // What a person does in the tree pane.
    LRESULT OnTreeNotify(NMHDR* header) {
        auto* change = reinterpret_cast<NMTREEVIEWA*>(header);
        auto* edit = reinterpret_cast<NMTVDISPINFOA*>(header);
        switch (header->code) {
        case TVN_ITEMEXPANDINGA:
            if (change->action & TVE_EXPAND) AddTreeChildren(change->itemNew.hItem);
            return FALSE;
        case TVN_SELCHANGEDA:
            // Browsing fills the tree again: not while it tells of the change.
            if (!filling_) PostMessageA(window_, kTreeBrowse, 0, change->itemNew.lParam);
            return 0;
        case NM_RCLICK: OnTreeMenu(); return 0;
        case TVN_BEGINDRAGA: {
            size_t index = static_cast<size_t>(change->itemNew.lParam);
            if (index < treeLists_.size()) DragItems(state_, {treeLists_[index]});
            return 0;
        }
        case TVN_BEGINLABELEDITA: {
            size_t index = static_cast<size_t>(edit->item.lParam);
            return index >= treeLists_.size() || !(ItemAttributes(state_, treeLists_[index], SFGAO_CANRENAME) & SFGAO_CANRENAME);
        }
        case TVN_ENDLABELEDITA: return OnTreeRenamed(edit->item);
        case TVN_KEYDOWN:
            if (reinterpret_cast<NMTVKEYDOWN*>(header)->wVKey == VK_DELETE) OnTreeDelete();
            return 0;
        default: return 0;
        }
    }

    void BrowseTreeItem(size_t index) {
        if (index >= treeLists_.size()) return;
        IdListBytes list = treeLists_[index];
        std::string error;
        if (list != location_) Navigate(AsList(list), SBSP_ABSOLUTE, &error);
    }

private:
    void OnTreeMenu() {
        auto node = reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_DROPHILITE, 0));
        if (!node) return;
        IdListBytes list = treeLists_[TreeIndex(node)];
        RECT area{};
        *reinterpret_cast<HTREEITEM*>(&area) = node;
        SendMessageA(tree_, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&area));
        POINT at{area.left, area.bottom};
        ClientToScreen(tree_, &at);
        HWND tree = tree_;
        ShowItemMenu(state_, list, tree_, at, this, true,
                     [tree, node] { SendMessageA(tree, TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(node)); });
    }

    LRESULT OnTreeRenamed(const TVITEMA& item) {
        size_t index = static_cast<size_t>(item.lParam);
        if (!item.pszText || index >= treeLists_.size()) return FALSE;
        IdListBytes renamed;
        std::string error;
        if (!RenameItem(state_, treeLists_[index], item.pszText, tree_, &renamed, &error)) return FALSE;
        // The item shows the name its folder now gives it.
        treeLists_[index] = renamed;
        std::string name = DisplayName(state_, renamed);
        TVITEMA update{};
        update.mask = TVIF_TEXT;
        update.hItem = item.hItem;
        update.pszText = name.data();
        SendMessageA(tree_, TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&update));
        return FALSE;
    }

    void OnTreeDelete() {
        auto node = reinterpret_cast<HTREEITEM>(SendMessageA(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0));
        if (!node) return;
        std::string error;
        DeleteItem(state_, treeLists_[TreeIndex(node)], tree_, &error);
    }

    static BOOL CALLBACK AddPage(HPROPSHEETPAGE page, LPARAM param) {
        reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(param)->push_back(page);
        return TRUE;
    }

    // Folder options: the view adds its pages.
    void ShowOptions() {
        std::vector<HPROPSHEETPAGE> pages;
        if (view_) view_->AddPropertySheetPages(0, &AddPage, reinterpret_cast<LPARAM>(&pages));
        if (pages.empty()) return;
        PROPSHEETHEADERA header{};
        header.dwSize = sizeof(header);
        header.hwndParent = window_;
        header.pszCaption = "Options";
        header.nPages = static_cast<UINT>(pages.size());
        header.phpage = pages.data();
        PropertySheetA(&header);
    }

    ShellHost::State& state_;
    bool explore_;
    HWND window_ = nullptr;
    HWND toolbar_ = nullptr;
    HWND status_ = nullptr;
    HWND tree_ = nullptr;
    HWND viewWindow_ = nullptr;
    HMENU ownMenu_ = nullptr;
    HIMAGELIST treeIcons_ = nullptr;
    std::vector<IdListBytes> treeLists_;  // the absolute list of each tree item (its lParam)
    std::vector<bool> treeFilled_;        // its sub-folders were asked for
    bool filling_ = false;
    bool moving_ = false;  // Navigate is making the next view
    struct LaterBrowse {
        IdListBytes list;
        UINT flags;
        bool hasList;
    };
    std::vector<LaterBrowse> later_;
    IdListBytes location_{0, 0};
    IShellFolder* folder_ = nullptr;
    IShellView* view_ = nullptr;
};

namespace {

LRESULT CALLBACK BrowserProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* browser = reinterpret_cast<BrowserWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!browser) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_COMMAND: return browser->OnCommand(wParam, lParam);
    case WM_NOTIFY:
        if (reinterpret_cast<NMHDR*>(lParam)->hwndFrom == browser->Tree()) {
            return browser->OnTreeNotify(reinterpret_cast<NMHDR*>(lParam));
        }
        if (reinterpret_cast<NMHDR*>(lParam)->hwndFrom == browser->Toolbar()) {
            return browser->OnToolbarNotify(reinterpret_cast<NMHDR*>(lParam));
        }
        return 0;
    case kTreeBrowse: browser->BrowseTreeItem(static_cast<size_t>(lParam)); return 0;
    case kLaterBrowse: browser->BrowseLater(); return 0;
    case WM_CLOSE: DestroyWindow(window); return 0;
    case WM_DESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        browser->OnDestroy();
        return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

BrowserWindow* OpenBrowser(ShellHost::State& state, const IdListBytes& list, bool explore, std::string* error) {
    auto* browser = new BrowserWindow(state, explore);
    state.browsers.push_back(browser);
    if (!browser->Create(list, error)) {
        if (browser->Window()) {
            browser->Close();  // the window going takes the browser along
        } else {
            state.browsers.erase(std::remove(state.browsers.begin(), state.browsers.end(), browser), state.browsers.end());
            browser->Release();
        }
        return nullptr;
    }
    return browser;
}

Browser* AsBrowser(BrowserWindow* window) { return window; }

IShellBrowser* AsShellBrowser(BrowserWindow* window) { return window; }

void CloseAllBrowsers(ShellHost::State& state) {
    while (!state.browsers.empty()) {
        BrowserWindow* browser = state.browsers.back();
        if (browser->Window()) {
            browser->Close();
        } else {
            state.browsers.pop_back();
        }
    }
}

void BrowsersNotified(ShellHost::State& state, const vpr::com::ChangeNotification& n) {
    const bool folderChanged = n.event == SHCNE_UPDATEDIR || n.event == SHCNE_CREATE || n.event == SHCNE_RMDIR ||
                               n.event == SHCNE_RENAMEFOLDER || n.event == SHCNE_MKDIR || n.event == SHCNE_DELETE ||
                               n.event == SHCNE_RENAMEITEM || n.event == SHCNE_UPDATEITEM;
    if (!folderChanged) return;
    for (BrowserWindow* browser : std::vector<BrowserWindow*>(state.browsers)) {
        const IdListBytes& at = browser->Location();
        // A removed folder that a browser shows (or holds): it moves to the parent.
        bool inside = n.event == SHCNE_RMDIR && !n.list1.empty() && at.size() >= n.list1.size() &&
                      std::equal(n.list1.begin(), n.list1.end() - 2, at.begin());
        if (inside) {
            std::string error;
            browser->Navigate(AsList(ParentList(n.list1)), SBSP_ABSOLUTE, &error);
        }
        browser->FolderChanged(n);
    }
}

}  // namespace vpr::shellhost
