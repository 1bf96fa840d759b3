#include "keyboard.h"

namespace vpr::user {

namespace {
constexpr BYTE kDown = 0x80;
constexpr BYTE kToggled = 0x01;

void SetKey(BYTE* keys, int vk, bool down) {
    vk &= 0xFF;
    if (down) {
        if (!(keys[vk] & kDown)) keys[vk] ^= kToggled;
        keys[vk] |= kDown;
    } else {
        keys[vk] &= static_cast<BYTE>(~kDown);
    }
}
}  // namespace

void NoteKeyMessage(ThreadQueue& queue, const MSG& msg) {
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: SetKey(queue.keys, static_cast<int>(msg.wParam), true); break;
    case WM_KEYUP:
    case WM_SYSKEYUP: SetKey(queue.keys, static_cast<int>(msg.wParam), false); break;
    default: break;
    }
}

void SetKeyHeld(int vk, bool down) { SetKey(CurrentQueue().keys, vk, down); }

int CharOfKey(int vk) {
    bool shift = CurrentQueue().keys[VK_SHIFT] & kDown;
    if (vk >= 'A' && vk <= 'Z') return shift ? vk : vk - 'A' + 'a';
    if (vk >= '0' && vk <= '9' && !shift) return vk;
    switch (vk) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_ESCAPE: return 0x1B;
    case VK_BACK: return '\b';
    case VK_TAB: return '\t';
    default: return -1;
    }
}

}  // namespace vpr::user

using namespace vpr::user;

extern "C" {

SHORT WINAPI GetKeyState(int vk) {
    BYTE state = CurrentQueue().keys[vk & 0xFF];
    return static_cast<SHORT>(((state & kDown) ? 0x8000 : 0) | (state & kToggled));
}

SHORT WINAPI GetAsyncKeyState(int vk) {
    return static_cast<SHORT>(GetKeyState(vk) & 0x8000);
}

}  // extern "C"
