// The month calendar: its window class, layout, painting, keyboard, mouse
// and the moves between months and years.
#include "snapin/pages/calendar_ctrl.h"

#include <ctime>

#include "snapin/pages/pages_resource.h"
#include "vpr/mfc/dc.h"
#include "vpr/user/controls.h"
#include "vpr/user/gdi.h"
#include "vpr/user/images.h"
#include "vpr/win/clock.h"

namespace {

constexpr int kFirstYear = 1971;
constexpr int kLastYear = 2037;
constexpr int kMonthNames = IDS_MONTH_JANUARY;
constexpr int kDayNames = IDS_DAY_SUNDAY;
constexpr int kSecondsPerDay = 86400;

bool YearShown(int year) { return year >= kFirstYear && year <= kLastYear; }

std::tm Local(int32_t date) {
    std::tm tm{};
    vpr::win::ToLocalTime(date, &tm);
    return tm;
}

int YearOf(int32_t date) { return Local(date).tm_year + 1900; }

// The same day at the given hour, with the daylight-saving state left to the
// run-time library; 12:00 and midnight keep the day.
int32_t AtHour(int32_t date, int hour) {
    std::tm tm = Local(date);
    tm.tm_hour = hour;
    tm.tm_min = 0;
    tm.tm_sec = 0;
    tm.tm_isdst = -1;
    return static_cast<int32_t>(vpr::win::FromLocalTime(&tm));
}
int32_t AtNoon(int32_t date) { return AtHour(date, 12); }
int32_t AtMidnight(int32_t date) { return AtHour(date, 0); }

// The day `days` after (before, when negative) the date's day, at 12:00.
int32_t AddDays(int32_t date, int days) {
    std::tm tm = Local(date);
    tm.tm_mday += days;
    tm.tm_hour = 12;
    tm.tm_min = 0;
    tm.tm_sec = 0;
    tm.tm_isdst = -1;
    return static_cast<int32_t>(vpr::win::FromLocalTime(&tm));
}

// The same day a year later or earlier, as a difference in seconds;
// 29 February becomes 28 February.
int64_t YearStep(int32_t base, int years) {
    std::tm tm = Local(base);
    tm.tm_year += years;
    if (tm.tm_mon == 1 && tm.tm_mday == 29) tm.tm_mday = 28;
    tm.tm_isdst = -1;
    return vpr::win::FromLocalTime(&tm) - base;
}

// The window procedure of the class until the object takes the window over
// on WM_NCCREATE.
LRESULT CALLBACK CalendarWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        // From here on the object's handlers run; it deletes itself after
        // WM_NCDESTROY.
        auto* calendar = new CCalendarCtrl;
        if (!calendar->SubclassWindow(hwnd)) {
            delete calendar;
            return FALSE;
        }
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HFONT MakeFont(int height, int weight, const char* face) {
    return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET, 0, 0, 0,
                       VARIABLE_PITCH | FF_SWISS, face);
}

void Fill(HDC dc, const RECT& rect, COLORREF color) {
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void Line(HDC dc, int x1, int y1, int x2, int y2, COLORREF color) {
    HPEN pen = CreatePen(PS_SOLID, 1, color);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
    SelectObject(dc, old);
    DeleteObject(pen);
}

void Text(HDC dc, const CString& text, RECT rect, UINT format) {
    DrawTextA(dc, text, text.GetLength(), &rect, format | DT_SINGLELINE | DT_VCENTER);
}

}  // namespace

BOOL RegisterCalendarClass(HINSTANCE instance) {
    WNDCLASSA existing{};
    if (GetClassInfoA(instance, CCalendarCtrl::kClassName, &existing)) return TRUE;
    WNDCLASSA wc{};
    wc.style = CS_GLOBALCLASS | CS_OWNDC | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = CalendarWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = CCalendarCtrl::kClassName;
    return RegisterClassA(&wc) != 0;
}

BEGIN_MESSAGE_MAP(CCalendarCtrl, CWnd)
ON_WM_CREATE()
ON_WM_DESTROY()
ON_WM_PAINT()
ON_WM_ERASEBKGND()
ON_WM_SETFOCUS()
ON_WM_KILLFOCUS()
ON_WM_LBUTTONDOWN()
ON_WM_MOUSEACTIVATE()
ON_WM_KEYDOWN()
ON_WM_GETDLGCODE()
END_MESSAGE_MAP()

