// The button control: push buttons, check boxes, radio buttons, group boxes
// and owner-drawn buttons.
#include "control.h"
#include "vpr/user/dialog.h"
#include "paint.h"

namespace vpr::user {
namespace {

struct ButtonState : ControlState {
    int check = BST_UNCHECKED;
    bool pushed = false;
    bool focused = false;
    HANDLE image = nullptr;
    HFONT font = nullptr;
};

DWORD TypeOf(DWORD style) { return style & BS_TYPEMASK; }
bool IsRadio(DWORD type) { return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON; }
bool IsCheckable(DWORD type) {
    return IsRadio(type) || type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
           type == BS_AUTO3STATE;
}

void SetCheck(HWND hwnd, ButtonState& state, int check) {
    DWORD style = StyleOf(hwnd);
    if (!IsCheckable(TypeOf(style))) return;
    state.check = check;
    // A checked radio button is the tab stop of its group.
    if (IsRadio(TypeOf(style))) {
        Lock lock(WindowLock());
        auto window = FindWindowObject(hwnd);
        if (check)
            window->style |= WS_TABSTOP;
        else
            window->style &= ~static_cast<DWORD>(WS_TABSTOP);
    }
    InvalidateRect(hwnd, nullptr, FALSE);
}

// Unchecks the other automatic radio buttons of the button's group.
void UncheckGroup(HWND hwnd) {
    HWND parent = GetParent(hwnd);
    if (!parent) return;
    for (HWND other = GetNextDlgGroupItem(parent, hwnd, FALSE); other && other != hwnd;
         other = GetNextDlgGroupItem(parent, other, FALSE)) {
        if (TypeOf(StyleOf(other)) == BS_AUTORADIOBUTTON) SendMessageA(other, BM_SETCHECK, BST_UNCHECKED, 0);
    }
}

// What a click of the user does: automatic buttons change their state, then
// the parent hears BN_CLICKED.
void Click(HWND hwnd, ButtonState& state) {
    switch (TypeOf(StyleOf(hwnd))) {
    case BS_AUTOCHECKBOX: SetCheck(hwnd, state, state.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED); break;
    case BS_AUTO3STATE: SetCheck(hwnd, state, (state.check + 1) % 3); break;
    case BS_AUTORADIOBUTTON:
        SetCheck(hwnd, state, BST_CHECKED);
        UncheckGroup(hwnd);
        break;
    default: break;
    }
    NotifyParent(hwnd, BN_CLICKED);
}

void Paint(HWND hwnd, ButtonState& state) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    DWORD style = StyleOf(hwnd);
    DWORD type = TypeOf(style);
    bool enabled = IsWindowEnabled(hwnd);
    if (state.font) SelectObject(dc, state.font);
    HWND parent = GetParent(hwnd);
    if (type == BS_OWNERDRAW) {
        UINT itemState = (state.pushed ? ODS_SELECTED : 0) | (state.focused ? ODS_FOCUS : 0) |
                         (enabled ? 0 : ODS_DISABLED);
        DRAWITEMSTRUCT draw{ODT_BUTTON, static_cast<UINT>(IdOf(hwnd)), 0, ODA_DRAWENTIRE, itemState, hwnd, dc,
                            client, 0};
        if (parent) SendMessageA(parent, WM_DRAWITEM, static_cast<WPARAM>(IdOf(hwnd)), reinterpret_cast<LPARAM>(&draw));
        EndPaint(hwnd, &ps);
        return;
    }
    bool push = type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || (style & BS_PUSHLIKE);
    HBRUSH brush = parent ? reinterpret_cast<HBRUSH>(SendMessageA(parent, push ? WM_CTLCOLORBTN : WM_CTLCOLORSTATIC,
                                                                  reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(hwnd)))
                          : nullptr;
    FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    char text[256];
    GetWindowTextA(hwnd, text, sizeof text);
    RECT label = client;
    if (type == BS_GROUPBOX) {
        RECT frame{client.left, client.top + kFontHeight / 2, client.right, client.bottom};
        FrameRect(dc, &frame, GetSysColorBrush(COLOR_BTNSHADOW));
        label = RECT{client.left + 8, client.top, client.right - 8, client.top + kFontHeight};
        DrawTextA(dc, text, -1, &label, DT_SINGLELINE | DT_LEFT);
    } else if (push) {
        FrameRect(dc, &client, GetSysColorBrush(type == BS_DEFPUSHBUTTON || state.pushed ? COLOR_WINDOWFRAME : COLOR_BTNSHADOW));
        if ((style & BS_ICON) && state.image) {
            DrawIcon(dc, (client.right - 32) / 2, (client.bottom - 32) / 2, static_cast<HICON>(state.image));
        } else if ((style & BS_BITMAP) && state.image) {
            BITMAP info;
            GetObjectA(state.image, sizeof info, &info);
            HDC memory = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(memory, state.image);
            BitBlt(dc, (client.right - info.bmWidth) / 2, (client.bottom - info.bmHeight) / 2, info.bmWidth,
                   info.bmHeight, memory, 0, 0, SRCCOPY);
            SelectObject(memory, old);
            DeleteDC(memory);
        } else {
            DrawTextA(dc, text, -1, &label, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        }
    } else {
        // Check and radio boxes: a 13-pixel box, the text beside it.
        int top = (client.bottom - 13) / 2;
        RECT box{client.left, top, client.left + 13, top + 13};
        if (style & BS_LEFTTEXT) OffsetRect(&box, client.right - 13, 0);
        FillRect(dc, &box, GetSysColorBrush(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
        FrameRect(dc, &box, GetSysColorBrush(COLOR_BTNSHADOW));
        if (state.check) {
            RECT mark = box;
            InflateRect(&mark, -3, -3);
            FillRect(dc, &mark, GetSysColorBrush(state.check == BST_INDETERMINATE ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
        }
        label = (style & BS_LEFTTEXT) ? RECT{client.left, client.top, box.left - 3, client.bottom}
                                      : RECT{box.right + 3, client.top, client.right, client.bottom};
        DrawTextA(dc, text, -1, &label, DT_SINGLELINE | DT_VCENTER);
    }
    if (state.focused && type != BS_GROUPBOX) {
        RECT focus = label;
        InflateRect(&focus, -2, -2);
        DrawFocusRect(dc, &focus);
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* state = ControlOf<ButtonState>(hwnd);
    if (!state) return 0;
    DWORD style = StyleOf(hwnd);
    DWORD type = TypeOf(style);
    switch (msg) {
    case WM_GETDLGCODE:
        switch (type) {
        case BS_DEFPUSHBUTTON: return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        case BS_PUSHBUTTON: return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: return DLGC_BUTTON | DLGC_RADIOBUTTON;
        case BS_GROUPBOX: return DLGC_STATIC;
        default: return DLGC_BUTTON;
        }
    case BM_GETCHECK: return IsCheckable(type) ? state->check : BST_UNCHECKED;
    case BM_SETCHECK: SetCheck(hwnd, *state, static_cast<int>(wParam)); return 0;
    case BM_GETSTATE:
        return state->check | (state->pushed ? BST_PUSHED : 0) | (state->focused ? BST_FOCUS : 0);
    case BM_SETSTATE:
        state->pushed = wParam != 0;
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case BM_SETSTYLE: {
        Lock lock(WindowLock());
        auto window = FindWindowObject(hwnd);
        window->style = (window->style & ~static_cast<DWORD>(0xFFFF)) | (static_cast<DWORD>(wParam) & 0xFFFF);
        lock.unlock();
        if (lParam) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    case BM_CLICK: {
        if (!IsWindowEnabled(hwnd)) return 0;
        RECT client;
        GetClientRect(hwnd, &client);
        LPARAM center = MAKELPARAM(client.right / 2, client.bottom / 2);
        SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, center);
        SendMessageA(hwnd, WM_LBUTTONUP, 0, center);
        return 0;
    }
    case BM_SETIMAGE: {
        HANDLE old = state->image;
        state->image = reinterpret_cast<HANDLE>(lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return reinterpret_cast<LRESULT>(old);
    }
    case BM_GETIMAGE: return reinterpret_cast<LRESULT>(state->image);
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        if (lParam) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state->font);
    case WM_SETTEXT:
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, TRUE);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (type == BS_GROUPBOX) return 0;
        if (GetFocus() != hwnd) SetFocus(hwnd);
        SetCapture(hwnd);
        state->pushed = true;
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_LBUTTONUP: {
        if (!state->pushed) return 0;
        state->pushed = false;
        if (GetCapture() == hwnd) ReleaseCapture();
        InvalidateRect(hwnd, nullptr, FALSE);
        RECT client;
        GetClientRect(hwnd, &client);
        POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (PtInRect(&client, point)) Click(hwnd, *state);
        return 0;
    }
    case WM_KEYDOWN:
        if (wParam == VK_SPACE && type != BS_GROUPBOX) {
            state->pushed = true;
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    case WM_KEYUP:
        if (wParam == VK_SPACE && state->pushed) {
            state->pushed = false;
            InvalidateRect(hwnd, nullptr, FALSE);
            Click(hwnd, *state);
        }
        return 0;
    case WM_SETFOCUS:
        state->focused = true;
        InvalidateRect(hwnd, nullptr, FALSE);
        if (style & BS_NOTIFY) NotifyParent(hwnd, BN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        state->focused = false;
        state->pushed = false;
        if (GetCapture() == hwnd) ReleaseCapture();
        InvalidateRect(hwnd, nullptr, FALSE);
        if (style & BS_NOTIFY) NotifyParent(hwnd, BN_KILLFOCUS);
        return 0;
    case WM_PAINT: Paint(hwnd, *state); return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

void RegisterButtonClass() { RegisterSystemClass("Button", ButtonProc, CS_DBLCLKS | CS_PARENTDC, 0); }

}  // namespace vpr::user
