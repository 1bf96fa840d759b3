// Threads, critical sections, events, waits and the clock within one process.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "windows.h"
#include "vpr/win/waitable.h"

namespace {

using vpr::win::ManualClock;

// Every test runs on a manual clock, so no wait ever lasts in real time.
class KernelObjectTest : public ::testing::Test {
protected:
    void SetUp() override { vpr::win::SetClock(clock_); }
    void TearDown() override { vpr::win::SetClock(nullptr); }

    // Runs `body` on a new thread and returns the thread's handle.
    template <class Body>
    HANDLE Start(Body body) {
        auto* heap = new Body(std::move(body));
        HANDLE thread = CreateThread(
            nullptr, 0,
            [](LPVOID p) -> DWORD {
                std::unique_ptr<Body> owned(static_cast<Body*>(p));
                return (*owned)();
            },
            heap, 0, nullptr);
        EXPECT_NE(thread, nullptr);
        return thread;
    }
    // Waits for a thread to end and returns its exit code.
    DWORD Join(HANDLE thread) {
        EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
        DWORD code = 0;
        EXPECT_TRUE(GetExitCodeThread(thread, &code));
        EXPECT_TRUE(CloseHandle(thread));
        return code;
    }

    // Two threads wait (up to a minute of the clock) on one event that is
    // then pulsed; returns how many of them the pulse released.
    int ReleasedByPulse(BOOL manualReset) {
        HANDLE event = CreateEventA(nullptr, manualReset, FALSE, nullptr);
        HANDLE threads[2];
        for (HANDLE& thread : threads) {
            thread = Start([=]() -> DWORD { return WaitForSingleObject(event, 60000); });
        }
        clock_->WaitForTimedWaiters(2);
        PulseEvent(event);
        if (!manualReset) clock_->Advance(60000);  // the one not released times out
        int released = 0;
        for (HANDLE thread : threads) released += Join(thread) == WAIT_OBJECT_0;
        // Nobody is left waiting: the pulse left the event reset.
        EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
        CloseHandle(event);
        return released;
    }

    std::shared_ptr<ManualClock> clock_ = std::make_shared<ManualClock>();
};

struct SetFlagOnExit {
    std::atomic<bool>* flag;
    ~SetFlagOnExit() { *flag = true; }
};

TEST_F(KernelObjectTest, ThreadRunsReportsStillActiveAndEndsWithItsCode) {
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<DWORD> seenId{0};
    HANDLE thread = Start([&]() -> DWORD {
        seenId = GetCurrentThreadId();
        WaitForSingleObject(go, INFINITE);
        return 42;
    });
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_TIMEOUT);
    SetEvent(go);
    EXPECT_EQ(Join(thread), 42u);
    EXPECT_NE(seenId.load(), 0u);
    EXPECT_NE(seenId.load(), GetCurrentThreadId());
    CloseHandle(go);
}

TEST_F(KernelObjectTest, ThreadIdGivenToCreatorIsTheThreadsOwn) {
    std::atomic<DWORD> seenId{0};
    DWORD id = 0;
    HANDLE thread = CreateThread(
        nullptr, 0, [](LPVOID p) -> DWORD {
            *static_cast<std::atomic<DWORD>*>(p) = GetCurrentThreadId();
            return 0;
        },
        &seenId, 0, &id);
    ASSERT_NE(thread, nullptr);
    Join(thread);
    EXPECT_EQ(seenId.load(), id);
}

TEST_F(KernelObjectTest, ExitThreadEndsWithItsCodeAndUnwinds) {
    std::atomic<bool> unwound{false};
    HANDLE thread = Start([&]() -> DWORD {
        SetFlagOnExit guard{&unwound};
        ExitThread(7);
    });
    EXPECT_EQ(Join(thread), 7u);
    EXPECT_TRUE(unwound);
}

TEST_F(KernelObjectTest, PrioritiesAreKeptAndBadOnesRefused) {
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = Start([&]() -> DWORD { return WaitForSingleObject(go, INFINITE); });
    EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_NORMAL);
    EXPECT_TRUE(SetThreadPriority(thread, THREAD_PRIORITY_LOWEST));
    EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_LOWEST);
    EXPECT_FALSE(SetThreadPriority(thread, 99));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetEvent(go);
    Join(thread);
    CloseHandle(go);
}

TEST_F(KernelObjectTest, CriticalSectionIsRecursiveAndExcludesOtherThreads) {
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    EXPECT_TRUE(TryEnterCriticalSection(&section));  // the owner enters again
    auto tryFromOtherThread = [&] {
        return Join(Start([&]() -> DWORD {
            if (!TryEnterCriticalSection(&section)) return 0;
            LeaveCriticalSection(&section);
            return 1;
        }));
    };
    EXPECT_EQ(tryFromOtherThread(), 0u);
    LeaveCriticalSection(&section);
    EXPECT_EQ(tryFromOtherThread(), 0u);  // still held once
    LeaveCriticalSection(&section);
    EXPECT_EQ(tryFromOtherThread(), 1u);
    DeleteCriticalSection(&section);
}

TEST_F(KernelObjectTest, AutoResetReleasesOneWaitManualResetStaysSignalled) {
    HANDLE autoEvent = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    HANDLE manual = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
    SetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    ResetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
    CloseHandle(autoEvent);
    CloseHandle(manual);
}

