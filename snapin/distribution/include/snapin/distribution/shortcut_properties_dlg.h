// CShortcutPropertiesDlg: dialog 376 "Shortcut Properties", a program group
// item (type 1 add, 2 delete) or a shortcut (type 3 add, 4 delete): its
// name, target, group or folder, parameters, start-in folder, icon, show
// command and flags.
#pragma once

#include "afxwin.h"
#include "snapin/distribution/icon_item.h"

class CShortcutPropertiesDlg : public CDialog {
public:
    explicit CShortcutPropertiesDlg(CWnd* pParent = nullptr);

    void SetType(int type) { m_type = type; }
    // Every field of the row; the type is its subtype.
    void SetItem(const CIconItem& item);
    // Every field into the row, kind 19.
    void GetItem(CIconItem& item) const;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    afx_msg void OnCreate();
    afx_msg void OnDelete();
    afx_msg void OnHelp();
    afx_msg void UpdateOk();
    DECLARE_MESSAGE_MAP()

private:
    bool IsShortcut() const { return m_type == 3 || m_type == 4; }

    int m_type = 1;
    CIconItem m_item;  // the fields shown and handed back
};
