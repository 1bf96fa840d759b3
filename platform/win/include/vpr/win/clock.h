// The one clock: tick count, sleep, time of day, timed waits; replaceable by
// tests. System code asks vpr::win::CurrentTime() where a C program would call
// time(), and turns time values into local time with ToLocalTime and back with
// FromLocalTime, so a test clock reaches every "now" of the system.
#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>
#include <memory>
#include <mutex>
#include <optional>
#include <set>

#include "vpr/win/types.h"

typedef struct _SYSTEMTIME {
    WORD wYear;
    WORD wMonth;  // 1 = January
    WORD wDayOfWeek;  // 0 = Sunday
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
} SYSTEMTIME, *LPSYSTEMTIME;

extern "C" {
DWORD WINAPI GetTickCount(void);
void WINAPI Sleep(DWORD dwMilliseconds);
void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime);
void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime);

// The run-time library's time-zone settings: _tzset reads the host's rules
// for the process's TZ (those ToLocalTime applies) and sets _timezone to
// universal time minus local standard time in seconds (18000 for EST5EDT,
// -3600 for CET-1CEST; daylight saving is not included). _timezone is 0
// until the first _tzset.
void _tzset(void);
extern long _timezone;
}

namespace vpr::win {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds of a monotonic count (GetTickCount is its low 32 bits).
    virtual uint64_t TickMs() = 0;
    // Milliseconds since 1970-01-01 00:00 UTC.
    virtual int64_t UnixMs() = 0;
    // Blocks on WaitCore's condition (the caller holds `lock` on WaitCore's
    // mutex) until notified or until TickMs() reaches `deadline`. May return
    // early; callers look again.
    virtual void Block(std::unique_lock<std::mutex>& lock, std::optional<uint64_t> deadline) = 0;
};

// The host's clocks.
class RealClock : public Clock {
public:
    uint64_t TickMs() override;
    int64_t UnixMs() override;
    void Block(std::unique_lock<std::mutex>& lock, std::optional<uint64_t> deadline) override;
};

// A clock that moves only when told. Advance wakes every timed wait and
// returns once each has looked at the new time, so a wait that became due
// has ended when Advance returns.
class ManualClock : public Clock {
public:
    // Starts at tick 1000000 and 2001-01-01 00:00 UTC.
    ManualClock();
    uint64_t TickMs() override;
    int64_t UnixMs() override;
    void Block(std::unique_lock<std::mutex>& lock, std::optional<uint64_t> deadline) override;

    void Advance(uint64_t ms);
    void SetUnixMs(int64_t unixMs);
    // Blocks until at least `count` timed waits are blocked on this clock, so
    // that a test advances only once its waiter is waiting.
    void WaitForTimedWaiters(size_t count);
    // Timed waits blocked on this clock now.
    size_t TimedWaiters();

private:
    std::atomic<uint64_t> tick_;
    std::atomic<int64_t> unixMs_;
    // Guarded by WaitCore's mutex:
    uint64_t epoch_ = 0;  // rises with every Advance
    std::multiset<uint64_t> blocked_;  // epoch seen by each blocked timed wait
};

std::shared_ptr<Clock> CurrentClock();
// Replaces the clock of the process; null puts the real clock back.
void SetClock(std::shared_ptr<Clock> clock);

// Seconds since 1970-01-01 00:00 UTC by the clock (the system's time()).
int64_t CurrentTime();
// Local broken-down time of a time value, and back (host time zone rules,
// tm_isdst of FromLocalTime's input as mktime takes it). FromLocalTime
// normalises *tm like mktime; -1 when the time cannot be represented.
bool ToLocalTime(int64_t time, std::tm* tm);
int64_t FromLocalTime(std::tm* tm);

}  // namespace vpr::win
