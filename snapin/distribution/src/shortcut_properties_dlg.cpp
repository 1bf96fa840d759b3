#include "snapin/distribution/shortcut_properties_dlg.h"

#include <cstdlib>

#include "snapin/distribution/distribution_resource.h"

namespace {

constexpr int kItemAdd = 1;
constexpr int kShortcutAdd = 3;
constexpr int kOverwrite = 8;
constexpr int kKeepExisting = 4;
constexpr int kItemNormal = 0;
constexpr int kItemMinimized = 1;
constexpr int kShortcutNormal = 1;
constexpr int kShortcutMaximized = 3;
constexpr int kShortcutMinimized = 7;
constexpr int kTextLimit = 255;
constexpr int kPathLimit = 260;
constexpr int kIconIndexDigits = 3;
constexpr int IDHELP_BUTTON = 9;

// The fields the dialog shows and hands back: all but kind and link path.
void CopyFields(const CIconItem& from, CIconItem& to) {
    to.SetSubtype(from.GetSubtype());
    to.SetFlags(from.GetFlags());
    to.SetIconIndex(from.GetIconIndex());
    to.SetShowCommand(from.GetShowCommand());
    to.SetSeparateMemorySpace(from.GetSeparateMemorySpace());
    to.SetGroup(from.GetGroup());
    to.SetItemName(from.GetItemName());
    to.SetProgramPath(from.GetProgramPath());
    to.SetCommandLine(from.GetCommandLine());
    to.SetIconFile(from.GetIconFile());
    to.SetWorkingDirectory(from.GetWorkingDirectory());
}

CString Text(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

}  // namespace

BEGIN_MESSAGE_MAP(CShortcutPropertiesDlg, CDialog)
ON_BN_CLICKED(IDC_SHORTCUT_CREATE, OnCreate)
ON_BN_CLICKED(IDC_SHORTCUT_DELETE, OnDelete)
ON_BN_CLICKED(IDHELP_BUTTON, OnHelp)
ON_EN_CHANGE(IDC_SHORTCUT_NAME, UpdateOk)
ON_EN_CHANGE(IDC_SHORTCUT_ICON_FILE, UpdateOk)
ON_EN_CHANGE(IDC_SHORTCUT_ICON_INDEX, UpdateOk)
ON_EN_CHANGE(IDC_SHORTCUT_GROUP, UpdateOk)
ON_EN_CHANGE(IDC_SHORTCUT_START_IN, UpdateOk)
ON_EN_CHANGE(IDC_SHORTCUT_TARGET, UpdateOk)
ON_EN_CHANGE(IDC_SHORTCUT_PARAMETERS, UpdateOk)
ON_BN_CLICKED(IDC_SHORTCUT_NORMAL, UpdateOk)
ON_BN_CLICKED(IDC_SHORTCUT_MINIMIZED, UpdateOk)
ON_BN_CLICKED(IDC_SHORTCUT_MAXIMIZED, UpdateOk)
ON_BN_CLICKED(IDC_SHORTCUT_SEPARATE, UpdateOk)
ON_BN_CLICKED(IDC_SHORTCUT_OVERWRITE, UpdateOk)
END_MESSAGE_MAP()

CShortcutPropertiesDlg::CShortcutPropertiesDlg(CWnd* pParent) : CDialog(IDD_SHORTCUT_PROPERTIES, pParent) {}

void CShortcutPropertiesDlg::SetItem(const CIconItem& item) {
    CopyFields(item, m_item);
    m_type = item.GetSubtype();
}

void CShortcutPropertiesDlg::GetItem(CIconItem& item) const {
    CopyFields(m_item, item);
    item.SetKind(19);
    item.SetSubtype(m_type);
}

BOOL CShortcutPropertiesDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    bool add = m_type == kItemAdd || m_type == kShortcutAdd;
    if (!m_item.GetGroup().IsEmpty()) {
        SetDlgItemText(IDC_SHORTCUT_NAME, m_item.GetItemName());
        SetDlgItemText(IDC_SHORTCUT_ICON_FILE, m_item.GetIconFile());
        SetDlgItemText(IDC_SHORTCUT_GROUP, m_item.GetGroup());
        SetDlgItemText(IDC_SHORTCUT_START_IN, m_item.GetWorkingDirectory());
        SetDlgItemText(IDC_SHORTCUT_TARGET, m_item.GetProgramPath());
        SetDlgItemText(IDC_SHORTCUT_PARAMETERS, m_item.GetCommandLine());
        CheckDlgButton(IDC_SHORTCUT_SEPARATE, m_item.GetSeparateMemorySpace() == 1 ? BST_CHECKED : BST_UNCHECKED);
        if (add) {
            CheckDlgButton(IDC_SHORTCUT_OVERWRITE, m_item.GetFlags() == kOverwrite ? BST_CHECKED : BST_UNCHECKED);
            CheckRadioButton(IDC_SHORTCUT_CREATE, IDC_SHORTCUT_DELETE, IDC_SHORTCUT_CREATE);
        } else {
            CheckRadioButton(IDC_SHORTCUT_CREATE, IDC_SHORTCUT_DELETE, IDC_SHORTCUT_DELETE);
            CheckDlgButton(IDC_SHORTCUT_OVERWRITE, BST_UNCHECKED);
            GetDlgItem(IDC_SHORTCUT_OVERWRITE)->EnableWindow(FALSE);
        }
        if (m_item.GetIconIndex() != 0) {
            CString index;
            index.Format("%d", m_item.GetIconIndex());
            SetDlgItemText(IDC_SHORTCUT_ICON_INDEX, index);
        }
    } else {
        CheckRadioButton(IDC_SHORTCUT_NORMAL, IDC_SHORTCUT_MAXIMIZED, IDC_SHORTCUT_NORMAL);
        CheckRadioButton(IDC_SHORTCUT_CREATE, IDC_SHORTCUT_DELETE, IDC_SHORTCUT_CREATE);
        CheckDlgButton(IDC_SHORTCUT_OVERWRITE, BST_CHECKED);
    }
    int show = m_item.GetShowCommand();
    if (!IsShortcut()) {
        SetWindowText(Text(IDS_GROUP_ITEM));
        GetDlgItem(IDC_SHORTCUT_MAXIMIZED)->ShowWindow(SW_HIDE);
        SetDlgItemText(IDC_SHORTCUT_GROUP_LABEL, Text(IDS_PROGRAM_GROUP_LABEL));
        GetDlgItem(IDC_SHORTCUT_PARAMETERS_LABEL)->ShowWindow(SW_HIDE);
        GetDlgItem(IDC_SHORTCUT_PARAMETERS)->ShowWindow(SW_HIDE);
        if (show == kItemNormal) CheckRadioButton(IDC_SHORTCUT_NORMAL, IDC_SHORTCUT_MAXIMIZED, IDC_SHORTCUT_NORMAL);
        if (show == kItemMinimized)
            CheckRadioButton(IDC_SHORTCUT_NORMAL, IDC_SHORTCUT_MAXIMIZED, IDC_SHORTCUT_MINIMIZED);
    } else {
        SetWindowText(Text(IDS_SHORTCUT));
        SetDlgItemText(IDC_SHORTCUT_GROUP_LABEL, Text(IDS_SHORTCUT_LOCATION_LABEL));
        GetDlgItem(IDC_SHORTCUT_SEPARATE)->ShowWindow(SW_HIDE);
        int shown = show == kShortcutNormal      ? IDC_SHORTCUT_NORMAL
                    : show == kShortcutMinimized ? IDC_SHORTCUT_MINIMIZED
                    : show == kShortcutMaximized ? IDC_SHORTCUT_MAXIMIZED
                                                 : 0;
        if (shown) CheckRadioButton(IDC_SHORTCUT_NORMAL, IDC_SHORTCUT_MAXIMIZED, shown);
    }
    SendDlgItemMessage(IDC_SHORTCUT_NAME, EM_LIMITTEXT, kTextLimit, 0);
    SendDlgItemMessage(IDC_SHORTCUT_TARGET, EM_LIMITTEXT, kPathLimit, 0);
    SendDlgItemMessage(IDC_SHORTCUT_GROUP, EM_LIMITTEXT, IsShortcut() ? kPathLimit : kTextLimit, 0);
    SendDlgItemMessage(IDC_SHORTCUT_START_IN, EM_LIMITTEXT, kPathLimit, 0);
    SendDlgItemMessage(IDC_SHORTCUT_ICON_FILE, EM_LIMITTEXT, kPathLimit, 0);
    SendDlgItemMessage(IDC_SHORTCUT_ICON_INDEX, EM_LIMITTEXT, kIconIndexDigits, 0);
    GetDlgItem(IDOK)->EnableWindow(FALSE);
    return TRUE;
}

