// Internal state of the window system: windows, classes, the one lock that
// guards them, and the per-thread queues. Never included by the system.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "vpr/user/window.h"
#include "vpr/win/handle_table.h"

namespace vpr::user {

struct CaseLess {
    bool operator()(const std::string& a, const std::string& b) const;
};
bool EqualNoCase(const std::string& a, const std::string& b);

struct WindowClass {
    std::string name;
    ATOM atom = 0;
    UINT style = 0;
    WNDPROC proc = nullptr;
    int classExtra = 0;
    int windowExtra = 0;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    std::string menuName;
    bool system = false;
};

// State a control keeps beside its window (list box items, edit limits, ...).
class ControlState {
public:
    virtual ~ControlState() = default;
};

class ThreadQueue;
struct Surface;

// A window's own horizontal or vertical scroll bar.
struct ScrollBarState {
    int min = 0;
    int max = 0;
    UINT page = 0;
    int pos = 0;
};

struct Window : vpr::win::KernelObject {
    HWND handle = nullptr;
    std::shared_ptr<WindowClass> windowClass;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    LONG_PTR id = 0;  // a child's id; a top-level window's menu
    HINSTANCE instance = nullptr;
    HWND parent = nullptr;  // null for top-level windows
    HWND owner = nullptr;
    bool messageOnly = false;
    std::vector<HWND> children;  // creation order: tab order and z-order, top first
    std::string text;
    RECT rect{};  // in the parent's client coordinates, screen for top-level windows
    LONG_PTR userData = 0;
    std::vector<uint8_t> extra;  // the class's per-window bytes
    std::map<std::string, HANDLE, CaseLess> props;
    std::shared_ptr<ThreadQueue> queue;
    HFONT font = nullptr;
    bool created = false;     // WM_NCCREATE answered
    bool destroying = false;  // WM_DESTROY sent
    bool hasUpdate = false;   // some part needs painting
    bool eraseUpdate = false;
    RECT update{};  // bounding box of the invalid parts, client coordinates
    std::unique_ptr<ControlState> control;
    std::shared_ptr<Surface> surface;  // client-area pixels, made when first drawn on
    ScrollBarState scrollBars[2];      // SB_HORZ, SB_VERT
};

// The one lock of the window tree. Recursive so that helpers compose; never
// held while a window procedure runs.
std::recursive_mutex& WindowLock();
using Lock = std::unique_lock<std::recursive_mutex>;

// Window look-up; null when the handle names no live window.
std::shared_ptr<Window> FindWindowObject(HWND hwnd);
// Same, and sets ERROR_INVALID_WINDOW_HANDLE when it fails.
std::shared_ptr<Window> WindowOrError(HWND hwnd);

// Top-level windows in z-order, top first.
std::vector<HWND>& TopLevelWindows();
HWND DesktopHandle();

std::shared_ptr<WindowClass> FindClass(LPCSTR name, HINSTANCE instance);
// Registers a class of the window system (button, edit, dialog, ...).
void RegisterSystemClass(const char* name, WNDPROC proc, UINT style, int windowExtra);
void EnsureSystemClasses();
ATOM AddAtom(const std::string& name);

// Calls the window's current procedure on the calling thread.
LRESULT CallWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Insets of the non-client area (frame, caption, edges, scroll bars).
RECT NonClientInsets(DWORD style, DWORD exStyle);
// Client rectangle origin of a window in screen coordinates; (0,0) for the desktop.
POINT ClientOriginOnScreen(HWND hwnd);

// A message sent from one thread to a window of another.
struct SentMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool done = false;
    std::shared_ptr<ThreadQueue> sender;
};

class ThreadQueue {
public:
    explicit ThreadQueue(DWORD threadId) : threadId(threadId) {}

    const DWORD threadId;
    std::mutex mutex;
    std::condition_variable wake;
    // Guarded by mutex:
    std::deque<MSG> posted;
    std::deque<std::shared_ptr<SentMessage>> sent;
    bool quit = false;
    int quitCode = 0;
    bool paintPending = false;  // a window may need painting; rescanned
    bool alive = true;
    uint64_t changes = 0;   // counts arrivals, so waits see what is new
    uint64_t lookedAt = 0;  // the count when the thread last found nothing
    BYTE keys[256] = {};    // key states as of the last keyboard message taken

    // Owned by the thread itself (read by others under the window lock):
    HWND focus = nullptr;
    HWND active = nullptr;
    HWND capture = nullptr;
    std::vector<HWND> windows;  // windows this thread created, in creation order
    int inSend = 0;             // depth of sent messages being handled

    // Handles every message other threads sent to this one; called by the
    // owning thread only.
    void HandleSentMessages();
    // Records an arrival and wakes the thread; caller holds mutex.
    void Changed() {
        ++changes;
        wake.notify_all();
    }
};

// The calling thread's queue, made on first use.
ThreadQueue& CurrentQueue();
std::shared_ptr<ThreadQueue> CurrentQueuePtr();
std::shared_ptr<ThreadQueue> QueueOfThread(DWORD threadId);

// Destroys a window and its children in Windows order; caller is the owner thread.
void DestroyWindowTree(HWND hwnd);
// Marks the window as needing a paint and wakes its thread.
void MarkPaintPending(Window& window);
// Waits until something arrives that the thread has not looked at yet.
void WaitForChange(ThreadQueue& queue);

// Ancestor at the top of the parent chain (the window itself when top-level).
HWND TopLevelOf(HWND hwnd);

}  // namespace vpr::user
