// The Set Date, Select Dates and Time Input dialogs as the Schedule page
// runs them: what they hand back for what the person does, the texts they
// show, and the faces of their buttons on Windows 4.0 and 3.51.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../local_time.h"
#include "snapin/pages/calendar_ctrl.h"
#include "snapin/pages/pages_resource.h"
#include "snapin/pages/select_dates_dlg.h"
#include "snapin/pages/set_date_dlg.h"
#include "snapin/pages/time_input_dlg.h"
#include "vpr/machine/machine.h"
#include "vpr/testing/temp_machine.h"
#include "vpr/user/controls.h"
#include "vpr/user/gdi.h"
#include "vpr/user/ui_driver.h"
#include "vpr/win/clock.h"
#include "vpr/win/module.h"

using vpr::user::ModalElement;
namespace ui = vpr::user::ui;

namespace {

std::string Text(HWND dialog, int id) {
    char text[100] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

CCalendarCtrl* Calendar(HWND dialog, int id) {
    return dynamic_cast<CCalendarCtrl*>(CWnd::FromHandlePermanent(GetDlgItem(dialog, id)));
}

int DayIndex(CCalendarCtrl* calendar, int day) {
    for (int i = 0; i < 42; ++i)
        if (calendar->GetCell(i).inMonth && calendar->GetCell(i).day == day) return i;
    return -1;
}

// Clicks a day of the month a calendar shows.
void ClickDay(HWND dialog, int id, int day) {
    CCalendarCtrl* calendar = Calendar(dialog, id);
    ASSERT_NE(calendar, nullptr);
    int index = DayIndex(calendar, day);
    ASSERT_GE(index, 0);
    CRect cell = calendar->GetCellRect(index);
    ui::ClickPoint(dialog, id, cell.left + 2, cell.top + 2);
}

bool DayMarked(HWND dialog, int id, int day) {
    CCalendarCtrl* calendar = Calendar(dialog, id);
    int index = calendar ? DayIndex(calendar, day) : -1;
    return index >= 0 && calendar->GetCell(index).selected;
}

class DateTimeDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "EST5EDT", 1);
        tzset();
        // Saturday 16 June 2001, 10:20 local time.
        clock_ = std::make_shared<vpr::win::ManualClock>();
        clock_->SetUnixMs(static_cast<int64_t>(LocalTime(2001, 6, 16, 10, 20)) * 1000);
        vpr::win::SetClock(clock_);
        ASSERT_TRUE(RegisterCalendarClass(vpr::win::ThisModule()));
    }
    void TearDown() override {
        vpr::win::SetClock(nullptr);
        unsetenv("TZ");
        tzset();
        for (const auto& failure : driver_.Failures()) ADD_FAILURE() << failure;
    }

    // Switches the machine to another Windows version (such as "3.51.1057").
    void MachineVersion(const std::string& version) {
        vpr::machine::Machine machine = *machine_.machine();
        std::string error;
        ASSERT_TRUE(vpr::machine::SetMachineFact(&machine, "version", version, &error)) << error;
        ASSERT_TRUE(machine.Save(&error)) << error;
        ASSERT_TRUE(vpr::machine::ReloadMachine(&error)) << error;
    }

    vpr::testing::TempMachine machine_;
    vpr::user::UiDriver driver_;
    std::shared_ptr<vpr::win::ManualClock> clock_;
};

TEST_F(DateTimeDialogsTest, SetDateHandsBackThePickedDay) {
    struct Case {
        const char* name;
        std::function<void(HWND)> act;
        INT_PTR result;
        int32_t date;
        const char* text;  // the edit when the person closes the dialog
    } cases[] = {
        {"OK without a pick", [](HWND) {}, IDOK, LocalTime(2001, 3, 7, 15, 30), "03/07/01"},
        {"a day clicked", [](HWND d) { ClickDay(d, IDC_SET_DATE_CALENDAR, 20); }, IDOK, LocalTime(2001, 3, 20), "03/20/01"},
        {"today on a Saturday", [](HWND d) { ui::Click(d, IDC_SET_DATE_TODAY); }, IDOK, LocalTime(2001, 6, 16),
         "06/16/01"},
        {"a month on, then a day",
         [](HWND d) {
             ui::Click(d, IDC_SET_DATE_NEXT_MONTH);
             ClickDay(d, IDC_SET_DATE_CALENDAR, 2);
         },
         IDOK, LocalTime(2001, 4, 2), "04/02/01"},
        {"moves alone keep the date", [](HWND d) { ui::Click(d, IDC_SET_DATE_PREV_YEAR); }, IDOK,
         LocalTime(2001, 3, 7, 15, 30), "03/07/01"},
    };
    for (const Case& c : cases) {
        CSetDateDlg dialog;
        dialog.SetDate(LocalTime(2001, 3, 7, 15, 30));
        std::string text;
        driver_.OnDialog(IDD_SET_DATE, [&](const ModalElement& e) {
            c.act(e.window);
            text = Text(e.window, IDC_SET_DATE_TEXT);
            ui::Click(e.window, IDOK);
        });
        EXPECT_EQ(dialog.DoModal(), c.result) << c.name;
        EXPECT_EQ(dialog.GetDate(), c.date) << c.name;
        EXPECT_EQ(text, c.text) << c.name;
    }
}

