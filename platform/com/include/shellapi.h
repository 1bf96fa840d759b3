// The shell's calls for programs: dropped files, the tray, opening items,
// and loading a class into the shell.
#pragma once

#include "shlobj.h"

// Files dropped or pasted: a DROPFILES block in global memory.
#define CF_HDROP 15
typedef HGLOBAL HDROP;
typedef struct _DROPFILES {
    DWORD pFiles;  // offset of the file list: NUL-terminated names, an empty one last
    POINT pt;
    BOOL fNC;
    BOOL fWide;    // the names are UTF-16
} DROPFILES, *LPDROPFILES;

// The count of files with index 0xFFFFFFFF; with no buffer the length of a
// name (without its NUL); else copies the name, cut to the buffer and
// terminated, and answers the characters copied.
UINT WINAPI DragQueryFileA(HDROP drop, UINT index, LPSTR file, UINT size);
BOOL WINAPI DragQueryPoint(HDROP drop, POINT* point);
void WINAPI DragFinish(HDROP drop);

// Tray icons. NOTIFYICONDATAA's first form (88 bytes on 32-bit Windows).
#define NIM_ADD 0x00000000
#define NIM_MODIFY 0x00000001
#define NIM_DELETE 0x00000002
#define NIF_MESSAGE 0x00000001
#define NIF_ICON 0x00000002
#define NIF_TIP 0x00000004
typedef struct _NOTIFYICONDATAA {
    DWORD cbSize;
    HWND hWnd;
    UINT uID;
    UINT uFlags;
    UINT uCallbackMessage;
    HICON hIcon;
    CHAR szTip[64];
} NOTIFYICONDATAA, *PNOTIFYICONDATAA;
typedef NOTIFYICONDATAA NOTIFYICONDATA;
#define Shell_NotifyIcon Shell_NotifyIconA
// Works in the shell's process, where the tray is: adding an id a window
// has already, or changing or deleting one it has not, fails.
BOOL WINAPI Shell_NotifyIconA(DWORD message, PNOTIFYICONDATAA data);

// Opening items.
#define SEE_MASK_CLASSNAME 0x00000001
#define SEE_MASK_IDLIST 0x00000004
#define SEE_MASK_INVOKEIDLIST 0x0000000C
#define SEE_MASK_FLAG_NO_UI 0x00000400
#define SEE_MASK_NOCLOSEPROCESS 0x00000040
typedef struct _SHELLEXECUTEINFOA {
    DWORD cbSize;
    ULONG fMask;
    HWND hwnd;
    LPCSTR lpVerb;
    LPCSTR lpFile;
    LPCSTR lpParameters;
    LPCSTR lpDirectory;
    int nShow;
    HINSTANCE hInstApp;
    LPVOID lpIDList;
    LPCSTR lpClass;
    HKEY__* hkeyClass;
    DWORD dwHotKey;
    HANDLE hIcon;
    HANDLE hProcess;
} SHELLEXECUTEINFOA, *LPSHELLEXECUTEINFOA;
typedef SHELLEXECUTEINFOA SHELLEXECUTEINFO;
#define ShellExecuteEx ShellExecuteExA
// With SEE_MASK_IDLIST the list opens in a browser of the shell ("Explore":
// with its tree pane; "Open" or none: without); otherwise as ShellExecuteA.
BOOL WINAPI ShellExecuteExA(LPSHELLEXECUTEINFOA info);

// Asks the machine's running shell to create the class and release it: E_FAIL
// while no shell runs or it is starting, else the result of the creation.
STDAPI SHLoadInProc(REFCLSID clsid);
