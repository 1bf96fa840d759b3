#include "view_fixture.h"

#include "list/app_list_ctrl.h"

namespace {

constexpr const char* kBrowserClass = "ViewTestBrowser";

void AppendPopup(HMENU menu, UINT id, const char* text) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_SUBMENU | MIIM_TYPE;
    info.fType = MFT_STRING;
    info.wID = id;
    info.hSubMenu = CreatePopupMenu();
    info.dwTypeData = const_cast<char*>(text);
    InsertMenuItemA(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info);
}

}  // namespace

TestBrowser::TestBrowser() {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA c{};
        c.lpfnWndProc = DefWindowProcA;
        c.lpszClassName = kBrowserClass;
        RegisterClassA(&c);
        registered = true;
    }
    window = CreateWindowExA(0, kBrowserClass, "", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr, nullptr, nullptr);
    toolbar = CreateWindowExA(0, TOOLBARCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 600, 24, window, nullptr, nullptr,
                              nullptr);
    status = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 380, 600, 20, window, nullptr, nullptr,
                             nullptr);
}

TestBrowser::~TestBrowser() {
    if (writing_) writing_->Release();
    DestroyWindow(window);
}

void* TestBrowser::Find(REFIID iid) {
    bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IShellBrowser);
    return known ? static_cast<IShellBrowser*>(this) : nullptr;
}

STDMETHODIMP TestBrowser::GetWindow(HWND* out) {
    *out = window;
    return S_OK;
}

STDMETHODIMP TestBrowser::InsertMenusSB(HMENU shared, LPOLEMENUGROUPWIDTHS) {
    AppendPopup(shared, FCIDM_MENU_FILE, "&File");
    AppendPopup(shared, FCIDM_MENU_EDIT, "&Edit");
    AppendPopup(shared, FCIDM_MENU_VIEW, "&View");
    AppendPopup(shared, FCIDM_MENU_HELP, "&Help");
    HMENU view = GetSubMenu(shared, 2);
    AppendMenuA(view, MF_STRING | MF_CHECKED, kCmdToolBar, "&Toolbar");
    AppendMenuA(view, MF_STRING, kCmdStatusBar, "Status &Bar");
    return S_OK;
}

STDMETHODIMP TestBrowser::SetMenuSB(HMENU shared, HANDLE, HWND) {
    menu = shared;
    return S_OK;
}

STDMETHODIMP TestBrowser::RemoveMenusSB(HMENU shared) {
    for (UINT id : {FCIDM_MENU_FILE, FCIDM_MENU_EDIT, FCIDM_MENU_VIEW, FCIDM_MENU_HELP}) DeleteMenu(shared, id, MF_BYCOMMAND);
    return S_OK;
}

STDMETHODIMP TestBrowser::BrowseObject(LPCITEMIDLIST, UINT flags) {
    browsed.push_back(flags);
    return S_OK;
}

void TestBrowser::TakeWritten() {
    if (!writing_) return;
    STATSTG stat{};
    writing_->Stat(&stat, STATFLAG_NONAME);
    std::vector<BYTE> bytes(static_cast<size_t>(stat.cbSize.QuadPart));
    LARGE_INTEGER start{};
    writing_->Seek(start, STREAM_SEEK_SET, nullptr);
    ULONG read = 0;
    if (!bytes.empty()) writing_->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    bytes.resize(read);
    stored = bytes;
    writing_->Release();
    writing_ = nullptr;
}

STDMETHODIMP TestBrowser::GetViewStateStream(DWORD mode, IStream** stream) {
    *stream = nullptr;
    TakeWritten();
    if (!stored) return E_FAIL;
    if (CreateStreamOnHGlobal(nullptr, TRUE, stream) != S_OK) return E_FAIL;
    if (mode & (STGM_WRITE | STGM_READWRITE)) {
        ++streamWrites;
        writing_ = *stream;
        writing_->AddRef();
        return S_OK;
    }
    ++streamReads;
    if (!stored->empty()) (*stream)->Write(stored->data(), static_cast<ULONG>(stored->size()), nullptr);
    LARGE_INTEGER start{};
    (*stream)->Seek(start, STREAM_SEEK_SET, nullptr);
    return S_OK;
}

STDMETHODIMP TestBrowser::GetControlWindow(UINT id, HWND* out) {
    *out = id == FCW_STATUS ? status : id == FCW_TOOLBAR ? toolbar : nullptr;
    return *out ? S_OK : E_FAIL;
}

STDMETHODIMP TestBrowser::SendControlMsg(UINT id, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    HWND control = nullptr;
    if (FAILED(GetControlWindow(id, &control))) return E_FAIL;
    LRESULT r = SendMessageA(control, message, wParam, lParam);
    if (result) *result = r;
    return S_OK;
}

STDMETHODIMP TestBrowser::QueryActiveShellView(IShellView** view) {
    *view = nullptr;
    return E_FAIL;
}

