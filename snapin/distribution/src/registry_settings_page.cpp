#include "snapin/distribution/registry_settings_page.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "snapin/core/app_library.h"
#include "snapin/core/common_resource.h"
#include "snapin/core/schema_names.h"
#include "snapin/core/snapin_utilities.h"
#include "snapin/distribution/binary_value_dlg.h"
#include "snapin/distribution/distribution_resource.h"
#include "snapin/distribution/dword_value_dlg.h"
#include "snapin/distribution/string_value_dlg.h"

namespace {

constexpr int kValueKind = 5;
constexpr int kKeyKind = 6;
constexpr int kBinary = 1;
constexpr int kString = 2;
constexpr int kDword = 3;
constexpr int kDefault = 4;
constexpr int kLastRegistryType = 12;  // 5 to 12: kept byte for byte
constexpr int kCreate = 1;
constexpr int kRemove = 2;
constexpr int kRootCount = 6;
constexpr int kShownBinaryBytes = 30;
constexpr int kTextImage = 0;    // icon 403
constexpr int kNumberImage = 1;  // icon 404

const CDistributionPage::Description kRegistry = {
    IDS_REGISTRY_SETTINGS, IDD_REGISTRY_SETTINGS, HID_REGISTRY_SETTINGS, snapin::kAttrRegistrySettings, IDC_KEY_TREE,
    IDS_LOADING_REGISTRY, IDS_IMPORTING_REGISTRY, true, IDS_REGISTRY_FILTER,
};

constexpr int kEditingButtons[] = {IDC_KEY_ADD,    IDC_REGISTRY_CREATE, IDC_REGISTRY_REMOVE, IDC_KEY_DELETE,
                                   IDC_VALUE_DELETE, IDC_REGISTRY_IMPORT, IDC_KEY_MODIFY,    IDC_VALUE_MODIFY};

CString Text(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

bool IsNumberType(int type) { return type == kBinary || type == kDword; }

// The value index keeps a hash of each name (exact case); values of equal
// hashes are told apart by their names.
size_t NameHash(const CString& name) {
    return std::hash<std::string_view>()(std::string_view(name, static_cast<size_t>(name.GetLength())));
}

}  // namespace

BEGIN_MESSAGE_MAP(CRegistrySettingsPage, CDistributionPage)
ON_NOTIFY(TVN_SELCHANGEDA, IDC_KEY_TREE, OnSelChangedKey)
ON_NOTIFY(TVN_BEGINLABELEDITA, IDC_KEY_TREE, OnBeginLabelEdit)
ON_NOTIFY(TVN_ENDLABELEDITA, IDC_KEY_TREE, OnEndLabelEdit)
ON_NOTIFY(TVN_DELETEITEMA, IDC_KEY_TREE, OnDeleteKeyItem)
ON_NOTIFY(NM_SETFOCUS, IDC_KEY_TREE, OnTreeFocus)
ON_NOTIFY(NM_SETFOCUS, IDC_VALUE_LIST, OnListFocus)
ON_NOTIFY(LVN_ITEMCHANGED, IDC_VALUE_LIST, OnValueStateChanged)
ON_NOTIFY(NM_DBLCLK, IDC_VALUE_LIST, OnValueDoubleClick)
ON_BN_CLICKED(IDC_KEY_ADD, OnAddKey)
ON_BN_CLICKED(IDC_KEY_MODIFY, OnModifyKey)
ON_BN_CLICKED(IDC_KEY_DELETE, OnDeleteKey)
ON_BN_CLICKED(IDC_REGISTRY_IMPORT, OnImportButton)
ON_BN_CLICKED(IDC_VALUE_ADD, OnAddValueButton)
ON_COMMAND(ID_ADD_TEXT_VALUE, OnAddTextValue)
ON_COMMAND(ID_ADD_BINARY_VALUE, OnAddBinaryValue)
ON_COMMAND(ID_ADD_DEFAULT_VALUE, OnAddDefaultValue)
ON_COMMAND(ID_ADD_DWORD_VALUE, OnAddDwordValue)
ON_BN_CLICKED(IDC_VALUE_MODIFY, OnModifyValue)
ON_BN_CLICKED(IDC_VALUE_DELETE, OnDeleteValue)
ON_BN_CLICKED(IDC_REGISTRY_CREATE, OnCreateButton)
ON_BN_CLICKED(IDC_REGISTRY_REMOVE, OnRemoveButton)
ON_CBN_SELCHANGE(IDC_REGISTRY_FLAGS, OnFlagsChanged)
ON_WM_DESTROY()
END_MESSAGE_MAP()

CRegistrySettingsPage::CRegistrySettingsPage() : CDistributionPage(kRegistry) {}

CRegistrySettingsPage::~CRegistrySettingsPage() = default;

CString CRegistrySettingsPage::DisplayText(const CRegistryValueItem& value) {
    const CAttributeValue* data = value.GetData();
    CString text;
    if (value.GetType() == kBinary) {
        char cell[8];
        for (DWORD i = 0; i < data->GetLength() && i < kShownBinaryBytes; ++i) {
            std::snprintf(cell, sizeof cell, "%02hX ", static_cast<unsigned short>(data->GetData()[i]));
            text += cell;
        }
    } else if (value.GetType() == kDword) {
        DWORD number = value.GetDwordData();
        text.Format("0x%08X (%lu)", static_cast<unsigned>(number), static_cast<unsigned long>(number));
    } else {
        text = value.GetDataAsText();
    }
    return text;
}

BOOL CRegistrySettingsPage::OnInitDialog() {
    CDialog::OnInitDialog();
    m_tree.SubclassDlgItem(IDC_KEY_TREE, this);
    m_list.SubclassDlgItem(IDC_VALUE_LIST, this);
    m_flags.SubclassDlgItem(IDC_REGISTRY_FLAGS, this);
    HINSTANCE resources = AfxGetResourceHandle();
    m_treeImages.DeleteImageList();
    m_listImages.DeleteImageList();
    m_treeImages.Create(16, 16, ILC_MASK, 0, 2);
    m_treeImages.Add(LoadIconA(resources, MAKEINTRESOURCEA(IDI_CLOSED_FOLDER)));
    m_treeImages.Add(LoadIconA(resources, MAKEINTRESOURCEA(IDI_OPEN_FOLDER)));
    m_listImages.Create(16, 16, ILC_MASK, 0, 2);
    m_listImages.Add(LoadIconA(resources, MAKEINTRESOURCEA(IDI_TEXT)));
    m_listImages.Add(LoadIconA(resources, MAKEINTRESOURCEA(IDI_NUMBER_VALUE)));
    // The controls share the page's image lists, which go with the page.
    m_tree.SetImageList(&m_treeImages, TVSIL_NORMAL);
    for (int i = 0; i < kRootCount; ++i) m_roots[i] = m_tree.InsertItem(Text(IDS_HKEY_CLASSES_ROOT + i), 0, 1);
    m_list.InsertColumn(0, Text(IDS_COLUMN_NAME), LVCFMT_LEFT, 130);
    m_list.InsertColumn(1, Text(IDS_COLUMN_VALUE), LVCFMT_LEFT, 300);
    m_list.SetImageList(&m_listImages, LVSIL_SMALL);
    for (int id : {IDC_KEY_ADD, IDC_VALUE_ADD, IDC_VALUE_DELETE, IDC_VALUE_MODIFY, IDC_KEY_DELETE, IDC_KEY_MODIFY})
        GetDlgItem(id)->EnableWindow(FALSE);
    m_flags.ResetContent();
    for (int i = 0; i < 3; ++i) {
        int item = m_flags.AddString(Text(IDS_CREATE_ALWAYS + i));
        m_flags.SetItemData(item, static_cast<DWORD_PTR>(1) << i);
    }
    for (int id : {IDC_REGISTRY_FLAGS, IDC_REGISTRY_CREATE, IDC_REGISTRY_REMOVE}) GetDlgItem(id)->EnableWindow(FALSE);
    ReadStream();
    m_valueMenu.DestroyMenu();
    m_valueMenu.LoadMenu(IDR_VALUE_MENU);
    m_focusSide = 0;
    return TRUE;
}

void CRegistrySettingsPage::OnDestroy() {
    CDistributionPage::OnDestroy();
    m_valueMenu.DestroyMenu();
}

LRESULT CRegistrySettingsPage::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // Enter (the OK command) ends a label edit, never the sheet.
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) return 0;
    return CDistributionPage::WindowProc(message, wParam, lParam);
}

