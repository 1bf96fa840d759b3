// The progress bar ("msctls_progress32"): a position within a range, shown
// as a bar filled from the left.
#include <algorithm>

#include "common_control.h"
#include "control.h"

namespace vpr::user {
namespace {

struct ProgressState : ControlState {
    int low = 0;
    int high = 100;
    int pos = 0;
    int step = 10;
};

LRESULT PackedRange(const ProgressState& state) {
    return MAKELRESULT(static_cast<WORD>(state.low), static_cast<WORD>(state.high));
}

// Moves to the position (kept within the range) and returns the old one.
int MoveTo(HWND hwnd, ProgressState& state, int pos) {
    int old = state.pos;
    state.pos = std::clamp(pos, state.low, std::max(state.low, state.high));
    if (state.pos != old) InvalidateRect(hwnd, nullptr, TRUE);
    return old;
}

LRESULT SetRange(HWND hwnd, ProgressState& state, int low, int high) {
    LRESULT old = PackedRange(state);
    state.low = low;
    state.high = high;
    MoveTo(hwnd, state, state.pos);
    InvalidateRect(hwnd, nullptr, TRUE);
    return old;
}

void Paint(HWND hwnd, const ProgressState& state) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    int span = state.high - state.low;
    if (span > 0 && state.pos > state.low) {
        RECT bar = client;
        bar.right = static_cast<LONG>(static_cast<int64_t>(client.right) * (state.pos - state.low) / span);
        FillRect(dc, &bar, GetSysColorBrush(COLOR_HIGHLIGHT));
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK ProgressProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* state = ControlOf<ProgressState>(hwnd);
    if (!state) return 0;
    switch (msg) {
    case WM_PAINT: Paint(hwnd, *state); return 0;
    case PBM_SETRANGE:
        return SetRange(hwnd, *state, static_cast<WORD>(LOWORD(lParam)), static_cast<WORD>(HIWORD(lParam)));
    case PBM_SETRANGE32: return SetRange(hwnd, *state, static_cast<int>(wParam), static_cast<int>(lParam));
    case PBM_GETRANGE: {
        if (auto* range = reinterpret_cast<PBRANGE*>(lParam)) *range = PBRANGE{state->low, state->high};
        return wParam ? state->low : state->high;
    }
    case PBM_SETPOS: return MoveTo(hwnd, *state, static_cast<int>(wParam));
    case PBM_DELTAPOS: return MoveTo(hwnd, *state, state->pos + static_cast<int>(wParam));
    case PBM_GETPOS: return state->pos;
    case PBM_SETSTEP: {
        int old = state->step;
        state->step = static_cast<int>(wParam);
        return old;
    }
    case PBM_STEPIT: {
        int next = state->pos + state->step;
        // Past either end the bar starts again from the other.
        if (next > state->high) next = state->low + (next - state->high);
        if (next < state->low) next = state->high - (state->low - next);
        return MoveTo(hwnd, *state, next);
    }
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

void RegisterProgressClass() { RegisterSystemClass(PROGRESS_CLASSA, ProgressProc, CS_GLOBALCLASS, 0); }

}  // namespace vpr::user
