// CDialog and dialog data exchange.
//
// A dialog object binds itself to its dialog window when the window's
// WM_INITDIALOG arrives (it subclasses the window, so the message map sees
// every later message and the dialog manager's own behaviour stays the
// default), then runs OnInitDialog. DoModal runs the window system's modal
// loop (DialogBoxParamA) on the template loaded through the object's module
// state's current resource handle; Create makes a modeless dialog the same
// way. OnOK exchanges the data (UpdateData(TRUE)) and ends the dialog with
// IDOK only when that succeeds; OnCancel ends it with IDCANCEL.
#pragma once

#include "vpr/mfc/wnd.h"

class CDialog;

// One exchange between a dialog's controls and its members.
class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    // The control a DDX function works on next; Fail puts the focus there.
    HWND PrepareCtrl(int nIDC);
    // Marks the exchange failed (focus on the last prepared control).
    void Fail();

    BOOL m_bSaveAndValidate;  // TRUE: controls to members
    CWnd* m_pDlgWnd;
    BOOL m_bFailed = FALSE;
    HWND m_hWndLastControl = nullptr;
};

// Binds a control member to the dialog's control (subclassing it) the first time.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
// Numbers: a text that is not a whole number in range fails the exchange
// after a message box telling the person so.
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value);
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
// The index of the checked button of the radio group that starts at nIDC (-1: none).
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
// Limits the edit to nChars bytes; a longer text fails the exchange after a
// message box.
void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars);

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)
public:
    CDialog();
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    explicit CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd = nullptr);

    // Runs the dialog modally; its EndDialog result, or -1 when the
    // template cannot be made into a dialog.
    virtual INT_PTR DoModal();
    // Makes the dialog modeless; FALSE when it cannot be made.
    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    BOOL Create(LPCSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    void EndDialog(int nResult);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The dialog procedure of every dialog object: binds the object (the
    // lParam of WM_INITDIALOG) to its window and runs OnInitDialog.
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    HWND ParentHandle() const;
    HINSTANCE TemplateInstance() const;

    LPCSTR m_lpszTemplateName = nullptr;  // a MAKEINTRESOURCE number or m_templateName
    CWnd* m_pParentWnd = nullptr;
    UINT m_nIDHelp = 0;

    DECLARE_MESSAGE_MAP()

private:
    CString templateName_;
    void SetTemplate(LPCSTR name);
};
