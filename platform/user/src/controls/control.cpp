#include "control.h"

#include "vpr/locale/locale.h"

namespace vpr::user {

DWORD StyleOf(HWND hwnd) { return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE)); }

int IdOf(HWND hwnd) { return GetDlgCtrlID(hwnd); }

void NotifyParent(HWND hwnd, int code) {
    HWND parent = GetParent(hwnd);
    if (!parent) return;
    SendMessageA(parent, WM_COMMAND, MAKEWPARAM(IdOf(hwnd), code), reinterpret_cast<LPARAM>(hwnd));
}

void NotifyItemDeleted(HWND control, UINT type, int index, ULONG_PTR data, bool ownerDrawn) {
    if (!ownerDrawn && !data) return;
    HWND parent = GetParent(control);
    if (!parent) return;
    DELETEITEMSTRUCT item{type, static_cast<UINT>(IdOf(control)), static_cast<UINT>(index), control, data};
    SendMessageA(parent, WM_DELETEITEM, static_cast<WPARAM>(IdOf(control)), reinterpret_cast<LPARAM>(&item));
}

int CopyOut(const std::string& text, LPARAM buffer) {
    if (!buffer) return static_cast<int>(text.size());
    auto* out = reinterpret_cast<char*>(buffer);
    text.copy(out, text.size());
    out[text.size()] = 0;
    return static_cast<int>(text.size());
}

int CompareNoCase(const std::string& a, const std::string& b) {
    return KMLstricmp(a.c_str(), b.c_str());
}

int ItemList::SortedPosition(const std::string& text) const {
    int position = 0;
    while (position < Count() && CompareNoCase(items[position].text, text) <= 0) ++position;
    return position;
}

int ItemList::Find(int start, const std::string& text, bool exact) const {
    int count = Count();
    if (count == 0) return -1;
    if (start < -1 || start >= count) start = -1;
    for (int step = 1; step <= count; ++step) {
        int index = (start + step) % count;
        const std::string& item = items[index].text;
        bool match = exact ? CompareNoCase(item, text) == 0
                           : item.size() >= text.size() &&
                                 CompareNoCase(item.substr(0, text.size()), text) == 0;
        if (match) return index;
    }
    return -1;
}

}  // namespace vpr::user
