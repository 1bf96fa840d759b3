// CCmdTarget, message maps and CWnd: window objects over the window system.
//
// Handle maps. A window object bound to a window (by Create, Attach or
// SubclassWindow) is in the process's permanent map: FromHandlePermanent
// finds it. FromHandle answers a window without such an object with a
// temporary object of the calling thread, which lives until its window is
// gone and the thread asks for another, or until the thread ends.
//
// Message maps. A class lists the messages it handles between
// BEGIN_MESSAGE_MAP and END_MESSAGE_MAP; a message with no entry in the
// class or its bases goes to Default, that is to the procedure the window
// had before the object subclassed it (or to DefWindowProc). Dispatch, in
// order: WindowProc -> OnWndMsg -> for WM_COMMAND OnCommand, for WM_NOTIFY
// OnNotify, else the map entry of the message. A control's WM_COMMAND and
// WM_NOTIFY go first to the control's own object (OnChildNotify, which finds
// its ON_CONTROL_REFLECT and ON_NOTIFY_REFLECT entries) and reach the
// parent's map only when the control does not handle them. WM_DRAWITEM,
// WM_MEASUREITEM, WM_COMPAREITEM and WM_DELETEITEM that the parent's own map
// does not handle are reflected the same way (CListBox::DrawItem and the
// like).
//
// Creation. Create and CreateEx with the library's own window class (no class
// name, or one from AfxRegisterWndClass) bind the object before the window's
// first message, so OnCreate runs; with any other class (the controls) the
// object subclasses the window right after it is made.
//
// Module states. An object remembers the module state that was current when
// it was constructed and selects it whenever its window procedure runs.
#pragma once

#include "vpr/mfc/geometry.h"
#include "vpr/mfc/string.h"
#include "vpr/mfc/win_app.h"

class CCmdTarget;
class CWnd;
class CDC;
class CMenu;
class CScrollBar;

// Messages reflected from a parent to its control carry this offset.
#define WM_REFLECT_BASE 0xBC00

namespace vpr::mfc {
// Runs the handler an entry names with the message's parameters unpacked,
// storing the message's answer in *result.
using MessageThunk = void (*)(CCmdTarget* target, WPARAM wParam, LPARAM lParam, LRESULT* result);
}  // namespace vpr::mfc

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // the message; WM_REFLECT_BASE + message for a reflected one
    UINT nCode;     // control notification code (WM_COMMAND, WM_NOTIFY)
    UINT nID;       // first and last control id; 0 and 0 match any
    UINT nLastID;
    vpr::mfc::MessageThunk pfn;
    const UINT* pRegisteredMessage;  // ON_REGISTERED_MESSAGE: read at dispatch
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                              \
protected:                                                 \
    static const AFX_MSGMAP* GetThisMessageMap();          \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                               \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }       \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                        \
        using ThisClass = theClass;                                                          \
        using TheBaseClass = baseClass;                                                      \
        static const AFX_MSGMAP_ENTRY entries[] = {

#define END_MESSAGE_MAP()                                                            \
    {0, 0, 0, 0, nullptr, nullptr}};                                                 \
    static const AFX_MSGMAP map = {&TheBaseClass::GetThisMessageMap, &entries[0]}; \
    return &map;                                                                     \
    }

#define VPR_MAP_ENTRY(message, code, id, lastId, body) \
    {message, code, id, lastId,                        \
     [](CCmdTarget* target_, WPARAM wParam_, LPARAM lParam_, LRESULT* result_) { \
         auto* self_ = static_cast<ThisClass*>(target_);                         \
         (void)self_; (void)wParam_; (void)lParam_; (void)result_;               \
         body;                                                                   \
     },                                                                          \
     nullptr},

// Commands and control notifications.
#define ON_COMMAND(id, memberFxn) VPR_MAP_ENTRY(WM_COMMAND, 0, id, id, self_->memberFxn())
#define ON_COMMAND_RANGE(id, lastId, memberFxn) \
    VPR_MAP_ENTRY(WM_COMMAND, 0, id, lastId, self_->memberFxn(LOWORD(wParam_)))
#define ON_CONTROL(code, id, memberFxn) VPR_MAP_ENTRY(WM_COMMAND, code, id, id, self_->memberFxn())
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_EN_KILLFOCUS(id, memberFxn) ON_CONTROL(EN_KILLFOCUS, id, memberFxn)
#define ON_EN_SETFOCUS(id, memberFxn) ON_CONTROL(EN_SETFOCUS, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_EDITCHANGE(id, memberFxn) ON_CONTROL(CBN_EDITCHANGE, id, memberFxn)
#define ON_NOTIFY(code, id, memberFxn) \
    VPR_MAP_ENTRY(WM_NOTIFY, code, id, id, self_->memberFxn(reinterpret_cast<NMHDR*>(lParam_), result_))
