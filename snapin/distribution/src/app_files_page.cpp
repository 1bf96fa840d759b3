#include "snapin/distribution/app_files_page.h"

#include <algorithm>
#include <unordered_map>

#include "snapin/core/app_library.h"
#include "snapin/core/common_resource.h"
#include "snapin/core/schema_names.h"
#include "snapin/distribution/distribution_resource.h"
#include "snapin/distribution/edit_directory_dlg.h"
#include "snapin/distribution/edit_files_dlg.h"
#include "vpr/locale/locale.h"

namespace {

constexpr int kFileKind = 1;
constexpr int kDirectoryKind = 2;
constexpr int kCopy = 1;
constexpr int kDelete = 2;
constexpr int kSharedFile = 0x200;
constexpr int kCopyIfNewer = 0x8;
constexpr int kCopyModes = 6;  // strings 43 to 48, flag bits 0x1 to 0x20

const CDistributionPage::Description kAppFiles = {
    IDS_APP_FILES, IDD_APP_FILES, HID_APP_FILES, snapin::kAttrCopyFiles, IDC_APP_FILES_LIST,
    IDS_LOADING_APP_FILES, IDS_IMPORTING_APP_FILES, false, IDS_QMT_FILTER,
};

// Controls whose state follows the write right.
constexpr int kEditingControls[] = {IDC_APP_FILES_ADD,    IDC_APP_FILES_DELETE, IDC_APP_FILES_COPY,
                                    IDC_APP_FILES_REMOVE, IDC_APP_FILES_IMPORT, IDC_APP_FILES_MODIFY};

CString Text(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

// Ascending, ignoring case, on the column's field of the rows.
int CompareRows(const CAppFileItem* a, const CAppFileItem* b, int column) {
    switch (column) {
    case 1: return a->GetSource().CompareNoCase(b->GetSource());
    case 2: return a->GetDirectory().CompareNoCase(b->GetDirectory());
    default: return a->GetFileName().CompareNoCase(b->GetFileName());
    }
}

}  // namespace

BEGIN_MESSAGE_MAP(CAppFilesPage, CDistributionPage)
ON_BN_CLICKED(IDC_APP_FILES_IMPORT, OnImportButton)
ON_BN_CLICKED(IDC_APP_FILES_ADD, OnAddMenu)
ON_COMMAND(ID_ADD_FILE, OnAddFile)
ON_COMMAND(ID_ADD_DIRECTORY, OnAddDirectory)
ON_BN_CLICKED(IDC_APP_FILES_MODIFY, OnModify)
ON_BN_CLICKED(IDC_APP_FILES_DELETE, OnDelete)
ON_BN_CLICKED(IDC_APP_FILES_COPY, OnCopyRadio)
ON_BN_CLICKED(IDC_APP_FILES_REMOVE, OnDeleteRadio)
ON_CBN_SELCHANGE(IDC_APP_FILES_COPY_MODE, OnCopyModeChange)
ON_BN_CLICKED(IDC_APP_FILES_SHARED, OnSharedFile)
ON_NOTIFY(LVN_ITEMCHANGED, IDC_APP_FILES_LIST, OnItemChanged)
ON_NOTIFY(LVN_COLUMNCLICK, IDC_APP_FILES_LIST, OnColumnClick)
ON_NOTIFY(LVN_DELETEITEM, IDC_APP_FILES_LIST, OnDeleteItem)
ON_NOTIFY(LVN_GETDISPINFOA, IDC_APP_FILES_LIST, OnGetDispInfo)
ON_NOTIFY(NM_DBLCLK, IDC_APP_FILES_LIST, OnDoubleClick)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CAppFilesPage::CAppFilesPage() : CDistributionPage(kAppFiles) {}

CAppFilesPage::~CAppFilesPage() = default;

BOOL CAppFilesPage::OnInitDialog() {
    CDialog::OnInitDialog();
    m_list.SubclassDlgItem(IDC_APP_FILES_LIST, this);
    m_copyMode.SubclassDlgItem(IDC_APP_FILES_COPY_MODE, this);
    m_shown.Clear();
    m_bIndexed = true;
    m_removalText = Text(IDS_TARGETED_FOR_REMOVAL);
    m_bMultipleSelection = FALSE;
    m_list.InsertColumn(0, Text(IDS_COLUMN_NAME), LVCFMT_LEFT, 100);
    m_list.InsertColumn(1, Text(IDS_COLUMN_SOURCE), LVCFMT_LEFT, 140);
    m_list.InsertColumn(2, Text(IDS_COLUMN_TARGET_DIRECTORY), LVCFMT_LEFT, 300);
    for (int i = 0; i < kCopyModes; ++i) {
        int item = m_copyMode.AddString(Text(IDS_ALWAYS_COPY + i));
        m_copyMode.SetItemData(item, static_cast<DWORD_PTR>(1) << i);
    }
    for (int id : {IDC_APP_FILES_COPY_MODE, IDC_APP_FILES_COPY, IDC_APP_FILES_REMOVE, IDC_APP_FILES_DELETE,
                   IDC_APP_FILES_MODIFY, IDC_APP_FILES_SHARED})
        GetDlgItem(id)->EnableWindow(FALSE);
    ReadStream();
    m_addMenu.LoadMenu(IDR_APP_FILES_MENU);
    return TRUE;
}

void CAppFilesPage::OnDestroy() {
    CDistributionPage::OnDestroy();
    m_addMenu.DestroyMenu();
    // The rows go with the window: the list shows none of them any more.
    m_list.SetItemCountEx(0);
    for (CAppFileItem* row : m_rows) delete row;
    m_rows.clear();
    m_shown.Clear();
}

CAppFileItem* CAppFilesPage::RowOf(int line) const {
    return line >= 0 && static_cast<size_t>(line) < m_rows.size() ? m_rows[static_cast<size_t>(line)] : nullptr;
}

const CString& CAppFilesPage::CellText(const CAppFileItem& row, int column) const {
    switch (column) {
    case 0: return row.GetFileName();
    case 1: {
        // A file read or added as a delete has no source; one switched to
        // a delete keeps the source it shows.
        bool removal = row.GetKind() == kFileKind && row.GetSubtype() == kDelete && row.GetSource().IsEmpty();
        return removal ? m_removalText : row.GetSource();
    }
    default: return row.GetDirectory();
    }
}

void CAppFilesPage::SplitTarget(const CString& target, int kind, bool whole, CString& fileName,
                                CString& directory) {
    const char* text = target;
    const char* slash = KMLstrrchr(text, '\\');
    if (slash) {
        fileName = CString(slash + 1);
        directory = CString(text, static_cast<int>(slash - text));
    } else {
        fileName = target;
        // A file's directory column shows the whole target when read or
        // added, nothing after an edit; a directory's shows nothing.
        directory = kind == kFileKind && whole ? target : CString();
    }
}

std::string_view CAppFilesPage::IndexKey(const CString& fileName, const CString& directory) {
    // The name, a zero byte and the directory, in upper case, in a buffer
    // the page reuses.
    m_key.assign(fileName, fileName.GetLength()).append(1, '\0').append(directory, directory.GetLength());
    KMLstrupr(m_key.data());
    KMLstrupr(m_key.data() + fileName.GetLength() + 1);
    return m_key;
}

void CAppFilesPage::Index(const CAppFileItem* row, int change) {
    // An index still to be built will count the rows as they are then.
    if (!m_bIndexed) return;
    std::string_view key = IndexKey(row->GetFileName(), row->GetDirectory());
    if (change > 0)
        m_shown.Add(key, true);
    else
        m_shown.Remove(key);
}

void CAppFilesPage::AddFileRow(CString source, CString target, int kind, int subtype, int flags) {
    CString fileName, directory;
    SplitTarget(target, kind, true, fileName, directory);
    // The lines of a read into an empty list (the list's rows stay as they
    // are until the read ends) are tested against each other when it ends
    // (EndEntries); any other line against the index.
    if (!(m_bReading && m_rows.empty())) {
        BuildIndex();
        if (!m_shown.Add(IndexKey(fileName, directory), false)) return;
    }
    bool removal = kind == kFileKind && subtype == kDelete;
    auto* row = new CAppFileItem(removal ? CString() : std::move(source), std::move(target), std::move(fileName),
                                 std::move(directory), flags, subtype, kind);
    if (m_bReading) {
        m_readRows.push_back(row);
        return;
    }
    // A new line goes in at the top; the list moves the selection with it.
    m_rows.insert(m_rows.begin(), row);
    if (m_list.InsertItem(0, LPSTR_TEXTCALLBACKA) < 0) {
        m_rows.erase(m_rows.begin());
        Index(row, -1);
        delete row;
    }
}

void CAppFilesPage::BuildIndex() {
    if (m_bIndexed) return;
    m_shown.Clear();
    for (const CAppFileItem* row : m_rows) m_shown.Add(IndexKey(row->GetFileName(), row->GetDirectory()), true);
    m_bIndexed = true;
}

void CAppFilesPage::RearrangeRows(const std::function<void()>& change) {
    // The list keeps the selection by line: it is taken off the lines and
    // put back where its rows stand after the change.
    std::unordered_map<const CAppFileItem*, UINT> marked;
    for (UINT flag : {LVNI_SELECTED, LVNI_FOCUSED})
        for (int line = m_list.GetNextItem(-1, flag); line >= 0; line = m_list.GetNextItem(line, flag))
            marked[RowOf(line)] |= flag == LVNI_SELECTED ? LVIS_SELECTED : LVIS_FOCUSED;
    constexpr UINT kMarks = LVIS_SELECTED | LVIS_FOCUSED;
    // The controls show the same selection before and after.
    m_bRearranging = true;
    if (!marked.empty()) m_list.SetItemState(-1, 0, kMarks);
    change();
    m_list.SetItemCountEx(static_cast<int>(m_rows.size()));
    for (size_t line = 0; line < m_rows.size() && !marked.empty(); ++line) {
        auto it = marked.find(m_rows[line]);
        if (it == marked.end()) continue;
        m_list.SetItemState(static_cast<int>(line), it->second, kMarks);
        marked.erase(it);
    }
    m_bRearranging = false;
}

void CAppFilesPage::BeginEntries() {
    // The list is drawn once, when all lines of a read are in.
    m_list.SendMessage(WM_SETREDRAW, FALSE);
    m_bReading = true;
    // Into an empty list, the read's names are tested for duplicates once
    // they are sorted, and the index waits until a line is added later:
    // most reads are never followed by an edit that needs it.
    if (m_rows.empty()) {
        m_shown.Clear();
        m_bIndexed = false;
    }
}

void CAppFilesPage::EndEntries() {
    m_bReading = false;
    std::vector<CAppFileItem*> rows = std::move(m_readRows);
    m_readRows.clear();
    // The read is sorted by name once it has ended (OnReadFinished), lines
    // of equal names the later row first, as lines put one by one at the
    // top would be. In that order already, the sort only checks it.
    auto byName = [](const CAppFileItem* a, const CAppFileItem* b) { return CompareRows(a, b, 0) < 0; };
    if (!std::is_sorted(rows.begin(), rows.end(), byName)) std::stable_sort(rows.begin(), rows.end(), byName);
    // Run by run of equal names: the duplicates of a read into an empty
    // list go (the first in the stream stays), then the run turns round.
    CLineIndex run;
    size_t kept = 0;
    for (size_t first = 0; first < rows.size();) {
        size_t last = first + 1;
        while (last < rows.size() && !byName(rows[first], rows[last])) ++last;
        size_t start = kept;
        bool test = m_rows.empty() && last - first > 1;
        for (size_t i = first; i < last; ++i) {
            CAppFileItem* row = rows[i];
            if (test && !run.Add(IndexKey(row->GetFileName(), row->GetDirectory()), false)) {
                delete row;
                continue;
            }
            rows[kept++] = row;
        }
        if (test) run.Clear();
        std::reverse(rows.begin() + static_cast<std::ptrdiff_t>(start),
                     rows.begin() + static_cast<std::ptrdiff_t>(kept));
        first = last;
    }
    rows.resize(kept);
    // The read's lines go in at the top, in that order.
    if (!rows.empty()) RearrangeRows([&] { m_rows.insert(m_rows.begin(), rows.begin(), rows.end()); });
    m_list.SendMessage(WM_SETREDRAW, TRUE);
}

void CAppFilesPage::AddEntry(const TemplateEntry& entry) {
    int flags = static_cast<int>(entry.values[0]);
    int subtype = static_cast<int>(entry.subtype);
    if (entry.kind == kFileKind) {
        CString first = FieldText(entry.fields[0]), second = FieldText(entry.fields[1]);
        if (entry.subtype & kDelete)  // the first text is the file to delete
            AddFileRow(std::move(second), std::move(first), kFileKind, subtype, flags);
        else
            AddFileRow(std::move(first), std::move(second), kFileKind, subtype, flags);
    } else if (entry.kind == kDirectoryKind) {
        AddFileRow(Text(IDS_DIRECTORY_SOURCE), FieldText(entry.fields[0]), kDirectoryKind, subtype, flags);
    }
}

void CAppFilesPage::DisableForReading() {
    for (int id : {IDC_APP_FILES_LIST, IDC_APP_FILES_ADD, IDC_APP_FILES_IMPORT, IDC_APP_FILES_MODIFY,
                   IDC_APP_FILES_DELETE, IDC_APP_FILES_COPY, IDC_APP_FILES_REMOVE, IDC_APP_FILES_COPY_MODE,
                   IDC_APP_FILES_SHARED})
        GetDlgItem(id)->EnableWindow(FALSE);
}

void CAppFilesPage::OnReadFinished() {
    m_list.EnableWindow(TRUE);
    GetDlgItem(IDC_APP_FILES_ADD)->EnableWindow(MayEdit());
    GetDlgItem(IDC_APP_FILES_IMPORT)->EnableWindow(MayEdit());
    SortBy(0);
}

void CAppFilesPage::ApplyRights() {
    for (int id : kEditingControls) GetDlgItem(id)->EnableWindow(FALSE);
}

void CAppFilesPage::SortBy(int column) {
    if (column < 0 || column > 2) column = 0;
    auto before = [column](const CAppFileItem* a, const CAppFileItem* b) { return CompareRows(a, b, column) < 0; };
    // Rows already in order stay: a read comes sorted by name.
    if (std::is_sorted(m_rows.begin(), m_rows.end(), before)) return;
    RearrangeRows([&] { std::stable_sort(m_rows.begin(), m_rows.end(), before); });
}

LONG CAppFilesPage::WriteRows(HFILE file) {
    SortBy(0);
    for (const CAppFileItem* row : m_rows) {
        LONG result = 0;
        if (row->GetKind() == kDirectoryKind)
            result = theAppLibrary.TemplateWriteDirEntry(file, row->GetSubtype(), row->GetFlags(), row->GetTarget());
        else if (row->GetSubtype() == kDelete)
            result = theAppLibrary.TemplateWriteFileEntry(file, kDelete, row->GetFlags(), row->GetTarget(),
                                                          row->GetSource());
        else
            result = theAppLibrary.TemplateWriteFileEntry(file, row->GetSubtype(), row->GetFlags(), row->GetSource(),
                                                          row->GetTarget());
        if (result != 0) return result;
    }
    return 0;
}

void CAppFilesPage::OnAddMenu() {
    CMenu* popup = m_addMenu.GetSubMenu(0);
    if (!popup) return;
    CRect button;
    GetDlgItem(IDC_APP_FILES_ADD)->GetWindowRect(&button);
    popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_LEFTBUTTON, button.left, button.bottom, this);
}

