// What the common controls share: WM_NOTIFY to the parent and the label
// editor (an edit child over an item's label).
#pragma once

#include <functional>
#include <string>

#include "vpr/user/commctrl.h"
#include "vpr/win/handle_table.h"

namespace vpr::user {

// The object of type T behind a handle of the handle table; null when the
// handle names none.
template <class T>
std::shared_ptr<T> HandleObject(const void* handle) {
    auto raw = reinterpret_cast<uintptr_t>(handle);
    if (raw == 0 || raw > 0xFFFFFFFFu) return nullptr;
    return vpr::win::HandleTable::Instance().GetAs<T>(static_cast<uint32_t>(raw));
}
// Puts an object into the handle table and gives its handle as H.
template <class H>
H AddHandleObject(std::shared_ptr<vpr::win::KernelObject> object) {
    return reinterpret_cast<H>(static_cast<uintptr_t>(vpr::win::HandleTable::Instance().Add(std::move(object))));
}
// Takes the handle's object out of the table.
inline void RemoveHandleObject(const void* handle) {
    vpr::win::HandleTable::Instance().Remove(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(handle)));
}

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

// The client point of a trackbar where its thumb sits at the position.
POINT TrackbarPointOf(HWND trackbar, int pos);

}  // namespace vpr::user
