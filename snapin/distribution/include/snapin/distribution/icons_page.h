// CIconsPage: the "Icons/Shortcuts" page of an application object (dialog
// 373): the program groups, program group items and shortcuts the
// application creates or removes on a workstation, kept in the stream
// "App:Program Groups" as program group (kind 18) and user icon (kind 19)
// entries. One list line per entry, sorted by name, its CIconItem row as
// the line's data.
#pragma once

#include <string>
#include <unordered_map>

#include "snapin/distribution/distribution_page.h"
#include "snapin/distribution/icon_item.h"

class CIconsPage : public CDistributionPage {
public:
    CIconsPage();
    ~CIconsPage() override;

    // 1 when a shown line has the group and the item name (compared
    // exactly); for an empty item name, when a line has the group alone
    // (a group's line: when `anyItem`, whatever its item name).
    BOOL IsDuplicateRow(const CString& group, const CString& itemName, bool anyItem) const;
    // Adds a line for the row, which it then owns, unless it duplicates one
    // (the row is then deleted); TRUE when added.
    BOOL AddIconRow(CIconItem* row);

protected:
    BOOL OnInitDialog() override;
    void AddEntry(const TemplateEntry& entry) override;
    void BeginEntries() override;
    void EndEntries() override;
    void DisableForReading() override;
    void OnReadFinished() override;
    void ApplyRights() override;
    LONG WriteRows(HFILE file) override;

    afx_msg void OnImportButton() { OnImport(); }
    afx_msg void OnAddButton();
    afx_msg void OnAddProgramGroup() { OnAddCommand(ID_PROGRAM_GROUP_COMMAND); }
    afx_msg void OnAddGroupItem() { OnAddCommand(ID_GROUP_ITEM_COMMAND); }
    afx_msg void OnAddShortcut() { OnAddCommand(ID_SHORTCUT_COMMAND); }
    afx_msg void OnModify();
    afx_msg void OnDelete();
    afx_msg void OnItemChanged(NMHDR* header, LRESULT* result);
    afx_msg void OnDeleteItem(NMHDR* header, LRESULT* result);
    afx_msg void OnDoubleClick(NMHDR* header, LRESULT* result);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    static constexpr UINT ID_PROGRAM_GROUP_COMMAND = 32778;
    static constexpr UINT ID_GROUP_ITEM_COMMAND = 32780;
    static constexpr UINT ID_SHORTCUT_COMMAND = 32781;

    void OnAddCommand(UINT command);
    CIconItem* RowOf(int line) const;
    // Inserts the line of a row; the line, or -1 (the row is deleted).
    int InsertRow(CIconItem* row);
    // The link path a shortcut row writes.
    static CString LinkPath(const CIconItem& row);
    // The duplicate test's index while a read runs: lines per group, and
    // per group and item name.
    static std::string Key(const CString& group, const CString& itemName);
    void Index(const CIconItem& row);

    CListCtrl m_list;
    CImageList m_images;
    CMenu m_addMenu;
    BOOL m_bMultipleSelection = FALSE;
    std::unordered_map<std::string, int> m_groups;  // lines per group text
    std::unordered_map<std::string, int> m_names;   // lines per group and item name
    bool m_indexing = false;
};
