#include "snapin/distribution/program_group_dlg.h"

#include "snapin/distribution/distribution_resource.h"

namespace {
constexpr int kNameLimit = 255;
}

BEGIN_MESSAGE_MAP(CProgramGroupDlg, CDialog)
ON_EN_CHANGE(IDC_GROUP_NAME, UpdateOk)
ON_BN_CLICKED(IDC_GROUP_CREATE, UpdateOk)
ON_BN_CLICKED(IDC_GROUP_DELETE, UpdateOk)
END_MESSAGE_MAP()

CProgramGroupDlg::CProgramGroupDlg(CWnd* pParent) : CDialog(IDD_PROGRAM_GROUP, pParent) {}

BOOL CProgramGroupDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SendDlgItemMessage(IDC_GROUP_NAME, EM_LIMITTEXT, kNameLimit, 0);
    if (!m_name.IsEmpty()) SetDlgItemText(IDC_GROUP_NAME, m_name);
    CheckRadioButton(IDC_GROUP_CREATE, IDC_GROUP_DELETE, m_bCreate ? IDC_GROUP_CREATE : IDC_GROUP_DELETE);
    GetDlgItem(IDOK)->EnableWindow(FALSE);
    return TRUE;
}

void CProgramGroupDlg::UpdateOk() {
    if (CWnd* ok = GetDlgItem(IDOK)) ok->EnableWindow(GetDlgItem(IDC_GROUP_NAME)->GetWindowTextLength() > 0);
}

void CProgramGroupDlg::OnOK() {
    m_bCreate = IsDlgButtonChecked(IDC_GROUP_CREATE) == BST_CHECKED;
    GetDlgItemText(IDC_GROUP_NAME, m_name);
    EndDialog(IDOK);
}
