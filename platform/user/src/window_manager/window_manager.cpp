#include "window_manager.h"

#include <algorithm>
#include <typeinfo>

#include "vpr/win/error.h"
#include "vpr/win/thread.h"

namespace vpr::user {

using vpr::win::HandleTable;

bool CaseLess::operator()(const std::string& a, const std::string& b) const {
    // Names are folded as the C library's default locale folds them: 'A' to
    // 'Z' only. Properties are looked up on every message a page gets, so
    // the fold is done here rather than through the locale.
    auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](unsigned char x, unsigned char y) { return fold(x) < fold(y); });
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && !CaseLess()(a, b) && !CaseLess()(b, a);
}

std::recursive_mutex& WindowLock() {
    static auto* mutex = new std::recursive_mutex;
    return *mutex;
}

std::shared_ptr<Window> FindWindowObject(HWND hwnd) {
    if (!hwnd) return nullptr;
    uintptr_t raw = reinterpret_cast<uintptr_t>(hwnd);
    if (raw > 0xFFFFFFFFu) return nullptr;
    // Every message looks its window up, often several times: the exact
    // type is compared rather than cast to (a window is never a base).
    std::shared_ptr<vpr::win::KernelObject> object = HandleTable::Instance().Get(static_cast<uint32_t>(raw));
    if (!object || typeid(*object) != typeid(Window)) return nullptr;
    return std::static_pointer_cast<Window>(std::move(object));
}

std::shared_ptr<Window> WindowOrError(HWND hwnd) {
    auto window = FindWindowObject(hwnd);
    if (!window) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return window;
}

std::vector<HWND>& TopLevelWindows() {
    static auto* list = new std::vector<HWND>;
    return *list;
}

namespace {

struct ClassTable {
    // Module classes by (module, name); global and system classes by name.
    std::map<std::pair<HINSTANCE, std::string>, std::shared_ptr<WindowClass>> local;
    std::map<std::string, std::shared_ptr<WindowClass>, CaseLess> global;
    std::map<std::string, std::shared_ptr<WindowClass>, CaseLess> system;
    std::map<std::string, ATOM, CaseLess> atoms;
    std::map<ATOM, std::string> atomNames;
};

ClassTable& Classes() {
    static auto* table = new ClassTable;
    return *table;
}

std::string ClassKey(LPCSTR name) {
    if (IS_INTRESOURCE(name)) {
        auto& names = Classes().atomNames;
        auto it = names.find(static_cast<ATOM>(reinterpret_cast<uintptr_t>(name)));
        return it == names.end() ? std::string() : it->second;
    }
    return name;
}

}  // namespace

ATOM AddAtom(const std::string& name) {
    Lock lock(WindowLock());
    auto& table = Classes();
    auto it = table.atoms.find(name);
    if (it != table.atoms.end()) return it->second;
    ATOM atom = static_cast<ATOM>(0xC000 + table.atoms.size());
    table.atoms.emplace(name, atom);
    table.atomNames.emplace(atom, name);
    return atom;
}

std::shared_ptr<WindowClass> FindClass(LPCSTR name, HINSTANCE instance) {
    EnsureSystemClasses();
    Lock lock(WindowLock());
    std::string key = ClassKey(name);
    if (key.empty()) return nullptr;
    auto& table = Classes();
    for (auto& [k, cls] : table.local)
        if (k.first == instance && EqualNoCase(k.second, key)) return cls;
    if (auto it = table.global.find(key); it != table.global.end()) return it->second;
    if (auto it = table.system.find(key); it != table.system.end()) return it->second;
    // A class of another module is still found when the caller names no module.
    if (!instance)
        for (auto& [k, cls] : table.local)
            if (EqualNoCase(k.second, key)) return cls;
    return nullptr;
}

void RegisterSystemClass(const char* name, WNDPROC proc, UINT style, int windowExtra) {
    Lock lock(WindowLock());
    auto cls = std::make_shared<WindowClass>();
    cls->name = name;
    cls->atom = AddAtom(name);
    cls->style = style | CS_GLOBALCLASS;
    cls->proc = proc;
    cls->windowExtra = windowExtra;
    cls->system = true;
    Classes().system[name] = cls;
}

