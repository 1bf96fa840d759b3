// The extension's folder view. Items are never held across calls: the folder
// item and the rows' items are looked up in the cache for each use and
// released before the call returns. Every call from the browser selects this
// module's state first, so that menus, bitmaps and texts come from its
// resources.
#include "view/shell_view.h"

#include <cstring>

#include "cache/app_cache.h"
#include "cache/folder_node.h"
#include "items/app_tree.h"
#include "items/folder_item.h"
#include "items/group_folder_item.h"
#include "list/app_list_ctrl.h"
#include "module/shell_app_library.h"
#include "module/shell_utilities.h"
#include "namespace/shell_folder.h"
#include "view/view_resource.h"
#include "vpr/locale/locale.h"

IMPLEMENT_DYNAMIC(CShellView, CWnd)

namespace {

constexpr const char* kViewWindowName = "Vpr Explorer Window";
constexpr DWORD kViewStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHAREIMAGELISTS | LVS_AUTOARRANGE | LVS_EDITLABELS;
constexpr DWORD kProblemStyle = 0x50000804;  // child, visible, multi-line, read-only
constexpr UINT kStatusPart = 255;            // the simple mode's text
constexpr int kToolTipChars = 79;
constexpr int kMenuTextBytes = 256;
constexpr WORD kViewStateVersion = 3;
constexpr LONG kDefaultWidths[4] = {160, 100, 150, 150};
// The view's own view flags: auto arrange and line up icons.
constexpr UINT kFlagAutoArrange = 0x1;
constexpr UINT kFlagLineUp = 0x4;

CShellExtApp* App() { return GetShellExtApp(); }
CAppCache* Cache() { return App() ? App()->m_pCache : nullptr; }

void PutWord(BYTE* at, WORD value) {
    at[0] = static_cast<BYTE>(value);
    at[1] = static_cast<BYTE>(value >> 8);
}
void PutDword(BYTE* at, DWORD value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<BYTE>(value >> (8 * i));
}
WORD GetWord(const BYTE* at) { return static_cast<WORD>(at[0] | (at[1] << 8)); }
DWORD GetDword(const BYTE* at) {
    return static_cast<DWORD>(at[0]) | (static_cast<DWORD>(at[1]) << 8) | (static_cast<DWORD>(at[2]) << 16) |
           (static_cast<DWORD>(at[3]) << 24);
}

// A GUID in its 16-byte stored form, and back.
void PutGuid(BYTE* at, const GUID& guid) {
    PutDword(at, guid.Data1);
    PutWord(at + 4, guid.Data2);
    PutWord(at + 6, guid.Data3);
    std::memcpy(at + 8, guid.Data4, 8);
}
GUID GetGuid(const BYTE* at) {
    GUID guid;
    guid.Data1 = GetDword(at);
    guid.Data2 = GetWord(at + 4);
    guid.Data3 = GetWord(at + 6);
    std::memcpy(guid.Data4, at + 8, 8);
    return guid;
}

// Replaces every item of `target` with copies of the items of `source`,
// pop-ups copied into new pop-ups.
void CopyMenuItems(HMENU source, HMENU target) {
    while (GetMenuItemCount(target) > 0) DeleteMenu(target, 0, MF_BYPOSITION);
    const int count = GetMenuItemCount(source);
    for (int i = 0; i < count; ++i) {
        char text[kMenuTextBytes] = {};
        MENUITEMINFOA info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_TYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_DATA;
        info.dwTypeData = text;
        info.cch = sizeof(text);
        if (!GetMenuItemInfoA(source, static_cast<UINT>(i), TRUE, &info)) continue;
        if (info.hSubMenu) {
            HMENU popup = CreatePopupMenu();
            CopyMenuItems(info.hSubMenu, popup);
            info.hSubMenu = popup;
        }
        info.dwTypeData = text;
        InsertMenuItemA(target, static_cast<UINT>(i), TRUE, &info);
    }
}

// The pop-up of `menu` (or `menu` itself) that holds the command.
HMENU MenuHolding(HMENU menu, UINT command) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (HMENU popup = GetSubMenu(menu, i)) {
            if (HMENU inner = MenuHolding(popup, command)) return inner;
        } else if (GetMenuItemID(menu, i) == command) {
            return menu;
        }
    }
    return nullptr;
}

// Checks `check` among the commands first..last, wherever they stand.
void CheckRadioCommand(HMENU menu, UINT first, UINT last, UINT check) {
    if (HMENU holder = MenuHolding(menu, first)) CheckMenuRadioItem(holder, first, last, check, MF_BYCOMMAND);
}

// A menu resource of the module's texts (the language library's when taken).
HMENU LoadViewMenu(UINT id) {
    CShellExtApp* app = App();
    return LoadMenuA(app ? app->GetResources() : AfxGetResourceHandle(), MAKEINTRESOURCEA(id));
}

// Whether the clipboard holds the "Shell IDList Array" format.
BOOL ClipboardHasIdLists() {
    IDataObject* data = nullptr;
    if (FAILED(OleGetClipboard(&data)) || !data) return FALSE;
    BOOL has = HasIdListFormat(data);
    data->Release();
    return has;
}

