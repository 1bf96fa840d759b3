#include "vpr/mfc/property_page.h"

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)
IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption) : CDialog(nIDTemplate) {
    m_psp.dwSize = sizeof m_psp;
    m_psp.hInstance = TemplateInstance();
    m_psp.pszTemplate = m_lpszTemplateName;
    m_psp.pfnDlgProc = PageProc;
    m_psp.lParam = reinterpret_cast<LPARAM>(this);
    if (nIDCaption && caption_.LoadStringFrom(TemplateInstance(), nIDCaption)) {
        m_psp.dwFlags |= PSP_USETITLE;
        m_psp.pszTitle = caption_;
    }
}

INT_PTR CALLBACK CPropertyPage::PageProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_INITDIALOG) return FALSE;
    auto* page = lParam ? reinterpret_cast<CPropertyPage*>(reinterpret_cast<PROPSHEETPAGEA*>(lParam)->lParam) : nullptr;
    return DialogProc(hWnd, message, wParam, reinterpret_cast<LPARAM>(page));
}

BOOL CPropertyPage::OnSetActive() { return TRUE; }
BOOL CPropertyPage::OnKillActive() { return UpdateData(TRUE); }
BOOL CPropertyPage::OnApply() {
    OnOK();
    return TRUE;
}
void CPropertyPage::OnReset() { OnCancel(); }
BOOL CPropertyPage::OnQueryCancel() { return TRUE; }
void CPropertyPage::OnOK() {}
void CPropertyPage::OnCancel() {}

void CPropertyPage::SetModified(BOOL bChanged) {
    HWND sheet = ::GetParent(m_hWnd);
    if (sheet) ::SendMessageA(sheet, bChanged ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

BOOL CPropertyPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    switch (header->code) {
    case PSN_SETACTIVE: *pResult = OnSetActive() ? 0 : -1; return TRUE;
    case PSN_KILLACTIVE: *pResult = !OnKillActive(); return TRUE;
    case PSN_APPLY: *pResult = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE; return TRUE;
    case PSN_RESET: OnReset(); *pResult = 0; return TRUE;
    case PSN_QUERYCANCEL: *pResult = !OnQueryCancel(); return TRUE;
    default: return CDialog::OnNotify(wParam, lParam, pResult);
    }
}

CPropertySheet::CPropertySheet(UINT nIDCaption, CWnd* pParentWnd, UINT iSelectPage) : parent_(pParentWnd) {
    caption_.LoadStringFrom(m_pModuleState->m_hCurrentResourceHandle, nIDCaption);
    m_psh.nStartPage = iSelectPage;
}

CPropertySheet::CPropertySheet(LPCSTR pszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : caption_(pszCaption), parent_(pParentWnd) {
    m_psh.nStartPage = iSelectPage;
}

void CPropertySheet::AddPage(CPropertyPage* pPage) { pages_.push_back(pPage); }

void CPropertySheet::PrepareHeader(std::vector<PROPSHEETPAGEA>* pages) {
    for (CPropertyPage* page : pages_) pages->push_back(page->m_psp);
    m_psh.dwSize = sizeof m_psh;
    m_psh.dwFlags |= PSH_PROPSHEETPAGE;
    m_psh.hwndParent = parent_ ? parent_->m_hWnd : nullptr;
    m_psh.hInstance = m_pModuleState->m_hCurrentResourceHandle;
    m_psh.pszCaption = caption_;
    m_psh.nPages = static_cast<UINT>(pages->size());
    m_psh.ppsp = pages->data();
}

INT_PTR CPropertySheet::DoModal() {
    std::vector<PROPSHEETPAGEA> pages;
    PrepareHeader(&pages);
    m_psh.dwFlags &= ~static_cast<DWORD>(PSH_MODELESS);
    return ::PropertySheetA(&m_psh);
}

BOOL CPropertySheet::Create(CWnd* pParentWnd, DWORD, DWORD) {
    if (pParentWnd) parent_ = pParentWnd;
    std::vector<PROPSHEETPAGEA> pages;
    PrepareHeader(&pages);
    m_psh.dwFlags |= PSH_MODELESS;
    auto hwnd = reinterpret_cast<HWND>(::PropertySheetA(&m_psh));
    if (!hwnd || reinterpret_cast<INT_PTR>(hwnd) == -1 || !SubclassWindow(hwnd)) return FALSE;
    created_ = true;
    OnInitDialog();
    return TRUE;
}

BOOL CPropertySheet::OnInitDialog() { return TRUE; }