STDMETHODIMP TestBrowser::SetToolbarItems(LPTBBUTTON items, UINT count, UINT) {
    buttons.assign(items, items + count);
    while (SendMessageA(toolbar, TB_BUTTONCOUNT, 0, 0) > 0) SendMessageA(toolbar, TB_DELETEBUTTON, 0, 0);
    SendMessageA(toolbar, TB_ADDBUTTONSA, count, reinterpret_cast<LPARAM>(items));
    return S_OK;
}

std::string TestBrowser::StatusText() const {
    char text[256] = {};
    SendMessageA(status, SB_GETTEXTA, SB_SIMPLEID, reinterpret_cast<LPARAM>(text));
    return text;
}

std::vector<std::string> TestBrowser::PopupTexts(UINT popup, bool states) const {
    std::vector<std::string> texts;
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_SUBMENU;
    if (!menu || !GetMenuItemInfoA(menu, popup, FALSE, &info)) return texts;
    for (int i = 0; i < GetMenuItemCount(info.hSubMenu); ++i) {
        char text[256] = {};
        GetMenuStringA(info.hSubMenu, static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
        UINT state = GetMenuState(info.hSubMenu, static_cast<UINT>(i), MF_BYPOSITION);
        std::string shown = (state & MF_SEPARATOR) ? "-" : text;
        if (states && (state & MF_GRAYED)) shown += " (grayed)";
        texts.push_back(shown);
    }
    return texts;
}

UINT TestBrowser::State(UINT command) const { return GetMenuState(menu, command, MF_BYCOMMAND); }

void ViewTest::SetUp() {
    ItemsTest::SetUp();
    App("Editor.acme");
    App("Paint.acme");
    Associate("jdoe.sales.acme", "Editor.acme", KMAPP_ASSOC_LAUNCHER);
    Associate("jdoe.sales.acme", "Paint.acme", KMAPP_ASSOC_LAUNCHER);
    app->m_bOldShell = FALSE;
    app->m_uRefillMessage = RegisterWindowMessageA("RefillViewMessage");
    OleInitialize(nullptr);
    browser = new TestBrowser;
}

void ViewTest::TearDown() {
    if (browser) browser->Release();
    browser = nullptr;
    OleUninitialize();
    ItemsTest::TearDown();
}

void ViewTest::Start() {
    StartCache();
    cache->CheckSchedules();
}

CShellFolder* ViewTest::Folder(const std::string& key) {
    auto* factory = new CClassFactory;
    IShellFolder* folder = nullptr;
    EXPECT_EQ(factory->CreateInstance(nullptr, IID_IShellFolder, reinterpret_cast<void**>(&folder)), S_OK);
    factory->Release();
    IPersistFolder* persist = nullptr;
    folder->QueryInterface(IID_IPersistFolder, reinterpret_cast<void**>(&persist));
    EXPECT_EQ(persist->Initialize(RootIdList().GetList()), S_OK);
    persist->Release();
    if (key.empty()) return static_cast<CShellFolder*>(folder);
    // A folder below the root, as the shell reaches it.
    IShellFolder* inner = nullptr;
    EXPECT_EQ(folder->BindToObject(CItemIdList(key.c_str()).GetList(), nullptr, IID_IShellFolder,
                                   reinterpret_cast<void**>(&inner)),
              S_OK);
    folder->Release();
    return static_cast<CShellFolder*>(inner);
}

CShellView* ViewTest::Open(const std::string& key, IShellView* previous, FOLDERSETTINGS settings) {
    CShellFolder* folder = Folder(key);
    IShellView* view = nullptr;
    EXPECT_EQ(folder->CreateViewObject(nullptr, IID_IShellView, reinterpret_cast<void**>(&view)), S_OK);
    folder->Release();
    if (!view) return nullptr;
    RECT rect{0, 24, 600, 380};
    HWND window = nullptr;
    if (view->CreateViewWindow(previous, &settings, browser, &rect, &window) != S_OK) {
        view->Release();
        return nullptr;
    }
    EXPECT_NE(window, nullptr);
    return static_cast<CShellView*>(CWnd::FromHandlePermanent(window));
}

void ViewTest::Close(CShellView* view) {
    IShellView* shell = view->GetShellView();
    shell->UIActivate(SVUIA_DEACTIVATE);
    shell->DestroyViewWindow();
    shell->Release();
}

std::vector<std::string> ViewTest::Rows(CShellView* view) {
    std::vector<std::string> rows;
    CAppListCtrl* list = view->GetListCtrl();
    for (int i = 0; list && i < list->GetItemCount(); ++i) rows.push_back(static_cast<LPCSTR>(list->GetItemText(i, 0)));
    return rows;
}

void ViewTest::SetWidths(ViewStateRecord* record, LONG a, LONG b, LONG c, LONG d) {
    record->columnWidths[0] = a;
    record->columnWidths[1] = b;
    record->columnWidths[2] = c;
    record->columnWidths[3] = d;
}

std::vector<LONG> ViewTest::Widths(const ViewStateRecord& record) {
    return {record.columnWidths[0], record.columnWidths[1], record.columnWidths[2], record.columnWidths[3]};
}