// The toolbar: command and image position of each button (-1 separator).
struct ToolbarButton {
    int command;
    int image;
};
constexpr ToolbarButton kToolbarButtons[] = {
    {kCmdCut, 0},       {kCmdCopy, 1},      {kCmdPaste, 2}, {-1, -1},       {11, 3},        {-1, -1},       {kCmdDelete, 4},
    {kCmdProperties, 5}, {-1, -1},          {kCmdLargeIcons, 6}, {kCmdSmallIcons, 7}, {kCmdList, 8}, {kCmdDetails, 9},
};
constexpr int kToolbarImages = 10;

// The tool-tip text of each button's command.
struct ToolTip {
    UINT command;
    UINT text;
};
constexpr ToolTip kToolTips[] = {
    {kCmdDelete, IDS_TIP_DELETE},       {kCmdProperties, IDS_TIP_PROPERTIES}, {kCmdCut, IDS_TIP_CUT},
    {kCmdCopy, IDS_TIP_COPY},           {kCmdPaste, IDS_TIP_PASTE},           {11, IDS_TIP_UNDO},
    {kCmdLargeIcons, IDS_TIP_LARGE},    {kCmdSmallIcons, IDS_TIP_SMALL},      {kCmdList, IDS_TIP_LIST},
    {kCmdDetails, IDS_TIP_DETAILS},
};

// The page the view adds to the browser's options: it marks the sheet
// changed on any command and does nothing when applied.
INT_PTR CALLBACK ViewPageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(page, GWLP_USERDATA, reinterpret_cast<PROPSHEETPAGEA*>(lParam)->lParam);
        return TRUE;
    case WM_COMMAND: SendMessageA(GetParent(page), PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0); return TRUE;
    default: return FALSE;
    }
}

}  // namespace

void SetDefaultViewState(ViewStateRecord* record) {
    std::memset(record, 0, sizeof(*record));
    record->signature = IID_IViewStateTransfer;
    record->version = kViewStateVersion;
    record->columnCount = 4;
    std::memcpy(record->columnWidths, kDefaultWidths, sizeof(kDefaultWidths));
}

void WriteViewState(const ViewStateRecord& record, BYTE bytes[kViewStateSize]) {
    PutGuid(bytes, record.signature);
    PutWord(bytes + 16, record.version);
    std::memcpy(bytes + 18, record.reserved, 6);
    PutDword(bytes + 24, record.columnCount);
    for (int i = 0; i < 4; ++i) PutDword(bytes + 28 + 4 * i, static_cast<DWORD>(record.columnWidths[i]));
}

BOOL ReadViewState(const BYTE* bytes, ULONG count, ViewStateRecord* record) {
    if (count == 0 || !bytes) return FALSE;
    // Bytes the stream did not hold keep their default values.
    ViewStateRecord defaults;
    SetDefaultViewState(&defaults);
    BYTE whole[kViewStateSize];
    WriteViewState(defaults, whole);
    std::memcpy(whole, bytes, count < kViewStateSize ? count : kViewStateSize);
    ViewStateRecord read;
    read.signature = GetGuid(whole);
    read.version = GetWord(whole + 16);
    std::memcpy(read.reserved, whole + 18, 6);
    read.columnCount = GetDword(whole + 24);
    for (int i = 0; i < 4; ++i) read.columnWidths[i] = static_cast<LONG>(GetDword(whole + 28 + 4 * i));
    if (!IsEqualGUID(read.signature, IID_IViewStateTransfer) || read.version != kViewStateVersion) return FALSE;
    *record = read;
    return TRUE;
}

BEGIN_MESSAGE_MAP(CShellView, CWnd)
    ON_WM_CREATE()
    ON_WM_DESTROY()
    ON_WM_SIZE()
    ON_WM_SETFOCUS()
    ON_MESSAGE(WM_QUERYENDSESSION, OnQueryEndSession)
END_MESSAGE_MAP()

CShellView::CShellView(CShellFolder* folder) : m_pFolder(folder) {
    m_pFolder->AddRef();
    m_folderList = m_pFolder->GetFolderList();
    SetDefaultViewState(&m_viewState);
    if (CShellExtApp* app = App()) {
        app->GetLastViewState(&m_viewState);
        ++app->m_nLiveObjects;
    }
}

CShellView::~CShellView() {
    if (m_hWnd) DestroyWindow();
    delete m_pList;
    if (m_sharedMenu.m_hMenu) m_sharedMenu.DestroyMenu();
    if (m_pBrowser) m_pBrowser->Release();
    m_pFolder->Release();
    if (CShellExtApp* app = App()) --app->m_nLiveObjects;
}

CFolderItem* CShellView::GetFolderItem() {
    CAppCache* cache = Cache();
    CFolderItem* item = cache ? cache->GetItem(m_pFolder->GetKey(), kNoContext) : nullptr;
    if (item) item->SetParentIdList(m_folderList);
    return item;
}

// Reference counting and interfaces.

