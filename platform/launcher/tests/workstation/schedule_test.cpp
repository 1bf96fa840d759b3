// The schedule check on the test clock: platforms, schedule records and Run
// once decide the active set; the previous set is returned.
#include <memory>
#include <string>

#include "template/schedule_block.h"
#include "vpr/win/clock.h"
#include "workstation_fixture.h"

namespace vpr::launcher {
namespace {

constexpr int64_t kMonday = 978307200;  // 2001-01-01 00:00 UTC, a Monday
constexpr uint32_t kHour = 3600;

class ScheduleTest : public WorkstationTest {
protected:
    void SetUp() override {
        WorkstationTest::SetUp();
        clock_ = std::make_shared<vpr::win::ManualClock>();
        vpr::win::SetClock(clock_);
        App("Clock.acme");
        Associate("jdoe.sales.acme", "Clock.acme", KMAPP_ASSOC_FORCE_RUN | KMAPP_ASSOC_LAUNCHER);
    }
    void TearDown() override {
        vpr::win::SetClock(nullptr);
        WorkstationTest::TearDown();
    }
    void At(int64_t time) { clock_->SetUnixMs(time * 1000); }
    void Schedule(const ScheduleBlock& block) {
        auto bytes = block.Encode();
        tree.Stream("Clock.acme", "App:Schedule", std::string(bytes.begin(), bytes.end()));
    }
    // A fresh record of the application, as the shell's cache reads one.
    KmappFolder* Folders() { return KMAPPGetFoldersEx(context, nullptr, 1, KMAPP_ASSOC_ALL, 15); }

