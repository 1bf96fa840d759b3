// Creating and destroying windows, relations, enumeration, longs, props, text.
#include <algorithm>
#include <cstring>
#include <functional>
#include <unistd.h>

#include "window_manager.h"
#include "vpr/win/error.h"
#include "vpr/win/system.h"

namespace vpr::user {

using vpr::win::HandleTable;

namespace {

LRESULT CALLBACK DesktopProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

// The desktop's size until the machine's screen metrics are read.

std::vector<HWND>& SiblingsOf(Window& window) {
    if (window.parent) {
        if (auto parent = FindWindowObject(window.parent)) return parent->children;
    }
    return TopLevelWindows();
}

void Unlink(Window& window) {
    std::erase(SiblingsOf(window), window.handle);
}

// Sends WM_DESTROY to the window and then to every descendant, parents first.
void SendDestroy(HWND hwnd) {
    auto window = FindWindowObject(hwnd);
    if (!window) return;
    window->destroying = true;
    SendMessageA(hwnd, WM_DESTROY, 0, 0);
    std::vector<HWND> children;
    {
        Lock lock(WindowLock());
        children = window->children;
    }
    for (HWND child : children) SendDestroy(child);
}

// Sends WM_NCDESTROY children first and takes each window out of the table.
void FreeWindow(HWND hwnd) {
    auto window = FindWindowObject(hwnd);
    if (!window) return;
    std::vector<HWND> children;
    {
        Lock lock(WindowLock());
        children = window->children;
    }
    for (HWND child : children) FreeWindow(child);
    SendMessageA(hwnd, WM_NCDESTROY, 0, 0);
    {
        Lock lock(WindowLock());
        Unlink(*window);
        if (window->queue) {
            auto& queue = *window->queue;
            std::erase(queue.windows, hwnd);
            KillWindowTimers(queue, hwnd);
            if (queue.focus == hwnd) queue.focus = nullptr;
            if (queue.capture == hwnd) queue.capture = nullptr;
            if (queue.active == hwnd) queue.active = nullptr;
        }
        window->control.reset();
        HandleTable::Instance().Remove(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(hwnd)));
    }
    // Messages posted to the window go with it (PostMessageA posts nothing
    // more once the handle is gone).
    if (window->queue) {
        std::lock_guard guard(window->queue->mutex);
        std::erase_if(window->queue->posted, [hwnd](const MSG& msg) { return msg.hwnd == hwnd; });
    }
}

bool InSubtree(HWND root, HWND hwnd) {
    for (HWND h = hwnd; h;) {
        if (h == root) return true;
        auto window = FindWindowObject(h);
        h = window ? window->parent : nullptr;
    }
    return false;
}

LONG_PTR ReadExtra(const Window& window, int index) {
    size_t at = static_cast<size_t>(index);
    size_t width = at + 8 <= window.extra.size() ? 8 : 4;
    LONG_PTR value = 0;
    for (size_t i = 0; i < width; ++i)
        value |= static_cast<LONG_PTR>(window.extra[at + i]) << (8 * i);
    if (width == 4) value = static_cast<int32_t>(value);
    return value;
}

void WriteExtra(Window& window, int index, LONG_PTR value) {
    size_t at = static_cast<size_t>(index);
    size_t width = at + 8 <= window.extra.size() ? 8 : 4;
    for (size_t i = 0; i < width; ++i)
        window.extra[at + i] = static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i));
}

std::string PropKey(LPCSTR name) {
    if (IS_INTRESOURCE(name)) return "#" + std::to_string(reinterpret_cast<uintptr_t>(name));
    return name;
}

bool NameMatches(const std::shared_ptr<Window>& window, LPCSTR className, LPCSTR title) {
    if (className) {
        if (IS_INTRESOURCE(className)) {
            if (window->windowClass->atom != static_cast<ATOM>(reinterpret_cast<uintptr_t>(className)))
                return false;
        } else if (!EqualNoCase(window->windowClass->name, className)) {
            return false;
        }
    }
    return !title || EqualNoCase(window->text, title);
}

}  // namespace