HRESULT CShellView::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IShellView)) {
        *object = static_cast<IShellView*>(&m_shellView);
    } else if (IsEqualIID(iid, IID_IViewStateTransfer)) {
        *object = static_cast<IViewStateTransfer*>(&m_viewStateTransfer);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG CShellView::AddRef() { return ++m_cRef; }

ULONG CShellView::Release() {
    if (--m_cRef) return m_cRef;
    delete this;
    return 0;
}

HRESULT CShellView::GetWindow(HWND* window) {
    if (!window) return E_INVALIDARG;
    *window = m_hWnd;
    return m_hWnd ? S_OK : E_FAIL;
}

HRESULT CShellView::TranslateAccelerator(MSG* message) {
    if (!message) return E_NOTIMPL;
    // Backspace in the label editor edits the label, not the browser's place.
    if (message->message == WM_KEYDOWN && message->wParam == VK_BACK) {
        char name[16] = {};
        GetClassNameA(message->hwnd, name, sizeof(name));
        if (KMLstricmp(name, "edit") == 0) {
            ::SendMessageA(message->hwnd, WM_KEYDOWN, message->wParam, message->lParam);
            ::SendMessageA(message->hwnd, WM_CHAR, message->wParam, message->lParam);
            return S_OK;
        }
    }
    CShellExtApp* app = App();
    if (m_hWnd && app && app->m_hAccel && TranslateAcceleratorA(m_hWnd, app->m_hAccel, message)) return S_OK;
    return E_NOTIMPL;
}

HRESULT CShellView::UIActivate(UINT state) {
    if (state == m_nActivationState) return S_OK;
    m_nActivationState = state;
    if (state == SVUIA_DEACTIVATE) {
        RemoveMenus();
    } else {
        MergeMenus();
    }
    return S_OK;
}

HRESULT CShellView::Refresh() {
    const DWORD now = GetTickCount();
    if (m_bRefreshed && now - m_dwLastRefreshTick < kRefreshQuietMs) return S_OK;
    if (IsListMode() && m_pList) {
        m_pList->DeleteAllItems();
        if (CAppCache* cache = Cache()) {
            m_pList->SetBusy(TRUE);
            cache->WaitForRefresh(m_hWnd);
            m_pList->SetBusy(FALSE);
        }
        // The rows come back even when the cache refused the refresh (the
        // user may not ask for one) and no refill message follows.
        FillList();
        UpdateStatusText();
        UpdateCommandStates();
    }
    m_dwLastRefreshTick = now;
    m_bRefreshed = TRUE;
    return S_OK;
}

HRESULT CShellView::CreateViewWindow(IShellView* previous, LPCFOLDERSETTINGS settings, IShellBrowser* browser,
                                     RECT* rect, HWND* window) {
    if (window) *window = nullptr;
    if (!browser || !rect) return E_INVALIDARG;
    if (m_pBrowser) m_pBrowser->Release();
    m_pBrowser = browser;
    m_pBrowser->AddRef();
    m_pBrowser->GetWindow(&m_hBrowserWnd);

    CFolderItem* item = GetFolderItem();
    if (!item) {
        m_pBrowser->BrowseObject(nullptr, SBSP_PARENT | SBSP_SAMEBROWSER);
        return E_FAIL;
    }
    item->Release();

    IViewStateTransfer* transfer = nullptr;
    if (previous && SUCCEEDED(previous->QueryInterface(IID_IViewStateTransfer, reinterpret_cast<void**>(&transfer))) &&
        transfer) {
        transfer->GetViewState(&m_viewState);
        transfer->Release();
    } else {
        LoadViewState();
    }

    LPCSTR windowClass = AfxRegisterWndClass(CS_DBLCLKS | CS_PARENTDC);
    if (!CreateEx(WS_EX_CLIENTEDGE, windowClass, kViewWindowName, kViewStyle, rect->left, rect->top,
                  rect->right - rect->left, rect->bottom - rect->top, m_hBrowserWnd, nullptr)) {
        return E_FAIL;
    }
    if (window) *window = m_hWnd;
    if (IsListMode()) {
        FillList();
        UpdateWindow();
        AddToolbarButtons();
        if (settings) {
            ApplyViewMode(settings->ViewMode, settings->fFlags);
        } else {
            ApplyViewMode(FVM_ICON, kFlagAutoArrange);
        }
    }
    return S_OK;
}

HRESULT CShellView::DestroyViewWindow() {
    if (m_hWnd) DestroyWindow();
    return S_OK;
}

HRESULT CShellView::GetCurrentInfo(LPFOLDERSETTINGS settings) {
    if (!settings) return E_INVALIDARG;
    settings->ViewMode = m_nViewMode;
    settings->fFlags = m_nViewFlags;
    return S_OK;
}

HRESULT CShellView::AddPropertySheetPages(DWORD, LPFNADDPROPSHEETPAGE add, LPARAM param) {
    if (!add) return E_INVALIDARG;
    CShellExtApp* app = App();
    PROPSHEETPAGEA page{};
    page.dwSize = sizeof(page);
    page.hInstance = app ? app->GetResources() : AfxGetResourceHandle();
    page.pszTemplate = MAKEINTRESOURCEA(IDD_VIEW_OPTIONS);
    page.pfnDlgProc = ViewPageProc;
    page.lParam = reinterpret_cast<LPARAM>(this);
    HPROPSHEETPAGE made = CreatePropertySheetPageA(&page);
    if (made && !add(made, param)) DestroyPropertySheetPage(made);
    return S_OK;
}

HRESULT CShellView::SaveViewState() {
    HRESULT hr = E_FAIL;
    if (IsListMode() && m_pBrowser) {
        IStream* stream = nullptr;
        if (FAILED(m_pBrowser->GetViewStateStream(STGM_WRITE, &stream))) stream = nullptr;
        // The widths are taken from the columns whether or not the browser
        // keeps a stream, so the module's copy is current either way.
        // Only the first three widths have columns; the fourth is kept as stored.
        if (m_pList && (m_pList->GetStyle() & 0x1)) m_pList->GetColumnWidths(kListColumnCount, m_viewState.columnWidths);
        if (stream) {
            BYTE bytes[kViewStateSize];
            WriteViewState(m_viewState, bytes);
            ULONG written = 0;
            hr = stream->Write(bytes, kViewStateSize, &written);
            stream->Release();
        }
    }
    if (CShellExtApp* app = App()) app->SetLastViewState(&m_viewState);
    return hr;
}

HRESULT CShellView::SelectItem(LPCITEMIDLIST item, UINT) {
    CString key;
    ItemKeyFromIdList(item, key, FALSE);
    if (key.IsEmpty()) return E_FAIL;
    if (m_pList) m_pList->SelectKey(key);
    return S_OK;
}

HRESULT CShellView::GetItemObject(UINT which, REFIID iid, LPVOID* object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    CFolderItem* item = nullptr;
    if (which == SVGIO_SELECTION) {
        if (IsListMode() && m_pList) {
            int row = m_pList->GetNextItem(-1, LVNI_SELECTED);
            if (row >= 0) item = m_pList->GetRowItem(row);
        }
    } else {
        item = GetFolderItem();
    }
    if (!item) return E_OUTOFMEMORY;
    HRESULT hr = item->QueryInterface(iid, object);
    item->Release();
    return hr;
}

// The interface parts: each call selects the module's state and passes to
// the view.

#define VIEW_PART_CALL(call)                         \
    AFX_MANAGE_STATE(AfxGetStaticModuleState());     \
    return m_pView->call

STDMETHODIMP CShellView::CShellViewPart::QueryInterface(REFIID iid, void** object) {
    VIEW_PART_CALL(QueryInterface(iid, object));
}
STDMETHODIMP_(ULONG) CShellView::CShellViewPart::AddRef() { return m_pView->AddRef(); }
STDMETHODIMP_(ULONG) CShellView::CShellViewPart::Release() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_pView->Release();
}
STDMETHODIMP CShellView::CShellViewPart::GetWindow(HWND* window) { VIEW_PART_CALL(GetWindow(window)); }
STDMETHODIMP CShellView::CShellViewPart::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }
STDMETHODIMP CShellView::CShellViewPart::TranslateAccelerator(MSG* message) {
    VIEW_PART_CALL(TranslateAccelerator(message));
}
STDMETHODIMP CShellView::CShellViewPart::EnableModeless(BOOL) { return E_NOTIMPL; }
STDMETHODIMP CShellView::CShellViewPart::UIActivate(UINT state) { VIEW_PART_CALL(UIActivate(state)); }
STDMETHODIMP CShellView::CShellViewPart::Refresh() { VIEW_PART_CALL(Refresh()); }
STDMETHODIMP CShellView::CShellViewPart::CreateViewWindow(IShellView* previous, LPCFOLDERSETTINGS settings,
                                                          IShellBrowser* browser, RECT* rect, HWND* window) {
    VIEW_PART_CALL(CreateViewWindow(previous, settings, browser, rect, window));
}
STDMETHODIMP CShellView::CShellViewPart::DestroyViewWindow() { VIEW_PART_CALL(DestroyViewWindow()); }
STDMETHODIMP CShellView::CShellViewPart::GetCurrentInfo(LPFOLDERSETTINGS settings) {
    VIEW_PART_CALL(GetCurrentInfo(settings));
}
STDMETHODIMP CShellView::CShellViewPart::AddPropertySheetPages(DWORD reserved, LPFNADDPROPSHEETPAGE add, LPARAM param) {
    VIEW_PART_CALL(AddPropertySheetPages(reserved, add, param));
}
STDMETHODIMP CShellView::CShellViewPart::SaveViewState() { VIEW_PART_CALL(SaveViewState()); }
STDMETHODIMP CShellView::CShellViewPart::SelectItem(LPCITEMIDLIST item, UINT flags) {
    VIEW_PART_CALL(SelectItem(item, flags));
}
STDMETHODIMP CShellView::CShellViewPart::GetItemObject(UINT which, REFIID iid, LPVOID* object) {
    VIEW_PART_CALL(GetItemObject(which, iid, object));
}

