// Message boxes and help calls.
//
// A message box is a modal dialog of the window system: its caption ("Error"
// when none is given), the standard icon of its MB_ICON* type (an SS_ICON
// static, id 20), its text (a static, id 0xFFFF, ampersands shown as they
// are) and its buttons, whose ids are the answers (IDOK, IDCANCEL, IDYES,
// ...). The UI driver answers it like any modal dialog (UiDriver::
// OnMessageBox); an unexpected box is recorded as a failure with its caption
// and text and answered IDCANCEL. Escape and the close box answer IDCANCEL
// when the box has a Cancel button, IDOK for a box with only OK, and do
// nothing otherwise. The box takes the focus to its default button
// (MB_DEFBUTTON1..3).
//
// WinHelpA opens nothing: every call is recorded in the machine's journal as
// kind "help" with the text "file<TAB>command<TAB>data" (the command by its
// HELP_ name, the data as a number, or the key text for the key commands).
#pragma once

#include "vpr/user/window.h"

#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_ABORTRETRYIGNORE 0x00000002L
#define MB_YESNOCANCEL 0x00000003L
#define MB_YESNO 0x00000004L
#define MB_RETRYCANCEL 0x00000005L
#define MB_TYPEMASK 0x0000000FL
#define MB_ICONHAND 0x00000010L
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONASTERISK 0x00000040L
#define MB_ICONMASK 0x000000F0L
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONSTOP MB_ICONHAND
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_DEFBUTTON1 0x00000000L
#define MB_DEFBUTTON2 0x00000100L
#define MB_DEFBUTTON3 0x00000200L
#define MB_DEFMASK 0x00000F00L
#define MB_APPLMODAL 0x00000000L
#define MB_SYSTEMMODAL 0x00001000L
#define MB_TASKMODAL 0x00002000L
#define MB_SETFOREGROUND 0x00010000L
#define MB_TOPMOST 0x00040000L

#define HELP_CONTEXT 0x0001L
#define HELP_QUIT 0x0002L
#define HELP_INDEX 0x0003L
#define HELP_CONTENTS 0x0003L
#define HELP_HELPONHELP 0x0004L
#define HELP_SETINDEX 0x0005L
#define HELP_SETCONTENTS 0x0005L
#define HELP_CONTEXTPOPUP 0x0008L
#define HELP_FORCEFILE 0x0009L
#define HELP_CONTEXTMENU 0x000AL
#define HELP_FINDER 0x000BL
#define HELP_WM_HELP 0x000CL
#define HELP_KEY 0x0101L
#define HELP_COMMAND 0x0102L
#define HELP_PARTIALKEY 0x0105L
#define HELP_MULTIKEY 0x0201L
#define HELP_SETWINPOS 0x0203L

extern "C" {
int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);
BOOL WINAPI WinHelpA(HWND hWndMain, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR dwData);
}
