// The template writer library KMQMT32.DLL that the snapshot tool binds by
// name: the template entry points (template/template_library.h, the same
// objects KMAPP32.DLL carries) and the workstation's desktop and Start Menu
// folders.
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

}  // extern "C"