STDMETHODIMP CShellView::CViewStateTransferPart::QueryInterface(REFIID iid, void** object) {
    VIEW_PART_CALL(QueryInterface(iid, object));
}
STDMETHODIMP_(ULONG) CShellView::CViewStateTransferPart::AddRef() { return m_pView->AddRef(); }
STDMETHODIMP_(ULONG) CShellView::CViewStateTransferPart::Release() {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    return m_pView->Release();
}
STDMETHODIMP CShellView::CViewStateTransferPart::GetViewState(ViewStateRecord* record) {
    if (!record) return E_POINTER;
    *record = m_pView->GetViewState();
    return S_OK;
}

#undef VIEW_PART_CALL

// The view state in the browser's stream.

void CShellView::LoadViewState() {
    if (!m_pBrowser) return;
    IStream* stream = nullptr;
    if (FAILED(m_pBrowser->GetViewStateStream(STGM_READ, &stream)) || !stream) return;
    BYTE bytes[kViewStateSize] = {};
    ULONG read = 0;
    if (FAILED(stream->Read(bytes, kViewStateSize, &read))) read = 0;
    stream->Release();
    ViewStateRecord record;
    if (!ReadViewState(bytes, read, &record)) return;
    if (m_pList) m_pList->SetColumnWidths(kListColumnCount, record.columnWidths);
    m_viewState = record;
}

