#include "vpr/win/clock.h"

#include <sched.h>

#include <chrono>

#include "vpr/win/thread.h"
#include "vpr/win/waitable.h"

namespace vpr::win {

namespace {

std::mutex g_clockMutex;
std::shared_ptr<Clock> g_clock;

void FillSystemTime(const std::tm& tm, int64_t unixMs, SYSTEMTIME* out) {
    out->wYear = static_cast<WORD>(tm.tm_year + 1900);
    out->wMonth = static_cast<WORD>(tm.tm_mon + 1);
    out->wDayOfWeek = static_cast<WORD>(tm.tm_wday);
    out->wDay = static_cast<WORD>(tm.tm_mday);
    out->wHour = static_cast<WORD>(tm.tm_hour);
    out->wMinute = static_cast<WORD>(tm.tm_min);
    out->wSecond = static_cast<WORD>(tm.tm_sec);
    int64_t ms = unixMs % 1000;
    out->wMilliseconds = static_cast<WORD>(ms < 0 ? ms + 1000 : ms);
}

int64_t FloorSeconds(int64_t unixMs) {
    return unixMs >= 0 ? unixMs / 1000 : -((-unixMs + 999) / 1000);
}

}  // namespace

uint64_t RealClock::TickMs() {
    auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

int64_t RealClock::UnixMs() {
    auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
}

void RealClock::Block(std::unique_lock<std::mutex>& lock, std::optional<uint64_t> deadline) {
    auto& changed = WaitCore::Instance().changed;
    if (!deadline) {
        changed.wait(lock);
        return;
    }
    std::chrono::steady_clock::time_point until{std::chrono::milliseconds(*deadline)};
    changed.wait_until(lock, until);
}

ManualClock::ManualClock() : tick_(1000000), unixMs_(978307200000) {}

uint64_t ManualClock::TickMs() {
    return tick_.load();
}

int64_t ManualClock::UnixMs() {
    return unixMs_.load();
}

void ManualClock::Block(std::unique_lock<std::mutex>& lock, std::optional<uint64_t> deadline) {
    auto& changed = WaitCore::Instance().changed;
    if (!deadline) {
        changed.wait(lock);
        return;
    }
    auto entry = blocked_.insert(epoch_);
    changed.notify_all();  // WaitForTimedWaiters may be watching
    changed.wait(lock);
    blocked_.erase(entry);
    changed.notify_all();  // Advance may be waiting for this wait to look
}

void ManualClock::Advance(uint64_t ms) {
    auto& core = WaitCore::Instance();
    std::unique_lock lock(core.mutex);
    tick_ += ms;
    unixMs_ += static_cast<int64_t>(ms);
    ++epoch_;
    core.changed.notify_all();
    core.changed.wait(lock, [&] { return blocked_.empty() || *blocked_.begin() >= epoch_; });
}

void ManualClock::SetUnixMs(int64_t unixMs) {
    unixMs_ = unixMs;
}

void ManualClock::WaitForTimedWaiters(size_t count) {
    auto& core = WaitCore::Instance();
    std::unique_lock lock(core.mutex);
    core.changed.wait(lock, [&] { return blocked_.size() >= count; });
}

size_t ManualClock::TimedWaiters() {
    std::lock_guard lock(WaitCore::Instance().mutex);
    return blocked_.size();
}

std::shared_ptr<Clock> CurrentClock() {
    std::lock_guard lock(g_clockMutex);
    if (!g_clock) g_clock = std::make_shared<RealClock>();
    return g_clock;
}

void SetClock(std::shared_ptr<Clock> clock) {
    std::lock_guard lock(g_clockMutex);
    g_clock = std::move(clock);
}

int64_t CurrentTime() {
    return FloorSeconds(CurrentClock()->UnixMs());
}

bool ToLocalTime(int64_t time, std::tm* tm) {
    std::time_t t = static_cast<std::time_t>(time);
    return localtime_r(&t, tm) != nullptr;
}

int64_t FromLocalTime(std::tm* tm) {
    return static_cast<int64_t>(std::mktime(tm));
}

}  // namespace vpr::win

extern "C" DWORD WINAPI GetTickCount(void) {
    return static_cast<DWORD>(vpr::win::CurrentClock()->TickMs());
}

extern "C" void WINAPI Sleep(DWORD dwMilliseconds) {
    if (dwMilliseconds == 0) {
        sched_yield();
        return;
    }
    vpr::win::WaitForObjects({}, false, dwMilliseconds);
}

extern "C" void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime) {
    int64_t unixMs = vpr::win::CurrentClock()->UnixMs();
    std::time_t t = static_cast<std::time_t>(vpr::win::FloorSeconds(unixMs));
    std::tm tm{};
    gmtime_r(&t, &tm);
    vpr::win::FillSystemTime(tm, unixMs, lpSystemTime);
}

extern "C" void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime) {
    int64_t unixMs = vpr::win::CurrentClock()->UnixMs();
    std::tm tm{};
    vpr::win::ToLocalTime(vpr::win::FloorSeconds(unixMs), &tm);
    vpr::win::FillSystemTime(tm, unixMs, lpSystemTime);
}