#define ON_NOTIFY_RANGE(code, id, lastId, memberFxn)                                            \
    VPR_MAP_ENTRY(WM_NOTIFY, code, id, lastId,                                                  \
                  self_->memberFxn(static_cast<UINT>(reinterpret_cast<NMHDR*>(lParam_)->idFrom), \
                                   reinterpret_cast<NMHDR*>(lParam_), result_))
// What a control handles of its own notifications.
#define ON_NOTIFY_REFLECT(code, memberFxn) \
    VPR_MAP_ENTRY(WM_REFLECT_BASE + WM_NOTIFY, code, 0, 0, self_->memberFxn(reinterpret_cast<NMHDR*>(lParam_), result_))
#define ON_CONTROL_REFLECT(code, memberFxn) \
    VPR_MAP_ENTRY(WM_REFLECT_BASE + WM_COMMAND, code, 0, 0, self_->memberFxn())

// Any message, handled as (wParam, lParam) -> result.
#define ON_MESSAGE(message, memberFxn) VPR_MAP_ENTRY(message, 0, 0, 0, *result_ = self_->memberFxn(wParam_, lParam_))
#define ON_REGISTERED_MESSAGE(messageVariable, memberFxn)                                   \
    {0, 0, 0, 0,                                                                            \
     [](CCmdTarget* target_, WPARAM wParam_, LPARAM lParam_, LRESULT* result_) {            \
         *result_ = static_cast<ThisClass*>(target_)->memberFxn(wParam_, lParam_);          \
     },                                                                                     \
     &(messageVariable)},

// Window messages, each unpacked for its handler.
#define ON_WM_CREATE() \
    VPR_MAP_ENTRY(WM_CREATE, 0, 0, 0, *result_ = self_->OnCreate(reinterpret_cast<LPCREATESTRUCTA>(lParam_)))
#define ON_WM_DESTROY() VPR_MAP_ENTRY(WM_DESTROY, 0, 0, 0, self_->OnDestroy())
#define ON_WM_NCDESTROY() VPR_MAP_ENTRY(WM_NCDESTROY, 0, 0, 0, self_->OnNcDestroy())
#define ON_WM_CLOSE() VPR_MAP_ENTRY(WM_CLOSE, 0, 0, 0, self_->OnClose())
#define ON_WM_PAINT() VPR_MAP_ENTRY(WM_PAINT, 0, 0, 0, self_->OnPaint())
#define ON_WM_ERASEBKGND() \
    VPR_MAP_ENTRY(WM_ERASEBKGND, 0, 0, 0, *result_ = self_->OnEraseBkgnd(CDC::FromHandle(reinterpret_cast<HDC>(wParam_))))
#define ON_WM_SIZE() \
    VPR_MAP_ENTRY(WM_SIZE, 0, 0, 0, self_->OnSize(static_cast<UINT>(wParam_), LOWORD(lParam_), HIWORD(lParam_)))
#define ON_WM_TIMER() VPR_MAP_ENTRY(WM_TIMER, 0, 0, 0, self_->OnTimer(static_cast<UINT_PTR>(wParam_)))
#define ON_WM_SETFOCUS() \
    VPR_MAP_ENTRY(WM_SETFOCUS, 0, 0, 0, self_->OnSetFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam_))))
#define ON_WM_KILLFOCUS() \
    VPR_MAP_ENTRY(WM_KILLFOCUS, 0, 0, 0, self_->OnKillFocus(CWnd::FromHandle(reinterpret_cast<HWND>(wParam_))))
#define VPR_MOUSE_ENTRY(message, fxn) \
    VPR_MAP_ENTRY(message, 0, 0, 0, self_->fxn(static_cast<UINT>(wParam_), CPoint(lParam_)))
#define ON_WM_MOUSEMOVE() VPR_MOUSE_ENTRY(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_LBUTTONDOWN() VPR_MOUSE_ENTRY(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_LBUTTONUP() VPR_MOUSE_ENTRY(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() VPR_MOUSE_ENTRY(WM_LBUTTONDBLCLK, OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() VPR_MOUSE_ENTRY(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_RBUTTONUP() VPR_MOUSE_ENTRY(WM_RBUTTONUP, OnRButtonUp)
#define VPR_KEY_ENTRY(message, fxn)                                                                       \
    VPR_MAP_ENTRY(message, 0, 0, 0,                                                                       \
                  self_->fxn(static_cast<UINT>(wParam_), LOWORD(lParam_), HIWORD(lParam_)))
