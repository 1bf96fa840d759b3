// When an application is available: its platforms, its schedule record and
// Run once.
#pragma once

#include <cstdint>
#include <string>

#include "template/schedule_block.h"
#include "windows.h"

namespace vpr::launcher {

// Whether the schedule is open at `now` (seconds since 1970) for the named
// computer. No schedule is always open. The times are the saving
// workstation's standard time (its time zone field) or universal time; the
// spread delays the whole schedule by an offset below it that is the same
// for the computer every time; a daily window runs from its start time to the
// end of the minute of its end time, and one that ends before it starts is
// never open.
bool ScheduleOpen(const ScheduleBlock& schedule, int64_t now, const std::string& computer);

// Whether "App:Platform" bits allow this machine (no bits allow every one).
bool PlatformAllows(DWORD platforms);

}  // namespace vpr::launcher
