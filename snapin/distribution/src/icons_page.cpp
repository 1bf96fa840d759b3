#include "snapin/distribution/icons_page.h"


#include "snapin/core/app_library.h"
#include "snapin/core/common_resource.h"
#include "snapin/core/schema_names.h"
#include "snapin/distribution/distribution_resource.h"
#include "snapin/distribution/program_group_dlg.h"
#include "snapin/distribution/shortcut_properties_dlg.h"
#include "vpr/locale/locale.h"

namespace {

constexpr int kGroupKind = 18;
constexpr int kIconKind = 19;
constexpr int kCreate = 1;
constexpr int kDelete = 2;
constexpr int kItemAdd = 1;
constexpr int kShortcutAdd = 3;
constexpr int kShortcutDelete = 4;
constexpr int kGroupImage = 0;     // icon 377
constexpr int kItemImage = 1;      // icon 379
constexpr int kShortcutImage = 2;  // icon 378

const CDistributionPage::Description kIcons = {
    IDS_ICONS, IDD_ICONS, HID_ICONS, snapin::kAttrProgramGroups, IDC_ICON_LIST,
    0, IDS_IMPORTING_ICONS, false, IDS_QMT_FILTER,
};

CString Text(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

bool IsShortcut(const CIconItem& row) {
    return row.GetKind() == kIconKind && (row.GetSubtype() == kShortcutAdd || row.GetSubtype() == kShortcutDelete);
}

}  // namespace

BEGIN_MESSAGE_MAP(CIconsPage, CDistributionPage)
ON_BN_CLICKED(IDC_ICON_IMPORT, OnImportButton)
ON_BN_CLICKED(IDC_ICON_ADD, OnAddButton)
ON_COMMAND(ID_ADD_PROGRAM_GROUP, OnAddProgramGroup)
ON_COMMAND(ID_ADD_GROUP_ITEM, OnAddGroupItem)
ON_COMMAND(ID_ADD_SHORTCUT, OnAddShortcut)
ON_BN_CLICKED(IDC_ICON_MODIFY, OnModify)
ON_BN_CLICKED(IDC_ICON_DELETE, OnDelete)
ON_NOTIFY(LVN_ITEMCHANGED, IDC_ICON_LIST, OnItemChanged)
ON_NOTIFY(LVN_DELETEITEM, IDC_ICON_LIST, OnDeleteItem)
ON_NOTIFY(NM_DBLCLK, IDC_ICON_LIST, OnDoubleClick)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CIconsPage::CIconsPage() : CDistributionPage(kIcons) {}

CIconsPage::~CIconsPage() = default;

BOOL CIconsPage::OnInitDialog() {
    CDialog::OnInitDialog();
    m_list.SubclassDlgItem(IDC_ICON_LIST, this);
    m_list.InsertColumn(0, Text(IDS_COLUMN_NAME), LVCFMT_LEFT, 150);
    m_list.InsertColumn(1, Text(IDS_COLUMN_TYPE), LVCFMT_LEFT, 170);
    if (!m_images.GetSafeHandle()) {
        HINSTANCE resources = AfxGetResourceHandle();
        m_images.Create(16, 16, ILC_MASK, 0, 2);
        for (UINT icon : {IDI_PROGRAM_GROUP, IDI_GROUP_ITEM, IDI_SHORTCUT}) {
            HICON handle = LoadIconA(resources, MAKEINTRESOURCEA(icon));
            m_images.Add(handle);
            DestroyIcon(handle);
        }
    }
    m_list.SetImageList(&m_images, LVSIL_SMALL);
    m_bMultipleSelection = FALSE;
    ReadStream();
    m_addMenu.DestroyMenu();
    m_addMenu.LoadMenu(IDR_ICON_MENU);
    GetDlgItem(IDC_ICON_MODIFY)->EnableWindow(FALSE);
    GetDlgItem(IDC_ICON_DELETE)->EnableWindow(FALSE);
    return TRUE;
}

void CIconsPage::OnDestroy() {
    CDistributionPage::OnDestroy();
    m_addMenu.DestroyMenu();
}

CIconItem* CIconsPage::RowOf(int line) const { return reinterpret_cast<CIconItem*>(m_list.GetItemData(line)); }

std::string CIconsPage::Key(const CString& group, const CString& itemName) {
    return static_cast<const char*>(group) + std::string(1, '\0') + static_cast<const char*>(itemName);
}

void CIconsPage::Index(const CIconItem& row) {
    ++m_groups[static_cast<const char*>(row.GetGroup())];
    ++m_names[Key(row.GetGroup(), row.GetItemName())];
}

void CIconsPage::BeginEntries() {
    m_groups.clear();
    m_names.clear();
    for (int line = 0; line < m_list.GetItemCount(); ++line)
        if (const CIconItem* row = RowOf(line)) Index(*row);
    m_indexing = true;
}

void CIconsPage::EndEntries() {
    m_indexing = false;
    m_groups.clear();
    m_names.clear();
}

BOOL CIconsPage::IsDuplicateRow(const CString& group, const CString& itemName, bool anyItem) const {
    if (m_indexing)
        return anyItem ? m_groups.count(static_cast<const char*>(group)) > 0 : m_names.count(Key(group, itemName)) > 0;
    for (int line = 0; line < m_list.GetItemCount(); ++line) {
        const CIconItem* row = RowOf(line);
        if (!row || row->GetGroup() != group) continue;
        if (anyItem || row->GetItemName() == itemName) return TRUE;
    }
    return FALSE;
}

int CIconsPage::InsertRow(CIconItem* row) {
    int image = row->GetKind() == kGroupKind ? kGroupImage : IsShortcut(*row) ? kShortcutImage : kItemImage;
    UINT type = row->GetKind() == kGroupKind ? IDS_PROGRAM_GROUP : IsShortcut(*row) ? IDS_SHORTCUT : IDS_GROUP_ITEM;
    CString name = row->GetKind() == kGroupKind ? row->GetGroup() : row->GetItemName();
    int line = m_list.InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, 0, name, 0, 0, image,
                                 reinterpret_cast<LPARAM>(row));
    if (line < 0) {
        delete row;
        return -1;
    }
    m_list.SetItemText(line, 1, Text(type));
    if (m_indexing) Index(*row);
    return line;
}

