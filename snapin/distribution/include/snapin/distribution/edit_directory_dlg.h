// CEditDirectoryDlg: dialog 334 "Edit Directory", the path of one directory
// entry of the Application Files page.
#pragma once

#include "afxwin.h"

class CEditDirectoryDlg : public CDialog {
public:
    explicit CEditDirectoryDlg(CWnd* pParent = nullptr);

    void SetDirectory(const CString& directory) { m_directory = directory; }
    CString GetDirectory() const { return m_directory; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void OnChange();
    afx_msg void OnBrowse();
    DECLARE_MESSAGE_MAP()

private:
    CString m_directory;
};
