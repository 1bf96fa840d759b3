#include "snapin/core/app_library.h"
#include "snapin/core/create_wizard_pages.h"
#include "snapin/core/schema_names.h"
#include "snapin/core/snapin_utilities.h"

BEGIN_MESSAGE_MAP(CCreateWizardNamePage, CDialog)
ON_BN_CLICKED(IDC_WIZARD_NAME_DEFAULT, OnDefaultButton)
ON_BN_CLICKED(IDC_WIZARD_USE_TEMPLATE, OnUseTemplate)
ON_BN_CLICKED(IDC_WIZARD_MORE_PROPERTIES, OnMoreProperties)
ON_BN_CLICKED(IDC_WIZARD_ANOTHER, OnCreateAnother)
ON_EN_CHANGE(IDC_WIZARD_NAME, OnTextChange)
ON_EN_CHANGE(IDC_WIZARD_PATH, OnPathChange)
ON_EN_SETFOCUS(IDC_WIZARD_PATH, OnPathSetFocus)
ON_BN_CLICKED(IDC_WIZARD_PATH_BROWSE, OnBrowse)
ON_BN_CLICKED(IDHELP, OnHelp)
END_MESSAGE_MAP()

namespace {

// The controls that take a name and a path, disabled in template mode.
constexpr int kPathControls[] = {IDC_WIZARD_NAME, IDC_WIZARD_PATH, IDC_WIZARD_NAME_LABEL, IDC_WIZARD_PATH_LABEL,
                                 IDC_WIZARD_PATH_BROWSE};

}  // namespace

CCreateWizardNamePage::CCreateWizardNamePage(DIR_CONTEXT context, RECT* windowRect)
    : CCreateWizardPage(IDD_CREATE_WIZARD_NAME, windowRect), m_context(context) {}

BOOL CCreateWizardNamePage::OnInitDialog() {
    CDialog::OnInitDialog();
    if (!theAppLibrary.IsAttributeDefined(m_context, snapin::kAttrGuid)) {
        m_bTemplatesUnavailable = TRUE;
        GetDlgItem(IDC_WIZARD_USE_TEMPLATE)->EnableWindow(FALSE);
    }
    SendDlgItemMessage(IDC_WIZARD_NAME, EM_LIMITTEXT, 63);
    SendDlgItemMessage(IDC_WIZARD_PATH, EM_LIMITTEXT, 255);
    if (m_bUseTemplate) {
        ShowTemplateMode();
    } else {
        SetDlgItemText(IDC_WIZARD_PATH, m_strPath);
        SetDlgItemText(IDC_WIZARD_NAME, m_strName);
        ShowDirectMode();
        if (m_strName.IsEmpty() || m_strPath.IsEmpty()) GetDlgItem(IDC_WIZARD_NAME_DEFAULT)->EnableWindow(FALSE);
    }
    if (m_bMoreProperties) {
        CheckDlgButton(IDC_WIZARD_MORE_PROPERTIES, BST_CHECKED);
        GetDlgItem(IDC_WIZARD_ANOTHER)->EnableWindow(FALSE);
    } else if (m_bCreateAnother) {
        CheckDlgButton(IDC_WIZARD_ANOTHER, BST_CHECKED);
        GetDlgItem(IDC_WIZARD_MORE_PROPERTIES)->EnableWindow(FALSE);
    }
    if (m_pWindowRect->right != 0) MoveToStoredPosition();
    return TRUE;
}

void CCreateWizardNamePage::EnablePathControls(BOOL enable) {
    for (int id : kPathControls) GetDlgItem(id)->EnableWindow(enable);
}

void CCreateWizardNamePage::ShowTemplateMode() {
    SetDlgItemText(IDC_WIZARD_PATH, "");
    SetDlgItemText(IDC_WIZARD_NAME, "");
    EnablePathControls(FALSE);
    CString text;
    text.LoadString(IDS_WIZARD_NEXT);
    SetDlgItemText(IDC_WIZARD_NAME_DEFAULT, text);
    GetDlgItem(IDC_WIZARD_NAME_DEFAULT)->EnableWindow(TRUE);
    text.LoadString(IDS_WIZARD_CLICK_NEXT);
    SetDlgItemText(IDC_WIZARD_INSTRUCTION, text);
    CheckDlgButton(IDC_WIZARD_USE_TEMPLATE, BST_CHECKED);
}

