// The list box control.
#include <algorithm>

#include "control.h"
#include "paint.h"

namespace vpr::user {
namespace {

struct ListBoxState : ControlState {
    ItemList list;
    int current = -1;  // the selected item of a single-selection box
    int caret = 0;     // the item with the focus rectangle
    int anchor = -1;   // start of an extended range
    int top = 0;
    int itemHeight = kFontHeight;
    int horizontalExtent = 0;
    std::vector<int> tabStops;
    HFONT font = nullptr;
    bool redraw = true;
};

enum class Mode { kSingle, kMultiple, kExtended };

Mode ModeOf(DWORD style) {
    if (style & LBS_EXTENDEDSEL) return Mode::kExtended;
    if (style & LBS_MULTIPLESEL) return Mode::kMultiple;
    return Mode::kSingle;
}

bool OwnerDrawn(DWORD style) { return style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE); }
bool HasStrings(DWORD style) { return !OwnerDrawn(style) || (style & LBS_HASSTRINGS); }

int VisibleRows(HWND hwnd, const ListBoxState& state) {
    RECT client;
    GetClientRect(hwnd, &client);
    return std::max(1, static_cast<int>(client.bottom) / std::max(1, state.itemHeight));
}

void Repaint(HWND hwnd, const ListBoxState& state) {
    if (state.redraw) InvalidateRect(hwnd, nullptr, TRUE);
}

// Scrolls so that the item is in view.
void ShowItem(HWND hwnd, ListBoxState& state, int index) {
    if (index < 0) return;
    int rows = VisibleRows(hwnd, state);
    if (index < state.top) state.top = index;
    if (index >= state.top + rows) state.top = index - rows + 1;
}

// Position of a new item in a sorted box without strings: the parent compares.
int ComparedPosition(HWND hwnd, const ListBoxState& state, ULONG_PTR data) {
    HWND parent = GetParent(hwnd);
    int position = 0;
    for (; position < state.list.Count(); ++position) {
        COMPAREITEMSTRUCT compare{ODT_LISTBOX, static_cast<UINT>(IdOf(hwnd)), hwnd,
                                  static_cast<UINT>(position), state.list.items[position].data,
                                  static_cast<UINT>(-1), data, 0};
        if (SendMessageA(parent, WM_COMPAREITEM, static_cast<WPARAM>(IdOf(hwnd)),
                         reinterpret_cast<LPARAM>(&compare)) > 0)
            break;
    }
    return position;
}

LRESULT Insert(HWND hwnd, ListBoxState& state, int index, LPARAM lParam, bool sorted) {
    DWORD style = StyleOf(hwnd);
    ListItem item;
    if (HasStrings(style))
        item.text = lParam ? reinterpret_cast<const char*>(lParam) : "";
    else
        item.data = static_cast<ULONG_PTR>(lParam);
    if (sorted && (style & LBS_SORT))
        index = HasStrings(style) ? state.list.SortedPosition(item.text) : ComparedPosition(hwnd, state, item.data);
    if (index == -1) index = state.list.Count();
    if (index < 0 || index > state.list.Count()) return LB_ERR;
    state.list.items.insert(state.list.items.begin() + index, item);
    if (state.current >= index) ++state.current;
    if (state.anchor >= index) ++state.anchor;
    if (state.caret >= index && state.list.Count() > 1) ++state.caret;
    Repaint(hwnd, state);
    return index;
}

void DeleteAll(HWND hwnd, ListBoxState& state) {
    bool ownerDrawn = OwnerDrawn(StyleOf(hwnd));
    auto items = std::move(state.list.items);
    state.list.items.clear();
    for (size_t i = 0; i < items.size(); ++i)
        NotifyItemDeleted(hwnd, ODT_LISTBOX, static_cast<int>(i), items[i].data, ownerDrawn);
    state.current = -1;
    state.caret = 0;
    state.anchor = -1;
    state.top = 0;
}

std::vector<bool> Selection(const ListBoxState& state) {
    std::vector<bool> selected;
    for (int i = 0; i < state.list.Count(); ++i)
        selected.push_back(state.current == i || state.list.items[i].selected);
    return selected;
}

bool IsSelected(const ListBoxState& state, Mode mode, int index) {
    return mode == Mode::kSingle ? state.current == index : state.list.items[index].selected;
}

void SelectRange(ListBoxState& state, int from, int to, bool select) {
    if (from > to) std::swap(from, to);
    for (int i = std::max(from, 0); i <= to && i < state.list.Count(); ++i) state.list.items[i].selected = select;
}

// What a click or key of the user does to the item; tells the parent when the
// selection changed.
void UserSelect(HWND hwnd, ListBoxState& state, int index, bool shift, bool control, bool toggle) {
    if (!state.list.Valid(index)) return;
    Mode mode = ModeOf(StyleOf(hwnd));
    auto before = Selection(state);
    switch (mode) {
    case Mode::kSingle: state.current = index; break;
    case Mode::kMultiple:
        if (toggle) state.list.items[index].selected = !state.list.items[index].selected;
        break;
    case Mode::kExtended:
        if (shift && state.anchor >= 0) {
            if (!control) SelectRange(state, 0, state.list.Count() - 1, false);
            SelectRange(state, state.anchor, index, true);
        } else if (control) {
            if (toggle) state.list.items[index].selected = !state.list.items[index].selected;
            state.anchor = index;
        } else {
            SelectRange(state, 0, state.list.Count() - 1, false);
            state.list.items[index].selected = true;
            state.anchor = index;
        }
        break;
    }
    state.caret = index;
    ShowItem(hwnd, state, index);
    Repaint(hwnd, state);
    if (Selection(state) != before && (StyleOf(hwnd) & LBS_NOTIFY)) NotifyParent(hwnd, LBN_SELCHANGE);
}

int KeyTarget(HWND hwnd, const ListBoxState& state, int key) {
    int last = state.list.Count() - 1;
    int rows = VisibleRows(hwnd, state);
    switch (key) {
    case VK_UP:
    case VK_LEFT: return std::max(state.caret - 1, 0);
    case VK_DOWN:
    case VK_RIGHT: return std::min(state.caret + 1, last);
    case VK_HOME: return 0;
    case VK_END: return last;
    case VK_PRIOR: return std::max(state.caret - rows + 1, 0);
    case VK_NEXT: return std::min(state.caret + rows - 1, last);
    default: return -1;
    }
}

void PaintList(HWND hwnd, ListBoxState& state) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    DWORD style = StyleOf(hwnd);
    Mode mode = ModeOf(style);
    bool focused = GetFocus() == hwnd;
    bool enabled = IsWindowEnabled(hwnd);
    if (state.font) SelectObject(dc, state.font);
    int rows = VisibleRows(hwnd, state) + 1;
    for (int i = state.top; i < state.list.Count() && i < state.top + rows; ++i) {
        RECT item{0, (i - state.top) * state.itemHeight, client.right, (i - state.top + 1) * state.itemHeight};
        bool selected = IsSelected(state, mode, i);
        if (OwnerDrawn(style)) {
            UINT itemState = (selected ? ODS_SELECTED : 0) | (focused && i == state.caret ? ODS_FOCUS : 0) |
                             (enabled ? 0 : ODS_DISABLED);
            DRAWITEMSTRUCT draw{ODT_LISTBOX, static_cast<UINT>(IdOf(hwnd)), static_cast<UINT>(i), ODA_DRAWENTIRE,
                                itemState, hwnd, dc, item, state.list.items[i].data};
            SendMessageA(GetParent(hwnd), WM_DRAWITEM, static_cast<WPARAM>(IdOf(hwnd)),
                         reinterpret_cast<LPARAM>(&draw));
            continue;
        }
        FillRect(dc, &item, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        SetTextColor(dc, GetSysColor(!enabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        SetBkMode(dc, TRANSPARENT);
        const std::string& text = state.list.items[i].text;
        if (style & LBS_USETABSTOPS)
            TabbedTextOutA(dc, item.left + 2, item.top, text.c_str(), static_cast<int>(text.size()),
                           static_cast<int>(state.tabStops.size()), state.tabStops.empty() ? nullptr : state.tabStops.data(), item.left + 2);
        else
            TextOutA(dc, item.left + 2, item.top, text.c_str(), static_cast<int>(text.size()));
        if (focused && i == state.caret) DrawFocusRect(dc, &item);
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK ListBoxProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* state = ControlOf<ListBoxState>(hwnd);
    if (!state) return 0;
    auto& list = state->list;
    DWORD style = StyleOf(hwnd);
    Mode mode = ModeOf(style);
    int index = static_cast<int>(static_cast<INT_PTR>(wParam));
    switch (msg) {
    case WM_CREATE:
        if (style & LBS_OWNERDRAWFIXED) {
            MEASUREITEMSTRUCT measure{ODT_LISTBOX, static_cast<UINT>(IdOf(hwnd)), 0, 0,
                                      static_cast<UINT>(kFontHeight), 0};
            SendMessageA(GetParent(hwnd), WM_MEASUREITEM, static_cast<WPARAM>(IdOf(hwnd)),
                         reinterpret_cast<LPARAM>(&measure));
            state->itemHeight = static_cast<int>(measure.itemHeight);
        }
        return 0;
    case WM_DESTROY: DeleteAll(hwnd, *state); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        if (lParam) Repaint(hwnd, *state);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state->font);
    case WM_SETREDRAW:
        state->redraw = wParam != 0;
        Repaint(hwnd, *state);
        return 0;
    case WM_PAINT: PaintList(hwnd, *state); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        Repaint(hwnd, *state);
        NotifyParent(hwnd, msg == WM_SETFOCUS ? LBN_SETFOCUS : LBN_KILLFOCUS);
        return 0;
    case WM_ENABLE: Repaint(hwnd, *state); return 0;

    case LB_ADDSTRING: return Insert(hwnd, *state, -1, lParam, true);
    case LB_INSERTSTRING: return Insert(hwnd, *state, index, lParam, false);
    case LB_DELETESTRING: {
        if (!list.Valid(index)) return LB_ERR;
        ListItem item = list.items[index];
        list.items.erase(list.items.begin() + index);
        if (state->current == index) state->current = -1;
        else if (state->current > index) --state->current;
        if (state->caret > index || state->caret >= list.Count()) state->caret = std::max(state->caret - 1, 0);
        if (state->anchor == index) state->anchor = -1;
        else if (state->anchor > index) --state->anchor;
        state->top = std::min(state->top, std::max(list.Count() - 1, 0));
        NotifyItemDeleted(hwnd, ODT_LISTBOX, index, item.data, OwnerDrawn(style));
        Repaint(hwnd, *state);
        return list.Count();
    }
    case LB_RESETCONTENT:
        DeleteAll(hwnd, *state);
        Repaint(hwnd, *state);
        return LB_OKAY;
    case LB_GETCOUNT: return list.Count();
    case LB_GETTEXT:
        if (!list.Valid(index)) return LB_ERR;
        if (!HasStrings(style)) {
            if (lParam) *reinterpret_cast<ULONG_PTR*>(lParam) = list.items[index].data;
            return sizeof(ULONG_PTR);
        }
        return CopyOut(list.items[index].text, lParam);
    case LB_GETTEXTLEN:
        if (!list.Valid(index)) return LB_ERR;
        return HasStrings(style) ? static_cast<LRESULT>(list.items[index].text.size()) : sizeof(ULONG_PTR);
    case LB_SETITEMDATA:
        if (index == -1) {
            for (auto& item : list.items) item.data = static_cast<ULONG_PTR>(lParam);
            return LB_OKAY;
        }
        if (!list.Valid(index)) return LB_ERR;
        list.items[index].data = static_cast<ULONG_PTR>(lParam);
        return LB_OKAY;
    case LB_GETITEMDATA:
        if (!list.Valid(index)) return LB_ERR;
        return static_cast<LRESULT>(list.items[index].data);
    case LB_SETCURSEL:
        if (mode != Mode::kSingle) return LB_ERR;
        state->current = list.Valid(index) ? index : -1;
        if (state->current >= 0) {
            state->caret = index;
            ShowItem(hwnd, *state, index);
        }
        Repaint(hwnd, *state);
        return state->current >= 0 ? index : LB_ERR;
    case LB_GETCURSEL:
        if (mode == Mode::kSingle) return state->current;
        return list.Count() ? state->caret : LB_ERR;
    case LB_SETSEL: {
        if (mode == Mode::kSingle) return LB_ERR;
        int item = static_cast<int>(lParam);
        if (item == -1) {
            SelectRange(*state, 0, list.Count() - 1, wParam != 0);
        } else {
            if (!list.Valid(item)) return LB_ERR;
            list.items[item].selected = wParam != 0;
            if (wParam) state->caret = state->anchor = item;
        }
        Repaint(hwnd, *state);
        return LB_OKAY;
    }
    case LB_GETSEL:
        if (!list.Valid(index)) return LB_ERR;
        return IsSelected(*state, mode, index) ? 1 : 0;
    case LB_GETSELCOUNT:
        if (mode == Mode::kSingle) return LB_ERR;
        return std::count_if(list.items.begin(), list.items.end(), [](auto& item) { return item.selected; });
    case LB_GETSELITEMS: {
        if (mode == Mode::kSingle) return LB_ERR;
        auto* out = reinterpret_cast<int*>(lParam);
        int n = 0;
        for (int i = 0; i < list.Count() && n < index; ++i)
            if (list.items[i].selected) out[n++] = i;
        return n;
    }
    case LB_SELITEMRANGE:
        if (mode == Mode::kSingle) return LB_ERR;
        SelectRange(*state, LOWORD(lParam), HIWORD(lParam), wParam != 0);
        Repaint(hwnd, *state);
        return LB_OKAY;
    case LB_SELITEMRANGEEX: {
        if (mode == Mode::kSingle) return LB_ERR;
        int last = static_cast<int>(lParam);
        SelectRange(*state, index, last, index <= last);
        Repaint(hwnd, *state);
        return LB_OKAY;
    }
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT:
    case LB_SELECTSTRING: {
        int found = -1;
        if (HasStrings(style)) {
            found = list.Find(index, lParam ? reinterpret_cast<const char*>(lParam) : "", msg == LB_FINDSTRINGEXACT);
        } else {
            for (int step = 1; step <= list.Count() && found < 0; ++step) {
                int i = (std::max(index, -1) + step) % list.Count();
                if (list.items[i].data == static_cast<ULONG_PTR>(lParam)) found = i;
            }
        }
        if (found < 0) return LB_ERR;
        if (msg == LB_SELECTSTRING) {
            if (mode == Mode::kSingle)
                state->current = found;
            else
                list.items[found].selected = true;
            state->caret = found;
            ShowItem(hwnd, *state, found);
            Repaint(hwnd, *state);
        }
        return found;
    }
    case LB_SETTOPINDEX:
        if (!list.Valid(index) && !(index == 0 && list.Count() == 0)) return LB_ERR;
        state->top = index;
        Repaint(hwnd, *state);
        return LB_OKAY;
    case LB_GETTOPINDEX: return state->top;
    case LB_GETITEMRECT: {
        if (!list.Valid(index) && !(index == 0 && list.Count() == 0)) return LB_ERR;
        RECT client;
        GetClientRect(hwnd, &client);
        auto* rect = reinterpret_cast<RECT*>(lParam);
        *rect = RECT{0, (index - state->top) * state->itemHeight, client.right,
                     (index - state->top + 1) * state->itemHeight};
        return LB_OKAY;
    }
    case LB_SETITEMHEIGHT:
        if (LOWORD(lParam) == 0 || LOWORD(lParam) > 255) return LB_ERR;
        state->itemHeight = LOWORD(lParam);
        Repaint(hwnd, *state);
        return LB_OKAY;
    case LB_GETITEMHEIGHT: return state->itemHeight;
    case LB_SETHORIZONTALEXTENT: state->horizontalExtent = index; return 0;
    case LB_GETHORIZONTALEXTENT: return state->horizontalExtent;
    case LB_SETTABSTOPS: {
        if (!(style & LBS_USETABSTOPS)) return FALSE;
        // Tab stops come in dialog units; kept in pixels.
        state->tabStops.clear();
        auto* stops = reinterpret_cast<const int*>(lParam);
        if (index == 0) state->tabStops.push_back(2 * 16 * kFontWidth / 4);
        for (int i = 0; i < index; ++i) state->tabStops.push_back(stops[i] * kFontWidth / 4);
        return TRUE;
    }
    case LB_SETCARETINDEX:
        if (!list.Valid(index)) return LB_ERR;
        state->caret = index;
        ShowItem(hwnd, *state, index);
        Repaint(hwnd, *state);
        return LB_OKAY;
    case LB_GETCARETINDEX: return state->caret;
    case LB_SETANCHORINDEX:
        if (!list.Valid(index)) return LB_ERR;
        state->anchor = index;
        return LB_OKAY;
    case LB_GETANCHORINDEX: return state->anchor;
    case LB_ITEMFROMPOINT: {
        int y = GET_Y_LPARAM(lParam);
        int item = state->top + (y < 0 ? -1 : y / state->itemHeight);
        bool outside = item < 0 || item >= list.Count();
        item = std::clamp(item, 0, std::max(list.Count() - 1, 0));
        return MAKELRESULT(item, outside ? 1 : 0);
    }

    case WM_LBUTTONDOWN: {
        if (GetFocus() != hwnd) SetFocus(hwnd);
        int y = GET_Y_LPARAM(lParam);
        int item = state->top + y / state->itemHeight;
        if (y >= 0 && list.Valid(item))
            UserSelect(hwnd, *state, item, wParam & MK_SHIFT, wParam & MK_CONTROL, true);
        return 0;
    }
    case WM_LBUTTONDBLCLK:
        if (style & LBS_NOTIFY) NotifyParent(hwnd, LBN_DBLCLK);
        return 0;
    case WM_KEYDOWN: {
        int target = -1;
        if (style & LBS_WANTKEYBOARDINPUT) {
            LRESULT answer = SendMessageA(GetParent(hwnd), WM_VKEYTOITEM, MAKEWPARAM(wParam, state->caret),
                                          reinterpret_cast<LPARAM>(hwnd));
            if (answer == -2) return 0;
            if (answer >= 0) target = static_cast<int>(answer);
        }
        bool shift = GetKeyState(VK_SHIFT) & 0x8000;
        bool control = GetKeyState(VK_CONTROL) & 0x8000;
        if (wParam == VK_SPACE && mode != Mode::kSingle) {
            UserSelect(hwnd, *state, state->caret, shift, mode == Mode::kExtended || control, true);
            return 0;
        }
        if (target < 0) target = KeyTarget(hwnd, *state, static_cast<int>(wParam));
        if (target < 0 || !list.Valid(target)) return 0;
        if (mode == Mode::kMultiple || (mode == Mode::kExtended && control && !shift)) {
            state->caret = target;
            ShowItem(hwnd, *state, target);
            Repaint(hwnd, *state);
        } else {
            UserSelect(hwnd, *state, target, shift, false, false);
        }
        return 0;
    }
    case WM_CHAR: {
        if (!HasStrings(style) || wParam < ' ') return 0;
        std::string prefix(1, static_cast<char>(wParam));
        int found = list.Find(state->caret, prefix, false);
        if (found >= 0) UserSelect(hwnd, *state, found, false, false, mode != Mode::kSingle);
        return 0;
    }
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

void RegisterListBoxClass() { RegisterSystemClass("ListBox", ListBoxProc, CS_DBLCLKS | CS_PARENTDC, 0); }

}  // namespace vpr::user
