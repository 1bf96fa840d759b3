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

}  // namespace vpr::user