void CCreateWizardNamePage::ShowDirectMode() {
    CString text;
    text.LoadString(IDS_WIZARD_CREATE);
    SetDlgItemText(IDC_WIZARD_NAME_DEFAULT, text);
    text.LoadString(IDS_WIZARD_CLICK_CREATE);
    SetDlgItemText(IDC_WIZARD_INSTRUCTION, text);
    CheckDlgButton(IDC_WIZARD_USE_TEMPLATE, BST_UNCHECKED);
}

void CCreateWizardNamePage::OnUseTemplate() {
    if (IsDlgButtonChecked(IDC_WIZARD_USE_TEMPLATE)) {
        m_bUseTemplate = TRUE;
        ShowTemplateMode();
    } else {
        m_bUseTemplate = FALSE;
        ShowDirectMode();
        GetDlgItem(IDC_WIZARD_NAME_DEFAULT)->EnableWindow(FALSE);
        EnablePathControls(TRUE);
    }
}

void CCreateWizardNamePage::OnMoreProperties() {
    bool ticked = IsDlgButtonChecked(IDC_WIZARD_MORE_PROPERTIES);
    if (ticked) CheckDlgButton(IDC_WIZARD_ANOTHER, BST_UNCHECKED);
    GetDlgItem(IDC_WIZARD_ANOTHER)->EnableWindow(!ticked);
    m_bMoreProperties = ticked;
    if (ticked) m_bCreateAnother = FALSE;
}

void CCreateWizardNamePage::OnCreateAnother() {
    bool ticked = IsDlgButtonChecked(IDC_WIZARD_ANOTHER);
    if (ticked) CheckDlgButton(IDC_WIZARD_MORE_PROPERTIES, BST_UNCHECKED);
    GetDlgItem(IDC_WIZARD_MORE_PROPERTIES)->EnableWindow(!ticked);
    m_bCreateAnother = ticked;
    if (ticked) m_bMoreProperties = FALSE;
}

// Without templates (the schema lacks "App:GUID") an object needs a path;
// with them a name alone makes an install-only object.
void CCreateWizardNamePage::UpdateDefaultButton() {
    if (m_bUseTemplate) return;
    CString name, path;
    GetDlgItemText(IDC_WIZARD_NAME, name);
    GetDlgItemText(IDC_WIZARD_PATH, path);
    bool enable = m_bTemplatesUnavailable ? !name.IsEmpty() && !path.IsEmpty() : !name.IsEmpty();
    GetDlgItem(IDC_WIZARD_NAME_DEFAULT)->EnableWindow(enable);
}

void CCreateWizardNamePage::OnTextChange() { UpdateDefaultButton(); }

void CCreateWizardNamePage::OnPathChange() {
    if (m_bNameWasEmpty) {
        CString path;
        GetDlgItemText(IDC_WIZARD_PATH, path);
        path = path.Left(255);
        SetDlgItemText(IDC_WIZARD_NAME, theSnapinUtilities.GetDefaultObjectName(path));
    }
    UpdateDefaultButton();
}

void CCreateWizardNamePage::NoteWhetherNameIsEmpty() {
    CString name;
    GetDlgItemText(IDC_WIZARD_NAME, name);
    m_bNameWasEmpty = name.IsEmpty();
}

void CCreateWizardNamePage::OnPathSetFocus() { NoteWhetherNameIsEmpty(); }

void CCreateWizardNamePage::OnBrowse() {
    NoteWhetherNameIsEmpty();
    CString path, context;
    if (theSnapinUtilities.BrowseFile(m_hWnd, path, context)) SetDlgItemText(IDC_WIZARD_PATH, path);
}

void CCreateWizardNamePage::OnDefaultButton() {
    GetDlgItemText(IDC_WIZARD_NAME, m_strName);
    GetDlgItemText(IDC_WIZARD_PATH, m_strPath);
    if (!CheckName(m_strName)) return;
    StorePosition();
    EndDialog(IDOK);
}

void CCreateWizardNamePage::OnHelp() { WinHelp(HID_CREATE_WIZARD_NAME, HELP_CONTEXT); }
