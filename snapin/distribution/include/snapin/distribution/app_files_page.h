// CAppFilesPage: the "Application Files" page of an application object
// (dialog 321): the files the launcher copies to or deletes from the
// workstation and the directories it creates or deletes, kept in the stream
// "App:Copy Files" as file (kind 1) and directory (kind 2) entries. One list
// line per entry, its CAppFileItem row as the line's data.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "snapin/distribution/app_file_item.h"
#include "snapin/distribution/distribution_page.h"

class CAppFilesPage : public CDistributionPage {
public:
    CAppFilesPage();
    ~CAppFilesPage() override;

    // Adds a line unless one shows the same file name and directory
    // (ignoring case). Kind 1 with subtype 2 is a file to delete: no source.
    // While a read runs the line waits for its end (EndEntries).
    void AddFileRow(const CString& source, const CString& target, int kind, int subtype, int flags);

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
    afx_msg void OnAddMenu();
    afx_msg void OnAddFile() { OnAddEntry(ID_ADD_FILE_COMMAND); }
    afx_msg void OnAddDirectory() { OnAddEntry(ID_ADD_DIRECTORY_COMMAND); }
    afx_msg void OnModify();
    afx_msg void OnDelete();
    afx_msg void OnCopyRadio();
    afx_msg void OnDeleteRadio();
    afx_msg void OnCopyModeChange();
    afx_msg void OnSharedFile();
    afx_msg void OnItemChanged(NMHDR* header, LRESULT* result);
    afx_msg void OnColumnClick(NMHDR* header, LRESULT* result);
    afx_msg void OnDeleteItem(NMHDR* header, LRESULT* result);
    afx_msg void OnDoubleClick(NMHDR* header, LRESULT* result);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    static constexpr UINT ID_ADD_FILE_COMMAND = 32776;
    static constexpr UINT ID_ADD_DIRECTORY_COMMAND = 32777;

    void OnAddEntry(UINT command);
    CAppFileItem* RowOf(int line) const;
    // The file name and directory of a target as the columns show them.
    static void SplitTarget(const CString& target, int kind, bool whole, CString& fileName, CString& directory);
    // The index of shown file names and directories, for the duplicate test.
    static std::string IndexKey(const CString& fileName, const CString& directory);
    void Index(const CAppFileItem* row, int change);
    // Puts lines of rows at the top of the list in their order; the rows
    // whose lines the list refuses are forgotten.
    void ShowRows(const std::vector<CAppFileItem*>& rows);
    void SortBy(int column);
    void SelectCopyMode(int flags);
    void ShowFileButtons(const CAppFileItem* row);

    CListCtrl m_list;
    CComboBox m_copyMode;
    CMenu m_addMenu;
    BOOL m_bMultipleSelection = FALSE;
    std::unordered_map<std::string, int> m_shown;  // lines per file name and directory
    // The rows of the running read, in stream order, shown when it ends.
    bool m_bReading = false;
    std::vector<CAppFileItem*> m_readRows;
};