CRegistryKeyItem* CRegistrySettingsPage::RowOf(HTREEITEM item) const {
    return item ? reinterpret_cast<CRegistryKeyItem*>(m_tree.GetItemData(item)) : nullptr;
}

bool CRegistrySettingsPage::IsRoot(HTREEITEM item) const { return item && !m_tree.GetParentItem(item); }

CString CRegistrySettingsPage::KeyPath(HTREEITEM item) const {
    CString path;
    for (; item; item = m_tree.GetParentItem(item)) path = path.IsEmpty() ? m_tree.GetItemText(item)
                                                                          : m_tree.GetItemText(item) + "\\" + path;
    return path;
}

HTREEITEM CRegistrySettingsPage::AppendKey(HTREEITEM parent, const CString& text) {
    HTREEITEM item = m_tree.InsertItem(text, 0, 1, parent, TVI_LAST);
    if (item) m_tree.SetItemData(item, reinterpret_cast<DWORD_PTR>(new CRegistryKeyItem));
    return item;
}

void CRegistrySettingsPage::BeginEntries() {
    // The items by their key paths, first of equal siblings kept, as the
    // walk of InsertKeyPath finds them.
    m_keyIndex.clear();
    m_valueIndex.clear();
    m_indexMemory.release();
    std::vector<std::pair<HTREEITEM, std::string>> pending;
    for (HTREEITEM root = m_tree.GetRootItem(); root; root = m_tree.GetNextSiblingItem(root))
        pending.emplace_back(root, static_cast<const char*>(m_tree.GetItemText(root)));
    while (!pending.empty()) {
        auto [item, path] = pending.back();
        pending.pop_back();
        m_keyIndex.emplace(path, item);
        std::vector<std::pair<HTREEITEM, std::string>> children;
        for (HTREEITEM child = m_tree.GetChildItem(item); child; child = m_tree.GetNextSiblingItem(child))
            children.emplace_back(child, path + "\\" + static_cast<const char*>(m_tree.GetItemText(child)));
        // The first of equal siblings is indexed first.
        for (auto it = children.rbegin(); it != children.rend(); ++it) pending.push_back(*it);
    }
    m_indexing = true;
    ForgetLastKey();
}

