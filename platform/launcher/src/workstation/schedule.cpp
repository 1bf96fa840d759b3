// The schedule check and the records of launches and installations.
#include "schedule.h"

#include <cctype>

#include "app_records.h"
#include "launch_records.h"
#include "library_state.h"
#include "vpr/machine/machine.h"
#include "vpr/win/clock.h"

namespace vpr::launcher {

namespace {

constexpr int64_t kDay = 86400;
constexpr int64_t kMinute = 60;

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

// A stable offset in [0, spread) from the computer's name.
uint32_t SpreadOffset(uint32_t spread, const std::string& computer) {
    if (spread == 0) return 0;
    uint32_t hash = 2166136261u;
    for (char c : computer) {
        hash ^= static_cast<unsigned char>(std::toupper(static_cast<unsigned char>(c)));
        hash *= 16777619u;
    }
    return hash % spread;
}

bool InWindow(const ScheduleBlock& s, int64_t timeOfDay) {
    return s.endTime >= s.startTime && timeOfDay >= s.startTime && timeOfDay < int64_t{s.endTime} + kMinute;
}

std::string ComputerName() {
    auto machine = vpr::machine::CurrentMachine();
    return machine ? machine->computerName : "";
}

}  // namespace

bool ScheduleOpen(const ScheduleBlock& s, int64_t now, const std::string& computer) {
    if (s.type == ScheduleBlock::kNoSchedule) return true;
    // Everything in the saving workstation's local seconds, shifted by the spread.
    int64_t zone = s.timeZone;
    int64_t local = now - zone - SpreadOffset(s.spread, computer);
    int64_t day = FloorDiv(local, kDay) * kDay;
    int64_t timeOfDay = local - day;
    int64_t startDay = int64_t{s.startDate} - zone, endDay = int64_t{s.endDate} - zone;
    switch (s.type) {
        case ScheduleBlock::kStartStop:
            return local >= startDay + s.startTime && local < endDay + s.endTime + kMinute;
        case ScheduleBlock::kDayMask: {
            // 1970-01-01 was a Thursday; days before it (a damaged time zone
            // can put the local time there) count back to their own weekday.
            int weekday = static_cast<int>(((FloorDiv(day, kDay) + 4) % 7 + 7) % 7);
            return day >= startDay && day <= endDay && (s.dayMask >> weekday & 1) && InWindow(s, timeOfDay);
        }
        case ScheduleBlock::kSelected:
            for (int32_t date : s.selectedDates)
                if (date != 0 && int64_t{date} - zone == day) return InWindow(s, timeOfDay);
            return false;
        default:
            return true;
    }
}

bool PlatformAllows(DWORD platforms) {
    if (platforms == 0) return true;
    auto machine = vpr::machine::CurrentMachine();
    DWORD own = machine && machine->platform == vpr::machine::Platform::NT4 ? 0x4 : 0x2;
    return (platforms & own) != 0;
}

}  // namespace vpr::launcher

using namespace vpr::launcher;

extern "C" DWORD KMAPPCheckSchedule(KmappApplication* record) {
    if (!record) return 0;
    AppIdentity identity{record->context ? record->context : "", record->guid ? record->guid : ""};
    ScheduleBlock schedule;
    if (record->schedule) schedule = ScheduleBlock::FromStoredValue(record->schedule, KMAPP_SCHEDULE_SIZE);
    bool ranOnce = (record->appFlags & 0x100) && HasSucceeded(identity);
    DWORD active = PlatformAllows(record->platforms) &&
                           ScheduleOpen(schedule, vpr::win::CurrentTime(), ComputerName()) && !ranOnce
                       ? record->flags
                       : 0;
    // The previous set goes back, the new one stays in the record, so that a
    // caller comparing the two sees a change exactly once.
    DWORD previous = record->state;
    record->state = active;
    if (record->tree && record->user && record->name)
        LibraryState::Instance().RememberState(LibraryState::StateKey(record->tree, record->user, record->name),
                                               active);
    return previous;
}

extern "C" LONG KMAPPRecordLaunch(KmappApplication* record, DWORD starting) {
    if (!record || !record->context || !record->guid) return KMAPP_ERR_BAD_PARAMETER;
    return RecordLaunchOutcome({record->context, record->guid}, starting);
}

extern "C" BYTE KMAPPIsInstalled(LPCSTR /*tree*/, LPCSTR context, LPCSTR guid) {
    // The records are keyed by the identification texts alone, so the
    // personal node answers as the tree that grants the application.
    if (!context || !guid) return 0;
    return IsInstalled({context, guid}) ? 1 : 0;
}

extern "C" LONG KMAPPMarkNotInstalled(LPCSTR /*tree*/, LPCSTR context) {
    if (!context) return KMAPP_ERR_BAD_PARAMETER;
    return ForgetInstalled(context);
}
