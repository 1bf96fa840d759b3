// CIniFilesPage: the "INI Files" page of an application object (dialog
// 320): the ini files the application touches on a workstation, their
// sections and the identifiers created or deleted there, kept in the stream
// "App:INI Settings" as identifier (kind 3) and section (kind 4) entries.
//
// The model has three levels: the lines of the sorted list box are the
// files (unique in any case), each carrying its CIniSectionList as item
// data; a section (unique with case, within its file) owns its values; a
// value is an identifier, its text, Create (1) or Delete (2) and flags. The
// tree shows the sections of the selected file, one node per section and
// one node under it per value; a value never has two nodes.
#pragma once

#include <string>
#include <memory_resource>
#include <unordered_map>

#include "snapin/distribution/distribution_page.h"
#include "snapin/distribution/ini_section_item.h"

// The sections of one ini file, in their order; the list owns them.
class CIniSectionList : public CObList {
public:
    CIniSectionList() : CObList(10) {}
    ~CIniSectionList() override;
    CIniSectionList(const CIniSectionList&) = delete;
    CIniSectionList& operator=(const CIniSectionList&) = delete;
};

class CIniFilesPage : public CDistributionPage {
public:
    CIniFilesPage();
    ~CIniFilesPage() override;

    // The file's sections: the line of that name (any case), else a new one.
    CIniSectionList* AddFile(const CString& name);
    // The file's section of that name (exact case), else a new one.
    CIniSectionItem* FindOrAddSection(CIniSectionList* file, const CString& name);
    // The section's value of that identifier and text (exact case), given the
    // subtype and flags, else a new one; `added` says which.
    CIniValueItem* AddOrUpdateValue(CIniSectionItem* section, const CString& identifier, const CString& value,
                                    int subtype, int flags, bool* added = nullptr);
    // The text Show File gives for a list line: each section in brackets,
    // its values, an empty line; every line ends with CR LF.
    CString FileText(int line) const;

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
    afx_msg void OnFileSelected();
    afx_msg void OnShowFile();
    afx_msg void OnNewFile();
    afx_msg void OnModifyFile();
    afx_msg void OnDeleteFile();
    afx_msg void OnAddSection();
    afx_msg void OnAddValue();
    afx_msg void OnModify();
    afx_msg void OnDelete();
    afx_msg void OnCreateItem();
    afx_msg void OnDeleteItem();
    afx_msg void OnFlagsChanged();
    afx_msg void OnNodeSelected(NMHDR* header, LRESULT* result);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    CIniSectionList* FileOf(int line) const;
    CIniSectionList* SelectedFile() const;
    bool IsValueNode(HTREEITEM node) const { return node && m_tree.GetParentItem(node); }
    CIniSectionItem* SectionOf(HTREEITEM node) const;
    CIniValueItem* ValueOf(HTREEITEM node) const;
    static CString NodeText(const CIniValueItem& value);
    // The tree of the selected file, built anew.
    void BuildTree();
    HTREEITEM AppendValueNode(HTREEITEM sectionNode, CIniValueItem* value);
    HTREEITEM FindNode(HTREEITEM parent, const CObject* row) const;
    // The radio buttons and flags of the node now selected.
    void ShowNodeState(HTREEITEM node);
    void SelectFlags(int flags);
    void ClearRadios();
    // Tests a name against "[]=": message 199 for the first such character.
    bool IsValidName(const CString& text);
    // Runs the string editor until OK gives a valid name (or Cancel).
    bool EditName(CString& text, UINT labelId, bool test);
    bool EditValue(CString& identifier, CString& value);

    CListBox m_files;
    CTreeCtrl m_tree;
    CComboBox m_flags;
    CImageList m_images;

    // While one read runs: files by folded name, sections of a file by name,
    // values of a section by identifier and text, so that large streams
    // merge quickly.
    std::unordered_map<std::string, CIniSectionList*> m_fileIndex;
    std::unordered_map<const CIniSectionList*, std::unordered_map<std::string, CIniSectionItem*>> m_sectionIndex;
    // The value indexes take their memory from one pool that the end of the
    // read gives back whole, rather than a block per value.
    std::pmr::monotonic_buffer_resource m_indexMemory;
    using ValueIndex = std::pmr::unordered_multimap<size_t, CIniValueItem*>;  // by identifier and text hash
    std::unordered_map<const CIniSectionItem*, ValueIndex> m_valueIndex;
    bool m_indexing = false;
    // While indexing: what the last entry found. A stream lists a section's
    // identifiers one after another, so AddEntry finds most entries' file
    // and section here before it makes their texts.
    CString m_lastFileName;
    CIniSectionList* m_lastFile = nullptr;
    CString m_lastSectionName;
    const CIniSectionList* m_lastSectionFile = nullptr;
    CIniSectionItem* m_lastSection = nullptr;  // of m_lastSectionFile
    const CIniSectionItem* m_lastValueSection = nullptr;
    ValueIndex* m_lastValues = nullptr;  // its index
    void ForgetLastFound();
};