void CRegistrySettingsPage::ForgetLastKey() {
    m_lastPath.clear();
    m_lastSubtype = 0;
    m_lastKey = nullptr;
    m_lastRow = nullptr;
    m_lastNames = nullptr;
}

void CRegistrySettingsPage::EndEntries() {
    m_indexing = false;
    ForgetLastKey();
    m_keyIndex.clear();
    m_valueIndex.clear();
    m_indexMemory.release();
}

HTREEITEM CRegistrySettingsPage::InsertKeyPath(std::string_view keyPath, int subtype) {
    if (m_indexing && m_lastKey && subtype == m_lastSubtype && keyPath == m_lastPath) return m_lastKey;
    std::string path(keyPath);
    HTREEITEM key = WalkKeyPath(path, subtype);
    if (m_indexing) {
        m_lastPath = std::move(path);
        m_lastSubtype = subtype;
        m_lastKey = key;
        m_lastRow = key ? RowOf(key) : nullptr;
        m_lastNames = nullptr;
    }
    return key;
}

HTREEITEM CRegistrySettingsPage::WalkKeyPath(const std::string& path, int subtype) {
    size_t slash = path.find('\\');
    std::string rootText = path.substr(0, slash);
    HTREEITEM current = nullptr;
    if (m_indexing) {
        // A path without a backslash is a root's: labels hold none.
        auto it = m_keyIndex.find(rootText);
        if (it != m_keyIndex.end()) current = it->second;
    } else {
        for (HTREEITEM root : m_roots)
            if (root && std::string(static_cast<const char*>(m_tree.GetItemText(root))) == rootText) current = root;
    }
    if (!current || slash == std::string::npos) return current;
    std::string walked = rootText;
    std::string rest = path.substr(slash + 1);
    while (!rest.empty()) {
        // A remainder that starts with a backslash, or has none, is the last
        // component whole.
        size_t next = rest[0] == '\\' ? std::string::npos : rest.find('\\');
        std::string component = rest.substr(0, next);
        rest = next == std::string::npos ? std::string() : rest.substr(next + 1);
        if (component.empty()) break;
        walked += "\\" + component;
        HTREEITEM found = nullptr;
        if (m_indexing) {
            auto it = m_keyIndex.find(walked);
            if (it != m_keyIndex.end()) found = it->second;
        } else {
            for (HTREEITEM child = m_tree.GetChildItem(current); child && !found;
                 child = m_tree.GetNextSiblingItem(child))
                if (std::string(static_cast<const char*>(m_tree.GetItemText(child))) == component) found = child;
        }
        if (!found) {
            found = AppendKey(current, component.c_str());
            if (!found) return nullptr;
            if (m_indexing) m_keyIndex.emplace(walked, found);
        }
        current = found;
    }
    CRegistryKeyItem* row = RowOf(current);
    if (!row) {
        row = new CRegistryKeyItem;
        row->SetSubtype(subtype);
        m_tree.SetItemData(current, reinterpret_cast<DWORD_PTR>(row));
    } else {
        row->SetSubtype(m_tree.ItemHasChildren(current) ? 0 : subtype);
    }
    return current;
}

BOOL CRegistrySettingsPage::AddValueToKey(HTREEITEM key, const CString& name, DWORD length, const void* data,
                                          int subtype, int flags, int type) {
    CRegistryKeyItem* row = m_indexing && key == m_lastKey && m_lastRow ? m_lastRow : RowOf(key);
    if (!row) {
        row = new CRegistryKeyItem;
        row->SetSubtype(kCreate);
        m_tree.SetItemData(key, reinterpret_cast<DWORD_PTR>(row));
    }
    auto nameOf = [](const CObject* value) { return static_cast<const CRegistryValueItem*>(value)->GetName(); };
    NameIndex* names = nullptr;
    size_t hash = NameHash(name);
    if (m_indexing) {
        names = row == m_lastRow ? m_lastNames : nullptr;
        if (!names) {
            auto [found, fresh] = m_valueIndex.try_emplace(row, &m_indexMemory);
            names = &found->second;
            if (fresh)
                for (POSITION pos = row->GetValues().GetHeadPosition(); pos;) {
                    auto* value = static_cast<CRegistryValueItem*>(row->GetValues().GetNext(pos));
                    names->emplace(NameHash(value->GetName()), value);
                }
            if (row == m_lastRow) m_lastNames = names;
        }
        for (auto [it, end] = names->equal_range(hash); it != end; ++it)
            if (nameOf(it->second) == name) return 0;
    } else {
        for (POSITION pos = row->GetValues().GetHeadPosition(); pos;)
            if (nameOf(row->GetValues().GetNext(pos)) == name) return 0;
    }
    auto* value = new CRegistryValueItem(name, length, data, subtype, flags, type);
    row->GetValues().AddTail(value);
    if (names) names->emplace(hash, value);
    return 1;
}

