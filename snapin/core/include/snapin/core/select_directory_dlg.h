// CSelectDirectoryDlg: asks for a local directory through the system's
// file-open dialog on the module's template 347 ("Select Directory": file
// name edit, directory list, drive list). The person opens the directory and
// presses OK on the proposed file name; the directory is the chosen path cut
// before the file name.
#pragma once

#include "afxwin.h"

class CSelectDirectoryDlg {
public:
    explicit CSelectDirectoryDlg(CWnd* pOwner = nullptr);

    void SetInitialDirectory(LPCSTR directory) { m_strInitialDirectory = directory; }
    // 1 after OK with the directory chosen, 0 after Cancel.
    INT_PTR DoModal();
    CString GetPath() const { return m_strPath; }

private:
    CString m_strPath;
    CString m_strInitialDirectory;
    CWnd* m_pOwner;
};