void CAppFilesPage::OnAddEntry(UINT command) {
    if (command == ID_ADD_FILE_COMMAND) {
        CEditFilesDlg dialog(this);
        dialog.SetOfferDelete(TRUE);
        if (dialog.DoModal() != IDOK) return;
        if (dialog.GetDelete())
            AddFileRow(CString(), dialog.GetTarget(), kFileKind, kDelete, 0);
        else
            AddFileRow(dialog.GetSource(), dialog.GetTarget(), kFileKind, kCopy, kCopyIfNewer);
    } else {
        CEditDirectoryDlg dialog(this);
        if (dialog.DoModal() != IDOK) return;
        AddFileRow(Text(IDS_DIRECTORY_SOURCE), dialog.GetDirectory(), kDirectoryKind, kCopy, 0);
    }
    SetModified();
}

void CAppFilesPage::OnModify() {
    if (m_list.GetSelectedCount() > 1) {
        MessageBeep(0);
        return;
    }
    int line = m_list.GetNextItem(-1, LVNI_SELECTED);
    CAppFileItem* row = line < 0 ? nullptr : RowOf(line);
    if (!row) return;
    CString target;
    if (row->GetKind() == kFileKind) {
        CEditFilesDlg dialog(this);
        dialog.SetSource(row->GetSource());
        dialog.SetTarget(row->GetTarget());
        dialog.SetDelete(row->GetSubtype() == kDelete);
        if (dialog.DoModal() != IDOK) return;
        target = dialog.GetTarget();
        if (row->GetSubtype() != kDelete) row->SetSource(dialog.GetSource());
    } else {
        CEditDirectoryDlg dialog(this);
        dialog.SetDirectory(row->GetTarget());
        if (dialog.DoModal() != IDOK) return;
        target = dialog.GetDirectory();
    }
    CString fileName, directory;
    SplitTarget(target, row->GetKind(), false, fileName, directory);
    Index(row, -1);
    row->SetTarget(target);
    row->SetFileName(fileName);
    row->SetDirectory(directory);
    Index(row, +1);
    m_list.RedrawItems(line, line);
    SetModified();
}