#define ON_WM_KEYDOWN() VPR_KEY_ENTRY(WM_KEYDOWN, OnKeyDown)
#define ON_WM_KEYUP() VPR_KEY_ENTRY(WM_KEYUP, OnKeyUp)
#define ON_WM_CHAR() VPR_KEY_ENTRY(WM_CHAR, OnChar)
#define ON_WM_MOUSEACTIVATE()                                                                       \
    VPR_MAP_ENTRY(WM_MOUSEACTIVATE, 0, 0, 0,                                                        \
                  *result_ = self_->OnMouseActivate(CWnd::FromHandle(reinterpret_cast<HWND>(wParam_)), \
                                                    LOWORD(lParam_), HIWORD(lParam_)))
#define ON_WM_GETDLGCODE() VPR_MAP_ENTRY(WM_GETDLGCODE, 0, 0, 0, *result_ = self_->OnGetDlgCode())
#define ON_WM_INITMENUPOPUP()                                                                       \
    VPR_MAP_ENTRY(WM_INITMENUPOPUP, 0, 0, 0,                                                        \
                  self_->OnInitMenuPopup(CMenu::FromHandle(reinterpret_cast<HMENU>(wParam_)),       \
                                         LOWORD(lParam_), HIWORD(lParam_)))
// The handler's pScrollBar is the object of the control that scrolled,
// whatever its class (a CSliderCtrl for a trackbar): compare it with a
// member's address or cast it back to the control's own class.
#define VPR_SCROLL_ENTRY(message, fxn)                                                                \
    VPR_MAP_ENTRY(message, 0, 0, 0,                                                                   \
                  self_->fxn(LOWORD(wParam_), static_cast<short>(HIWORD(wParam_)),                    \
                             reinterpret_cast<CScrollBar*>(CWnd::FromHandle(reinterpret_cast<HWND>(lParam_)))))
#define ON_WM_HSCROLL() VPR_SCROLL_ENTRY(WM_HSCROLL, OnHScroll)
#define ON_WM_VSCROLL() VPR_SCROLL_ENTRY(WM_VSCROLL, OnVScroll)
#define ON_WM_DRAWITEM()                                                                               \
    VPR_MAP_ENTRY(WM_DRAWITEM, 0, 0, 0,                                                                \
                  (self_->OnDrawItem(static_cast<int>(wParam_), reinterpret_cast<LPDRAWITEMSTRUCT>(lParam_)), \
                   *result_ = TRUE))
#define ON_WM_MEASUREITEM()                                                                                  \
    VPR_MAP_ENTRY(WM_MEASUREITEM, 0, 0, 0,                                                                   \
                  (self_->OnMeasureItem(static_cast<int>(wParam_), reinterpret_cast<LPMEASUREITEMSTRUCT>(lParam_)), \
                   *result_ = TRUE))
#define ON_WM_COMPAREITEM()                                                                                  \
    VPR_MAP_ENTRY(WM_COMPAREITEM, 0, 0, 0,                                                                   \
                  *result_ = self_->OnCompareItem(static_cast<int>(wParam_),                                \
                                                  reinterpret_cast<LPCOMPAREITEMSTRUCT>(lParam_)))
#define ON_WM_DELETEITEM()                                                                                   \
    VPR_MAP_ENTRY(WM_DELETEITEM, 0, 0, 0,                                                                    \
                  (self_->OnDeleteItem(static_cast<int>(wParam_), reinterpret_cast<LPDELETEITEMSTRUCT>(lParam_)), \
                   *result_ = TRUE))

// Message handlers are ordinary member functions.
#define afx_msg

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
public:
    // Runs the map entry of a command or control notification; FALSE when
    // no class of the object handles it.
    virtual BOOL OnCmdMsg(UINT nID, int nCode);

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
    // The first entry of the object's maps, most derived first, that matches.
    const AFX_MSGMAP_ENTRY* FindEntry(UINT message, UINT code, UINT id) const;

    friend class CWnd;
};

class CWnd : public CCmdTarget {
    DECLARE_DYNAMIC(CWnd)
public:
    CWnd();
    ~CWnd() override;

    HWND m_hWnd = nullptr;
    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    // Handle maps.
    static CWnd* FromHandle(HWND hWnd);
    static CWnd* FromHandlePermanent(HWND hWnd);
    BOOL Attach(HWND hWnd);
    HWND Detach();
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    HWND UnsubclassWindow();

