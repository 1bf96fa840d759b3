// CBinaryValueDlg: dialog 341 "Edit Binary Value", a name and bytes edited
// in place by a hex edit control over the caller's byte array (callers pass
// an array they drop on Cancel).
#pragma once

#include "afxwin.h"

class CHexEditCtrl;

class CBinaryValueDlg : public CDialog {
public:
    explicit CBinaryValueDlg(CWnd* pParent = nullptr);
    ~CBinaryValueDlg() override;

    void SetName(const CString& name) { m_name = name; }
    CString GetName() const { return m_name; }
    void SetData(CByteArray* data) { m_pData = data; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    CString m_name;
    CByteArray* m_pData = nullptr;
    CHexEditCtrl* m_pHexEdit = nullptr;
};
