// CReadingRegistryDlg: the modeless wait dialog a distribution page shows
// while its reader runs: an endless animation and the page's text.
#pragma once

#include "afxwin.h"

class CReadingRegistryDlg : public CDialog {
public:
    explicit CReadingRegistryDlg(CWnd* pParent);
    ~CReadingRegistryDlg() override = default;

    // The text shown in place of the dialog's own; set before Create.
    void SetMessage(const CString& message) { m_message = message; }
    // Makes the dialog's window over its parent.
    BOOL Create();

protected:
    BOOL OnInitDialog() override;

private:
    CWnd* m_pParentWnd;
    CString m_message;
    CAnimateCtrl m_animation;
};
