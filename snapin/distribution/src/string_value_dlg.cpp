#include "snapin/distribution/string_value_dlg.h"

#include "snapin/distribution/distribution_resource.h"

BEGIN_MESSAGE_MAP(CStringValueDlg, CDialog)
ON_EN_CHANGE(IDC_STRING_NAME, UpdateOkButton)
ON_EN_CHANGE(IDC_STRING_DATA, UpdateOkButton)
END_MESSAGE_MAP()

CStringValueDlg::CStringValueDlg(CWnd* pParent) : CDialog(IDD_STRING_VALUE, pParent) {}

BOOL CStringValueDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_STRING_NAME, m_name);
    SetDlgItemText(IDC_STRING_DATA, m_value);
    if (m_bDefault) {
        CString name;
        name.LoadString(IDS_DEFAULT_VALUE_NAME);
        SetDlgItemText(IDC_STRING_NAME, name);
        GetDlgItem(IDC_STRING_NAME)->EnableWindow(FALSE);
    }
    if (!m_nameLabel.IsEmpty()) SetDlgItemText(IDC_VALUE_NAME_LABEL, m_nameLabel);
    if (!m_valueLabel.IsEmpty()) SetDlgItemText(IDC_VALUE_DATA_LABEL, m_valueLabel);
    // Setting the texts above told UpdateOkButton; OK waits for the person.
    GetDlgItem(IDOK)->EnableWindow(FALSE);
    return TRUE;
}

void CStringValueDlg::UpdateOkButton() {
    if (!GetDlgItem(IDOK)) return;
    BOOL ok = GetDlgItem(IDC_STRING_DATA)->GetWindowTextLength() > 0 &&
              (m_bDefault || GetDlgItem(IDC_STRING_NAME)->GetWindowTextLength() > 0);
    GetDlgItem(IDOK)->EnableWindow(ok);
}

void CStringValueDlg::OnOK() {
    GetDlgItemText(IDC_STRING_NAME, m_name);
    GetDlgItemText(IDC_STRING_DATA, m_value);
    EndDialog(IDOK);
}
