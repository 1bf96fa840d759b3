// CFileDialog: the common file dialog with the class library's filter
// strings, whose pairs are separated by "|" ("Templates (*.qmt)|*.qmt|All
// Files (*.*)|*.*||"). The "|" are found character by character, so a
// double-byte character whose trail byte is "|" stays whole.
#pragma once

#include <vector>

#include "commdlg.h"
#include "vpr/mfc/dialog.h"

class CFileDialog : public CDialog {
    DECLARE_DYNAMIC(CFileDialog)
public:
    explicit CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt = nullptr, LPCSTR lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR lpszFilter = nullptr,
                         CWnd* pParentWnd = nullptr);

    // IDOK with the chosen file, IDCANCEL when the person cancelled.
    INT_PTR DoModal() override;
    CString GetPathName() const { return file_.data(); }
    // The chosen file's name with its extension, without its folder.
    CString GetFileName() const;
    // The extension without its dot; empty when there is none.
    CString GetFileExt() const;
    // The name without folder and extension.
    CString GetFileTitle() const;

    OPENFILENAMEA m_ofn{};

private:
    BOOL open_;
    CString defExt_;
    CString filter_;  // "|" turned into NULs
    std::vector<char> file_;
};