void CCalendarCtrl::PostNcDestroy() { delete this; }

int CCalendarCtrl::OnCreate(LPCREATESTRUCTA) {
    if (Default() == -1) return -1;
    GetClientRect(&m_client);
    m_singleSelection = 0;
    m_parent = ::GetParent(m_hWnd);

    m_titleBar = m_client;
    m_titleBar.bottom = m_client.Height() / 7 + 2;
    m_cellHeight = (m_client.bottom - m_titleBar.Height()) / 7;
    m_titleText = m_titleBar;
    m_titleText.DeflateRect(4, 2);
    m_titleBar.DeflateRect(1, 0);
    m_grid = m_client;
    m_grid.top = m_titleBar.bottom + m_cellHeight;
    m_grid.DeflateRect(2, 0);
    m_cellWidth = m_grid.Width() / 7;

    m_monthFont = MakeFont(11, FW_BOLD, "Arial");
    m_titleSideFont = MakeFont(9, FW_DONTCARE, "Small Fonts");
    m_dayFont = MakeFont(9, FW_BOLD, "Small Fonts");
    m_dayNameFont = MakeFont(8, FW_NORMAL, "Small Fonts");
    m_focusColumn = m_focusRow = -1;

    static const char* const kLetters[7] = {"S", "M", "T", "W", "T", "F", "S"};
    for (int i = 0; i < 7; ++i)
        if (!m_dayNames[i].LoadString(kDayNames + i)) m_dayNames[i] = kLetters[i];

    m_monthDate = AtNoon(static_cast<int32_t>(vpr::win::CurrentTime()));
    m_today = m_monthDate;
    BuildTitle();
    BuildGrid();
    return 0;
}

void CCalendarCtrl::OnDestroy() {
    for (HFONT* font : {&m_monthFont, &m_titleSideFont, &m_dayFont, &m_dayNameFont}) {
        if (*font) DeleteObject(*font);
        *font = nullptr;
    }
    Default();
}

void CCalendarCtrl::BuildTitle() {
    std::tm tm = Local(m_monthDate);
    m_monthName.LoadString(kMonthNames + tm.tm_mon);
    CString year;
    year.Format("%d", tm.tm_year + 1900);
    m_century = year.Left(2);
    m_year = year.Right(2);
}

void CCalendarCtrl::BuildGrid() {
    int32_t day = m_monthDate;
    while (Local(day).tm_mday != 1) day = AddDays(day, -1);
    while (Local(day).tm_wday != 0) day = AddDays(day, -1);
    int inMonth = 0;
    bool firstSeen = false;
    for (int i = 0; i < 42; ++i) {
        std::tm tm = Local(day);
        if (tm.tm_mday == 1) {
            inMonth = !inMonth;
            if (!firstSeen) {
                firstSeen = true;
                m_firstDayColumn = i;
            } else {
                m_lastDayRow = (i - 1) / 7;
                m_lastDayColumn = (i - 1) % 7;
            }
        }
        m_cells[i] = Cell{tm.tm_mday, day, inMonth, 0};
        day = AddDays(day, 1);
    }
}

CRect CCalendarCtrl::GetCellRect(int index) const {
    int left = m_grid.left + (index % 7) * m_cellWidth;
    int top = m_grid.top + (index / 7) * m_cellHeight;
    return CRect(left, top, left + m_cellWidth, top + m_cellHeight);
}

void CCalendarCtrl::Repaint() {
    if (m_hWnd) Invalidate(TRUE);
}

// ---- operations -------------------------------------------------------------

void CCalendarCtrl::SetSingleSelection() { m_singleSelection = 1; }

void CCalendarCtrl::SetMonth(int32_t date) {
    if (!YearShown(YearOf(date))) return;
    m_monthDate = AtNoon(date);
    BuildTitle();
    BuildGrid();
    Repaint();
}

void CCalendarCtrl::SelectDate(int32_t date) {
    if (!YearShown(YearOf(date))) return;
    SetMonth(date);
    for (int i = 0; i < 42; ++i)
        if (m_cells[i].date == m_monthDate) {
            SetFocusCell(i % 7, i / 7);
            m_cells[i].selected = 1;
        }
    Repaint();
}

