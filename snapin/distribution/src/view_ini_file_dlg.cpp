#include "snapin/distribution/view_ini_file_dlg.h"

#include "snapin/distribution/distribution_resource.h"

CViewIniFileDlg::CViewIniFileDlg(CWnd* pParent) : CDialog(IDD_VIEW_INI_FILE, pParent) {}

BOOL CViewIniFileDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_VIEW_INI_TEXT, m_text);
    SetDlgItemText(IDC_VIEW_INI_NAME, m_fileName);
    return TRUE;
}