// Window messages.

int CShellView::OnCreate(LPCREATESTRUCTA create) {
    if (CWnd::OnCreate(create) == -1) return -1;
    CRect client;
    GetClientRect(&client);
    CString problems;
    CShellExtApp* app = App();
    if (app && app->GetProblems(&problems)) {
        m_nListMode = 1;
        m_pList = new CAppListCtrl;
        if (!m_pList->Create(kListStyle, client, this, kViewControlId)) return -1;
        m_pList->SetColumns(m_viewState.columnWidths);
    } else {
        m_nListMode = 0;
        if (!m_problemEdit.Create(kProblemStyle, client, this, kViewControlId)) return -1;
        m_problemEdit.SetWindowText(problems);
    }
    return 0;
}

void CShellView::OnDestroy() {
    if (IsListMode() && m_pList && m_pList->m_hWnd) m_pList->DeleteAllItems();
    CWnd::OnDestroy();
}

void CShellView::OnSize(UINT, int cx, int cy) {
    if (m_pList && m_pList->m_hWnd) {
        m_pList->MoveWindow(0, 0, cx, cy);
    } else if (m_problemEdit.m_hWnd) {
        m_problemEdit.MoveWindow(0, 0, cx, cy);
    }
}

void CShellView::OnSetFocus(CWnd*) {
    if (IsListMode() && m_pList && m_pList->m_hWnd) {
        m_pList->SetFocus();
    } else if (m_problemEdit.m_hWnd) {
        m_problemEdit.SetFocus();
    }
}

LRESULT CShellView::OnQueryEndSession(WPARAM, LPARAM) { return TRUE; }

LRESULT CShellView::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The refill message is registered at the module's start, so it cannot
    // be a fixed entry of the message map.
    CShellExtApp* app = App();
    if (app && app->m_uRefillMessage && message == app->m_uRefillMessage) return OnRefill(wParam, lParam);
    return CWnd::WindowProc(message, wParam, lParam);
}

LRESULT CShellView::OnRefill(WPARAM, LPARAM) {
    CShellExtApp* app = App();
    if (!app || !app->m_bRunning) {
        // The extension is stopping: browser windows showing it close.
        if (m_hBrowserWnd) ::PostMessageA(m_hBrowserWnd, WM_CLOSE, 0, 0);
        return 0;
    }
    if (CFolderItem* item = GetFolderItem()) {
        item->Release();
        FillList();
        UpdateStatusText();
        UpdateCommandStates();
    } else if (m_pBrowser) {
        CItemIdList root = RootIdList();
        m_pBrowser->BrowseObject(root.GetList(), SBSP_SAMEBROWSER);
    }
    return 0;
}

BOOL CShellView::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header && header->code == TTN_NEEDTEXTA) {
        OnToolTipText(header);
        return TRUE;
    }
    if (header && header->code == NM_SETFOCUS && m_pList && header->hwndFrom == m_pList->m_hWnd) {
        OnListFocus();
        return TRUE;
    }
    return CWnd::OnNotify(wParam, lParam, result);
}

void CShellView::OnToolTipText(NMHDR* header) {
    auto* tip = reinterpret_cast<NMTTDISPINFOA*>(header);
    for (const ToolTip& entry : kToolTips) {
        if (entry.command != header->idFrom) continue;
        CString text;
        if (CShellExtApp* app = App()) text = app->LoadText(entry.text);
        CopyItemText(tip->szText, kToolTipChars + 1, text);
        tip->lpszText = tip->szText;
        return;
    }
}

void CShellView::OnListFocus() {
    if (m_pBrowser) m_pBrowser->OnViewWindowActive(&m_shellView);
    UIActivate(SVUIA_ACTIVATE_FOCUS);
}

// Filling the list and the view mode.

