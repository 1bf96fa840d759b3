#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "vpr/win/clock.h"
#include "windows.h"

namespace {

using vpr::win::ManualClock;

std::vector<WPARAM> g_timers;  // WM_TIMER ids the window procedure saw

LRESULT CALLBACK TimerWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_TIMER) {
        g_timers.push_back(wParam);
        if (wParam == 99) PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

std::vector<UINT_PTR> g_procCalls;
void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD) { g_procCalls.push_back(id); }

class TimerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSA wc{};
        wc.lpfnWndProc = TimerWindowProc;
        wc.lpszClassName = "TimerWindow";
        RegisterClassA(&wc);
    }
    void SetUp() override {
        vpr::win::SetClock(clock_);
        g_timers.clear();
        g_procCalls.clear();
    }
    void TearDown() override {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {}
        vpr::win::SetClock(nullptr);
    }
    static HWND Make() {
        return CreateWindowExA(0, "TimerWindow", "t", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    }
    // Takes and dispatches what is queued now; returns the messages taken.
    static std::vector<UINT> Drain() {
        std::vector<UINT> taken;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            taken.push_back(msg.message);
            DispatchMessageA(&msg);
        }
        return taken;
    }

    std::shared_ptr<ManualClock> clock_ = std::make_shared<ManualClock>();
};

TEST_F(TimerTest, WindowTimerComesEachPeriodOnceHoweverLate) {
    HWND hwnd = Make();
    EXPECT_EQ(SetTimer(hwnd, 100, 30000, nullptr), 100u);
    clock_->Advance(29999);
    EXPECT_TRUE(Drain().empty());
    clock_->Advance(1);
    EXPECT_EQ(Drain(), std::vector<UINT>{WM_TIMER});
    EXPECT_EQ(g_timers, std::vector<WPARAM>{100});
    // Three periods pass unattended: one WM_TIMER, and the next period starts when it is taken.
    clock_->Advance(90000);
    EXPECT_EQ(Drain().size(), 1u);
    clock_->Advance(29999);
    EXPECT_TRUE(Drain().empty());
    // Setting it again restarts the period.
    clock_->Advance(1000);
    SetTimer(hwnd, 100, 30000, nullptr);
    clock_->Advance(29000);
    EXPECT_TRUE(Drain().empty());
    EXPECT_TRUE(KillTimer(hwnd, 100));
    clock_->Advance(60000);
    EXPECT_TRUE(Drain().empty());
    EXPECT_FALSE(KillTimer(hwnd, 100));
    EXPECT_EQ(g_timers.size(), 2u);
    DestroyWindow(hwnd);
}

TEST_F(TimerTest, PostedMessagesComeBeforeADueTimerAndDestroyingKillsTimers) {
    HWND hwnd = Make();
    SetTimer(hwnd, 1, 10, nullptr);
    SetTimer(hwnd, 2, 5, nullptr);  // below the minimum: counts as 10 ms
    clock_->Advance(9);
    EXPECT_TRUE(Drain().empty());
    clock_->Advance(1);
    PostMessageA(hwnd, WM_APP, 0, 0);
    EXPECT_EQ(Drain(), (std::vector<UINT>{WM_APP, WM_TIMER, WM_TIMER}));
    EXPECT_EQ(g_timers, (std::vector<WPARAM>{1, 2}));
    DestroyWindow(hwnd);
    EXPECT_FALSE(KillTimer(hwnd, 1));
    clock_->Advance(100);
    EXPECT_TRUE(Drain().empty());
}

TEST_F(TimerTest, ThreadTimerCallsItsProcedureAndForgedProceduresAreNotCalled) {
    UINT_PTR id = SetTimer(nullptr, 0, 100, TimerProc);
    EXPECT_NE(id, 0u);
    UINT_PTR second = SetTimer(nullptr, 0, 100, TimerProc);
    EXPECT_NE(second, id);
    EXPECT_EQ(SetTimer(nullptr, id, 200, TimerProc), id);  // the first, changed
    clock_->Advance(100);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_TIMER));
    EXPECT_EQ(msg.hwnd, nullptr);
    DispatchMessageA(&msg);
    EXPECT_EQ(g_procCalls, std::vector<UINT_PTR>{second});
    clock_->Advance(100);  // both due: the one set first comes first
    Drain();
    EXPECT_EQ(g_procCalls, (std::vector<UINT_PTR>{second, id, second}));

    // A WM_TIMER posted with an address that no timer was set with is dropped.
    auto forged = reinterpret_cast<LPARAM>(&TimerWindowProc);
    PostThreadMessageA(GetCurrentThreadId(), WM_TIMER, 7, forged);
    size_t calls = g_procCalls.size();
    Drain();
    EXPECT_EQ(g_procCalls.size(), calls);
    EXPECT_TRUE(KillTimer(nullptr, id));
    EXPECT_TRUE(KillTimer(nullptr, second));
}

TEST_F(TimerTest, GetMessageWaitsForA30SecondTimerInNoRealTime) {
    std::atomic<DWORD> workerId{0};
    std::thread worker([&] {
        HWND hwnd = Make();
        workerId = GetCurrentThreadId();
        SetTimer(hwnd, 99, 30000, nullptr);  // its WM_TIMER posts the quit message
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0)) DispatchMessageA(&msg);
        DestroyWindow(hwnd);
    });
    clock_->WaitForTimedWaiters(1);
    clock_->Advance(29999);
    EXPECT_EQ(clock_->TimedWaiters(), 1u);
    clock_->Advance(1);
    worker.join();
    EXPECT_EQ(g_timers, std::vector<WPARAM>{99});
}

