// Accelerator tables: keys that become commands before a message is dispatched.
#include <algorithm>
#include <vector>

#include "common_control.h"
#include "module_resource.h"
#include "vpr/user/menu.h"
#include "vpr/win/error.h"
#include "vpr/win/resource_format.h"
#include "window_manager.h"

namespace vpr::user {
namespace {

struct AcceleratorTable : vpr::win::KernelObject {
    std::vector<ACCEL> entries;
};

std::shared_ptr<AcceleratorTable> TableOf(HACCEL handle) { return HandleObject<AcceleratorTable>(handle); }

bool Down(int key) { return GetKeyState(key) & 0x8000; }

// Whether the message is the entry's key with exactly its shift keys.
bool Matches(const ACCEL& entry, const MSG& msg) {
    bool alt = Down(VK_MENU) || msg.message == WM_SYSKEYDOWN || msg.message == WM_SYSCHAR;
    if (entry.fVirt & FVIRTKEY) {
        if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
        return entry.key == static_cast<WORD>(msg.wParam) && bool(entry.fVirt & FSHIFT) == Down(VK_SHIFT) &&
               bool(entry.fVirt & FCONTROL) == Down(VK_CONTROL) && bool(entry.fVirt & FALT) == alt;
    }
    if (msg.message != WM_CHAR && msg.message != WM_SYSCHAR) return false;
    return entry.key == static_cast<WORD>(msg.wParam) && bool(entry.fVirt & FALT) == alt;
}

}  // namespace
}  // namespace vpr::user

using namespace vpr::user;

extern "C" {

HACCEL WINAPI CreateAcceleratorTableA(LPACCEL entries, int count) {
    if (!entries || count <= 0) return nullptr;
    auto table = std::make_shared<AcceleratorTable>();
    table->entries.assign(entries, entries + count);
    return AddHandleObject<HACCEL>(std::move(table));
}

HACCEL WINAPI LoadAcceleratorsA(HINSTANCE instance, LPCSTR name) {
    const uint8_t* data = nullptr;
    size_t size = 0;
    std::vector<vpr::win::Accelerator> table;
    if (!FindResourceData(instance, name, RT_ACCELERATOR, &data, &size)) return nullptr;
    if (!vpr::win::DecodeAccelerators(data, size, &table) || table.empty()) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    std::vector<ACCEL> entries;
    for (const auto& entry : table) entries.push_back(ACCEL{static_cast<BYTE>(entry.flags), entry.key, entry.id});
    return CreateAcceleratorTableA(entries.data(), static_cast<int>(entries.size()));
}

BOOL WINAPI DestroyAcceleratorTable(HACCEL handle) {
    if (!TableOf(handle)) return FALSE;
    RemoveHandleObject(handle);
    return TRUE;
}

int WINAPI CopyAcceleratorTableA(HACCEL handle, LPACCEL out, int count) {
    auto table = TableOf(handle);
    if (!table) return 0;
    int size = static_cast<int>(table->entries.size());
    if (!out) return size;
    int copied = std::min(size, count);
    std::copy(table->entries.begin(), table->entries.begin() + copied, out);
    return copied;
}

// A matching key sends WM_COMMAND (HIWORD 1) to the window, unless the command
// is a grayed or disabled item of the window's menu; either way the key was
// the accelerator's and is not to be dispatched.
int WINAPI TranslateAcceleratorA(HWND hwnd, HACCEL handle, LPMSG msg) {
    auto table = TableOf(handle);
    if (!table || !msg || !IsWindow(hwnd)) return 0;
    for (const ACCEL& entry : table->entries) {
        if (!Matches(entry, *msg)) continue;
        HMENU menu = GetMenu(hwnd);
        UINT state = menu ? GetMenuState(menu, entry.cmd, MF_BYCOMMAND) : static_cast<UINT>(-1);
        bool blocked = state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED));
        if (!blocked) SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(entry.cmd, 1), 0);
        return 1;
    }
    return 0;
}

}  // extern "C"
