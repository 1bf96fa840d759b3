// The Set Date dialog: one day on a calendar in single selection.
#include "snapin/pages/set_date_dlg.h"

#include <ctime>

#include "snapin/pages/calendar_ctrl.h"
#include "snapin/pages/pages_resource.h"
#include "vpr/locale/locale.h"
#include "vpr/win/clock.h"

CString DateText(int32_t date) {
    std::tm local{};
    char text[31] = {};
    if (vpr::win::ToLocalTime(date, &local)) LocFormat(text, sizeof text, "%x", &local);
    return text;
}

int32_t LocalMidnight(int32_t time) {
    std::tm local{};
    if (!vpr::win::ToLocalTime(time, &local)) return time;
    local.tm_hour = local.tm_min = local.tm_sec = 0;
    local.tm_isdst = -1;
    return static_cast<int32_t>(vpr::win::FromLocalTime(&local));
}

BEGIN_MESSAGE_MAP(CSetDateDlg, CDialog)
ON_MESSAGE(WM_CALENDAR_TOGGLE, OnToggle)
ON_BN_CLICKED(IDC_SET_DATE_TODAY, OnToday)
ON_BN_CLICKED(IDC_SET_DATE_PREV_YEAR, OnPrevYear)
ON_BN_CLICKED(IDC_SET_DATE_PREV_MONTH, OnPrevMonth)
ON_BN_CLICKED(IDC_SET_DATE_NEXT_MONTH, OnNextMonth)
ON_BN_CLICKED(IDC_SET_DATE_NEXT_YEAR, OnNextYear)
ON_WM_DRAWITEM()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CSetDateDlg::CSetDateDlg(CWnd* pParent)
    : CDialog(IDD_SET_DATE, pParent), m_date(static_cast<int32_t>(vpr::win::CurrentTime())) {}

CCalendarCtrl* CSetDateDlg::Calendar() const {
    return dynamic_cast<CCalendarCtrl*>(CWnd::FromHandlePermanent(::GetDlgItem(m_hWnd, IDC_SET_DATE_CALENDAR)));
}

BOOL CSetDateDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_faces.Attach(this, {
        {IDC_SET_DATE_PREV_YEAR, IDI_PREV_YEAR, true, IDB_PREV_YEAR_NORMAL, IDB_PREV_YEAR_PRESSED,
         IDB_PREV_YEAR_FOCUSED, IDB_PREV_YEAR_DISABLED},
        {IDC_SET_DATE_PREV_MONTH, IDI_PREV_MONTH, true, IDB_PREV_MONTH_NORMAL, IDB_PREV_MONTH_PRESSED,
         IDB_PREV_MONTH_FOCUSED, IDB_PREV_MONTH_DISABLED},
        {IDC_SET_DATE_NEXT_MONTH, IDI_NEXT_MONTH, true, IDB_NEXT_MONTH_NORMAL, IDB_NEXT_MONTH_PRESSED,
         IDB_NEXT_MONTH_FOCUSED, IDB_NEXT_MONTH_DISABLED},
        {IDC_SET_DATE_NEXT_YEAR, IDI_NEXT_YEAR, true, IDB_NEXT_YEAR_NORMAL, IDB_NEXT_YEAR_PRESSED,
         IDB_NEXT_YEAR_FOCUSED, IDB_NEXT_YEAR_DISABLED},
    });
    if (CCalendarCtrl* calendar = Calendar()) {
        calendar->SetSingleSelection();
        calendar->SelectDate(m_date);
    }
    ShowDate();
    return TRUE;
}

void CSetDateDlg::ShowDate() { SetDlgItemText(IDC_SET_DATE_TEXT, DateText(m_date)); }

LRESULT CSetDateDlg::OnToggle(WPARAM, LPARAM) {
    if (CCalendarCtrl* calendar = Calendar()) m_date = calendar->GetFocusDate();
    ShowDate();
    return 1;
}

void CSetDateDlg::OnToday() {
    m_date = static_cast<int32_t>(vpr::win::CurrentTime());
    if (CCalendarCtrl* calendar = Calendar()) {
        calendar->SelectDate(m_date);
        m_date = calendar->GetFocusDate();
    }
    ShowDate();
}

// The moves change only the month shown; the date stays the one picked.
void CSetDateDlg::OnPrevYear() {
    if (CCalendarCtrl* calendar = Calendar()) calendar->PrevYear();
}
void CSetDateDlg::OnPrevMonth() {
    if (CCalendarCtrl* calendar = Calendar()) calendar->PrevMonth();
}
void CSetDateDlg::OnNextMonth() {
    if (CCalendarCtrl* calendar = Calendar()) calendar->NextMonth();
}
void CSetDateDlg::OnNextYear() {
    if (CCalendarCtrl* calendar = Calendar()) calendar->NextYear();
}

void CSetDateDlg::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT item) {
    if (!m_faces.Draw(item)) CDialog::OnDrawItem(nIDCtl, item);
}

void CSetDateDlg::OnDestroy() {
    m_faces.Release();
    CDialog::OnDestroy();
}
