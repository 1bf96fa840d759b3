#include "snapin/distribution/edit_directory_dlg.h"

#include "snapin/core/select_directory_dlg.h"
#include "snapin/distribution/distribution_resource.h"

BEGIN_MESSAGE_MAP(CEditDirectoryDlg, CDialog)
ON_EN_CHANGE(IDC_DIRECTORY_NAME, OnChange)
ON_BN_CLICKED(IDC_DIRECTORY_BROWSE, OnBrowse)
END_MESSAGE_MAP()

CEditDirectoryDlg::CEditDirectoryDlg(CWnd* pParent) : CDialog(IDD_EDIT_DIRECTORY, pParent) {}

BOOL CEditDirectoryDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    GetDlgItem(IDOK)->EnableWindow(FALSE);
    SetDlgItemText(IDC_DIRECTORY_NAME, m_directory);
    return TRUE;
}

void CEditDirectoryDlg::OnChange() {
    GetDlgItem(IDOK)->EnableWindow(GetDlgItem(IDC_DIRECTORY_NAME)->GetWindowTextLength() > 0);
}

void CEditDirectoryDlg::OnBrowse() {
    CSelectDirectoryDlg select(this);
    select.SetInitialDirectory(m_directory);
    if (select.DoModal() == 1) SetDlgItemText(IDC_DIRECTORY_NAME, select.GetPath());
}

void CEditDirectoryDlg::OnOK() {
    GetDlgItemText(IDC_DIRECTORY_NAME, m_directory);
    EndDialog(IDOK);
}
