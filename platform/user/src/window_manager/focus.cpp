// Keyboard focus, activation, capture and enabling. Focus, the active window
// and capture belong to a thread, as on Windows.
#include "window_manager.h"
#include "vpr/win/error.h"

namespace vpr::user {
namespace {

HWND g_foreground = nullptr;  // guarded by the window lock

bool OwnedByCaller(const std::shared_ptr<Window>& window) {
    return window && window->queue.get() == &CurrentQueue();
}

}  // namespace
}  // namespace vpr::user

using namespace vpr::user;

extern "C" {

HWND WINAPI GetFocus(void) { return CurrentQueue().focus; }

HWND WINAPI SetFocus(HWND hwnd) {
    auto& queue = CurrentQueue();
    HWND old = queue.focus;
    if (hwnd) {
        auto window = WindowOrError(hwnd);
        if (!window) return nullptr;
        if (!OwnedByCaller(window)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
        // A window under a disabled top-level window cannot take the focus.
        HWND top = TopLevelOf(hwnd);
        if (!IsWindowEnabled(top)) return nullptr;
        if (queue.active != top) {
            SetActiveWindow(top);
            if (queue.focus == hwnd) return old;
            old = queue.focus;
        }
    }
    if (old == hwnd) return old;
    queue.focus = hwnd;
    if (old && IsWindow(old)) SendMessageA(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hwnd), 0);
    // The kill-focus handler may have moved the focus elsewhere.
    if (hwnd && queue.focus == hwnd && IsWindow(hwnd))
        SendMessageA(hwnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    return old;
}

HWND WINAPI GetActiveWindow(void) { return CurrentQueue().active; }

HWND WINAPI SetActiveWindow(HWND hwnd) {
    auto& queue = CurrentQueue();
    HWND old = queue.active;
    if (hwnd) {
        auto window = WindowOrError(hwnd);
        if (!window) return nullptr;
        if (!OwnedByCaller(window)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
        hwnd = TopLevelOf(hwnd);
    }
    if (old == hwnd) return old;
    queue.active = hwnd;
    if (old && IsWindow(old)) {
        SendMessageA(old, WM_NCACTIVATE, FALSE, 0);
        SendMessageA(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(hwnd));
    }
    if (hwnd && queue.active == hwnd && IsWindow(hwnd)) {
        {
            Lock lock(WindowLock());
            g_foreground = hwnd;
        }
        SendMessageA(hwnd, WM_NCACTIVATE, TRUE, 0);
        SendMessageA(hwnd, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), reinterpret_cast<LPARAM>(old));
    }
    return old;
}

BOOL WINAPI SetForegroundWindow(HWND hwnd) {
    auto window = WindowOrError(hwnd);
    if (!window) return FALSE;
    if (OwnedByCaller(window)) {
        SetActiveWindow(hwnd);
    } else {
        Lock lock(WindowLock());
        g_foreground = TopLevelOf(hwnd);
    }
    return TRUE;
}

HWND WINAPI GetForegroundWindow(void) {
    Lock lock(WindowLock());
    if (g_foreground && !IsWindow(g_foreground)) g_foreground = nullptr;
    return g_foreground;
}

HWND WINAPI GetCapture(void) { return CurrentQueue().capture; }

HWND WINAPI SetCapture(HWND hwnd) {
    auto& queue = CurrentQueue();
    HWND old = queue.capture;
    if (hwnd && !OwnedByCaller(WindowOrError(hwnd))) return nullptr;
    if (old == hwnd) return old;
    queue.capture = hwnd;
    if (old && IsWindow(old)) SendMessageA(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hwnd));
    return old;
}

BOOL WINAPI ReleaseCapture(void) {
    SetCapture(nullptr);
    return TRUE;
}

BOOL WINAPI IsWindowEnabled(HWND hwnd) {
    Lock lock(WindowLock());
    auto window = FindWindowObject(hwnd);
    return window && !(window->style & WS_DISABLED);
}

BOOL WINAPI EnableWindow(HWND hwnd, BOOL enable) {
    auto window = WindowOrError(hwnd);
    if (!window) return FALSE;
    bool wasDisabled;
    {
        Lock lock(WindowLock());
        wasDisabled = window->style & WS_DISABLED;
        if (wasDisabled == !enable) return wasDisabled;
        if (enable)
            window->style &= ~static_cast<DWORD>(WS_DISABLED);
        else
            window->style |= WS_DISABLED;
    }
    if (!enable && OwnedByCaller(window)) {
        // A disabled window gives up the focus and the capture.
        auto& queue = CurrentQueue();
        if (queue.focus && (queue.focus == hwnd || IsChild(hwnd, queue.focus))) SetFocus(nullptr);
        if (queue.capture == hwnd) ReleaseCapture();
    }
    SendMessageA(hwnd, WM_ENABLE, enable ? TRUE : FALSE, 0);
    InvalidateRect(hwnd, nullptr, TRUE);
    return wasDisabled;
}

}  // extern "C"
