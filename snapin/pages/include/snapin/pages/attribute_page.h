// CAttributePage: the base of the module's attribute pages. A page is a
// dialog whose window the host makes from the page's record; its page part
// answers the host (may the page close: always; help: the page's own help
// context; save: the page's Save). OK and Cancel of a page end nothing: they
// go on to the host, which presses the details dialog's buttons.
#pragma once

#include "snapin/core/snapin_page.h"
#include "vpr/mfc/dialog.h"

class CAttributePage : public CDialog {
public:
    CAttributePage(UINT titleId, UINT templateId, DWORD helpContext);

    // Writes what the person changed: 0, or the directory status to report.
    virtual LONG Save() = 0;
    // Whether the host may leave or close the page (a page that checks its
    // fields says why not).
    virtual BOOL CanClose() { return TRUE; }

    CSnapinPage& PagePart() { return m_part; }

protected:
    void OnOK() override;
    void OnCancel() override;
    // Tells the host that the page holds changes.
    void TellHostModified() { m_part.SetModified(TRUE); }
    // A message box owned by the page: the text (string textId, with the
    // name put in at its %s, or, when `append`, after it) and the caption
    // string, with the stop icon.
    void ShowNameMessage(UINT textId, LPCSTR name, UINT captionId, bool append);

private:
    class CPart : public CSnapinPage {
    public:
        CPart(UINT titleId, UINT templateId, CAttributePage* owner, DWORD helpContext)
            : CSnapinPage(titleId, templateId, owner), m_helpContext(helpContext) {}
        DLGPROC GetDialogProc() override { return SnapinPageDialogProc; }
        BOOL OnHelp() override;
        BOOL CanClose() override { return static_cast<CAttributePage*>(m_pOwner)->CanClose(); }
        LONG Save() override { return static_cast<CAttributePage*>(m_pOwner)->Save(); }

    private:
        DWORD m_helpContext;
    };

    CPart m_part;
};
