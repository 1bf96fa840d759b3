// CTextFilesPage: the "Text Files" page of an application object (dialog
// 324): the edits the application makes to text files on a workstation,
// kept in the stream "App:Text Files" as text add (kind 11) and text find
// (kind 12) entries. One list line per edit, sorted by file, its
// CTextFileItem row as the line's data.
#pragma once

#include <string>
#include <unordered_set>

#include "snapin/distribution/distribution_page.h"
#include "snapin/distribution/text_file_item.h"

class CTextFilesPage : public CDistributionPage {
public:
    CTextFilesPage();
    ~CTextFilesPage() override;

    // 1 when a shown line has the file and the text (and, unless the find
    // text is empty, the find text), compared exactly.
    BOOL IsDuplicateRow(const CString& file, const CString& text, const CString& findText) const;

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
    afx_msg void OnAdd();
    afx_msg void OnModify();
    afx_msg void OnDelete();
    afx_msg void OnItemChanged(NMHDR* header, LRESULT* result);
    afx_msg void OnDeleteItem(NMHDR* header, LRESULT* result);
    afx_msg void OnDoubleClick(NMHDR* header, LRESULT* result);
    DECLARE_MESSAGE_MAP()

private:
    CTextFileItem* RowOf(int line) const;
    // Inserts a line for the row, which it then owns; the line, or -1 (the
    // row is deleted).
    int InsertRow(CTextFileItem* row);
    // The duplicate keys of a row while a read runs.
    static std::string Key(const CString& file, const CString& text);
    static std::string Key(const CString& file, const CString& text, const CString& findText);
    void IndexRow(const CTextFileItem& row);

    CListCtrl m_list;
    // While one read runs: file and text of every line, and file, text and
    // find text, so that large imports merge quickly.
    std::unordered_set<std::string> m_texts;
    std::unordered_set<std::string> m_finds;
    bool m_indexing = false;
};
