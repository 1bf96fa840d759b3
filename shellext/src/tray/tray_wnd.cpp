#include "tray/tray_wnd.h"

#include <cstring>

#include "cache/app_cache.h"
#include "items/folder_item.h"
#include "module/shell_app_library.h"
#include "module/shell_ext_app.h"
#include "shellapi.h"
#include "tray/link_manager.h"

namespace {

constexpr DWORD kTrayMask = 0x20;      // System Tray association
constexpr DWORD kLauncherMask = 0x1;   // launcher window association
constexpr UINT kTipSize = 64;          // tip bytes, terminator included
constexpr UINT kSmallIconSize = 16;

UINT s_notifyMessage = 0;
UINT s_refillMessage = 0;

CAppCache* Cache() {
    CShellExtApp* app = GetShellExtApp();
    return app ? app->m_pCache : nullptr;
}

// The cache's item for the key (one reference the caller releases), or null.
CFolderItem* LookUp(const CString& key) {
    CAppCache* cache = Cache();
    return cache ? cache->GetItem(key, CACHE_NO_CONTEXT) : nullptr;
}

}  // namespace

BEGIN_MESSAGE_MAP(CTrayWnd, CWnd)
    ON_WM_CREATE()
    ON_WM_TIMER()
    ON_WM_CLOSE()
    ON_WM_NCDESTROY()
    ON_REGISTERED_MESSAGE(s_notifyMessage, OnTrayNotify)
    ON_REGISTERED_MESSAGE(s_refillMessage, OnRefill)
END_MESSAGE_MAP()

UINT CTrayWnd::GetNotifyMessage() { return s_notifyMessage; }

CTrayWnd::CTrayWnd() {
    if (!s_notifyMessage) s_notifyMessage = RegisterWindowMessageA("TrayNotifyMessage");
    s_refillMessage = RegisterWindowMessageA("RefillViewMessage");
    LPCSTR windowClass = AfxRegisterWndClass(CS_DBLCLKS | CS_PARENTDC);
    if (CreateEx(WS_EX_TOOLWINDOW, windowClass, kTrayWindowText, 0, 0, 0, 10, 10, nullptr, nullptr)) UpdateIcons();
}

CTrayWnd::~CTrayWnd() = default;

int CTrayWnd::OnCreate(LPCREATESTRUCTA) {
    m_nTimer = SetTimer(kTrayTimerId, kTrayTimerMs);
    return 0;
}

void CTrayWnd::OnNcDestroy() {
    RemoveIcons();
    if (m_nTimer) KillTimer(m_nTimer);
    m_nTimer = 0;
    CWnd::OnNcDestroy();
}

void CTrayWnd::PostNcDestroy() {
    // A window that went without the module's CloseTray (its thread ended)
    // is no longer the module's.
    CShellExtApp* app = GetShellExtApp();
    if (app && app->m_pTrayWnd == this) app->m_pTrayWnd = nullptr;
    delete this;
}

CTrayWnd::CBusy::CBusy(CTrayWnd* tray) : m_pTray(tray) { ++m_pTray->m_nBusy; }

CTrayWnd::CBusy::~CBusy() {
    if (--m_pTray->m_nBusy == 0 && m_pTray->m_bCloseAsked) m_pTray->PostMessage(WM_CLOSE);
}

void CTrayWnd::OnClose() {
    if (m_nBusy > 0) {
        m_bCloseAsked = TRUE;
        return;
    }
    // The module tears down the shortcut manager and this window together,
    // here on the window's own thread; a window the module no longer holds
    // just goes.
    CShellExtApp* app = GetShellExtApp();
    if (app && app->m_pTrayWnd == this)
        app->CloseTray();
    else
        DestroyWindow();
}

void CTrayWnd::BuildKeys(CStringArray& keys) {
    keys.RemoveAll();
    CAppCache* cache = Cache();
    if (!cache) return;
    CStringArray nodes, found;
    cache->CountFolders(kTrayMask, &nodes);
    for (int i = 0; i < nodes.GetSize(); ++i) cache->ListNodeApps(kTrayMask, nodes[i], &found);
    // An application reachable through several folders gets one icon.
    for (int i = 0; i < found.GetSize(); ++i) {
        BOOL seen = FALSE;
        for (int j = 0; j < keys.GetSize() && !seen; ++j) seen = keys[j] == found[i];
        if (!seen) keys.Add(found[i]);
    }
}

void CTrayWnd::UpdateIcons() {
    CStringArray keys;
    BuildKeys(keys);
    BOOL same = keys.GetSize() == m_keys.GetSize();
    for (int i = 0; i < keys.GetSize() && same; ++i) same = keys[i] == m_keys[i];
    if (same) {
        for (int i = 0; i < m_keys.GetSize(); ++i) NotifyIcon(NIM_MODIFY, i, NIF_ICON | NIF_TIP);
        return;
    }
    RemoveIcons();
    AddIcons(keys);
}

void CTrayWnd::AddIcons(const CStringArray& keys) {
    m_keys.Copy(keys);
    for (int i = 0; i < m_keys.GetSize(); ++i) NotifyIcon(NIM_ADD, i, NIF_MESSAGE | NIF_ICON | NIF_TIP);
}

