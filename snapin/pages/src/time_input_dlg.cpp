// The Time Input dialog: a time, or a start and an end time, in quarter hours.
#include "snapin/pages/time_input_dlg.h"

#include <cstdio>
#include <ctime>

#include "snapin/pages/pages_resource.h"
#include "vpr/mfc/controls.h"
#include "vpr/mfc/dc.h"
#include "vpr/user/commctrl.h"
#include "vpr/user/gdi.h"
#include "vpr/win/clock.h"

namespace {

constexpr int kLastPosition = 96;  // 23:59

// The hour and minute a slider position stands for.
void HourMinute(int position, int* hour, int* minute) {
    if (position >= kLastPosition) {
        *hour = 23;
        *minute = 59;
    } else {
        *hour = position / 4;
        *minute = position % 4 * 15;
    }
}

// "13:30 (1:30PM)".
CString ClockText(int position) {
    int hour = 0, minute = 0;
    HourMinute(position, &hour, &minute);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d (%d:%02d%s)", hour, minute, hour % 12 == 0 ? 12 : hour % 12, minute,
                  hour < 12 ? "AM" : "PM");
    return text;
}

}  // namespace

BEGIN_MESSAGE_MAP(CTimeInputDlg, CDialog)
ON_WM_HSCROLL()
ON_WM_PAINT()
END_MESSAGE_MAP()

CTimeInputDlg::CTimeInputDlg(CWnd* pParent, int32_t time) : CDialog(IDD_TIME_INPUT, pParent), m_start(time) {}

CTimeInputDlg::CTimeInputDlg(CWnd* pParent, int32_t start, int32_t duration)
    : CDialog(IDD_TIME_INPUT, pParent), m_start(start), m_end(start + duration), m_duration(duration), m_mode(1) {}

int CTimeInputDlg::PositionOf(int32_t time) {
    std::tm local{};
    vpr::win::ToLocalTime(time, &local);
    return local.tm_hour * 4 + local.tm_min / 15;
}

int32_t CTimeInputDlg::TimeAt(int32_t day, int position) {
    std::tm local{};
    vpr::win::ToLocalTime(day, &local);
    HourMinute(position, &local.tm_hour, &local.tm_min);
    local.tm_sec = 0;
    local.tm_isdst = -1;
    return static_cast<int32_t>(vpr::win::FromLocalTime(&local));
}

int CTimeInputDlg::Position(int id) const {
    return static_cast<int>(::SendDlgItemMessageA(m_hWnd, id, TBM_GETPOS, 0, 0));
}

BOOL CTimeInputDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    for (int id : {IDC_TIME_START, IDC_TIME_END}) {
        SendDlgItemMessage(id, TBM_SETRANGE, FALSE, MAKELPARAM(0, kLastPosition));
        SendDlgItemMessage(id, TBM_SETTICFREQ, 4, 0);
        SendDlgItemMessage(id, TBM_SETLINESIZE, 0, 1);
        SendDlgItemMessage(id, TBM_SETPAGESIZE, 0, 4);
    }
    SendDlgItemMessage(IDC_TIME_START, TBM_SETPOS, TRUE, PositionOf(m_start));
    if (m_mode == 1) {
        SendDlgItemMessage(IDC_TIME_END, TBM_SETPOS, TRUE, PositionOf(m_end));
    } else {
        for (int id : {IDC_TIME_END, IDC_TIME_RANGE_BAR}) {
            GetDlgItem(id)->EnableWindow(FALSE);
            GetDlgItem(id)->ShowWindow(SW_HIDE);
        }
        for (int id : {IDC_TIME_END_LABEL, IDC_TIME_END_TEXT, IDC_TIME_DURATION_LABEL, IDC_TIME_DURATION_TEXT})
            GetDlgItem(id)->EnableWindow(FALSE);
    }
    ShowTexts();
    return TRUE;
}

void CTimeInputDlg::ShowTexts() {
    SetDlgItemText(IDC_TIME_START_TEXT, ClockText(Position(IDC_TIME_START)));
    if (m_mode != 1) return;
    SetDlgItemText(IDC_TIME_END_TEXT, ClockText(Position(IDC_TIME_END)));
    int32_t start = TimeAt(m_start, Position(IDC_TIME_START));
    int32_t end = TimeAt(m_end, Position(IDC_TIME_END));
    int32_t difference = end - start;
    int hours = difference >= 86400 ? 24 : difference / 3600;
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", hours, difference % 3600 / 60);
    SetDlgItemText(IDC_TIME_DURATION_TEXT, text);
}

// The end stays at least a quarter hour after the start.
void CTimeInputDlg::OnHScroll(UINT, UINT, CScrollBar* pScrollBar) {
    if (m_mode == 1 && pScrollBar) {
        int moved = ::GetDlgCtrlID(pScrollBar->m_hWnd);
        int d = Position(IDC_TIME_START), e = Position(IDC_TIME_END);
        if (moved == IDC_TIME_START && d >= e) {
            e = d + 1;
            if (e > kLastPosition) {
                e = kLastPosition;
                d = kLastPosition - 1;
            }
        } else if (moved == IDC_TIME_END && d >= e) {
            d = e - 1;
            if (d < 0) {
                d = 0;
                e = 1;
            }
        }
        SendDlgItemMessage(IDC_TIME_START, TBM_SETPOS, TRUE, d);
        SendDlgItemMessage(IDC_TIME_END, TBM_SETPOS, TRUE, e);
        CRect bar = RangeRect();
        InvalidateRect(&bar, FALSE);
    }
    ShowTexts();
}

CRect CTimeInputDlg::RangeRect() {
    CRect rect;
    GetDlgItem(IDC_TIME_RANGE_BAR)->GetWindowRect(&rect);
    ScreenToClient(&rect);
    return rect;
}

void CTimeInputDlg::PaintRange(HDC dc) {
    CRect bar = RangeRect();
    FillRect(dc, &bar, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
    double width = bar.Width();
    CRect range = bar;
    range.left = bar.left + static_cast<int>(width * Position(IDC_TIME_START) / kLastPosition);
    range.right = bar.left + static_cast<int>(width * Position(IDC_TIME_END) / kLastPosition);
    FillRect(dc, &range, GetSysColorBrush(COLOR_BTNSHADOW));
}

void CTimeInputDlg::OnPaint() {
    CPaintDC dc(this);
    if (m_mode == 1) PaintRange(dc.m_hDC);
}

void CTimeInputDlg::OnOK() {
    m_start = TimeAt(m_start, Position(IDC_TIME_START));
    if (m_mode == 1) {
        m_end = TimeAt(m_end, Position(IDC_TIME_END));
        m_duration = m_end - m_start;
    }
    CDialog::OnOK();
}
