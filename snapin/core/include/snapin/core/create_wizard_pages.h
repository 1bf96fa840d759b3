// The four pages of the application creation wizard, each a modal dialog
// that CNewObjectName shows in turn: the name page (336), the template page
// (337), the target page (338) and the review page (339). Each leaves what
// the administrator entered in its members for the wizard to read, and
// shares one window rectangle with the others so that every page opens
// where the one before it was.
#pragma once

#include "afxwin.h"
#include "snapin/core/creation_resource.h"
#include "vpr/directory/client.h"

// The next state a page hands back to the wizard (0: none chosen).
constexpr int kWizardStateName = 1;
constexpr int kWizardStateTemplate = 2;
constexpr int kWizardStateTarget = 3;
constexpr int kWizardStateReview = 4;

// A wizard page: moves itself to the shared rectangle and stores its own
// rectangle there when it leaves forward or back.
class CCreateWizardPage : public CDialog {
public:
    CCreateWizardPage(UINT templateId, RECT* windowRect) : CDialog(templateId), m_pWindowRect(windowRect) {}

protected:
    void MoveToStoredPosition();
    void StorePosition();
    // Message 113 naming the name's first invalid character; false when
    // there is one.
    bool CheckName(const CString& name);

    RECT* m_pWindowRect;
};

class CCreateWizardNamePage : public CCreateWizardPage {
public:
    CCreateWizardNamePage(DIR_CONTEXT context, RECT* windowRect);

    BOOL m_bCreateAnother = FALSE;
    BOOL m_bMoreProperties = FALSE;
    BOOL m_bUseTemplate = FALSE;
    CString m_strName;
    CString m_strPath;

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnDefaultButton();
    afx_msg void OnUseTemplate();
    afx_msg void OnMoreProperties();
    afx_msg void OnCreateAnother();
    afx_msg void OnTextChange();
    afx_msg void OnPathChange();
    afx_msg void OnPathSetFocus();
    afx_msg void OnBrowse();
    afx_msg void OnHelp();
    DECLARE_MESSAGE_MAP()

private:
    void ShowTemplateMode();
    void ShowDirectMode();
    void EnablePathControls(BOOL enable);
    void UpdateDefaultButton();
    void NoteWhetherNameIsEmpty();

    DIR_CONTEXT m_context;
    BOOL m_bNameWasEmpty = FALSE;
    BOOL m_bTemplatesUnavailable = FALSE;
};

class CCreateWizardTemplatePage : public CCreateWizardPage {
public:
    explicit CCreateWizardTemplatePage(RECT* windowRect);

    CString m_strName;
    CString m_strDescription;
    CString m_strTemplatePath;
    int m_nNextState = 0;

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnSelChange();
    afx_msg void OnBrowse();
    afx_msg void OnBack();
    afx_msg void OnNext();
    afx_msg void OnDestroy();
    afx_msg void OnHelp();
    DECLARE_MESSAGE_MAP()

private:
    void FillList();
    // Stores and shows a chosen template: its name cut at the first invalid
    // character, its description and path.
    void Choose(const CString& name, const CString& description, const CString& path);

    CString m_strTemplateDirectory;
    CListBox m_templates;
};

class CCreateWizardTargetPage : public CCreateWizardPage {
public:
    explicit CCreateWizardTargetPage(RECT* windowRect);

    CString m_strTemplatePath;  // set by the wizard before the page opens
    CString m_strTarget;
    CString m_strSource;
    int m_nNextState = 0;

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnTextChange();
    afx_msg void OnTargetBrowse();
    afx_msg void OnSourceBrowse();
    afx_msg void OnBack();
    afx_msg void OnNext();
    afx_msg void OnHelp();
    DECLARE_MESSAGE_MAP()

private:
    void Leave(int nextState);

    BOOL m_bTargetUsed = TRUE;
    BOOL m_bSourceUsed = TRUE;
};

class CCreateWizardReviewPage : public CCreateWizardPage {
public:
    explicit CCreateWizardReviewPage(RECT* windowRect);

    CString m_strReview;
    BOOL m_bCreate = FALSE;

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnBack();
    afx_msg void OnCreate();
    afx_msg void OnHelp();
    DECLARE_MESSAGE_MAP()
};
