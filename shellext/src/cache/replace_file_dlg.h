// CReplaceFileDlg: "Confirm File Replace", asked before the launcher library
// replaces a file that exists. Each button ends the dialog with its own
// identifier.
#pragma once

#include "afxwin.h"

#define IDD_REPLACE_FILE 10425
#define IDC_REPLACE_MESSAGE 10426
#define IDC_REPLACE_YES 10427
#define IDC_REPLACE_YES_ALL 10428
#define IDC_REPLACE_NO 10429
#define IDC_REPLACE_SIZE1 10430
#define IDC_REPLACE_DATE1 10431
#define IDC_REPLACE_SIZE2 10432
#define IDC_REPLACE_DATE2 10433

class CReplaceFileDlg : public CDialog {
public:
    CReplaceFileDlg();

    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    CString m_strMessage;
    CString m_strSize1, m_strDate1;
    CString m_strSize2, m_strDate2;
};
