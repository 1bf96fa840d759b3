// CStringValueDlg: dialog 328 "Edit String Value", a name and a text. The
// Registry Settings page edits String and Default values with it; other
// pages use it as a name-and-value editor with labels of their own.
#pragma once

#include "afxwin.h"

class CStringValueDlg : public CDialog {
public:
    explicit CStringValueDlg(CWnd* pParent = nullptr);

    void SetName(const CString& name) { m_name = name; }
    CString GetName() const { return m_name; }
    void SetValue(const CString& value) { m_value = value; }
    CString GetValue() const { return m_value; }
    // The key's default value: the name is "(Default)" and cannot change.
    void SetDefault(BOOL isDefault) { m_bDefault = isDefault; }
    // Texts that replace the two labels (none: the dialog's own).
    void SetNameLabel(const CString& label) { m_nameLabel = label; }
    void SetValueLabel(const CString& label) { m_valueLabel = label; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void UpdateOkButton();
    DECLARE_MESSAGE_MAP()

private:
    CString m_name;
    CString m_value;
    BOOL m_bDefault = FALSE;
    CString m_nameLabel;
    CString m_valueLabel;
};