RECT ScreenRect() { return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

HWND DesktopHandle() {
    static std::shared_ptr<Window> desktop = [] {
        RegisterSystemClass("#32769", DesktopProc, 0, 0);
        auto window = std::make_shared<Window>();
        window->windowClass = FindClass("#32769", nullptr);
        window->proc = DesktopProc;
        window->style = WS_VISIBLE | WS_POPUP | WS_CLIPCHILDREN;
        window->created = true;
        uint32_t value = HandleTable::Instance().Add(window);
        window->handle = reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
        return window;
    }();
    // The desktop is as large as the screen of the machine the process runs on.
    Lock lock(WindowLock());
    desktop->rect = ScreenRect();
    return desktop->handle;
}

namespace {

// What a window may take before its procedure says otherwise: the screen,
// with the frame just outside it when maximized; any size from nothing up
// to the screen's and the frame's.
MINMAXINFO DefaultMinMaxInfo(DWORD style, DWORD exStyle) {
    RECT screen = ScreenRect();
    RECT insets = NonClientInsets(style & ~static_cast<DWORD>(WS_CAPTION | WS_VSCROLL | WS_HSCROLL), exStyle);
    MINMAXINFO info{};
    info.ptMaxSize = POINT{screen.right + insets.left + insets.right, screen.bottom + insets.top + insets.bottom};
    info.ptMaxPosition = POINT{-insets.left, -insets.top};
    info.ptMaxTrackSize = info.ptMaxSize;
    return info;
}

}  // namespace

HWND TopLevelOf(HWND hwnd) {
    Lock lock(WindowLock());
    HWND top = hwnd;
    for (auto window = FindWindowObject(hwnd); window && window->parent;
         window = FindWindowObject(window->parent))
        top = window->parent;
    return top;
}

void DestroyWindowTree(HWND hwnd) {
    auto window = FindWindowObject(hwnd);
    if (!window || window->destroying) return;

    // Owned pop-ups go first.
    std::vector<HWND> owned;
    {
        Lock lock(WindowLock());
        for (HWND top : TopLevelWindows()) {
            auto other = FindWindowObject(top);
            if (other && other->owner == hwnd) owned.push_back(top);
        }
    }
    for (HWND popup : owned) DestroyWindowTree(popup);

    if (window->style & WS_VISIBLE)
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (window->parent && (window->style & WS_CHILD) && !(window->exStyle & WS_EX_NOPARENTNOTIFY))
        SendMessageA(window->parent, WM_PARENTNOTIFY,
                     MAKEWPARAM(WM_DESTROY, static_cast<WORD>(window->id)),
                     reinterpret_cast<LPARAM>(hwnd));

    auto& queue = *window->queue;
    if (queue.focus && InSubtree(hwnd, queue.focus)) {
        HWND focus = queue.focus;
        queue.focus = nullptr;
        SendMessageA(focus, WM_KILLFOCUS, 0, 0);
    }
    if (queue.capture && InSubtree(hwnd, queue.capture)) queue.capture = nullptr;
    bool wasActive = queue.active == hwnd;
    if (wasActive) queue.active = nullptr;

    SendDestroy(hwnd);
    FreeWindow(hwnd);

    // The owner takes over the activation of a destroyed active window.
    if (wasActive && window->owner && IsWindow(window->owner) && !queue.active)
        SetActiveWindow(window->owner);
}

}  // namespace vpr::user

using namespace vpr::user;

