// Posting, sending and taking messages; the rules for messages between threads.
#include <algorithm>
#include <atomic>
#include <mutex>

#include "keyboard.h"
#include "window_manager.h"
#include "vpr/win/clock.h"
#include "vpr/win/error.h"
#include "vpr/win/thread.h"

namespace vpr::user {

LRESULT CallWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc;
    {
        Lock lock(WindowLock());
        auto window = FindWindowObject(hwnd);
        if (!window) return 0;
        proc = window->proc;
    }
    return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}

namespace {

// The one cursor of the screen. Every posted message reads it, so it is one
// atomic word rather than a lock.
std::atomic<POINT>& TheCursor() {
    static std::atomic<POINT> cursor{POINT{0, 0}};
    return cursor;
}

POINT CursorNow() { return TheCursor().load(std::memory_order_relaxed); }

void MoveCursor(POINT to) { TheCursor().store(to, std::memory_order_relaxed); }

// The message as taken: synthesized ones carry the cursor position of now,
// and the thread remembers the position for GetMessagePos.
bool Took(ThreadQueue& queue, MSG* msg, bool synthesized) {
    if (synthesized) msg->pt = CursorNow();
    queue.messagePos = msg->pt;
    return true;
}

bool IsVisibleChain(const std::shared_ptr<Window>& window) {
    for (auto w = window; w; w = FindWindowObject(w->parent))
        if (!(w->style & WS_VISIBLE)) return false;
    return true;
}

bool MatchesRange(UINT message, UINT low, UINT high) {
    if (low == 0 && high == 0) return true;
    return message >= low && message <= high;
}

// Finds a window of this thread that needs painting.
HWND FindWindowToPaint(ThreadQueue& queue, HWND filter) {
    Lock lock(WindowLock());
    for (HWND hwnd : queue.windows) {
        auto window = FindWindowObject(hwnd);
        if (window && window->hasUpdate && IsVisibleChain(window) &&
            MatchesWindow(hwnd, filter))
            return hwnd;
    }
    return nullptr;
}

// One pass over the queue in Windows order: sent messages (handled here),
// posted messages, the quit message, paint, a due timer. Returns true when
// msg was filled. When nothing fits, the thread has seen all that arrived.
bool TakeMessage(ThreadQueue& queue, MSG* msg, HWND filter, UINT low, UINT high, bool remove) {
    queue.HandleSentMessages();
    {
        Lock lock(WindowLock());  // order: window lock, then queue lock
        std::lock_guard guard(queue.mutex);
        for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
            if (!MatchesRange(it->message, low, high) || !MatchesWindow(it->hwnd, filter)) continue;
            *msg = *it;
            if (remove) {
                queue.posted.erase(it);
                NoteKeyMessage(queue, *msg);
            }
            return Took(queue, msg, false);
        }
        if (queue.quit && MatchesRange(WM_QUIT, low, high) &&
            (filter == nullptr || filter == reinterpret_cast<HWND>(-1))) {
            *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0, 0, {}};
            if (remove) queue.quit = false;
            return Took(queue, msg, true);
        }
        if (queue.paintPending && MatchesRange(WM_PAINT, low, high)) {
            if (HWND paint = FindWindowToPaint(queue, filter)) {
                *msg = MSG{paint, WM_PAINT, 0, 0, 0, {}};
                return Took(queue, msg, true);
            }
            if (!filter) queue.paintPending = false;
        }
    }
    if (MatchesRange(WM_TIMER, low, high) && TakeDueTimer(queue, filter, remove, msg)) return Took(queue, msg, true);
    std::lock_guard guard(queue.mutex);
    if (queue.sent.empty()) queue.newKinds = 0;
    return false;
}

// The QS_* kind a posted message counts as.
UINT KindOfPosted(UINT message) {
    if (message >= WM_KEYDOWN && message <= WM_SYSCHAR) return QS_KEY;
    if (message == WM_MOUSEMOVE) return QS_MOUSEMOVE;
    if (message > WM_MOUSEMOVE && message <= WM_RBUTTONDBLCLK) return QS_MOUSEBUTTON;
    return QS_POSTMESSAGE;
}

// Milliseconds from now until the tick, for a wait's time-out.
DWORD MsUntil(uint64_t tick) {
    if (tick == UINT64_MAX) return INFINITE;
    uint64_t now = vpr::win::CurrentClock()->TickMs();
    if (tick <= now) return 0;
    return static_cast<DWORD>(std::min<uint64_t>(tick - now, INFINITE - 1));
}

