// CPropertyPage and CPropertySheet over the window system's property sheets.
//
// A page is a dialog object whose template the sheet makes into a page
// window when the page is first shown; the page binds itself to that window
// at its WM_INITDIALOG as every dialog object does. The sheet's
// notifications become the page's virtual operations: PSN_SETACTIVE
// OnSetActive, PSN_KILLACTIVE OnKillActive (FALSE keeps the page), PSN_APPLY
// OnApply (FALSE keeps the sheet open on the page), PSN_RESET OnReset,
// PSN_QUERYCANCEL OnQueryCancel. A page never ends a dialog: its OnOK and
// OnCancel only run when the sheet applies or resets.
#pragma once

#include <vector>

#include "prsht.h"
#include "vpr/mfc/dialog.h"

class CPropertyPage : public CDialog {
    DECLARE_DYNAMIC(CPropertyPage)
public:
    explicit CPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0);

    virtual BOOL OnSetActive();
    virtual BOOL OnKillActive();
    virtual BOOL OnApply();
    virtual void OnReset();
    virtual BOOL OnQueryCancel();
    void OnOK() override;
    void OnCancel() override;
    // Enables (or disables) the sheet's Apply button for this page's changes.
    void SetModified(BOOL bChanged = TRUE);

    PROPSHEETPAGEA m_psp{};

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override;
    static INT_PTR CALLBACK PageProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    CString caption_;
};

class CPropertySheet : public CWnd {
    DECLARE_DYNAMIC(CPropertySheet)
public:
    explicit CPropertySheet(UINT nIDCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
    explicit CPropertySheet(LPCSTR pszCaption, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);

    void AddPage(CPropertyPage* pPage);
    int GetPageCount() const { return static_cast<int>(pages_.size()); }
    CPropertyPage* GetPage(int nPage) const { return pages_.at(static_cast<size_t>(nPage)); }

    // Runs the sheet modally: 1 when changes were applied, 0 when not, -1
    // when it cannot be made.
    virtual INT_PTR DoModal();
    // Makes the sheet modeless and binds the object to it; OnInitDialog runs
    // once it is bound.
    virtual BOOL Create(CWnd* pParentWnd = nullptr, DWORD dwStyle = static_cast<DWORD>(-1), DWORD dwExStyle = 0);
    virtual BOOL OnInitDialog();

    PROPSHEETHEADERA m_psh{};

private:
    void PrepareHeader(std::vector<PROPSHEETPAGEA>* pages);
    CString caption_;
    CWnd* parent_;
    std::vector<CPropertyPage*> pages_;
};
