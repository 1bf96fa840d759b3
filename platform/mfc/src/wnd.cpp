// Window objects: handle maps, subclassing, creation and message dispatch.
#include "vpr/mfc/wnd.h"

#include <vector>

#include "handle_map.h"
#include "vpr/mfc/dc.h"
#include "vpr/mfc/menu.h"

namespace {

vpr::mfc::PermanentMap<CWnd, HWND>& Permanent() {
    static auto* map = new vpr::mfc::PermanentMap<CWnd, HWND>;  // outlives module destructors
    return *map;
}

thread_local vpr::mfc::TemporaryMap<CWnd, HWND> temporaries;

// The object whose window the thread is creating with a class of ours; the
// window binds it at its first message.
thread_local CWnd* pendingCreate = nullptr;

// The message the thread's innermost window procedure is handling, for Default.
struct CurrentMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};
thread_local CurrentMessage currentMessage;

const char kDefaultClass[] = "VprAfxWnd";

bool UsesAfxWndProc(HINSTANCE instance, LPCSTR className) {
    WNDCLASSA wc{};
    if (!GetClassInfoA(instance, className, &wc) && !GetClassInfoA(nullptr, className, &wc)) return false;
    return wc.lpfnWndProc == AfxWndProc;
}

}  // namespace

// --- CCmdTarget -------------------------------------------------------------

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap() {
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

const AFX_MSGMAP_ENTRY* CCmdTarget::FindEntry(UINT message, UINT code, UINT id) const {
    for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->pfn; ++e) {
            UINT entryMessage = e->pRegisteredMessage ? *e->pRegisteredMessage : e->nMessage;
            if (entryMessage != message || e->nCode != code) continue;
            if ((e->nID == 0 && e->nLastID == 0) || (id >= e->nID && id <= e->nLastID)) return e;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode) {
    const AFX_MSGMAP_ENTRY* entry = FindEntry(WM_COMMAND, static_cast<UINT>(nCode), nID);
    if (!entry || nID == 0) return FALSE;
    LRESULT ignored = 0;
    entry->pfn(this, MAKEWPARAM(nID, nCode), 0, &ignored);
    return TRUE;
}

// --- CWnd: maps, binding ---------------------------------------------------------

IMPLEMENT_DYNAMIC(CWnd, CCmdTarget)

CWnd::CWnd() : m_pModuleState(AfxGetModuleState()) {}

CWnd::~CWnd() {
    if (!m_hWnd || FromHandlePermanent(m_hWnd) != this) return;
    // Unbind first, so that the window's last messages never reach an object
    // that is half destroyed; a window the object made goes with it, a window
    // of someone else stays with its previous procedure.
    HWND hwnd = created_ ? Detach() : UnsubclassWindow();
    if (created_ && hwnd) {
        if (GetWindowLongPtrA(hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(AfxWndProc))
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper ? m_pfnSuper : DefWindowProcA));
        ::DestroyWindow(hwnd);
    }
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) { return hWnd ? Permanent().Find(hWnd) : nullptr; }

CWnd* CWnd::FromHandle(HWND hWnd) {
    if (!hWnd) return nullptr;
    if (CWnd* bound = FromHandlePermanent(hWnd)) return bound;
    return temporaries.Get(
        hWnd, [](HWND h) { return ::IsWindow(h) != FALSE; },
        [](HWND h) {
            auto wrapper = std::make_unique<CWnd>();
            wrapper->m_hWnd = h;
            return wrapper;
        });
}

BOOL CWnd::Attach(HWND hWnd) {
    if (!hWnd || m_hWnd || !::IsWindow(hWnd)) return FALSE;
    if (!Permanent().Add(hWnd, this)) return FALSE;
    m_hWnd = hWnd;
    return TRUE;
}

HWND CWnd::Detach() {
    HWND hwnd = m_hWnd;
    if (hwnd) Permanent().Remove(hwnd, this);
    m_hWnd = nullptr;
    return hwnd;
}

BOOL CWnd::SubclassWindow(HWND hWnd) {
    if (!Attach(hWnd)) return FALSE;
    auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc)));
    // A window that already ran our procedure keeps the one it falls back to.
    if (previous != AfxWndProc) m_pfnSuper = previous;
    return TRUE;
}

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
    if (!pParent) return FALSE;
    HWND item = ::GetDlgItem(pParent->m_hWnd, static_cast<int>(nID));
    return item ? SubclassWindow(item) : FALSE;
}

HWND CWnd::UnsubclassWindow() {
    if (!m_hWnd) return nullptr;
    if (m_pfnSuper) SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    return Detach();
}

