// The calendar in a dialog, driven by the keyboard and the mouse as a person
// would, with the dialog answering its toggle requests.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <vector>

#include "local_time.h"
#include "snapin/pages/calendar_ctrl.h"
#include "vpr/mfc/dialog.h"
#include "vpr/user/ui_driver.h"
#include "vpr/win/clock.h"
#include "vpr/win/module.h"

namespace ui = vpr::user::ui;

namespace {

constexpr int kDialog = 900;
constexpr int kCalendar = 5132;

// The dialog that holds the calendar answers each toggle request with
// `answer` and keeps what it was asked.
class CalendarDialog : public CDialog {
public:
    CalendarDialog() : CDialog(kDialog) {}
    LRESULT OnToggle(WPARAM wParam, LPARAM lParam) {
        requests.push_back({static_cast<int32_t>(wParam), lParam});
        return answer;
    }
    struct Request {
        int32_t date;
        LPARAM id;
    };
    std::vector<Request> requests;
    LRESULT answer = 1;
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CalendarDialog, CDialog)
ON_MESSAGE(WM_CALENDAR_TOGGLE, OnToggle)
END_MESSAGE_MAP()

class CalendarTest : public ::testing::Test {
protected:
    void SetUp() override {
        // A zone with daylight saving, so that days are not all 86400 seconds.
        setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
        tzset();
        clock_ = std::make_shared<vpr::win::ManualClock>();
        clock_->SetUnixMs(static_cast<int64_t>(LocalTime(2001, 6, 15, 10)) * 1000);
        vpr::win::SetClock(clock_);
        ASSERT_TRUE(RegisterCalendarClass(vpr::win::ThisModule()));
        ASSERT_TRUE(dialog_.Create(kDialog));
        calendar_ = dynamic_cast<CCalendarCtrl*>(CWnd::FromHandlePermanent(::GetDlgItem(dialog_, kCalendar)));
        ASSERT_NE(calendar_, nullptr);
    }
    void TearDown() override {
        dialog_.DestroyWindow();
        vpr::win::SetClock(nullptr);
        for (const auto& failure : driver_.Failures()) ADD_FAILURE() << failure;
    }

    // Presses keys on the focused calendar and gives the focus cell's day.
    int PressDay(int key) {
        ui::PressKey(dialog_, key);
        int index = calendar_->GetFocusIndex();
        return index < 0 ? 0 : calendar_->GetCell(index).day;
    }
    void ClickCell(int index) {
        CRect cell = calendar_->GetCellRect(index);
        ui::ClickPoint(dialog_, kCalendar, cell.left + 2, cell.top + 2);
    }
    int IndexOf(int32_t midnight) {
        for (int i = 0; i < 42; ++i)
            if (calendar_->GetCell(i).inMonth && calendar_->GetCell(i).date == midnight + 12 * 3600)
                return i;
        return -1;
    }
    std::vector<int> SelectedDays() {
        std::vector<int> days;
        for (int i = 0; i < 42; ++i)
            if (calendar_->GetCell(i).selected) days.push_back(calendar_->GetCell(i).day);
        return days;
    }

