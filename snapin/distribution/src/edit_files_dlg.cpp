#include "snapin/distribution/edit_files_dlg.h"

#include "commdlg.h"
#include "snapin/core/snapin_utilities.h"
#include "snapin/distribution/distribution_resource.h"

BEGIN_MESSAGE_MAP(CEditFilesDlg, CDialog)
ON_EN_CHANGE(IDC_SOURCE_FILE, OnChange)
ON_EN_CHANGE(IDC_TARGET_FILE, OnChange)
ON_BN_CLICKED(IDC_TARGET_DELETED, OnDeleteBox)
ON_BN_CLICKED(IDC_SOURCE_BROWSE, OnBrowseSource)
ON_BN_CLICKED(IDC_TARGET_BROWSE, OnBrowseTarget)
END_MESSAGE_MAP()

CEditFilesDlg::CEditFilesDlg(CWnd* pParent) : CDialog(IDD_EDIT_FILES, pParent) {}

BOOL CEditFilesDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_TARGET_FILE, m_target);
    if (m_bDelete) {
        SetDlgItemText(IDC_SOURCE_FILE, "");
        EnableSource(FALSE);
    } else {
        SetDlgItemText(IDC_SOURCE_FILE, m_source);
    }
    CheckDlgButton(IDC_TARGET_DELETED, m_bDelete ? BST_CHECKED : BST_UNCHECKED);
    if (!m_bOfferDelete) GetDlgItem(IDC_TARGET_DELETED)->ShowWindow(SW_HIDE);
    GetDlgItem(IDOK)->EnableWindow(FALSE);
    return TRUE;
}

void CEditFilesDlg::EnableSource(BOOL enable) {
    for (int id : {IDC_SOURCE_FILE, IDC_SOURCE_LABEL, IDC_SOURCE_BROWSE}) GetDlgItem(id)->EnableWindow(enable);
}

void CEditFilesDlg::UpdateOkButton() {
    BOOL ok = GetDlgItem(IDC_TARGET_FILE)->GetWindowTextLength() > 0 &&
              (m_bDelete || GetDlgItem(IDC_SOURCE_FILE)->GetWindowTextLength() > 0);
    GetDlgItem(IDOK)->EnableWindow(ok);
}

void CEditFilesDlg::OnChange() { UpdateOkButton(); }

void CEditFilesDlg::OnDeleteBox() {
    m_bDelete = IsDlgButtonChecked(IDC_TARGET_DELETED) == BST_CHECKED;
    EnableSource(!m_bDelete);
    UpdateOkButton();
}

void CEditFilesDlg::OnBrowseSource() {
    CString path;
    if (theSnapinUtilities.BrowseFile(m_hWnd, path, m_browseContext)) SetDlgItemText(IDC_SOURCE_FILE, path);
}

void CEditFilesDlg::OnBrowseTarget() {
    CString filter, extension;
    filter.LoadString(IDS_ALL_FILES_FILTER);
    extension.LoadString(IDS_ALL_FILES_EXTENSION);
    CFileDialog dialog(TRUE, extension, nullptr, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY, filter, nullptr);
    if (dialog.DoModal() == IDOK) SetDlgItemText(IDC_TARGET_FILE, dialog.GetPathName());
}

void CEditFilesDlg::OnOK() {
    GetDlgItemText(IDC_TARGET_FILE, m_target);
    if (m_bDelete)
        m_source.Empty();
    else
        GetDlgItemText(IDC_SOURCE_FILE, m_source);
    EndDialog(IDOK);
}
