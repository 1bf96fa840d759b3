// The combo box control. Its list is kept inside the control: dropping it
// shows no separate window, but announces itself as on Windows.
#include "combo_box.h"

#include <algorithm>
#include <cstring>

#include "control.h"
#include "paint.h"

namespace vpr::user {
namespace {

struct ComboState : ControlState {
    ItemList list;
    int current = -1;
    bool dropped = false;
    int itemHeight = kFontHeight;
    size_t limit = 30000;
    HFONT font = nullptr;
};

bool IsDropDownList(DWORD style) { return (style & 0x3) == CBS_DROPDOWNLIST; }
bool OwnerDrawn(DWORD style) { return style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE); }
bool HasStrings(DWORD style) { return !OwnerDrawn(style) || (style & CBS_HASSTRINGS); }

void ShowSelection(HWND hwnd, ComboState& state) {
    // The edit part (or the static part of a drop-down list) shows the selected row.
    Lock lock(WindowLock());
    if (auto window = FindWindowObject(hwnd))
        window->text = state.list.Valid(state.current) ? state.list.items[state.current].text : std::string();
    lock.unlock();
    InvalidateRect(hwnd, nullptr, TRUE);
}

void Drop(HWND hwnd, ComboState& state, bool show) {
    if (state.dropped == show || (StyleOf(hwnd) & 0x3) == CBS_SIMPLE) return;
    if (show) NotifyParent(hwnd, CBN_DROPDOWN);
    state.dropped = show;
    if (!show) NotifyParent(hwnd, CBN_CLOSEUP);
}

// A person's choice of a row: the selection changes, then the list closes.
void UserChoose(HWND hwnd, ComboState& state, int row, bool fromList) {
    if (!state.list.Valid(row)) return;
    bool changed = row != state.current;
    state.current = row;
    ShowSelection(hwnd, state);
    if (changed) NotifyParent(hwnd, CBN_SELCHANGE);
    if (fromList) {
        NotifyParent(hwnd, CBN_SELENDOK);
        Drop(hwnd, state, false);
    }
}

void Paint(HWND hwnd, ComboState& state) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    DWORD style = StyleOf(hwnd);
    if (state.font) SelectObject(dc, state.font);
    RECT field{0, 0, client.right - 16, std::min<LONG>(client.bottom, state.itemHeight + 6)};
    if (OwnerDrawn(style)) {
        DRAWITEMSTRUCT draw{ODT_COMBOBOX, static_cast<UINT>(IdOf(hwnd)), static_cast<UINT>(state.current),
                            ODA_DRAWENTIRE, ODS_COMBOBOXEDIT | (GetFocus() == hwnd ? ODS_FOCUS : 0u), hwnd, dc, field,
                            state.list.Valid(state.current) ? state.list.items[state.current].data : 0};
        SendMessageA(GetParent(hwnd), WM_DRAWITEM, static_cast<WPARAM>(IdOf(hwnd)), reinterpret_cast<LPARAM>(&draw));
    } else {
        FillRect(dc, &field, GetSysColorBrush(COLOR_WINDOW));
        SetBkMode(dc, TRANSPARENT);
        char text[512];
        GetWindowTextA(hwnd, text, sizeof text);
        TextOutA(dc, 2, 3, text, static_cast<int>(std::strlen(text)));
    }
    RECT button{client.right - 16, 0, client.right, field.bottom};
    FillRect(dc, &button, GetSysColorBrush(COLOR_BTNFACE));
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK ComboProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* state = ControlOf<ComboState>(hwnd);
    if (!state) return 0;
    auto& list = state->list;
    DWORD style = StyleOf(hwnd);
    int index = static_cast<int>(static_cast<INT_PTR>(wParam));
    switch (msg) {
    case WM_CREATE:
        if (style & CBS_OWNERDRAWFIXED) {
            MEASUREITEMSTRUCT measure{ODT_COMBOBOX, static_cast<UINT>(IdOf(hwnd)), 0, 0,
                                      static_cast<UINT>(kFontHeight), 0};
            SendMessageA(GetParent(hwnd), WM_MEASUREITEM, static_cast<WPARAM>(IdOf(hwnd)),
                         reinterpret_cast<LPARAM>(&measure));
            state->itemHeight = static_cast<int>(measure.itemHeight);
        }
        return 0;
    case WM_DESTROY:
    case CB_RESETCONTENT: {
        auto items = std::move(list.items);
        list.items.clear();
        for (size_t i = 0; i < items.size(); ++i)
            NotifyItemDeleted(hwnd, ODT_COMBOBOX, static_cast<int>(i), items[i].data, OwnerDrawn(style));
        state->current = -1;
        if (msg == CB_RESETCONTENT) ShowSelection(hwnd, *state);
        return CB_OKAY;
    }
    case WM_GETDLGCODE: {
        LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
        // With its list down, Enter and Escape close the list instead of the dialog.
        auto* message = reinterpret_cast<MSG*>(lParam);
        if (state->dropped && message && message->message == WM_KEYDOWN &&
            (message->wParam == VK_RETURN || message->wParam == VK_ESCAPE))
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state->font);
    case WM_SETTEXT:
        if (IsDropDownList(style)) return CB_ERR;
        break;
    case CB_ADDSTRING:
    case CB_INSERTSTRING: {
        ListItem item;
        if (HasStrings(style))
            item.text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        else
            item.data = static_cast<ULONG_PTR>(lParam);
        int at = msg == CB_ADDSTRING ? ((style & CBS_SORT) && HasStrings(style) ? list.SortedPosition(item.text) : list.Count())
                                     : (index == -1 ? list.Count() : index);
        if (at < 0 || at > list.Count()) return CB_ERR;
        list.items.insert(list.items.begin() + at, item);
        if (state->current >= at) ++state->current;
        return at;
    }
    case CB_DELETESTRING: {
        if (!list.Valid(index)) return CB_ERR;
        ListItem item = list.items[index];
        list.items.erase(list.items.begin() + index);
        if (state->current == index) {
            state->current = -1;
            ShowSelection(hwnd, *state);
        } else if (state->current > index) {
            --state->current;
        }
        NotifyItemDeleted(hwnd, ODT_COMBOBOX, index, item.data, OwnerDrawn(style));
        return list.Count();
    }
    case CB_GETCOUNT: return list.Count();
    case CB_GETCURSEL: return state->current;
    case CB_SETCURSEL:
        state->current = list.Valid(index) ? index : -1;
        ShowSelection(hwnd, *state);
        return state->current >= 0 ? index : CB_ERR;
    case CB_GETLBTEXT:
        if (!list.Valid(index)) return CB_ERR;
        if (!HasStrings(style)) {
            if (lParam) *reinterpret_cast<ULONG_PTR*>(lParam) = list.items[index].data;
            return sizeof(ULONG_PTR);
        }
        return CopyOut(list.items[index].text, lParam);
    case CB_GETLBTEXTLEN:
        if (!list.Valid(index)) return CB_ERR;
        return HasStrings(style) ? static_cast<LRESULT>(list.items[index].text.size()) : sizeof(ULONG_PTR);
    case CB_SETITEMDATA:
        if (!list.Valid(index)) return CB_ERR;
        list.items[index].data = static_cast<ULONG_PTR>(lParam);
        return CB_OKAY;
    case CB_GETITEMDATA:
        if (!list.Valid(index)) return CB_ERR;
        return static_cast<LRESULT>(list.items[index].data);
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
    case CB_SELECTSTRING: {
        int found = list.Find(index, lParam ? reinterpret_cast<const char*>(lParam) : "", msg == CB_FINDSTRINGEXACT);
        if (found < 0) return CB_ERR;
        if (msg == CB_SELECTSTRING) {
            state->current = found;
            ShowSelection(hwnd, *state);
        }
        return found;
    }
    case CB_SHOWDROPDOWN: Drop(hwnd, *state, wParam != 0); return TRUE;
    case CB_GETDROPPEDSTATE: return state->dropped;
    case CB_LIMITTEXT: state->limit = wParam ? wParam : 0x7FFFFFFE; return TRUE;
    case CB_SETITEMHEIGHT: state->itemHeight = static_cast<int>(lParam); return CB_OKAY;
    case CB_GETITEMHEIGHT: return state->itemHeight;
    case CB_GETDROPPEDCONTROLRECT: {
        RECT rect;
        GetWindowRect(hwnd, &rect);
        rect.bottom = rect.top + state->itemHeight + 6 + state->itemHeight * std::max(1, std::min(list.Count(), 8));
        *reinterpret_cast<RECT*>(lParam) = rect;
        return CB_OKAY;
    }
    case WM_LBUTTONDOWN:
        if (GetFocus() != hwnd) SetFocus(hwnd);
        Drop(hwnd, *state, !state->dropped);
        return 0;
    case WM_KEYDOWN: {
        bool alt = GetKeyState(VK_MENU) & 0x8000;
        if (wParam == VK_F4 || (alt && (wParam == VK_DOWN || wParam == VK_UP))) {
            Drop(hwnd, *state, !state->dropped);
        } else if (state->dropped && wParam == VK_RETURN) {
            NotifyParent(hwnd, CBN_SELENDOK);
            Drop(hwnd, *state, false);
        } else if (state->dropped && wParam == VK_ESCAPE) {
            NotifyParent(hwnd, CBN_SELENDCANCEL);
            Drop(hwnd, *state, false);
        } else if (wParam == VK_DOWN || wParam == VK_UP || wParam == VK_HOME || wParam == VK_END) {
            int last = list.Count() - 1;
            int target = wParam == VK_HOME ? 0
                         : wParam == VK_END ? last
                         : wParam == VK_DOWN ? std::min(state->current + 1, last)
                                             : std::max(state->current - 1, 0);
            UserChoose(hwnd, *state, target, false);
        }
        return 0;
    }
    case WM_CHAR: {
        if (!HasStrings(style) || wParam < ' ') return 0;
        int found = list.Find(state->current, std::string(1, static_cast<char>(wParam)), false);
        if (found >= 0) UserChoose(hwnd, *state, found, false);
        return 0;
    }
    case WM_SETFOCUS: NotifyParent(hwnd, CBN_SETFOCUS); return 0;
    case WM_KILLFOCUS:
        if (state->dropped) {
            NotifyParent(hwnd, CBN_SELENDCANCEL);
            Drop(hwnd, *state, false);
        }
        NotifyParent(hwnd, CBN_KILLFOCUS);
        return 0;
    case WM_PAINT: Paint(hwnd, *state); return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

bool ComboPickRow(HWND combo, int row) {
    auto* state = ControlOf<ComboState>(combo);
    if (!state || !state->list.Valid(row)) return false;
    if (!state->dropped) SendMessageA(combo, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    UserChoose(combo, *state, row, true);
    return true;
}

void RegisterComboBoxClass() { RegisterSystemClass("ComboBox", ComboProc, CS_DBLCLKS | CS_PARENTDC, 0); }

}  // namespace vpr::user