// --- CWnd: creation --------------------------------------------------------------

LPCSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon) {
    // One class per combination; the name says which.
    static std::mutex mutex;
    static std::vector<CString>* names = new std::vector<CString>;
    CString name;
    name.Format("VprAfx:%x:%p:%p:%p", nClassStyle, static_cast<void*>(hCursor), static_cast<void*>(hbrBackground),
                static_cast<void*>(hIcon));
    std::lock_guard<std::mutex> lock(mutex);
    for (const CString& known : *names)
        if (known == name) return known;
    WNDCLASSA wc{};
    wc.style = nClassStyle | CS_GLOBALCLASS;
    wc.lpfnWndProc = AfxWndProc;
    wc.hCursor = hCursor;
    wc.hbrBackground = hbrBackground;
    wc.hIcon = hIcon;
    wc.lpszClassName = name;
    if (!RegisterClassA(&wc)) return nullptr;
    names->push_back(name);
    return names->back();
}

BOOL CWnd::Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd,
                  UINT nID, LPVOID lpParam) {
    return CreateEx(0, lpszClassName, lpszWindowName, dwStyle | WS_CHILD, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, pParentWnd ? pParentWnd->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nID)), lpParam);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam) {
    if (m_hWnd) return FALSE;
    if (!lpszClassName || !*lpszClassName) {
        static LPCSTR defaultClass = [] {
            WNDCLASSA wc{};
            wc.style = CS_GLOBALCLASS | CS_DBLCLKS;
            wc.lpfnWndProc = AfxWndProc;
            wc.lpszClassName = kDefaultClass;
            RegisterClassA(&wc);
            return kDefaultClass;
        }();
        lpszClassName = defaultClass;
    }
    HINSTANCE instance = m_pModuleState->m_hCurrentInstanceHandle;
    bool ours = UsesAfxWndProc(instance, lpszClassName);
    CWnd* outer = pendingCreate;
    if (ours) pendingCreate = this;
    HWND hwnd = ::CreateWindowExA(dwExStyle, lpszClassName, lpszWindowName, dwStyle, x, y, nWidth, nHeight,
                                  hWndParent, nIDorHMenu, instance, lpParam);
    pendingCreate = outer;
    if (!hwnd) {
        if (ours && m_hWnd) Detach();  // bound, then refused by its WM_NCCREATE or WM_CREATE
        return FALSE;
    }
    if (!ours && !SubclassWindow(hwnd)) {
        ::DestroyWindow(hwnd);
        return FALSE;
    }
    created_ = true;
    return TRUE;
}

BOOL CWnd::DestroyWindow() { return m_hWnd ? ::DestroyWindow(m_hWnd) : FALSE; }

// --- CWnd: the message path --------------------------------------------------------

LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
    if (!wnd && pendingCreate && !pendingCreate->m_hWnd) {
        wnd = pendingCreate;
        pendingCreate = nullptr;
        wnd->Attach(hWnd);
    }
    if (!wnd) return DefWindowProcA(hWnd, message, wParam, lParam);

    AFX_MANAGE_STATE(wnd->m_pModuleState);
    CurrentMessage outer = currentMessage;
    currentMessage = {message, wParam, lParam};
    LRESULT result = wnd->WindowProc(message, wParam, lParam);
    currentMessage = outer;
    if (message == WM_NCDESTROY && CWnd::FromHandlePermanent(hWnd) == wnd) {
        // The window is gone: unbind the object and let it clean up.
        wnd->m_pfnSuper = nullptr;
        wnd->Detach();
        wnd->PostNcDestroy();
    }
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper) return CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    return DefWindowProc(currentMessage.message, currentMessage.wParam, currentMessage.lParam);
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    if (message == WM_COMMAND) {
        if (!OnCommand(wParam, lParam)) return FALSE;
        *pResult = 0;
        return TRUE;
    }
    if (message == WM_NOTIFY) {
        LRESULT result = 0;
        if (!OnNotify(wParam, lParam, &result)) return FALSE;
        *pResult = result;
        return TRUE;
    }
    const AFX_MSGMAP_ENTRY* entry = FindEntry(message, 0, 0);
    if (!entry) return FALSE;
    LRESULT result = 0;
    entry->pfn(this, wParam, lParam, &result);
    *pResult = result;
    return TRUE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    LRESULT ignored = 0;
    if (ReflectToChild(reinterpret_cast<HWND>(lParam), WM_COMMAND, wParam, lParam, &ignored)) return TRUE;
    return OnCmdMsg(LOWORD(wParam), HIWORD(wParam));
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (!header) return FALSE;
    if (ReflectToChild(header->hwndFrom, WM_NOTIFY, header->idFrom, lParam, pResult)) return TRUE;
    const AFX_MSGMAP_ENTRY* entry = FindEntry(WM_NOTIFY, header->code, static_cast<UINT>(header->idFrom));
    if (!entry) return FALSE;
    *pResult = 0;
    entry->pfn(this, header->idFrom, lParam, pResult);
    return TRUE;
}

