// The animation control ("SysAnimate32"): opens a clip (an "AVI" resource of
// a module or a file) and plays it. Frames are not decoded; what is opened
// and played is kept for tests (GetAnimation). Rules are in commctrl.h.
#include <string>

#include "common_control.h"
#include "control.h"
#include "vpr/win/file.h"
#include "vpr/win/module.h"

namespace vpr::user {
namespace {

struct AnimationState : ControlState {
    Animation clip;
};

void NotifyParentOf(HWND hwnd, int code) {
    if (GetParent(hwnd)) NotifyParent(hwnd, code);
}

void Stop(HWND hwnd, AnimationState& state) {
    if (!state.clip.playing) return;
    state.clip.playing = false;
    NotifyParentOf(hwnd, ACN_STOP);
}

bool Play(HWND hwnd, AnimationState& state, int repeat, UINT from, UINT to) {
    if (state.clip.clip.empty() || (to != 0xFFFF && from > to)) return false;
    Stop(hwnd, state);
    state.clip.playing = true;
    state.clip.repeat = repeat;
    state.clip.from = from;
    state.clip.to = to;
    ++state.clip.plays;
    NotifyParentOf(hwnd, ACN_START);
    // Without frames a counted play has nothing to wait for: it is over.
    if (repeat >= 0) Stop(hwnd, state);
    InvalidateRect(hwnd, nullptr, TRUE);
    return true;
}

bool Open(HWND hwnd, AnimationState& state, HINSTANCE module, LPCSTR name) {
    Stop(hwnd, state);
    state.clip = Animation{};
    InvalidateRect(hwnd, nullptr, TRUE);
    if (!name) return true;  // closed
    if (!module) module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd, GWLP_HINSTANCE));
    std::string clip;
    if (IS_INTRESOURCE(name)) {
        clip = "#" + std::to_string(reinterpret_cast<uintptr_t>(name));
    } else {
        clip = name;
    }
    if (FindResourceA(module, name, "AVI")) {
        state.clip.module = module;
    } else {
        DWORD attributes = IS_INTRESOURCE(name) ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(name);
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
    }
    state.clip.clip = clip;
    if (StyleOf(hwnd) & ACS_AUTOPLAY) Play(hwnd, state, -1, 0, 0xFFFF);
    return true;
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (!(StyleOf(hwnd) & ACS_TRANSPARENT)) {
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    }
    EndPaint(hwnd, &ps);
}

LRESULT CALLBACK AnimationProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* state = ControlOf<AnimationState>(hwnd);
    if (!state) return 0;
    switch (msg) {
    case WM_PAINT: Paint(hwnd); return 0;
    case ACM_OPENA:
        return Open(hwnd, *state, reinterpret_cast<HINSTANCE>(wParam), reinterpret_cast<LPCSTR>(lParam));
    case ACM_PLAY:
        return Play(hwnd, *state, static_cast<int>(wParam), LOWORD(lParam), HIWORD(lParam));
    case ACM_STOP:
        if (state->clip.clip.empty()) return FALSE;
        Stop(hwnd, *state);
        return TRUE;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace

void RegisterAnimationClass() { RegisterSystemClass(ANIMATE_CLASSA, AnimationProc, CS_GLOBALCLASS, 0); }

bool GetAnimation(HWND animation, Animation* out) {
    char name[32] = {};
    GetClassNameA(animation, name, sizeof name);
    if (!EqualNoCase(name, ANIMATE_CLASSA)) return false;
    auto* state = ControlOf<AnimationState>(animation);
    if (!state || !out) return false;
    *out = state->clip;
    return true;
}

}  // namespace vpr::user
