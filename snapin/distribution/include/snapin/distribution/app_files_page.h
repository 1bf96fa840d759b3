// CAppFilesPage: the "Application Files" page of an application object
// (dialog 321): the files the launcher copies to or deletes from the
// workstation and the directories it creates or deletes, kept in the stream
// "App:Copy Files" as file (kind 1) and directory (kind 2) entries. One list
// line per entry: the page keeps the CAppFileItem rows in the list's order
// and the list (an owner-data list) asks it for the texts of the lines it
// shows, so that a read of 100,000 entries puts in no line one by one.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "snapin/distribution/app_file_item.h"
#include "snapin/distribution/distribution_page.h"
#include "snapin/distribution/line_index.h"

class CAppFilesPage : public CDistributionPage {
public:
    CAppFilesPage();
    ~CAppFilesPage() override;

    // Adds a line unless one shows the same file name and directory
    // (ignoring case). Kind 1 with subtype 2 is a file to delete: no source.
    // While a read runs the line waits for its end (EndEntries).
    void AddFileRow(CString source, CString target, int kind, int subtype, int flags);

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
    afx_msg void OnGetDispInfo(NMHDR* header, LRESULT* result);
    afx_msg void OnDoubleClick(NMHDR* header, LRESULT* result);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    static constexpr UINT ID_ADD_FILE_COMMAND = 32776;
    static constexpr UINT ID_ADD_DIRECTORY_COMMAND = 32777;

    void OnAddEntry(UINT command);
    CAppFileItem* RowOf(int line) const;
    // The text a line of the row shows in a column.
    const CString& CellText(const CAppFileItem& row, int column) const;
    // The file name and directory of a target as the columns show them.
    static void SplitTarget(const CString& target, int kind, bool whole, CString& fileName, CString& directory);
    // The key of a file name and directory in the index of shown lines, for
    // the duplicate test; valid until the next call.
    std::string_view IndexKey(const CString& fileName, const CString& directory);
    void Index(const CAppFileItem* row, int change);
    // Counts the lines of the rows in the index unless it holds them.
    void BuildIndex();
    // Runs `change` on the rows (adding or reordering them), then gives the
    // list their count, which repaints it; selected and focused lines follow
    // their rows.
    void RearrangeRows(const std::function<void()>& change);
    void SortBy(int column);
    void SelectCopyMode(int flags);
    void ShowFileButtons(const CAppFileItem* row);

    CListCtrl m_list;
    CComboBox m_copyMode;
    CMenu m_addMenu;
    BOOL m_bMultipleSelection = FALSE;
    std::vector<CAppFileItem*> m_rows;  // the rows of the lines, in the list's order
    CString m_removalText;              // the Source column of a file to delete
    bool m_bRearranging = false;        // selection changes of RearrangeRows are not the user's
    CLineIndex m_shown;     // lines per file name and directory, when m_bIndexed
    bool m_bIndexed = true;
    std::string m_key;      // IndexKey's buffer
    // The rows of the running read, in stream order, shown when it ends.
    bool m_bReading = false;
    std::vector<CAppFileItem*> m_readRows;
};