BOOL CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    return ReflectChildNotify(message, wParam, lParam, pResult);
}

BOOL CWnd::ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    UINT code = 0;
    if (message == WM_COMMAND) code = HIWORD(wParam);
    else if (message == WM_NOTIFY) code = reinterpret_cast<NMHDR*>(lParam)->code;
    const AFX_MSGMAP_ENTRY* entry = FindEntry(WM_REFLECT_BASE + message, code, 0);
    if (!entry) return FALSE;
    LRESULT result = 0;
    entry->pfn(this, wParam, lParam, &result);
    if (pResult) *pResult = result;
    return TRUE;
}

BOOL CWnd::ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    // Only a control of this window has its notifications reflected.
    if (!child || ::GetParent(child) != m_hWnd) return FALSE;
    CWnd* object = FromHandlePermanent(child);
    return object && object->OnChildNotify(message, wParam, lParam, pResult);
}

void CWnd::PostNcDestroy() {}

// --- CWnd: default handlers --------------------------------------------------------

BEGIN_MESSAGE_MAP(CWnd, CCmdTarget)
ON_WM_DRAWITEM()
ON_WM_MEASUREITEM()
ON_WM_COMPAREITEM()
ON_WM_DELETEITEM()
END_MESSAGE_MAP()

int CWnd::OnCreate(LPCREATESTRUCTA) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnNcDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
int CWnd::OnMouseActivate(CWnd*, UINT, UINT) { return static_cast<int>(Default()); }
UINT CWnd::OnGetDlgCode() { return static_cast<UINT>(Default()); }
void CWnd::OnInitMenuPopup(CMenu*, UINT, BOOL) { Default(); }
void CWnd::OnHScroll(UINT, UINT, CScrollBar*) { Default(); }
void CWnd::OnVScroll(UINT, UINT, CScrollBar*) { Default(); }

void CWnd::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct) {
    LRESULT result = 0;
    if (lpDrawItemStruct->CtlType != ODT_MENU &&
        ReflectToChild(lpDrawItemStruct->hwndItem, WM_DRAWITEM, static_cast<WPARAM>(nIDCtl),
                       reinterpret_cast<LPARAM>(lpDrawItemStruct), &result))
        return;
    Default();
}

void CWnd::OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct) {
    LRESULT result = 0;
    if (lpMeasureItemStruct->CtlType != ODT_MENU &&
        ReflectToChild(::GetDlgItem(m_hWnd, nIDCtl), WM_MEASUREITEM, static_cast<WPARAM>(nIDCtl),
                       reinterpret_cast<LPARAM>(lpMeasureItemStruct), &result))
        return;
    Default();
}

int CWnd::OnCompareItem(int nIDCtl, LPCOMPAREITEMSTRUCT lpCompareItemStruct) {
    LRESULT result = 0;
    if (ReflectToChild(lpCompareItemStruct->hwndItem, WM_COMPAREITEM, static_cast<WPARAM>(nIDCtl),
                       reinterpret_cast<LPARAM>(lpCompareItemStruct), &result))
        return static_cast<int>(result);
    return static_cast<int>(Default());
}

void CWnd::OnDeleteItem(int nIDCtl, LPDELETEITEMSTRUCT lpDeleteItemStruct) {
    LRESULT result = 0;
    if (ReflectToChild(lpDeleteItemStruct->hwndItem, WM_DELETEITEM, static_cast<WPARAM>(nIDCtl),
                       reinterpret_cast<LPARAM>(lpDeleteItemStruct), &result))
        return;
    Default();
}

