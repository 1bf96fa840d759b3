// Common dialogs: which form of the file dialogs runs (see commdlg.h).
#include <unistd.h>

#include <cstdio>

#include "commdlg.h"
#include "console_file_dialog.h"
#include "file_dialog.h"
#include "vpr/user/ui_driver.h"

namespace {

thread_local DWORD t_dialogError = 0;

BOOL FileDialog(LPOPENFILENAMEA ofn, bool save) {
    if (ofn == nullptr || ofn->lStructSize != sizeof(OPENFILENAMEA)) {
        t_dialogError = CDERR_STRUCTSIZE;
        return FALSE;
    }
    if (ofn->lpstrFile == nullptr || ofn->nMaxFile == 0) {
        t_dialogError = CDERR_INITIALIZATION;
        return FALSE;
    }
    t_dialogError = 0;
    if (vpr::user::UiDriver::Installed() || vpr::user::WindowCount() > 0)
        return vpr::user::RunFileDialog(ofn, save, &t_dialogError);
    // A console program: without a terminal nobody can answer, and it is
    // cancelled. The prompt goes to standard error so that it stays visible
    // when the program's output is redirected.
    if (save || !::isatty(STDIN_FILENO)) return FALSE;
    return vpr::user::AskOpenFileNameOnConsole(ofn, stdin, stderr) ? TRUE : FALSE;
}

}  // namespace

extern "C" BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA ofn) { return FileDialog(ofn, false); }

extern "C" BOOL WINAPI GetSaveFileNameA(LPOPENFILENAMEA ofn) { return FileDialog(ofn, true); }

extern "C" DWORD WINAPI CommDlgExtendedError(void) { return t_dialogError; }
