// CSnapinPage: the page part that every property page of the module embeds.
// A page is a CDialog-derived class holding a CSnapinPage-derived member
// constructed with the page's title string, its dialog template and the
// dialog itself as owner. The host makes the page's window from the page's
// record (CSnapinObjectType::AddPage) and talks to it through three window
// messages: PGM_SETMODIFIED (page to host), PGM_CANCLOSE and PGM_HELP (host
// to page; the page's dialog procedure answers with CanClose and OnHelp).
#pragma once

#include "snapin/core/host_calls.h"
#include "vpr/mfc/string.h"

class CDialog;

class CSnapinPage {
public:
    // Title: string titleId of the current resources.
    CSnapinPage(UINT titleId, UINT templateId, CDialog* owner);
    CSnapinPage(UINT titleId, LPCSTR templateName, CDialog* owner);
    virtual ~CSnapinPage();
    CSnapinPage(const CSnapinPage&) = delete;
    CSnapinPage& operator=(const CSnapinPage&) = delete;

    // The page's dialog procedure (SnapinPageDialogProc for every page).
    virtual DLGPROC GetDialogProc() = 0;
    // 1 lets the host leave or close the page.
    virtual BOOL CanClose();
    virtual BOOL OnHelp();
    // 0, or the directory status of the write that failed.
    virtual LONG Save();
    // Tells the host the page's data changed (1) or not (0).
    virtual void SetModified(BOOL modified);

    LPCSTR GetTitle() const { return m_strTitle; }
    // A MAKEINTRESOURCE number, or the template's name.
    LPCSTR GetTemplate() const {
        return m_bTemplateIsName ? static_cast<LPCSTR>(m_strTemplateName) : MAKEINTRESOURCEA(m_nTemplateId);
    }
    CDialog* GetOwner() const { return m_pOwner; }

    // OnOK and OnCancel of a page end nothing: they hand WM_COMMAND with
    // IDOK (IDCANCEL) to the window's default procedure, the host's, which
    // presses the details dialog's button.
    void PassButtonToHost(int id);

    // The page part of a page dialog, or null.
    static CSnapinPage* FromDialog(const CDialog* dialog);

protected:
    BOOL m_bTemplateIsName = FALSE;
    CString m_strTitle;
    UINT m_nTemplateId = 0;
    CString m_strTemplateName;
    CDialog* m_pOwner = nullptr;
};

// Binds a page's dialog object to the window the host made: 1 when bound,
// 0 when a dialog object of the class library is bound to it already.
BOOL AttachPageWindow(HWND window, CDialog* pageDialog);

// The dialog procedure of every page: WM_INITDIALOG binds the dialog object
// the host passes and runs its OnInitDialog; PGM_CANCLOSE and PGM_HELP are
// answered by the page part of the bound object (0 when none is bound);
// everything else is the class library's.
INT_PTR CALLBACK SnapinPageDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
