#include <gtest/gtest.h>

#include <vector>

#include "template/schedule_block.h"

namespace {

std::vector<uint8_t> Le32(std::initializer_list<uint32_t> words) {
    std::vector<uint8_t> bytes;
    for (uint32_t w : words) {
        for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(w >> shift));
    }
    return bytes;
}

TEST(ScheduleBlock, FieldsSitAtTheirOffsetsLittleEndian) {
    ScheduleBlock block;
    block.type = ScheduleBlock::kSelected;
    block.flags = ScheduleBlock::kFlagGmt;
    block.startDate = 0x01020304;
    block.endDate = -2;
    block.startTime = 900;
    block.endTime = 86340;
    block.spread = 600;
    block.dayMask = 0x41;
    block.dateCount = 2;
    block.reserved = 0xA5A5A5A5;
    block.timeZone = -3600;
    block.selectedDates[0] = 946684800;
    block.selectedDates[1] = 978307200;
    block.selectedDates[349] = 7;

    auto bytes = block.Encode();
    auto expectedHeader = Le32({3, 1, 0x01020304, 0xFFFFFFFE, 900, 86340, 600, 0x41, 2, 0xA5A5A5A5,
                                static_cast<uint32_t>(-3600), 946684800, 978307200});
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + expectedHeader.size()),
              expectedHeader);
    EXPECT_EQ(std::vector<uint8_t>(bytes.end() - 4, bytes.end()), Le32({7}));

    ScheduleBlock back;
    EXPECT_EQ(back.Decode(bytes.data(), bytes.size()), 361u);
    EXPECT_EQ(back.Encode(), bytes);
    EXPECT_EQ(back.timeZone, -3600);
    EXPECT_EQ(back.endDate, -2);
    EXPECT_EQ(back.reserved, 0xA5A5A5A5u);
}

TEST(ScheduleBlock, DecodeTakesOnlyWholeFieldsPresent) {
    auto bytes = Le32({2, 0, 10, 20});
    bytes.push_back(0xFF);  // a partial fifth field is ignored
    ScheduleBlock block;
    block.startTime = 77;
    EXPECT_EQ(block.Decode(bytes.data(), bytes.size()), 4u);
    EXPECT_EQ(block.type, 2u);
    EXPECT_EQ(block.endDate, 20);
    EXPECT_EQ(block.startTime, 77u);
}

TEST(ScheduleBlock, StoredValueReadsAsNoScheduleUnlessACompleteKnownRecord) {
    ScheduleBlock selected;
    selected.type = ScheduleBlock::kSelected;
    selected.reserved = 9;
    std::vector<uint8_t> stored = selected.ToStoredValue();
    ASSERT_EQ(stored.size(), ScheduleBlock::kSize);
    ScheduleBlock back = ScheduleBlock::FromStoredValue(stored.data(), stored.size());
    EXPECT_EQ(back.type, ScheduleBlock::kSelected);
    EXPECT_EQ(back.reserved, 9u);

    // Shorter than a record, a type past 3, nothing at all: no schedule.
    EXPECT_EQ(ScheduleBlock::FromStoredValue(stored.data(), stored.size() - 1).type, 0u);
    stored[0] = 4;
    EXPECT_EQ(ScheduleBlock::FromStoredValue(stored.data(), stored.size()).type, 0u);
    EXPECT_EQ(ScheduleBlock::FromStoredValue(nullptr, 0).type, 0u);

    // No schedule is stored as no bytes.
    EXPECT_TRUE(ScheduleBlock().ToStoredValue().empty());
}

TEST(ScheduleBlock, PackKeepsSlotOrderDropsHolesAndRepeats) {
    ScheduleBlock block;
    block.type = ScheduleBlock::kSelected;
    block.selectedDates[0] = 300;
    block.selectedDates[2] = 100;
    block.selectedDates[5] = 300;
    block.selectedDates[349] = 200;
    block.dateCount = 4;
    EXPECT_FALSE(block.IsValid());
    block.PackSelectedDates();
    EXPECT_EQ(block.dateCount, 3u);
    EXPECT_EQ(block.selectedDates[0], 300);
    EXPECT_EQ(block.selectedDates[1], 100);
    EXPECT_EQ(block.selectedDates[2], 200);
    EXPECT_EQ(block.selectedDates[3], 0);
    EXPECT_EQ(block.selectedDates[349], 0);
    EXPECT_TRUE(block.IsValid());

    // A full table: 350 dates and no empty slot; removing one packs it away.
    for (size_t i = 0; i < ScheduleBlock::kMaxSelectedDates; ++i) {
        block.selectedDates[i] = static_cast<int32_t>(86400 * (i + 1));
    }
    block.PackSelectedDates();
    EXPECT_EQ(block.dateCount, 350u);
    block.selectedDates[10] = 0;
    block.PackSelectedDates();
    EXPECT_EQ(block.dateCount, 349u);
    EXPECT_EQ(block.selectedDates[10], 86400 * 12);
    EXPECT_EQ(block.selectedDates[349], 0);
}

TEST(ScheduleBlock, ValidityFollowsTheWriterInvariants) {
    ScheduleBlock range;
    range.type = ScheduleBlock::kStartStop;
    range.startDate = 1000;
    range.endDate = 1000;
    range.startTime = 5000;  // a date range may end earlier in the day
    range.endTime = 100;
    ASSERT_TRUE(range.IsValid());

    struct Case {
        const char* what;
        void (*spoil)(ScheduleBlock&);
    };
    const Case cases[] = {
        {"type 4", [](ScheduleBlock& b) { b.type = 4; }},
        {"unknown flag", [](ScheduleBlock& b) { b.flags = 0x2; }},
        {"GMT with a time zone", [](ScheduleBlock& b) { b.flags = 1; b.timeZone = 3600; }},
        {"start after end", [](ScheduleBlock& b) { b.startDate = 2000; }},
        {"day mask on a date range", [](ScheduleBlock& b) { b.dayMask = 1; }},
        {"GMT on day mask", [](ScheduleBlock& b) { b.type = 2; b.flags = 1; b.endTime = 6000; }},
        {"window ends before it starts", [](ScheduleBlock& b) { b.type = 2; }},
        {"day bit past Saturday", [](ScheduleBlock& b) { b.type = 2; b.endTime = 6000; b.dayMask = 0x80; }},
        {"count without dates", [](ScheduleBlock& b) { b.dateCount = 1; }},
        {"count past 350", [](ScheduleBlock& b) { b.dateCount = 351; }},
    };
    for (const auto& c : cases) {
        ScheduleBlock spoiled = range;
        c.spoil(spoiled);
        EXPECT_FALSE(spoiled.IsValid()) << c.what;
    }
}

}  // namespace
