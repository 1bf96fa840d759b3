// Common dialogs: the file-open dialog.
//
// In a console program whose standard input is a terminal, GetOpenFileNameA
// asks for the file name on the terminal; with no terminal it answers as if
// the user had cancelled (FALSE, CommDlgExtendedError 0).
#pragma once

#include "vpr/user/user_types.h"
#include "windows.h"

// Flags of OPENFILENAMEA.
#define OFN_READONLY 0x00000001
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_EXPLORER 0x00080000
#define OFN_LONGNAMES 0x00200000

// CommDlgExtendedError codes.
#define CDERR_STRUCTSIZE 0x0001
#define CDERR_INITIALIZATION 0x0002

extern "C" {

typedef struct tagOFNA {
    DWORD lStructSize;
    HWND hwndOwner;
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
} OPENFILENAMEA, *LPOPENFILENAMEA;

// Lets the user choose a file to open; TRUE with the name in lpstrFile, FALSE
// when the user cancelled or on an error (CommDlgExtendedError tells which).
BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA ofn);
// The error of the calling thread's last common dialog, 0 after a cancel.
DWORD WINAPI CommDlgExtendedError(void);

}  // extern "C"
