// The default window procedure.
#include <algorithm>
#include <cstring>
#include <mutex>

#include "paint.h"
#include "vpr/user/controls.h"
#include "vpr/user/images.h"

using namespace vpr::user;

extern "C" {

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto window = FindWindowObject(hwnd);
    if (!window) return 0;
    switch (msg) {
    case WM_NCCREATE: {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        if (cs && cs->lpszName && !IS_INTRESOURCE(cs->lpszName)) {
            Lock lock(WindowLock());
            window->text = cs->lpszName;
        }
        return TRUE;
    }
    case WM_NCCALCSIZE: {
        // The frame, caption, edges and scroll bars of the style surround the client area.
        auto* rect = reinterpret_cast<RECT*>(lParam);
        if (!rect) return 0;
        RECT insets = NonClientInsets(window->style, window->exStyle);
        rect->left += insets.left;
        rect->top += insets.top;
        rect->right = std::max(rect->left, rect->right - insets.right);
        rect->bottom = std::max(rect->top, rect->bottom - insets.bottom);
        return 0;
    }
    case WM_SETTEXT: {
        Lock lock(WindowLock());
        window->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        return TRUE;
    }
    case WM_GETTEXT: {
        if (wParam == 0 || !lParam) return 0;
        Lock lock(WindowLock());
        auto* buffer = reinterpret_cast<char*>(lParam);
        size_t n = std::min(static_cast<size_t>(wParam) - 1, window->text.size());
        std::memcpy(buffer, window->text.data(), n);
        buffer[n] = 0;
        return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH: {
        Lock lock(WindowLock());
        return static_cast<LRESULT>(window->text.size());
    }
    case WM_QUERYENDSESSION:
        return TRUE;  // a window that does not answer lets Windows shut down
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(hwnd, WM_CLOSE, 0, 0);
        return 0;
    case WM_MOUSEACTIVATE:
        if ((window->style & WS_CHILD) && window->parent) {
            LRESULT answer = SendMessageA(window->parent, WM_MOUSEACTIVATE, wParam, lParam);
            if (answer) return answer;
        }
        return MA_ACTIVATE;
    case WM_SETCURSOR: {
        // The parent may set the cursor first; else the class cursor over the client area.
        if ((window->style & WS_CHILD) && window->parent &&
            SendMessageA(window->parent, WM_SETCURSOR, wParam, lParam))
            return TRUE;
        HCURSOR cursor = nullptr;
        {
            Lock lock(WindowLock());
            if (window->windowClass) cursor = window->windowClass->cursor;
        }
        // A parent asked on behalf of its child leaves the cursor to the child.
        if (reinterpret_cast<HWND>(wParam) != hwnd || LOWORD(lParam) != HTCLIENT || !cursor) return FALSE;
        SetCursor(cursor);
        return TRUE;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) SetFocus(hwnd);
        return 0;
    case WM_NCACTIVATE:
        return TRUE;
    case WM_WINDOWPOSCHANGED: {
        auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
        if (!(pos->flags & 0x1000)) {
            POINT origin{0, 0};
            MapWindowPoints(hwnd, GetParent(hwnd) && (window->style & WS_CHILD) ? window->parent : nullptr,
                            &origin, 1);
            SendMessageA(hwnd, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
        }
        if (!(pos->flags & 0x0800)) {
            RECT client;
            GetClientRect(hwnd, &client);
            SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
        }
        return 0;
    }
    case WM_PAINT:
        ValidateRect(hwnd, nullptr);
        return 0;
    case WM_ERASEBKGND: {
        HBRUSH brush = window->windowClass->background;
        if (!brush) return 0;
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
        return 1;
    }
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORSCROLLBAR:
        SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOWTEXT));
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    case WM_SETREDRAW: {
        // Redraw off hides the window from painting without telling anyone.
        Lock lock(WindowLock());
        if (wParam)
            window->style |= WS_VISIBLE;
        else
            window->style &= ~static_cast<DWORD>(WS_VISIBLE);
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_F1) {
            HELPINFO info{sizeof(HELPINFO), HELPINFO_WINDOW, GetDlgCtrlID(hwnd),
                          reinterpret_cast<HANDLE>(hwnd), 0, {}};
            SendMessageA(hwnd, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        }
        return 0;
    case WM_HELP:
    case WM_CONTEXTMENU:
        // Help and context menus go up to the parent when a child does not take them.
        if ((window->style & WS_CHILD) && window->parent)
            return SendMessageA(window->parent, msg, wParam, lParam);
        return 0;
    case WM_NCHITTEST:
        return HTCLIENT;
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        return -1;
    default:
        return 0;
    }
}

}  // extern "C"

