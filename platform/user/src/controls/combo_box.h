// What a person's choice of a row in a combo box's dropped list does; used by
// the UI driver, since the dropped list has no window of its own here.
#pragma once

#include "vpr/user/window.h"

namespace vpr::user {

// Drops the list if needed, selects the row as a click on it would, closes it.
// False when the row does not exist.
bool ComboPickRow(HWND combo, int row);

}  // namespace vpr::user
