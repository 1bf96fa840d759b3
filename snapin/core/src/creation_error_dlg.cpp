#include "snapin/core/creation_error_dlg.h"

CCreationErrorDlg::CCreationErrorDlg(CWnd* pParent) : CDialog(IDD_CREATION_ERROR, pParent) {}

BOOL CCreationErrorDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_CREATION_ERROR_REPORT, m_strReport);
    if (m_pWindowRect)
        SetWindowPos(nullptr, m_pWindowRect->left, m_pWindowRect->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    MessageBeep(MB_ICONEXCLAMATION);
    m_hIcon = LoadIconA(nullptr, IDI_EXCLAMATION);
    SendDlgItemMessage(IDC_CREATION_ERROR_ICON, STM_SETICON, reinterpret_cast<WPARAM>(m_hIcon), 0);
    return TRUE;
}
