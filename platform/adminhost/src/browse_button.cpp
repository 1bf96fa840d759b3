// The host's "BrowsebControl" window class: the small browse button that
// modules put beside a path edit in their dialogs. It looks like a push
// button showing "..." and tells its parent BN_CLICKED when the left button
// is released over it (or on BM_CLICK, Space or Enter while it has the focus).
#include "browse_button.h"

#include "vpr/user/gdi.h"
#include "windows.h"

namespace vpr::adminhost {
namespace {

constexpr char kBrowseButtonClass[] = "BrowsebControl";
constexpr char kFace[] = "...";

// Whether the left button went down over the control and is still held.
constexpr int kPressedWord = 0;

void NotifyClicked(HWND window) {
    HWND parent = GetParent(window);
    if (!parent) return;
    int id = GetDlgCtrlID(window);
    SendMessageA(parent, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(window));
}

void OnPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT rect;
    GetClientRect(window, &rect);
    bool pressed = GetWindowLongA(window, kPressedWord) != 0;
    FillRect(dc, &rect, GetSysColorBrush(pressed ? COLOR_BTNSHADOW : COLOR_BTNFACE));
    FrameRect(dc, &rect, GetSysColorBrush(COLOR_WINDOWFRAME));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(IsWindowEnabled(window) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    DrawTextA(dc, kFace, -1, &rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EndPaint(window, &paint);
}

void SetPressed(HWND window, bool pressed) {
    SetWindowLongA(window, kPressedWord, pressed ? 1 : 0);
    InvalidateRect(window, nullptr, TRUE);
}

LRESULT CALLBACK BrowseButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            OnPaint(window);
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(window);
            SetCapture(window);
            SetPressed(window, true);
            return 0;
        case WM_LBUTTONUP: {
            bool wasPressed = GetWindowLongA(window, kPressedWord) != 0;
            if (GetCapture() == window) ReleaseCapture();
            SetPressed(window, false);
            RECT rect;
            GetClientRect(window, &rect);
            POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (wasPressed && PtInRect(&rect, at)) NotifyClicked(window);
            return 0;
        }
        case WM_KEYUP:
            if (wParam == VK_SPACE || wParam == VK_RETURN) NotifyClicked(window);
            return 0;
        case BM_CLICK:
            NotifyClicked(window);
            return 0;
        case WM_GETDLGCODE:
            return DLGC_BUTTON;
        case WM_ENABLE:
            InvalidateRect(window, nullptr, TRUE);
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

void RegisterBrowseButtonClass(HINSTANCE instance) {
    WNDCLASSA existing{};
    if (GetClassInfoA(nullptr, kBrowseButtonClass, &existing)) return;
    WNDCLASSA wc{};
    wc.style = CS_GLOBALCLASS;
    wc.lpfnWndProc = BrowseButtonProc;
    wc.cbWndExtra = sizeof(LONG);
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kBrowseButtonClass;
    RegisterClassA(&wc);
}

}  // namespace vpr::adminhost
