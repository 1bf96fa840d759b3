// How modal loops of the window system hand control to the UI driver.
#pragma once

#include <string>

#include "vpr/user/menu.h"
#include "vpr/user/window.h"

namespace vpr::user {

// Called by a modal loop once its dialog is shown. The driver runs the
// matching handler (which acts as the person) or, with no handler, records
// the unexpected element and cancels it. Returns false when no driver is
// installed: the loop then waits for messages as on Windows.
bool DriverActOnDialog(HWND dialog);
// Called by TrackPopupMenu once the menu is open: the command the person
// chooses, 0 when the menu is dismissed (also with no driver installed).
UINT DriverChooseFromMenu(const PopupMenu& open);
// Called by WinHelpA: the driver's listener hears of the call.
void DriverHelpCalled(const char* file, UINT command, ULONG_PTR data);
// True once EndDialog ended a dialog (or the window is no dialog).
bool DialogEnded(HWND dialog);

// The window property that marks the file-open and file-save dialogs, on
// whatever template they run.
constexpr const char* kFileDialogProperty = "vpr.user.fileDialog";

}  // namespace vpr::user
