#include "snapin/pages/attribute_page.h"

CAttributePage::CAttributePage(UINT titleId, UINT templateId, DWORD helpContext)
    : CDialog(templateId), m_part(titleId, templateId, this, helpContext) {}

void CAttributePage::OnOK() { m_part.PassButtonToHost(IDOK); }

void CAttributePage::OnCancel() { m_part.PassButtonToHost(IDCANCEL); }

void CAttributePage::ShowNameMessage(UINT textId, LPCSTR name, UINT captionId, bool append) {
    CString format, text, caption;
    format.LoadString(textId);
    caption.LoadString(captionId);
    if (append)
        text = format + name;
    else
        text.Format(format, name);
    MessageBox(text, caption, MB_OK | MB_ICONSTOP);
}

BOOL CAttributePage::CPart::OnHelp() {
    m_pOwner->WinHelp(m_helpContext, HELP_CONTEXT);
    return TRUE;
}
