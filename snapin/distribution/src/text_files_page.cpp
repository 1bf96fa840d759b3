#include "snapin/distribution/text_files_page.h"

#include <memory>

#include "snapin/core/app_library.h"
#include "snapin/core/common_resource.h"
#include "snapin/core/schema_names.h"
#include "snapin/distribution/distribution_resource.h"
#include "snapin/distribution/text_file_edit_dlg.h"

namespace {

constexpr int kTextAddKind = 11;
constexpr int kTextFindKind = 12;

const CDistributionPage::Description kTextFiles = {
    IDS_TEXT_FILES, IDD_TEXT_FILES, HID_TEXT_FILES, snapin::kAttrTextFiles, IDC_TEXT_LIST,
    0, IDS_IMPORTING_TEXT_FILES, false, IDS_QMT_FILTER,
};

CString Text(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

std::string Bytes(const CString& text) { return static_cast<const char*>(text); }

}  // namespace

BEGIN_MESSAGE_MAP(CTextFilesPage, CDistributionPage)
ON_BN_CLICKED(IDC_TEXT_IMPORT, OnImportButton)
ON_BN_CLICKED(IDC_TEXT_ADD, OnAdd)
ON_BN_CLICKED(IDC_TEXT_MODIFY, OnModify)
ON_BN_CLICKED(IDC_TEXT_DELETE, OnDelete)
ON_NOTIFY(LVN_ITEMCHANGED, IDC_TEXT_LIST, OnItemChanged)
ON_NOTIFY(LVN_DELETEITEM, IDC_TEXT_LIST, OnDeleteItem)
ON_NOTIFY(NM_DBLCLK, IDC_TEXT_LIST, OnDoubleClick)
END_MESSAGE_MAP()

CTextFilesPage::CTextFilesPage() : CDistributionPage(kTextFiles) {}

CTextFilesPage::~CTextFilesPage() = default;

BOOL CTextFilesPage::OnInitDialog() {
    CDialog::OnInitDialog();
    m_list.SubclassDlgItem(IDC_TEXT_LIST, this);
    m_list.InsertColumn(0, Text(IDS_COLUMN_FILE_NAME), LVCFMT_LEFT, 100);
    m_list.InsertColumn(1, Text(IDS_COLUMN_SEARCH_TEXT), LVCFMT_LEFT, 150);
    m_list.InsertColumn(2, Text(IDS_COLUMN_NEW_TEXT), LVCFMT_LEFT, 150);
    ReadStream();
    GetDlgItem(IDC_TEXT_DELETE)->EnableWindow(FALSE);
    GetDlgItem(IDC_TEXT_MODIFY)->EnableWindow(FALSE);
    return TRUE;
}

CTextFileItem* CTextFilesPage::RowOf(int line) const {
    return reinterpret_cast<CTextFileItem*>(m_list.GetItemData(line));
}

std::string CTextFilesPage::Key(const CString& file, const CString& text) {
    return Bytes(file) + std::string(1, '\0') + Bytes(text);
}

std::string CTextFilesPage::Key(const CString& file, const CString& text, const CString& findText) {
    return Key(file, text) + std::string(1, '\0') + Bytes(findText);
}

void CTextFilesPage::IndexRow(const CTextFileItem& row) {
    m_texts.insert(Key(row.GetFileName(), row.GetText()));
    m_finds.insert(Key(row.GetFileName(), row.GetText(), row.GetFindText()));
}

void CTextFilesPage::BeginEntries() {
    m_texts.clear();
    m_finds.clear();
    for (int line = 0; line < m_list.GetItemCount(); ++line)
        if (const CTextFileItem* row = RowOf(line)) IndexRow(*row);
    m_indexing = true;
}

void CTextFilesPage::EndEntries() {
    m_indexing = false;
    m_texts.clear();
    m_finds.clear();
}

BOOL CTextFilesPage::IsDuplicateRow(const CString& file, const CString& text, const CString& findText) const {
    if (m_indexing)
        return findText.IsEmpty() ? m_texts.count(Key(file, text)) > 0 : m_finds.count(Key(file, text, findText)) > 0;
    for (int line = 0; line < m_list.GetItemCount(); ++line) {
        const CTextFileItem* row = RowOf(line);
        if (!row || row->GetFileName() != file || row->GetText() != text) continue;
        if (findText.IsEmpty() || row->GetFindText() == findText) return TRUE;
    }
    return FALSE;
}

int CTextFilesPage::InsertRow(CTextFileItem* row) {
    int line = m_list.InsertItem(LVIF_TEXT | LVIF_PARAM, 0, row->GetFileName(), 0, 0, 0, reinterpret_cast<LPARAM>(row));
    if (line < 0) {
        delete row;
        return -1;
    }
    m_list.SetItemText(line, 1, row->GetFindText());
    m_list.SetItemText(line, 2, row->GetText());
    if (m_indexing) IndexRow(*row);
    return line;
}

void CTextFilesPage::AddEntry(const TemplateEntry& entry) {
    auto row = std::make_unique<CTextFileItem>();
    row->SetKind(static_cast<int>(entry.kind));
    row->SetSubtype(static_cast<int>(entry.subtype));
    row->SetFileName(FieldText(entry.fields[0]));
    if (entry.kind == kTextAddKind) {
        row->SetText(FieldText(entry.fields[1]));
    } else if (entry.kind == kTextFindKind) {
        row->SetFlags(static_cast<int>(entry.values[0]));
        row->SetFindText(FieldText(entry.fields[1]));
        row->SetText(FieldText(entry.fields[2]));
    } else {
        return;
    }
    if (IsDuplicateRow(row->GetFileName(), row->GetText(), row->GetFindText())) return;
    InsertRow(row.release());
}

void CTextFilesPage::DisableForReading() {
    for (int id : {IDC_TEXT_DELETE, IDC_TEXT_MODIFY, IDC_TEXT_ADD, IDC_TEXT_IMPORT, IDC_TEXT_LIST})
        GetDlgItem(id)->EnableWindow(FALSE);
}

void CTextFilesPage::OnReadFinished() {
    m_list.EnableWindow(TRUE);
    GetDlgItem(IDC_TEXT_ADD)->EnableWindow(MayEdit());
    GetDlgItem(IDC_TEXT_IMPORT)->EnableWindow(MayEdit());
    m_list.Invalidate();
}

void CTextFilesPage::ApplyRights() {
    for (int id : {IDC_TEXT_ADD, IDC_TEXT_DELETE, IDC_TEXT_IMPORT, IDC_TEXT_MODIFY}) GetDlgItem(id)->EnableWindow(FALSE);
}

LONG CTextFilesPage::WriteRows(HFILE file) {
    for (int line = 0; line < m_list.GetItemCount(); ++line) {
        const CTextFileItem* row = RowOf(line);
        if (!row) continue;
        LONG result = 0;
        if (row->GetKind() == kTextAddKind)
            result = theAppLibrary.TemplateWriteTextAddEntry(file, row->GetSubtype(), row->GetFileName(), row->GetText());
        else
            result = theAppLibrary.TemplateWriteTextFindEntry(file, row->GetSubtype(), row->GetFlags(),
                                                              row->GetFileName(), row->GetFindText(), row->GetText());
        if (result != 0) return result;
    }
    return 0;
}

void CTextFilesPage::OnAdd() {
    auto row = std::make_unique<CTextFileItem>();
    CTextFileEditDlg dialog(this);
    dialog.SetItem(row.get());
    if (dialog.DoModal() != IDOK) return;
    // No duplicate test: two equal edits made here are both kept.
    InsertRow(row.release());
    SetModified();
}

void CTextFilesPage::OnModify() {
    if (m_list.GetSelectedCount() > 1) {
        MessageBeep(0);
        return;
    }
    int line = m_list.GetNextItem(-1, LVNI_SELECTED);
    CTextFileItem* row = line < 0 ? nullptr : RowOf(line);
    if (!row) return;
    CTextFileEditDlg dialog(this);
    dialog.SetItem(row);
    if (dialog.DoModal() != IDOK) return;
    // Inserted again, so that the line takes its place among the files; the
    // row moves with it.
    m_list.SetItemData(line, 0);
    m_list.DeleteItem(line);
    line = InsertRow(row);
    if (line >= 0) m_list.SetItemState(line, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetModified();
}

void CTextFilesPage::OnDelete() {
    // From the start each time: the line after a removed one takes its index.
    for (int line = m_list.GetNextItem(-1, LVNI_SELECTED); line >= 0; line = m_list.GetNextItem(-1, LVNI_SELECTED))
        m_list.DeleteItem(line);  // the row goes with its line
    SetModified();
}

void CTextFilesPage::OnItemChanged(NMHDR*, LRESULT* result) {
    *result = 0;
    if (!CanWrite()) return;
    UINT selected = m_list.GetSelectedCount();
    GetDlgItem(IDC_TEXT_MODIFY)->EnableWindow(selected == 1);
    GetDlgItem(IDC_TEXT_DELETE)->EnableWindow(selected >= 1);
}

void CTextFilesPage::OnDeleteItem(NMHDR* header, LRESULT* result) {
    *result = 0;
    delete reinterpret_cast<CTextFileItem*>(reinterpret_cast<NMLISTVIEW*>(header)->lParam);
}

void CTextFilesPage::OnDoubleClick(NMHDR*, LRESULT* result) {
    *result = 0;
    if (CanWrite()) OnModify();
}
