// The static control: texts, icons, bitmaps, rectangles and frames.
#include "control.h"
#include "paint.h"

namespace vpr::user {
namespace {

struct StaticState : ControlState {
    HANDLE image = nullptr;
    HFONT font = nullptr;
};

DWORD TypeOf(DWORD style) { return style & SS_TYPEMASK; }

void Paint(HWND hwnd, StaticState& state) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    DWORD style = StyleOf(hwnd);
    DWORD type = TypeOf(style);
    HWND parent = GetParent(hwnd);
    if (state.font) SelectObject(dc, state.font);
    if (type == SS_OWNERDRAW) {
        DRAWITEMSTRUCT draw{ODT_STATIC, static_cast<UINT>(IdOf(hwnd)), 0, ODA_DRAWENTIRE,
                            IsWindowEnabled(hwnd) ? 0u : static_cast<UINT>(ODS_DISABLED), hwnd, dc, client, 0};
        if (parent) SendMessageA(parent, WM_DRAWITEM, static_cast<WPARAM>(IdOf(hwnd)), reinterpret_cast<LPARAM>(&draw));
        EndPaint(hwnd, &ps);
        return;
    }
    switch (type) {
    case SS_BLACKRECT: FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOWFRAME)); break;
    case SS_GRAYRECT: FillRect(dc, &client, GetSysColorBrush(COLOR_BTNSHADOW)); break;
    case SS_WHITERECT: FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW)); break;
    case SS_BLACKFRAME: FrameRect(dc, &client, GetSysColorBrush(COLOR_WINDOWFRAME)); break;
    case SS_GRAYFRAME:
    case SS_ETCHEDFRAME:
    case SS_ETCHEDHORZ:
    case SS_ETCHEDVERT: FrameRect(dc, &client, GetSysColorBrush(COLOR_BTNSHADOW)); break;
    case SS_WHITEFRAME: FrameRect(dc, &client, GetSysColorBrush(COLOR_WINDOW)); break;
    default: {
        HBRUSH brush = parent ? reinterpret_cast<HBRUSH>(SendMessageA(parent, WM_CTLCOLORSTATIC,
                                                                      reinterpret_cast<WPARAM>(dc),
                                                                      reinterpret_cast<LPARAM>(hwnd)))
                              : nullptr;
        FillRect(dc, &client, brush ? brush : GetSysColorBrush(COLOR_BTNFACE));
        if (type == SS_ICON) {
            if (state.image) DrawIcon(dc, 0, 0, static_cast<HICON>(state.image));
        } else if (type == SS_BITMAP) {
            if (state.image) {
                BITMAP info;
                GetObjectA(state.image, sizeof info, &info);
                HDC memory = CreateCompatibleDC(dc);
                HGDIOBJ old = SelectObject(memory, state.image);
                BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
                SelectObject(memory, old);
                DeleteDC(memory);
            }
        } else {
            char text[1024];
            GetWindowTextA(hwnd, text, sizeof text);
            UINT format = (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
            if (type == SS_CENTER) format |= DT_CENTER;
            if (type == SS_RIGHT) format |= DT_RIGHT;
            format |= (type == SS_SIMPLE || type == SS_LEFTNOWORDWRAP) ? DT_SINGLELINE : DT_WORDBREAK;
            if (style & SS_CENTERIMAGE) format |= DT_SINGLELINE | DT_VCENTER;
            SetBkMode(dc, TRANSPARENT);
            if (!IsWindowEnabled(hwnd)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
            DrawTextA(dc, text, -1, &client, format);
        }
    }
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* state = ControlOf<StaticState>(hwnd);
    if (!state) return 0;
    DWORD style = StyleOf(hwnd);
    switch (msg) {
    case WM_GETDLGCODE: return DLGC_STATIC;
    case WM_NCHITTEST: return (style & SS_NOTIFY) ? HTCLIENT : HTTRANSPARENT;
    case STM_SETICON:
    case STM_SETIMAGE: {
        HANDLE old = state->image;
        state->image = reinterpret_cast<HANDLE>(msg == STM_SETICON ? wParam : static_cast<WPARAM>(lParam));
        InvalidateRect(hwnd, nullptr, TRUE);
        return reinterpret_cast<LRESULT>(old);
    }
    case STM_GETICON:
    case STM_GETIMAGE: return reinterpret_cast<LRESULT>(state->image);
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        if (lParam) InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state->font);
    case WM_SETTEXT:
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, TRUE); break;
    case WM_LBUTTONDOWN:
        if (style & SS_NOTIFY) NotifyParent(hwnd, STN_CLICKED);
        return 0;
    case WM_LBUTTONDBLCLK:
        if (style & SS_NOTIFY) NotifyParent(hwnd, STN_DBLCLK);
        return 0;
    case WM_PAINT: Paint(hwnd, *state); return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

void RegisterStaticClass() { RegisterSystemClass("Static", StaticProc, CS_DBLCLKS | CS_PARENTDC, 0); }

}  // namespace vpr::user
