// CCalendarCtrl: the month calendar that the date dialogs place in their
// templates by the window class name "CalendarCtrl".
//
// It shows one month as six weeks of seven days under a title bar, moves a
// focus cell with the arrow keys, and toggles days with a click or the space
// bar after asking its parent: message 0x401 (WM_USER + 1) with wParam = the
// day's local midnight and lParam = the control id; a non-zero answer allows
// the toggle. Time values are seconds since 1970 UTC read in local time; the
// years 1971 to 2037 can be shown. Any change of month clears the marks.
#pragma once

#include <array>
#include <cstdint>

#include "vpr/mfc/wnd.h"

// The parent's answer to this message decides a toggle.
constexpr UINT WM_CALENDAR_TOGGLE = WM_USER + 1;

// Registers the window class (global, so dialogs of every module find it);
// done once when the module is loaded. Registering again is harmless.
BOOL RegisterCalendarClass(HINSTANCE instance);

class CCalendarCtrl : public CWnd {
public:
    static constexpr const char* kClassName = "CalendarCtrl";

    void SetSingleSelection();
    void SetMonth(int32_t date);
    void SelectDate(int32_t date);
    void SelectDates(const int32_t* dates, int count);
    void ClearSelection();
    int32_t GetMonthDate() const;
    int32_t GetFocusDate() const;
    // Each returns 1 when the month moved, 0 when the target lies outside the
    // years shown; afterwards there is no focus cell.
    int NextMonth();
    int PrevMonth();
    int NextYear();
    int PrevYear();

    // What the tests and the dialogs read of the grid.
    struct Cell {
        int day = 0;          // day of month
        int32_t date = 0;     // the day at 12:00 local time
        int inMonth = 0;
        int selected = 0;
    };
    const Cell& GetCell(int index) const { return m_cells[index]; }
    int GetFocusIndex() const { return m_focusRow < 0 ? -1 : m_focusRow * 7 + m_focusColumn; }
    CRect GetCellRect(int index) const;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTA lpCreateStruct);
    afx_msg void OnDestroy();
    afx_msg void OnPaint();
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg int OnMouseActivate(CWnd* pDesktopWnd, UINT nHitTest, UINT message);
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg UINT OnGetDlgCode();
    void PostNcDestroy() override;
    DECLARE_MESSAGE_MAP()

private:
    void BuildTitle();
    void BuildGrid();
    void SetFocusCell(int column, int row);
    void ToggleFocusCell();
    void ClearAll();
    int MoveBy(int32_t base, int64_t seconds);
    int32_t BaseDate() const;
    void Repaint();

    int m_hasFocus = 0;
    CRect m_client, m_titleBar, m_titleText, m_grid;
    HFONT m_monthFont = nullptr, m_titleSideFont = nullptr, m_dayFont = nullptr, m_dayNameFont = nullptr;
    int m_cellHeight = 0, m_cellWidth = 0;
    int m_focusColumn = -1, m_focusRow = -1;
    int m_firstDayColumn = 0;
    int m_lastDayColumn = 0, m_lastDayRow = 0;
    std::array<Cell, 42> m_cells{};
    int32_t m_monthDate = 0;
    int32_t m_today = 0;
    CString m_monthName, m_century, m_year;
    std::array<CString, 7> m_dayNames;
    int m_singleSelection = 0;
    HWND m_parent = nullptr;
};