BOOL CIconsPage::AddIconRow(CIconItem* row) {
    // A group duplicates a line with its group and no item name; an item or
    // shortcut one with its group and item name, or, without an item name,
    // any line of its group.
    bool duplicate = row->GetKind() == kGroupKind
                         ? IsDuplicateRow(row->GetGroup(), CString(), false)
                         : IsDuplicateRow(row->GetGroup(), row->GetItemName(), row->GetItemName().IsEmpty());
    if (duplicate) {
        delete row;
        return FALSE;
    }
    return InsertRow(row) >= 0;
}

void CIconsPage::AddEntry(const TemplateEntry& entry) {
    if (entry.kind == kGroupKind) {
        AddIconRow(new CIconItem(FieldText(entry.fields[0]), static_cast<int>(entry.subtype)));
        return;
    }
    if (entry.kind != kIconKind) return;
    int subtype = static_cast<int>(entry.subtype);
    CString group, itemName, commandLine, linkPath;
    if (subtype == kShortcutAdd || subtype == kShortcutDelete) {
        // The link file's folder, and its name without the last extension.
        linkPath = FieldText(entry.fields[0]);
        int slash = LocFindLastChar(linkPath, '\\');
        if (slash >= 0) {
            group = linkPath.Left(slash);
            CString fileName = linkPath.Mid(slash + 1);
            int dot = LocFindLastChar(fileName, '.');
            itemName = dot >= 0 ? fileName.Left(dot) : fileName;
        }
        commandLine = FieldText(entry.fields[3]);
    } else {
        group = FieldText(entry.fields[0]);
        itemName = FieldText(entry.fields[1]);
    }
    auto* row = new CIconItem(group, itemName, FieldText(entry.fields[2]), commandLine, FieldText(entry.fields[4]),
                              FieldText(entry.fields[5]), subtype, static_cast<int>(entry.values[0]),
                              static_cast<int>(entry.values[1]), static_cast<int>(entry.values[2]),
                              static_cast<int>(entry.values[3]));
    // Written back as read until the row is edited.
    row->SetLinkPath(linkPath);
    AddIconRow(row);
}

void CIconsPage::DisableForReading() {
    for (int id : {IDC_ICON_DELETE, IDC_ICON_MODIFY, IDC_ICON_ADD, IDC_ICON_IMPORT, IDC_ICON_LIST})
        GetDlgItem(id)->EnableWindow(FALSE);
}

void CIconsPage::OnReadFinished() {
    m_list.EnableWindow(TRUE);
    GetDlgItem(IDC_ICON_ADD)->EnableWindow(MayEdit());
    GetDlgItem(IDC_ICON_IMPORT)->EnableWindow(MayEdit());
    m_list.Invalidate();
}

void CIconsPage::ApplyRights() {
    for (int id : {IDC_ICON_ADD, IDC_ICON_DELETE, IDC_ICON_IMPORT, IDC_ICON_MODIFY}) GetDlgItem(id)->EnableWindow(FALSE);
}

CString CIconsPage::LinkPath(const CIconItem& row) {
    if (!row.GetLinkPath().IsEmpty()) return row.GetLinkPath();
    return row.GetGroup() + "\\" + row.GetItemName() + ".lnk";
}

