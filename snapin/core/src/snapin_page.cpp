#include "snapin/core/snapin_page.h"

#include <map>

#include "vpr/mfc/dialog.h"
#include "vpr/mfc/win_app.h"

namespace {

// Page dialogs and their page parts; pages live on the host's one user
// interface thread.
std::map<const CDialog*, CSnapinPage*>& PageParts() {
    static std::map<const CDialog*, CSnapinPage*> parts;
    return parts;
}

}  // namespace

CSnapinPage::CSnapinPage(UINT titleId, UINT templateId, CDialog* owner)
    : m_nTemplateId(templateId), m_pOwner(owner) {
    m_strTitle.LoadString(titleId);
    PageParts()[owner] = this;
}

CSnapinPage::CSnapinPage(UINT titleId, LPCSTR templateName, CDialog* owner)
    : m_bTemplateIsName(TRUE), m_strTemplateName(templateName), m_pOwner(owner) {
    m_strTitle.LoadString(titleId);
    PageParts()[owner] = this;
}

CSnapinPage::~CSnapinPage() {
    auto it = PageParts().find(m_pOwner);
    if (it != PageParts().end() && it->second == this) PageParts().erase(it);
}

BOOL CSnapinPage::CanClose() { return TRUE; }
BOOL CSnapinPage::OnHelp() { return TRUE; }
LONG CSnapinPage::Save() { return 0; }

void CSnapinPage::SetModified(BOOL modified) {
    ::SendMessageA(m_pOwner->m_hWnd, PGM_SETMODIFIED, 0, static_cast<LPARAM>(modified ? 1 : 0) << 16);
}

void CSnapinPage::PassButtonToHost(int id) { m_pOwner->DefWindowProc(WM_COMMAND, MAKEWPARAM(id, 0), 0); }

CSnapinPage* CSnapinPage::FromDialog(const CDialog* dialog) {
    auto it = PageParts().find(dialog);
    return it == PageParts().end() ? nullptr : it->second;
}

BOOL AttachPageWindow(HWND window, CDialog* pageDialog) {
    if (CWnd::FromHandlePermanent(window)) return FALSE;
    // A dialog object bound to an earlier window of the page lets it go.
    if (pageDialog->m_hWnd && CWnd::FromHandlePermanent(pageDialog->m_hWnd) == pageDialog)
        pageDialog->UnsubclassWindow();
    pageDialog->m_hWnd = nullptr;
    // The window's procedure now is the host's; it becomes the one the
    // object's messages fall back to.
    return pageDialog->SubclassWindow(window);
}

INT_PTR CALLBACK SnapinPageDialogProc(HWND window, UINT message, WPARAM, LPARAM lParam) {
    // Every other message is the page object's; the many a page's controls
    // send while it fills them pass at once.
    if (message != WM_INITDIALOG && message != PGM_CANCLOSE && message != PGM_HELP) return 0;
    // The host calls in with its own state current: the page's strings,
    // dialogs and bitmaps are the module's.
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<CDialog*>(lParam);
        if (!dialog) return TRUE;
        AttachPageWindow(window, dialog);
        return dialog->OnInitDialog();
    }
    auto* dialog = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(window));
    CSnapinPage* page = dialog ? CSnapinPage::FromDialog(dialog) : nullptr;
    if (!page) return 0;
    if (message == PGM_CANCLOSE) return page->CanClose();
    if (message == PGM_HELP) return page->OnHelp();
    return 0;
}