void CRegistrySettingsPage::AddEntry(const TemplateEntry& entry) {
    int subtype = static_cast<int>(entry.subtype);
    if (entry.kind == kKeyKind) {
        InsertKeyPath(FieldBytes(entry.fields[0]), subtype);
        return;
    }
    if (entry.kind != kValueKind) return;
    int flags = static_cast<int>(entry.values[0]);
    int type = static_cast<int>(entry.values[1]);
    if (type < kBinary || type > kLastRegistryType) return;
    CString name = FieldText(entry.fields[1]);
    const TemplateField& data = entry.fields[2];
    HTREEITEM key = InsertKeyPath(FieldBytes(entry.fields[0]), kCreate);
    if (!key) return;  // no such root
    if (type == kDword) {
        // Bytes the data lacks count as 0; a removal carries no number.
        BYTE bytes[4] = {};
        if (subtype != kRemove && data.data) std::memcpy(bytes, data.data, std::min<DWORD>(data.length, 4));
        AddValueToKey(key, name, sizeof bytes, bytes, subtype, flags, type);
    } else if (type == kString || type == kDefault) {
        // The text's characters, without a terminator.
        if (type == kDefault) name = Text(IDS_DEFAULT_VALUE_NAME);
        std::string_view text = FieldBytes(data);
        AddValueToKey(key, name, static_cast<DWORD>(text.size()), text.data(), subtype, flags, type);
    } else {
        // Binary and the other registry types: every byte, as stored.
        AddValueToKey(key, name, data.data ? data.length : 0, data.data, subtype, flags, type);
    }
}

void CRegistrySettingsPage::DisableForReading() {
    for (int id : {IDC_KEY_TREE, IDC_VALUE_LIST, IDC_VALUE_ADD, IDC_VALUE_DELETE, IDC_VALUE_MODIFY, IDC_KEY_ADD,
                   IDC_KEY_DELETE, IDC_KEY_MODIFY, IDC_REGISTRY_IMPORT, IDC_REGISTRY_CREATE})
        GetDlgItem(id)->EnableWindow(FALSE);
}

void CRegistrySettingsPage::OnReadFinished() {
    m_tree.Invalidate();
    m_list.Invalidate();
    m_tree.EnableWindow(TRUE);
    m_list.EnableWindow(TRUE);
    GetDlgItem(IDC_REGISTRY_IMPORT)->EnableWindow(MayEdit());
    // The shown key may have new values.
    if (HTREEITEM selected = m_tree.GetSelectedItem()) ShowValues(selected);
}

void CRegistrySettingsPage::ApplyRights() {
    for (int id : kEditingButtons) GetDlgItem(id)->EnableWindow(FALSE);
}

LONG CRegistrySettingsPage::WriteRows(HFILE file) {
    for (HTREEITEM root : m_roots) {
        if (!root) continue;
        if (LONG result = WriteKeyTree(file, root, m_tree.GetItemText(root), true)) return result;
    }
    return 0;
}

LONG CRegistrySettingsPage::WriteKeyTree(HFILE file, HTREEITEM item, const CString& keyPath, bool isRoot) {
    for (HTREEITEM child = m_tree.GetChildItem(item); child; child = m_tree.GetNextSiblingItem(child))
        if (LONG result = WriteKeyTree(file, child, keyPath + "\\" + m_tree.GetItemText(child), false)) return result;
    const CRegistryKeyItem* row = RowOf(item);
    if (!row) return 0;
    if (row->GetValues().IsEmpty()) {
        if (!m_tree.ItemHasChildren(item) && !isRoot)
            return theAppLibrary.TemplateWriteKeyEntry(file, row->GetSubtype(), row->GetFlags(), keyPath);
        return 0;
    }
    for (POSITION pos = row->GetValues().GetHeadPosition(); pos;) {
        auto* value = static_cast<const CRegistryValueItem*>(row->GetValues().GetNext(pos));
        const CAttributeValue* data = value->GetData();
        if (LONG result = theAppLibrary.TemplateWriteValueEntry(file, value->GetSubtype(), value->GetFlags(), keyPath,
                                                                value->GetName(), value->GetType(), data->GetLength(),
                                                                data->GetData()))
            return result;
    }
    return 0;
}

