// Internal state of a dialog window.
#pragma once

#include "vpr/user/dialog.h"
#include "window_manager.h"

namespace vpr::user {

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
};

// The dialog state of a dialog window, null for other windows.
DialogState* DialogOf(HWND hwnd);
// Moves the focus to a control of the dialog as the dialog manager does:
// selects an edit's text and moves the default push button along.
void DialogFocus(HWND dialog, HWND control);

}  // namespace vpr::user
