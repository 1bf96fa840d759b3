// CApplicationsPage: the Applications page of users, groups and containers.
// It lists the applications associated with the object ("App:Associations")
// with their five association flags as check-box columns, and on save
// writes both sides of every change: the object's typed names (a changed
// flag set is the old value removed and the new one added in one request),
// each application's "App:Back Link" and the rights that go with them.
#pragma once

#include "snapin/distribution/ref_item.h"
#include "snapin/pages/application_list_box.h"
#include "snapin/pages/attribute_page.h"
#include "vpr/directory/client.h"

class CApplicationsPage : public CAttributePage {
public:
    CApplicationsPage();
    LONG Save() override;

    // Writes the changed rows for the object: 0, else the first failure.
    int WriteAssociations(DIR_CONTEXT context, LPCSTR object);
    // 1 when the current user may write the application's back links and ACL.
    static BOOL CanChangeApplication(DIR_CONTEXT context, LPCSTR application);

    // A flag of a row toggled by a click of the list.
    void OnRowFlagToggled();
    // Draws a row of the list: check boxes, class icon and name.
    void DrawListRow(const DRAWITEMSTRUCT* item);

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnAdd();
    afx_msg void OnDelete();
    afx_msg void OnSelChange();
    afx_msg void OnToggleLauncher();
    afx_msg void OnToggleStartMenu();
    afx_msg void OnToggleDesktop();
    afx_msg void OnToggleSystemTray();
    afx_msg void OnToggleForceRun();
    afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void ToggleFlag(DWORD bit);
    void SetRights(DIR_CONTEXT context, LPCSTR object);
    // The list's entry whose item data is the row; -1 when none.
    int FindRowEntry(const CRefItem* row) const;

    CApplicationListBox m_list;
    CString m_browseContext;
    CRefItemList m_rows;
    BOOL m_bModified = FALSE;
    BOOL m_bCanEdit = FALSE;
};
