// Fuzz target of the schedule record: the input is a stored "App:Schedule"
// value, optionally followed by 4 bytes of a time to check it at. The record
// is read as the launcher reads it, checked, packed and written back (a
// record read must write back to the bytes it came from), and the
// launcher's schedule check is asked about it.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "template/schedule_block.h"
#include "workstation/schedule.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ScheduleBlock block = ScheduleBlock::FromStoredValue(data, size);
    std::vector<uint8_t> stored = block.ToStoredValue();
    if (block.type != ScheduleBlock::kNoSchedule &&
        (stored.size() != ScheduleBlock::kSize || std::memcmp(stored.data(), data, ScheduleBlock::kSize) != 0)) {
        std::fprintf(stderr, "a schedule record does not write back as read\n");
        std::abort();
    }
    ScheduleBlock partial;
    partial.Decode(data, size);
    block.IsValid();
    partial.IsValid();

    int64_t now = 0;
    if (size >= ScheduleBlock::kSize + 4) {
        int32_t at;
        std::memcpy(&at, data + ScheduleBlock::kSize, 4);
        now = at;
    }
    for (const ScheduleBlock* s : {&block, &partial}) {
        vpr::launcher::ScheduleOpen(*s, now, "WORKSTATION");
        vpr::launcher::ScheduleOpen(*s, int64_t{s->startDate} + s->startTime, "");
    }
    partial.PackSelectedDates();
    if (partial.type == ScheduleBlock::kSelected && partial.flags == 0 && partial.dayMask == 0 &&
        partial.startTime <= partial.endTime && !partial.IsValid()) {
        // A packed record of selected dates without flags or day mask keeps
        // every invariant.
        std::fprintf(stderr, "a packed record is not valid\n");
        std::abort();
    }
    return 0;
}