// Waits in the platform's one wait for the objects and the queue's arrivals
// of the kinds asked for (sent messages always wake it, so they are handled
// at once), at most timeoutMs. The queue's index in the result is
// objects.size(); sent messages are handled here.
DWORD WaitForQueueAndObjects(ThreadQueue& queue, std::vector<std::shared_ptr<vpr::win::Waitable>> objects,
                             bool waitAll, DWORD timeoutMs, UINT wakeMask) {
    queue.arrival->wakeMask = wakeMask | QS_SENDMESSAGE;
    objects.push_back(queue.arrival);
    return vpr::win::WaitForObjects(objects, waitAll, timeoutMs);
}

// Posts to a window's queue a message that carries the cursor position pt.
BOOL PostToWindow(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, POINT pt) {
    auto window = WindowOrError(hwnd);
    if (!window) return FALSE;
    auto target = window->queue;
    if (!target) return FALSE;
    std::lock_guard guard(target->mutex);
    if (!target->alive) return FALSE;
    // Destroyed meanwhile: its posted messages have been discarded.
    if (FindWindowObject(hwnd) != window) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    target->posted.push_back(MSG{hwnd, msg, wParam, lParam, GetTickCount(), pt});
    target->Changed(KindOfPosted(msg));
    return TRUE;
}

}  // namespace

BOOL PostMouseInput(HWND hwnd, UINT message, WPARAM keys, POINT client) {
    POINT origin = ClientOriginOnScreen(hwnd);
    POINT screen{origin.x + client.x, origin.y + client.y};
    MoveCursor(screen);
    return PostToWindow(hwnd, message, keys, MAKELPARAM(client.x, client.y), screen);
}

// A message's window matches the filter: any window, thread messages only
// (-1), or the given window and its descendants.
bool MatchesWindow(HWND message, HWND filter) {
    if (!filter) return true;
    if (filter == reinterpret_cast<HWND>(-1)) return message == nullptr;
    for (HWND h = message; h; ) {
        if (h == filter) return true;
        auto window = FindWindowObject(h);
        h = window ? window->parent : nullptr;
    }
    return false;
}

void MarkPaintPending(Window& window) {
    if (!window.queue) return;
    std::lock_guard guard(window.queue->mutex);
    window.queue->paintPending = true;
    window.queue->Changed(QS_PAINT);
}

bool QueueArrival::IsSignaled(uint64_t) { return (queue_.newKinds & wakeMask) != 0; }

void WaitForChange(ThreadQueue& queue, HWND filter, UINT low, UINT high) {
    uint64_t due = MatchesRange(WM_TIMER, low, high) ? NextTimerDue(queue, filter) : UINT64_MAX;
    WaitForQueueAndObjects(queue, {}, false, MsUntil(due), QS_ALLINPUT);
}

}  // namespace vpr::user

using namespace vpr::user;

extern "C" {

LRESULT WINAPI SendMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto window = WindowOrError(hwnd);
    if (!window) return 0;
    auto target = window->queue;
    if (!target) return DefWindowProcA(hwnd, msg, wParam, lParam);  // the desktop
    auto self = CurrentQueuePtr();
    if (target == self) return CallWindow(hwnd, msg, wParam, lParam);

    auto sent = std::make_shared<SentMessage>(SentMessage{hwnd, msg, wParam, lParam, 0, false, self});
    {
        std::lock_guard guard(target->mutex);
        if (!target->alive) return 0;
        target->sent.push_back(sent);
        target->Changed(QS_SENDMESSAGE);
    }
    // While the owner works on it, this thread still answers messages sent to it.
    for (;;) {
        {
            std::unique_lock guard(self->mutex);
            self->wake.wait(guard, [&] { return sent->done || !self->sent.empty(); });
            if (sent->done) return sent->result;
        }
        self->HandleSentMessages();
    }
}

BOOL WINAPI PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!hwnd) return PostThreadMessageA(CurrentThreadId(), msg, wParam, lParam);
    return PostToWindow(hwnd, msg, wParam, lParam, CursorNow());
}

BOOL WINAPI PostThreadMessageA(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto target = QueueOfThread(threadId);
    if (!target) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    std::lock_guard guard(target->mutex);
    if (!target->alive) return FALSE;
    target->posted.push_back(MSG{nullptr, msg, wParam, lParam, GetTickCount(), CursorNow()});
    target->Changed(QS_POSTMESSAGE);
    return TRUE;
}

