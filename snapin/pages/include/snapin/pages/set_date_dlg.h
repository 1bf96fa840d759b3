// CSetDateDlg: picks one day on a calendar (dialog 350). The caller hands in
// a date (now when it does not), runs the dialog and, unless it was
// cancelled, reads the date back: the one handed in when nothing was
// picked, else the picked day's local midnight.
#pragma once

#include <cstdint>

#include "snapin/pages/button_faces.h"
#include "vpr/mfc/dialog.h"

class CCalendarCtrl;

class CSetDateDlg : public CDialog {
public:
    explicit CSetDateDlg(CWnd* pParent = nullptr);

    void SetDate(int32_t date) { m_date = date; }
    int32_t GetDate() const { return m_date; }

protected:
    BOOL OnInitDialog() override;
    afx_msg LRESULT OnToggle(WPARAM wParam, LPARAM lParam);
    afx_msg void OnToday();
    afx_msg void OnPrevYear();
    afx_msg void OnPrevMonth();
    afx_msg void OnNextMonth();
    afx_msg void OnNextYear();
    afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    CCalendarCtrl* Calendar() const;
    void ShowDate();

    int32_t m_date;
    CButtonFaces m_faces;
};

// The date's text as the dialogs and the Schedule page show it: the local
// date in the locale's form ("%x"), at most 30 characters.
CString DateText(int32_t date);
// The local midnight at the start of the time value's day.
int32_t LocalMidnight(int32_t time);
