// CTrayWnd: the module's hidden tray window. It shows one notification-area
// icon for each application associated with the System Tray, opens the
// application on a left click and offers Open, Verify and Properties on a
// right click, runs the schedule check every 30 seconds, and on each refill
// broadcast brings the folder views, the icons and the desktop shortcuts up
// to date.
//
// The window lives on the thread that made it (the module's start-up
// thread); other threads reach it only by posting to its handle.
#pragma once

#include "afxwin.h"

// The schedule check's timer and its period.
constexpr UINT_PTR kTrayTimerId = 100;
constexpr UINT kTrayTimerMs = 30000;
// The window text that names the tray window.
constexpr const char* kTrayWindowText = "Vpr Tray";

class CTrayWnd : public CWnd {
public:
    // Registers "TrayNotifyMessage" (once per process), makes the window and
    // shows the icons.
    CTrayWnd();
    ~CTrayWnd() override;

    // Builds the list of tray keys: when it equals the shown one entry by
    // entry the icons are changed in place, else all are removed and added
    // again.
    void UpdateIcons();
    // Shows `keys` as the icons, entry i with the identifier i.
    void AddIcons(const CStringArray& keys);
    // Removes every icon; the list is emptied.
    void RemoveIcons();
    // Asks for a schedule check now (posts the timer's message).
    void RequestCheck();
    // The same for a tray window known only by its handle, from any thread;
    // nothing when the handle names no window.
    static void PostCheck(HWND tray);

    // The keys the icons show, in identifier order.
    const CStringArray& GetKeys() const { return m_keys; }
    // The registered callback message of the icons.
    static UINT GetNotifyMessage();

protected:
    int OnCreate(LPCREATESTRUCTA create);
    void OnTimer(UINT_PTR id);
    void OnClose();
    void OnNcDestroy();
    LRESULT OnTrayNotify(WPARAM id, LPARAM mouse);
    LRESULT OnRefill(WPARAM, LPARAM);
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;
    DECLARE_MESSAGE_MAP()

private:
    // The keys of the active System Tray applications, each once, in the
    // cache's order.
    void BuildKeys(CStringArray& keys);
    // One Shell_NotifyIconA call for entry `index` with its item's icon and
    // tip; an entry whose item is gone gets no call.
    void NotifyIcon(DWORD message, int index, UINT flags);
    void ShowMenu();
    void NotifyViews();

    // Marks a handler that may run a message loop (a launch, a menu); a
    // close asked for meanwhile waits until the outermost one has returned,
    // so that the window is never destroyed under a handler.
    class CBusy {
    public:
        explicit CBusy(CTrayWnd* tray);
        ~CBusy();

    private:
        CTrayWnd* const m_pTray;
    };

    CStringArray m_keys;
    CString m_strMenuKey;
    UINT_PTR m_nTimer = 0;
    int m_nBusy = 0;
    BOOL m_bCloseAsked = FALSE;
};
