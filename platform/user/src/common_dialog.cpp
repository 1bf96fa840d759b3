// Common dialogs. The file-open dialog has, so far, its console form only.
#include <unistd.h>

#include <cstdio>

#include "commdlg.h"
#include "console_file_dialog.h"

namespace {
thread_local DWORD t_dialogError = 0;
}

extern "C" BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA ofn) {
    if (ofn == nullptr || ofn->lStructSize != sizeof(OPENFILENAMEA)) {
        t_dialogError = CDERR_STRUCTSIZE;
        return FALSE;
    }
    if (ofn->lpstrFile == nullptr || ofn->nMaxFile == 0) {
        t_dialogError = CDERR_INITIALIZATION;
        return FALSE;
    }
    t_dialogError = 0;
    // Without a terminal nobody can answer: the dialog is cancelled. The
    // prompt goes to standard error so that it stays visible when the
    // program's output is redirected.
    if (!::isatty(STDIN_FILENO)) return FALSE;
    return vpr::user::AskOpenFileNameOnConsole(ofn, stdin, stderr) ? TRUE : FALSE;
}

extern "C" DWORD WINAPI CommDlgExtendedError(void) { return t_dialogError; }
