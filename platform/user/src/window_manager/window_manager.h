// Internal state of the window system: windows, classes, the one lock that
// guards them, and the per-thread queues. Never included by the system.
#pragma once

#include <atomic>
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
#include "vpr/win/waitable.h"

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

struct Window final : vpr::win::KernelObject {
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
// The screen of the machine (its machine.ini), origin at the top left.
RECT ScreenRect();

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

// Mouse input to a window at a point of its client area, as the mouse
// delivers it: the cursor moves to that point on the screen and the message
// is posted carrying it.
BOOL PostMouseInput(HWND hwnd, UINT message, WPARAM keys, POINT client);

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

// A timer of a thread (SetTimer): WM_TIMER is made when it is due and taken.
struct Timer {
    HWND hwnd = nullptr;  // null for a thread timer
    UINT_PTR id = 0;
    UINT elapse = 0;  // milliseconds of the platform clock
    TIMERPROC proc = nullptr;
    uint64_t due = 0;  // clock tick when the next WM_TIMER is due
};

class ThreadQueue;

// The queue as a waitable object: signalled while input of the kinds a wait
// asks for (QS_* bits) has arrived that the thread has not yet looked at.
// Lets message waits block in the platform's one wait (WaitCore), beside
// kernel objects and on the one clock.
class QueueArrival : public vpr::win::Waitable {
public:
    explicit QueueArrival(ThreadQueue& queue) : queue_(queue) {}
    // The QS_* kinds that wake the waits of the owning thread; set by that
    // thread before it waits.
    std::atomic<UINT> wakeMask{0};
    bool IsSignaled(uint64_t) override;

private:
    ThreadQueue& queue_;
};

class ThreadQueue {
public:
    explicit ThreadQueue(DWORD threadId)
        : threadId(threadId), arrival(std::make_shared<QueueArrival>(*this)) {}

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
    BYTE keys[256] = {};    // key states as of the last keyboard message taken
    // QS_* kinds of what arrived since the thread last found nothing to take.
    // Atomic so that waits read it under WaitCore's lock alone.
    std::atomic<UINT> newKinds{0};
    std::shared_ptr<QueueArrival> arrival;

    // Owned by the thread itself (read by others under the window lock):
    HWND focus = nullptr;
    HWND active = nullptr;
    HWND capture = nullptr;
    std::vector<HWND> windows;  // windows this thread created, in creation order
    int inSend = 0;             // depth of sent messages being handled
    POINT messagePos{0, 0};     // cursor position of the last message taken
    std::vector<Timer> timers;  // in the order they were set
    UINT_PTR nextThreadTimerId = 0;

    // Handles every message other threads sent to this one; called by the
    // owning thread only. True when there was any.
    bool HandleSentMessages();
    // Records an arrival of the given QS_* kind and wakes the thread, also
    // from a wait on kernel objects; caller holds mutex.
    void Changed(UINT kind) {
        newKinds |= kind;
        wake.notify_all();
        vpr::win::WaitCore::Instance().NotifyAll();
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
// Waits until something arrives that the thread has not looked at yet, or
// until a timer that the filter lets through is due.
void WaitForChange(ThreadQueue& queue, HWND filter = nullptr, UINT low = 0, UINT high = 0);

// Timers: the earliest due tick of the thread's timers that a GetMessageA
// filter lets through (none: UINT64_MAX); the due timer that becomes the next
// WM_TIMER; forgetting the timers of a dying window.
uint64_t NextTimerDue(ThreadQueue& queue, HWND filter);
bool TakeDueTimer(ThreadQueue& queue, HWND filter, bool remove, MSG* msg);
void KillWindowTimers(ThreadQueue& queue, HWND hwnd);
// True when a timer of the thread was set with the procedure.
bool IsTimerProc(ThreadQueue& queue, TIMERPROC proc);
// True when a window of the filter is the window or one of its descendants.
bool MatchesWindow(HWND message, HWND filter);

// Ancestor at the top of the parent chain (the window itself when top-level).
HWND TopLevelOf(HWND hwnd);

}  // namespace vpr::user
