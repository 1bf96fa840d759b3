// A window's own scroll bars (WS_HSCROLL, WS_VSCROLL): range, page and
// position, kept with the window. The position always stays within the
// range (max - page + 1 at most when a page is set); a range whose minimum
// and maximum are equal hides the bar (clears its style bit), a larger one
// shows it.
#include <algorithm>

#include "vpr/user/menu.h"
#include "window_manager.h"

namespace vpr::user {
namespace {

int Clamped(const ScrollBarState& bar, int pos) {
    int top = bar.page ? bar.max - static_cast<int>(bar.page) + 1 : bar.max;
    return std::clamp(pos, bar.min, std::max(bar.min, top));
}

ScrollBarState* BarOf(Window& window, int bar) {
    if (bar != SB_HORZ && bar != SB_VERT) return nullptr;
    return &window.scrollBars[bar];
}

}  // namespace
}  // namespace vpr::user

using namespace vpr::user;

extern "C" {

int WINAPI SetScrollInfo(HWND hwnd, int which, LPCSCROLLINFO info, BOOL redraw) {
    bool styleChanged = false;
    int pos = 0;
    {
        Lock lock(WindowLock());
        auto window = WindowOrError(hwnd);
        if (!window || !info) return 0;
        ScrollBarState* bar = BarOf(*window, which);
        if (!bar) return 0;
        if (info->fMask & SIF_RANGE) {
            bar->min = info->nMin;
            bar->max = std::max(info->nMin, info->nMax);
        }
        if (info->fMask & SIF_PAGE) bar->page = std::min<UINT>(info->nPage, static_cast<UINT>(bar->max - bar->min + 1));
        if (info->fMask & SIF_POS) bar->pos = info->nPos;
        bar->pos = Clamped(*bar, bar->pos);
        if (info->fMask & (SIF_RANGE | SIF_PAGE)) {
            DWORD bit = which == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
            bool needed = bar->max > bar->min && (!bar->page || bar->page <= static_cast<UINT>(bar->max - bar->min));
            if ((info->fMask & SIF_DISABLENOSCROLL)) needed = needed || (window->style & bit);
            DWORD style = needed ? window->style | bit : window->style & ~bit;
            styleChanged = style != window->style;
            window->style = style;
        }
        pos = bar->pos;
    }
    if (styleChanged) SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
    if (redraw) InvalidateRect(hwnd, nullptr, FALSE);
    return pos;
}

BOOL WINAPI GetScrollInfo(HWND hwnd, int which, LPSCROLLINFO info) {
    Lock lock(WindowLock());
    auto window = WindowOrError(hwnd);
    if (!window || !info) return FALSE;
    ScrollBarState* bar = BarOf(*window, which);
    if (!bar) return FALSE;
    if (info->fMask & SIF_RANGE) {
        info->nMin = bar->min;
        info->nMax = bar->max;
    }
    if (info->fMask & SIF_PAGE) info->nPage = bar->page;
    if (info->fMask & SIF_POS) info->nPos = bar->pos;
    if (info->fMask & SIF_TRACKPOS) info->nTrackPos = bar->pos;
    return TRUE;
}

int WINAPI SetScrollPos(HWND hwnd, int which, int pos, BOOL redraw) {
    int previous = GetScrollPos(hwnd, which);
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, pos, 0};
    SetScrollInfo(hwnd, which, &info, redraw);
    return previous;
}

int WINAPI GetScrollPos(HWND hwnd, int which) {
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, 0, 0};
    return GetScrollInfo(hwnd, which, &info) ? info.nPos : 0;
}

BOOL WINAPI SetScrollRange(HWND hwnd, int which, int min, int max, BOOL redraw) {
    if (!IsWindow(hwnd) || (which != SB_HORZ && which != SB_VERT) || max < min) return FALSE;
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE, min, max, 0, 0, 0};
    SetScrollInfo(hwnd, which, &info, redraw);
    return TRUE;
}

BOOL WINAPI GetScrollRange(HWND hwnd, int which, int* min, int* max) {
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE, 0, 0, 0, 0, 0};
    if (!min || !max || !GetScrollInfo(hwnd, which, &info)) return FALSE;
    *min = info.nMin;
    *max = info.nMax;
    return TRUE;
}

}  // extern "C"