void CAppFilesPage::OnDelete() {
    bool any = false;
    for (int line = m_list.GetNextItem(-1, LVNI_SELECTED); line >= 0;
         line = m_list.GetNextItem(line - 1, LVNI_SELECTED)) {
        m_list.DeleteItem(line);  // the row goes with its line
        any = true;
    }
    if (any) SetModified();
}

void CAppFilesPage::OnCopyRadio() {
    bool any = false;
    bool single = m_list.GetSelectedCount() == 1;
    for (int line = m_list.GetNextItem(-1, LVNI_SELECTED); line >= 0; line = m_list.GetNextItem(line, LVNI_SELECTED)) {
        any = true;
        CheckDlgButton(IDC_APP_FILES_COPY, BST_CHECKED);
        CheckDlgButton(IDC_APP_FILES_REMOVE, BST_UNCHECKED);
        m_copyMode.EnableWindow(TRUE);
        CAppFileItem* row = RowOf(line);
        if (!row) continue;
        if (row->GetKind() == kDirectoryKind) {
            row->SetSubtype(kCopy);
            continue;
        }
        CString source = row->GetSource();
        CString target = row->GetTarget();
        if (source.IsEmpty()) {
            // A file to delete needs a source before it can be copied.
            CEditFilesDlg dialog(this);
            dialog.SetSource(source);
            dialog.SetTarget(target);
            if (dialog.DoModal() != IDOK) {
                if (single) {
                    CheckDlgButton(IDC_APP_FILES_REMOVE, BST_CHECKED);
                    CheckDlgButton(IDC_APP_FILES_COPY, BST_UNCHECKED);
                    m_copyMode.SetCurSel(-1);
                    m_copyMode.EnableWindow(FALSE);
                }
                continue;
            }
            source = dialog.GetSource();
            target = dialog.GetTarget();
        }
        CString fileName, directory;
        SplitTarget(target, kFileKind, false, fileName, directory);
        Index(row, -1);
        row->SetSource(source);
        row->SetTarget(target);
        row->SetFileName(fileName);
        row->SetDirectory(directory);
        Index(row, +1);
        row->SetSubtype(kCopy);
        m_list.RedrawItems(line, line);
        if (row->GetFlags() == 0) row->SetFlags(kCopyIfNewer);
        if (single) SelectCopyMode(row->GetFlags());
    }
    if (any) SetModified();
}

