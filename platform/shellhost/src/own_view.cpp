// The view of the shell's own folders: the desktop and file-system
// directories, shown as a list whose rows a person opens, right-clicks,
// renames, deletes and drags away.
#include <algorithm>

#include "shell_host_state.h"
#include "vpr/com/ref_counted.h"
#include "vpr/locale/locale.h"

namespace vpr::shellhost {

using vpr::com::IdListBytes;

namespace {

constexpr const char* kViewClass = "ShellOwnView";
constexpr int kListId = 1;

LRESULT CALLBACK OwnViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

class OwnView final : public vpr::com::RefCounted<IShellView> {
public:
    OwnView(ShellHost::State& state, IShellFolder* folder, IdListBytes location)
        : state_(state), folder_(folder), location_(std::move(location)) {
        folder_->AddRef();
    }
    ~OwnView() override {
        DestroyViewWindow();
        folder_->Release();
    }
    void* Find(REFIID iid) override {
        bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IShellView) || IsEqualIID(iid, IID_IOleWindow);
        return known ? static_cast<IShellView*>(this) : nullptr;
    }
    STDMETHODIMP GetWindow(HWND* window) override {
        if (!window) return E_INVALIDARG;
        *window = window_;
        return window_ ? S_OK : E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*) override { return S_FALSE; }
    STDMETHODIMP EnableModeless(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP UIActivate(UINT) override { return S_OK; }
    STDMETHODIMP Refresh() override {
        Fill();
        return S_OK;
    }
    STDMETHODIMP CreateViewWindow(IShellView*, LPCFOLDERSETTINGS, IShellBrowser* browser, RECT* rect,
                                  HWND* window) override {
        HWND parent = state_.desktop;
        if (browser) {
            browser_ = browser;
            browser_->AddRef();
            browser->GetWindow(&parent);
        }
        static bool registered = false;
        if (!registered) {
            WNDCLASSA c{};
            c.lpfnWndProc = OwnViewProc;
            c.lpszClassName = kViewClass;
            RegisterClassA(&c);
            registered = true;
        }
        int width = rect->right - rect->left, height = rect->bottom - rect->top;
        window_ = CreateWindowExA(0, kViewClass, "", WS_CHILD | WS_VISIBLE, rect->left, rect->top, width, height, parent,
                                  nullptr, nullptr, nullptr);
        if (!window_) return E_FAIL;
        SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        list_ = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_LIST | LVS_EDITLABELS | LVS_SHOWSELALWAYS,
                                0, 0, width, height, window_, reinterpret_cast<HMENU>(kListId), nullptr, nullptr);
        icons_ = ImageList_Create(32, 32, ILC_COLOR32 | ILC_MASK, 4, 4);
        SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(icons_));
        Fill();
        *window = window_;
        return S_OK;
    }
    STDMETHODIMP DestroyViewWindow() override {
        if (window_) {
            SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
            DestroyWindow(window_);
        }
        window_ = list_ = nullptr;
        if (icons_) ImageList_Destroy(icons_);
        icons_ = nullptr;
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
    STDMETHODIMP SaveViewState() override { return S_OK; }
    STDMETHODIMP SelectItem(LPCITEMIDLIST, UINT) override { return E_NOTIMPL; }
    STDMETHODIMP GetItemObject(UINT, REFIID, LPVOID* object) override {
        *object = nullptr;
        return E_NOTIMPL;
    }

    LRESULT OnNotify(NMHDR* header) {
        auto* item = reinterpret_cast<NMLISTVIEW*>(header);
        switch (header->code) {
        case NM_DBLCLK: OnOpen(item->iItem); return 0;
        case NM_RCLICK: OnMenu(item->iItem, item->ptAction); return 0;
        case LVN_BEGINLABELEDITA: return !CanRename(reinterpret_cast<NMLVDISPINFOA*>(header)->item.iItem);
        case LVN_ENDLABELEDITA: return OnRenamed(reinterpret_cast<NMLVDISPINFOA*>(header)->item);
        case LVN_BEGINDRAG: OnDrag(); return 0;
        case LVN_KEYDOWN:
            if (reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey == VK_DELETE) OnDelete();
            return 0;
        default: return 0;
        }
    }
    void OnSize(int width, int height) {
        if (list_) MoveWindow(list_, 0, 0, width, height, TRUE);
    }

private:
    bool ValidRow(int row) const { return row >= 0 && row < static_cast<int>(rows_.size()); }

    void OnOpen(int row) {
        if (!ValidRow(row)) return;
        std::string error;
        IdListBytes item = rows_[row];  // opening may fill the list again
        OpenItem(state_, item, browser_, &error);
    }

    void OnMenu(int row, POINT at) {
        if (!ValidRow(row)) return;
        ClientToScreen(list_, &at);
        IdListBytes item = rows_[row];
        HWND list = list_;
        ShowItemMenu(state_, item, list_, at, browser_, false, [list, row] { SendMessageA(list, LVM_EDITLABELA, row, 0); });
    }

    bool CanRename(int row) {
        return ValidRow(row) && (ItemAttributes(state_, rows_[row], SFGAO_CANRENAME) & SFGAO_CANRENAME);
    }

    LRESULT OnRenamed(const LVITEMA& item) {
        if (!item.pszText || !ValidRow(item.iItem)) return FALSE;  // the edit was cancelled
        IdListBytes renamed;
        std::string error;
        if (!RenameItem(state_, rows_[item.iItem], item.pszText, list_, &renamed, &error)) return FALSE;
        rows_[item.iItem] = renamed;
        return TRUE;
    }

    void OnDelete() {
        std::vector<IdListBytes> chosen = Selected();
        for (const IdListBytes& item : chosen) {
            std::string error;
            DeleteItem(state_, item, list_, &error);
        }
    }

    void OnDrag() {
        std::vector<IdListBytes> chosen = Selected();
        if (!chosen.empty()) DragItems(state_, chosen);
    }

    std::vector<IdListBytes> Selected() const {
        std::vector<IdListBytes> out;
        for (int row = -1; (row = static_cast<int>(SendMessageA(list_, LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0;) {
            if (ValidRow(row)) out.push_back(rows_[row]);
        }
        return out;
    }

    void Fill() {
        if (!list_) return;
        SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0);
        ImageList_RemoveAll(icons_);
        rows_.clear();
        IEnumIDList* items = nullptr;
        if (FAILED(folder_->EnumObjects(nullptr, SHCONTF_FOLDERS | SHCONTF_NONFOLDERS, &items)) || !items) return;
        LPITEMIDLIST item = nullptr;
        ULONG fetched = 0;
        while (items->Next(1, &item, &fetched) == S_OK && fetched == 1) {
            STRRET name{};
            folder_->GetDisplayNameOf(item, SHGDN_INFOLDER, &name);
            std::string text = TakeStrRet(&name, item);
            IdListBytes absolute = AbsoluteItemList(location_, item);
            CoTaskMemFree(item);
            LVITEMA lv{};
            lv.mask = LVIF_TEXT | LVIF_IMAGE;
            lv.iItem = static_cast<int>(rows_.size());
            lv.pszText = text.data();
            lv.iImage = -1;
            if (HICON icon = ItemIcon(state_, absolute)) {
                lv.iImage = ImageList_AddIcon(icons_, icon);
                DestroyIcon(icon);
            }
            rows_.push_back(absolute);
            SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&lv));
        }
        items->Release();
    }

    ShellHost::State& state_;
    IShellFolder* folder_;
    IdListBytes location_;
    IShellBrowser* browser_ = nullptr;
    HWND window_ = nullptr;
    HWND list_ = nullptr;
    HIMAGELIST icons_ = nullptr;
    std::vector<IdListBytes> rows_;  // the absolute list of each row
};

LRESULT CALLBACK OwnViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* view = reinterpret_cast<OwnView*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!view) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_NOTIFY: return view->OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_SIZE: view->OnSize(LOWORD(lParam), HIWORD(lParam)); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

bool IsOwnViewWindow(HWND window) {
    char name[32] = {};
    return window && GetClassNameA(window, name, sizeof(name)) && KMLstricmp(name, kViewClass) == 0;
}

IShellView* NewOwnView(ShellHost::State& state, IShellFolder* folder, const IdListBytes& location) {
    return new OwnView(state, folder, location);
}

HWND ViewList(HWND viewWindow) {
    char name[32] = {};
    GetClassNameA(viewWindow, name, sizeof(name));
    if (KMLstricmp(name, WC_LISTVIEWA) == 0) return viewWindow;
    return FindWindowExA(viewWindow, nullptr, WC_LISTVIEWA, nullptr);
}

}  // namespace vpr::shellhost
