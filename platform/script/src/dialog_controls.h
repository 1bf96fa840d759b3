// What a script does with the controls of an open dialog, as a person would
// through the UI driver. Each returns an empty text when it worked, else what
// went wrong (the caller prints it as an error).
#pragma once

#include <ostream>
#include <string>

#include "windows.h"

namespace vpr::script {

// The window whose controls a command names: on a property sheet the page
// shown when it has the control, else the dialog itself.
HWND ControlOwner(HWND dialog, int id);

// Selects a row of a list box, combo box or list view: by its text, or "#N"
// for row N counted from 1; add keeps the rows selected before.
std::string ChooseRow(HWND dialog, int id, const std::string& which, bool add);
// Double-clicks a row of a list box or list view, chosen as ChooseRow does.
std::string OpenRow(HWND dialog, int id, const std::string& which);
// Presses a key named as on the keyboard (Left, PgDn, End, Tab, Enter, F2,
// a letter...) on the control, clicking into it first when it has not the
// focus.
std::string PressNamedKey(HWND dialog, int id, const std::string& name, bool shift, bool control);

// Prints a control: "ID: TEXT" for one with a text; "ID:" and then its rows
// (lists) or items (trees, two more spaces per level), each indented by two
// spaces, "*" in place of the first space on a selected one.
std::string ShowControl(HWND dialog, int id, std::ostream& out);

// Goes to a page of a property sheet by number (from 1) or title.
std::string GotoPage(HWND sheet, const std::string& which);

// A dialog for messages: `dialog 330 "Caption"` or `message box "Caption"`.
std::string DialogName(HWND dialog);

}  // namespace vpr::script