LRESULT CShortcutPropertiesDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HELP) {
        OnHelp();
        return TRUE;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

void CShortcutPropertiesDlg::UpdateOk() {
    CWnd* ok = GetDlgItem(IDOK);
    if (!ok) return;
    ok->EnableWindow(GetDlgItem(IDC_SHORTCUT_NAME)->GetWindowTextLength() > 0 &&
                     GetDlgItem(IDC_SHORTCUT_GROUP)->GetWindowTextLength() > 0 &&
                     GetDlgItem(IDC_SHORTCUT_TARGET)->GetWindowTextLength() > 0);
}

void CShortcutPropertiesDlg::OnCreate() {
    m_type = IsShortcut() ? kShortcutAdd : kItemAdd;
    GetDlgItem(IDC_SHORTCUT_OVERWRITE)->EnableWindow(TRUE);
    UpdateOk();
}

void CShortcutPropertiesDlg::OnDelete() {
    m_type = IsShortcut() ? kShortcutAdd + 1 : kItemAdd + 1;
    GetDlgItem(IDC_SHORTCUT_OVERWRITE)->EnableWindow(FALSE);
    UpdateOk();
}

void CShortcutPropertiesDlg::OnHelp() { WinHelp(IsShortcut() ? HID_SHORTCUT : HID_GROUP_ITEM, HELP_CONTEXT); }

void CShortcutPropertiesDlg::OnOK() {
    auto text = [this](int id) {
        CString value;
        GetDlgItemText(id, value);
        return value;
    };
    auto on = [this](int id) { return IsDlgButtonChecked(id) == BST_CHECKED; };
    m_item.SetSeparateMemorySpace(on(IDC_SHORTCUT_SEPARATE) ? 1 : 0);
    m_item.SetItemName(text(IDC_SHORTCUT_NAME));
    m_item.SetProgramPath(text(IDC_SHORTCUT_TARGET));
    m_item.SetGroup(text(IDC_SHORTCUT_GROUP));
    m_item.SetCommandLine(text(IDC_SHORTCUT_PARAMETERS));
    m_item.SetWorkingDirectory(text(IDC_SHORTCUT_START_IN));
    m_item.SetIconFile(text(IDC_SHORTCUT_ICON_FILE));
    // Digits only, at most three: an empty index is 0.
    m_item.SetIconIndex(std::atoi(text(IDC_SHORTCUT_ICON_INDEX)));
    if (IsShortcut())
        m_item.SetShowCommand(on(IDC_SHORTCUT_MINIMIZED)   ? kShortcutMinimized
                              : on(IDC_SHORTCUT_MAXIMIZED) ? kShortcutMaximized
                                                           : kShortcutNormal);
    else
        m_item.SetShowCommand(on(IDC_SHORTCUT_MINIMIZED) ? kItemMinimized : kItemNormal);
    if (m_type == kItemAdd || m_type == kShortcutAdd) m_item.SetFlags(on(IDC_SHORTCUT_OVERWRITE) ? kOverwrite : kKeepExisting);
    EndDialog(IDOK);
}
