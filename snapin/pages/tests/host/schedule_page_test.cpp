// The Schedule page of an application: the record stored in "App:Schedule"
// for what the person does, with the date and time dialogs driven by the
// script, on a fixed clock and time zone.
#include "page_host_fixture.h"

#include <ctime>
#include <memory>

#include "../local_time.h"
#include "template/schedule_block.h"
#include "vpr/machine/machine.h"
#include "vpr/user/controls.h"
#include "vpr/user/gdi.h"
#include "vpr/win/clock.h"

namespace faults = vpr::directory::faults;
namespace ui = vpr::user::ui;

namespace {

std::string Bytes(const ScheduleBlock& record) {
    auto bytes = record.Encode();
    return std::string(bytes.begin(), bytes.end());
}

// A complete range of June 2001, 09:00 to 17:00 on every day.
ScheduleBlock JuneRange() {
    ScheduleBlock record;
    record.type = ScheduleBlock::kStartStop;
    record.startDate = LocalTime(2001, 6, 1);
    record.endDate = LocalTime(2001, 6, 30);
    record.startTime = 9 * 3600;
    record.endTime = 17 * 3600;
    record.timeZone = 18000;
    return record;
}

// Script lines: the Set Date dialog picks a day of the month it opens on,
// from the button that opens it (not the 20th: the title shows the century
// "20" too).
std::string PickDay(int button, int day) {
    return "dialog 350\nclick 5132 " + std::to_string(day) + "\nok\nend\npress " + std::to_string(button) + "\n";
}
// The Time Input dialog from a time button, its sliders moved.
std::string PickTimes(int button, const std::string& slides) {
    return "dialog 349\n" + slides + "ok\nend\npress " + std::to_string(button) + "\n";
}

class SchedulePageTest : public PageHostTest {
protected:
    // Wednesday 13 June 2001, 10:20 in New York.
    void SetUp() override {
        setenv("TZ", "EST5EDT", 1);
        tzset();
        clock_ = std::make_shared<vpr::win::ManualClock>();
        clock_->SetUnixMs(static_cast<int64_t>(LocalTime(2001, 6, 13, 10, 20)) * 1000);
        vpr::win::SetClock(clock_);
        PageHostTest::SetUp();
    }
    void TearDown() override {
        PageHostTest::TearDown();
        vpr::win::SetClock(nullptr);
        unsetenv("TZ");
        tzset();
    }

    // Opens the page, runs the lines, presses OK.
    int Edit(const std::string& lines) { return Run("details WP.sales.acme\npage Schedule\n" + lines + "ok\n"); }

    // The stored record; its size in `size`.
    ScheduleBlock Stored(size_t* size) {
        std::string bytes = Stream("WP.sales.acme", "App:Schedule");
        *size = bytes.size();
        ScheduleBlock record;
        record.Decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
        return record;
    }

