// CSchemaUpdateDlg: at start-up, lists the directory trees whose schema lacks
// the launcher's classes and attributes and on which the administrator may
// extend it, and lets the administrator choose which to extend. The tree
// rows handed in carry each tree's flags in their level; the dialog's answer
// is written into those flags.
#pragma once

#include "afxwin.h"
#include "snapin/core/schema_update_ids.h"
#include "snapin/distribution/ref_item.h"

// Flags of a tree row.
constexpr DWORD kTreeSchemaExtended = 0x1;  // the schema is already extended
constexpr DWORD kTreeNotToExtend = 0x2;     // no right, or not chosen
constexpr DWORD kTreeExtendedNow = 0x4;     // extended in this run

class CSchemaUpdateDlg : public CDialog {
public:
    explicit CSchemaUpdateDlg(CWnd* pParent = nullptr);
    ~CSchemaUpdateDlg() override = default;

    // The tree rows; the caller keeps them. Rows with neither 0x1 nor 0x2
    // are listed. DoModal gives IDOK after "&Modify" (chosen rows lose 0x2,
    // the others get it) and 0 after "&Cancel" (no flags change).
    void SetTreeList(CRefItemList* trees) { m_pTrees = trees; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    afx_msg void OnSelChange();
    afx_msg void OnHelp();
    DECLARE_MESSAGE_MAP()

private:
    static bool Offered(const CRefItem* row);

    CRefItemList* m_pTrees = nullptr;
    CListBox m_trees;
    CButton m_modify;
};
