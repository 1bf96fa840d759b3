// The tab control ("SysTabControl32"): one row of labelled tabs, one of them
// current; the pages themselves belong to whoever owns the control.
#include <algorithm>

#include "common_control.h"
#include "control.h"

namespace vpr::user {
namespace {

constexpr int kTabHeight = 20;
constexpr int kTabPadding = 12;
constexpr int kFrame = 2;

struct Tab {
    std::string text;
    int image = -1;
    LPARAM param = 0;
};

struct TabControlState : ControlState {
    std::vector<Tab> tabs;
    int current = -1;
    HIMAGELIST images = nullptr;
    HFONT font = nullptr;
};

bool Valid(const TabControlState& state, int index) { return index >= 0 && index < static_cast<int>(state.tabs.size()); }

RECT TabRect(const TabControlState& state, int index) {
    int left = 0;
    for (int i = 0; i < index; ++i) left += static_cast<int>(state.tabs[i].text.size()) * kFontWidth + kTabPadding;
    int width = static_cast<int>(state.tabs[index].text.size()) * kFontWidth + kTabPadding;
    return RECT{left, 0, left + width, kTabHeight};
}

int TabAt(const TabControlState& state, POINT pt) {
    for (int i = 0; i < static_cast<int>(state.tabs.size()); ++i) {
        RECT rect = TabRect(state, i);
        if (PtInRect(&rect, pt)) return i;
    }
    return -1;
}

// A change of the user: the parent may refuse it.
void UserSelect(HWND hwnd, TabControlState& state, int index) {
    if (!Valid(state, index) || index == state.current) return;
    if (SendNotify(hwnd, TCN_SELCHANGING)) return;
    state.current = index;
    InvalidateRect(hwnd, nullptr, TRUE);
    SendNotify(hwnd, TCN_SELCHANGE);
}

void Paint(HWND hwnd, TabControlState& state) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (state.font) SelectObject(dc, state.font);
    SetBkMode(dc, TRANSPARENT);
    for (int i = 0; i < static_cast<int>(state.tabs.size()); ++i) {
        RECT rect = TabRect(state, i);
        FillRect(dc, &rect, GetSysColorBrush(i == state.current ? COLOR_WINDOW : COLOR_BTNFACE));
        FrameRect(dc, &rect, GetSysColorBrush(COLOR_BTNSHADOW));
        DrawTextA(dc, state.tabs[i].text.c_str(), -1, &rect, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
        if (i == state.current && GetFocus() == hwnd) DrawFocusRect(dc, &rect);
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK TabControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* state = ControlOf<TabControlState>(hwnd);
    if (!state) return 0;
    int index = static_cast<int>(static_cast<INT_PTR>(wParam));
    switch (msg) {
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_SETFONT: state->font = reinterpret_cast<HFONT>(wParam); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state->font);
    case WM_PAINT: Paint(hwnd, *state); return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(hwnd, nullptr, TRUE); return 0;

    case TCM_GETITEMCOUNT: return static_cast<LRESULT>(state->tabs.size());
    case TCM_INSERTITEMA: {
        auto* item = reinterpret_cast<const TCITEMA*>(lParam);
        if (!item || index < 0) return -1;
        index = std::min(index, static_cast<int>(state->tabs.size()));
        Tab tab;
        if ((item->mask & TCIF_TEXT) && item->pszText) tab.text = item->pszText;
        if (item->mask & TCIF_IMAGE) tab.image = item->iImage;
        if (item->mask & TCIF_PARAM) tab.param = item->lParam;
        state->tabs.insert(state->tabs.begin() + index, tab);
        if (state->current >= index) ++state->current;
        if (state->current < 0) state->current = 0;  // the first tab becomes current
        InvalidateRect(hwnd, nullptr, TRUE);
        return index;
    }
    case TCM_SETITEMA:
    case TCM_GETITEMA: {
        auto* item = reinterpret_cast<TCITEMA*>(lParam);
        if (!item || !Valid(*state, index)) return FALSE;
        Tab& tab = state->tabs[index];
        if (msg == TCM_SETITEMA) {
            if (item->mask & TCIF_TEXT) tab.text = item->pszText ? item->pszText : "";
            if (item->mask & TCIF_IMAGE) tab.image = item->iImage;
            if (item->mask & TCIF_PARAM) tab.param = item->lParam;
            InvalidateRect(hwnd, nullptr, TRUE);
            return TRUE;
        }
        if ((item->mask & TCIF_TEXT) && item->pszText && item->cchTextMax > 0) {
            size_t count = std::min(tab.text.size(), static_cast<size_t>(item->cchTextMax - 1));
            tab.text.copy(item->pszText, count);
            item->pszText[count] = 0;
        }
        if (item->mask & TCIF_IMAGE) item->iImage = tab.image;
        if (item->mask & TCIF_PARAM) item->lParam = tab.param;
        return TRUE;
    }
    case TCM_DELETEITEM:
        if (!Valid(*state, index)) return FALSE;
        state->tabs.erase(state->tabs.begin() + index);
        if (state->current == index) state->current = state->tabs.empty() ? -1 : std::min(index, static_cast<int>(state->tabs.size()) - 1);
        else if (state->current > index) --state->current;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case TCM_DELETEALLITEMS:
        state->tabs.clear();
        state->current = -1;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case TCM_GETCURSEL: return state->current;
    case TCM_SETCURSEL: {
        if (!Valid(*state, index)) return -1;
        int previous = state->current;
        state->current = index;
        InvalidateRect(hwnd, nullptr, TRUE);
        return previous;
    }
    case TCM_GETITEMRECT:
        if (!Valid(*state, index) || !lParam) return FALSE;
        *reinterpret_cast<RECT*>(lParam) = TabRect(*state, index);
        return TRUE;
    case TCM_HITTEST: {
        auto* info = reinterpret_cast<TCHITTESTINFO*>(lParam);
        if (!info) return -1;
        int hit = TabAt(*state, info->pt);
        info->flags = hit >= 0 ? TCHT_ONITEM : TCHT_NOWHERE;
        return hit;
    }
    case TCM_SETIMAGELIST: {
        HIMAGELIST old = state->images;
        state->images = reinterpret_cast<HIMAGELIST>(lParam);
        return reinterpret_cast<LRESULT>(old);
    }
    case TCM_GETIMAGELIST: return reinterpret_cast<LRESULT>(state->images);
    case TCM_ADJUSTRECT: {
        // The display area under the tabs from the control's rectangle, or back.
        auto* rect = reinterpret_cast<RECT*>(lParam);
        if (!rect) return 0;
        int sign = wParam ? -1 : 1;
        rect->left += sign * kFrame;
        rect->right -= sign * kFrame;
        rect->top += sign * (kTabHeight + kFrame);
        rect->bottom -= sign * kFrame;
        return 0;
    }

    case WM_LBUTTONDOWN: {
        if (GetFocus() != hwnd) SetFocus(hwnd);
        UserSelect(hwnd, *state, TabAt(*state, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
        SendNotify(hwnd, NM_CLICK);
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_LEFT) UserSelect(hwnd, *state, state->current - 1);
        if (wParam == VK_RIGHT) UserSelect(hwnd, *state, state->current + 1);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

void RegisterTabControlClass() {
    RegisterSystemClass(WC_TABCONTROLA, TabControlProc, CS_DBLCLKS | CS_GLOBALCLASS, 0);
}

}  // namespace vpr::user
