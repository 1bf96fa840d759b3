#include "file_time.h"

#include "vpr/win/error.h"
#include "vpr/win/file.h"

namespace vpr::win {

namespace {

// 1601-01-01 to 1970-01-01 in 100-nanosecond steps.
constexpr int64_t kEpochOffset = 116444736000000000LL;
constexpr int64_t kStepsPerSecond = 10000000LL;

int64_t Steps(const FILETIME& time) {
    return static_cast<int64_t>((static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

FILETIME FromSteps(int64_t steps) {
    auto value = static_cast<uint64_t>(steps);
    return FILETIME{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

}  // namespace

FILETIME FileTimeFromHost(const struct timespec& time) {
    return FromSteps(kEpochOffset + static_cast<int64_t>(time.tv_sec) * kStepsPerSecond + time.tv_nsec / 100);
}

}  // namespace vpr::win

using vpr::win::FromSteps;
using vpr::win::kEpochOffset;
using vpr::win::kStepsPerSecond;
using vpr::win::Steps;

extern "C" BOOL WINAPI FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime) {
    if (lpFileTime == nullptr || lpLocalFileTime == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // The host's time zone is the machine's; its offset at that moment.
    int64_t steps = Steps(*lpFileTime);
    time_t seconds = static_cast<time_t>((steps - kEpochOffset) / kStepsPerSecond);
    struct tm local;
    if (localtime_r(&seconds, &local) == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpLocalFileTime = FromSteps(steps + static_cast<int64_t>(local.tm_gmtoff) * kStepsPerSecond);
    return TRUE;
}

extern "C" BOOL WINAPI FileTimeToDosDateTime(const FILETIME* lpFileTime, LPWORD lpFatDate, LPWORD lpFatTime) {
    if (lpFileTime == nullptr || lpFatDate == nullptr || lpFatTime == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    // The FILETIME is taken as it stands (callers pass a local time).
    int64_t steps = Steps(*lpFileTime);
    time_t seconds = static_cast<time_t>((steps - kEpochOffset) / kStepsPerSecond);
    if (steps < kEpochOffset && (steps - kEpochOffset) % kStepsPerSecond != 0) --seconds;
    struct tm t;
    if (gmtime_r(&seconds, &t) == nullptr || t.tm_year < 80 || t.tm_year > 207) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *lpFatDate = static_cast<WORD>(((t.tm_year - 80) << 9) | ((t.tm_mon + 1) << 5) | t.tm_mday);
    *lpFatTime = static_cast<WORD>((t.tm_hour << 11) | (t.tm_min << 5) | (t.tm_sec / 2));
    return TRUE;
}
