// CDwordValueDlg: dialog 329 "Edit DWORD Value", a name and a 32-bit number
// typed in hexadecimal or decimal.
#pragma once

#include "afxwin.h"

class CDwordValueDlg : public CDialog {
public:
    explicit CDwordValueDlg(CWnd* pParent = nullptr);

    void SetName(const CString& name) { m_name = name; }
    CString GetName() const { return m_name; }
    // The number to edit, shown in hexadecimal.
    void SetValue(DWORD value);
    DWORD GetValue() const { return m_result; }

    // A data text as the dialog reads it. Hexadecimal: the last 8
    // characters, each worth its digit (other characters count as 0).
    // Decimal: blanks skipped, a sign, digits to the first other character,
    // modulo 2 to the power 32 (so -1 gives 0xFFFFFFFF).
    static DWORD ParseValue(const CString& text, BOOL hexadecimal);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    afx_msg void UpdateOkButton();
    afx_msg void OnHexadecimal();
    afx_msg void OnDecimal();
    DECLARE_MESSAGE_MAP()

private:
    void ShowNumber(BOOL hexadecimal);

    CString m_name;
    CString m_data;
    BOOL m_bHex = TRUE;
    DWORD m_result = 0;
};
