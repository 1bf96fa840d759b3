#include "snapin/core/create_wizard_pages.h"

BEGIN_MESSAGE_MAP(CCreateWizardReviewPage, CDialog)
ON_BN_CLICKED(IDC_WIZARD_REVIEW_BACK, OnBack)
ON_BN_CLICKED(IDC_WIZARD_REVIEW_CREATE, OnCreate)
ON_BN_CLICKED(IDHELP, OnHelp)
END_MESSAGE_MAP()

CCreateWizardReviewPage::CCreateWizardReviewPage(RECT* windowRect)
    : CCreateWizardPage(IDD_CREATE_WIZARD_REVIEW, windowRect) {}

BOOL CCreateWizardReviewPage::OnInitDialog() {
    CDialog::OnInitDialog();
    m_bCreate = FALSE;
    SetDlgItemText(IDC_WIZARD_REVIEW_TEXT, m_strReview);
    MoveToStoredPosition();
    return TRUE;
}

void CCreateWizardReviewPage::OnBack() {
    m_bCreate = FALSE;
    EndDialog(IDOK);
}

void CCreateWizardReviewPage::OnCreate() {
    m_bCreate = TRUE;
    EndDialog(IDOK);
}

void CCreateWizardReviewPage::OnHelp() { WinHelp(HID_CREATE_WIZARD, HELP_CONTEXT); }
