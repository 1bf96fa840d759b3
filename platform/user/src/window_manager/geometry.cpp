// Window geometry, visibility and invalidation; the rectangle helpers.
#include <algorithm>
#include <functional>

#include "window_manager.h"
#include "vpr/win/error.h"

namespace vpr::user {

namespace {

// Fixed frame metrics of the emulated screen, in pixels.
constexpr int kThickFrame = 4;
constexpr int kDialogFrame = 3;
constexpr int kBorder = 1;
constexpr int kCaption = 18;
constexpr int kToolCaption = 15;
constexpr int kClientEdge = 2;
constexpr int kScrollBar = 16;
constexpr int kMenuBar = 19;

constexpr UINT kNoClientSize = 0x0800;
constexpr UINT kNoClientMove = 0x1000;

POINT WindowOriginOnScreen(const Window& window) {
    POINT origin{window.rect.left, window.rect.top};
    if (window.parent) {
        POINT parent = ClientOriginOnScreen(window.parent);
        origin.x += parent.x;
        origin.y += parent.y;
    }
    return origin;
}

bool VisibleChain(HWND hwnd) {
    for (auto window = FindWindowObject(hwnd); window; window = FindWindowObject(window->parent))
        if (!(window->style & WS_VISIBLE)) return false;
    return true;
}

void Reorder(Window& window, HWND after) {
    std::vector<HWND>* siblings = &TopLevelWindows();
    if (window.parent) siblings = &FindWindowObject(window.parent)->children;
    if (window.messageOnly) return;
    std::erase(*siblings, window.handle);
    if (after == HWND_TOP || after == HWND_TOPMOST || after == HWND_NOTOPMOST) {
        siblings->insert(siblings->begin(), window.handle);
    } else if (after == HWND_BOTTOM) {
        siblings->push_back(window.handle);
    } else {
        auto it = std::find(siblings->begin(), siblings->end(), after);
        siblings->insert(it == siblings->end() ? it : it + 1, window.handle);
    }
}

// Moves activation away from a window that is being hidden.
void HandOffActivation(HWND hwnd) {
    auto window = FindWindowObject(hwnd);
    if (!window || !window->queue || window->queue->active != hwnd) return;
    if (window->owner && IsWindow(window->owner) && IsWindowVisible(window->owner)) {
        SetActiveWindow(window->owner);
        return;
    }
    auto& queue = *window->queue;
    queue.active = nullptr;
    SendMessageA(hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
    if (queue.focus && (queue.focus == hwnd || IsChild(hwnd, queue.focus))) {
        HWND focus = queue.focus;
        queue.focus = nullptr;
        SendMessageA(focus, WM_KILLFOCUS, 0, 0);
    }
}

}  // namespace

RECT NonClientInsets(DWORD style, DWORD exStyle) {
    int frame = 0;
    if (style & WS_THICKFRAME)
        frame = kThickFrame;
    else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
        frame = kDialogFrame;
    else if (style & WS_BORDER)
        frame = kBorder;
    RECT insets{frame, frame, frame, frame};
    if ((style & WS_CAPTION) == WS_CAPTION)
        insets.top += (exStyle & WS_EX_TOOLWINDOW) ? kToolCaption : kCaption;
    int edge = (exStyle & WS_EX_CLIENTEDGE) ? kClientEdge : (exStyle & WS_EX_STATICEDGE) ? 1 : 0;
    insets.left += edge;
    insets.top += edge;
    insets.right += edge;
    insets.bottom += edge;
    if (style & WS_VSCROLL) insets.right += kScrollBar;
    if (style & WS_HSCROLL) insets.bottom += kScrollBar;
    return insets;
}

POINT ClientOriginOnScreen(HWND hwnd) {
    Lock lock(WindowLock());
    auto window = FindWindowObject(hwnd);
    if (!window || hwnd == DesktopHandle()) return POINT{0, 0};
    POINT origin = WindowOriginOnScreen(*window);
    RECT insets = NonClientInsets(window->style, window->exStyle);
    return POINT{origin.x + insets.left, origin.y + insets.top};
}

}  // namespace vpr::user

using namespace vpr::user;

extern "C" {

BOOL WINAPI SetRect(LPRECT r, int left, int top, int right, int bottom) {
    if (!r) return FALSE;
    *r = RECT{left, top, right, bottom};
    return TRUE;
}
BOOL WINAPI SetRectEmpty(LPRECT r) { return SetRect(r, 0, 0, 0, 0); }
BOOL WINAPI CopyRect(LPRECT dst, const RECT* src) {
    if (!dst || !src) return FALSE;
    *dst = *src;
    return TRUE;
}
BOOL WINAPI InflateRect(LPRECT r, int dx, int dy) {
    if (!r) return FALSE;
    r->left -= dx;
    r->right += dx;
    r->top -= dy;
    r->bottom += dy;
    return TRUE;
}
BOOL WINAPI OffsetRect(LPRECT r, int dx, int dy) {
    if (!r) return FALSE;
    r->left += dx;
    r->right += dx;
    r->top += dy;
    r->bottom += dy;
    return TRUE;
}
BOOL WINAPI IsRectEmpty(const RECT* r) { return !r || r->right <= r->left || r->bottom <= r->top; }
BOOL WINAPI PtInRect(const RECT* r, POINT pt) {
    return r && pt.x >= r->left && pt.x < r->right && pt.y >= r->top && pt.y < r->bottom;
}
BOOL WINAPI IntersectRect(LPRECT dst, const RECT* a, const RECT* b) {
    if (!dst || !a || !b) return FALSE;
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
           std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&r)) {
        *dst = RECT{};
        return FALSE;
    }
    *dst = r;
    return TRUE;
}
BOOL WINAPI UnionRect(LPRECT dst, const RECT* a, const RECT* b) {
    if (!dst || !a || !b) return FALSE;
    if (IsRectEmpty(a)) {
        *dst = IsRectEmpty(b) ? RECT{} : *b;
    } else if (IsRectEmpty(b)) {
        *dst = *a;
    } else {
        *dst = RECT{std::min(a->left, b->left), std::min(a->top, b->top),
                    std::max(a->right, b->right), std::max(a->bottom, b->bottom)};
    }
    return !IsRectEmpty(dst);
}
BOOL WINAPI EqualRect(const RECT* a, const RECT* b) {
    return a && b && a->left == b->left && a->top == b->top && a->right == b->right &&
           a->bottom == b->bottom;
}

