// The status bar ("msctls_statusbar32"): texts in parts along the bottom of
// its parent, or one simple text.
#include <algorithm>

#include "common_control.h"
#include "control.h"

namespace vpr::user {
namespace {

constexpr int kBarHeight = 20;

struct StatusPart {
    std::string text;
    UINT drawing = 0;  // SBT_* of the last SB_SETTEXT
};

struct StatusBarState : ControlState {
    std::vector<int> edges{-1};  // right edge of each part
    std::vector<StatusPart> parts{StatusPart{}};
    StatusPart simpleText;
    bool simple = false;
    HFONT font = nullptr;
};

// Docks the bar at the bottom of its parent's client area.
void Dock(HWND hwnd) {
    HWND parent = GetParent(hwnd);
    if (!parent) return;
    RECT client;
    GetClientRect(parent, &client);
    MoveWindow(hwnd, 0, client.bottom - kBarHeight, client.right, kBarHeight, TRUE);
}

StatusPart* PartOf(StatusBarState& state, int index) {
    if (index == SB_SIMPLEID) return &state.simpleText;
    if (index < 0 || index >= static_cast<int>(state.parts.size())) return nullptr;
    return &state.parts[index];
}

void Paint(HWND hwnd, StatusBarState& state) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (state.font) SelectObject(dc, state.font);
    SetBkMode(dc, TRANSPARENT);
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    if (state.simple) {
        DrawTextA(dc, state.simpleText.text.c_str(), -1, &client, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    } else {
        int left = 0;
        for (size_t i = 0; i < state.parts.size(); ++i) {
            int right = state.edges[i] < 0 ? client.right : state.edges[i];
            RECT part{left, 0, right, client.bottom};
            if (!(state.parts[i].drawing & SBT_NOBORDERS)) FrameRect(dc, &part, GetSysColorBrush(COLOR_BTNSHADOW));
            DrawTextA(dc, state.parts[i].text.c_str(), -1, &part, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
            left = right;
        }
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK StatusBarProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* state = ControlOf<StatusBarState>(hwnd);
    if (!state) return 0;
    switch (msg) {
    case WM_CREATE:
    case WM_SIZE: Dock(hwnd); return 0;
    case WM_SETFONT: state->font = reinterpret_cast<HFONT>(wParam); return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(state->font);
    case WM_PAINT: Paint(hwnd, *state); return 0;
    case WM_SETTEXT:
        // The window text is the first part's text, as on Windows.
        state->parts[0].text = lParam ? reinterpret_cast<const char*>(lParam) : "";
        DefWindowProcA(hwnd, msg, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    case SB_SETTEXTA: {
        StatusPart* part = PartOf(*state, static_cast<int>(wParam & 0xFF));
        if (!part) return FALSE;
        part->drawing = static_cast<UINT>(wParam) & 0xFF00;
        // An owner-drawn part keeps a value, not a text.
        part->text = (part->drawing & SBT_OWNERDRAW) || !lParam ? "" : reinterpret_cast<const char*>(lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case SB_GETTEXTA:
    case SB_GETTEXTLENGTHA: {
        StatusPart* part = PartOf(*state, static_cast<int>(wParam));
        if (!part) return 0;
        int length = msg == SB_GETTEXTA ? CopyOut(part->text, lParam) : static_cast<int>(part->text.size());
        return MAKELRESULT(length, part->drawing);
    }
    case SB_SETPARTS: {
        int count = static_cast<int>(wParam);
        auto* edges = reinterpret_cast<const int*>(lParam);
        if (count <= 0 || count > 256 || !edges) return FALSE;
        state->edges.assign(edges, edges + count);
        state->parts.resize(static_cast<size_t>(count));
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case SB_GETPARTS: {
        auto* edges = reinterpret_cast<int*>(lParam);
        int count = static_cast<int>(state->edges.size());
        if (edges) std::copy(state->edges.begin(), state->edges.begin() + std::min(count, static_cast<int>(wParam)), edges);
        return count;
    }
    case SB_SIMPLE:
        state->simple = wParam != 0;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case SB_ISSIMPLE: return state->simple;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

void RegisterStatusBarClass() { RegisterSystemClass(STATUSCLASSNAMEA, StatusBarProc, CS_GLOBALCLASS, 0); }

}  // namespace vpr::user
