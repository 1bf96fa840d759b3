// Internal state of a dialog window.
#pragma once

#include "vpr/user/dialog.h"
#include "vpr/win/resource_format.h"
#include "window_manager.h"

namespace vpr::user {

// Dialogs are built from the resource container's dialog record, as its one
// decoder (vpr::win::DecodeDialog) gives it; the window system's own dialogs
// (message boxes, property sheet frames) fill one in code.
using vpr::win::DialogControl;
using vpr::win::DialogTemplate;

// Reads a dialog template from a module's resources (null: the program).
// False with the last error set when it is missing or damaged.
bool LoadDialogTemplate(HINSTANCE instance, LPCSTR name, DialogTemplate* dialog);
// The number of a resource name (MAKEINTRESOURCE or "#123"); 0 for a text name.
int ResourceNumber(LPCSTR name);

// A control of a template made in code (the window system's own dialogs).
DialogControl ControlItem(const char* className, const std::string& text, int id, DWORD style, int x, int y, int cx,
                          int cy);

// Creates a modeless dialog from a template; null when the frame or any
// control cannot be made. templateId is what the UI driver reports.
HWND CreateDialogFromTemplate(HINSTANCE instance, const DialogTemplate& dialog, int templateId, HWND owner,
                              DLGPROC proc, LPARAM param);
// Runs a dialog modally: the owner is disabled, the dialog is shown, the UI
// driver acts on it, messages are pumped until EndDialog; returns its result,
// or -1 when the dialog cannot be made.
INT_PTR RunDialogFromTemplate(HINSTANCE instance, const DialogTemplate& dialog, int templateId, HWND owner,
                              DLGPROC proc, LPARAM param);

struct DialogState : ControlState {
    HFONT font = nullptr;
    bool ownFont = false;
    int baseX = 8;  // dialog base units: the font's average width and height
    int baseY = 16;
    bool modal = false;
    bool ended = false;  // guarded by the window lock: EndDialog may come from any thread
    INT_PTR result = 0;
    HWND savedFocus = nullptr;
    int defId = IDOK;
    int templateId = 0;
    bool messageBox = false;  // a message box, with its MB_ type
    UINT messageBoxType = 0;
};

// The dialog state of a dialog window, null for other windows.
DialogState* DialogOf(HWND hwnd);
// Moves the focus to a control of the dialog as the dialog manager does:
// selects an edit's text and moves the default push button along.
void DialogFocus(HWND dialog, HWND control);

}  // namespace vpr::user
