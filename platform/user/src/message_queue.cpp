// Posting, sending and taking messages; the rules for messages between threads.
#include <algorithm>

#include "keyboard.h"
#include "window_manager.h"
#include "vpr/win/error.h"

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

bool IsVisibleChain(const std::shared_ptr<Window>& window) {
    for (auto w = window; w; w = FindWindowObject(w->parent))
        if (!(w->style & WS_VISIBLE)) return false;
    return true;
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
// posted messages, the quit message, paint. Returns true when msg was filled.
// When nothing fits, notes the queue's change count for WaitMessage.
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
            return true;
        }
        if (queue.quit && MatchesRange(WM_QUIT, low, high) &&
            (filter == nullptr || filter == reinterpret_cast<HWND>(-1))) {
            *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0, 0, {}};
            if (remove) queue.quit = false;
            return true;
        }
        if (queue.paintPending && MatchesRange(WM_PAINT, low, high)) {
            if (HWND paint = FindWindowToPaint(queue, filter)) {
                *msg = MSG{paint, WM_PAINT, 0, 0, 0, {}};
                return true;
            }
            if (!filter) queue.paintPending = false;
        }
        queue.lookedAt = queue.changes;
    }
    return false;
}

}  // namespace

void MarkPaintPending(Window& window) {
    if (!window.queue) return;
    std::lock_guard guard(window.queue->mutex);
    window.queue->paintPending = true;
    window.queue->Changed();
}

// Waits until something arrives that the thread has not looked at yet.
void WaitForChange(ThreadQueue& queue) {
    std::unique_lock guard(queue.mutex);
    queue.wake.wait(guard, [&] { return queue.changes != queue.lookedAt || !queue.sent.empty(); });
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
        target->Changed();
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
    auto window = WindowOrError(hwnd);
    if (!window) return FALSE;
    auto target = window->queue;
    if (!target) return FALSE;
    std::lock_guard guard(target->mutex);
    if (!target->alive) return FALSE;
    target->posted.push_back(MSG{hwnd, msg, wParam, lParam, 0, {}});
    target->Changed();
    return TRUE;
}

BOOL WINAPI PostThreadMessageA(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto target = QueueOfThread(threadId);
    if (!target) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    std::lock_guard guard(target->mutex);
    if (!target->alive) return FALSE;
    target->posted.push_back(MSG{nullptr, msg, wParam, lParam, 0, {}});
    target->Changed();
    return TRUE;
}

void WINAPI PostQuitMessage(int exitCode) {
    auto& queue = CurrentQueue();
    std::lock_guard guard(queue.mutex);
    queue.quit = true;
    queue.quitCode = exitCode;
    queue.Changed();
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND hwnd, UINT low, UINT high) {
    if (hwnd && hwnd != reinterpret_cast<HWND>(-1) && !WindowOrError(hwnd)) return -1;
    auto& queue = CurrentQueue();
    for (;;) {
        if (TakeMessage(queue, msg, hwnd, low, high, true)) return msg->message != WM_QUIT;
        WaitForChange(queue);
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
        auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
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
    WaitForChange(queue);
    return TRUE;
}

BOOL WINAPI InSendMessage(void) { return CurrentQueue().inSend > 0; }

DWORD WINAPI GetQueueStatus(UINT flags) {
    auto& queue = CurrentQueue();
    std::lock_guard guard(queue.mutex);
    DWORD status = 0;
    if (!queue.posted.empty()) status |= QS_POSTMESSAGE;
    if (!queue.sent.empty()) status |= QS_SENDMESSAGE;
    if (queue.paintPending) status |= QS_PAINT;
    status &= flags;
    return status | (status << 16);
}

}  // extern "C"