void WINAPI PostQuitMessage(int exitCode) {
    auto& queue = CurrentQueue();
    std::lock_guard guard(queue.mutex);
    queue.quit = true;
    queue.quitCode = exitCode;
    queue.Changed(QS_POSTMESSAGE);
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND hwnd, UINT low, UINT high) {
    if (hwnd && hwnd != reinterpret_cast<HWND>(-1) && !WindowOrError(hwnd)) return -1;
    auto& queue = CurrentQueue();
    for (;;) {
        if (TakeMessage(queue, msg, hwnd, low, high, true)) return msg->message != WM_QUIT;
        WaitForChange(queue, hwnd, low, high);
    }
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT low, UINT high, UINT flags) {
    return TakeMessage(CurrentQueue(), msg, hwnd, low, high, flags & PM_REMOVE) ? TRUE : FALSE;
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)) return FALSE;
    int ch = CharOfKey(static_cast<int>(msg->wParam));
    if (ch < 0) return FALSE;
    PostMessageA(msg->hwnd, msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR,
                 static_cast<WPARAM>(ch), msg->lParam);
    return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    if (!msg) return 0;
    if (msg->message == WM_TIMER && msg->lParam) {
        // Only a procedure that a timer of this thread was set with is
        // called: a WM_TIMER posted by anyone else cannot make the thread
        // jump to an address of its choosing.
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        if (!IsTimerProc(CurrentQueue(), proc)) return 0;
        proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
        return 0;
    }
    if (!msg->hwnd) return 0;
    auto window = WindowOrError(msg->hwnd);
    if (!window) return 0;
    if (window->queue.get() != &CurrentQueue()) {
        SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
        return 0;
    }
    return CallWindow(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL WINAPI WaitMessage(void) {
    auto& queue = CurrentQueue();
    queue.HandleSentMessages();
    for (;;) {
        if (queue.newKinds & QS_ALLEVENTS) return TRUE;
        uint64_t due = NextTimerDue(queue, nullptr);
        if (due <= vpr::win::CurrentClock()->TickMs()) return TRUE;
        WaitForChange(queue);
        queue.HandleSentMessages();
    }
}

DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                       DWORD timeoutMs, DWORD wakeMask) {
    if (count > MAXIMUM_WAIT_OBJECTS - 1 || (count > 0 && !handles)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::vector<std::shared_ptr<vpr::win::Waitable>> objects;
    for (DWORD i = 0; i < count; ++i) {
        auto object = vpr::win::HandleTable::Instance().GetAs<vpr::win::Waitable>(
            vpr::win::ValueFromHandle(handles[i]));
        if (!object) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        objects.push_back(std::move(object));
    }
    auto& queue = CurrentQueue();
    auto clock = vpr::win::CurrentClock();
    std::optional<uint64_t> deadline;
    if (timeoutMs != INFINITE) deadline = clock->TickMs() + timeoutMs;
    for (;;) {
        if (queue.HandleSentMessages() && (wakeMask & QS_SENDMESSAGE) && !waitAll) return WAIT_OBJECT_0 + count;
        uint64_t timerDue = (wakeMask & QS_TIMER) ? NextTimerDue(queue, nullptr) : UINT64_MAX;
        if (timerDue <= clock->TickMs()) {
            queue.newKinds |= QS_TIMER;  // a WM_TIMER waits to be taken
            timerDue = UINT64_MAX;
        }
        // Input waiting already: look at the objects once, which come first.
        bool input = !waitAll && (queue.newKinds & wakeMask);
        uint64_t until = input ? 0 : std::min(timerDue, deadline.value_or(UINT64_MAX));
        DWORD result = WaitForQueueAndObjects(queue, objects, waitAll != FALSE, MsUntil(until), wakeMask);
        if (result == WAIT_OBJECT_0 + count && !waitAll) {
            if (queue.newKinds & wakeMask) return result;
            continue;  // only sent messages: answer them and wait on
        }
        if (result != WAIT_TIMEOUT) return result;
        if (deadline && clock->TickMs() >= *deadline) return WAIT_TIMEOUT;
    }
}

BOOL WINAPI GetCursorPos(LPPOINT point) {
    if (!point) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *point = CursorNow();
    return TRUE;
}

BOOL WINAPI SetCursorPos(int x, int y) {
    MoveCursor(POINT{x, y});
    return TRUE;
}

DWORD WINAPI GetMessagePos(void) {
    POINT at = CurrentQueue().messagePos;
    return static_cast<DWORD>(MAKELONG(static_cast<WORD>(at.x), static_cast<WORD>(at.y)));
}

BOOL WINAPI InSendMessage(void) { return CurrentQueue().inSend > 0; }

DWORD WINAPI GetQueueStatus(UINT flags) {
    auto& queue = CurrentQueue();
    std::lock_guard guard(queue.mutex);
    DWORD status = 0;
    for (const MSG& msg : queue.posted) status |= KindOfPosted(msg.message);
    if (!queue.sent.empty()) status |= QS_SENDMESSAGE;
    if (queue.paintPending) status |= QS_PAINT;
    if (NextTimerDue(queue, nullptr) <= vpr::win::CurrentClock()->TickMs()) status |= QS_TIMER;
    status &= flags;
    return (status << 16) | (queue.newKinds & flags);
}

}  // extern "C"
