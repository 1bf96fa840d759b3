#include "snapin/core/schema_update_dlg.h"

BEGIN_MESSAGE_MAP(CSchemaUpdateDlg, CDialog)
ON_LBN_SELCHANGE(IDC_SCHEMA_TREES, OnSelChange)
ON_BN_CLICKED(IDHELP, OnHelp)
END_MESSAGE_MAP()

CSchemaUpdateDlg::CSchemaUpdateDlg(CWnd* pParent) : CDialog(IDD_SCHEMA_UPDATE, pParent) {}

bool CSchemaUpdateDlg::Offered(const CRefItem* row) {
    return (row->GetLevel() & (kTreeSchemaExtended | kTreeNotToExtend)) == 0;
}

BOOL CSchemaUpdateDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_trees.SubclassDlgItem(IDC_SCHEMA_TREES, this);
    m_modify.SubclassDlgItem(IDOK, this);
    // Each entry keeps its row, so that the answer goes to that very row
    // whatever the list's sorting made of the order.
    if (m_pTrees)
        for (POSITION pos = m_pTrees->GetHeadPosition(); pos;) {
            auto* row = static_cast<CRefItem*>(m_pTrees->GetNext(pos));
            if (!Offered(row)) continue;
            int entry = m_trees.AddString(row->GetName());
            if (entry >= 0) m_trees.SetItemDataPtr(entry, row);
        }
    m_modify.EnableWindow(FALSE);
    return TRUE;
}

void CSchemaUpdateDlg::OnSelChange() {
    if (m_trees.GetSelCount() > 0) m_modify.EnableWindow(TRUE);
}

void CSchemaUpdateDlg::OnOK() {
    for (int entry = 0, count = m_trees.GetCount(); entry < count; ++entry) {
        auto* row = static_cast<CRefItem*>(m_trees.GetItemDataPtr(entry));
        if (m_trees.GetSel(entry) > 0)
            row->SetLevel(row->GetLevel() & ~kTreeNotToExtend);
        else
            row->SetLevel(row->GetLevel() | kTreeNotToExtend);
    }
    EndDialog(IDOK);
}

void CSchemaUpdateDlg::OnCancel() { EndDialog(0); }

void CSchemaUpdateDlg::OnHelp() { WinHelp(HID_SCHEMA_UPDATE, HELP_CONTEXT); }