TEST_F(TimerTest, WaitMessageReturnsForADueTimer) {
    std::atomic<bool> woke{false};
    std::thread worker([&] {
        HWND hwnd = Make();
        SetTimer(hwnd, 5, 500, nullptr);
        WaitMessage();
        woke = true;
        DestroyWindow(hwnd);
    });
    clock_->WaitForTimedWaiters(1);
    EXPECT_FALSE(woke);
    clock_->Advance(500);
    worker.join();
    EXPECT_TRUE(woke);
}

// What wakes MsgWaitForMultipleObjects, looked at without waiting.
struct WakeCase {
    const char* name;
    UINT posted;      // 0: nothing posted
    bool signalled;   // the event is set
    bool timerDue;
    DWORD mask;
    DWORD expected;   // 0: the event, 1: the queue
};
// A case is printed as text, not as raw bytes, when it fails.
void PrintTo(const WakeCase& c, std::ostream* os) { *os << c.name; }

class MsgWaitTest : public TimerTest, public ::testing::WithParamInterface<WakeCase> {};

TEST_P(MsgWaitTest, WakesForTheObjectOrInputOfTheAskedKinds) {
    const WakeCase& c = GetParam();
    HWND hwnd = Make();
    HANDLE event = CreateEventA(nullptr, TRUE, c.signalled, nullptr);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread has looked: nothing new
    if (c.posted) PostMessageA(hwnd, c.posted, 0, 0);
    if (c.timerDue) {
        SetTimer(hwnd, 1, 100, nullptr);
        clock_->Advance(100);
    }
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, 0, c.mask), c.expected) << c.name;
    CloseHandle(event);
    DestroyWindow(hwnd);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MsgWaitTest,
    ::testing::Values(WakeCase{"nothing", 0, false, false, QS_ALLINPUT, WAIT_TIMEOUT},
                      WakeCase{"event", 0, true, false, QS_ALLINPUT, WAIT_OBJECT_0},
                      WakeCase{"posted", WM_APP, false, false, QS_POSTMESSAGE, WAIT_OBJECT_0 + 1},
                      WakeCase{"posted, keys asked", WM_APP, false, false, QS_KEY, WAIT_TIMEOUT},
                      WakeCase{"key", WM_KEYDOWN, false, false, QS_KEY, WAIT_OBJECT_0 + 1},
                      WakeCase{"key, posts asked", WM_KEYDOWN, false, false, QS_POSTMESSAGE, WAIT_TIMEOUT},
                      WakeCase{"click", WM_LBUTTONDOWN, false, false, QS_MOUSEBUTTON, WAIT_OBJECT_0 + 1},
                      WakeCase{"timer", 0, false, true, QS_TIMER, WAIT_OBJECT_0 + 1},
                      WakeCase{"timer, posts asked", 0, false, true, QS_POSTMESSAGE, WAIT_TIMEOUT},
                      WakeCase{"event before input", WM_APP, true, false, QS_ALLINPUT, WAIT_OBJECT_0}),
    [](const auto& info) {
        std::string name = info.param.name;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name;
    });

TEST_F(TimerTest, MsgWaitAnswersSentMessagesAndWakesOnInputFromAnotherThread) {
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    std::atomic<HWND> hwnd{nullptr};
    std::atomic<DWORD> workerId{0};
    std::vector<DWORD> results;
    std::thread worker([&] {
        hwnd = Make();
        workerId = GetCurrentThreadId();
        // Only posted messages and the event wake it; sent messages are answered meanwhile.
        results.push_back(MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_POSTMESSAGE));
        results.push_back(MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_POSTMESSAGE));
        // Until the thread takes it, the posted message keeps waking the wait.
        results.push_back(MsgWaitForMultipleObjects(1, &event, FALSE, 5000, QS_POSTMESSAGE));
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {}
        results.push_back(MsgWaitForMultipleObjects(1, &event, FALSE, 5000, QS_POSTMESSAGE));
        DestroyWindow(hwnd);
    });
    while (!hwnd) std::this_thread::yield();
    char text[8];
    EXPECT_EQ(SendMessageA(hwnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text)), 1);
    SetEvent(event);
    // The worker's own thread id reaches its queue: the same ids as GetWindowThreadProcessId.
    while (results.size() < 1) std::this_thread::yield();
    EXPECT_EQ(GetWindowThreadProcessId(hwnd, nullptr), workerId.load());
    EXPECT_TRUE(PostThreadMessageA(workerId, WM_APP, 0, 0));
    clock_->WaitForTimedWaiters(1);
    clock_->Advance(5000);
    worker.join();
    EXPECT_EQ(results, (std::vector<DWORD>{WAIT_OBJECT_0, WAIT_OBJECT_0 + 1, WAIT_OBJECT_0 + 1, WAIT_TIMEOUT}));
    CloseHandle(event);
}

TEST_F(TimerTest, ThreadIdsOfTheWindowSystemAreTheKernelsIds) {
    EXPECT_EQ(vpr::user::CurrentThreadId(), GetCurrentThreadId());
    DWORD workerIds[2] = {};
    std::thread worker([&] {
        workerIds[0] = GetCurrentThreadId();
        workerIds[1] = vpr::user::CurrentThreadId();
    });
    worker.join();
    EXPECT_EQ(workerIds[0], workerIds[1]);
    EXPECT_NE(workerIds[0], GetCurrentThreadId());
    EXPECT_TRUE(PostThreadMessageA(GetCurrentThreadId(), WM_APP, 1, 2));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_APP));
}

}  // namespace