void CAppFilesPage::OnDeleteRadio() {
    bool any = false;
    for (int line = m_list.GetNextItem(-1, LVNI_SELECTED); line >= 0; line = m_list.GetNextItem(line, LVNI_SELECTED)) {
        any = true;
        if (CAppFileItem* row = RowOf(line)) row->SetSubtype(kDelete);
    }
    CheckDlgButton(IDC_APP_FILES_COPY, BST_UNCHECKED);
    CheckDlgButton(IDC_APP_FILES_REMOVE, BST_CHECKED);
    m_copyMode.SetCurSel(-1);
    m_copyMode.EnableWindow(FALSE);
    if (any) SetModified();
}

void CAppFilesPage::OnCopyModeChange() {
    int item = m_copyMode.GetCurSel();
    if (item < 0) return;
    int mode = static_cast<int>(m_copyMode.GetItemData(item));
    for (int line = m_list.GetNextItem(-1, LVNI_SELECTED); line >= 0; line = m_list.GetNextItem(line, LVNI_SELECTED)) {
        CAppFileItem* row = RowOf(line);
        if (row && row->GetKind() == kFileKind) row->SetFlags(mode | (row->GetFlags() & kSharedFile));
    }
    SetModified();
}

void CAppFilesPage::OnSharedFile() {
    if (m_list.GetSelectedCount() != 1) return;
    CAppFileItem* row = RowOf(m_list.GetNextItem(-1, LVNI_SELECTED));
    if (!row) return;
    if (IsDlgButtonChecked(IDC_APP_FILES_SHARED) == BST_CHECKED)
        row->SetFlags(row->GetFlags() | kSharedFile);
    else
        row->SetFlags(row->GetFlags() & ~kSharedFile);
    SetModified();
}