void CShellView::FillList() {
    if (!IsListMode() || !m_pList || !m_pList->m_hWnd) return;
    CAppCache* cache = Cache();
    if (cache) cache->WaitForFirstRefresh(m_hWnd);
    CStringArray children;
    m_pFolder->ListChildren(m_pFolder->GetKey(), children);
    m_pList->SendMessage(WM_SETREDRAW, FALSE);
    BOOL changed = FALSE;
    for (int row = m_pList->GetItemCount() - 1; row >= 0; --row) {
        CString key;
        m_pList->GetRowKey(row, key);
        INT_PTR found = -1;
        for (INT_PTR i = 0; i < children.GetSize() && found < 0; ++i) {
            if (children[i] == key) found = i;
        }
        if (found < 0) {
            m_pList->DeleteItem(row);
        } else {
            if (m_pList->UpdateRowText(row, key)) changed = TRUE;
            children.RemoveAt(found);
        }
    }
    BOOL added = FALSE;
    for (INT_PTR i = 0; cache && i < children.GetSize(); ++i) {
        CFolderItem* item = cache->GetItem(children[i], kNoContext);
        if (!item) continue;
        item->SetParentIdList(m_folderList);
        if (m_pList->AddRow(item) >= 0) added = TRUE;
        item->Release();
    }
    if (added && !IsActiveWithoutFocus()) m_pList->Sort(m_pList->GetSortColumn(), TRUE);
    m_pList->SendMessage(WM_SETREDRAW, TRUE);
    if (changed) UpdateWindow();
}

void CShellView::ApplyViewMode(UINT mode, UINT flags) {
    if (!IsListMode() || !m_pList || !m_pList->m_hWnd) return;
    DWORD style = LVS_ICON;
    switch (mode) {
    case FVM_SMALLICON: style = LVS_SMALLICON; break;
    case FVM_LIST: style = LVS_LIST; break;
    case FVM_DETAILS: style = LVS_REPORT; break;
    default: break;
    }
    m_pList->ModifyStyle(LVS_TYPEMASK, style);
    m_nViewMode = mode;
    m_nViewFlags = flags;
    UpdateCommandStates();
    m_pList->ModifyStyle(LVS_AUTOARRANGE, (flags & kFlagAutoArrange) ? LVS_AUTOARRANGE : 0);
    m_pList->SendMessage(LVM_ARRANGE, (flags & kFlagLineUp) ? LVA_SNAPTOGRID : LVA_DEFAULT);
}

// The status bar.

void CShellView::UpdateStatusText() {
    if (!m_pBrowser) return;
    CString text;
    if (IsListMode() && m_pList) {
        m_pList->GetStatusText(text);
    } else {
        text = "Errors.";
    }
    m_pBrowser->SendControlMsg(FCW_STATUS, SB_SIMPLE, 1, 0, nullptr);
    m_pBrowser->SendControlMsg(FCW_STATUS, SB_SETTEXTA, kStatusPart, reinterpret_cast<LPARAM>(static_cast<LPCSTR>(text)),
                               nullptr);
}

// Menus and toolbar.

void CShellView::MergeMenus() {
    RemoveMenus();
    if (!m_pBrowser) return;
    if (!m_sharedMenu.Attach(::CreateMenu())) return;
    OLEMENUGROUPWIDTHS widths{};
    m_pBrowser->InsertMenusSB(m_sharedMenu, &widths);
    HMENU fileMenu = GetSubMenuById(m_sharedMenu, FCIDM_MENU_FILE);

    CFolderItem* item = GetFolderItem();
    if (item && IsListMode()) {
        CMenu file;
        if (file.Attach(LoadViewMenu(IDR_VIEW_FILE))) {
            HMENU items = ::GetSubMenu(file, 0);
            if (IsActiveWithoutFocus()) {
                DeleteMenu(items, kCmdExplore, MF_BYCOMMAND);
                DeleteMenu(items, kCmdVerify, MF_BYCOMMAND);
            } else {
                const BOOL folderOfApps = item->IsKindOf(RUNTIME_CLASS(CGroupFolderItem));
                DeleteMenu(items, folderOfApps ? kCmdExplore : kCmdVerify, MF_BYCOMMAND);
            }
            const BOOL personalTree = item->IsKindOf(RUNTIME_CLASS(CAppTree)) && item->IsPersonal();
            if (!personalTree) DeleteMenu(items, kCmdNewPersonalFolder, MF_BYCOMMAND);
            if (fileMenu) CopyMenuItems(items, fileMenu);
        }
        const struct {
            UINT resource;
            UINT popup;
        } others[] = {{IDR_VIEW_EDIT, FCIDM_MENU_EDIT}, {IDR_VIEW_HELP, FCIDM_MENU_HELP}};
        for (const auto& other : others) {
            CMenu menu;
            HMENU target = GetSubMenuById(m_sharedMenu, other.popup);
            if (target && menu.Attach(LoadViewMenu(other.resource))) CopyMenuItems(::GetSubMenu(menu, 0), target);
        }
        HMENU viewMenu = GetSubMenuById(m_sharedMenu, FCIDM_MENU_VIEW);
        CMenu view;
        if (viewMenu && view.Attach(LoadViewMenu(IDR_VIEW_VIEW))) {
            const UINT toolBar = GetMenuState(viewMenu, kCmdToolBar, MF_BYCOMMAND);
            const UINT statusBar = GetMenuState(viewMenu, kCmdStatusBar, MF_BYCOMMAND);
            CopyMenuItems(::GetSubMenu(view, 0), viewMenu);
            auto checked = [](UINT state) { return state != static_cast<UINT>(-1) && (state & MF_CHECKED); };
            CheckMenuItem(viewMenu, kCmdToolBar, MF_BYCOMMAND | (checked(toolBar) ? MF_CHECKED : MF_UNCHECKED));
            CheckMenuItem(viewMenu, kCmdStatusBar, MF_BYCOMMAND | (checked(statusBar) ? MF_CHECKED : MF_UNCHECKED));
        }
    } else {
        CMenu problem;
        if (fileMenu && problem.Attach(LoadViewMenu(IDR_VIEW_PROBLEM_FILE))) CopyMenuItems(::GetSubMenu(problem, 0), fileMenu);
    }
    if (item) item->Release();

    m_pBrowser->SetMenuSB(m_sharedMenu, nullptr, nullptr);
    ApplyViewMode(m_nViewMode, m_nViewFlags);
    UpdateStatusText();
    UpdateCommandStates();
}

