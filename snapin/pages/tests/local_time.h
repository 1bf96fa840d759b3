// A moment of the machine's local time as the seconds the pages store, with
// the daylight-saving state left to the run-time library.
#pragma once

#include <cstdint>
#include <ctime>

#include "vpr/win/clock.h"

inline int32_t LocalTime(int year, int month, int day, int hour = 0, int minute = 0) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_isdst = -1;
    return static_cast<int32_t>(vpr::win::FromLocalTime(&tm));
}
