#include "snapin/core/migrate_apps_dlg.h"

#include "snapin/core/snapin_utilities.h"
#include "vpr/adminhost/qradm32.h"
#include "vpr/locale/locale.h"

BEGIN_MESSAGE_MAP(CMigrateAppsDlg, CDialog)
ON_WM_DRAWITEM()
ON_LBN_SELCHANGE(IDC_MIGRATE_OLD_NAMES, OnOldSelChange)
ON_LBN_SELCHANGE(IDC_MIGRATE_NEW_NAMES, OnNewSelChange)
ON_BN_CLICKED(IDC_MIGRATE_REMOVE, OnRemove)
ON_BN_CLICKED(IDC_MIGRATE_CUSTOMIZE, OnCustomize)
ON_EN_CHANGE(IDC_MIGRATE_MODIFIER, OnModifierChange)
ON_BN_CLICKED(IDHELP, OnHelp)
END_MESSAGE_MAP()

namespace {

constexpr char kDefaultModifier[] = "-20";
constexpr int kListExtent = 1024;
constexpr int kFocusIndent = 18;

}  // namespace

CMigrateAppsDlg::CMigrateAppsDlg(CWnd* pParent) : CDialog(IDD_MIGRATE_APPS, pParent) {}

BOOL CMigrateAppsDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_oldNames.SubclassDlgItem(IDC_MIGRATE_OLD_NAMES, this);
    m_newNames.SubclassDlgItem(IDC_MIGRATE_NEW_NAMES, this);
    SetDlgItemText(IDC_MIGRATE_MODIFIER, m_strModifier);
    GetDlgItem(IDC_MIGRATE_MODIFIER)->EnableWindow(FALSE);
    CheckDlgButton(IDC_MIGRATE_DELETE_OLD, BST_CHECKED);
    CheckDlgButton(IDC_MIGRATE_ASSOCIATIONS, BST_CHECKED);
    GetDlgItem(IDC_MIGRATE_REMOVE)->EnableWindow(FALSE);
    m_oldNames.SetHorizontalExtent(kListExtent);
    m_newNames.SetHorizontalExtent(kListExtent);
    DWORD count = 0;
    HostGetSelectionCount(&count);
    for (DWORD i = 0; i < count; ++i) {
        SnapinObjectRecord record{};
        if (HostGetSelectedObject(i, &record)) continue;
        CString name = record.bytes + SNAPIN_RECORD_NAME;
        m_oldNames.AddString(name);
        if (name.Find('.') >= 0) m_newNames.AddString(NewName(name));
    }
    return TRUE;
}

CString CMigrateAppsDlg::NewName(const CString& oldName) const {
    LPCSTR text = oldName;
    LPCSTR dot = text;
    while (*dot && *dot != '.') dot = KMNextChar(dot);
    return CString(oldName.Left(static_cast<int>(dot - text))) + m_strModifier + dot;
}

void CMigrateAppsDlg::RebuildNewNames() {
    m_newNames.ResetContent();
    for (int i = 0, count = m_oldNames.GetCount(); i < count; ++i) {
        CString name;
        m_oldNames.GetText(i, name);
        m_newNames.AddString(NewName(name));
    }
    m_newNames.SetCurSel(m_oldNames.GetCurSel());
}

