// CRegistrySettingsPage: the "Registry Settings" page of an application
// object (dialog 319): the registry keys and values the application
// distributes, kept in the stream "App:Registry Settings" as key (kind 6)
// and value (kind 5) entries. A tree of keys under the six fixed roots (only
// texts: the page never opens the registry of the machine it runs on) and
// the values of the selected key beside it. Each key item owns its
// CRegistryKeyItem row; a root gets one with its first value.
#pragma once

#include <memory_resource>
#include <string>
#include <string_view>
#include <unordered_map>

#include "snapin/distribution/distribution_page.h"
#include "snapin/distribution/registry_key_item.h"

class CRegistrySettingsPage : public CDistributionPage {
public:
    CRegistrySettingsPage();
    ~CRegistrySettingsPage() override;

    // Finds or makes the items of a key path; the key's item, or null when
    // the path names no root.
    HTREEITEM InsertKeyPath(std::string_view keyPath, int subtype);
    // InsertKeyPath's walk from the root, component by component.
    HTREEITEM WalkKeyPath(const std::string& path, int subtype);
    void ForgetLastKey();
    // Adds a value row unless the key has a value of that name (exact case).
    BOOL AddValueToKey(HTREEITEM key, const CString& name, DWORD length, const void* data, int subtype, int flags,
                       int type);

    // The text a value shows in the Value column.
    static CString DisplayText(const CRegistryValueItem& value);

protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void AddEntry(const TemplateEntry& entry) override;
    void BeginEntries() override;
    void EndEntries() override;
    void DisableForReading() override;
    void OnReadFinished() override;
    void ApplyRights() override;
    LONG WriteRows(HFILE file) override;

    afx_msg void OnSelChangedKey(NMHDR* header, LRESULT* result);
    afx_msg void OnBeginLabelEdit(NMHDR* header, LRESULT* result);
    afx_msg void OnEndLabelEdit(NMHDR* header, LRESULT* result);
    afx_msg void OnDeleteKeyItem(NMHDR* header, LRESULT* result);
    afx_msg void OnTreeFocus(NMHDR* header, LRESULT* result);
    afx_msg void OnListFocus(NMHDR* header, LRESULT* result);
    afx_msg void OnValueStateChanged(NMHDR* header, LRESULT* result);
    afx_msg void OnValueDoubleClick(NMHDR* header, LRESULT* result);
    afx_msg void OnAddKey();
    afx_msg void OnModifyKey();
    afx_msg void OnDeleteKey();
    afx_msg void OnImportButton() { OnImport(); }
    afx_msg void OnAddValueButton();
    afx_msg void OnAddTextValue() { OnAddValue(kAddText); }
    afx_msg void OnAddBinaryValue() { OnAddValue(kAddBinary); }
    afx_msg void OnAddDefaultValue() { OnAddValue(kAddDefault); }
    afx_msg void OnAddDwordValue() { OnAddValue(kAddDword); }
    afx_msg void OnModifyValue();
    afx_msg void OnDeleteValue();
    afx_msg void OnCreateButton() { SetFocusedSubtype(1); }
    afx_msg void OnRemoveButton() { SetFocusedSubtype(2); }
    afx_msg void OnFlagsChanged();
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    enum AddKind { kAddText, kAddBinary, kAddDefault, kAddDword };

    void OnAddValue(AddKind kind);
    void SetFocusedSubtype(int subtype);
    CRegistryKeyItem* RowOf(HTREEITEM item) const;
    bool IsRoot(HTREEITEM item) const;
    CString KeyPath(HTREEITEM item) const;
    HTREEITEM AppendKey(HTREEITEM parent, const CString& text);
    void ShowValues(HTREEITEM item);
    void InsertValueLine(CRegistryValueItem* value);
    void RefreshValueLine(int line, const CRegistryValueItem* value);
    void SelectFlags(int flags);
    CRegistryValueItem* FirstSelectedValue(int* line = nullptr) const;
    bool SiblingHasText(HTREEITEM item, const CString& text) const;
    LONG WriteKeyTree(HFILE file, HTREEITEM item, const CString& keyPath, bool isRoot);

    CTreeCtrl m_tree;
    CListCtrl m_list;
    CComboBox m_flags;
    CImageList m_treeImages;
    CImageList m_listImages;
    CMenu m_valueMenu;
    HTREEITEM m_roots[6] = {};
    int m_focusSide = 0;  // 1: the key tree had the focus last

    // While one read runs: the items by key path (exact case) and the value
    // names of each key touched, so that large templates merge quickly.
    std::unordered_map<std::string, HTREEITEM> m_keyIndex;
    // The name indexes take their memory from one pool that the end of the
    // read gives back whole, rather than a block per value.
    std::pmr::monotonic_buffer_resource m_indexMemory;
    using NameIndex = std::pmr::unordered_multimap<size_t, CRegistryValueItem*>;  // by name hash
    std::unordered_map<const CRegistryKeyItem*, NameIndex> m_valueIndex;
    bool m_indexing = false;
    // While indexing: the last key path walked, with its subtype, item and
    // row. A stream lists a key's values one after another, and walking the
    // same path again with the same subtype changes nothing.
    std::string m_lastPath;
    int m_lastSubtype = 0;
    HTREEITEM m_lastKey = nullptr;
    CRegistryKeyItem* m_lastRow = nullptr;
    NameIndex* m_lastNames = nullptr;  // m_lastRow's in m_valueIndex
};
