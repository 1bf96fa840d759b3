// CProgramGroupDlg: dialog 375 "Windows Program Group", the name of a
// program group and whether it is created or deleted.
#pragma once

#include "afxwin.h"

class CProgramGroupDlg : public CDialog {
public:
    explicit CProgramGroupDlg(CWnd* pParent = nullptr);

    void SetName(const CString& name) { m_name = name; }
    CString GetName() const { return m_name; }
    void SetCreate(BOOL create) { m_bCreate = create; }
    BOOL GetCreate() const { return m_bCreate; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void UpdateOk();
    DECLARE_MESSAGE_MAP()

private:
    CString m_name;
    BOOL m_bCreate = TRUE;
};