// --- CWnd: wrappers ---------------------------------------------------------------

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}
BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}
LRESULT CWnd::SendDlgItemMessage(int nID, UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendDlgItemMessageA(m_hWnd, nID, message, wParam, lParam);
}
CWnd* CWnd::GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
CWnd* CWnd::GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
void CWnd::SetWindowText(LPCSTR lpszString) { ::SetWindowTextA(m_hWnd, lpszString); }
int CWnd::GetWindowText(LPSTR lpszString, int nMaxCount) const {
    return ::GetWindowTextA(m_hWnd, lpszString, nMaxCount);
}
void CWnd::GetWindowText(CString& rString) const {
    int length = ::GetWindowTextLengthA(m_hWnd);
    ::GetWindowTextA(m_hWnd, rString.GetBufferSetLength(length), length + 1);
    rString.ReleaseBuffer();
}
int CWnd::GetWindowTextLength() const { return ::GetWindowTextLengthA(m_hWnd); }
void CWnd::SetDlgItemText(int nID, LPCSTR lpszString) { ::SetDlgItemTextA(m_hWnd, nID, lpszString); }
int CWnd::GetDlgItemText(int nID, CString& rString) const {
    HWND item = ::GetDlgItem(m_hWnd, nID);
    rString.Empty();
    if (!item) return 0;
    FromHandle(item)->GetWindowText(rString);
    return rString.GetLength();
}
void CWnd::SetDlgItemInt(int nID, UINT nValue, BOOL bSigned) { ::SetDlgItemInt(m_hWnd, nID, nValue, bSigned); }
UINT CWnd::GetDlgItemInt(int nID, BOOL* lpTrans, BOOL bSigned) const {
    return ::GetDlgItemInt(m_hWnd, nID, lpTrans, bSigned);
}
void CWnd::CheckDlgButton(int nIDButton, UINT nCheck) { ::CheckDlgButton(m_hWnd, nIDButton, nCheck); }
UINT CWnd::IsDlgButtonChecked(int nIDButton) const { return ::IsDlgButtonChecked(m_hWnd, nIDButton); }
void CWnd::CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton) {
    ::CheckRadioButton(m_hWnd, nIDFirstButton, nIDLastButton, nIDCheckButton);
}
BOOL CWnd::EnableWindow(BOOL bEnable) { return ::EnableWindow(m_hWnd, bEnable); }
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
void CWnd::Invalidate(BOOL bErase) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase) { ::InvalidateRect(m_hWnd, lpRect, bErase); }
void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }
CWnd* CWnd::SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
CWnd* CWnd::GetFocus() { return FromHandle(::GetFocus()); }
DWORD CWnd::GetStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_STYLE)); }
DWORD CWnd::GetExStyle() const { return static_cast<DWORD>(::GetWindowLongA(m_hWnd, GWL_EXSTYLE)); }
BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags) {
    DWORD style = GetStyle();
    DWORD changed = (style & ~dwRemove) | dwAdd;
    if (changed == style) return FALSE;
    ::SetWindowLongA(m_hWnd, GWL_STYLE, static_cast<LONG_PTR>(changed));
    if (nFlags) ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | nFlags);
    return TRUE;
}
void CWnd::GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
void CWnd::GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
    ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint);
}
void CWnd::MoveWindow(LPCRECT lpRect, BOOL bRepaint) {
    MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, bRepaint);
}
BOOL CWnd::SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags) {
    return ::SetWindowPos(m_hWnd, pWndInsertAfter ? pWndInsertAfter->m_hWnd : nullptr, x, y, cx, cy, nFlags);
}
void CWnd::ScreenToClient(LPPOINT lpPoint) const { ::ScreenToClient(m_hWnd, lpPoint); }
void CWnd::ScreenToClient(LPRECT lpRect) const {
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(&lpRect->left));
    ::ScreenToClient(m_hWnd, reinterpret_cast<LPPOINT>(&lpRect->right));
}
void CWnd::ClientToScreen(LPPOINT lpPoint) const { ::ClientToScreen(m_hWnd, lpPoint); }
void CWnd::ClientToScreen(LPRECT lpRect) const {
    ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(&lpRect->left));
    ::ClientToScreen(m_hWnd, reinterpret_cast<LPPOINT>(&lpRect->right));
}
void CWnd::CenterWindow(CWnd* pAlternateOwner) {
    ::CenterWindow(m_hWnd, pAlternateOwner ? pAlternateOwner->m_hWnd : nullptr);
}
void CWnd::SetFont(HFONT hFont, BOOL bRedraw) {
    ::SendMessageA(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(hFont), bRedraw);
}
HFONT CWnd::GetFont() const { return reinterpret_cast<HFONT>(::SendMessageA(m_hWnd, WM_GETFONT, 0, 0)); }
BOOL CWnd::IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }
int CWnd::MessageBox(LPCSTR lpszText, LPCSTR lpszCaption, UINT nType) {
    CString caption = lpszCaption ? CString(lpszCaption) : AfxGetAppName();
    return ::MessageBoxA(m_hWnd, lpszText, caption, nType);
}
void CWnd::WinHelp(DWORD_PTR dwData, UINT nCmd) {
    if (CWinApp* app = AfxGetApp()) app->WinHelp(dwData, nCmd);
}