// The old name with its class bitmap; the new name with the bitmap of the
// class it will have. A change of selection only paints the row again.
void CMigrateAppsDlg::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT item) {
    if (static_cast<int>(item->itemID) < 0) return;
    bool selected = item->itemState & ODS_SELECTED;
    HBRUSH brush = GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    FillRect(item->hDC, &item->rcItem, brush);
    SetBkColor(item->hDC, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetTextColor(item->hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    if (item->itemAction == ODA_SELECT) {
        theSnapinUtilities.DrawListItemText(m_hWnd, item, 1);
    } else if (nIDCtl == IDC_MIGRATE_OLD_NAMES) {
        theSnapinUtilities.DrawListItemIcon(m_hWnd, item);
    } else {
        DrawNewName(item);
    }
    if (item->itemState & ODS_FOCUS) {
        RECT focus = item->rcItem;
        focus.left += kFocusIndent;
        DrawFocusRect(item->hDC, &focus);
    }
}

void CMigrateAppsDlg::DrawNewName(LPDRAWITEMSTRUCT item) {
    HBITMAP bitmap = nullptr;
    if (HostGetClassBitmap("App:Application", &bitmap) || !bitmap) {
        theSnapinUtilities.DrawListItemText(m_hWnd, item, 0);
        return;
    }
    theSnapinUtilities.DrawTransparentBitmap(item->hDC, bitmap, item->rcItem.left, item->rcItem.top);
    BITMAP size{};
    GetObjectA(bitmap, sizeof size, &size);
    DRAWITEMSTRUCT shifted = *item;
    shifted.rcItem.left += size.bmWidth + 3;
    theSnapinUtilities.DrawListItemText(m_hWnd, &shifted, 0);
}

void CMigrateAppsDlg::SelectAlike(CListBox& from, CListBox& to) {
    if (to.SetCurSel(from.GetCurSel()) != LB_ERR) GetDlgItem(IDC_MIGRATE_REMOVE)->EnableWindow(TRUE);
}

void CMigrateAppsDlg::OnOldSelChange() { SelectAlike(m_oldNames, m_newNames); }

void CMigrateAppsDlg::OnNewSelChange() { SelectAlike(m_newNames, m_oldNames); }

void CMigrateAppsDlg::OnRemove() {
    int row = m_oldNames.GetCurSel();
    if (row < 0) return;
    m_oldNames.DeleteString(row);
    m_newNames.DeleteString(row);
    GetDlgItem(IDC_MIGRATE_REMOVE)->EnableWindow(FALSE);
    if (m_oldNames.GetCount() == 0) GetDlgItem(IDOK)->EnableWindow(FALSE);
}

void CMigrateAppsDlg::OnCustomize() {
    bool custom = IsDlgButtonChecked(IDC_MIGRATE_CUSTOMIZE);
    GetDlgItem(IDC_MIGRATE_MODIFIER)->EnableWindow(custom);
    if (custom) return;
    SetDlgItemText(IDC_MIGRATE_MODIFIER, kDefaultModifier);
    m_strModifier = kDefaultModifier;
    RebuildNewNames();
}

void CMigrateAppsDlg::OnModifierChange() {
    GetDlgItemText(IDC_MIGRATE_MODIFIER, m_strModifier);
    GetDlgItem(IDOK)->EnableWindow(!m_strModifier.IsEmpty());
    int at = theSnapinUtilities.FindInvalidChar(m_strModifier);
    if (at >= 0) {
        CString format, text, caption;
        format.LoadString(IDS_MIGRATE_BAD_MODIFIER);
        text.Format(format, m_strModifier[at]);
        caption.LoadString(IDS_DRAVIK_ERROR);
        MessageBox(text, caption, MB_OK | MB_ICONSTOP);
        return;
    }
    RebuildNewNames();
}

void CMigrateAppsDlg::OnOK() {
    CMigrateProgressDlg progress(this);
    progress.SetLists(&m_oldNames, &m_newNames, IsDlgButtonChecked(IDC_MIGRATE_DELETE_OLD),
                      IsDlgButtonChecked(IDC_MIGRATE_ASSOCIATIONS));
    if (progress.DoModal() != 1) return;
    CString text, caption;
    text.LoadString(IDS_MIGRATE_REFRESH);
    caption.LoadString(IDS_DRAVIK);
    MessageBox(text, caption, MB_OK | MB_ICONINFORMATION);
    EndDialog(IDOK);
}

void CMigrateAppsDlg::OnHelp() { WinHelp(HID_MIGRATE_APPS, HELP_CONTEXT); }