    std::shared_ptr<vpr::win::ManualClock> clock_;
};

TEST_F(ScheduleTest, AWindowThatOpensShowsTheChangeExactlyOnce) {
    ScheduleBlock block;
    block.type = ScheduleBlock::kStartStop;
    block.flags = ScheduleBlock::kFlagGmt;
    block.startDate = block.endDate = static_cast<int32_t>(kMonday);
    block.startTime = 10 * kHour;
    block.endTime = 12 * kHour;
    Schedule(block);
    At(kMonday + 9 * kHour);
    KmappFolder* folders = Folders();
    ASSERT_NE(folders, nullptr);
    KmappApplication* app = folders->applications;
    const DWORD flags = KMAPP_ASSOC_FORCE_RUN | KMAPP_ASSOC_LAUNCHER;
    EXPECT_EQ(app->state, 0u);  // nothing known yet in this process
    EXPECT_EQ(KMAPPCheckSchedule(app), 0u);
    EXPECT_EQ(app->state, 0u);  // closed
    At(kMonday + 10 * kHour + 60);
    EXPECT_EQ(KMAPPCheckSchedule(app), 0u);  // the old set
    EXPECT_EQ(app->state, flags);           // the new one
    EXPECT_EQ(KMAPPCheckSchedule(app), flags);  // unchanged now
    // A new list starts from what this process saw last.
    KmappFolder* again = Folders();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->applications->state, flags);
    KMAPPFreeGetFoldersEx(again);
    At(kMonday + 12 * kHour + 60);
    EXPECT_EQ(KMAPPCheckSchedule(app), flags);
    EXPECT_EQ(app->state, 0u);
    KMAPPFreeGetFoldersEx(folders);
}

TEST_F(ScheduleTest, RecordsOfEachTypeOpenWhenTheySay) {
    auto daily = [](uint32_t type) {
        ScheduleBlock block;
        block.type = type;
        block.flags = type == ScheduleBlock::kDayMask ? 0 : ScheduleBlock::kFlagGmt;
        block.startDate = static_cast<int32_t>(kMonday);
        block.endDate = static_cast<int32_t>(kMonday + 6 * 86400);
        block.startTime = 8 * kHour;
        block.endTime = 17 * kHour;
        return block;
    };
    ScheduleBlock weekdays = daily(ScheduleBlock::kDayMask);
    weekdays.dayMask = 0x2 | 0x4;  // Monday, Tuesday
    ScheduleBlock selected = daily(ScheduleBlock::kSelected);
    selected.selectedDates[0] = static_cast<int32_t>(kMonday + 2 * 86400);  // Wednesday
    selected.dateCount = 1;
    // A damaged time zone of five days and 31 years puts Monday's local time
    // on Saturday 1969-12-27: the weekday still comes from the calendar.
    ScheduleBlock before1970 = weekdays;
    before1970.timeZone = static_cast<int32_t>(kMonday + 5 * 86400);
    before1970.startDate = static_cast<int32_t>(kMonday - 86400);
    before1970.endDate = static_cast<int32_t>(kMonday + 86400);
    ScheduleBlock saturday1969 = before1970;
    saturday1969.dayMask = 0x40;
    ScheduleBlock spread = daily(ScheduleBlock::kStartStop);
    spread.spread = 1;  // under a second: every computer starts on time
    struct Case {
        const char* what;
        ScheduleBlock block;
        int64_t now;
        bool open;
    } cases[] = {
        {"no schedule", ScheduleBlock{}, kMonday, true},
        {"Monday in the window", weekdays, kMonday + 9 * kHour, true},
        {"Monday before the window", weekdays, kMonday + 7 * kHour, false},
        {"until the end of the end minute", weekdays, kMonday + 17 * kHour + 59, true},
        {"Wednesday not in the mask", weekdays, kMonday + 2 * 86400 + 9 * kHour, false},
        {"after the last day", weekdays, kMonday + 7 * 86400 + 9 * kHour, false},
        {"the selected Wednesday", selected, kMonday + 2 * 86400 + 9 * kHour, true},
        {"a day not selected", selected, kMonday + 9 * kHour, false},
        {"a range open from its start", spread, kMonday + 8 * kHour, true},
        {"local time before 1970 on a Saturday", saturday1969, kMonday + 9 * kHour, true},
        {"local time before 1970, not Monday", before1970, kMonday + 9 * kHour, false},
        {"a range open overnight", spread, kMonday + 86400 + 3 * kHour, true},
    };
    for (const Case& c : cases) {
        if (c.block.type == ScheduleBlock::kNoSchedule) {
            tree.Stream("Clock.acme", "App:Schedule", "");
        } else {
            Schedule(c.block);
        }
        At(c.now);
        KmappFolder* folders = Folders();
        ASSERT_NE(folders, nullptr);
        KMAPPCheckSchedule(folders->applications);
        EXPECT_EQ(folders->applications->state != 0, c.open) << c.what;
        KMAPPFreeGetFoldersEx(folders);
    }
}

TEST_F(ScheduleTest, RunOnceAfterASuccessAndAnotherPlatformAreNeverActive) {
    tree.Set("Clock.acme", "App:Flags", {std::to_string(0x100)});
    KmappFolder* folders = Folders();
    ASSERT_NE(folders, nullptr);
    KMAPPCheckSchedule(folders->applications);
    EXPECT_NE(folders->applications->state, 0u);
    KMAPPFreeGetFoldersEx(folders);
    ASSERT_EQ(Process("Clock.acme").result, 0u);
    folders = Folders();
    ASSERT_NE(folders, nullptr);
    KMAPPCheckSchedule(folders->applications);
    EXPECT_EQ(folders->applications->state, 0u);
    KMAPPFreeGetFoldersEx(folders);

    App("Win95Only.acme");
    Associate("jdoe.sales.acme", "Win95Only.acme", KMAPP_ASSOC_LAUNCHER);
    tree.Set("Win95Only.acme", "App:Platform", {"2"});
    folders = Folders();
    ASSERT_NE(folders, nullptr);
    ASSERT_NE(folders->applications, nullptr);
    KmappApplication* win95 = folders->applications;
    while (win95 && std::string(win95->name) != "Win95Only.acme") win95 = win95->next;
    ASSERT_NE(win95, nullptr);
    KMAPPCheckSchedule(win95);
    EXPECT_EQ(win95->state, 0u);
    KMAPPFreeGetFoldersEx(folders);
}

}  // namespace
}  // namespace vpr::launcher