void CCalendarCtrl::SelectDates(const int32_t* dates, int count) {
    for (Cell& cell : m_cells) {
        int32_t midnight = AtMidnight(cell.date);
        for (int i = 0; i < count; ++i)
            if (dates[i] == midnight) cell.selected = 1;
    }
    Repaint();
}

void CCalendarCtrl::ClearSelection() {
    ClearAll();
    Repaint();
}

void CCalendarCtrl::ClearAll() {
    for (Cell& cell : m_cells) cell.selected = 0;
}

int32_t CCalendarCtrl::GetMonthDate() const { return AtMidnight(m_monthDate); }

int32_t CCalendarCtrl::GetFocusDate() const {
    if (!m_singleSelection || m_focusRow < 0) return 0;
    return AtMidnight(m_cells[GetFocusIndex()].date);
}

int32_t CCalendarCtrl::BaseDate() const { return m_focusRow < 0 ? m_monthDate : m_cells[GetFocusIndex()].date; }

int CCalendarCtrl::NextMonth() {
    int32_t base = BaseDate();
    std::tm first = Local(base);
    first.tm_mday = 1;
    first.tm_isdst = -1;
    int32_t target = AddDays(static_cast<int32_t>(vpr::win::FromLocalTime(&first)), 27);
    while (Local(target).tm_mday != 1) target = AddDays(target, 1);
    return MoveBy(base, static_cast<int64_t>(target) - base);
}

int CCalendarCtrl::PrevMonth() {
    int32_t base = BaseDate();
    std::tm first = Local(base);
    first.tm_mday = 1;
    first.tm_isdst = -1;
    int32_t target = AddDays(static_cast<int32_t>(vpr::win::FromLocalTime(&first)), -27);
    while (Local(target).tm_mday != 1) target = AddDays(target, -1);
    return MoveBy(base, static_cast<int64_t>(target) - base);
}

int CCalendarCtrl::NextYear() {
    int32_t base = BaseDate();
    return MoveBy(base, YearStep(base, 1));
}

int CCalendarCtrl::PrevYear() {
    int32_t base = BaseDate();
    return MoveBy(base, YearStep(base, -1));
}

// Shows the month of base + seconds when its year can be shown; the focus
// cell goes either way.
int CCalendarCtrl::MoveBy(int32_t base, int64_t seconds) {
    SetFocusCell(-1, -1);
    int64_t target = static_cast<int64_t>(base) + seconds;
    if (target < 0 || target > INT32_MAX || !YearShown(YearOf(static_cast<int32_t>(target)))) {
        Repaint();
        return 0;
    }
    SetMonth(static_cast<int32_t>(target));
    return 1;
}

// ---- input ------------------------------------------------------------------

void CCalendarCtrl::SetFocusCell(int column, int row) {
    m_focusColumn = column;
    m_focusRow = row;
}

// Asks the parent, then inverts the focus cell's mark when it agrees.
void CCalendarCtrl::ToggleFocusCell() {
    Cell& cell = m_cells[GetFocusIndex()];
    if (!cell.inMonth) return;
    LRESULT allowed = ::SendMessageA(m_parent, WM_CALENDAR_TOGGLE, static_cast<WPARAM>(AtMidnight(cell.date)),
                                     static_cast<LPARAM>(GetDlgCtrlID()));
    if (allowed) cell.selected = !cell.selected;
}

void CCalendarCtrl::OnLButtonDown(UINT, CPoint point) {
    if (m_grid.PtInRect(point) && m_cellWidth > 0 && m_cellHeight > 0) {
        if (m_singleSelection) ClearAll();
        int column = (point.x - m_grid.left) / m_cellWidth;
        int row = (point.y - m_grid.top) / m_cellHeight;
        if (column >= 0 && column <= 6 && row >= 0 && row <= 5) {
            SetFocusCell(column, row);
            ToggleFocusCell();
        }
    }
    Repaint();
    Default();
}

int CCalendarCtrl::OnMouseActivate(CWnd*, UINT, UINT) {
    SetFocus();
    return static_cast<int>(Default());
}

// Arrows and the space bar belong to the calendar, not to the dialog's
// keyboard navigation.
UINT CCalendarCtrl::OnGetDlgCode() { return DLGC_WANTARROWS | DLGC_WANTCHARS; }

