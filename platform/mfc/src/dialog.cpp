#include "vpr/mfc/dialog.h"

#include <cerrno>
#include <cstdlib>

// --- Data exchange ------------------------------------------------------------

HWND CDataExchange::PrepareCtrl(int nIDC) {
    m_hWndLastControl = ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC);
    return m_hWndLastControl;
}

void CDataExchange::Fail() {
    m_bFailed = TRUE;
    if (m_hWndLastControl) {
        ::SetFocus(m_hWndLastControl);
        ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.m_hWnd) return;
    HWND control = pDX->PrepareCtrl(nIDC);
    if (!control || !rControl.SubclassWindow(control)) pDX->Fail();
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
    HWND control = pDX->PrepareCtrl(nIDC);
    if (!control) return;
    if (pDX->m_bSaveAndValidate) CWnd::FromHandle(control)->GetWindowText(value);
    else ::SetWindowTextA(control, value);
}

namespace {

// A whole number in the text (blanks around it allowed); false otherwise.
bool ParseNumber(const CString& text, bool allowSign, long long* value) {
    const char* start = text;
    while (*start == ' ') ++start;
    if (*start == '\0' || (!allowSign && *start == '-')) return false;
    char* end = nullptr;
    errno = 0;
    long long parsed = std::strtoll(start, &end, 10);
    if (errno != 0 || end == start) return false;
    while (*end == ' ') ++end;
    if (*end != '\0') return false;
    *value = parsed;
    return true;
}

template <class Number>
void ExchangeNumber(CDataExchange* pDX, int nIDC, Number& value, bool isSigned) {
    HWND control = pDX->PrepareCtrl(nIDC);
    if (!control) return;
    if (!pDX->m_bSaveAndValidate) {
        CString text;
        if (isSigned) text.Format("%lld", static_cast<long long>(value));
        else text.Format("%llu", static_cast<unsigned long long>(value));
        ::SetWindowTextA(control, text);
        return;
    }
    CString text;
    CWnd::FromHandle(control)->GetWindowText(text);
    long long parsed = 0;
    long long lowest = isSigned ? static_cast<long long>(static_cast<int>(0x80000000u)) : 0;
    long long highest = isSigned ? 0x7FFFFFFFLL : 0xFFFFFFFFLL;
    if (!ParseNumber(text, isSigned, &parsed) || parsed < lowest || parsed > highest) {
        AfxMessageBox(isSigned ? "Please enter an integer." : "Please enter a positive integer.", MB_ICONEXCLAMATION);
        pDX->Fail();
        return;
    }
    value = static_cast<Number>(parsed);
}

}  // namespace

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) { ExchangeNumber(pDX, nIDC, value, true); }
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value) { ExchangeNumber(pDX, nIDC, value, false); }

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
    HWND control = pDX->PrepareCtrl(nIDC);
    if (!control) return;
    if (pDX->m_bSaveAndValidate) value = static_cast<int>(::SendMessageA(control, BM_GETCHECK, 0, 0));
    else ::SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
    HWND first = pDX->PrepareCtrl(nIDC);
    if (!first) return;
    if (pDX->m_bSaveAndValidate) value = -1;
    int index = 0;
    HWND button = first;
    do {
        if (pDX->m_bSaveAndValidate) {
            if (::SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
        } else {
            ::SendMessageA(button, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        ++index;
        button = ::GetWindow(button, GW_HWNDNEXT);
    } while (button && !(::GetWindowLongA(button, GWL_STYLE) & WS_GROUP));
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars) {
    if (!pDX->m_bSaveAndValidate) {
        if (pDX->m_hWndLastControl) ::SendMessageA(pDX->m_hWndLastControl, EM_LIMITTEXT, nChars, 0);
        return;
    }
    if (value.GetLength() <= nChars) return;
    CString message;
    message.Format("Please enter no more than %d characters.", nChars);
    AfxMessageBox(message, MB_ICONEXCLAMATION);
    pDX->Fail();
}

// --- CDialog -----------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog() = default;

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_pParentWnd(pParentWnd) {
    m_lpszTemplateName = MAKEINTRESOURCEA(nIDTemplate);
    m_nIDHelp = nIDTemplate;
}

CDialog::CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd) : m_pParentWnd(pParentWnd) {
    SetTemplate(lpszTemplateName);
}

void CDialog::SetTemplate(LPCSTR name) {
    if (IS_INTRESOURCE(name)) {
        m_lpszTemplateName = name;
    } else {
        templateName_ = name;
        m_lpszTemplateName = templateName_;
    }
}

HWND CDialog::ParentHandle() const {
    if (m_pParentWnd) return m_pParentWnd->m_hWnd;
    CWnd* main = AfxGetMainWnd();
    return main ? main->m_hWnd : nullptr;
}

HINSTANCE CDialog::TemplateInstance() const { return m_pModuleState->m_hCurrentResourceHandle; }

INT_PTR CDialog::DoModal() {
    return ::DialogBoxParamA(TemplateInstance(), m_lpszTemplateName, ParentHandle(), DialogProc,
                             reinterpret_cast<LPARAM>(this));
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) { return Create(MAKEINTRESOURCEA(nIDTemplate), pParentWnd); }

BOOL CDialog::Create(LPCSTR lpszTemplateName, CWnd* pParentWnd) {
    SetTemplate(lpszTemplateName);
    if (pParentWnd) m_pParentWnd = pParentWnd;
    HWND hwnd = ::CreateDialogParamA(TemplateInstance(), m_lpszTemplateName, ParentHandle(), DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    return hwnd != nullptr && m_hWnd == hwnd;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) return FALSE;
    auto* dialog = reinterpret_cast<CDialog*>(lParam);
    if (!dialog) return FALSE;
    AFX_MANAGE_STATE(dialog->m_pModuleState);
    if (dialog->m_hWnd != hWnd && !dialog->SubclassWindow(hWnd)) return FALSE;
    return dialog->OnInitDialog();
}

void CDialog::EndDialog(int nResult) {
    if (m_hWnd) ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    CDataExchange exchange(this, bSaveAndValidate);
    DoDataExchange(&exchange);
    return !exchange.m_bFailed;
}

void CDialog::DoDataExchange(CDataExchange*) {}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = CWnd::WindowProc(message, wParam, lParam);
    // Whoever sent a notification to a dialog reads the answer where the
    // dialog manager keeps it.
    if (message == WM_NOTIFY && m_hWnd) ::SetWindowLongPtrA(m_hWnd, DWL_MSGRESULT, result);
    return result;
}
