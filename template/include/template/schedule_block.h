// The schedule record of an application: 1444 bytes, 361 little-endian 32-bit
// integers, no header, no version and no checksum. It is the whole value of the
// application's "App:Schedule" stream and, byte for byte, the data of a
// template's schedule record (kind 17, subtype 2).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

struct ScheduleBlock {
    static constexpr size_t kSize = 1444;
    // Bytes before the selected-date slots: eleven 32-bit fields.
    static constexpr size_t kHeaderSize = 44;
    static constexpr size_t kMaxSelectedDates = 350;

    enum Type : uint32_t {
        kNoSchedule = 0,
        kStartStop = 1,  // a date range
        kDayMask = 2,    // a date range restricted to days of the week
        kSelected = 3,   // selected dates
    };
    // The schedule is meant in universal time for all clients.
    static constexpr uint32_t kFlagGmt = 0x1;
    // Day mask bits: 0x1 Sunday up to 0x40 Saturday.
    static constexpr uint32_t kAllDays = 0x7F;

    uint32_t type = kNoSchedule;
    uint32_t flags = 0;
    int32_t startDate = 0;  // local midnight of the first day, seconds since 1970
    int32_t endDate = 0;    // local midnight of the last day
    uint32_t startTime = 0;  // seconds after local midnight
    uint32_t endTime = 0;
    uint32_t spread = 0;  // seconds, 0 = no spread
    uint32_t dayMask = 0;
    uint32_t dateCount = 0;  // non-zero selected-date slots
    uint32_t reserved = 0;   // never set here; kept as read
    int32_t timeZone = 0;    // universal minus local standard time, seconds; 0 with kFlagGmt
    std::array<int32_t, kMaxSelectedDates> selectedDates{};  // 0 = empty slot

    // Decodes the fields that `size` bytes hold whole, in record order, as they
    // stand; fields beyond the data keep their values. Returns the number of
    // 32-bit fields decoded (361 for a complete record).
    size_t Decode(const uint8_t* data, size_t size);
    // The record's 1444 bytes.
    std::array<uint8_t, kSize> Encode() const;

    // Reads a stored "App:Schedule" value: exactly a record of type 1 to 3;
    // fewer than 1444 bytes or any other type reads as no schedule (a new
    // record of type 0).
    static ScheduleBlock FromStoredValue(const uint8_t* data, size_t size);
    // The value to store: no bytes for no schedule, else the record.
    std::vector<uint8_t> ToStoredValue() const;

    // Packs the selected dates the way the record keeps them: non-zero slots
    // from slot 0 upward in their slot order, each date once, and the date
    // count set to their number.
    void PackSelectedDates();
    // True when the record keeps every invariant its writer promises: a known
    // type, only the GMT flag, time zone 0 with it, only week-day bits, a date
    // count that matches packed unique dates, start not after end for the
    // date ranges, start time not after end time for daily windows, no GMT on
    // a day-mask schedule and no day mask on a date range.
    bool IsValid() const;
};
