// CLaunchStatusDlg: the modeless dialog "Updating Workstation Configuration"
// shown while the launcher library configures the workstation for one
// launch, fed by the library's status callback. One exists at a time, only
// while a launch runs; item commands refuse a second launch while it does.
#pragma once

#include <atomic>

#include "afxwin.h"

#define IDD_LAUNCH_STATUS 10421
#define IDC_LAUNCH_ANIMATION 10434
#define IDC_LAUNCH_PROGRESS 1017
#define IDC_LAUNCH_TITLE 10423
#define IDC_LAUNCH_DETAIL 10424
#define IDR_LAUNCH_ANIMATION 129

class CLaunchStatusDlg : public CDialog {
public:
    CLaunchStatusDlg();
    ~CLaunchStatusDlg() override;

    // Whether a launch's status dialog exists now (on any thread).
    static BOOL IsOpen();
    // The dialog of the running launch, null when none runs.
    static CLaunchStatusDlg* Current();

    // Creates the dialog (modeless, no parent, not yet visible) and makes it
    // the current one.
    BOOL CreateHidden();
    // Destroys the window and ends its time as the current dialog.
    void Close();

    void SetStatus(LPCSTR title, LPCSTR detail, DWORD position, DWORD total);

    BOOL OnInitDialog() override;

    CAnimateCtrl m_animation;
    CProgressCtrl m_progress;
    CString m_strTitle;
    CString m_strDetail;
    BOOL m_bReplaceAll = FALSE;

private:
    static std::atomic<CLaunchStatusDlg*> s_pCurrent;
};