TEST_F(DateTimeDialogsTest, SelectDatesKeepsSlotsAcrossYearsAndRefusesThe351st) {
    const int kJune = 5153;  // the June calendar: the second row is not in id order
    struct Case {
        const char* name;
        std::vector<int32_t> slots;
        std::function<void(HWND)> act;
        std::vector<int32_t> dates;  // GetDates after OK
    } cases[] = {
        {"other years' dates kept", {LocalTime(2002, 3, 1)}, [&](HWND d) { ClickDay(d, kJune, 20); },
         {LocalTime(2002, 3, 1), LocalTime(2001, 6, 20)}},
        {"an emptied slot reused", {LocalTime(2001, 6, 1), LocalTime(2001, 6, 5), LocalTime(2001, 6, 9)},
         [&](HWND d) {
             ClickDay(d, kJune, 5);
             ClickDay(d, kJune, 20);
         },
         {LocalTime(2001, 6, 1), LocalTime(2001, 6, 20), LocalTime(2001, 6, 9)}},
        {"a year on marks that year's dates", {LocalTime(2002, 3, 1)},
         [](HWND d) {
             ui::Click(d, IDC_SELECT_NEXT_YEAR);
             EXPECT_EQ(Text(d, IDC_SELECT_YEAR), "2002");
             EXPECT_TRUE(DayMarked(d, 5148, 1));  // March
             ClickDay(d, 5148, 1);
         },
         {}},
        {"reset", {LocalTime(2001, 6, 1), LocalTime(2003, 1, 1)}, [](HWND d) { ui::Click(d, IDC_SELECT_RESET); }, {}},
    };
    for (const Case& c : cases) {
        std::vector<int32_t> slots(CSelectDatesDlg::kSlots, 0);
        for (size_t i = 0; i < c.slots.size(); ++i) slots[i] = c.slots[i];
        CSelectDatesDlg dialog;
        dialog.SetDates(slots.data());
        driver_.OnDialog(IDD_SELECT_DATES, [&](const ModalElement& e) {
            EXPECT_EQ(Text(e.window, IDC_SELECT_YEAR), "2001") << c.name;
            EXPECT_EQ(DayMarked(e.window, kJune, 1), c.slots.front() == LocalTime(2001, 6, 1)) << c.name;
            c.act(e.window);
            ui::Click(e.window, IDOK);
        });
        EXPECT_EQ(dialog.DoModal(), IDOK) << c.name;
        std::vector<int32_t> dates(CSelectDatesDlg::kSlots, -1);
        dialog.GetDates(dates.data());
        dates.resize(dialog.GetCount());
        EXPECT_EQ(dates, c.dates) << c.name;
    }

    // With 350 dates a new one is refused with message 160 and stays unmarked.
    std::vector<int32_t> full(CSelectDatesDlg::kSlots);
    for (int i = 0; i < CSelectDatesDlg::kSlots; ++i) full[i] = LocalTime(2002, 1, 1 + i);
    CSelectDatesDlg dialog;
    dialog.SetDates(full.data());
    std::string message;
    driver_.OnMessageBox("The maximum of", [&](const ModalElement& box) {
        message = box.caption + ": " + box.text;
        ui::Click(box.window, IDOK);
    });
    driver_.OnDialog(IDD_SELECT_DATES, [&](const ModalElement& e) {
        ClickDay(e.window, kJune, 20);
        EXPECT_FALSE(DayMarked(e.window, kJune, 20));
        ui::Click(e.window, IDOK);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(message, "Dravik Warning: The maximum of 350 selected dates has been reached.");
    std::vector<int32_t> dates(CSelectDatesDlg::kSlots);
    dialog.GetDates(dates.data());
    EXPECT_EQ(dialog.GetCount(), 350);
    EXPECT_EQ(dates, full);
}

// The shown years stop at 1972 and 2035.
TEST_F(DateTimeDialogsTest, SelectDatesShowsTheYears1972To2035) {
    struct Case {
        int year;
        int button;
        const char* after1;
        const char* after2;
    } cases[] = {{1973, IDC_SELECT_PREV_YEAR, "1972", "1972"}, {2034, IDC_SELECT_NEXT_YEAR, "2035", "2035"}};
    for (const Case& c : cases) {
        clock_->SetUnixMs(static_cast<int64_t>(LocalTime(c.year, 5, 10, 12)) * 1000);
        CSelectDatesDlg dialog;
        std::vector<int32_t> none(CSelectDatesDlg::kSlots, 0);
        dialog.SetDates(none.data());
        driver_.OnDialog(IDD_SELECT_DATES, [&](const ModalElement& e) {
            ui::Click(e.window, c.button);
            EXPECT_EQ(Text(e.window, IDC_SELECT_YEAR), c.after1);
            ui::Click(e.window, c.button);
            EXPECT_EQ(Text(e.window, IDC_SELECT_YEAR), c.after2);
            ui::Click(e.window, IDCANCEL);
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    }
}

TEST_F(DateTimeDialogsTest, TimeInputMovesInQuarterHours) {
    struct Case {
        const char* name;
        bool window;
        int32_t start, duration;
        std::vector<std::pair<int, int>> slides;  // slider, position
        const char* startText;
        const char* endText;
        const char* durationText;
        int32_t expectedStart, expectedEnd;
    } cases[] = {
        {"one time", false, LocalTime(2001, 6, 16, 13, 40), 0, {}, "13:30 (1:30PM)", "00:00", "00:00",
         LocalTime(2001, 6, 16, 13, 30), 0},
        {"midnight", false, LocalTime(2001, 6, 16, 0, 5), 0, {}, "00:00 (12:00AM)", "00:00", "00:00",
         LocalTime(2001, 6, 16), 0},
        {"noon", false, LocalTime(2001, 6, 16, 9), 0, {{IDC_TIME_START, 48}}, "12:00 (12:00PM)", "00:00", "00:00",
         LocalTime(2001, 6, 16, 12), 0},
        {"a window", true, LocalTime(2001, 6, 16, 9), 8 * 3600, {}, "09:00 (9:00AM)", "17:00 (5:00PM)", "08:00",
         LocalTime(2001, 6, 16, 9), LocalTime(2001, 6, 16, 17)},
        {"start to 96", true, LocalTime(2001, 6, 16, 9), 8 * 3600, {{IDC_TIME_START, 96}}, "23:45 (11:45PM)",
         "23:59 (11:59PM)", "00:14", LocalTime(2001, 6, 16, 23, 45), LocalTime(2001, 6, 16, 23, 59)},
        {"end to 0", true, LocalTime(2001, 6, 16, 9), 8 * 3600, {{IDC_TIME_END, 0}}, "00:00 (12:00AM)",
         "00:15 (12:15AM)", "00:15", LocalTime(2001, 6, 16), LocalTime(2001, 6, 16, 0, 15)},
    };
    for (const Case& c : cases) {
        std::unique_ptr<CTimeInputDlg> dialog =
            c.window ? std::make_unique<CTimeInputDlg>(nullptr, c.start, c.duration)
                     : std::make_unique<CTimeInputDlg>(nullptr, c.start);
        driver_.OnDialog(IDD_TIME_INPUT, [&](const ModalElement& e) {
            EXPECT_EQ(IsWindowVisible(GetDlgItem(e.window, IDC_TIME_END)) != FALSE, c.window) << c.name;
            for (auto [id, position] : c.slides) ui::MoveSlider(e.window, id, position);
            EXPECT_EQ(Text(e.window, IDC_TIME_START_TEXT), c.startText) << c.name;
            EXPECT_EQ(Text(e.window, IDC_TIME_END_TEXT), c.endText) << c.name;
            EXPECT_EQ(Text(e.window, IDC_TIME_DURATION_TEXT), c.durationText) << c.name;
            ui::Click(e.window, IDOK);
        });
        EXPECT_EQ(dialog->DoModal(), IDOK) << c.name;
        EXPECT_EQ(dialog->GetStartTime(), c.expectedStart) << c.name;
        if (c.window) {
            EXPECT_EQ(dialog->GetEndTime(), c.expectedEnd) << c.name;
            EXPECT_EQ(dialog->GetDuration(), c.expectedEnd - c.expectedStart) << c.name;
        }
    }
}

// Windows 4.0 shows icons on the navigation buttons; 3.51 draws them from
// bitmaps, as read from the painting.
TEST_F(DateTimeDialogsTest, NavigationFacesFollowTheWindowsVersion) {
    struct Case {
        const char* version;
        vpr::user::GdiCall::Kind painted;
        DWORD style;
    } cases[] = {{"4.0.950", vpr::user::GdiCall::Kind::kIcon, BS_ICON},
                 {"3.51.1057", vpr::user::GdiCall::Kind::kBlit, BS_OWNERDRAW}};
    for (const Case& c : cases) {
        MachineVersion(c.version);
        CSetDateDlg dialog;
        driver_.OnDialog(IDD_SET_DATE, [&](const ModalElement& e) {
            for (int id : {IDC_SET_DATE_PREV_YEAR, IDC_SET_DATE_PREV_MONTH, IDC_SET_DATE_NEXT_MONTH,
                           IDC_SET_DATE_NEXT_YEAR}) {
                HWND button = GetDlgItem(e.window, id);
                EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(button, GWL_STYLE)) & 0xFF, c.style) << c.version;
                vpr::user::ClearPaintRecord(button);
                InvalidateRect(button, nullptr, TRUE);
                vpr::user::PaintNow(button);
                bool painted = false;
                for (const auto& call : vpr::user::PaintRecord(button)) painted = painted || call.kind == c.painted;
                EXPECT_TRUE(painted) << c.version << " button " << id;
            }
            ui::Click(e.window, IDCANCEL);
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    }
}

}  // namespace
