#include "template/schedule_block.h"

#include <algorithm>
#include <type_traits>

#include "record_codec.h"

namespace {

constexpr size_t kFieldCount = ScheduleBlock::kSize / 4;
constexpr size_t kHeaderFields = ScheduleBlock::kHeaderSize / 4;

// The header fields in record order, as unsigned words (const for a const
// block).
template <typename Block,
          typename Word = std::conditional_t<std::is_const_v<Block>, const uint32_t, uint32_t>>
std::array<Word*, kHeaderFields> HeaderFields(Block& block) {
    return {&block.type,
            &block.flags,
            reinterpret_cast<Word*>(&block.startDate),
            reinterpret_cast<Word*>(&block.endDate),
            &block.startTime,
            &block.endTime,
            &block.spread,
            &block.dayMask,
            &block.dateCount,
            &block.reserved,
            reinterpret_cast<Word*>(&block.timeZone)};
}

}  // namespace

size_t ScheduleBlock::Decode(const uint8_t* data, size_t size) {
    size_t fields = std::min(size / 4, kFieldCount);
    auto header = HeaderFields(*this);
    for (size_t i = 0; i < fields; ++i) {
        uint32_t value = vpr::qmt::GetU32(data + 4 * i);
        if (i < kHeaderFields) {
            *header[i] = value;
        } else {
            selectedDates[i - kHeaderFields] = static_cast<int32_t>(value);
        }
    }
    return fields;
}

std::array<uint8_t, ScheduleBlock::kSize> ScheduleBlock::Encode() const {
    std::array<uint8_t, kSize> bytes{};
    auto header = HeaderFields(*this);
    for (size_t i = 0; i < kHeaderFields; ++i) vpr::qmt::PutU32(&bytes[4 * i], *header[i]);
    for (size_t slot = 0; slot < kMaxSelectedDates; ++slot) {
        vpr::qmt::PutU32(&bytes[kHeaderSize + 4 * slot],
                            static_cast<uint32_t>(selectedDates[slot]));
    }
    return bytes;
}

ScheduleBlock ScheduleBlock::FromStoredValue(const uint8_t* data, size_t size) {
    ScheduleBlock block;
    if (data == nullptr || size < kSize) return block;
    block.Decode(data, kSize);
    if (block.type > kSelected || block.type == kNoSchedule) return ScheduleBlock();
    return block;
}

std::vector<uint8_t> ScheduleBlock::ToStoredValue() const {
    if (type == kNoSchedule) return {};
    auto bytes = Encode();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

void ScheduleBlock::PackSelectedDates() {
    size_t packed = 0;
    for (size_t slot = 0; slot < kMaxSelectedDates; ++slot) {
        int32_t date = selectedDates[slot];
        if (date == 0) continue;
        auto end = selectedDates.begin() + packed;
        if (std::find(selectedDates.begin(), end, date) != end) continue;
        selectedDates[packed++] = date;
    }
    std::fill(selectedDates.begin() + packed, selectedDates.end(), 0);
    dateCount = static_cast<uint32_t>(packed);
}

bool ScheduleBlock::IsValid() const {
    if (type > kSelected) return false;
    if ((flags & ~kFlagGmt) != 0) return false;
    if ((flags & kFlagGmt) != 0 && timeZone != 0) return false;
    if ((dayMask & ~kAllDays) != 0) return false;
    if (dateCount > kMaxSelectedDates) return false;
    ScheduleBlock packed = *this;
    packed.PackSelectedDates();
    if (packed.dateCount != dateCount || packed.selectedDates != selectedDates) return false;
    bool dateRange = type == kStartStop || type == kDayMask;
    bool dailyWindow = type == kDayMask || type == kSelected;
    if (dateRange && startDate > endDate) return false;
    if (dailyWindow && startTime > endTime) return false;
    if (type == kDayMask && (flags & kFlagGmt) != 0) return false;
    if (type == kStartStop && dayMask != 0) return false;
    return true;
}
