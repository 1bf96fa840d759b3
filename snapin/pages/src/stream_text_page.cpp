// The Scripts and Administrator Notes pages: texts in stream attributes.
#include "snapin/pages/stream_text_page.h"

#include "snapin/core/directory_helper.h"
#include "snapin/core/schema_names.h"
#include "snapin/core/snapin_object_type.h"
#include "snapin/pages/object_attributes.h"
#include "snapin/pages/pages_resource.h"
#include "snapin/pages/ref_list_kit.h"

BEGIN_MESSAGE_MAP(CStreamTextPage, CAttributePage)
VPR_MAP_ENTRY(WM_COMMAND, EN_CHANGE, IDC_SCRIPTS_STARTUP, IDC_NOTES_EDIT, self_->OnChangeText(LOWORD(wParam_)))
END_MESSAGE_MAP()

CStreamTextPage::CStreamTextPage(UINT titleId, UINT templateId, DWORD helpContext, std::vector<Edit> edits,
                                 bool readOnlyWhenDenied)
    : CAttributePage(titleId, templateId, helpContext),
      m_edits(std::move(edits)),
      m_modified(m_edits.size(), FALSE),
      m_bReadOnlyWhenDenied(readOnlyWhenDenied) {}

BOOL CStreamTextPage::OnInitDialog() {
    CAttributePage::OnInitDialog();
    DIR_CONTEXT context = theDirectoryHelper.CreateContext();
    if (context >= 0) {
        LPCSTR object = GetCurrentObjectName();
        for (const Edit& edit : m_edits)
            SetDlgItemText(edit.editId, ReadStreamText(context, object, edit.attribute).c_str());
        for (const Edit& edit : m_edits) {
            if (theDirectoryHelper.CanWriteAttribute(context, object, edit.attribute)) continue;
            GetDlgItem(edit.labelId)->EnableWindow(FALSE);
            if (m_bReadOnlyWhenDenied)
                SendDlgItemMessage(edit.editId, EM_SETREADONLY, TRUE, 0);
            else
                GetDlgItem(edit.editId)->EnableWindow(FALSE);
        }
        DirFreeContext(context);
    }
    m_modified.assign(m_edits.size(), FALSE);
    return TRUE;
}

void CStreamTextPage::OnChangeText(int editId) {
    for (size_t i = 0; i < m_edits.size(); ++i)
        if (m_edits[i].editId == editId) {
            m_modified[i] = TRUE;
            TellHostModified();
        }
}

// Edits are written in order; the first failure ends the save, leaving the
// later edits marked. A stream that never had a value needs no write for an
// empty text: the directory's "no value" answer then counts as done.
LONG CStreamTextPage::Save() {
    return WriteCurrentObject([this](DIR_CONTEXT context, LPCSTR object) {
        LONG status = 0;
        for (size_t i = 0; i < m_edits.size(); ++i) {
            if (!m_modified[i] || !::IsWindow(::GetDlgItem(m_hWnd, m_edits[i].editId))) continue;
            CString text;
            GetDlgItemText(m_edits[i].editId, text);
            status = theDirectoryHelper.WriteStreamAttribute(context, object, m_edits[i].attribute, text);
            if (status == DIR_ERR_NO_STREAM_VALUE && text.IsEmpty()) status = 0;
            if (status != 0) return status;
            m_modified[i] = FALSE;
        }
        return status;
    });
}

CScriptsPage::CScriptsPage()
    : CStreamTextPage(IDS_SCRIPTS_TITLE, IDD_SCRIPTS, HID_SCRIPTS,
                      {{IDC_SCRIPTS_STARTUP_LABEL, IDC_SCRIPTS_STARTUP, snapin::kAttrStartupScript},
                       {IDC_SCRIPTS_SHUTDOWN_LABEL, IDC_SCRIPTS_SHUTDOWN, snapin::kAttrShutdownScript}},
                      false) {}

CAdministratorNotesPage::CAdministratorNotesPage()
    : CStreamTextPage(IDS_NOTES_TITLE, IDD_ADMINISTRATOR_NOTES, HID_ADMINISTRATOR_NOTES,
                      {{IDC_NOTES_LABEL, IDC_NOTES_EDIT, snapin::kAttrAdministratorNotes}}, true) {}