    std::shared_ptr<vpr::win::ManualClock> clock_;
};

// A table of actions on stored records: the fields written, each record
// keeping the writer's invariants.
TEST_F(SchedulePageTest, ActionsGiveTheStoredFields) {
    ScheduleBlock restricted = JuneRange();
    restricted.type = ScheduleBlock::kDayMask;
    restricted.dayMask = 0x3E;
    ScheduleBlock late = JuneRange();
    late.startTime = 17 * 3600;
    late.endTime = 9 * 3600;
    late.selectedDates[0] = LocalTime(2001, 7, 4);
    late.dateCount = 1;
    ScheduleBlock reserved = JuneRange();
    reserved.reserved = 77;
    reserved.spread = 600;
    struct Case {
        const char* name;
        std::string stored;
        std::string lines;
        std::function<void(const ScheduleBlock&)> check;
    } cases[] = {
        {"a range on all days in GMT", "",
         "check 5103 on\ncheck 5167 on\n" + PickDay(1802, 15) + PickDay(1803, 21) +
             PickTimes(1804, "slide 4801 36\n") + PickTimes(1805, "slide 4801 68\n"),
         [](const ScheduleBlock& r) {
             EXPECT_EQ(r.type, 1u);
             EXPECT_EQ(r.flags, 1u);
             EXPECT_EQ(r.timeZone, 0);
             EXPECT_EQ(r.dayMask, 0u);
             EXPECT_EQ(r.startDate, LocalTime(2001, 6, 15));
             EXPECT_EQ(r.endDate, LocalTime(2001, 6, 21));
             EXPECT_EQ(r.startTime, 32400u);
             EXPECT_EQ(r.endTime, 61200u);
         }},
        {"Thursday off from a stored mask 0", Bytes(JuneRange()), "check 5127 off\n",
         [](const ScheduleBlock& r) {
             EXPECT_EQ(r.type, 2u);
             EXPECT_EQ(r.dayMask, 0x6Fu);
             EXPECT_EQ(r.timeZone, 18000);
         }},
        {"every day off", Bytes(restricted),
         "check 5123 off\ncheck 5124 off\ncheck 5125 off\ncheck 5126 off\ncheck 5127 off\ncheck 5128 off\n"
         "check 5129 off\n",
         [](const ScheduleBlock& r) {
             EXPECT_EQ(r.type, 2u);
             EXPECT_EQ(r.dayMask, 0u);
         }},
        {"all days back on", Bytes(restricted), "check 5123 on\ncheck 5129 on\n",
         [](const ScheduleBlock& r) {
             EXPECT_EQ(r.type, 1u);
             EXPECT_EQ(r.dayMask, 0u);
         }},
        {"three selected dates", "",
         "check 5105 on\ndialog 357\nclick 5153 21\nclick 5146 5\nclick 5157 24\nok\nend\npress 5108\n" +
             PickTimes(1804, "slide 4801 32\nslide 4804 72\n"),
         [](const ScheduleBlock& r) {
             EXPECT_EQ(r.type, 3u);
             EXPECT_EQ(r.dateCount, 3u);
             EXPECT_EQ(r.selectedDates[0], LocalTime(2001, 6, 21));
             EXPECT_EQ(r.selectedDates[1], LocalTime(2001, 1, 5));
             EXPECT_EQ(r.selectedDates[2], LocalTime(2001, 12, 24));
             EXPECT_EQ(r.selectedDates[3], 0);
             EXPECT_EQ(r.startTime, 8 * 3600u);
             EXPECT_EQ(r.endTime, 18 * 3600u);
         }},
        {"spread 15", Bytes(JuneRange()), "set 5130 15\n",
         [](const ScheduleBlock& r) { EXPECT_EQ(r.spread, 900u); }},
        {"spread emptied, the reserved field kept", Bytes(reserved), "set 5130 \n",
         [](const ScheduleBlock& r) {
             EXPECT_EQ(r.spread, 0u);
             EXPECT_EQ(r.reserved, 77u);
         }},
        {"an end before the start moved up for dates", Bytes(late), "check 5105 on\n",
         [](const ScheduleBlock& r) {
             EXPECT_EQ(r.type, 3u);
             EXPECT_EQ(r.startTime, 61200u);
             EXPECT_EQ(r.endTime, 61200u);
         }},
        {"an end before the start moved up for days", Bytes(late), "check 5124 off\n",
         [](const ScheduleBlock& r) {
             EXPECT_EQ(r.type, 2u);
             EXPECT_EQ(r.endTime, 61200u);
         }},
        {"a start date after the end moves the end", Bytes(JuneRange()),
         "dialog 350\npress 5136\nclick 5132 3\nok\nend\npress 1802\n",
         [](const ScheduleBlock& r) {
             EXPECT_EQ(r.startDate, LocalTime(2001, 7, 3));
             EXPECT_EQ(r.endDate, LocalTime(2001, 7, 3));
         }},
    };
    for (const Case& c : cases) {
        tree_.Stream("WP.sales.acme", "App:Schedule", c.stored);
        EXPECT_EQ(Edit(c.lines), 0) << c.name << "\n" << output_;
        size_t size = 0;
        ScheduleBlock record = Stored(&size);
        EXPECT_EQ(size, ScheduleBlock::kSize) << c.name;
        EXPECT_TRUE(record.IsValid()) << c.name;
        c.check(record);
    }
}

// Unchecking the kind stores no bytes.
TEST_F(SchedulePageTest, NoKindStoresAnEmptyValue) {
    tree_.Stream("WP.sales.acme", "App:Schedule", Bytes(JuneRange()));
    EXPECT_EQ(Edit("check 5103 off\nshow 5176\n"), 0) << output_;
    EXPECT_NE(output_.find("5176: Time is currently disabled:\n"), std::string::npos) << output_;
    EXPECT_EQ(Stream("WP.sales.acme", "App:Schedule"), "");
}

// The time zone is the standard offset of the process's TZ.
TEST_F(SchedulePageTest, TheTimeZoneIsTheStandardOffset) {
    for (auto [tz, offset] : {std::pair{"EST5EDT", 18000}, {"CET-1CEST", -3600}}) {
        setenv("TZ", tz, 1);
        tzset();
        tree_.Stream("WP.sales.acme", "App:Schedule", Bytes(JuneRange()));
        EXPECT_EQ(Edit("set 5130 5\n"), 0) << output_;
        size_t size = 0;
        EXPECT_EQ(Stored(&size).timeZone, offset) << tz;
    }
}

// A value shorter than a record, or of an unknown type, shows no schedule.
TEST_F(SchedulePageTest, ACutOrUnknownRecordReadsAsNone) {
    ScheduleBlock unknown = JuneRange();
    unknown.type = 5;
    for (const std::string& stored : {Bytes(JuneRange()).substr(0, 1000), Bytes(unknown)}) {
        tree_.Stream("WP.sales.acme", "App:Schedule", stored);
        EXPECT_EQ(Run("details WP.sales.acme\npage Schedule\nshow 5176\nshow 5113\ncancel\n"), 0) << output_;
        EXPECT_NE(output_.find("5176: Time is currently disabled:\n5113: \n"), std::string::npos) << output_;
    }
}

// A range without its dates and times keeps the page open with message 159.
TEST_F(SchedulePageTest, AnIncompleteScheduleIsNotSaved) {
    EXPECT_EQ(Run("details WP.sales.acme\npage Schedule\ncheck 5103 on\n"
                  "answer ok All dates and times must be selected before saving scheduling information.\nok\n"
                  "cancel\n"),
              0)
        << output_;
    EXPECT_NE(output_.find("message Dravik Warning: All dates"), std::string::npos) << output_;
    EXPECT_EQ(Stream("WP.sales.acme", "App:Schedule").substr(0, 6), "status");
}

// A write that stores less than the record is reported.
TEST_F(SchedulePageTest, AShortWriteIsReported) {
    tree_.Stream("WP.sales.acme", "App:Schedule", Bytes(JuneRange()));
    faults::FailStreamWritesAfter(100);
    EXPECT_EQ(Run("answer ok The \"Schedule\" page failed\ndetails WP.sales.acme\npage Schedule\nset 5130 15\nok\n"),
              0)
        << output_;
    EXPECT_NE(output_.find("Error code: -1\n"), std::string::npos) << output_;
}

// The Set Date dialog's Today and OK without a pick, the Select Dates
// dialog's refusal of a 351st date, on the page's record.
TEST_F(SchedulePageTest, DateDialogsFromThePage) {
    ScheduleBlock full = JuneRange();
    full.type = ScheduleBlock::kSelected;
    for (int i = 0; i < 350; ++i) full.selectedDates[i] = LocalTime(2002, 1, 1 + i);
    full.dateCount = 350;
    tree_.Stream("WP.sales.acme", "App:Schedule", Bytes(full));
    EXPECT_EQ(Edit("dialog 357\nanswer ok The maximum of 350 selected dates has been reached.\nclick 5153 21\n"
                   "ok\nend\npress 5108\n"),
              0)
        << output_;
    size_t size = 0;
    ScheduleBlock stored = Stored(&size);
    EXPECT_EQ(stored.dateCount, 350u);
    EXPECT_EQ(stored.selectedDates, full.selectedDates);

    tree_.Stream("WP.sales.acme", "App:Schedule", Bytes(JuneRange()));
    EXPECT_EQ(Edit("dialog 350\nok\nend\npress 1802\ndialog 350\npress 5137\nok\nend\npress 1803\n"), 0) << output_;
    stored = Stored(&size);
    EXPECT_EQ(stored.startDate, LocalTime(2001, 6, 1));
    EXPECT_EQ(stored.endDate, LocalTime(2001, 6, 13));
}

// A calendar shows the day names "S" and "T" twice: a click on one of them
// says where, and #N picks one.
TEST_F(SchedulePageTest, AClickOnATextShownTwiceNamesThePlaces) {
    EXPECT_EQ(Run("details WP.sales.acme\npage Schedule\ncheck 5103 on\ndialog 350\nclick 5132 T\n"
                  "click 5132 T #2\nshow 5138\ncancel\nend\npress 1802\ncancel\n"),
              1)
        << output_;
    EXPECT_NE(output_.find("control 5132 shows \"T\" 2 times, at ("), std::string::npos) << output_;
    EXPECT_NE(output_.find("clicked 5132 on T #2\n"), std::string::npos) << output_;
}

// Windows 4.0 gives the date and time buttons their pictures as bitmap
// buttons; 3.51 draws them by state: the clock of a disabled time button is
// grey, of an enabled one black (read from the painting).
TEST_F(SchedulePageTest, ButtonFacesFollowTheWindowsVersion) {
    auto glyph = [](HWND page, int id) {
        HWND button = GetDlgItem(page, id);
        InvalidateRect(button, nullptr, TRUE);
        vpr::user::PaintNow(button);
        return vpr::user::WindowPixel(button, 8, 3);  // the top of the clock
    };
    for (const char* version : {"4.0.950", "3.51.1057"}) {
        vpr::machine::Machine machine = *machine_.machine();
        std::string error;
        ASSERT_TRUE(vpr::machine::SetMachineFact(&machine, "version", version, &error)) << error;
        ASSERT_TRUE(machine.Save(&error)) << error;
        ASSERT_TRUE(vpr::machine::ReloadMachine(&error)) << error;
        bool pictures = std::string(version) == "4.0.950";
        vpr::user::UiDriver driver;
        driver.OnDialog(vpr::adminhost::kDetailsDialogId, [&](const vpr::user::ModalElement& sheet) {
            HWND page = ShowPage(sheet.window, "Schedule");
            for (int id : {1802, 1803, 1804, 1805}) {
                DWORD style = static_cast<DWORD>(GetWindowLongA(GetDlgItem(page, id), GWL_STYLE));
                EXPECT_EQ(style & BS_BITMAP, pictures ? static_cast<DWORD>(BS_BITMAP) : 0u) << version << " " << id;
                EXPECT_EQ((style & 0xF) == BS_OWNERDRAW, !pictures) << version << " " << id;
                EXPECT_NE(SendMessageA(GetDlgItem(page, id), BM_GETIMAGE, IMAGE_BITMAP, 0) != 0, !pictures) << id;
            }
            if (!pictures) {
                EXPECT_EQ(glyph(page, 1804), RGB(128, 128, 128));
                ui::Check(page, 5103, true);
                EXPECT_EQ(glyph(page, 1804), RGB(0, 0, 0));
            }
            ui::Click(sheet.window, IDCANCEL);
        });
        host_.OpenDetails("WP.sales.acme");
        EXPECT_TRUE(driver.Failures().empty()) << version;
    }
}

}  // namespace