void CRegistrySettingsPage::InsertValueLine(CRegistryValueItem* value) {
    int line = m_list.InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, m_list.GetItemCount(), value->GetName(), 0, 0,
                                 IsNumberType(value->GetType()) ? kNumberImage : kTextImage,
                                 reinterpret_cast<LPARAM>(value));
    if (line >= 0) m_list.SetItemText(line, 1, DisplayText(*value));
}

void CRegistrySettingsPage::RefreshValueLine(int line, const CRegistryValueItem* value) {
    m_list.SetItemText(line, 0, value->GetName());
    m_list.SetItemText(line, 1, DisplayText(*value));
}

void CRegistrySettingsPage::ShowValues(HTREEITEM item) {
    m_list.DeleteAllItems();
    CRegistryKeyItem* row = RowOf(item);
    if (!row) return;
    for (POSITION pos = row->GetValues().GetHeadPosition(); pos;)
        InsertValueLine(static_cast<CRegistryValueItem*>(row->GetValues().GetNext(pos)));
}

void CRegistrySettingsPage::OnSelChangedKey(NMHDR* header, LRESULT* result) {
    *result = 0;
    HTREEITEM item = reinterpret_cast<NMTREEVIEWA*>(header)->itemNew.hItem;
    BOOL write = CanWrite();
    auto enable = [this](int id, BOOL on) { GetDlgItem(id)->EnableWindow(on); };
    auto check = [this](int id, bool on) { CheckDlgButton(id, on ? BST_CHECKED : BST_UNCHECKED); };
    if (write) enable(IDC_KEY_ADD, TRUE);
    enable(IDC_REGISTRY_FLAGS, FALSE);
    m_flags.SetCurSel(-1);
    bool root = IsRoot(item);
    bool children = item && m_tree.ItemHasChildren(item);
    if (!root) {
        if (children) {
            check(IDC_REGISTRY_CREATE, false);
            check(IDC_REGISTRY_REMOVE, false);
            enable(IDC_REGISTRY_CREATE, FALSE);
            enable(IDC_REGISTRY_REMOVE, FALSE);
        } else if (write) {
            enable(IDC_REGISTRY_CREATE, TRUE);
            enable(IDC_REGISTRY_REMOVE, TRUE);
        }
        if (write) {
            enable(IDC_KEY_DELETE, TRUE);
            enable(IDC_KEY_MODIFY, TRUE);
        }
    } else {
        check(IDC_REGISTRY_CREATE, false);
        check(IDC_REGISTRY_REMOVE, false);
        for (int id : {IDC_REGISTRY_CREATE, IDC_REGISTRY_REMOVE, IDC_KEY_DELETE, IDC_KEY_MODIFY}) enable(id, FALSE);
    }
    m_list.DeleteAllItems();
    CRegistryKeyItem* row = RowOf(item);
    if (!row) {
        if (write) {
            enable(IDC_VALUE_ADD, TRUE);
            enable(IDC_KEY_ADD, TRUE);
        }
        return;
    }
    bool values = !row->GetValues().IsEmpty();
    if (!children && !values) {
        if (row->GetSubtype() & kRemove) {
            check(IDC_REGISTRY_REMOVE, true);
            check(IDC_REGISTRY_CREATE, false);
            enable(IDC_KEY_ADD, FALSE);
            enable(IDC_VALUE_ADD, FALSE);
            if (write && !root) {
                enable(IDC_REGISTRY_CREATE, TRUE);
                enable(IDC_REGISTRY_REMOVE, TRUE);
            }
        } else {
            check(IDC_REGISTRY_CREATE, (row->GetSubtype() & kCreate) != 0);
            if (!(row->GetSubtype() & kCreate)) check(IDC_REGISTRY_REMOVE, false);
            if (write) {
                if (!root) {
                    enable(IDC_REGISTRY_CREATE, TRUE);
                    enable(IDC_REGISTRY_REMOVE, TRUE);
                }
                enable(IDC_KEY_ADD, TRUE);
                enable(IDC_VALUE_ADD, TRUE);
            }
        }
    } else if (values && !children) {
        check(IDC_REGISTRY_CREATE, false);
        check(IDC_REGISTRY_REMOVE, false);
        enable(IDC_REGISTRY_CREATE, FALSE);
        enable(IDC_REGISTRY_REMOVE, FALSE);
        if (write) {
            enable(IDC_VALUE_ADD, TRUE);
            enable(IDC_KEY_ADD, TRUE);
        }
    } else if (write) {
        enable(IDC_VALUE_ADD, TRUE);
        enable(IDC_KEY_ADD, TRUE);
    }
    ShowValues(item);
}

bool CRegistrySettingsPage::SiblingHasText(HTREEITEM item, const CString& text) const {
    HTREEITEM parent = m_tree.GetParentItem(item);
    for (HTREEITEM sibling = parent ? m_tree.GetChildItem(parent) : m_tree.GetRootItem(); sibling;
         sibling = m_tree.GetNextSiblingItem(sibling))
        if (sibling != item && std::string(static_cast<const char*>(m_tree.GetItemText(sibling))) ==
                                   static_cast<const char*>(text))
            return true;
    return false;
}