DWORD CurrentThreadId() { return GetCurrentThreadId(); }

size_t WindowCount() {
    Lock lock(WindowLock());
    size_t count = 0;
    std::function<void(HWND)> add = [&](HWND hwnd) {
        auto window = FindWindowObject(hwnd);
        if (!window) return;
        ++count;
        for (HWND child : window->children) add(child);
    };
    for (HWND top : TopLevelWindows()) add(top);
    return count;
}

// ---- Thread queues ----

namespace {

std::map<DWORD, std::weak_ptr<ThreadQueue>>& QueueRegistry() {
    static auto* registry = new std::map<DWORD, std::weak_ptr<ThreadQueue>>;
    return *registry;
}

// Ends the thread's part in the window system when the thread ends: its
// windows are destroyed and whoever waits on a message sent to it gets 0.
struct QueueHolder {
    std::shared_ptr<ThreadQueue> queue;
    ~QueueHolder() {
        if (!queue) return;
        std::vector<HWND> windows;
        {
            Lock lock(WindowLock());
            windows = queue->windows;
        }
        for (HWND hwnd : windows) {
            auto window = FindWindowObject(hwnd);
            if (window && !window->destroying && (!window->parent || !FindWindowObject(window->parent)))
                DestroyWindowTree(hwnd);
        }
        std::deque<std::shared_ptr<SentMessage>> pending;
        {
            std::lock_guard guard(queue->mutex);
            queue->alive = false;
            pending.swap(queue->sent);
        }
        for (auto& sent : pending) {
            std::lock_guard guard(sent->sender->mutex);
            sent->done = true;
            sent->sender->wake.notify_all();
        }
        Lock lock(WindowLock());
        QueueRegistry().erase(queue->threadId);
    }
};

thread_local QueueHolder t_queue;

}  // namespace

std::shared_ptr<ThreadQueue> CurrentQueuePtr() {
    if (!t_queue.queue) {
        t_queue.queue = std::make_shared<ThreadQueue>(CurrentThreadId());
        Lock lock(WindowLock());
        QueueRegistry()[t_queue.queue->threadId] = t_queue.queue;
    }
    return t_queue.queue;
}

ThreadQueue& CurrentQueue() { return *CurrentQueuePtr(); }

std::shared_ptr<ThreadQueue> QueueOfThread(DWORD threadId) {
    if (threadId == CurrentThreadId()) return CurrentQueuePtr();
    Lock lock(WindowLock());
    auto it = QueueRegistry().find(threadId);
    return it == QueueRegistry().end() ? nullptr : it->second.lock();
}

bool ThreadQueue::HandleSentMessages() {
    for (bool handled = false;; handled = true) {
        std::shared_ptr<SentMessage> sent;
        {
            std::lock_guard guard(mutex);
            if (this->sent.empty()) {
                newKinds &= ~static_cast<UINT>(QS_SENDMESSAGE);
                return handled;
            }
            sent = this->sent.front();
            this->sent.pop_front();
        }
        ++inSend;
        LRESULT result = 0;
        if (FindWindowObject(sent->hwnd))
            result = CallWindow(sent->hwnd, sent->message, sent->wParam, sent->lParam);
        --inSend;
        std::lock_guard guard(sent->sender->mutex);
        sent->result = result;
        sent->done = true;
        sent->sender->wake.notify_all();
    }
}

// ---- Class registration ----

}  // namespace vpr::user

using namespace vpr::user;