    vpr::user::UiDriver driver_;
    std::shared_ptr<vpr::win::ManualClock> clock_;
    CalendarDialog dialog_;
    CCalendarCtrl* calendar_ = nullptr;
};

TEST_F(CalendarTest, ArrowsMoveAcrossTheEndsOfTheMonth) {
    // May 2003 begins on a Thursday and June on a Sunday: the 31st closes the
    // fifth row.
    calendar_->SetMonth(LocalTime(2003, 5, 10));
    ASSERT_EQ(::GetFocus(), calendar_->m_hWnd);  // the dialog's first tab stop
    EXPECT_EQ(calendar_->GetCell(4).day, 1);
    EXPECT_EQ(calendar_->GetCell(34).day, 31);
    EXPECT_FALSE(calendar_->GetCell(35).inMonth);

    EXPECT_EQ(PressDay(VK_UP), 31);     // no focus: the last day
    EXPECT_EQ(PressDay(VK_RIGHT), 1);   // after the last day: the first
    EXPECT_EQ(PressDay(VK_LEFT), 31);   // before the first day: the last
    EXPECT_EQ(PressDay(VK_DOWN), 3);    // from the last row round to the first
    EXPECT_EQ(PressDay(VK_DOWN), 10);
    EXPECT_EQ(PressDay(VK_RIGHT), 11);  // Saturday to the next row's Sunday
    EXPECT_EQ(PressDay(VK_UP), 4);
    EXPECT_EQ(PressDay(VK_UP), 25);     // 27 April is skipped: round to the last row
    EXPECT_EQ(PressDay(VK_LEFT), 24);   // Sunday to the row above's Saturday
    EXPECT_EQ(PressDay(VK_DOWN), 31);
    EXPECT_EQ(PressDay(VK_DOWN), 3);
    EXPECT_EQ(calendar_->GetCell(calendar_->GetFocusIndex()).inMonth, 1);

    // Down from no focus goes to the first day.
    calendar_->NextMonth();
    EXPECT_EQ(calendar_->GetFocusIndex(), -1);
    EXPECT_EQ(PressDay(VK_DOWN), 1);
    EXPECT_EQ(calendar_->GetFocusIndex(), 0);  // 1 June 2003 is a Sunday
}

TEST_F(CalendarTest, TogglesFollowTheParentsAnswer) {
    calendar_->SetMonth(LocalTime(2003, 5, 1));
    int fifth = IndexOf(LocalTime(2003, 5, 5));
    ClickCell(fifth);
    ASSERT_EQ(dialog_.requests.size(), 1u);
    EXPECT_EQ(dialog_.requests[0].date, LocalTime(2003, 5, 5));
    EXPECT_EQ(dialog_.requests[0].id, kCalendar);
    EXPECT_EQ(SelectedDays(), std::vector<int>{5});
    EXPECT_EQ(calendar_->GetFocusIndex(), fifth);

    ui::PressKey(dialog_, VK_RIGHT);
    ui::PressKey(dialog_, VK_SPACE);  // 6 May
    EXPECT_EQ(SelectedDays(), (std::vector<int>{5, 6}));
    ui::PressKey(dialog_, VK_SPACE);
    EXPECT_EQ(SelectedDays(), std::vector<int>{5});

    dialog_.answer = 0;  // refused: nothing changes
    ClickCell(fifth);
    EXPECT_EQ(SelectedDays(), std::vector<int>{5});
    EXPECT_EQ(dialog_.requests.size(), 4u);

    // A day of the month before is not asked about and not marked.
    ClickCell(0);
    EXPECT_EQ(dialog_.requests.size(), 4u);
    EXPECT_EQ(calendar_->GetFocusIndex(), 0);
    EXPECT_EQ(SelectedDays(), std::vector<int>{5});

    // Marks from the dialog's own list; any change of month clears them.
    int32_t marked[] = {LocalTime(2003, 5, 20), LocalTime(2003, 6, 2)};
    calendar_->SelectDates(marked, 2);
    EXPECT_EQ(SelectedDays(), (std::vector<int>{5, 20, 2}));  // 2 June shows in the last row
    calendar_->NextMonth();
    EXPECT_TRUE(SelectedDays().empty());
}

TEST_F(CalendarTest, SingleSelectionKeepsOneDayAndReportsIt) {
    calendar_->SetSingleSelection();
    calendar_->SelectDate(LocalTime(2003, 5, 17, 18));  // a Saturday
    int index = calendar_->GetFocusIndex();
    EXPECT_EQ(index % 7, 6);
    EXPECT_EQ(calendar_->GetCell(index).day, 17);
    EXPECT_EQ(calendar_->GetFocusDate(), LocalTime(2003, 5, 17));
    EXPECT_EQ(calendar_->GetMonthDate(), LocalTime(2003, 5, 17));

    ClickCell(IndexOf(LocalTime(2003, 5, 21)));
    EXPECT_EQ(SelectedDays(), std::vector<int>{21});
    EXPECT_EQ(calendar_->GetFocusDate(), LocalTime(2003, 5, 21));

    dialog_.answer = 0;  // a refused toggle still clears the others
    ClickCell(IndexOf(LocalTime(2003, 5, 22)));
    EXPECT_TRUE(SelectedDays().empty());
    EXPECT_EQ(calendar_->GetFocusDate(), LocalTime(2003, 5, 22));
}

TEST_F(CalendarTest, MonthsAndYearsMoveWithinTheShownYears) {
    struct Case {
        int32_t start;
        int (*move)(CCalendarCtrl&);
        int moved;
        int32_t month;  // GetMonthDate afterwards
    };
    auto nextYear = [](CCalendarCtrl& c) { return c.NextYear(); };
    auto prevYear = [](CCalendarCtrl& c) { return c.PrevYear(); };
    auto nextMonth = [](CCalendarCtrl& c) { return c.NextMonth(); };
    auto prevMonth = [](CCalendarCtrl& c) { return c.PrevMonth(); };
    const Case cases[] = {
        {LocalTime(2000, 2, 29), nextYear, 1, LocalTime(2001, 2, 28)},
        {LocalTime(2036, 7, 4), nextYear, 1, LocalTime(2037, 7, 4)},
        {LocalTime(2036, 12, 30), nextYear, 1, LocalTime(2037, 12, 30)},
        {LocalTime(2037, 1, 10), nextYear, 0, LocalTime(2037, 1, 10)},
        {LocalTime(1972, 2, 29), prevYear, 1, LocalTime(1971, 2, 28)},
        {LocalTime(1971, 12, 31), prevYear, 0, LocalTime(1971, 12, 31)},
        {LocalTime(2001, 1, 31), nextMonth, 1, LocalTime(2001, 2, 1)},
        {LocalTime(2001, 3, 31), prevMonth, 1, LocalTime(2001, 2, 1)},
        {LocalTime(2003, 10, 26), nextMonth, 1, LocalTime(2003, 11, 1)},  // daylight saving ends
        {LocalTime(2037, 12, 1), nextMonth, 0, LocalTime(2037, 12, 1)},
        {LocalTime(1971, 1, 31), prevMonth, 0, LocalTime(1971, 1, 31)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.start);
        calendar_->SelectDate(c.start);
        EXPECT_EQ(c.move(*calendar_), c.moved);
        EXPECT_EQ(calendar_->GetMonthDate(), c.month);
        EXPECT_EQ(calendar_->GetFocusIndex(), -1);
    }
    // Dates outside the shown years are ignored.
    calendar_->SetMonth(LocalTime(2003, 5, 1));
    calendar_->SetMonth(LocalTime(1970, 6, 1));
    calendar_->SelectDate(LocalTime(2038, 1, 5));
    EXPECT_EQ(calendar_->GetMonthDate(), LocalTime(2003, 5, 1));
}

TEST_F(CalendarTest, PaintsTitleMarksTodayAndTheFocus) {
    calendar_->SelectDate(LocalTime(2001, 6, 15));  // today by the clock
    calendar_->SelectDates(std::vector<int32_t>{LocalTime(2001, 6, 20)}.data(), 1);
    HWND window = calendar_->m_hWnd;
    vpr::user::ClearPaintRecord(window);
    vpr::user::PaintNow(window);
    auto record = vpr::user::PaintRecord(window);
    auto textCall = [&](const std::string& text, const RECT* within) -> const vpr::user::GdiCall* {
        for (const auto& call : record)
            if (call.kind == vpr::user::GdiCall::Kind::kText && call.text == text &&
                (!within || (call.rect.left >= within->left && call.rect.top >= within->top &&
                             call.rect.left < within->right && call.rect.top < within->bottom)))
                return &call;
        return nullptr;
    };
    EXPECT_NE(textCall("June", nullptr), nullptr);
    EXPECT_NE(textCall("20", nullptr), nullptr);
    EXPECT_NE(textCall("01", nullptr), nullptr);
    EXPECT_NE(textCall("W", nullptr), nullptr);

    CRect today = calendar_->GetCellRect(calendar_->GetFocusIndex());
    const auto* todayText = textCall("15", &today);
    ASSERT_NE(todayText, nullptr);
    EXPECT_EQ(todayText->color, RGB(255, 0, 0));  // red even when selected
    CRect twentieth = calendar_->GetCellRect(IndexOf(LocalTime(2001, 6, 20)));
    const auto* marked = textCall("20", &twentieth);
    ASSERT_NE(marked, nullptr);
    EXPECT_EQ(marked->color, GetSysColor(COLOR_WINDOW));
    bool filled = false, focused = false;
    for (const auto& call : record) {
        if (call.kind == vpr::user::GdiCall::Kind::kFillRect && call.rect == twentieth &&
            call.color == GetSysColor(COLOR_WINDOWTEXT))
            filled = true;
        if (call.kind == vpr::user::GdiCall::Kind::kFocusRect && call.rect == today) focused = true;
    }
    EXPECT_TRUE(filled);
    EXPECT_TRUE(focused);
}

}  // namespace