void CRegistrySettingsPage::OnAddKey() {
    HTREEITEM selected = m_tree.GetSelectedItem();
    if (!selected) return;
    if (CRegistryKeyItem* row = RowOf(selected)) row->SetSubtype(0);
    // "New Item", "New Item 2", ...: unique among the new key's siblings.
    CString base = Text(IDS_NEW_ITEM), name = base;
    for (int n = 2;; ++n) {
        bool taken = false;
        for (HTREEITEM child = m_tree.GetChildItem(selected); child && !taken; child = m_tree.GetNextSiblingItem(child))
            taken = std::string(static_cast<const char*>(m_tree.GetItemText(child))) == static_cast<const char*>(name);
        if (!taken) break;
        name.Format("%s %d", static_cast<const char*>(base), n);
    }
    HTREEITEM item = AppendKey(selected, name);
    if (!item) return;
    RowOf(item)->SetSubtype(kCreate);
    m_tree.SelectItem(item);
    m_tree.SetFocus();
    SetModified();
    m_tree.SendMessage(TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(item));
}

void CRegistrySettingsPage::OnBeginLabelEdit(NMHDR* header, LRESULT* result) {
    HTREEITEM item = reinterpret_cast<NMTVDISPINFOA*>(header)->item.hItem;
    *result = IsRoot(item) || !CanWrite() ? TRUE : FALSE;  // non-zero refuses
}

void CRegistrySettingsPage::OnEndLabelEdit(NMHDR* header, LRESULT* result) {
    auto* info = reinterpret_cast<NMTVDISPINFOA*>(header);
    *result = FALSE;
    if (!info->item.pszText) return;  // cancelled
    CString label = info->item.pszText;
    // A key path is its labels joined by backslashes: a label that is empty,
    // holds a backslash or repeats a sibling's would read back as another
    // tree. Such a label is refused and the old one stays.
    int bad = theSnapinUtilities.FindInvalidChar(label, "\\");
    if (bad >= 0) {
        CString message, caption;
        message.Format(Text(IDS_INVALID_CHAR), '\\');
        caption.LoadString(IDS_DRAVIK_ERROR);
        ::MessageBoxA(m_hWnd, message, caption, MB_OK | MB_ICONSTOP);
        return;
    }
    if (label.IsEmpty() || SiblingHasText(info->item.hItem, label)) {
        MessageBeep(0);
        return;
    }
    *result = TRUE;
    SetModified();
}

void CRegistrySettingsPage::OnModifyKey() {
    HTREEITEM selected = m_tree.GetSelectedItem();
    if (!selected) return;
    m_tree.SetFocus();
    m_tree.SendMessage(TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(selected));
}

void CRegistrySettingsPage::OnDeleteKey() {
    HTREEITEM selected = m_tree.GetSelectedItem();
    if (selected && m_tree.GetParentItem(selected)) {
        CRegistryKeyItem* row = RowOf(selected);
        bool ask = m_tree.ItemHasChildren(selected) || (row && !row->GetValues().IsEmpty());
        bool remove = true;
        if (ask)
            remove = ::MessageBoxA(m_hWnd, Text(IDS_DELETE_KEY_WARNING), Text(IDS_DRAVIK_WARNING),
                                   MB_YESNO | MB_ICONQUESTION) == IDYES;
        if (remove) m_tree.DeleteItem(selected);  // the rows go in the deletion notifications
    }
    SetModified();
}

void CRegistrySettingsPage::OnDeleteKeyItem(NMHDR* header, LRESULT* result) {
    *result = 0;
    auto* row = reinterpret_cast<CRegistryKeyItem*>(reinterpret_cast<NMTREEVIEWA*>(header)->itemOld.lParam);
    if (!row) return;
    // The value list may show this key's values: it lets them go first.
    if (m_list.m_hWnd && ::IsWindow(m_list.m_hWnd)) {
        for (int line = 0; line < m_list.GetItemCount(); ++line) {
            auto* value = reinterpret_cast<CRegistryValueItem*>(m_list.GetItemData(line));
            for (POSITION pos = row->GetValues().GetHeadPosition(); pos;)
                if (row->GetValues().GetNext(pos) == value) {
                    m_list.DeleteAllItems();
                    line = m_list.GetItemCount();
                    break;
                }
        }
    }
    m_valueIndex.erase(row);
    delete row;
}

void CRegistrySettingsPage::OnTreeFocus(NMHDR*, LRESULT* result) {
    *result = 0;
    m_focusSide = 1;
}

void CRegistrySettingsPage::OnListFocus(NMHDR*, LRESULT* result) {
    *result = 0;
    m_focusSide = 0;
}

