// The trackbar ("msctls_trackbar32"): a thumb moved along a channel by the
// person's keys and mouse, reporting each move to the parent as a scroll
// message. Geometry and notification rules are in commctrl.h.
#include <algorithm>
#include <utility>

#include "common_control.h"
#include "control.h"

namespace vpr::user {
namespace {

constexpr int kChannelInset = 8;
constexpr int kThumbHalf = 5;
constexpr int kTicLength = 4;

struct TrackbarState : ControlState {
    int min = 0;
    int max = 100;
    int pos = 0;
    int lineSize = 1;
    int pageSize = 20;  // a fifth of the range until set
    bool pageSizeSet = false;
    int ticFrequency = 1;
    std::vector<int> tics;  // set by TBM_SETTIC
    int selStart = 0;
    int selEnd = 0;
    bool dragging = false;
};

bool Vertical(HWND hwnd) { return (StyleOf(hwnd) & TBS_VERT) != 0; }

// Length of the long side of the client area.
int Length(HWND hwnd) {
    RECT client;
    GetClientRect(hwnd, &client);
    return Vertical(hwnd) ? client.bottom : client.right;
}

int CoordOf(HWND hwnd, const TrackbarState& state, int pos) {
    int span = state.max - state.min;
    if (span <= 0) return kChannelInset;
    return kChannelInset + static_cast<int>(static_cast<int64_t>(pos - state.min) *
                                            (Length(hwnd) - 2 * kChannelInset) / span);
}

int PosAt(HWND hwnd, const TrackbarState& state, int coord) {
    int usable = Length(hwnd) - 2 * kChannelInset;
    if (usable <= 0) return state.min;
    int64_t offset = static_cast<int64_t>(coord - kChannelInset) * (state.max - state.min);
    int pos = state.min + static_cast<int>((offset + usable / 2) / usable);  // nearest position
    return std::clamp(pos, state.min, std::max(state.min, state.max));
}

RECT ThumbRect(HWND hwnd, const TrackbarState& state) {
    RECT client;
    GetClientRect(hwnd, &client);
    int at = CoordOf(hwnd, state, state.pos);
    if (Vertical(hwnd)) return RECT{0, at - kThumbHalf, client.right, at + kThumbHalf};
    return RECT{at - kThumbHalf, 0, at + kThumbHalf, client.bottom};
}

RECT ChannelRect(HWND hwnd) {
    RECT client;
    GetClientRect(hwnd, &client);
    if (Vertical(hwnd)) {
        int mid = client.right / 2;
        return RECT{mid - 2, kChannelInset, mid + 2, client.bottom - kChannelInset};
    }
    int mid = client.bottom / 2;
    return RECT{kChannelInset, mid - 2, client.right - kChannelInset, mid + 2};
}

// The tic marks between the ends: those set by program, and with
// TBS_AUTOTICKS one every ticFrequency positions.
std::vector<int> InnerTics(HWND hwnd, const TrackbarState& state) {
    std::vector<int> tics = state.tics;
    if ((StyleOf(hwnd) & TBS_AUTOTICKS) && state.ticFrequency > 0)
        for (int p = state.min + state.ticFrequency; p < state.max; p += state.ticFrequency) tics.push_back(p);
    std::sort(tics.begin(), tics.end());
    tics.erase(std::unique(tics.begin(), tics.end()), tics.end());
    return tics;
}

void SetPos(HWND hwnd, TrackbarState& state, int pos) {
    pos = std::clamp(pos, state.min, std::max(state.min, state.max));
    if (pos == state.pos) return;
    state.pos = pos;
    InvalidateRect(hwnd, nullptr, TRUE);
}

void SetRange(HWND hwnd, TrackbarState& state, int min, int max) {
    state.min = min;
    state.max = max;
    if (!state.pageSizeSet) state.pageSize = std::max(1, (max - min) / 5);
    SetPos(hwnd, state, state.pos);
    InvalidateRect(hwnd, nullptr, TRUE);
}

void Notify(HWND hwnd, int code, int pos) {
    HWND parent = GetParent(hwnd);
    if (!parent) return;
    WORD high = (code == TB_THUMBTRACK || code == TB_THUMBPOSITION) ? static_cast<WORD>(pos) : 0;
    SendMessageA(parent, Vertical(hwnd) ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, high),
                 reinterpret_cast<LPARAM>(hwnd));
}

// The person moved the thumb: the position changes and, when it did, the parent hears of it.
void MoveByPerson(HWND hwnd, int code, int pos) {
    auto* state = ControlOf<TrackbarState>(hwnd);
    int old = state->pos;
    SetPos(hwnd, *state, pos);
    if (state->pos != old) Notify(hwnd, code, state->pos);
}

void KeyDown(HWND hwnd, int key) {
    auto* state = ControlOf<TrackbarState>(hwnd);
    switch (key) {
    case VK_LEFT:
    case VK_UP: MoveByPerson(hwnd, TB_LINEUP, state->pos - state->lineSize); break;
    case VK_RIGHT:
    case VK_DOWN: MoveByPerson(hwnd, TB_LINEDOWN, state->pos + state->lineSize); break;
    case VK_PRIOR: MoveByPerson(hwnd, TB_PAGEUP, state->pos - state->pageSize); break;
    case VK_NEXT: MoveByPerson(hwnd, TB_PAGEDOWN, state->pos + state->pageSize); break;
    case VK_HOME: MoveByPerson(hwnd, TB_TOP, state->min); break;
    case VK_END: MoveByPerson(hwnd, TB_BOTTOM, state->max); break;
    }
}

bool IsMovingKey(int key) {
    return key == VK_LEFT || key == VK_UP || key == VK_RIGHT || key == VK_DOWN || key == VK_PRIOR ||
           key == VK_NEXT || key == VK_HOME || key == VK_END;
}

int CoordOfPoint(HWND hwnd, LPARAM lParam) {
    return Vertical(hwnd) ? static_cast<SHORT>(HIWORD(lParam)) : static_cast<SHORT>(LOWORD(lParam));
}

void ButtonDown(HWND hwnd, LPARAM lParam) {
    auto* state = ControlOf<TrackbarState>(hwnd);
    SetFocus(hwnd);
    RECT thumb = ThumbRect(hwnd, *state);
    POINT at{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
    SetCapture(hwnd);
    if (PtInRect(&thumb, at)) {
        state->dragging = true;
        return;
    }
    int coord = CoordOfPoint(hwnd, lParam);
    if (coord < CoordOf(hwnd, *state, state->pos)) {
        MoveByPerson(hwnd, TB_PAGEUP, state->pos - state->pageSize);
    } else {
        MoveByPerson(hwnd, TB_PAGEDOWN, state->pos + state->pageSize);
    }
}

void ButtonUp(HWND hwnd) {
    auto* state = ControlOf<TrackbarState>(hwnd);
    if (GetCapture() != hwnd) return;
    bool dragged = state->dragging;
    ReleaseCapture();  // ends the drag
    if (dragged) Notify(hwnd, TB_THUMBPOSITION, state->pos);
    Notify(hwnd, TB_ENDTRACK, 0);
}

void Paint(HWND hwnd, const TrackbarState& state) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    RECT channel = ChannelRect(hwnd);
    FrameRect(dc, &channel, GetSysColorBrush(COLOR_BTNSHADOW));
    DWORD style = StyleOf(hwnd);
    if (!(style & TBS_NOTICKS)) {
        std::vector<int> tics = InnerTics(hwnd, state);
        tics.insert(tics.begin(), state.min);
        tics.push_back(state.max);
        bool before = (style & (TBS_TOP | TBS_BOTH)) != 0;  // top or left
        bool after = (style & TBS_TOP) == 0 || (style & TBS_BOTH);
        for (int tic : tics) {
            int at = CoordOf(hwnd, state, tic);
            int across = Vertical(hwnd) ? client.right : client.bottom;
            for (int side = 0; side < 2; ++side) {
                if ((side == 0 && !before) || (side == 1 && !after)) continue;
                int from = side == 0 ? 0 : across - kTicLength;
                RECT mark = Vertical(hwnd) ? RECT{from, at, from + kTicLength, at + 1}
                                           : RECT{at, from, at + 1, from + kTicLength};
                FillRect(dc, &mark, GetSysColorBrush(COLOR_WINDOWTEXT));
            }
        }
    }
    if (!(style & TBS_NOTHUMB)) {
        RECT thumb = ThumbRect(hwnd, state);
        FillRect(dc, &thumb, GetSysColorBrush(COLOR_BTNFACE));
        FrameRect(dc, &thumb, GetSysColorBrush(COLOR_WINDOWTEXT));
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK TrackbarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* state = ControlOf<TrackbarState>(hwnd);
    if (!state) return 0;
    switch (msg) {
    case WM_PAINT: Paint(hwnd, *state); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(hwnd, nullptr, TRUE); return 0;
    case WM_KEYDOWN: KeyDown(hwnd, static_cast<int>(wParam)); return 0;
    case WM_KEYUP:
        if (IsMovingKey(static_cast<int>(wParam))) Notify(hwnd, TB_ENDTRACK, 0);
        return 0;
    case WM_LBUTTONDOWN: ButtonDown(hwnd, lParam); return 0;
    case WM_MOUSEMOVE:
        if (state->dragging) MoveByPerson(hwnd, TB_THUMBTRACK, PosAt(hwnd, *state, CoordOfPoint(hwnd, lParam)));
        return 0;
    case WM_LBUTTONUP: ButtonUp(hwnd); return 0;
    case WM_CAPTURECHANGED: state->dragging = false; return 0;

    case TBM_GETPOS: return state->pos;
    case TBM_SETPOS: SetPos(hwnd, *state, static_cast<int>(lParam)); return 0;
    case TBM_GETRANGEMIN: return state->min;
    case TBM_GETRANGEMAX: return state->max;
    case TBM_SETRANGE:
        SetRange(hwnd, *state, static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam)));
        return 0;
    case TBM_SETRANGEMIN: SetRange(hwnd, *state, static_cast<int>(lParam), state->max); return 0;
    case TBM_SETRANGEMAX: SetRange(hwnd, *state, state->min, static_cast<int>(lParam)); return 0;
    case TBM_SETLINESIZE: return std::exchange(state->lineSize, static_cast<int>(lParam));
    case TBM_GETLINESIZE: return state->lineSize;
    case TBM_SETPAGESIZE:
        state->pageSizeSet = true;
        return std::exchange(state->pageSize, static_cast<int>(lParam));
    case TBM_GETPAGESIZE: return state->pageSize;
    case TBM_SETTICFREQ:
        state->ticFrequency = static_cast<int>(wParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case TBM_SETTIC: {
        int tic = static_cast<int>(lParam);
        if (tic <= state->min || tic >= state->max) return FALSE;
        state->tics.push_back(tic);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case TBM_CLEARTICS:
        state->tics.clear();
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case TBM_GETTIC: {
        std::vector<int> tics = InnerTics(hwnd, *state);
        return wParam < tics.size() ? tics[wParam] : -1;
    }
    case TBM_GETNUMTICS:
        return (StyleOf(hwnd) & TBS_NOTICKS) ? 0 : static_cast<LRESULT>(InnerTics(hwnd, *state).size() + 2);
    case TBM_SETSEL:
        state->selStart = static_cast<SHORT>(LOWORD(lParam));
        state->selEnd = static_cast<SHORT>(HIWORD(lParam));
        return 0;
    case TBM_SETSELSTART: state->selStart = static_cast<int>(lParam); return 0;
    case TBM_SETSELEND: state->selEnd = static_cast<int>(lParam); return 0;
    case TBM_GETSELSTART: return state->selStart;
    case TBM_GETSELEND: return state->selEnd;
    case TBM_CLEARSEL: state->selStart = state->selEnd = 0; return 0;
    case TBM_GETTHUMBRECT:
        if (auto* rect = reinterpret_cast<RECT*>(lParam)) *rect = ThumbRect(hwnd, *state);
        return 0;
    case TBM_GETCHANNELRECT:
        if (auto* rect = reinterpret_cast<RECT*>(lParam)) *rect = ChannelRect(hwnd);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

void RegisterTrackbarClass() { RegisterSystemClass(TRACKBAR_CLASSA, TrackbarProc, CS_GLOBALCLASS, 0); }

// The client point a person aims at to put the thumb on a position.
POINT TrackbarPointOf(HWND trackbar, int pos) {
    auto* state = ControlOf<TrackbarState>(trackbar);
    RECT client;
    GetClientRect(trackbar, &client);
    if (!state) return POINT{0, 0};
    int at = CoordOf(trackbar, *state, std::clamp(pos, state->min, std::max(state->min, state->max)));
    return Vertical(trackbar) ? POINT{client.right / 2, at} : POINT{at, client.bottom / 2};
}

}  // namespace vpr::user
