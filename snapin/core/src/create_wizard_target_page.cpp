#include "snapin/core/create_wizard_pages.h"
#include "snapin/core/select_directory_dlg.h"
#include "snapin/core/snapin_utilities.h"

BEGIN_MESSAGE_MAP(CCreateWizardTargetPage, CDialog)
ON_EN_CHANGE(IDC_WIZARD_TARGET, OnTextChange)
ON_EN_CHANGE(IDC_WIZARD_SOURCE, OnTextChange)
ON_BN_CLICKED(IDC_WIZARD_TARGET_BROWSE, OnTargetBrowse)
ON_BN_CLICKED(IDC_WIZARD_SOURCE_BROWSE, OnSourceBrowse)
ON_BN_CLICKED(IDC_WIZARD_TARGET_BACK, OnBack)
ON_BN_CLICKED(IDC_WIZARD_TARGET_NEXT, OnNext)
ON_BN_CLICKED(IDHELP, OnHelp)
END_MESSAGE_MAP()

CCreateWizardTargetPage::CCreateWizardTargetPage(RECT* windowRect)
    : CCreateWizardPage(IDD_CREATE_WIZARD_TARGET, windowRect) {}

// The template's TARGET_PATH and SOURCE_PATH macros are read anew each time,
// so values typed before going back are replaced. A value the template does
// not use shows string 197 in a disabled edit.
BOOL CCreateWizardTargetPage::OnInitDialog() {
    CDialog::OnInitDialog();
    m_strTarget.Empty();
    m_strSource.Empty();
    m_bTargetUsed = TRUE;
    m_bSourceUsed = TRUE;
    theSnapinUtilities.ReadTemplatePathMacros(m_strTemplatePath, m_strTarget, m_strSource);
    CString notUsed;
    notUsed.LoadString(IDS_VALUE_NOT_USED);
    struct Field {
        const CString& value;
        int edit, browse;
        BOOL& used;
    };
    for (Field field : {Field{m_strTarget, IDC_WIZARD_TARGET, IDC_WIZARD_TARGET_BROWSE, m_bTargetUsed},
                        Field{m_strSource, IDC_WIZARD_SOURCE, IDC_WIZARD_SOURCE_BROWSE, m_bSourceUsed}}) {
        if (!field.value.IsEmpty()) {
            SetDlgItemText(field.edit, field.value);
            continue;
        }
        SetDlgItemText(field.edit, notUsed);
        GetDlgItem(field.edit)->EnableWindow(FALSE);
        GetDlgItem(field.browse)->EnableWindow(FALSE);
        field.used = FALSE;
    }
    OnTextChange();
    m_nNextState = 0;
    MoveToStoredPosition();
    return TRUE;
}

void CCreateWizardTargetPage::OnTextChange() {
    CString target, source;
    GetDlgItemText(IDC_WIZARD_TARGET, target);
    GetDlgItemText(IDC_WIZARD_SOURCE, source);
    GetDlgItem(IDC_WIZARD_TARGET_NEXT)->EnableWindow(!target.IsEmpty() && !source.IsEmpty());
}

void CCreateWizardTargetPage::OnTargetBrowse() {
    CSelectDirectoryDlg dialog(this);
    if (dialog.DoModal() == 1) SetDlgItemText(IDC_WIZARD_TARGET, dialog.GetPath());
}

void CCreateWizardTargetPage::OnSourceBrowse() {
    CString path, context;
    if (theSnapinUtilities.BrowseDirectory(m_hWnd, path, context)) SetDlgItemText(IDC_WIZARD_SOURCE, path);
}

// A value the template does not use leaves the page empty.
void CCreateWizardTargetPage::Leave(int nextState) {
    m_nNextState = nextState;
    StorePosition();
    m_strTarget.Empty();
    m_strSource.Empty();
    if (m_bTargetUsed) GetDlgItemText(IDC_WIZARD_TARGET, m_strTarget);
    if (m_bSourceUsed) GetDlgItemText(IDC_WIZARD_SOURCE, m_strSource);
    EndDialog(IDOK);
}

void CCreateWizardTargetPage::OnNext() { Leave(kWizardStateReview); }

void CCreateWizardTargetPage::OnBack() { Leave(kWizardStateTemplate); }

void CCreateWizardTargetPage::OnHelp() { WinHelp(HID_CREATE_WIZARD, HELP_CONTEXT); }
