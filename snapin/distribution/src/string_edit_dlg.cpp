#include "snapin/distribution/string_edit_dlg.h"

#include "snapin/distribution/distribution_resource.h"

BEGIN_MESSAGE_MAP(CStringEditDlg, CDialog)
ON_EN_CHANGE(IDC_STRING_EDIT_TEXT, UpdateOk)
END_MESSAGE_MAP()

CStringEditDlg::CStringEditDlg(CWnd* pParent) : CDialog(IDD_STRING_EDIT, pParent) {}

BOOL CStringEditDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (!m_caption.IsEmpty()) SetWindowText(m_caption);
    if (!m_label.IsEmpty()) SetDlgItemText(IDC_STRING_EDIT_LABEL, m_label);
    SetDlgItemText(IDC_STRING_EDIT_TEXT, m_text);
    // OK waits for the person's first change.
    GetDlgItem(IDOK)->EnableWindow(FALSE);
    return TRUE;
}

void CStringEditDlg::UpdateOk() {
    // A file or section needs a name: an emptied field disables OK again.
    if (CWnd* ok = GetDlgItem(IDOK)) ok->EnableWindow(GetDlgItem(IDC_STRING_EDIT_TEXT)->GetWindowTextLength() > 0);
}

void CStringEditDlg::OnOK() {
    GetDlgItemText(IDC_STRING_EDIT_TEXT, m_text);
    if (m_text.IsEmpty()) return;
    EndDialog(IDOK);
}
