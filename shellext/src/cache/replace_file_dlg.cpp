#include "cache/replace_file_dlg.h"

CReplaceFileDlg::CReplaceFileDlg() : CDialog(IDD_REPLACE_FILE) {}

BOOL CReplaceFileDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SetDlgItemText(IDC_REPLACE_MESSAGE, m_strMessage);
    SetDlgItemText(IDC_REPLACE_SIZE1, m_strSize1);
    SetDlgItemText(IDC_REPLACE_DATE1, m_strDate1);
    SetDlgItemText(IDC_REPLACE_SIZE2, m_strSize2);
    SetDlgItemText(IDC_REPLACE_DATE2, m_strDate2);
    return TRUE;
}

LRESULT CReplaceFileDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // Each button ends the dialog with its own identifier.
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        int id = LOWORD(wParam);
        if (id == IDC_REPLACE_YES || id == IDC_REPLACE_YES_ALL || id == IDC_REPLACE_NO) {
            EndDialog(id);
            return 0;
        }
    }
    return CDialog::WindowProc(message, wParam, lParam);
}
