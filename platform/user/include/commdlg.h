// Common dialogs: the file-open and file-save dialogs.
//
// Which form runs: the window form, a modal dialog, whenever the UI driver is
// installed or the process has windows (a program with a user interface).
// Otherwise (a console program) GetOpenFileNameA asks for the file name on
// the terminal when standard input is one; with no terminal, and for
// GetSaveFileNameA, it answers as if the user had cancelled (FALSE,
// CommDlgExtendedError 0).
//
// The window form's caption is lpstrTitle, else "Open" or "Save As"; the UI
// driver meets it by that caption. Its controls: the file name edit (edt1),
// the files of the shown folder that match the file type (lst1, sorted), the
// folder (stc1) and its sub-folders (lst2: "[..]" and "[name]", a double
// click opens one), the file types from lpstrFilter (cmb1, nFilterIndex shown
// first) and the read-only box (chx1, hidden by OFN_HIDEREADONLY). The folder
// shown first is lpstrInitialDir, else the folder of an initial lpstrFile,
// else the current one. OK (or Enter, or a double click on a file) takes the
// edit: a pattern with '*' or '?' lists those files instead, a folder is
// opened, a name without extension gets lpstrDefExt (unless that has
// wildcards), then the must-exist flags are checked (a message box tells the
// person, who tries again) and, with OFN_OVERWRITEPROMPT, saving over an
// existing file is asked ("... already exists.\nDo you want to replace it?",
// Yes goes on). With OFN_ALLOWMULTISELECT several names in double quotes
// give the folder and the names, NUL-separated with OFN_EXPLORER (ending in
// two NULs), else space-separated, nFileOffset at the first name. A result
// that does not fit lpstrFile ends the dialog with FALSE and
// FNERR_BUFFERTOOSMALL, the size needed in its first two bytes. Without
// OFN_NOCHANGEDIR the current folder becomes the one shown.
//
// With OFN_ENABLETEMPLATE the dialog is the template lpTemplateName of the
// module hInstance instead (its caption unless lpstrTitle is given): the
// controls it has, by the ids above, work as described, and a drive list
// (cmb2: the machine's drives as "c:", a choice opens that drive's root) may
// stand in for the file-type list. A missing template fails with
// CDERR_FINDRESFAILURE, a damaged one with CDERR_LOADRESFAILURE. Hook
// procedures (OFN_ENABLEHOOK) are not offered.
#pragma once

#include "vpr/user/user_types.h"
#include "windows.h"

// Flags of OPENFILENAMEA.
#define OFN_READONLY 0x00000001
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_ENABLETEMPLATE 0x00000040
#define OFN_ALLOWMULTISELECT 0x00000200
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_EXPLORER 0x00080000
#define OFN_LONGNAMES 0x00200000

// CommDlgExtendedError codes.
#define CDERR_STRUCTSIZE 0x0001
#define CDERR_INITIALIZATION 0x0002
#define CDERR_FINDRESFAILURE 0x0006
#define CDERR_LOADRESFAILURE 0x0007
#define CDERR_DIALOGFAILURE 0xFFFF
#define FNERR_BUFFERTOOSMALL 0x3003

// Control ids of the window form.
#define chx1 0x0410
#define stc1 0x0440
#define stc2 0x0441
#define stc3 0x0442
#define stc4 0x0443
#define lst1 0x0460
#define lst2 0x0461
#define cmb1 0x0470
#define cmb2 0x0471
#define edt1 0x0480

extern "C" {

typedef struct tagOFNA {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;       // the module of lpTemplateName
    LPCSTR lpstrFilter;        // pairs of description and pattern, ending in an empty text
    LPSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;        // 1-based pair of lpstrFilter shown first
    LPSTR lpstrFile;           // in: initial name; out: the chosen file
    DWORD nMaxFile;            // size of lpstrFile in bytes, NUL included
    LPSTR lpstrFileTitle;      // out, optional: the name without its directory
    DWORD nMaxFileTitle;
    LPCSTR lpstrInitialDir;
    LPCSTR lpstrTitle;         // caption; "Open" when NULL
    DWORD Flags;
    WORD nFileOffset;          // out: offset of the name in lpstrFile
    WORD nFileExtension;       // out: offset of the extension (after the '.'), 0 when none
    LPCSTR lpstrDefExt;
    LPARAM lCustData;
    void* lpfnHook;            // not offered
    LPCSTR lpTemplateName;     // with OFN_ENABLETEMPLATE: the dialog template
} OPENFILENAMEA, *LPOPENFILENAMEA;

// Lets the user choose a file to open; TRUE with the name in lpstrFile, FALSE
// when the user cancelled or on an error (CommDlgExtendedError tells which).
BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA ofn);
// Lets the user choose a name to save under; as GetOpenFileNameA.
BOOL WINAPI GetSaveFileNameA(LPOPENFILENAMEA ofn);
// The error of the calling thread's last common dialog, 0 after a cancel.
DWORD WINAPI CommDlgExtendedError(void);

}  // extern "C"
