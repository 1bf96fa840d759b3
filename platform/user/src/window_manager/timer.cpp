// Timers on the platform clock: SetTimer, KillTimer and the WM_TIMER they make.
//
// A timer belongs to the thread that set it. Nothing is posted: when the
// thread looks at its queue and finds no other message, a due timer becomes a
// WM_TIMER (one at a time per timer, however many periods passed), and taking
// it starts the next period.
#include <algorithm>

#include "window_manager.h"
#include "vpr/win/clock.h"
#include "vpr/win/error.h"

namespace vpr::user {

namespace {

constexpr UINT kMinimumElapse = 10;

uint64_t Now() { return vpr::win::CurrentClock()->TickMs(); }

}  // namespace

uint64_t NextTimerDue(ThreadQueue& queue, HWND filter) {
    uint64_t due = UINT64_MAX;
    for (const Timer& timer : queue.timers)
        if (MatchesWindow(timer.hwnd, filter)) due = std::min(due, timer.due);
    return due;
}

bool TakeDueTimer(ThreadQueue& queue, HWND filter, bool remove, MSG* msg) {
    uint64_t now = Now();
    Timer* first = nullptr;
    for (Timer& timer : queue.timers)
        if (timer.due <= now && MatchesWindow(timer.hwnd, filter) && (!first || timer.due < first->due))
            first = &timer;
    if (!first) return false;
    *msg = MSG{first->hwnd, WM_TIMER, first->id, reinterpret_cast<LPARAM>(first->proc),
               static_cast<DWORD>(now), {}};
    if (remove) first->due = now + first->elapse;
    return true;
}

void KillWindowTimers(ThreadQueue& queue, HWND hwnd) {
    std::erase_if(queue.timers, [&](const Timer& timer) { return timer.hwnd == hwnd; });
}

bool IsTimerProc(ThreadQueue& queue, TIMERPROC proc) {
    return std::any_of(queue.timers.begin(), queue.timers.end(),
                       [&](const Timer& timer) { return timer.proc == proc; });
}

}  // namespace vpr::user

using namespace vpr::user;

extern "C" {

UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC proc) {
    auto& queue = CurrentQueue();
    if (hwnd) {
        auto window = WindowOrError(hwnd);
        if (!window) return 0;
        if (window->queue.get() != &queue) {
            SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
            return 0;
        }
    }
    auto same = [&](const Timer& timer) { return timer.hwnd == hwnd && timer.id == id; };
    auto existing = std::find_if(queue.timers.begin(), queue.timers.end(), same);
    if (!hwnd && (id == 0 || existing == queue.timers.end())) {
        // A thread timer gets an id of its own unless it names one it had.
        do {
            id = ++queue.nextThreadTimerId;
        } while (std::any_of(queue.timers.begin(), queue.timers.end(), same));
        existing = queue.timers.end();
    }
    Timer timer{hwnd, id, std::max(elapse, kMinimumElapse), proc, 0};
    timer.due = Now() + timer.elapse;
    if (existing != queue.timers.end()) {
        *existing = timer;
    } else {
        queue.timers.push_back(timer);
    }
    return hwnd && id == 0 ? 1 : id;
}

BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id) {
    auto& queue = CurrentQueue();
    auto it = std::find_if(queue.timers.begin(), queue.timers.end(),
                           [&](const Timer& timer) { return timer.hwnd == hwnd && timer.id == id; });
    if (it == queue.timers.end()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    queue.timers.erase(it);
    return TRUE;
}

}  // extern "C"
