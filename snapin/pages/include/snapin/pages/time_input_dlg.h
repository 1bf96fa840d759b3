// CTimeInputDlg: picks a time of day, or a start and an end time, in
// quarter hours on trackbars (dialog 349). Position p of a slider stands for
// p / 4 hours and (p mod 4) x 15 minutes of the day of the time it replaces;
// 96 stands for 23:59. In window mode the end stays after the start and the
// range between them is painted in a bar.
#pragma once

#include <cstdint>

#include "vpr/mfc/dialog.h"

class CTimeInputDlg : public CDialog {
public:
    // One time.
    CTimeInputDlg(CWnd* pParent, int32_t time);
    // A window: the end is the start plus the duration.
    CTimeInputDlg(CWnd* pParent, int32_t start, int32_t duration);

    int32_t GetStartTime() const { return m_start; }
    int32_t GetEndTime() const { return m_end; }
    int32_t GetDuration() const { return m_duration; }

    // The slider position of a time, and the time of a position on the day
    // of `day`.
    static int PositionOf(int32_t time);
    static int32_t TimeAt(int32_t day, int position);

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()

private:
    int Position(int id) const;
    void ShowTexts();
    void PaintRange(HDC dc);
    CRect RangeRect();

    int32_t m_start = 0;
    int32_t m_end = 0;
    int32_t m_duration = 0;
    int m_mode = 0;  // 0 one time, 1 a window
};
