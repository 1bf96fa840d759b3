// CCreationErrorDlg: "Application Creation Error", the report shown when a
// template could not be applied to a newly created application object. It
// opens where the wizard's pages were, with the exclamation icon and a beep.
#pragma once

#include "afxwin.h"
#include "snapin/core/creation_resource.h"

class CCreationErrorDlg : public CDialog {
public:
    explicit CCreationErrorDlg(CWnd* pParent = nullptr);

    void SetReportText(const CString& text) { m_strReport = text; }
    // The wizard's window rectangle (screen coordinates); the dialog moves
    // to its left and top. Without one it stays where it opens.
    void SetWindowRect(const RECT* rect) { m_pWindowRect = rect; }

protected:
    BOOL OnInitDialog() override;

private:
    CString m_strReport;
    const RECT* m_pWindowRect = nullptr;
    HICON m_hIcon = nullptr;
};