void CAppFilesPage::SelectCopyMode(int flags) {
    int chosen = -1;
    for (int item = 0; item < m_copyMode.GetCount(); ++item)
        if (static_cast<int>(m_copyMode.GetItemData(item)) & flags) chosen = item;
    m_copyMode.SetCurSel(chosen);
}

void CAppFilesPage::ShowFileButtons(const CAppFileItem* row) {
    bool file = row->GetKind() == kFileKind;
    SetDlgItemText(IDC_APP_FILES_COPY, Text(file ? IDS_COPY_FILE : IDS_CREATE_DIRECTORY));
    SetDlgItemText(IDC_APP_FILES_REMOVE, Text(file ? IDS_DELETE_FILE : IDS_DELETE_DIRECTORY));
    bool removal = row->GetSubtype() == kDelete;
    CheckDlgButton(IDC_APP_FILES_COPY, removal ? BST_UNCHECKED : BST_CHECKED);
    CheckDlgButton(IDC_APP_FILES_REMOVE, removal ? BST_CHECKED : BST_UNCHECKED);
    GetDlgItem(IDC_APP_FILES_COPY)->EnableWindow(CanWrite());
    GetDlgItem(IDC_APP_FILES_REMOVE)->EnableWindow(CanWrite());
    if (file) {
        GetDlgItem(IDC_APP_FILES_SHARED)->EnableWindow(TRUE);
        CheckDlgButton(IDC_APP_FILES_SHARED, (row->GetFlags() & kSharedFile) ? BST_CHECKED : BST_UNCHECKED);
        if (removal) {
            m_copyMode.SetCurSel(-1);
            m_copyMode.EnableWindow(FALSE);
        } else {
            m_copyMode.EnableWindow(TRUE);
            SelectCopyMode(row->GetFlags());
        }
    } else {
        GetDlgItem(IDC_APP_FILES_SHARED)->EnableWindow(FALSE);
        m_copyMode.SetCurSel(-1);
        m_copyMode.EnableWindow(FALSE);
    }
}