void CShellView::RemoveMenus() {
    if (!m_sharedMenu.m_hMenu) return;
    if (m_pBrowser) {
        m_pBrowser->SetMenuSB(nullptr, nullptr, nullptr);
        m_pBrowser->RemoveMenusSB(m_sharedMenu);
    }
    m_sharedMenu.DestroyMenu();
}

void CShellView::AddToolbarButtons() {
    if (!m_pBrowser) return;
    CShellExtApp* app = App();
    TBADDBITMAP bitmap{app ? app->GetResources() : AfxGetResourceHandle(), IDB_VIEW_TOOLBAR};
    LRESULT first = 0;
    m_pBrowser->SendControlMsg(FCW_TOOLBAR, TB_ADDBITMAP, kToolbarImages, reinterpret_cast<LPARAM>(&bitmap), &first);
    TBBUTTON buttons[sizeof(kToolbarButtons) / sizeof(kToolbarButtons[0])] = {};
    int count = 0;
    for (const ToolbarButton& entry : kToolbarButtons) {
        TBBUTTON& button = buttons[count++];
        if (entry.command < 0) {
            button.fsStyle = TBSTYLE_SEP;
        } else {
            button.iBitmap = static_cast<int>(first) + entry.image;
            button.idCommand = entry.command;
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = TBSTYLE_BUTTON;
        }
    }
    m_pBrowser->SetToolbarItems(buttons, static_cast<UINT>(count), FCT_MERGE);
}

void CShellView::UpdateCommandStates() {
    CFolderItem* folder = GetFolderItem();
    const DWORD folderAttributes = folder ? folder->GetAttributes() : 0;
    if (folder) folder->Release();
    const BOOL withoutFocus = IsActiveWithoutFocus();

    int selected = 0;
    DWORD firstAttributes = 0;
    BOOL installed = FALSE;
    if (IsListMode() && m_pList && m_pList->m_hWnd) {
        selected = static_cast<int>(m_pList->GetSelectedCount());
        int row = m_pList->GetNextItem(-1, LVNI_SELECTED);
        if (row >= 0) {
            if (CFolderItem* first = m_pList->GetRowItem(row)) {
                firstAttributes = first->GetAttributes();
                CShellExtApp* app = App();
                if (app && app->m_pLibrary) installed = app->m_pLibrary->IsInstalled(first->GetKey()) != 0;
                first->Release();
            }
        }
    }
    const BOOL hasSelection = withoutFocus || selected > 0;
    const BOOL canRename = withoutFocus ? (folderAttributes & SFGAO_CANRENAME) != 0
                                        : selected == 1 && (firstAttributes & SFGAO_CANRENAME) != 0;
    const BOOL canDelete =
        ((withoutFocus || selected == 0 ? folderAttributes : firstAttributes) & SFGAO_CANDELETE) != 0;
    const BOOL canPaste = (folderAttributes & SFGAO_DROPTARGET) && ClipboardHasIdLists();
    CAppCache* cache = Cache();
    const BOOL refreshAllowed = !cache || !(cache->GetConfigFlags() & CACHE_CONFIG_NO_USER_REFRESH);

    if (m_sharedMenu.m_hMenu) {
        HMENU menu = m_sharedMenu;
        auto enable = [menu](UINT id, BOOL on) { EnableMenuItem(menu, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); };
        for (UINT id : {kCmdCopy, kCmdOpen, kCmdExplore, kCmdCreateShortcut, kCmdProperties}) enable(id, hasSelection);
        enable(kCmdPaste, canPaste);
        enable(kCmdDelete, canDelete);
        enable(kCmdRename, canRename);
        enable(kCmdVerify, installed);
        enable(kCmdSelectAll, TRUE);
        enable(kCmdInvertSelection, TRUE);
        enable(kCmdCut, FALSE);
        enable(11, FALSE);
        enable(kCmdRefresh, refreshAllowed);
        CheckMenuItem(menu, kCmdAutoArrange, MF_BYCOMMAND | ((m_nViewFlags & kFlagAutoArrange) ? MF_CHECKED : MF_UNCHECKED));
        CheckMenuItem(menu, kCmdLineUpIcons, MF_BYCOMMAND | ((m_nViewFlags & kFlagLineUp) ? MF_CHECKED : MF_UNCHECKED));
        const UINT mode = m_nViewMode >= FVM_ICON && m_nViewMode <= FVM_DETAILS ? m_nViewMode : FVM_ICON;
        CheckRadioCommand(menu, kCmdLargeIcons, kCmdDetails, kCmdLargeIcons + mode - 1);
        if (m_pList) CheckRadioCommand(menu, kCmdSortByTitle, kCmdSortByName, kCmdSortByTitle + m_pList->GetSortColumn());
    }
    if (m_pBrowser) {
        auto button = [this](UINT id, BOOL on) {
            m_pBrowser->SendControlMsg(FCW_TOOLBAR, TB_ENABLEBUTTON, id, MAKELPARAM(on ? TRUE : FALSE, 0), nullptr);
        };
        button(kCmdCopy, hasSelection);
        button(kCmdPaste, canPaste);
        button(kCmdDelete, canDelete);
        button(kCmdOpen, hasSelection);
        button(kCmdCreateShortcut, hasSelection);
        button(kCmdProperties, hasSelection);
        button(kCmdCut, FALSE);
        button(11, FALSE);
        for (UINT id = kCmdLargeIcons; id <= kCmdDetails; ++id) {
            m_pBrowser->SendControlMsg(FCW_TOOLBAR, TB_CHECKBUTTON, id,
                                       MAKELPARAM(id == kCmdLargeIcons + m_nViewMode - 1 ? TRUE : FALSE, 0), nullptr);
        }
    }
}

