// CStringEditDlg: dialog 333 "String Edit", one name (an ini file or a
// section) under a caption and a label the caller sets.
#pragma once

#include "afxwin.h"

class CStringEditDlg : public CDialog {
public:
    explicit CStringEditDlg(CWnd* pParent = nullptr);

    void SetCaption(const CString& caption) { m_caption = caption; }
    void SetLabel(const CString& label) { m_label = label; }
    void SetText(const CString& text) { m_text = text; }
    CString GetText() const { return m_text; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void UpdateOk();
    DECLARE_MESSAGE_MAP()

private:
    CString m_caption;
    CString m_label;
    CString m_text;
};
