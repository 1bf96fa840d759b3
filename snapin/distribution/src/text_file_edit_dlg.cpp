#include "snapin/distribution/text_file_edit_dlg.h"

#include "commdlg.h"
#include "snapin/core/common_resource.h"
#include "snapin/distribution/distribution_resource.h"

namespace {

constexpr int kTextAddKind = 11;
constexpr int kTextFindKind = 12;
constexpr int kAtBeginning = 1;
constexpr int kAtEnd = 2;
constexpr int kReplace = 1;
constexpr int kDeleteString = 2;
constexpr int kExactMatch = 0x80;
constexpr int kSubstringMatch = 0x100;
constexpr int kPathLimit = 260;
constexpr int IDHELP_BUTTON = 9;

CString Text(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

}  // namespace

BEGIN_MESSAGE_MAP(CTextFileEditDlg, CDialog)
ON_BN_CLICKED(IDC_TEXT_FIND_STRING, OnFindString)
ON_BN_CLICKED(IDC_TEXT_DELETE_STRING, OnDeleteString)
ON_BN_CLICKED(IDC_TEXT_ADD_STRING, OnAddString)
ON_BN_CLICKED(IDC_TEXT_BROWSE, OnBrowse)
ON_BN_CLICKED(IDHELP_BUTTON, OnHelp)
ON_BN_CLICKED(IDC_TEXT_AT_BEGINNING, UpdateOk)
ON_BN_CLICKED(IDC_TEXT_AT_END, UpdateOk)
ON_BN_CLICKED(IDC_TEXT_EXACT, UpdateOk)
ON_BN_CLICKED(IDC_TEXT_SUBSTRING, UpdateOk)
ON_EN_CHANGE(IDC_TEXT_PATH, UpdateOk)
ON_EN_CHANGE(IDC_TEXT_FIND_TEXT, UpdateOk)
ON_EN_CHANGE(IDC_TEXT_ADD_TEXT, UpdateOk)
END_MESSAGE_MAP()

CTextFileEditDlg::CTextFileEditDlg(CWnd* pParent) : CDialog(IDD_TEXT_FILE_EDIT, pParent) {}

BOOL CTextFileEditDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    SendDlgItemMessage(IDC_TEXT_PATH, EM_LIMITTEXT, kPathLimit, 0);
    for (int id : {IDC_TEXT_EXACT, IDC_TEXT_SUBSTRING, IDC_TEXT_AND, IDC_TEXT_DELETE_STRING, IDC_TEXT_AT_BEGINNING,
                   IDC_TEXT_AT_END})
        Enable(id, false);
    if (m_pItem && m_pItem->GetKind() != 0) {
        SetDlgItemText(IDC_TEXT_PATH, m_pItem->GetFileName());
        if (m_pItem->GetKind() == kTextAddKind) {
            SetDlgItemText(IDC_TEXT_ADD_TEXT, m_pItem->GetText());
            SetOn(IDC_TEXT_ADD_STRING, true);
            Enable(IDC_TEXT_AT_BEGINNING, true);
            Enable(IDC_TEXT_AT_END, true);
            SetOn(m_pItem->GetSubtype() == kAtBeginning ? IDC_TEXT_AT_BEGINNING : IDC_TEXT_AT_END, true);
        } else {
            Enable(IDC_TEXT_EXACT, true);
            Enable(IDC_TEXT_SUBSTRING, true);
            SetDlgItemText(IDC_TEXT_FIND_TEXT, m_pItem->GetFindText());
            SetOn(IDC_TEXT_FIND_STRING, true);
            Enable(IDC_TEXT_AND, true);
            if (m_pItem->GetSubtype() == kReplace) {
                SetDlgItemText(IDC_TEXT_ADD_TEXT, m_pItem->GetText());
                SetOn(IDC_TEXT_ADD_STRING, true);
            } else {
                Enable(IDC_TEXT_ADD_STRING, false);
                Enable(IDC_TEXT_DELETE_STRING, true);
                SetOn(IDC_TEXT_DELETE_STRING, true);
            }
            SetOn(m_pItem->GetFlags() == kExactMatch ? IDC_TEXT_EXACT : IDC_TEXT_SUBSTRING, true);
        }
    }
    LabelAddString();
    if (!IsOn(IDC_TEXT_FIND_STRING)) Enable(IDC_TEXT_FIND_TEXT, false);
    if (!IsOn(IDC_TEXT_ADD_STRING)) Enable(IDC_TEXT_ADD_TEXT, false);
    // Setting the texts above told UpdateOk; OK waits for the person.
    Enable(IDOK, false);
    return TRUE;
}

