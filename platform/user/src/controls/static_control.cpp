// The static control: texts, icons, bitmaps, rectangles and frames.
#include "control.h"
#include "paint.h"
#include "vpr/user/images.h"

namespace vpr::user {
namespace {

struct StaticState : ControlState {
    HANDLE image = nullptr;
    bool ownBitmap = false;  // a bitmap the control loaded itself, deleted with it
    HFONT font = nullptr;
};

DWORD TypeOf(DWORD style) { return style & SS_TYPEMASK; }

// An image static fits itself to its image, unless it centres the image.
void FitToImage(HWND hwnd, HANDLE image) {
    SIZE size;
    if (!(StyleOf(hwnd) & SS_CENTERIMAGE) && ImageSize(image, &size))
        SetWindowPos(hwnd, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// An SS_ICON or SS_BITMAP static named by a resource (its window name, or a
// number in a dialog template) loads that image from its module. A missing
// image leaves the control empty, as on Windows.
void LoadNamedImage(HWND hwnd, StaticState& state, const CREATESTRUCTA& create) {
    DWORD type = TypeOf(static_cast<DWORD>(create.style));
    LPCSTR name = create.lpszName;
    if ((type != SS_ICON && type != SS_BITMAP) || !name || (!IS_INTRESOURCE(name) && !*name)) return;
    if (type == SS_ICON) {
        state.image = LoadIconA(create.hInstance, name);
    } else {
        state.image = LoadBitmapA(create.hInstance, name);
        state.ownBitmap = state.image != nullptr;
    }
    if (!IS_INTRESOURCE(name)) DefWindowProcA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(""));
    if (state.image) FitToImage(hwnd, state.image);
}

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
        SIZE image{0, 0};
        if (state.image) ImageSize(state.image, &image);
        // A centred image sits in the middle of the control, others at its corner.
        int left = (style & SS_CENTERIMAGE) ? (client.right - image.cx) / 2 : 0;
        int top = (style & SS_CENTERIMAGE) ? (client.bottom - image.cy) / 2 : 0;
        if (type == SS_ICON) {
            if (state.image) DrawIcon(dc, left, top, static_cast<HICON>(state.image));
        } else if (type == SS_BITMAP) {
            if (state.image) {
                HDC memory = CreateCompatibleDC(dc);
                HGDIOBJ old = SelectObject(memory, state.image);
                BitBlt(dc, left, top, image.cx, image.cy, memory, 0, 0, SRCCOPY);
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
    case WM_CREATE: LoadNamedImage(hwnd, *state, *reinterpret_cast<CREATESTRUCTA*>(lParam)); return 0;
    case WM_NCDESTROY:
        if (state->ownBitmap) DeleteObject(state->image);
        break;
    case STM_SETICON:
    case STM_SETIMAGE: {
        HANDLE old = state->image;
        if (state->ownBitmap) {
            DeleteObject(old);  // what the control loaded itself goes; the caller's image is the caller's
            old = nullptr;
            state->ownBitmap = false;
        }
        state->image = reinterpret_cast<HANDLE>(msg == STM_SETICON ? wParam : static_cast<WPARAM>(lParam));
        if (state->image) FitToImage(hwnd, state->image);
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
