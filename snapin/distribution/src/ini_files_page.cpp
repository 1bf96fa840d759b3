#include "snapin/distribution/ini_files_page.h"

#include <string_view>

#include "snapin/core/app_library.h"
#include "snapin/core/common_resource.h"
#include "snapin/core/schema_names.h"
#include "snapin/core/snapin_utilities.h"
#include "snapin/distribution/distribution_resource.h"
#include "snapin/distribution/string_edit_dlg.h"
#include "snapin/distribution/string_value_dlg.h"
#include "snapin/distribution/view_ini_file_dlg.h"
#include "vpr/locale/locale.h"

namespace {

constexpr int kIdentifierKind = 3;
constexpr int kSectionKind = 4;
constexpr int kCreate = 1;
constexpr int kDelete = 2;
constexpr int kSectionDelete = 1;        // the subtype of a section entry
constexpr int kCreateIfNotExists = 0x4;  // the flags of a value added here
constexpr int kSectionImage = 0;         // icon 401
constexpr int kSelectedSectionImage = 1; // icon 402
constexpr int kValueImage = 2;           // icon 403

const CDistributionPage::Description kIniFiles = {
    IDS_INI_FILES, IDD_INI_FILES, HID_INI_FILES, snapin::kAttrIniSettings, IDC_INI_FILE_LIST,
    IDS_LOADING_INI, IDS_IMPORTING_INI, false, IDS_QMT_FILTER,
};

// The flags lines: their texts and flag values.
constexpr struct {
    UINT text;
    int flags;
} kFlagLines[] = {{IDS_CREATE_ALWAYS, 0x1}, {IDS_CREATE_IF_EXISTS, 0x2}, {IDS_CREATE_IF_NOT_EXISTS, 0x4},
                  {IDS_CREATE_OR_ADD, 0x40}};

// Everything reading and Import disable, Delete File too.
constexpr int kReadingControls[] = {IDC_INI_MODIFY,      IDC_INI_DELETE,      IDC_INI_ADD_SECTION, IDC_INI_ADD_VALUE,
                                    IDC_INI_MODIFY_FILE, IDC_INI_DELETE_FILE, IDC_INI_SHOW_FILE,   IDC_INI_CREATE_ITEM,
                                    IDC_INI_DELETE_ITEM, IDC_INI_FLAGS,       IDC_INI_FILE_LIST,   IDC_INI_TREE,
                                    IDC_INI_IMPORT,      IDC_INI_NEW_FILE};

CString Text(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

std::string Bytes(const CString& text) { return static_cast<const char*>(text); }

std::string_view View(const CString& text) {
    return std::string_view(text, static_cast<size_t>(text.GetLength()));
}

std::string Folded(const CString& text) {
    std::string folded = Bytes(text);
    KMLstrupr(folded.data());
    return folded;
}

// The index keeps only a hash of a value's identifier and text; rows of
// equal hashes are told apart by their own texts.
size_t ValueHash(const CString& identifier, const CString& value) {
    std::hash<std::string_view> hash;
    size_t first = hash(View(identifier));
    size_t second = hash(View(value));
    return first ^ (second + 0x9e3779b97f4a7c15ull + (first << 6) + (first >> 2));
}

}  // namespace

CIniSectionList::~CIniSectionList() {
    while (!IsEmpty()) delete static_cast<CIniSectionItem*>(RemoveHead());
}

BEGIN_MESSAGE_MAP(CIniFilesPage, CDistributionPage)
ON_BN_CLICKED(IDC_INI_IMPORT, OnImportButton)
ON_LBN_SELCHANGE(IDC_INI_FILE_LIST, OnFileSelected)
ON_LBN_DBLCLK(IDC_INI_FILE_LIST, OnShowFile)
ON_BN_CLICKED(IDC_INI_SHOW_FILE, OnShowFile)
ON_BN_CLICKED(IDC_INI_NEW_FILE, OnNewFile)
ON_BN_CLICKED(IDC_INI_MODIFY_FILE, OnModifyFile)
ON_BN_CLICKED(IDC_INI_DELETE_FILE, OnDeleteFile)
ON_BN_CLICKED(IDC_INI_ADD_SECTION, OnAddSection)
ON_BN_CLICKED(IDC_INI_ADD_VALUE, OnAddValue)
ON_BN_CLICKED(IDC_INI_MODIFY, OnModify)
ON_BN_CLICKED(IDC_INI_DELETE, OnDelete)
ON_BN_CLICKED(IDC_INI_CREATE_ITEM, OnCreateItem)
ON_BN_CLICKED(IDC_INI_DELETE_ITEM, OnDeleteItem)
ON_CBN_SELCHANGE(IDC_INI_FLAGS, OnFlagsChanged)
ON_NOTIFY(TVN_SELCHANGEDA, IDC_INI_TREE, OnNodeSelected)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CIniFilesPage::CIniFilesPage() : CDistributionPage(kIniFiles) {}

CIniFilesPage::~CIniFilesPage() = default;

BOOL CIniFilesPage::OnInitDialog() {
    CDialog::OnInitDialog();
    m_files.SubclassDlgItem(IDC_INI_FILE_LIST, this);
    m_tree.SubclassDlgItem(IDC_INI_TREE, this);
    m_flags.SubclassDlgItem(IDC_INI_FLAGS, this);
    if (!m_images.GetSafeHandle()) {
        HINSTANCE resources = AfxGetResourceHandle();
        m_images.Create(16, 16, ILC_MASK, 0, 3);
        for (UINT icon : {IDI_CLOSED_FOLDER, IDI_OPEN_FOLDER, IDI_TEXT})
            m_images.Add(LoadIconA(resources, MAKEINTRESOURCEA(icon)));
    }
    m_tree.SetImageList(&m_images, TVSIL_NORMAL);
    m_flags.ResetContent();
    // The combo sorts its lines: the flags are always taken from the data.
    for (const auto& line : kFlagLines) m_flags.SetItemData(m_flags.AddString(Text(line.text)), line.flags);
    ReadStream();
    GetDlgItem(IDC_INI_DELETE_ITEM)->EnableWindow(FALSE);
    return TRUE;
}

void CIniFilesPage::OnDestroy() {
    CDistributionPage::OnDestroy();
    m_tree.DeleteAllItems();
    for (int line = m_files.GetCount() - 1; line >= 0; --line) {
        delete FileOf(line);
        m_files.SetItemDataPtr(line, nullptr);
    }
}

// ---- the model

CIniSectionList* CIniFilesPage::FileOf(int line) const {
    return line < 0 ? nullptr : static_cast<CIniSectionList*>(m_files.GetItemDataPtr(line));
}

CIniSectionList* CIniFilesPage::SelectedFile() const { return FileOf(m_files.GetCurSel()); }

CIniSectionList* CIniFilesPage::AddFile(const CString& name) {
    if (m_indexing) {
        auto found = m_fileIndex.find(Folded(name));
        if (found != m_fileIndex.end()) {
            m_lastFileName = name;
            m_lastFile = found->second;
            return found->second;
        }
    }
    int line = m_files.FindStringExact(-1, name);
    if (line < 0) line = m_files.AddString(name);
    if (line < 0) return nullptr;
    CIniSectionList* file = FileOf(line);
    if (!file) {
        file = new CIniSectionList;
        m_files.SetItemDataPtr(line, file);
    }
    if (m_indexing) {
        m_fileIndex.emplace(Folded(name), file);
        m_lastFileName = name;
        m_lastFile = file;
    }
    return file;
}

CIniSectionItem* CIniFilesPage::FindOrAddSection(CIniSectionList* file, const CString& name) {
    std::unordered_map<std::string, CIniSectionItem*>* index = nullptr;
    if (m_indexing) {
        auto [entry, fresh] = m_sectionIndex.try_emplace(file);
        index = &entry->second;
        if (fresh)
            for (POSITION pos = file->GetHeadPosition(); pos;) {
                auto* section = static_cast<CIniSectionItem*>(file->GetNext(pos));
                index->emplace(Bytes(section->GetName()), section);
            }
        auto found = index->find(Bytes(name));
        if (found != index->end()) {
            m_lastSectionFile = file;
            m_lastSectionName = name;
            m_lastSection = found->second;
            return found->second;
        }
    } else {
        for (POSITION pos = file->GetHeadPosition(); pos;) {
            auto* section = static_cast<CIniSectionItem*>(file->GetNext(pos));
            if (section->GetName() == name) return section;
        }
    }
    auto* section = new CIniSectionItem(name);
    file->AddTail(section);
    if (index) {
        index->emplace(Bytes(name), section);
        m_lastSectionFile = file;
        m_lastSectionName = name;
        m_lastSection = section;
    }
    return section;
}

CIniValueItem* CIniFilesPage::AddOrUpdateValue(CIniSectionItem* section, const CString& identifier,
                                               const CString& value, int subtype, int flags, bool* added) {
    CIniValueItem* found = nullptr;
    ValueIndex* index = nullptr;
    size_t key = 0;
    if (m_indexing) {
        if (section == m_lastValueSection) {
            index = m_lastValues;
        } else {
            auto [entry, fresh] = m_valueIndex.try_emplace(section, &m_indexMemory);
            index = &entry->second;
            if (fresh)
                for (POSITION pos = section->GetValues().GetHeadPosition(); pos;) {
                    auto* row = static_cast<CIniValueItem*>(section->GetValues().GetNext(pos));
                    index->emplace(ValueHash(row->GetIdentifier(), row->GetValue()), row);
                }
            m_lastValueSection = section;
            m_lastValues = index;
        }
        key = ValueHash(identifier, value);
        for (auto [it, end] = index->equal_range(key); it != end && !found; ++it)
            if (it->second->GetIdentifier() == identifier && it->second->GetValue() == value) found = it->second;
    } else {
        for (POSITION pos = section->GetValues().GetHeadPosition(); pos && !found;) {
            auto* row = static_cast<CIniValueItem*>(section->GetValues().GetNext(pos));
            if (row->GetIdentifier() == identifier && row->GetValue() == value) found = row;
        }
    }
    if (added) *added = !found;
    if (found) {
        found->SetSubtype(subtype);
        found->SetFlags(flags);
        return found;
    }
    auto* row = new CIniValueItem(identifier, value, subtype, flags);
    section->GetValues().AddTail(row);
    if (index) index->emplace(key, row);
    return row;
}

void CIniFilesPage::BeginEntries() {
    m_fileIndex.clear();
    m_sectionIndex.clear();
    m_valueIndex.clear();
    m_indexMemory.release();
    for (int line = 0; line < m_files.GetCount(); ++line) {
        CString name;
        m_files.GetText(line, name);
        if (CIniSectionList* file = FileOf(line)) m_fileIndex.emplace(Folded(name), file);
    }
    m_indexing = true;
    ForgetLastFound();
}

void CIniFilesPage::ForgetLastFound() {
    m_lastFileName.Empty();
    m_lastFile = nullptr;
    m_lastSectionFile = nullptr;
    m_lastSectionName.Empty();
    m_lastSection = nullptr;
    m_lastValueSection = nullptr;
    m_lastValues = nullptr;
}

void CIniFilesPage::EndEntries() {
    m_indexing = false;
    ForgetLastFound();
    m_fileIndex.clear();
    m_sectionIndex.clear();
    m_valueIndex.clear();
    m_indexMemory.release();
}

void CIniFilesPage::AddEntry(const TemplateEntry& entry) {
    if (entry.kind != kIdentifierKind && entry.kind != kSectionKind) return;
    // A stream lists a section's identifiers one after another: the file and
    // section found last are compared first, before their texts are made.
    std::string_view fileName = FieldBytes(entry.fields[0]), sectionName = FieldBytes(entry.fields[1]);
    CIniSectionList* file = m_lastFile && fileName == View(m_lastFileName) ? m_lastFile : AddFile(FieldText(entry.fields[0]));
    if (!file) return;
    CIniSectionItem* section = m_lastSection && file == m_lastSectionFile && sectionName == View(m_lastSectionName)
                                   ? m_lastSection
                                   : FindOrAddSection(file, FieldText(entry.fields[1]));
    // A section entry brings no value: it stands for the section's deletion.
    if (entry.kind == kIdentifierKind)
        AddOrUpdateValue(section, FieldText(entry.fields[2]), FieldText(entry.fields[3]),
                         static_cast<int>(entry.subtype), static_cast<int>(entry.values[0]));
}

LONG CIniFilesPage::WriteRows(HFILE file) {
    for (int line = 0; line < m_files.GetCount(); ++line) {
        CIniSectionList* sections = FileOf(line);
        if (!sections) continue;
        CString fileName;
        m_files.GetText(line, fileName);
        for (POSITION pos = sections->GetHeadPosition(); pos;) {
            auto* section = static_cast<CIniSectionItem*>(sections->GetNext(pos));
            LONG result = 0;
            if (section->GetValues().IsEmpty()) {
                result = theAppLibrary.TemplateWriteSectionEntry(file, kSectionDelete, fileName, section->GetName());
                if (result != 0) return result;
                continue;
            }
            for (POSITION at = section->GetValues().GetHeadPosition(); at;) {
                auto* value = static_cast<CIniValueItem*>(section->GetValues().GetNext(at));
                result = theAppLibrary.TemplateWriteIdentEntry(file, value->GetSubtype(), value->GetFlags(), fileName,
                                                               section->GetName(), value->GetIdentifier(),
                                                               value->GetValue());
                if (result != 0) return result;
            }
        }
    }
    return 0;
}

CString CIniFilesPage::FileText(int line) const {
    CString text;
    CIniSectionList* sections = FileOf(line);
    if (!sections) return text;
    for (POSITION pos = sections->GetHeadPosition(); pos;) {
        auto* section = static_cast<CIniSectionItem*>(sections->GetNext(pos));
        text += "[" + section->GetName() + "]\r\n";
        for (POSITION at = section->GetValues().GetHeadPosition(); at;)
            text += NodeText(*static_cast<CIniValueItem*>(section->GetValues().GetNext(at))) + "\r\n";
        text += "\r\n";
    }
    return text;
}

// ---- reading and rights

void CIniFilesPage::ClearRadios() {
    CheckDlgButton(IDC_INI_CREATE_ITEM, BST_UNCHECKED);
    CheckDlgButton(IDC_INI_DELETE_ITEM, BST_UNCHECKED);
    m_flags.SetCurSel(-1);
}

void CIniFilesPage::DisableForReading() {
    for (int id : kReadingControls) GetDlgItem(id)->EnableWindow(FALSE);
    ClearRadios();
}

void CIniFilesPage::OnReadFinished() {
    m_files.EnableWindow(TRUE);
    m_tree.EnableWindow(TRUE);
    GetDlgItem(IDC_INI_IMPORT)->EnableWindow(MayEdit());
    GetDlgItem(IDC_INI_NEW_FILE)->EnableWindow(MayEdit());
}

void CIniFilesPage::ApplyRights() {
    // The files, the tree and Show File stay usable for browsing.
    for (int id : {IDC_INI_ADD_SECTION, IDC_INI_DELETE_FILE, IDC_INI_DELETE, IDC_INI_IMPORT, IDC_INI_ADD_VALUE,
                   IDC_INI_DELETE_ITEM, IDC_INI_MODIFY, IDC_INI_MODIFY_FILE, IDC_INI_NEW_FILE, IDC_INI_CREATE_ITEM})
        GetDlgItem(id)->EnableWindow(FALSE);
}

// ---- the tree

CIniSectionItem* CIniFilesPage::SectionOf(HTREEITEM node) const {
    return node && !IsValueNode(node) ? reinterpret_cast<CIniSectionItem*>(m_tree.GetItemData(node)) : nullptr;
}

CIniValueItem* CIniFilesPage::ValueOf(HTREEITEM node) const {
    return IsValueNode(node) ? reinterpret_cast<CIniValueItem*>(m_tree.GetItemData(node)) : nullptr;
}

CString CIniFilesPage::NodeText(const CIniValueItem& value) { return value.GetIdentifier() + " = " + value.GetValue(); }

HTREEITEM CIniFilesPage::AppendValueNode(HTREEITEM sectionNode, CIniValueItem* value) {
    HTREEITEM node = m_tree.InsertItem(NodeText(*value), kValueImage, kValueImage, sectionNode, TVI_LAST);
    if (node) m_tree.SetItemData(node, reinterpret_cast<DWORD_PTR>(value));
    return node;
}

void CIniFilesPage::BuildTree() {
    m_tree.DeleteAllItems();
    CIniSectionList* sections = SelectedFile();
    if (!sections) return;
    for (POSITION pos = sections->GetHeadPosition(); pos;) {
        auto* section = static_cast<CIniSectionItem*>(sections->GetNext(pos));
        HTREEITEM node = m_tree.InsertItem(section->GetName(), kSectionImage, kSelectedSectionImage);
        if (!node) continue;
        m_tree.SetItemData(node, reinterpret_cast<DWORD_PTR>(section));
        for (POSITION at = section->GetValues().GetHeadPosition(); at;)
            AppendValueNode(node, static_cast<CIniValueItem*>(section->GetValues().GetNext(at)));
    }
}

HTREEITEM CIniFilesPage::FindNode(HTREEITEM parent, const CObject* row) const {
    for (HTREEITEM node = parent ? m_tree.GetChildItem(parent) : m_tree.GetRootItem(); node;
         node = m_tree.GetNextSiblingItem(node))
        if (reinterpret_cast<const CObject*>(m_tree.GetItemData(node)) == row) return node;
    return nullptr;
}

void CIniFilesPage::SelectFlags(int flags) {
    // A value whose flags no line has leaves the selection as it was.
    for (int item = 0; item < m_flags.GetCount(); ++item)
        if (static_cast<int>(m_flags.GetItemData(item)) == flags) m_flags.SetCurSel(item);
}

void CIniFilesPage::ShowNodeState(HTREEITEM node) {
    if (!node) return;
    BOOL write = CanWrite();
    if (write) {
        GetDlgItem(IDC_INI_MODIFY)->EnableWindow(TRUE);
        GetDlgItem(IDC_INI_DELETE)->EnableWindow(TRUE);
    }
    if (CIniValueItem* value = ValueOf(node)) {
        GetDlgItem(IDC_INI_ADD_VALUE)->EnableWindow(FALSE);
        if (value->GetSubtype() & kCreate) {
            CheckDlgButton(IDC_INI_CREATE_ITEM, BST_CHECKED);
            CheckDlgButton(IDC_INI_DELETE_ITEM, BST_UNCHECKED);
            if (write)
                for (int id : {IDC_INI_CREATE_ITEM, IDC_INI_FLAGS, IDC_INI_DELETE_ITEM}) GetDlgItem(id)->EnableWindow(TRUE);
            SelectFlags(value->GetFlags());
        } else if (value->GetSubtype() & kDelete) {
            CheckDlgButton(IDC_INI_CREATE_ITEM, BST_UNCHECKED);
            m_flags.SetCurSel(-1);
            m_flags.EnableWindow(FALSE);
            if (write) {
                GetDlgItem(IDC_INI_DELETE_ITEM)->EnableWindow(TRUE);
                GetDlgItem(IDC_INI_CREATE_ITEM)->EnableWindow(TRUE);
                CheckDlgButton(IDC_INI_DELETE_ITEM, BST_CHECKED);
            }
        }
        return;
    }
    // A section: Delete Item on, usable only while it has no values.
    if (write) GetDlgItem(IDC_INI_ADD_VALUE)->EnableWindow(TRUE);
    CheckDlgButton(IDC_INI_DELETE_ITEM, BST_UNCHECKED);
    GetDlgItem(IDC_INI_DELETE_ITEM)->EnableWindow(write && !m_tree.ItemHasChildren(node));
    GetDlgItem(IDC_INI_CREATE_ITEM)->EnableWindow(FALSE);
    CheckDlgButton(IDC_INI_CREATE_ITEM, BST_UNCHECKED);
    m_flags.SetCurSel(-1);
    m_flags.EnableWindow(FALSE);
    if (write) CheckDlgButton(IDC_INI_DELETE_ITEM, BST_CHECKED);
}

void CIniFilesPage::OnNodeSelected(NMHDR* header, LRESULT* result) {
    *result = 0;
    ShowNodeState(reinterpret_cast<NMTREEVIEWA*>(header)->itemNew.hItem);
}

void CIniFilesPage::OnFileSelected() {
    m_tree.DeleteAllItems();
    for (int id : {IDC_INI_MODIFY, IDC_INI_DELETE, IDC_INI_ADD_VALUE}) GetDlgItem(id)->EnableWindow(FALSE);
    GetDlgItem(IDC_INI_SHOW_FILE)->EnableWindow(TRUE);
    if (CanWrite())
        for (int id : {IDC_INI_ADD_SECTION, IDC_INI_MODIFY_FILE, IDC_INI_DELETE_FILE}) GetDlgItem(id)->EnableWindow(TRUE);
    ClearRadios();
    for (int id : {IDC_INI_CREATE_ITEM, IDC_INI_FLAGS, IDC_INI_DELETE_ITEM}) GetDlgItem(id)->EnableWindow(FALSE);
    BuildTree();
}

// ---- the buttons

bool CIniFilesPage::IsValidName(const CString& text) {
    CString invalid = Text(IDS_INI_INVALID_CHARS);
    int at = theSnapinUtilities.FindInvalidChar(text, invalid);
    if (at < 0) return true;
    CString message;
    message.Format(Text(IDS_INVALID_CHAR), static_cast<const char*>(text)[at]);
    ::MessageBoxA(m_hWnd, message, Text(IDS_DRAVIK_ERROR), MB_OK | MB_ICONSTOP);
    return false;
}

bool CIniFilesPage::EditName(CString& text, UINT labelId, bool test) {
    CStringEditDlg dialog(this);
    dialog.SetCaption(Text(IDS_EDIT_INI_FILE));
    dialog.SetLabel(Text(labelId));
    dialog.SetText(text);
    for (;;) {
        if (dialog.DoModal() != IDOK) return false;
        text = dialog.GetText();
        if (!test || IsValidName(text)) return true;
        dialog.SetText(text);  // again, with what was typed
    }
}

bool CIniFilesPage::EditValue(CString& identifier, CString& value) {
    CStringValueDlg dialog(this);
    dialog.SetName(identifier);
    dialog.SetValue(value);
    for (;;) {
        if (dialog.DoModal() != IDOK) return false;
        identifier = dialog.GetName();
        value = dialog.GetValue();
        bool identifierValid = IsValidName(identifier);
        bool valueValid = IsValidName(value);
        if (identifierValid && valueValid) return true;
    }
}

void CIniFilesPage::OnShowFile() {
    int line = m_files.GetCurSel();
    CString name;
    if (line >= 0) m_files.GetText(line, name);
    CViewIniFileDlg dialog(this);
    dialog.SetText(FileText(line));
    dialog.SetFileName(name);
    dialog.DoModal();
}

void CIniFilesPage::OnNewFile() {
    CString name;
    // A file name is not tested: the workstation names its files.
    if (!EditName(name, IDS_INI_FILE_NAME, false)) return;
    AddFile(name);
    SetModified();
}

void CIniFilesPage::OnModifyFile() {
    int line = m_files.GetCurSel();
    if (line < 0) return;
    CString name;
    m_files.GetText(line, name);
    if (EditName(name, IDS_INI_FILE_NAME, false)) {
        // The line keeps its place (and its sections) until the page opens again.
        void* sections = m_files.GetItemDataPtr(line);
        m_files.DeleteString(line);
        m_files.InsertString(line, name);
        m_files.SetItemDataPtr(line, sections);
        m_files.SetCurSel(line);
    }
    SetModified();
}

void CIniFilesPage::OnDeleteFile() {
    int line = m_files.GetCurSel();
    if (line < 0) return;
    for (int id : {IDC_INI_ADD_SECTION, IDC_INI_MODIFY_FILE, IDC_INI_DELETE_FILE, IDC_INI_SHOW_FILE, IDC_INI_CREATE_ITEM,
                   IDC_INI_FLAGS, IDC_INI_DELETE_ITEM, IDC_INI_MODIFY, IDC_INI_DELETE, IDC_INI_ADD_VALUE})
        GetDlgItem(id)->EnableWindow(FALSE);
    ClearRadios();
    m_tree.DeleteAllItems();
    delete FileOf(line);
    m_files.DeleteString(line);
    SetModified();
}

void CIniFilesPage::OnAddSection() {
    CIniSectionList* file = SelectedFile();
    if (!file) return;
    CString name;
    if (!EditName(name, IDS_INI_SECTION_NAME, true)) return;
    CIniSectionItem* section = FindOrAddSection(file, name);
    // Built anew, so that a name differing only in case from another
    // section's has a node of its own.
    BuildTree();
    if (HTREEITEM node = FindNode(nullptr, section)) {
        m_tree.SelectItem(node);
        ShowNodeState(node);
    }
    SetModified();
}

void CIniFilesPage::OnAddValue() {
    SetModified();
    HTREEITEM sectionNode = m_tree.GetSelectedItem();
    CIniSectionItem* section = SectionOf(sectionNode);
    if (!section) return;
    CString identifier, value;
    if (!EditValue(identifier, value)) return;
    bool added = false;
    CIniValueItem* row = AddOrUpdateValue(section, identifier, value, kCreate, kCreateIfNotExists, &added);
    if (added) {
        AppendValueNode(sectionNode, row);
        m_tree.Expand(sectionNode, TVE_EXPAND);
        GetDlgItem(IDC_INI_DELETE_ITEM)->EnableWindow(FALSE);
        return;
    }
    // A value the section holds already keeps its one node, which is
    // selected to show it is now Create "if does not exist".
    HTREEITEM node = FindNode(sectionNode, row);
    if (!node) return;
    m_tree.Expand(sectionNode, TVE_EXPAND);
    m_tree.SelectItem(node);
    ShowNodeState(node);
}

void CIniFilesPage::OnModify() {
    HTREEITEM node = m_tree.GetSelectedItem();
    if (!node) return;
    if (CIniValueItem* value = ValueOf(node)) {
        CString identifier = value->GetIdentifier(), text = value->GetValue();
        if (EditValue(identifier, text)) {
            value->SetIdentifier(identifier);
            value->SetValue(text);
            m_tree.SetItemText(node, NodeText(*value));
        }
    } else if (CIniSectionItem* section = SectionOf(node); section && m_files.GetCurSel() >= 0) {
        CString name = section->GetName();
        if (EditName(name, IDS_INI_SECTION_NAME, false)) {
            section->SetName(name);
            m_tree.SetItemText(node, name);
        }
    }
    SetModified();
}

void CIniFilesPage::OnDelete() {
    HTREEITEM node = m_tree.GetSelectedItem();
    if (!node) return;
    HTREEITEM next = m_tree.GetPrevSiblingItem(node);
    if (!next) next = m_tree.GetParentItem(node);
    CIniValueItem* value = ValueOf(node);
    CIniSectionItem* section = value ? SectionOf(m_tree.GetParentItem(node)) : SectionOf(node);
    CIniSectionList* file = SelectedFile();
    // The node goes first, so that no node refers to a deleted row.
    m_tree.DeleteItem(node);
    if (value && section) {
        if (POSITION pos = section->GetValues().Find(value)) section->GetValues().RemoveAt(pos);
        delete value;
    } else if (section && file) {
        if (POSITION pos = file->Find(section)) file->RemoveAt(pos);
        delete section;
    }
    if (next) {
        m_tree.SelectItem(next);
        ShowNodeState(next);
    } else {
        for (int id : {IDC_INI_DELETE, IDC_INI_MODIFY, IDC_INI_ADD_VALUE}) GetDlgItem(id)->EnableWindow(FALSE);
    }
    SetModified();
}

void CIniFilesPage::OnCreateItem() {
    if (CIniValueItem* value = ValueOf(m_tree.GetSelectedItem())) {
        value->SetSubtype(kCreate);
        value->SetFlags(kCreateIfNotExists);
        m_flags.EnableWindow(TRUE);
        SelectFlags(kCreateIfNotExists);
    }
    SetModified();
}

void CIniFilesPage::OnDeleteItem() {
    if (CIniValueItem* value = ValueOf(m_tree.GetSelectedItem())) {
        value->SetSubtype(kDelete);
        value->SetFlags(0);
        m_flags.SetCurSel(-1);
        m_flags.EnableWindow(FALSE);
    }
    SetModified();
}

void CIniFilesPage::OnFlagsChanged() {
    int item = m_flags.GetCurSel();
    CIniValueItem* value = ValueOf(m_tree.GetSelectedItem());
    if (item < 0 || !value) return;
    value->SetFlags(static_cast<int>(m_flags.GetItemData(item)));
    SetModified();
}