void CRegistrySettingsPage::OnAddValueButton() {
    HTREEITEM selected = m_tree.GetSelectedItem();
    if (!selected) return;
    CMenu* popup = m_valueMenu.GetSubMenu(0);
    if (!popup) return;
    bool hasDefault = false;
    if (CRegistryKeyItem* row = RowOf(selected))
        for (POSITION pos = row->GetValues().GetHeadPosition(); pos && !hasDefault;)
            hasDefault = static_cast<CRegistryValueItem*>(row->GetValues().GetNext(pos))->GetType() == kDefault;
    popup->EnableMenuItem(ID_ADD_DEFAULT_VALUE, MF_BYCOMMAND | (hasDefault ? MF_GRAYED : MF_ENABLED));
    CRect button;
    GetDlgItem(IDC_VALUE_ADD)->GetWindowRect(&button);
    popup->TrackPopupMenu(TPM_LEFTALIGN | TPM_LEFTBUTTON, button.left, button.bottom, this);
}

void CRegistrySettingsPage::OnAddValue(AddKind kind) {
    HTREEITEM selected = m_tree.GetSelectedItem();
    if (!selected) return;
    CStringValueDlg text;
    CDwordValueDlg number;
    CBinaryValueDlg binary;
    CByteArray bytes;
    text.SetDefault(kind == kAddDefault);
    binary.SetData(&bytes);
    CRegistryValueItem* value = nullptr;
    for (;;) {
        CString name;
        if (kind == kAddText || kind == kAddDefault) {
            if (text.DoModal() != IDOK) return;
            name = text.GetName();
        } else if (kind == kAddDword) {
            if (number.DoModal() != IDOK) return;
            name = number.GetName();
        } else {
            if (binary.DoModal() != IDOK) return;
            name = binary.GetName();
        }
        if (!theSnapinUtilities.ListCtrlContains(&m_list, name, 0, nullptr, -1)) {
            if (kind == kAddText || kind == kAddDefault)
                value = new CRegistryValueItem(name, static_cast<LPCSTR>(text.GetValue()), kCreate, 1,
                                               kind == kAddText ? kString : kDefault);
            else if (kind == kAddDword)
                value = new CRegistryValueItem(name, number.GetValue(), kCreate, 1, kDword);
            else
                value = new CRegistryValueItem(name, static_cast<DWORD>(bytes.GetSize()), bytes.GetData(), kCreate,
                                               1, kBinary);
            break;
        }
        CString message, caption;
        message.Format(Text(IDS_DUPLICATE_VALUE), static_cast<const char*>(name));
        caption.LoadString(IDS_DRAVIK_ERROR);
        MessageBeep(0);
        ::MessageBoxA(m_hWnd, message, caption, MB_OK | MB_ICONEXCLAMATION);
        // The editor runs again, with what was entered.
    }
    CRegistryKeyItem* row = RowOf(selected);
    if (!row) {
        row = new CRegistryKeyItem;
        m_tree.SetItemData(selected, reinterpret_cast<DWORD_PTR>(row));
    }
    row->GetValues().AddTail(value);
    InsertValueLine(value);
    SetModified();
}

CRegistryValueItem* CRegistrySettingsPage::FirstSelectedValue(int* line) const {
    int first = m_list.GetNextItem(-1, LVNI_SELECTED);
    if (line) *line = first;
    return first < 0 ? nullptr : reinterpret_cast<CRegistryValueItem*>(m_list.GetItemData(first));
}

void CRegistrySettingsPage::OnModifyValue() {
    if (m_list.GetSelectedCount() > 1) {
        MessageBeep(0);
        return;
    }
    int line = -1;
    CRegistryValueItem* value = FirstSelectedValue(&line);
    if (!value) return;
    switch (value->GetType()) {
    case kString:
    case kDefault: {
        CStringValueDlg dialog;
        dialog.SetName(value->GetName());
        dialog.SetValue(DisplayText(*value));
        dialog.SetDefault(value->GetType() == kDefault);
        if (dialog.DoModal() != IDOK) return;
        value->SetName(dialog.GetName());
        value->SetStringData(dialog.GetValue());
        break;
    }
    case kBinary: {
        CByteArray bytes;
        const CAttributeValue* data = value->GetData();
        for (DWORD i = 0; i < data->GetLength(); ++i) bytes.Add(data->GetData()[i]);
        CBinaryValueDlg dialog;
        dialog.SetName(value->GetName());
        dialog.SetData(&bytes);
        if (dialog.DoModal() != IDOK) return;
        value->SetName(dialog.GetName());
        value->SetData(CAttributeValue(static_cast<DWORD>(bytes.GetSize()), bytes.GetData()));
        break;
    }
    case kDword: {
        CDwordValueDlg dialog;
        dialog.SetName(value->GetName());
        dialog.SetValue(value->GetDwordData());
        if (dialog.DoModal() != IDOK) return;
        value->SetName(dialog.GetName());
        value->SetDwordData(dialog.GetValue());
        break;
    }
    default: return;  // the other registry types are kept as they are
    }
    RefreshValueLine(line, value);
    SetModified();
}

void CRegistrySettingsPage::OnValueDoubleClick(NMHDR*, LRESULT* result) {
    *result = 0;
    if (CanWrite()) OnModifyValue();
}