LONG CIconsPage::WriteRows(HFILE file) {
    for (int line = 0; line < m_list.GetItemCount(); ++line) {
        const CIconItem* row = RowOf(line);
        if (!row) continue;
        LONG result = 0;
        if (row->GetKind() == kGroupKind)
            result = theAppLibrary.TemplateWritePMGroupEntry(file, row->GetSubtype(), row->GetGroup());
        else if (IsShortcut(*row))
            result = theAppLibrary.TemplateWriteUserIconEntry(
                file, row->GetSubtype(), LinkPath(*row), "", row->GetProgramPath(), row->GetCommandLine(),
                row->GetIconFile(), row->GetWorkingDirectory(), row->GetFlags(), row->GetIconIndex(),
                row->GetShowCommand(), row->GetSeparateMemorySpace());
        else
            // A program group item has no command line.
            result = theAppLibrary.TemplateWriteUserIconEntry(
                file, row->GetSubtype(), row->GetGroup(), row->GetItemName(), row->GetProgramPath(), "",
                row->GetIconFile(), row->GetWorkingDirectory(), row->GetFlags(), row->GetIconIndex(),
                row->GetShowCommand(), row->GetSeparateMemorySpace());
        if (result != 0) return result;
    }
    return 0;
}

void CIconsPage::OnAddButton() {
    CMenu* popup = m_addMenu.GetSubMenu(0);
    if (!popup) return;
    CRect button;
    GetDlgItem(IDC_ICON_ADD)->GetWindowRect(&button);
    popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_LEFTBUTTON, button.left, button.bottom, this);
}

void CIconsPage::OnAddCommand(UINT command) {
    if (command == ID_PROGRAM_GROUP_COMMAND) {
        CProgramGroupDlg dialog(this);
        dialog.SetCreate(TRUE);
        if (dialog.DoModal() != IDOK) return;
        AddIconRow(new CIconItem(dialog.GetName(), dialog.GetCreate() ? kCreate : kDelete));
    } else {
        CShortcutPropertiesDlg dialog(this);
        dialog.SetType(command == ID_SHORTCUT_COMMAND ? kShortcutAdd : kItemAdd);
        if (dialog.DoModal() != IDOK) return;
        auto* row = new CIconItem;
        dialog.GetItem(*row);
        AddIconRow(row);
    }
    // Also when the line was refused as a duplicate.
    SetModified();
}

void CIconsPage::OnModify() {
    if (m_list.GetSelectedCount() > 1) {
        MessageBeep(0);
        return;
    }
    int line = m_list.GetNextItem(-1, LVNI_SELECTED);
    CIconItem* row = line < 0 ? nullptr : RowOf(line);
    if (!row) return;
    if (row->GetKind() == kGroupKind) {
        CProgramGroupDlg dialog(this);
        dialog.SetCreate(row->GetSubtype() == kCreate);
        dialog.SetName(row->GetGroup());
        if (dialog.DoModal() != IDOK) return;
        row->SetGroup(dialog.GetName());
        row->SetSubtype(dialog.GetCreate() ? kCreate : kDelete);
    } else {
        CShortcutPropertiesDlg dialog(this);
        dialog.SetItem(*row);
        if (dialog.DoModal() != IDOK) return;
        dialog.GetItem(*row);
        // An edited shortcut writes the link path of its group and name.
        row->SetLinkPath(CString());
    }
    // Inserted again, so that the line takes its place among the names; the
    // row moves with it.
    m_list.SetItemData(line, 0);
    m_list.DeleteItem(line);
    line = InsertRow(row);
    if (line >= 0) m_list.SetItemState(line, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetModified();
}

void CIconsPage::OnDelete() {
    bool any = false;
    // From the start each time: the line after a removed one takes its index.
    for (int line = m_list.GetNextItem(-1, LVNI_SELECTED); line >= 0; line = m_list.GetNextItem(-1, LVNI_SELECTED)) {
        m_list.DeleteItem(line);  // the row goes with its line
        any = true;
    }
    if (any) SetModified();
}

void CIconsPage::OnItemChanged(NMHDR*, LRESULT* result) {
    *result = 0;
    if (!CanWrite()) return;
    UINT selected = m_list.GetSelectedCount();
    if (selected >= 2) {
        if (!m_bMultipleSelection) {
            GetDlgItem(IDC_ICON_MODIFY)->EnableWindow(FALSE);
            GetDlgItem(IDC_ICON_DELETE)->EnableWindow(TRUE);
            m_bMultipleSelection = TRUE;
        }
    } else {
        m_bMultipleSelection = FALSE;
        GetDlgItem(IDC_ICON_MODIFY)->EnableWindow(selected == 1);
        GetDlgItem(IDC_ICON_DELETE)->EnableWindow(selected == 1);
    }
}

void CIconsPage::OnDeleteItem(NMHDR* header, LRESULT* result) {
    *result = 0;
    delete reinterpret_cast<CIconItem*>(reinterpret_cast<NMLISTVIEW*>(header)->lParam);
}

void CIconsPage::OnDoubleClick(NMHDR*, LRESULT* result) {
    *result = 0;
    if (CanWrite()) OnModify();
}