extern "C" {

ATOM WINAPI RegisterClassA(const WNDCLASSA* wc) {
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    EnsureSystemClasses();
    Lock lock(WindowLock());
    std::string name = ClassKey(wc->lpszClassName);
    auto& table = Classes();
    bool global = wc->style & CS_GLOBALCLASS;
    bool exists = global ? table.global.contains(name)
                         : table.local.contains({wc->hInstance, name});
    if (!exists && !global)
        for (auto& [k, cls] : table.local)
            if (k.first == wc->hInstance && EqualNoCase(k.second, name)) exists = true;
    if (exists) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    auto cls = std::make_shared<WindowClass>();
    cls->name = name;
    cls->atom = AddAtom(name);
    cls->style = wc->style;
    cls->proc = wc->lpfnWndProc;
    cls->classExtra = wc->cbClsExtra;
    cls->windowExtra = wc->cbWndExtra;
    cls->instance = wc->hInstance;
    cls->icon = wc->hIcon;
    cls->cursor = wc->hCursor;
    cls->background = wc->hbrBackground;
    if (wc->lpszMenuName && !IS_INTRESOURCE(wc->lpszMenuName)) cls->menuName = wc->lpszMenuName;
    if (global)
        table.global[name] = cls;
    else
        table.local[{wc->hInstance, name}] = cls;
    return cls->atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance) {
    Lock lock(WindowLock());
    auto cls = FindClass(className, instance);
    if (!cls || cls->system) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    // A class still used by a window stays.
    for (auto& [key, queue] : QueueRegistry()) {
        auto q = queue.lock();
        if (!q) continue;
        for (HWND hwnd : q->windows) {
            auto window = FindWindowObject(hwnd);
            if (window && window->windowClass == cls) {
                SetLastError(ERROR_CLASS_HAS_WINDOWS);
                return FALSE;
            }
        }
    }
    auto& table = Classes();
    std::erase_if(table.local, [&](auto& entry) { return entry.second == cls; });
    std::erase_if(table.global, [&](auto& entry) { return entry.second == cls; });
    return TRUE;
}

BOOL WINAPI GetClassInfoA(HINSTANCE instance, LPCSTR className, WNDCLASSA* wc) {
    auto cls = FindClass(className, instance);
    if (!cls || !wc) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    wc->style = cls->style;
    wc->lpfnWndProc = cls->proc;
    wc->cbClsExtra = cls->classExtra;
    wc->cbWndExtra = cls->windowExtra;
    wc->hInstance = cls->instance;
    wc->hIcon = cls->icon;
    wc->hCursor = cls->cursor;
    wc->hbrBackground = cls->background;
    wc->lpszMenuName = cls->menuName.empty() ? nullptr : cls->menuName.c_str();
    wc->lpszClassName = cls->name.c_str();
    return TRUE;
}

int WINAPI GetClassNameA(HWND hwnd, LPSTR buffer, int size) {
    auto window = WindowOrError(hwnd);
    if (!window || !buffer || size <= 0) return 0;
    const std::string& name = window->windowClass->name;
    int n = std::min<int>(size - 1, static_cast<int>(name.size()));
    std::copy_n(name.data(), n, buffer);
    buffer[n] = 0;
    return n;
}

DWORD_PTR WINAPI GetClassLongA(HWND hwnd, int index) {
    auto window = WindowOrError(hwnd);
    if (!window) return 0;
    Lock lock(WindowLock());
    auto& cls = *window->windowClass;
    switch (index) {
    case GCL_STYLE: return cls.style;
    case GCL_WNDPROC: return reinterpret_cast<DWORD_PTR>(cls.proc);
    case GCL_HCURSOR: return reinterpret_cast<DWORD_PTR>(cls.cursor);
    case GCL_HBRBACKGROUND: return reinterpret_cast<DWORD_PTR>(cls.background);
    }
    SetLastError(ERROR_INVALID_INDEX);
    return 0;
}

DWORD_PTR WINAPI SetClassLongA(HWND hwnd, int index, LONG_PTR value) {
    auto window = WindowOrError(hwnd);
    if (!window) return 0;
    Lock lock(WindowLock());
    auto& cls = *window->windowClass;
    DWORD_PTR old = GetClassLongA(hwnd, index);
    switch (index) {
    case GCL_STYLE: cls.style = static_cast<UINT>(value); break;
    case GCL_WNDPROC: cls.proc = reinterpret_cast<WNDPROC>(value); break;
    case GCL_HCURSOR: cls.cursor = reinterpret_cast<HCURSOR>(value); break;
    case GCL_HBRBACKGROUND: cls.background = reinterpret_cast<HBRUSH>(value); break;
    }
    return old;
}

UINT WINAPI RegisterWindowMessageA(LPCSTR name) {
    if (!name || !*name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return AddAtom(name);
}

}  // extern "C"
