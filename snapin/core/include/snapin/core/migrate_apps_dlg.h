// The migration of old application objects: CMigrateAppsDlg ("Migrate
// Application Objects", dialog 393) lists the old objects selected in the
// host beside the names of the new objects and takes the options;
// CMigrateProgressDlg ("Migrating Application Objects", dialog 394) converts
// them one after the other on a worker thread (MigrateApplicationObjects),
// ConvertOldApplicationObject carrying one object's attributes over.
#pragma once

#include "afxwin.h"
#include "kmapp32.h"
#include "snapin/core/migration_resource.h"
#include "vpr/directory/client.h"

class CMigrateAppsDlg : public CDialog {
public:
    explicit CMigrateAppsDlg(CWnd* pParent = nullptr);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT item);
    afx_msg void OnOldSelChange();
    afx_msg void OnNewSelChange();
    afx_msg void OnRemove();
    afx_msg void OnCustomize();
    afx_msg void OnModifierChange();
    afx_msg void OnHelp();
    DECLARE_MESSAGE_MAP()

private:
    // CN.OU.O with the modifier -20 gives CN-20.OU.O; a name without a
    // period has no new name.
    CString NewName(const CString& oldName) const;
    void RebuildNewNames();
    void SelectAlike(CListBox& from, CListBox& to);
    void DrawNewName(LPDRAWITEMSTRUCT item);

    CString m_strModifier = "-20";
    CListBox m_oldNames;
    CListBox m_newNames;
};

class CMigrateProgressDlg : public CDialog {
public:
    explicit CMigrateProgressDlg(CWnd* pParent = nullptr);
    // Waits for a worker still running (a dialog ended from outside).
    ~CMigrateProgressDlg() override;

    // The two lists of the migration dialog and its options, before DoModal;
    // DoModal answers 1 when any object was converted, else 0.
    void SetLists(CListBox* oldNames, CListBox* newNames, BOOL deleteOld, BOOL migrateAssociations);

    // The worker's one run over the lists.
    friend void MigrateApplicationObjects(CMigrateProgressDlg* dialog);

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    afx_msg LRESULT OnWorkerDone(WPARAM, LPARAM);
    DECLARE_MESSAGE_MAP()

private:
    static UINT Worker(LPVOID self);

    CListBox* m_pOldNames = nullptr;
    CListBox* m_pNewNames = nullptr;
    BOOL m_bDeleteOld = FALSE;
    BOOL m_bMigrateAssociations = FALSE;
    BOOL m_bSuccess = FALSE;
    BOOL m_bRunning = FALSE;
    CWinThread* m_pThread = nullptr;
    CAnimateCtrl m_clip;
};

void MigrateApplicationObjects(CMigrateProgressDlg* dialog);

// Carries the old object's attributes into the new object in one modify
// request; with `migrateAssociations`, its "See Also" objects get the
// rights, a back link and an association (level 0x1) of the new object. 0 or
// the first failing status; on failure the old object is to be kept.
int ConvertOldApplicationObject(DIR_CONTEXT context, KmappAttribute* list, LPCSTR oldName, LPCSTR newName,
                                BOOL migrateAssociations);