extern "C" {

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style,
                            int x, int y, int width, int height, HWND parentArg, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
    auto cls = FindClass(className, instance);
    if (!cls) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    HWND parent = nullptr;
    HWND owner = nullptr;
    bool messageOnly = parentArg == HWND_MESSAGE;
    if (parentArg == DesktopHandle()) parentArg = nullptr;
    if (!messageOnly && parentArg && !FindWindowObject(parentArg)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (style & WS_CHILD) {
        if (!parentArg && !messageOnly) {
            SetLastError(ERROR_TLW_WITH_WSCHILD);
            return nullptr;
        }
        parent = messageOnly ? nullptr : parentArg;
    } else if (parentArg && !messageOnly) {
        owner = TopLevelOf(parentArg);
    }

    auto window = std::make_shared<Window>();
    window->windowClass = cls;
    window->proc = cls->proc;
    window->style = style & ~static_cast<DWORD>(WS_VISIBLE);
    window->exStyle = exStyle;
    window->id = reinterpret_cast<LONG_PTR>(menu);
    window->instance = instance;
    window->parent = parent;
    window->owner = owner;
    window->messageOnly = messageOnly;
    window->extra.resize(static_cast<size_t>(std::max(cls->windowExtra, 0)));
    window->queue = CurrentQueuePtr();
    if (!parent) {
        // Top-level windows without a place get the desktop's top-left corner
        // and three quarters of its size.
        if (x == CW_USEDEFAULT) x = y = 0;
        if (width == CW_USEDEFAULT) {
            RECT screen = ScreenRect();
            width = screen.right * 3 / 4;
            height = screen.bottom * 3 / 4;
        }
    } else {
        if (x == CW_USEDEFAULT) x = y = 0;
        if (width == CW_USEDEFAULT) width = height = 0;
    }

    HWND hwnd;
    {
        Lock lock(WindowLock());
        uint32_t value = HandleTable::Instance().Add(window);
        hwnd = reinterpret_cast<HWND>(static_cast<uintptr_t>(value));
        window->handle = hwnd;
        if (parent)
            FindWindowObject(parent)->children.push_back(hwnd);
        else if (!messageOnly)
            TopLevelWindows().insert(TopLevelWindows().begin(), hwnd);
        window->queue->windows.push_back(hwnd);
    }

    // An overlapped or sizeable window is first asked the sizes it may take.
    if ((style & WS_THICKFRAME) || !(style & (WS_POPUP | WS_CHILD))) {
        MINMAXINFO limits = DefaultMinMaxInfo(style, exStyle);
        SendMessageA(hwnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        width = std::clamp(width, std::min(limits.ptMinTrackSize.x, limits.ptMaxTrackSize.x), limits.ptMaxTrackSize.x);
        height = std::clamp(height, std::min(limits.ptMinTrackSize.y, limits.ptMaxTrackSize.y), limits.ptMaxTrackSize.y);
    }
    window->rect = RECT{x, y, x + width, y + height};

    CREATESTRUCTA cs{param, instance, menu, parentArg, height, width, y, x,
                     static_cast<LONG>(style), windowName, className, exStyle};
    if (!SendMessageA(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        window->destroying = true;
        FreeWindow(hwnd);
        return nullptr;
    }
    window->created = true;
    RECT frame = window->rect;
    SendMessageA(hwnd, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&frame));
    if (SendMessageA(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindowTree(hwnd);
        return nullptr;
    }
    if (!IsWindow(hwnd)) return nullptr;

    RECT client;
    GetClientRect(hwnd, &client);
    SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    POINT origin{0, 0};
    MapWindowPoints(hwnd, parent, &origin, 1);
    SendMessageA(hwnd, WM_MOVE, 0, MAKELPARAM(origin.x, origin.y));
    if (parent && !(exStyle & WS_EX_NOPARENTNOTIFY))
        SendMessageA(parent, WM_PARENTNOTIFY, MAKEWPARAM(WM_CREATE, static_cast<WORD>(window->id)),
                     reinterpret_cast<LPARAM>(hwnd));
    if (!IsWindow(hwnd)) return nullptr;
    if (style & WS_VISIBLE) ShowWindow(hwnd, SW_SHOW);
    return hwnd;
}

BOOL WINAPI DestroyWindow(HWND hwnd) {
    auto window = WindowOrError(hwnd);
    if (!window || hwnd == DesktopHandle()) return FALSE;
    if (window->queue.get() != &CurrentQueue()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    DestroyWindowTree(hwnd);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND hwnd) { return FindWindowObject(hwnd) != nullptr; }

BOOL WINAPI IsChild(HWND parent, HWND hwnd) {
    Lock lock(WindowLock());
    auto window = FindWindowObject(hwnd);
    if (!window || !parent) return FALSE;
    for (HWND p = window->parent; p;) {
        if (p == parent) return TRUE;
        auto up = FindWindowObject(p);
        p = up ? up->parent : nullptr;
    }
    return FALSE;
}

HWND WINAPI GetDesktopWindow(void) { return DesktopHandle(); }

HWND WINAPI GetParent(HWND hwnd) {
    Lock lock(WindowLock());
    auto window = WindowOrError(hwnd);
    if (!window) return nullptr;
    if (window->style & WS_CHILD) return window->parent;
    if (window->style & WS_POPUP) return window->owner;
    return nullptr;
}

HWND WINAPI SetParent(HWND child, HWND newParent) {
    Lock lock(WindowLock());
    auto window = WindowOrError(child);
    if (!window) return nullptr;
    if (newParent == DesktopHandle()) newParent = nullptr;
    auto parentWindow = newParent ? WindowOrError(newParent) : nullptr;
    if (newParent && (!parentWindow || InSubtree(child, newParent))) return nullptr;
    HWND old = window->parent ? window->parent : DesktopHandle();
    Unlink(*window);
    window->parent = newParent;
    if (parentWindow)
        parentWindow->children.push_back(child);
    else
        TopLevelWindows().insert(TopLevelWindows().begin(), child);
    return old;
}

HWND WINAPI GetWindow(HWND hwnd, UINT command) {
    Lock lock(WindowLock());
    auto window = WindowOrError(hwnd);
    if (!window) return nullptr;
    if (command == GW_CHILD) return window->children.empty() ? nullptr : window->children.front();
    if (command == GW_OWNER) return window->owner;
    if (window->messageOnly) return nullptr;
    auto& siblings = SiblingsOf(*window);
    if (siblings.empty()) return nullptr;
    auto it = std::find(siblings.begin(), siblings.end(), hwnd);
    switch (command) {
    case GW_HWNDFIRST: return siblings.front();
    case GW_HWNDLAST: return siblings.back();
    case GW_HWNDNEXT: return (it == siblings.end() || it + 1 == siblings.end()) ? nullptr : *(it + 1);
    case GW_HWNDPREV: return (it == siblings.end() || it == siblings.begin()) ? nullptr : *(it - 1);
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
}

HWND WINAPI GetTopWindow(HWND hwnd) {
    if (!hwnd || hwnd == DesktopHandle()) {
        Lock lock(WindowLock());
        return TopLevelWindows().empty() ? nullptr : TopLevelWindows().front();
    }
    return GetWindow(hwnd, GW_CHILD);
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
    Lock lock(WindowLock());
    auto window = WindowOrError(dialog);
    if (!window) return nullptr;
    for (HWND child : window->children) {
        auto control = FindWindowObject(child);
        if (control && static_cast<int>(control->id) == id) return child;
    }
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

int WINAPI GetDlgCtrlID(HWND hwnd) {
    Lock lock(WindowLock());
    auto window = WindowOrError(hwnd);
    if (!window || !(window->style & WS_CHILD)) return 0;
    return static_cast<int>(window->id);
}

DWORD WINAPI GetWindowThreadProcessId(HWND hwnd, LPDWORD processId) {
    auto window = WindowOrError(hwnd);
    if (!window) return 0;
    if (processId) *processId = static_cast<DWORD>(::getpid());
    return window->queue ? window->queue->threadId : 0;
}

BOOL WINAPI EnumWindows(WNDENUMPROC proc, LPARAM lParam) {
    std::vector<HWND> windows;
    {
        Lock lock(WindowLock());
        windows = TopLevelWindows();
    }
    for (HWND hwnd : windows)
        if (IsWindow(hwnd) && !proc(hwnd, lParam)) return FALSE;
    return TRUE;
}

BOOL WINAPI EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam) {
    if (!parent || parent == DesktopHandle()) return EnumWindows(proc, lParam);
    if (!WindowOrError(parent)) return FALSE;
    // Depth first: each child, then its own children. Windows destroyed by the
    // callback are skipped.
    std::function<bool(HWND)> walk = [&](HWND hwnd) {
        std::vector<HWND> children;
        {
            Lock lock(WindowLock());
            auto window = FindWindowObject(hwnd);
            if (!window) return true;
            children = window->children;
        }
        for (HWND child : children) {
            if (!IsWindow(child)) continue;
            if (!proc(child, lParam) || !walk(child)) return false;
        }
        return true;
    };
    return walk(parent) ? TRUE : FALSE;
}

BOOL WINAPI EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM lParam) {
    std::vector<HWND> windows;
    {
        Lock lock(WindowLock());
        for (HWND hwnd : TopLevelWindows()) {
            auto window = FindWindowObject(hwnd);
            if (window && window->queue && window->queue->threadId == threadId)
                windows.push_back(hwnd);
        }
    }
    for (HWND hwnd : windows)
        if (IsWindow(hwnd) && !proc(hwnd, lParam)) return FALSE;
    return TRUE;
}

HWND WINAPI FindWindowExA(HWND parent, HWND after, LPCSTR className, LPCSTR title) {
    Lock lock(WindowLock());
    std::vector<HWND> candidates;
    if (parent == HWND_MESSAGE) {
        auto& windows = CurrentQueue().windows;
        for (HWND hwnd : windows) {
            auto window = FindWindowObject(hwnd);
            if (window && window->messageOnly) candidates.push_back(hwnd);
        }
    } else if (!parent || parent == DesktopHandle()) {
        candidates = TopLevelWindows();
    } else {
        auto window = WindowOrError(parent);
        if (!window) return nullptr;
        candidates = window->children;
    }
    auto it = candidates.begin();
    if (after) {
        it = std::find(candidates.begin(), candidates.end(), after);
        if (it == candidates.end()) return nullptr;
        ++it;
    }
    for (; it != candidates.end(); ++it) {
        auto window = FindWindowObject(*it);
        if (window && NameMatches(window, className, title)) return *it;
    }
    return nullptr;
}

HWND WINAPI FindWindowA(LPCSTR className, LPCSTR title) {
    return FindWindowExA(nullptr, nullptr, className, title);
}

namespace {

// A value of the window's GetWindowLongA table; the window lock is held.
LONG_PTR ReadLong(const Window& window, int index) {
    if (index >= 0) {
        if (static_cast<size_t>(index) + 4 > window.extra.size()) {
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
        }
        return ReadExtra(window, index);
    }
    switch (index) {
    case GWL_WNDPROC: return reinterpret_cast<LONG_PTR>(window.proc);
    case GWL_HINSTANCE: return reinterpret_cast<LONG_PTR>(window.instance);
    case GWL_HWNDPARENT: return reinterpret_cast<LONG_PTR>(window.parent ? window.parent : window.owner);
    case GWL_STYLE: return static_cast<LONG>(window.style);
    case GWL_EXSTYLE: return static_cast<LONG>(window.exStyle);
    case GWL_USERDATA: return window.userData;
    case GWL_ID: return window.id;
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}

}  // namespace

LONG_PTR WINAPI GetWindowLongA(HWND hwnd, int index) {
    Lock lock(WindowLock());
    auto window = WindowOrError(hwnd);
    return window ? ReadLong(*window, index) : 0;
}

LONG_PTR WINAPI SetWindowLongA(HWND hwnd, int index, LONG_PTR value) {
    auto window = WindowOrError(hwnd);
    if (!window) return 0;
    if (index == GWL_STYLE || index == GWL_EXSTYLE) {
        // Style changes are told to the window before and after, as on Windows.
        STYLESTRUCT change;
        {
            Lock lock(WindowLock());
            change.styleOld = index == GWL_STYLE ? window->style : window->exStyle;
        }
        change.styleNew = static_cast<DWORD>(value);
        SendMessageA(hwnd, WM_STYLECHANGING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
        {
            Lock lock(WindowLock());
            (index == GWL_STYLE ? window->style : window->exStyle) = change.styleNew;
        }
        SendMessageA(hwnd, WM_STYLECHANGED, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
        return static_cast<LONG>(change.styleOld);
    }
    Lock lock(WindowLock());
    LONG_PTR old = ReadLong(*window, index);
    if (index >= 0) {
        if (static_cast<size_t>(index) + 4 > window->extra.size()) return 0;
        WriteExtra(*window, index, value);
        return old;
    }
    switch (index) {
    case GWL_WNDPROC: window->proc = reinterpret_cast<WNDPROC>(value); break;
    case GWL_HINSTANCE: window->instance = reinterpret_cast<HINSTANCE>(value); break;
    case GWL_HWNDPARENT:
        if (window->parent)
            return reinterpret_cast<LONG_PTR>(SetParent(hwnd, reinterpret_cast<HWND>(value)));
        window->owner = reinterpret_cast<HWND>(value);
        break;
    case GWL_USERDATA: window->userData = value; break;
    case GWL_ID: window->id = value; break;
    default: SetLastError(ERROR_INVALID_INDEX); return 0;
    }
    return old;
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hwnd, int index) { return GetWindowLongA(hwnd, index); }
LONG_PTR WINAPI SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value) {
    return SetWindowLongA(hwnd, index, value);
}

LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}

BOOL WINAPI SetPropA(HWND hwnd, LPCSTR name, HANDLE data) {
    Lock lock(WindowLock());
    auto window = WindowOrError(hwnd);
    if (!window || !name) return FALSE;
    window->props[PropKey(name)] = data;
    return TRUE;
}

HANDLE WINAPI GetPropA(HWND hwnd, LPCSTR name) {
    Lock lock(WindowLock());
    auto window = FindWindowObject(hwnd);
    if (!window || !name) return nullptr;
    auto it = window->props.find(PropKey(name));
    return it == window->props.end() ? nullptr : it->second;
}

HANDLE WINAPI RemovePropA(HWND hwnd, LPCSTR name) {
    Lock lock(WindowLock());
    auto window = FindWindowObject(hwnd);
    if (!window || !name) return nullptr;
    auto it = window->props.find(PropKey(name));
    if (it == window->props.end()) return nullptr;
    HANDLE data = it->second;
    window->props.erase(it);
    return data;
}

BOOL WINAPI SetWindowTextA(HWND hwnd, LPCSTR text) {
    if (!WindowOrError(hwnd)) return FALSE;
    return SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

int WINAPI GetWindowTextA(HWND hwnd, LPSTR buffer, int size) {
    auto window = WindowOrError(hwnd);
    if (!window || !buffer || size <= 0) return 0;
    // A window of another thread is read directly, so that a hung owner
    // cannot block the caller.
    if (window->queue.get() == &CurrentQueue())
        return static_cast<int>(SendMessageA(hwnd, WM_GETTEXT, static_cast<WPARAM>(size),
                                             reinterpret_cast<LPARAM>(buffer)));
    Lock lock(WindowLock());
    int n = std::min<int>(size - 1, static_cast<int>(window->text.size()));
    std::memcpy(buffer, window->text.data(), static_cast<size_t>(n));
    buffer[n] = 0;
    return n;
}

int WINAPI GetWindowTextLengthA(HWND hwnd) {
    auto window = WindowOrError(hwnd);
    if (!window) return 0;
    if (window->queue.get() == &CurrentQueue())
        return static_cast<int>(SendMessageA(hwnd, WM_GETTEXTLENGTH, 0, 0));
    Lock lock(WindowLock());
    return static_cast<int>(window->text.size());
}

}  // extern "C"
