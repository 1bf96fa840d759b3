// The template writer library KMQMT32.DLL that the snapshot tool binds by
// name: the template entry points (template/template_library.h, the same
// objects KMAPP32.DLL carries) and the workstation's desktop and Start Menu
// folders, the program groups of the Programs menus and what a shortcut
// file holds.
#pragma once

#include "template/template_library.h"
#include "windows.h"

// Size of the buffers the folder calls fill, terminator included.
#define KMQMT_DIRECTORY_SIZE 255

extern "C" {

// Each fills `directory` (KMQMT_DIRECTORY_SIZE bytes) with a folder of the
// current machine and returns TRUE; FALSE with an empty text when there is no
// machine or the folder does not fit. On Windows 95 the common folders are
// the user's own.
BOOL kmappGetWinDesktopDir(LPSTR directory);
BOOL kmappGetCommonWinDesktopDir(LPSTR directory);
BOOL kmappGetStartMenuDir(LPSTR directory);
BOOL kmappGetCommonStartMenuDir(LPSTR directory);

// The program groups: every folder below the user's Programs menu, then on
// Windows NT every folder below the common one, named relative to its menu
// ("Accessories\Games"). A group's items are the shortcut files in its
// folder, in name order.
typedef struct KMAPP_GROUP_ITEM {
    LPSTR text1;     // the program the shortcut starts
    LPSTR text2;     // its arguments
    LPSTR text3;     // the item's name: the file name without ".lnk"
    LPSTR text4;     // the icon file
    LONG integer1;   // the icon index
    LPSTR text5;     // the working directory
    LONG integer2;   // the show command (SW_*)
    struct KMAPP_GROUP_ITEM* next;
} KMAPP_GROUP_ITEM;

typedef struct KMAPP_GROUP {
    LPSTR name;
    KMAPP_GROUP_ITEM* items;  // null: none
    struct KMAPP_GROUP* next;
} KMAPP_GROUP;

// The list's head; null when there are no groups (or no machine).
KMAPP_GROUP* KMAPPGetGroupList(void);
// Frees a list KMAPPGetGroupList gave; null is allowed.
void KMAPPFreeGetGroupList(KMAPP_GROUP* head);

// Size of each text of the shortcut block, terminator included.
#define KMQMT_LINK_TEXT_SIZE 256

// What a shortcut file holds. The caller owns the block.
typedef struct KMAPP_SHELL_LINK_INFO {
    CHAR description[KMQMT_LINK_TEXT_SIZE];       // T1
    CHAR program[KMQMT_LINK_TEXT_SIZE];           // T2
    CHAR arguments[KMQMT_LINK_TEXT_SIZE];         // T3
    CHAR workingDirectory[KMQMT_LINK_TEXT_SIZE];  // T4
    CHAR iconFile[KMQMT_LINK_TEXT_SIZE];          // T5
    LONG iconIndex;                               // I1
    LONG showCommand;                             // I2
} KMAPP_SHELL_LINK_INFO;

// Fills the block from the shortcut file `linkPath` (a Windows path): texts
// cut to fit and terminated. 0 on success; otherwise the block holds empty
// texts and zeros and the result is the Windows error (ERROR_INVALID_DATA
// for a file that is no shortcut).
LONG KMAPPGetShellLinkInfo(LPCSTR linkPath, KMAPP_SHELL_LINK_INFO* block);

}  // extern "C"