void CTrayWnd::RemoveIcons() {
    for (int i = 0; i < m_keys.GetSize(); ++i) {
        NOTIFYICONDATAA data = {};
        data.cbSize = sizeof data;
        data.hWnd = m_hWnd;
        data.uID = static_cast<UINT>(i);
        Shell_NotifyIconA(NIM_DELETE, &data);
    }
    m_keys.RemoveAll();
}

void CTrayWnd::NotifyIcon(DWORD message, int index, UINT flags) {
    CFolderItem* item = LookUp(m_keys[index]);
    if (!item) return;
    NOTIFYICONDATAA data = {};
    data.cbSize = sizeof data;
    data.hWnd = m_hWnd;
    data.uID = static_cast<UINT>(index);
    data.uFlags = flags;
    data.uCallbackMessage = s_notifyMessage;
    IExtractIconA* extract = nullptr;
    if (SUCCEEDED(item->QueryInterface(IID_IExtractIconA, reinterpret_cast<void**>(&extract))) && extract) {
        extract->Extract("", 0, nullptr, &data.hIcon, MAKELONG(0, kSmallIconSize));
        extract->Release();
    }
    // The tip holds at most 63 bytes and its terminator, cut before a
    // character that does not fit whole.
    item->GetDisplayName(0, data.szTip, kTipSize);
    Shell_NotifyIconA(message, &data);
    if (data.hIcon) DestroyIcon(data.hIcon);
    item->Release();
}

void CTrayWnd::RequestCheck() { PostCheck(m_hWnd); }

void CTrayWnd::PostCheck(HWND tray) {
    if (tray && ::IsWindow(tray)) PostMessageA(tray, WM_TIMER, kTrayTimerId, 0);
}

void CTrayWnd::OnTimer(UINT_PTR id) {
    if (id != kTrayTimerId) return;
    CBusy busy(this);
    CShellExtApp* app = GetShellExtApp();
    CAppCache* cache = Cache();
    if (cache && cache->CheckSchedules() && app) app->BroadcastRefill(FALSE);
}

LRESULT CTrayWnd::OnTrayNotify(WPARAM id, LPARAM mouse) {
    if (id >= static_cast<WPARAM>(m_keys.GetSize())) return 0;
    m_strMenuKey = m_keys[static_cast<int>(id)];
    CBusy busy(this);
    if (mouse == WM_LBUTTONDOWN) {
        if (CFolderItem* item = LookUp(m_strMenuKey)) {
            item->Open(kOpenShow);
            item->Release();
        }
    } else if (mouse == WM_RBUTTONDOWN) {
        ShowMenu();
    }
    return 0;
}

void CTrayWnd::ShowMenu() {
    CFolderItem* item = LookUp(m_strMenuKey);
    if (!item) return;
    item->Release();
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    CString text;
    GetItemCommandText(kCmdOpen, FALSE, text);
    AppendMenuA(menu, MF_STRING, kCmdOpen, text);
    SetMenuDefaultItem(menu, kCmdOpen, FALSE);
    CShellExtApp* app = GetShellExtApp();
    if (app && app->m_pLibrary && app->m_pLibrary->IsInstalled(m_strMenuKey)) {
        GetItemCommandText(kCmdVerify, FALSE, text);
        AppendMenuA(menu, MF_STRING, kCmdVerify, text);
    }
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    GetItemCommandText(kCmdProperties, FALSE, text);
    AppendMenuA(menu, MF_STRING, kCmdProperties, text);
    // The menu opens under the pointer that clicked the icon.
    POINT at = {0, 0};
    GetCursorPos(&at);
    TrackPopupMenu(menu, TPM_CENTERALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, m_hWnd, nullptr);
    DestroyMenu(menu);
    PostMessage(WM_USER);
}

BOOL CTrayWnd::OnCommand(WPARAM wParam, LPARAM) {
    CBusy busy(this);
    CFolderItem* item = LookUp(m_strMenuKey);
    if (!item) return TRUE;
    item->OnCommand(LOWORD(wParam), m_hWnd);
    item->Release();
    return TRUE;
}

LRESULT CTrayWnd::OnRefill(WPARAM, LPARAM) {
    CBusy busy(this);
    NotifyViews();
    UpdateIcons();
    CShellExtApp* app = GetShellExtApp();
    if (app && app->m_pLinkManager) app->m_pLinkManager->UpdateLinks();
    return 0;
}

void CTrayWnd::NotifyViews() {
    CShellExtApp* app = GetShellExtApp();
    if (!app) return;
    app->NotifyAll(SHCNE_UPDATEDIR, nullptr);
    CAppCache* cache = Cache();
    if (!cache) return;
    CStringArray nodes;
    cache->CountFolders(kLauncherMask, &nodes);
    for (int i = 0; i < nodes.GetSize(); ++i) {
        CFolderItem* item = LookUp(nodes[i]);
        if (!item) continue;
        app->NotifyAll(SHCNE_UPDATEDIR, item->GetOwnIdList());
        item->Release();
    }
}
