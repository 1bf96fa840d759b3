// The Select Dates dialog: single days on the twelve months of a year.
#include "snapin/pages/select_dates_dlg.h"

#include <cstdio>
#include <ctime>

#include "snapin/core/common_resource.h"
#include "snapin/pages/calendar_ctrl.h"
#include "snapin/pages/pages_resource.h"
#include "snapin/pages/set_date_dlg.h"
#include "vpr/win/clock.h"

namespace {

// The calendars of January to December; the template places them in rows
// of four, not in the order of their ids.
constexpr int kMonthIds[12] = {5146, 5147, 5148, 5149, 5150, 5153, 5152, 5151, 5154, 5155, 5156, 5157};
// The years shown: 1972 to 2035.
constexpr int kLastYearBefore = 2034;
constexpr int kFirstYearAfter = 1973;

std::tm Local(int32_t date) {
    std::tm tm{};
    vpr::win::ToLocalTime(date, &tm);
    return tm;
}

}  // namespace

BEGIN_MESSAGE_MAP(CSelectDatesDlg, CDialog)
ON_MESSAGE(WM_CALENDAR_TOGGLE, OnToggle)
ON_BN_CLICKED(IDC_SELECT_NEXT_YEAR, OnNextYear)
ON_BN_CLICKED(IDC_SELECT_PREV_YEAR, OnPrevYear)
ON_BN_CLICKED(IDC_SELECT_RESET, OnReset)
ON_WM_DRAWITEM()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CSelectDatesDlg::CSelectDatesDlg(CWnd* pParent) : CDialog(IDD_SELECT_DATES, pParent) {}

void CSelectDatesDlg::SetDates(const int32_t* dates) {
    m_count = 0;
    for (int i = 0; i < kSlots; ++i) {
        m_slots[i] = dates[i];
        if (dates[i]) ++m_count;
    }
}

void CSelectDatesDlg::GetDates(int32_t* dates) const {
    int at = 0;
    for (int32_t date : m_slots)
        if (date) dates[at++] = date;
}

CCalendarCtrl* CSelectDatesDlg::Month(int month) const {
    return dynamic_cast<CCalendarCtrl*>(CWnd::FromHandlePermanent(::GetDlgItem(m_hWnd, kMonthIds[month])));
}

BOOL CSelectDatesDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    int32_t now = static_cast<int32_t>(vpr::win::CurrentTime());
    int year = Local(now).tm_year + 1900;
    ShowYear(year);
    CCalendarCtrl* january = Month(0);
    if (january) {
        january->SetMonth(LocalMidnight(now));
        while (Local(january->GetMonthDate()).tm_mon != 0 && january->PrevMonth()) {
        }
    }
    for (int month = 1; month < 12; ++month) {
        CCalendarCtrl* previous = Month(month - 1);
        CCalendarCtrl* calendar = Month(month);
        if (!previous || !calendar) continue;
        calendar->SetMonth(previous->GetMonthDate());
        calendar->NextMonth();
    }
    m_faces.Attach(this, {
        {IDC_SELECT_PREV_YEAR, IDI_PREV_YEAR, true, IDB_PREV_YEAR_NORMAL, IDB_PREV_YEAR_PRESSED,
         IDB_PREV_YEAR_FOCUSED, IDB_PREV_YEAR_DISABLED},
        {IDC_SELECT_NEXT_YEAR, IDI_NEXT_YEAR, true, IDB_NEXT_YEAR_NORMAL, IDB_NEXT_YEAR_PRESSED,
         IDB_NEXT_YEAR_FOCUSED, IDB_NEXT_YEAR_DISABLED},
    });
    MarkYear(year);
    return TRUE;
}

void CSelectDatesDlg::ShowYear(int year) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d", year);
    SetDlgItemText(IDC_SELECT_YEAR, text);
}

void CSelectDatesDlg::MarkYear(int year) {
    for (int32_t& date : m_slots) {
        if (!date) continue;
        std::tm local = Local(date);
        if (local.tm_year + 1900 != year) continue;
        if (CCalendarCtrl* calendar = Month(local.tm_mon)) calendar->SelectDates(&date, 1);
    }
}

// A picked day is taken out of its slot; a new one goes into the first
// empty slot while fewer than 350 are picked.
LRESULT CSelectDatesDlg::OnToggle(WPARAM wParam, LPARAM) {
    int32_t date = static_cast<int32_t>(wParam);
    for (int32_t& slot : m_slots)
        if (slot == date) {
            slot = 0;
            --m_count;
            return 1;
        }
    if (m_count >= kSlots) {
        CString format, text, caption;
        format.LoadString(IDS_TOO_MANY_DATES);
        text.Format(format, kSlots);
        caption.LoadString(IDS_DRAVIK_WARNING);
        MessageBox(text, caption, MB_OK | MB_ICONEXCLAMATION);
        return 0;
    }
    for (int32_t& slot : m_slots)
        if (!slot) {
            slot = date;
            ++m_count;
            return 1;
        }
    return 0;
}

void CSelectDatesDlg::OnNextYear() {
    CCalendarCtrl* january = Month(0);
    if (!january) return;
    int year = Local(january->GetMonthDate()).tm_year + 1900;
    if (year > kLastYearBefore) return;
    ShowYear(year + 1);
    for (int month = 0; month < 12; ++month)
        if (CCalendarCtrl* calendar = Month(month)) calendar->NextYear();
    MarkYear(year + 1);
}

void CSelectDatesDlg::OnPrevYear() {
    CCalendarCtrl* january = Month(0);
    if (!january) return;
    int year = Local(january->GetMonthDate()).tm_year + 1900;
    if (year < kFirstYearAfter) return;
    ShowYear(year - 1);
    for (int month = 0; month < 12; ++month)
        if (CCalendarCtrl* calendar = Month(month)) calendar->PrevYear();
    MarkYear(year - 1);
}

void CSelectDatesDlg::OnReset() {
    m_count = 0;
    m_slots.fill(0);
    for (int month = 0; month < 12; ++month)
        if (CCalendarCtrl* calendar = Month(month)) calendar->ClearSelection();
}

void CSelectDatesDlg::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT item) {
    if (!m_faces.Draw(item)) CDialog::OnDrawItem(nIDCtl, item);
}

void CSelectDatesDlg::OnDestroy() {
    m_faces.Release();
    CDialog::OnDestroy();
}