BOOL WINAPI GetWindowRect(HWND hwnd, LPRECT rect) {
    Lock lock(WindowLock());
    auto window = WindowOrError(hwnd);
    if (!window || !rect) return FALSE;
    POINT origin{0, 0};
    if (window->parent) origin = vpr::user::ClientOriginOnScreen(window->parent);
    *rect = window->rect;
    OffsetRect(rect, origin.x, origin.y);
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hwnd, LPRECT rect) {
    Lock lock(WindowLock());
    auto window = WindowOrError(hwnd);
    if (!window || !rect) return FALSE;
    RECT insets = NonClientInsets(window->style, window->exStyle);
    if (hwnd == DesktopHandle()) insets = RECT{};
    LONG width = window->rect.right - window->rect.left - insets.left - insets.right;
    LONG height = window->rect.bottom - window->rect.top - insets.top - insets.bottom;
    *rect = RECT{0, 0, std::max<LONG>(width, 0), std::max<LONG>(height, 0)};
    return TRUE;
}

BOOL WINAPI SetWindowPos(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags) {
    auto window = WindowOrError(hwnd);
    if (!window || hwnd == DesktopHandle()) return FALSE;
    WINDOWPOS pos{hwnd, after, x, y, std::max(cx, 0), std::max(cy, 0), flags};
    RECT old;
    {
        Lock lock(WindowLock());
        old = window->rect;
    }
    if (flags & SWP_NOMOVE) {
        pos.x = old.left;
        pos.y = old.top;
    }
    if (flags & SWP_NOSIZE) {
        pos.cx = old.right - old.left;
        pos.cy = old.bottom - old.top;
    }
    SendMessageA(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    if (!IsWindow(hwnd)) return FALSE;
    bool moved, sized, shown = false, hidden = false;
    {
        Lock lock(WindowLock());
        window->rect = RECT{pos.x, pos.y, pos.x + pos.cx, pos.y + pos.cy};
        moved = pos.x != old.left || pos.y != old.top;
        sized = pos.cx != old.right - old.left || pos.cy != old.bottom - old.top;
        if ((pos.flags & SWP_SHOWWINDOW) && !(window->style & WS_VISIBLE)) {
            window->style |= WS_VISIBLE;
            shown = true;
        }
        if ((pos.flags & SWP_HIDEWINDOW) && (window->style & WS_VISIBLE)) {
            window->style &= ~static_cast<DWORD>(WS_VISIBLE);
            hidden = true;
        }
        if (!(pos.flags & SWP_NOZORDER)) Reorder(*window, pos.hwndInsertAfter);
    }
    if (!sized) pos.flags |= kNoClientSize;
    if (!moved) pos.flags |= kNoClientMove;
    if ((sized || shown) && !(pos.flags & SWP_NOREDRAW)) InvalidateRect(hwnd, nullptr, TRUE);
    SendMessageA(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    if (!IsWindow(hwnd)) return TRUE;
    if (hidden) HandOffActivation(hwnd);
    if (shown && !window->parent && !(pos.flags & SWP_NOACTIVATE) &&
        window->queue.get() == &CurrentQueue())
        SetActiveWindow(hwnd);
    return TRUE;
}

BOOL WINAPI MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    return SetWindowPos(hwnd, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

int WINAPI MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
    POINT a = vpr::user::ClientOriginOnScreen(from);
    POINT b = vpr::user::ClientOriginOnScreen(to);
    LONG dx = a.x - b.x, dy = a.y - b.y;
    for (UINT i = 0; i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

BOOL WINAPI ScreenToClient(HWND hwnd, LPPOINT point) {
    if (!WindowOrError(hwnd) || !point) return FALSE;
    MapWindowPoints(nullptr, hwnd, point, 1);
    return TRUE;
}

BOOL WINAPI ClientToScreen(HWND hwnd, LPPOINT point) {
    if (!WindowOrError(hwnd) || !point) return FALSE;
    MapWindowPoints(hwnd, nullptr, point, 1);
    return TRUE;
}

HWND WINAPI ChildWindowFromPoint(HWND parent, POINT pt) {
    Lock lock(WindowLock());
    auto window = WindowOrError(parent);
    if (!window) return nullptr;
    RECT client;
    GetClientRect(parent, &client);
    if (!PtInRect(&client, pt)) return nullptr;
    for (HWND child : window->children) {
        auto c = FindWindowObject(child);
        if (c && PtInRect(&c->rect, pt)) return child;
    }
    return parent;
}

HWND WINAPI WindowFromPoint(POINT pt) {
    Lock lock(WindowLock());
    // The deepest visible, enabled window under the point, top of z-order first.
    std::function<HWND(const std::vector<HWND>&)> search = [&](const std::vector<HWND>& windows) -> HWND {
        for (HWND hwnd : windows) {
            auto window = FindWindowObject(hwnd);
            if (!window || !(window->style & WS_VISIBLE)) continue;
            RECT rect;
            GetWindowRect(hwnd, &rect);
            if (!PtInRect(&rect, pt)) continue;
            if (window->style & WS_DISABLED) return window->parent ? window->parent : hwnd;
            HWND inner = search(window->children);
            return inner ? inner : hwnd;
        }
        return nullptr;
    };
    HWND found = search(TopLevelWindows());
    return found ? found : DesktopHandle();
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
    if (!rect) return FALSE;
    RECT insets = NonClientInsets(style, exStyle);
    rect->left -= insets.left;
    rect->top -= insets.top + (menu ? kMenuBar : 0);
    rect->right += insets.right;
    rect->bottom += insets.bottom;
    return TRUE;
}

BOOL WINAPI ShowWindow(HWND hwnd, int command) {
    auto window = WindowOrError(hwnd);
    if (!window) return FALSE;
    bool was = window->style & WS_VISIBLE;
    bool show = command != SW_HIDE;
    bool activate = show && command != SW_SHOWNA && command != SW_SHOWNOACTIVATE &&
                    command != SW_SHOWMINNOACTIVE && !(window->style & WS_CHILD);
    if (show == was) {
        if (activate && window->queue.get() == &CurrentQueue()) SetActiveWindow(hwnd);
        return was;
    }
    SendMessageA(hwnd, WM_SHOWWINDOW, show, 0);
    if (!IsWindow(hwnd)) return was;
    UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW);
    if (!activate) flags |= SWP_NOACTIVATE;
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, flags);
    return was;
}

BOOL WINAPI IsWindowVisible(HWND hwnd) {
    Lock lock(WindowLock());
    return VisibleChain(hwnd);
}

BOOL WINAPI InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
    if (!hwnd) {
        std::vector<HWND> all;
        {
            Lock lock(WindowLock());
            all = TopLevelWindows();
        }
        for (HWND top : all) InvalidateRect(top, nullptr, erase);
        return TRUE;
    }
    Lock lock(WindowLock());
    auto window = WindowOrError(hwnd);
    if (!window) return FALSE;
    RECT client;
    GetClientRect(hwnd, &client);
    RECT part = client;
    if (rect && !IntersectRect(&part, rect, &client)) return TRUE;
    if (IsRectEmpty(&part)) return TRUE;
    UnionRect(&window->update, &window->update, &part);
    window->hasUpdate = true;
    if (erase) window->eraseUpdate = true;
    MarkPaintPending(*window);
    return TRUE;
}

BOOL WINAPI ValidateRect(HWND hwnd, const RECT* rect) {
    Lock lock(WindowLock());
    auto window = WindowOrError(hwnd);
    if (!window) return FALSE;
    // The update area is kept as one rectangle; a part that covers it clears it.
    RECT covered;
    if (!rect || (IntersectRect(&covered, rect, &window->update) && EqualRect(&covered, &window->update))) {
        window->hasUpdate = false;
        window->eraseUpdate = false;
        window->update = RECT{};
    }
    return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND hwnd, LPRECT rect, BOOL /*erase*/) {
    Lock lock(WindowLock());
    auto window = WindowOrError(hwnd);
    if (!window) return FALSE;
    if (rect) *rect = window->hasUpdate ? window->update : RECT{};
    return window->hasUpdate;
}

BOOL WINAPI UpdateWindow(HWND hwnd) {
    auto window = WindowOrError(hwnd);
    if (!window) return FALSE;
    if (window->hasUpdate && IsWindowVisible(hwnd)) SendMessageA(hwnd, WM_PAINT, 0, 0);
    return TRUE;
}

}  // extern "C"
