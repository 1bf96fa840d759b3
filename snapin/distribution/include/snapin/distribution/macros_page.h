// CMacrosPage: the "Macros" page of an application object (dialog 322): the
// macros the application object carries for the workstations, kept in the
// stream "App:Macros" as macro entries (kind 10, subtype 1). The page keeps
// no rows: each macro is one line of its list, the name in column 0 and the
// value in column 1, sorted by name. Names are unique without regard to case
// when lines are added or read.
#pragma once

#include <string>
#include <unordered_set>

#include "snapin/distribution/distribution_page.h"

class CMacrosPage : public CDistributionPage {
public:
    CMacrosPage();
    ~CMacrosPage() override;

    // Adds a line unless one has the name (any case); TRUE when added.
    BOOL AddMacroLine(const CString& name, const CString& value);

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
    afx_msg void OnDoubleClick(NMHDR* header, LRESULT* result);
    DECLARE_MESSAGE_MAP()

private:
    // A name as the duplicate test compares it.
    static std::string FoldedName(const CString& name);
    // The editor with the page's labels: IDOK once the name holds no '%'
    // (and, when adding, names no listed macro); the editor runs again on a
    // refused name, with what was typed.
    int RunEditor(CString& name, CString& value, bool adding);

    CListCtrl m_list;
    // While one read runs: the listed names, folded, so that large imports
    // merge quickly.
    std::unordered_set<std::string> m_readIndex;
    bool m_indexing = false;
};
