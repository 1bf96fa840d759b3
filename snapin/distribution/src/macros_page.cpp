#include "snapin/distribution/macros_page.h"

#include "snapin/core/app_library.h"
#include "snapin/core/common_resource.h"
#include "snapin/core/schema_names.h"
#include "snapin/core/snapin_utilities.h"
#include "snapin/distribution/distribution_resource.h"
#include "snapin/distribution/string_value_dlg.h"
#include "vpr/locale/locale.h"

namespace {

constexpr int kMacroKind = 10;
constexpr int kMacroSubtype = 1;

const CDistributionPage::Description kMacros = {
    IDS_MACROS, IDD_MACROS, HID_MACROS, snapin::kAttrMacros, IDC_MACRO_LIST,
    0, IDS_IMPORTING_MACROS, false, IDS_QMT_FILTER,
};

CString Text(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

}  // namespace

BEGIN_MESSAGE_MAP(CMacrosPage, CDistributionPage)
ON_BN_CLICKED(IDC_MACRO_IMPORT, OnImportButton)
ON_BN_CLICKED(IDC_MACRO_ADD, OnAdd)
ON_BN_CLICKED(IDC_MACRO_MODIFY, OnModify)
ON_BN_CLICKED(IDC_MACRO_DELETE, OnDelete)
ON_NOTIFY(LVN_ITEMCHANGED, IDC_MACRO_LIST, OnItemChanged)
ON_NOTIFY(NM_DBLCLK, IDC_MACRO_LIST, OnDoubleClick)
END_MESSAGE_MAP()

CMacrosPage::CMacrosPage() : CDistributionPage(kMacros) {}

CMacrosPage::~CMacrosPage() = default;

BOOL CMacrosPage::OnInitDialog() {
    CDialog::OnInitDialog();
    m_list.SubclassDlgItem(IDC_MACRO_LIST, this);
    m_list.InsertColumn(0, Text(IDS_COLUMN_NAME), LVCFMT_LEFT, 150);
    m_list.InsertColumn(1, Text(IDS_COLUMN_VALUE), LVCFMT_LEFT, 150);
    ReadStream();
    GetDlgItem(IDC_MACRO_DELETE)->EnableWindow(FALSE);
    GetDlgItem(IDC_MACRO_MODIFY)->EnableWindow(FALSE);
    return TRUE;
}

std::string CMacrosPage::FoldedName(const CString& name) {
    std::string folded = static_cast<const char*>(name);
    KMLstrupr(folded.data());
    return folded;
}

void CMacrosPage::BeginEntries() {
    m_readIndex.clear();
    for (int line = 0; line < m_list.GetItemCount(); ++line) m_readIndex.insert(FoldedName(m_list.GetItemText(line, 0)));
    m_indexing = true;
}

void CMacrosPage::EndEntries() {
    m_indexing = false;
    m_readIndex.clear();
}

BOOL CMacrosPage::AddMacroLine(const CString& name, const CString& value) {
    if (m_indexing) {
        if (!m_readIndex.insert(FoldedName(name)).second) return FALSE;
    } else if (theSnapinUtilities.ListCtrlContains(&m_list, name, 0, nullptr, -1)) {
        return FALSE;
    }
    int line = m_list.InsertItem(0, name);
    if (line < 0) return FALSE;
    m_list.SetItemText(line, 1, value);
    return TRUE;
}

void CMacrosPage::AddEntry(const TemplateEntry& entry) {
    // The first of two names that differ only in case wins.
    if (entry.kind == kMacroKind) AddMacroLine(FieldText(entry.fields[0]), FieldText(entry.fields[1]));
}

void CMacrosPage::DisableForReading() {
    for (int id : {IDC_MACRO_LIST, IDC_MACRO_ADD, IDC_MACRO_IMPORT, IDC_MACRO_MODIFY, IDC_MACRO_DELETE})
        GetDlgItem(id)->EnableWindow(FALSE);
}

void CMacrosPage::OnReadFinished() {
    m_list.EnableWindow(TRUE);
    GetDlgItem(IDC_MACRO_ADD)->EnableWindow(MayEdit());
    GetDlgItem(IDC_MACRO_IMPORT)->EnableWindow(MayEdit());
    m_list.Invalidate();
}

void CMacrosPage::ApplyRights() {
    for (int id : {IDC_MACRO_ADD, IDC_MACRO_DELETE, IDC_MACRO_IMPORT, IDC_MACRO_MODIFY})
        GetDlgItem(id)->EnableWindow(FALSE);
}

LONG CMacrosPage::WriteRows(HFILE file) {
    for (int line = 0; line < m_list.GetItemCount(); ++line) {
        LONG result = theAppLibrary.TemplateWriteMacroEntry(file, kMacroSubtype, m_list.GetItemText(line, 0),
                                                            m_list.GetItemText(line, 1));
        if (result != 0) return result;
    }
    return 0;
}

int CMacrosPage::RunEditor(CString& name, CString& value, bool adding) {
    CStringValueDlg dialog(this);
    dialog.SetNameLabel(Text(IDS_MACRO_NAME_LABEL));
    dialog.SetValueLabel(Text(IDS_MACRO_VALUE_LABEL));
    dialog.SetName(name);
    dialog.SetValue(value);
    for (;;) {
        if (dialog.DoModal() != IDOK) return IDCANCEL;
        name = dialog.GetName();
        value = dialog.GetValue();
        // '%' marks a macro where it is used: a name never holds one.
        if (LocFindChar(name, '%') >= 0) {
            ::MessageBoxA(m_hWnd, Text(IDS_MACRO_PERCENT), Text(IDS_DRAVIK_WARNING), MB_OK | MB_ICONEXCLAMATION);
            continue;
        }
        if (adding && theSnapinUtilities.ListCtrlContains(&m_list, name, 0, nullptr, -1)) {
            CString message;
            message.Format(Text(IDS_DUPLICATE_VALUE), static_cast<const char*>(name));
            MessageBeep(0);
            ::MessageBoxA(m_hWnd, message, Text(IDS_DRAVIK_ERROR), MB_OK | MB_ICONEXCLAMATION);
            continue;
        }
        return IDOK;
    }
}

void CMacrosPage::OnAdd() {
    CString name, value;
    if (RunEditor(name, value, true) != IDOK) return;
    int line = m_list.InsertItem(0, name);
    if (line >= 0) m_list.SetItemText(line, 1, value);
    SetModified();
}

void CMacrosPage::OnModify() {
    if (m_list.GetSelectedCount() > 1) {
        MessageBeep(0);
        return;
    }
    int line = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (line < 0) return;
    CString name = m_list.GetItemText(line, 0), value = m_list.GetItemText(line, 1);
    // The new name is not tested against the other lines.
    if (RunEditor(name, value, false) != IDOK) return;
    // Inserted again, so that the line takes its place among the names.
    m_list.DeleteItem(line);
    line = m_list.InsertItem(0, name);
    if (line >= 0) {
        m_list.SetItemText(line, 1, value);
        m_list.SetItemState(line, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    }
    SetModified();
}

void CMacrosPage::OnDelete() {
    // From the start each time: the line after a removed one takes its index.
    for (int line = m_list.GetNextItem(-1, LVNI_SELECTED); line >= 0; line = m_list.GetNextItem(-1, LVNI_SELECTED))
        m_list.DeleteItem(line);
    SetModified();
}

void CMacrosPage::OnItemChanged(NMHDR*, LRESULT* result) {
    *result = 0;
    if (!CanWrite()) return;
    UINT selected = m_list.GetSelectedCount();
    GetDlgItem(IDC_MACRO_MODIFY)->EnableWindow(selected == 1);
    GetDlgItem(IDC_MACRO_DELETE)->EnableWindow(selected >= 1);
}

void CMacrosPage::OnDoubleClick(NMHDR*, LRESULT* result) {
    *result = 0;
    if (CanWrite()) OnModify();
}