TEST_F(KernelObjectTest, PulseReleasesAllWaitersOfManualEventOneOfAutoEvent) {
    EXPECT_EQ(ReleasedByPulse(TRUE), 2);
    EXPECT_EQ(ReleasedByPulse(FALSE), 1);

    // A pulse with nobody waiting releases nothing later.
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    PulseEvent(event);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_TIMEOUT);
    CloseHandle(event);
}

TEST_F(KernelObjectTest, WaitAnyGivesLowestSignalledIndexAndTakesOnlyIt) {
    HANDLE events[3] = {CreateEventA(nullptr, FALSE, FALSE, nullptr),
                        CreateEventA(nullptr, FALSE, FALSE, nullptr),
                        CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_TIMEOUT);
    SetEvent(events[2]);
    SetEvent(events[1]);
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_OBJECT_0 + 2);
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_TIMEOUT);
    for (HANDLE event : events) CloseHandle(event);
}

TEST_F(KernelObjectTest, WaitAllTakesNothingUntilEveryObjectIsSignalled) {
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = Start([&]() -> DWORD { return WaitForSingleObject(go, INFINITE); });
    HANDLE autoEvent = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    HANDLE set[2] = {autoEvent, thread};
    EXPECT_EQ(WaitForMultipleObjects(2, set, TRUE, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_OBJECT_0);  // was not taken
    SetEvent(autoEvent);
    SetEvent(go);
    EXPECT_EQ(WaitForMultipleObjects(2, set, TRUE, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_TIMEOUT);  // taken with the rest
    CloseHandle(thread);
    CloseHandle(autoEvent);
    CloseHandle(go);
}

TEST_F(KernelObjectTest, BadWaitsFail) {
    HANDLE event = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    HANDLE twice[2] = {event, event};
    EXPECT_EQ(WaitForMultipleObjects(2, twice, TRUE, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(WaitForMultipleObjects(2, twice, FALSE, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForMultipleObjects(0, twice, FALSE, 0), WAIT_FAILED);
    HANDLE bogus = reinterpret_cast<HANDLE>(uintptr_t{0x7654320});
    EXPECT_EQ(WaitForSingleObject(bogus, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_TRUE(CloseHandle(event));
    EXPECT_FALSE(CloseHandle(event));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(SetEvent(event));
}

TEST_F(KernelObjectTest, ManualClockDrivesA30SecondWaitInNoRealTime) {
    HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD before = GetTickCount();
    HANDLE thread = Start([&]() -> DWORD { return WaitForSingleObject(never, 30000); });
    clock_->WaitForTimedWaiters(1);
    clock_->Advance(29999);
    EXPECT_EQ(clock_->TimedWaiters(), 1u);  // looked at the new time, still waiting
    clock_->Advance(1);
    EXPECT_EQ(clock_->TimedWaiters(), 0u);
    EXPECT_EQ(Join(thread), WAIT_TIMEOUT);
    EXPECT_EQ(GetTickCount() - before, 30000u);
    CloseHandle(never);
}

TEST_F(KernelObjectTest, TimedWaitEndsWhenSignalledBeforeItsTime) {
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE thread = Start([&]() -> DWORD { return WaitForSingleObject(event, 30000); });
    clock_->WaitForTimedWaiters(1);
    clock_->Advance(10000);
    SetEvent(event);
    EXPECT_EQ(Join(thread), WAIT_OBJECT_0);
    CloseHandle(event);
}

TEST_F(KernelObjectTest, SleepAndTimeOfDayFollowTheClock) {
    HANDLE thread = Start([]() -> DWORD {
        Sleep(2000);
        return 1;
    });
    clock_->WaitForTimedWaiters(1);
    clock_->Advance(1999);
    EXPECT_EQ(clock_->TimedWaiters(), 1u);
    clock_->Advance(1);
    EXPECT_EQ(Join(thread), 1u);

    // 2026-03-04 05:06:07.089 UTC, a Wednesday.
    clock_->SetUnixMs(1772600767089);
    EXPECT_EQ(vpr::win::CurrentTime(), 1772600767);
    SYSTEMTIME utc;
    GetSystemTime(&utc);
    EXPECT_EQ(utc.wYear, 2026);
    EXPECT_EQ(utc.wMonth, 3);
    EXPECT_EQ(utc.wDay, 4);
    EXPECT_EQ(utc.wDayOfWeek, 3);
    EXPECT_EQ(utc.wHour, 5);
    EXPECT_EQ(utc.wMinute, 6);
    EXPECT_EQ(utc.wSecond, 7);
    EXPECT_EQ(utc.wMilliseconds, 89);

    SYSTEMTIME local;
    GetLocalTime(&local);
    std::tm tm{};
    ASSERT_TRUE(vpr::win::ToLocalTime(vpr::win::CurrentTime(), &tm));
    EXPECT_EQ(local.wHour, tm.tm_hour);
    EXPECT_EQ(local.wDay, tm.tm_mday);
    tm.tm_isdst = -1;
    EXPECT_EQ(vpr::win::FromLocalTime(&tm), vpr::win::CurrentTime());
}

}  // namespace
