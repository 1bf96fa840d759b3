// What every control shares: its state beside the window, notifications to
// the parent, the list of items of list and combo boxes.
#pragma once

#include <string>
#include <vector>

#include "vpr/user/controls.h"
#include "window_manager.h"

namespace vpr::user {

// The control state of the window, made on first use.
template <class T>
T* ControlOf(HWND hwnd) {
    Lock lock(WindowLock());
    auto window = FindWindowObject(hwnd);
    if (!window) return nullptr;
    if (!window->control) window->control = std::make_unique<T>();
    return dynamic_cast<T*>(window->control.get());
}

DWORD StyleOf(HWND hwnd);
int IdOf(HWND hwnd);
// Sends WM_COMMAND with the control's id and the code to its parent.
void NotifyParent(HWND hwnd, int code);
// Text height and average character width of the system font, in pixels.
constexpr int kFontHeight = 16;
constexpr int kFontWidth = 8;

struct ListItem {
    std::string text;
    ULONG_PTR data = 0;
    bool selected = false;
};

// Items of a list box or of a combo box's list.
class ItemList {
public:
    std::vector<ListItem> items;

    int Count() const { return static_cast<int>(items.size()); }
    bool Valid(int index) const { return index >= 0 && index < Count(); }
    // Where a text goes in a sorted list: after every item that is less than or
    // equal to it without regard to case, so equal texts keep their order.
    int SortedPosition(const std::string& text) const;
    // First item after `start` (-1: from the top), wrapping around, whose text
    // begins with (or, exact, equals) `text` without regard to case; -1 if none.
    int Find(int start, const std::string& text, bool exact) const;
};

// Sends WM_DELETEITEM for an item of an owner-drawn control or one that
// carries data, as Windows does before the item goes.
void NotifyItemDeleted(HWND control, UINT type, int index, ULONG_PTR data, bool ownerDrawn);
// Copies a text and its terminator into a caller's buffer; returns its length.
int CopyOut(const std::string& text, LPARAM buffer);

// Compares texts without regard to case, through the locale library.
int CompareNoCase(const std::string& a, const std::string& b);

}  // namespace vpr::user
