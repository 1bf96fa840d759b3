// CViewIniFileDlg: dialog 344 "View INI File", the text of one ini file as
// the page will have it written, read-only, with the file's name.
#pragma once

#include "afxwin.h"

class CViewIniFileDlg : public CDialog {
public:
    explicit CViewIniFileDlg(CWnd* pParent = nullptr);

    void SetText(const CString& text) { m_text = text; }
    void SetFileName(const CString& fileName) { m_fileName = fileName; }

protected:
    BOOL OnInitDialog() override;

private:
    CString m_text;
    CString m_fileName;
};
