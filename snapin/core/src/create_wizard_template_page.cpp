#include <cstring>

#include "snapin/core/create_wizard_pages.h"
#include "snapin/core/snapin_utilities.h"
#include "snapin/distribution/template_item.h"

BEGIN_MESSAGE_MAP(CCreateWizardTemplatePage, CDialog)
ON_LBN_SELCHANGE(IDC_WIZARD_TEMPLATES, OnSelChange)
ON_BN_CLICKED(IDC_WIZARD_TEMPLATE_BROWSE, OnBrowse)
ON_BN_CLICKED(IDC_WIZARD_TEMPLATE_BACK, OnBack)
ON_BN_CLICKED(IDC_WIZARD_TEMPLATE_NEXT, OnNext)
ON_WM_DESTROY()
ON_BN_CLICKED(IDHELP, OnHelp)
END_MESSAGE_MAP()

namespace {

// The part of a path after its last backslash.
CString FilePart(const CString& path) {
    int slash = path.ReverseFind('\\');
    return slash < 0 ? path : path.Mid(slash + 1);
}

}  // namespace

CCreateWizardTemplatePage::CCreateWizardTemplatePage(RECT* windowRect)
    : CCreateWizardPage(IDD_CREATE_WIZARD_TEMPLATE, windowRect) {}

BOOL CCreateWizardTemplatePage::OnInitDialog() {
    CDialog::OnInitDialog();
    m_templates.SubclassDlgItem(IDC_WIZARD_TEMPLATES, this);
    FillList();
    SetDlgItemText(IDC_WIZARD_OBJECT_NAME, m_strName);
    SetDlgItemText(IDC_WIZARD_TEMPLATE_DESCRIPTION, m_strDescription);
    if (!m_strTemplatePath.IsEmpty()) {
        GetDlgItem(IDC_WIZARD_TEMPLATE_NEXT)->EnableWindow(TRUE);
        SetDlgItemText(IDC_WIZARD_TEMPLATE_FILE, FilePart(m_strTemplatePath));
    }
    m_nNextState = 0;
    MoveToStoredPosition();
    return TRUE;
}

// One row per template file of the template directory that names its
// application; the row keeps the file's path, name and description.
void CCreateWizardTemplatePage::FillList() {
    m_strTemplateDirectory = theSnapinUtilities.GetTemplateDirectory();
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(m_strTemplateDirectory + "\\*.qmt", &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        CString path = m_strTemplateDirectory + "\\" + found.cFileName;
        CString name, description;
        theSnapinUtilities.ReadTemplateStrings(path, name, description);
        if (name.IsEmpty()) continue;
        auto* row = new CTemplateItem;
        row->SetName(path);
        row->SetPath(name);
        if (!description.IsEmpty()) row->SetDescription(description);
        int entry = m_templates.AddString(name);
        if (entry < 0) {
            delete row;
            continue;
        }
        m_templates.SetItemDataPtr(entry, row);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

void CCreateWizardTemplatePage::Choose(const CString& name, const CString& description, const CString& path) {
    char buffer[514] = {};
    std::strncpy(buffer, name, sizeof buffer - 1);
    int cut = theSnapinUtilities.FindInvalidChar(buffer);
    if (cut >= 0) buffer[cut] = 0;
    m_strName = buffer;
    m_strDescription = description;
    m_strTemplatePath = path;
    SetDlgItemText(IDC_WIZARD_OBJECT_NAME, m_strName);
    SetDlgItemText(IDC_WIZARD_TEMPLATE_DESCRIPTION, m_strDescription);
    SetDlgItemText(IDC_WIZARD_TEMPLATE_FILE, FilePart(m_strTemplatePath));
    GetDlgItem(IDC_WIZARD_TEMPLATE_NEXT)->EnableWindow(TRUE);
}

void CCreateWizardTemplatePage::OnSelChange() {
    int entry = m_templates.GetCurSel();
    if (entry < 0) return;
    auto* row = static_cast<CTemplateItem*>(m_templates.GetItemDataPtr(entry));
    Choose(row->GetPath(), row->GetDescription(), row->GetName());
}

void CCreateWizardTemplatePage::OnBrowse() {
    CString extension, filter;
    extension.LoadString(IDS_QMT_EXTENSION);
    filter.LoadString(IDS_QMT_FILTER);
    CFileDialog dialog(TRUE, extension, nullptr, OFN_HIDEREADONLY | OFN_FILEMUSTEXIST, filter, this);
    dialog.m_ofn.lpstrInitialDir = m_strTemplateDirectory;
    if (dialog.DoModal() != IDOK) return;
    CString path = dialog.GetPathName();
    CString name, description;
    theSnapinUtilities.ReadTemplateStrings(path, name, description);
    if (!name.IsEmpty()) {
        Choose(name, description, path);
        return;
    }
    // A file that names no application cannot be used.
    m_strName.Empty();
    m_strDescription.Empty();
    m_strTemplatePath.Empty();
    SetDlgItemText(IDC_WIZARD_OBJECT_NAME, "");
    SetDlgItemText(IDC_WIZARD_TEMPLATE_DESCRIPTION, "");
    SetDlgItemText(IDC_WIZARD_TEMPLATE_FILE, "");
    GetDlgItem(IDC_WIZARD_TEMPLATE_NEXT)->EnableWindow(FALSE);
}

void CCreateWizardTemplatePage::OnBack() {
    m_nNextState = kWizardStateName;
    StorePosition();
    GetDlgItemText(IDC_WIZARD_OBJECT_NAME, m_strName);
    EndDialog(IDOK);
}

// The name is not otherwise tested here: the directory refuses an empty one.
void CCreateWizardTemplatePage::OnNext() {
    GetDlgItemText(IDC_WIZARD_OBJECT_NAME, m_strName);
    if (!CheckName(m_strName)) return;
    m_nNextState = kWizardStateTarget;
    StorePosition();
    EndDialog(IDOK);
}

void CCreateWizardTemplatePage::OnDestroy() {
    for (int entry = 0, count = m_templates.GetCount(); entry < count; ++entry)
        delete static_cast<CTemplateItem*>(m_templates.GetItemDataPtr(entry));
    CDialog::OnDestroy();
}

void CCreateWizardTemplatePage::OnHelp() { WinHelp(HID_CREATE_WIZARD, HELP_CONTEXT); }