// Commands.

BOOL CShellView::OnCommand(WPARAM wParam, LPARAM lParam) {
    // Notifications of the view's own controls take the default routing;
    // the browser's toolbar buttons are commands like the menu's.
    if (lParam != 0 && ::IsChild(m_hWnd, reinterpret_cast<HWND>(lParam))) return CWnd::OnCommand(wParam, lParam);
    const UINT id = LOWORD(wParam);
    switch (id) {
    case kCmdNewPersonalFolder: OnNewPersonalFolder(); return TRUE;
    case kCmdRename: OnRenameCommand(); return TRUE;
    case kCmdSelectAll:
    case kCmdInvertSelection:
    case kCmdSortByTitle:
    case kCmdSortByTree:
    case kCmdSortByName:
    case kCmdOptions:
        if (m_pList) m_pList->OnCommand(id);
        return TRUE;
    case kCmdLargeIcons:
    case kCmdSmallIcons:
    case kCmdList:
    case kCmdDetails: ApplyViewMode(id - kCmdLargeIcons + 1, m_nViewFlags); return TRUE;
    case kCmdAutoArrange: ApplyViewMode(m_nViewMode, m_nViewFlags ^ kFlagAutoArrange); return TRUE;
    case kCmdLineUpIcons: ApplyViewMode(m_nViewMode, m_nViewFlags ^ kFlagLineUp); return TRUE;
    case kCmdHelpContents:
        if (CShellExtApp* app = App()) app->WinHelp(0, HELP_CONTENTS);
        return TRUE;
    case kCmdHelpSearch:
        if (CShellExtApp* app = App()) app->WinHelp(reinterpret_cast<DWORD_PTR>(""), HELP_PARTIALKEY);
        return TRUE;
    case kCmdAbout:
        if (CShellExtApp* app = App()) app->ShowAbout(this);
        return TRUE;
    default: break;
    }
    if (IsListMode()) {
        BOOL done = FALSE;
        if (IsActiveWithoutFocus()) {
            if (CFolderItem* item = GetFolderItem()) {
                done = item->OnCommand(id, nullptr);
                item->Release();
            }
        } else if (m_pList) {
            done = m_pList->OnCommand(id);
        }
        if (done) return TRUE;
    }
    return CWnd::OnCommand(wParam, lParam);
}

void CShellView::OnRenameCommand() {
    if (!IsActiveWithoutFocus()) {
        if (m_pList) m_pList->OnCommand(kCmdRename);
        return;
    }
    // Active without focus the folder itself is the subject: its label in
    // the browser's tree pane opens for editing.
    HWND tree = nullptr;
    if (!m_pBrowser || FAILED(m_pBrowser->GetControlWindow(FCW_TREE, &tree)) || !tree) return;
    LPARAM caret = ::SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    if (caret) ::SendMessageA(tree, TVM_EDITLABELA, 0, caret);
}

void CShellView::OnNewPersonalFolder() {
    CShellExtApp* app = App();
    CAppCache* cache = Cache();
    if (!app || !app->m_pLibrary || !cache) return;
    CString name;
    if (!app->m_pLibrary->CreatePersonalFolderKey(name)) return;
    cache->Rebuild(0);
    // The new folder's key: the personal tree's name, a TAB, the folder's name.
    CString key = PersonalNodeKey() + name;
    CFolderItem* item = cache->GetItem(key, kNoContext);
    SHChangeNotify(SHCNE_UPDATEDIR, SHCNF_IDLIST | SHCNF_FLUSH, m_folderList.GetList(), nullptr);
    app->BroadcastRefill(TRUE);
    FillList();
    UpdateStatusText();
    UpdateWindow();
    if (item) {
        if (m_pList) {
            m_pList->SelectKey(item->GetKey());
            m_pList->OnCommand(kCmdRename);
        }
        item->Release();
    }
}
