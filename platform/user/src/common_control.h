// What the common controls share: WM_NOTIFY to the parent and the label
// editor (an edit child over an item's label).
#pragma once

#include <functional>
#include <string>

#include "vpr/user/commctrl.h"

namespace vpr::user {

// Fills the header (sender, id, code) and sends WM_NOTIFY to the control's
// parent; returns the parent's answer (0 when there is no parent).
LRESULT SendNotify(HWND control, UINT code, NMHDR* header);
LRESULT SendNotify(HWND control, UINT code);

// Opens an edit child of the control over `rect` with the text selected and
// the focus in it. Enter or losing the focus ends it with its text, Escape
// with null; `done` runs once, then the edit is destroyed. Null when the edit
// cannot be made.
HWND StartLabelEdit(HWND control, const RECT& rect, const std::string& text,
                    std::function<void(const char* text)> done);
// Ends a running label edit as Enter (or, cancel, Escape) would.
void EndLabelEdit(HWND edit, bool cancel);

// Height of a row of a list or tree view with the small image list's icons.
int RowHeight(HIMAGELIST images);

}  // namespace vpr::user