void CRegistrySettingsPage::OnDeleteValue() {
    CRegistryKeyItem* row = RowOf(m_tree.GetSelectedItem());
    for (int line = m_list.GetNextItem(-1, LVNI_SELECTED); line >= 0;
         line = m_list.GetNextItem(line - 1, LVNI_SELECTED)) {
        auto* value = reinterpret_cast<CRegistryValueItem*>(m_list.GetItemData(line));
        m_list.DeleteItem(line);
        if (row && value) {
            if (POSITION pos = row->GetValues().Find(value)) row->GetValues().RemoveAt(pos);
            delete value;
        }
    }
    SetModified();
}

void CRegistrySettingsPage::SelectFlags(int flags) {
    int chosen = -1;
    for (int item = 0; item < m_flags.GetCount(); ++item)
        if (static_cast<int>(m_flags.GetItemData(item)) == flags) chosen = item;
    m_flags.SetCurSel(chosen);
}

void CRegistrySettingsPage::OnValueStateChanged(NMHDR* header, LRESULT* result) {
    *result = 0;
    auto* change = reinterpret_cast<NMLISTVIEW*>(header);
    BOOL write = CanWrite();
    UINT selected = m_list.GetSelectedCount();
    if (selected == 1) {
        bool becameSelected = (change->uChanged & LVIF_STATE) && (change->uNewState & LVIS_SELECTED) &&
                              !(change->uOldState & LVIS_SELECTED);
        CRegistryValueItem* value = FirstSelectedValue();
        if (becameSelected && value) {
            if (value->GetSubtype() & kCreate) {
                CheckDlgButton(IDC_REGISTRY_CREATE, BST_CHECKED);
                CheckDlgButton(IDC_REGISTRY_REMOVE, BST_UNCHECKED);
                for (int id : {IDC_REGISTRY_FLAGS, IDC_REGISTRY_CREATE, IDC_REGISTRY_REMOVE})
                    GetDlgItem(id)->EnableWindow(write);
                SelectFlags(value->GetFlags());
            } else if (value->GetSubtype() & kRemove) {
                CheckDlgButton(IDC_REGISTRY_REMOVE, BST_CHECKED);
                CheckDlgButton(IDC_REGISTRY_CREATE, BST_UNCHECKED);
                m_flags.EnableWindow(FALSE);
                GetDlgItem(IDC_REGISTRY_CREATE)->EnableWindow(write);
                GetDlgItem(IDC_REGISTRY_REMOVE)->EnableWindow(write);
                m_flags.SetCurSel(-1);
            }
        }
        GetDlgItem(IDC_VALUE_MODIFY)->EnableWindow(write);
    } else {
        CheckDlgButton(IDC_REGISTRY_CREATE, BST_UNCHECKED);
        CheckDlgButton(IDC_REGISTRY_REMOVE, BST_UNCHECKED);
        for (int id : {IDC_REGISTRY_FLAGS, IDC_REGISTRY_CREATE, IDC_REGISTRY_REMOVE, IDC_VALUE_MODIFY})
            GetDlgItem(id)->EnableWindow(FALSE);
        m_flags.SetCurSel(-1);
    }
    GetDlgItem(IDC_VALUE_DELETE)->EnableWindow(write && selected > 0);
}

void CRegistrySettingsPage::SetFocusedSubtype(int subtype) {
    bool create = subtype == kCreate;
    if (m_focusSide == 1) {
        HTREEITEM selected = m_tree.GetSelectedItem();
        CRegistryKeyItem* row = RowOf(selected);
        if (!row) return;
        row->SetSubtype(subtype);
        CheckDlgButton(IDC_REGISTRY_CREATE, create ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(IDC_REGISTRY_REMOVE, create ? BST_UNCHECKED : BST_CHECKED);
        m_flags.EnableWindow(FALSE);
        m_flags.SetCurSel(-1);
        GetDlgItem(IDC_KEY_ADD)->EnableWindow(create);
        GetDlgItem(IDC_VALUE_ADD)->EnableWindow(create);
    } else {
        CRegistryValueItem* value = FirstSelectedValue();
        if (!value) return;
        value->SetSubtype(subtype);
        CheckDlgButton(IDC_REGISTRY_CREATE, create ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(IDC_REGISTRY_REMOVE, create ? BST_UNCHECKED : BST_CHECKED);
        m_flags.EnableWindow(create);
        if (create) {
            if (value->GetFlags() == 0) value->SetFlags(1);
            SelectFlags(value->GetFlags());
        } else {
            value->SetFlags(0);
            m_flags.SetCurSel(-1);
        }
    }
    SetModified();
}

void CRegistrySettingsPage::OnFlagsChanged() {
    int item = m_flags.GetCurSel();
    CRegistryValueItem* value = FirstSelectedValue();
    if (item < 0 || !value) return;
    value->SetFlags(static_cast<int>(m_flags.GetItemData(item)));
    SetModified();
}