LRESULT CTextFileEditDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_HELP) {
        OnHelp();
        return TRUE;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

void CTextFileEditDlg::LabelAddString() {
    SetDlgItemText(IDC_TEXT_ADD_STRING, Text(IsOn(IDC_TEXT_FIND_STRING) ? IDS_MODIFY_STRING : IDS_ADD_STRING));
}

void CTextFileEditDlg::OnFindString() {
    bool find = IsOn(IDC_TEXT_FIND_STRING);
    bool add = IsOn(IDC_TEXT_ADD_STRING);
    LabelAddString();
    Enable(IDC_TEXT_AND, find);
    if (find) {
        if (!add) Enable(IDC_TEXT_DELETE_STRING, true);
        for (int id : {IDC_TEXT_AT_BEGINNING, IDC_TEXT_AT_END}) {
            SetOn(id, false);
            Enable(id, false);
        }
    } else {
        Enable(IDC_TEXT_ADD_STRING, true);
        Enable(IDC_TEXT_DELETE_STRING, false);
        SetOn(IDC_TEXT_DELETE_STRING, false);
        Enable(IDC_TEXT_AT_BEGINNING, add);
        Enable(IDC_TEXT_AT_END, add);
        SetOn(IDC_TEXT_EXACT, false);
        SetOn(IDC_TEXT_SUBSTRING, false);
    }
    Enable(IDC_TEXT_EXACT, find);
    Enable(IDC_TEXT_SUBSTRING, find);
    Enable(IDC_TEXT_FIND_TEXT, find);
    UpdateOk();
}

void CTextFileEditDlg::OnDeleteString() {
    Enable(IDC_TEXT_ADD_STRING, !IsOn(IDC_TEXT_DELETE_STRING));
    UpdateOk();
}

void CTextFileEditDlg::OnAddString() {
    bool add = IsOn(IDC_TEXT_ADD_STRING);
    bool find = IsOn(IDC_TEXT_FIND_STRING);
    if (add) {
        Enable(IDC_TEXT_DELETE_STRING, false);
        Enable(IDC_TEXT_AT_BEGINNING, !find);
        Enable(IDC_TEXT_AT_END, !find);
    } else {
        if (find) Enable(IDC_TEXT_DELETE_STRING, true);
        for (int id : {IDC_TEXT_AT_BEGINNING, IDC_TEXT_AT_END}) {
            Enable(id, false);
            SetOn(id, false);
        }
    }
    Enable(IDC_TEXT_ADD_TEXT, add);
    UpdateOk();
}

void CTextFileEditDlg::UpdateOk() {
    if (!GetDlgItem(IDOK)) return;
    bool find = IsOn(IDC_TEXT_FIND_STRING);
    bool add = IsOn(IDC_TEXT_ADD_STRING);
    bool ok = HasText(IDC_TEXT_PATH) && (find || add);
    if (ok && find)
        ok = HasText(IDC_TEXT_FIND_TEXT) && (IsOn(IDC_TEXT_DELETE_STRING) || add) &&
             (IsOn(IDC_TEXT_EXACT) || IsOn(IDC_TEXT_SUBSTRING));
    if (ok && add)
        ok = HasText(IDC_TEXT_ADD_TEXT) && (find || IsOn(IDC_TEXT_AT_BEGINNING) || IsOn(IDC_TEXT_AT_END));
    Enable(IDOK, ok);
}

void CTextFileEditDlg::OnBrowse() {
    CString filter = Text(IDS_TEXT_FILE_FILTER), extension = Text(IDS_ALL_FILES_EXTENSION);
    // The file need not exist yet.
    CFileDialog dialog(TRUE, extension, nullptr, OFN_HIDEREADONLY, filter, nullptr);
    if (dialog.DoModal() == IDOK) SetDlgItemText(IDC_TEXT_PATH, dialog.GetPathName());
}

void CTextFileEditDlg::OnHelp() { WinHelp(HID_TEXT_FILE_EDIT, HELP_CONTEXT); }

void CTextFileEditDlg::OnOK() {
    if (!m_pItem) return;
    CString path, find, add;
    GetDlgItemText(IDC_TEXT_PATH, path);
    GetDlgItemText(IDC_TEXT_FIND_TEXT, find);
    GetDlgItemText(IDC_TEXT_ADD_TEXT, add);
    if (IsOn(IDC_TEXT_FIND_STRING)) {
        int subtype = 0;
        CString text;
        if (IsOn(IDC_TEXT_DELETE_STRING)) {
            subtype = kDeleteString;
        } else if (IsOn(IDC_TEXT_ADD_STRING)) {
            subtype = kReplace;
            text = add;
        } else {
            ::MessageBoxA(m_hWnd, Text(IDS_CHOOSE_DELETE_OR_MODIFY), Text(IDS_DRAVIK_WARNING),
                          MB_OK | MB_ICONEXCLAMATION);
            return;
        }
        m_pItem->SetKind(kTextFindKind);
        m_pItem->SetSubtype(subtype);
        m_pItem->SetFindText(find);
        m_pItem->SetText(text);
        m_pItem->SetFlags(IsOn(IDC_TEXT_EXACT) ? kExactMatch : kSubstringMatch);
    } else if (IsOn(IDC_TEXT_ADD_STRING)) {
        m_pItem->SetKind(kTextAddKind);
        m_pItem->SetSubtype(IsOn(IDC_TEXT_AT_BEGINNING) ? kAtBeginning : kAtEnd);
        m_pItem->SetFindText(CString());
        m_pItem->SetText(add);
    } else {
        return;  // OK is disabled in this state
    }
    m_pItem->SetFileName(path);
    EndDialog(IDOK);
}
