// Property sheets: a dialog with a tab control, one page per tab, and the
// OK, Cancel, Apply and Help buttons.
//
// A page comes from a dialog template: the resource pszTemplate names in
// hInstance's module (read when the page is made: a missing or damaged one
// fails CreatePropertySheetPageA, or PropertySheetA with -1), or with
// PSP_DLGINDIRECT a vpr::win::DialogTemplate in memory at pResource. A title
// given by PSP_USETITLE may be a string id of hInstance. Each page window is made the first
// time it is shown (WM_INITDIALOG gets a pointer to the page's
// PROPSHEETPAGEA) and told PSN_SETACTIVE; leaving it sends PSN_KILLACTIVE
// (TRUE in DWL_MSGRESULT keeps it). OK and Apply send PSN_APPLY to every page
// made so far (PSNRET_INVALID_NOCHANGEPAGE keeps the sheet open on that
// page); Cancel sends PSN_RESET. PSM_CHANGED enables Apply until a page is
// applied. A modal sheet (PropertySheetA) returns 1 when changes were applied,
// else 0, -1 on an error; a modeless sheet (PSH_MODELESS) returns its window,
// which answers PSM_GETCURRENTPAGEHWND with null once OK or Cancel closed it.
#pragma once

#include "vpr/user/dialog.h"
#include "vpr/win/module.h"
#include "vpr/user/window.h"

typedef struct PROPSHEETPAGE_* HPROPSHEETPAGE;
struct PROPSHEETPAGEA;
typedef UINT(CALLBACK* LPFNPSPCALLBACKA)(HWND, UINT, PROPSHEETPAGEA*);
typedef int(CALLBACK* PFNPROPSHEETCALLBACK)(HWND, UINT, LPARAM);

#define PSP_DEFAULT 0x0000
#define PSP_DLGINDIRECT 0x0001
#define PSP_USETITLE 0x0008
#define PSP_HASHELP 0x0020
#define PSP_USECALLBACK 0x0080
#define PSPCB_RELEASE 1
#define PSPCB_CREATE 2
#define PSH_DEFAULT 0x0000
#define PSH_PROPTITLE 0x0001
#define PSH_NOAPPLYNOW 0x0080
#define PSH_PROPSHEETPAGE 0x0008
#define PSH_HASHELP 0x0200
#define PSH_MODELESS 0x0400
#define PSH_USESTARTPAGE 0x0010

struct PROPSHEETPAGEA {
    DWORD dwSize;
    DWORD dwFlags;
    HINSTANCE hInstance;
    union {
        LPCSTR pszTemplate;     // a dialog resource of hInstance
        const void* pResource;  // with PSP_DLGINDIRECT: a vpr::win::DialogTemplate
    };
    HICON hIcon;
    LPCSTR pszTitle;
    DLGPROC pfnDlgProc;
    LPARAM lParam;
    LPFNPSPCALLBACKA pfnCallback;
    UINT* pcRefParent;
};
typedef PROPSHEETPAGEA* LPPROPSHEETPAGEA;
typedef const PROPSHEETPAGEA* LPCPROPSHEETPAGEA;

struct PROPSHEETHEADERA {
    DWORD dwSize;
    DWORD dwFlags;
    HWND hwndParent;
    HINSTANCE hInstance;
    HICON hIcon;
    LPCSTR pszCaption;
    UINT nPages;
    UINT nStartPage;
    const PROPSHEETPAGEA* ppsp;  // with PSH_PROPSHEETPAGE
    HPROPSHEETPAGE* phpage;      // otherwise
    PFNPROPSHEETCALLBACK pfnCallback;
};
typedef PROPSHEETHEADERA* LPPROPSHEETHEADERA;
typedef const PROPSHEETHEADERA* LPCPROPSHEETHEADERA;

struct PSHNOTIFY {
    NMHDR hdr;
    LPARAM lParam;
};

#define PSN_FIRST (0U - 200U)
#define PSN_SETACTIVE (PSN_FIRST - 0)
#define PSN_KILLACTIVE (PSN_FIRST - 1)
#define PSN_APPLY (PSN_FIRST - 2)
#define PSN_RESET (PSN_FIRST - 3)
#define PSN_HELP (PSN_FIRST - 5)
#define PSN_QUERYCANCEL (PSN_FIRST - 9)
#define PSNRET_NOERROR 0
#define PSNRET_INVALID 1
#define PSNRET_INVALID_NOCHANGEPAGE 2

#define PSM_SETCURSEL (WM_USER + 101)
#define PSM_REMOVEPAGE (WM_USER + 102)
#define PSM_ADDPAGE (WM_USER + 103)
#define PSM_CHANGED (WM_USER + 104)
#define PSM_PRESSBUTTON (WM_USER + 113)
#define PSM_UNCHANGED (WM_USER + 109)
#define PSM_APPLY (WM_USER + 110)
#define PSM_SETTITLEA (WM_USER + 111)
#define PSM_GETTABCONTROL (WM_USER + 116)
#define PSM_GETCURRENTPAGEHWND (WM_USER + 118)
#define PSBTN_OK 1
#define PSBTN_APPLYNOW 2
#define PSBTN_CANCEL 3
#define PSBTN_HELP 4

// Ids of the sheet's own controls.
#define IDC_PROPSHEET_TABS 0x3020
#define ID_APPLY_NOW 0x3021

extern "C" {
HPROPSHEETPAGE WINAPI CreatePropertySheetPageA(LPCPROPSHEETPAGEA constPropSheetPagePointer);
BOOL WINAPI DestroyPropertySheetPage(HPROPSHEETPAGE hPage);
INT_PTR WINAPI PropertySheetA(LPCPROPSHEETHEADERA constPropSheetHeaderPointer);
}

namespace vpr::user::ui {
// Clicks a tab of a property sheet, as a person switching pages would.
bool ClickTab(HWND sheet, int index);
}  // namespace vpr::user::ui

