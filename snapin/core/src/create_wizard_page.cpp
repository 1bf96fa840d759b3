#include "snapin/core/create_wizard_pages.h"

#include "snapin/core/snapin_utilities.h"

void CCreateWizardPage::MoveToStoredPosition() {
    SetWindowPos(nullptr, m_pWindowRect->left, m_pWindowRect->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

void CCreateWizardPage::StorePosition() { GetWindowRect(m_pWindowRect); }

bool CCreateWizardPage::CheckName(const CString& name) {
    int at = theSnapinUtilities.FindInvalidChar(name);
    if (at < 0) return true;
    CString format, text, caption;
    format.LoadString(IDS_INVALID_NAME_CHAR);
    text.Format(format, name[at]);
    caption.LoadString(IDS_DRAVIK_ERROR);
    MessageBox(text, caption, MB_OK | MB_ICONERROR);
    return false;
}