void CAppFilesPage::OnItemChanged(NMHDR* header, LRESULT* result) {
    *result = 0;
    if (m_bRearranging) return;
    auto* change = reinterpret_cast<NMLISTVIEW*>(header);
    UINT selected = m_list.GetSelectedCount();
    if (selected == 1) {
        m_bMultipleSelection = FALSE;
        GetDlgItem(IDC_APP_FILES_MODIFY)->EnableWindow(CanWrite());
        bool becameSelected = (change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) &&
                              !(change->uOldState & LVIS_SELECTED);
        if (becameSelected) {
            if (const CAppFileItem* row = RowOf(change->iItem)) {
                ShowFileButtons(row);
            } else {
                for (int id : {IDC_APP_FILES_COPY_MODE, IDC_APP_FILES_COPY, IDC_APP_FILES_REMOVE, IDC_APP_FILES_SHARED})
                    GetDlgItem(id)->EnableWindow(FALSE);
            }
        }
    } else if (selected >= 2 && !m_bMultipleSelection) {
        SetDlgItemText(IDC_APP_FILES_COPY, Text(IDS_CREATE));
        SetDlgItemText(IDC_APP_FILES_REMOVE, Text(IDS_DELETE));
        GetDlgItem(IDC_APP_FILES_MODIFY)->EnableWindow(FALSE);
        CheckDlgButton(IDC_APP_FILES_SHARED, BST_UNCHECKED);
        GetDlgItem(IDC_APP_FILES_SHARED)->EnableWindow(FALSE);
        CheckDlgButton(IDC_APP_FILES_COPY, BST_UNCHECKED);
        CheckDlgButton(IDC_APP_FILES_REMOVE, BST_UNCHECKED);
        m_copyMode.EnableWindow(CanWrite());
        m_copyMode.SetCurSel(-1);
        m_bMultipleSelection = TRUE;
    }
    if (selected == 0) {
        GetDlgItem(IDC_APP_FILES_DELETE)->EnableWindow(FALSE);
        GetDlgItem(IDC_APP_FILES_SHARED)->EnableWindow(FALSE);
    } else {
        GetDlgItem(IDC_APP_FILES_DELETE)->EnableWindow(CanWrite());
    }
}

void CAppFilesPage::OnColumnClick(NMHDR* header, LRESULT* result) {
    *result = 0;
    SortBy(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem);
}

void CAppFilesPage::OnDeleteItem(NMHDR* header, LRESULT* result) {
    *result = 0;
    // The list tells of a line before it goes; its row goes with it.
    int line = reinterpret_cast<NMLISTVIEW*>(header)->iItem;
    CAppFileItem* row = RowOf(line);
    if (!row) return;
    m_rows.erase(m_rows.begin() + line);
    Index(row, -1);
    delete row;
}

void CAppFilesPage::OnGetDispInfo(NMHDR* header, LRESULT* result) {
    *result = 0;
    auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
    const CAppFileItem* row = RowOf(info->item.iItem);
    if (!row || !(info->item.mask & LVIF_TEXT)) return;
    info->item.pszText = const_cast<LPSTR>(static_cast<LPCSTR>(CellText(*row, info->item.iSubItem)));
}

void CAppFilesPage::OnDoubleClick(NMHDR* header, LRESULT* result) {
    *result = 0;
    (void)header;
    if (CanWrite()) OnModify();
}