    // Creation and destruction.
    virtual BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                        CWnd* pParentWnd, UINT nID, LPVOID lpParam = nullptr);
    virtual BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, int x,
                          int y, int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu,
                          LPVOID lpParam = nullptr);
    virtual BOOL DestroyWindow();

    // The message path.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // The object's reflected entries for a message its parent passed on.
    BOOL ReflectChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Called after the window's last message; the object is unbound.
    virtual void PostNcDestroy();
    // The current message to the window's previous procedure.
    LRESULT Default();

    // The usual wrappers.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    LRESULT SendDlgItemMessage(int nID, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    // The control's bound object, else a temporary CWnd: bind a control
    // class to a control (DDX_Control, SubclassDlgItem) to use it as one.
    CWnd* GetDlgItem(int nID) const;
    int GetDlgCtrlID() const;
    CWnd* GetParent() const;
    void SetWindowText(LPCSTR lpszString);
    int GetWindowText(LPSTR lpszString, int nMaxCount) const;
    void GetWindowText(CString& rString) const;
    int GetWindowTextLength() const;
    void SetDlgItemText(int nID, LPCSTR lpszString);
    int GetDlgItemText(int nID, CString& rString) const;
    void SetDlgItemInt(int nID, UINT nValue, BOOL bSigned = TRUE);
    UINT GetDlgItemInt(int nID, BOOL* lpTrans = nullptr, BOOL bSigned = TRUE) const;
    void CheckDlgButton(int nIDButton, UINT nCheck);
    UINT IsDlgButtonChecked(int nIDButton) const;
    void CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton);
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const;
    void Invalidate(BOOL bErase = TRUE);
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
    void UpdateWindow();
    CWnd* SetFocus();
    static CWnd* GetFocus();
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    void GetClientRect(LPRECT lpRect) const;
    void GetWindowRect(LPRECT lpRect) const;
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    void ScreenToClient(LPPOINT lpPoint) const;
    void ScreenToClient(LPRECT lpRect) const;
    void ClientToScreen(LPPOINT lpPoint) const;
    void ClientToScreen(LPRECT lpRect) const;
    void CenterWindow(CWnd* pAlternateOwner = nullptr);
    void SetFont(HFONT hFont, BOOL bRedraw = TRUE);
    HFONT GetFont() const;
    BOOL IsWindow() const;
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer = nullptr) {
        return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer);
    }
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }
    // A message box owned by the window; no caption: the application's name.
    int MessageBox(LPCSTR lpszText, LPCSTR lpszCaption = nullptr, UINT nType = MB_OK);
    // Help through the application object (CWinApp::WinHelp), so that an
    // application that finds its help file its own way is asked.
    virtual void WinHelp(DWORD_PTR dwData, UINT nCmd = HELP_CONTEXT);

protected:
    // Handlers every window may map; each does what the window would do
    // without the object.
    afx_msg int OnCreate(LPCREATESTRUCTA lpCreateStruct);
    afx_msg void OnDestroy();
    afx_msg void OnNcDestroy();
    afx_msg void OnClose();
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnRButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message);
    afx_msg UINT OnGetDlgCode();
    afx_msg void OnInitMenuPopup(CMenu* pPopupMenu, UINT nIndex, BOOL bSysMenu);
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    // These four reflect the message to the control's object when it has
    // one that handles it, else do the default.
    afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    afx_msg void OnMeasureItem(int nIDCtl, LPMEASUREITEMSTRUCT lpMeasureItemStruct);
    afx_msg int OnCompareItem(int nIDCtl, LPCOMPAREITEMSTRUCT lpCompareItemStruct);
    afx_msg void OnDeleteItem(int nIDCtl, LPDELETEITEMSTRUCT lpDeleteItemStruct);

    // The procedure the window had before the object subclassed it.
    WNDPROC m_pfnSuper = nullptr;
    AFX_MODULE_STATE* m_pModuleState;
    bool created_ = false;  // made by this object: destroyed with it

    DECLARE_MESSAGE_MAP()

private:
    // Hands a message about the control `child` to the control's object;
    // FALSE when the control has none or it does not handle the message.
    BOOL ReflectToChild(HWND child, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    friend LRESULT CALLBACK AfxWndProc(HWND, UINT, WPARAM, LPARAM);
};

// The window procedure of every window bound to an object.
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// Registers (once) a window class whose windows are bound to the objects
// that create them; returns its name.
LPCSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr, HBRUSH hbrBackground = nullptr,
                           HICON hIcon = nullptr);
