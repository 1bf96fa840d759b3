// Dialog boxes and the dialog manager.
//
// A dialog is built from a dialog template: the frame from the template's
// style, caption and size, then one child per item in template order (which is
// the tab order). Dialog units are converted with the dialog's base units: the
// average character width and the height of its font (8 by 16 for the system
// font; see gdi.h for the fixed font metrics).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "vpr/user/window.h"

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7
#define IDCLOSE 8
#define IDHELP 9

#define DS_ABSALIGN 0x0001L
#define DS_SYSMODAL 0x0002L
#define DS_3DLOOK 0x0004L
#define DS_FIXEDSYS 0x0008L
#define DS_NOFAILCREATE 0x0010L
#define DS_LOCALEDIT 0x0020L
#define DS_SETFONT 0x0040L
#define DS_MODALFRAME 0x0080L
#define DS_NOIDLEMSG 0x0100L
#define DS_SETFOREGROUND 0x0200L
#define DS_CONTROL 0x0400L
#define DS_CENTER 0x0800L
#define DS_CENTERMOUSE 0x1000L
#define DS_CONTEXTHELP 0x2000L

#define DM_GETDEFID (WM_USER + 0)
#define DM_SETDEFID (WM_USER + 1)
#define DM_REPOSITION (WM_USER + 2)
#define DC_HASDEFID 0x534B

#define DLGWINDOWEXTRA 24

extern "C" {
BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult);
LRESULT WINAPI DefDlgProcA(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam);
BOOL WINAPI IsDialogMessageA(HWND hDlg, LPMSG lpMsg);
BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect);
LONG WINAPI GetDialogBaseUnits(void);
HWND WINAPI GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious);
HWND WINAPI GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL bPrevious);
LRESULT WINAPI SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam);
BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString);
UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax);
BOOL WINAPI SetDlgItemInt(HWND hDlg, int nIDDlgItem, UINT uValue, BOOL bSigned);
UINT WINAPI GetDlgItemInt(HWND hDlg, int nIDDlgItem, BOOL* lpTranslated, BOOL bSigned);
BOOL WINAPI CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck);
UINT WINAPI IsDlgButtonChecked(HWND hDlg, int nIDButton);
BOOL WINAPI CheckRadioButton(HWND hDlg, int nIDFirstButton, int nIDLastButton, int nIDCheckButton);
BOOL WINAPI CenterWindow(HWND hWnd, HWND hWndCenter);
}

namespace vpr::user {

// A dialog template as the window system builds it. Coordinates are dialog
// units; an item's text is either a text or a resource number (icon or bitmap
// of a static control).
struct DialogItem {
    std::string className;  // "BUTTON", "EDIT", "STATIC", "LISTBOX", "COMBOBOX" or a registered class
    std::string text;
    std::optional<uint16_t> textResource;
    int id = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
};

struct DialogTemplate {
    int resourceId = 0;  // the template's number, for the UI driver's reports
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::string className;  // empty: the standard dialog class
    std::string caption;
    int pointSize = 0;  // 0: the system font
    std::string fontName;
    std::vector<DialogItem> items;
};

// Creates a modeless dialog from a template; null when the frame or any item
// cannot be made.
HWND CreateDialogFromTemplate(HINSTANCE instance, const DialogTemplate& dialog, HWND owner, DLGPROC proc,
                              LPARAM param);
// Runs a dialog modally: the owner is disabled, the dialog is shown, the UI
// driver acts on it, messages are pumped until EndDialog; returns its result,
// or -1 when the dialog cannot be made.
INT_PTR RunDialogFromTemplate(HINSTANCE instance, const DialogTemplate& dialog, HWND owner, DLGPROC proc,
                              LPARAM param);
// The template id a dialog was made from (0 when none).
int DialogTemplateId(HWND dialog);

}  // namespace vpr::user