void CCalendarCtrl::OnKeyDown(UINT key, UINT, UINT) {
    int column = m_focusColumn, row = m_focusRow;
    bool none = row < 0;
    bool onLastDay = !none && row == m_lastDayRow && column == m_lastDayColumn;
    switch (key) {
    case VK_SPACE:
        if (!none) {
            if (m_singleSelection) ClearAll();
            ToggleFocusCell();
            Repaint();
        }
        break;
    case VK_LEFT:
        if (row <= 0 && column <= m_firstDayColumn)
            SetFocusCell(m_lastDayColumn, m_lastDayRow);
        else if (column == 0)
            SetFocusCell(6, row - 1);
        else
            SetFocusCell(column - 1, row);
        Repaint();
        break;
    case VK_RIGHT:
        if (none || onLastDay)
            SetFocusCell(m_firstDayColumn, 0);
        else if (column == 6)
            SetFocusCell(row == m_lastDayRow ? m_firstDayColumn : 0, row == m_lastDayRow ? 0 : row + 1);
        else
            SetFocusCell(column + 1, row);
        Repaint();
        break;
    case VK_UP:
    case VK_DOWN: {
        bool up = key == VK_UP;
        if (none) {
            if (up)
                SetFocusCell(m_lastDayColumn, m_lastDayRow);
            else
                SetFocusCell(m_firstDayColumn, 0);
        } else {
            do {
                if (up)
                    row = row == 0 ? m_lastDayRow : row - 1;
                else
                    row = row == m_lastDayRow ? 0 : row + 1;
            } while (!m_cells[row * 7 + column].inMonth);
            SetFocusCell(column, row);
        }
        Repaint();
        break;
    }
    default: break;
    }
    Default();
}

void CCalendarCtrl::OnSetFocus(CWnd*) {
    m_hasFocus = 1;
    Repaint();
    Default();
}

void CCalendarCtrl::OnKillFocus(CWnd*) {
    m_hasFocus = 0;
    Repaint();
    Default();
}

// ---- painting ---------------------------------------------------------------

BOOL CCalendarCtrl::OnEraseBkgnd(CDC* pDC) {
    Fill(pDC->GetSafeHdc(), m_client, GetSysColor(COLOR_WINDOW));
    return TRUE;
}

void CCalendarCtrl::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    COLORREF window = GetSysColor(COLOR_WINDOW), windowText = GetSysColor(COLOR_WINDOWTEXT);

    Fill(dc, m_titleBar, GetSysColor(m_hasFocus ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_CAPTIONTEXT));
    HGDIOBJ oldFont = SelectObject(dc, m_titleSideFont);
    Text(dc, m_century, m_titleText, DT_LEFT);
    Text(dc, m_year, m_titleText, DT_RIGHT);
    SelectObject(dc, m_monthFont);
    Text(dc, m_monthName, m_titleText, DT_CENTER);

    SelectObject(dc, m_dayNameFont);
    SetTextColor(dc, windowText);
    for (int c = 0; c < 7; ++c) {
        CRect name(m_grid.left + c * m_cellWidth, m_titleBar.bottom, m_grid.left + (c + 1) * m_cellWidth,
                   m_titleBar.bottom + m_cellHeight);
        Fill(dc, name, window);
        Text(dc, m_dayNames[c], name, DT_CENTER);
    }

    SelectObject(dc, m_dayFont);
    for (int i = 0; i < 42; ++i) {
        const Cell& cell = m_cells[i];
        CRect rect = GetCellRect(i);
        if (!cell.inMonth) {
            Fill(dc, rect, window);
            continue;
        }
        Fill(dc, rect, cell.selected ? windowText : window);
        COLORREF text = cell.selected ? window : windowText;
        if (cell.date == m_today) text = RGB(255, 0, 0);
        SetTextColor(dc, text);
        CString number;
        number.Format("%d", cell.day);
        Text(dc, number, rect, DT_CENTER);
    }
    SelectObject(dc, oldFont);

    if (m_hasFocus && m_focusRow >= 0 && m_cells[GetFocusIndex()].inMonth) {
        CRect focus = GetCellRect(GetFocusIndex());
        DrawFocusRect(dc, &focus);
    }

    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT);
    int right = m_client.right - 1, bottom = m_client.bottom - 1;
    Line(dc, 0, 0, right, 0, shadow);
    Line(dc, 0, 0, 0, bottom, shadow);
    Line(dc, 0, bottom, right + 1, bottom, light);
    Line(dc, right, 0, right, bottom, light);
    EndPaint(m_hWnd, &ps);
}
