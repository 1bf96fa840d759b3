// CTextFileEditDlg: dialog 331 "Text File Edit", one edit of a text file: a
// text added at the beginning or end of the file (kind 11), or a string
// found in it and replaced or deleted (kind 12). It shows the row it is
// given and, on OK, changes that row in place.
#pragma once

#include "afxwin.h"
#include "snapin/distribution/text_file_item.h"

class CTextFileEditDlg : public CDialog {
public:
    explicit CTextFileEditDlg(CWnd* pParent = nullptr);

    void SetItem(CTextFileItem* item) { m_pItem = item; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    afx_msg void OnFindString();
    afx_msg void OnDeleteString();
    afx_msg void OnAddString();
    afx_msg void OnBrowse();
    afx_msg void OnHelp();
    afx_msg void UpdateOk();
    DECLARE_MESSAGE_MAP()

private:
    bool IsOn(int id) const { return IsDlgButtonChecked(id) == BST_CHECKED; }
    void SetOn(int id, bool on) { CheckDlgButton(id, on ? BST_CHECKED : BST_UNCHECKED); }
    void Enable(int id, bool enable) { GetDlgItem(id)->EnableWindow(enable); }
    bool HasText(int id) const { return GetDlgItem(id)->GetWindowTextLength() > 0; }
    // The Add string box reads "&Modify String:" while Find string is on.
    void LabelAddString();

    CTextFileItem* m_pItem = nullptr;
};
