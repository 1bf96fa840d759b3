// CSelectDatesDlg: picks up to 350 single days across years on the twelve
// months of one year (dialog 357). The 350 slots hold local midnights in
// the order they were picked (a new day takes the first empty slot), 0 for
// an empty one; days of other years are kept while a year is shown.
#pragma once

#include <array>
#include <cstdint>

#include "snapin/pages/button_faces.h"
#include "vpr/mfc/dialog.h"

class CCalendarCtrl;

class CSelectDatesDlg : public CDialog {
public:
    static constexpr int kSlots = 350;

    explicit CSelectDatesDlg(CWnd* pParent = nullptr);

    // Takes the 350 slots; counts the days among them.
    void SetDates(const int32_t* dates);
    // Writes the days, in slot order, packed from the start of `dates`;
    // the rest of it stays as it was.
    void GetDates(int32_t* dates) const;
    int GetCount() const { return m_count; }

protected:
    BOOL OnInitDialog() override;
    afx_msg LRESULT OnToggle(WPARAM wParam, LPARAM lParam);
    afx_msg void OnNextYear();
    afx_msg void OnPrevYear();
    afx_msg void OnReset();
    afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    CCalendarCtrl* Month(int month) const;  // 0 January .. 11 December
    void ShowYear(int year);
    // Marks the days of the slots that fall in the year.
    void MarkYear(int year);

    std::array<int32_t, kSlots> m_slots{};
    int m_count = 0;
    CButtonFaces m_faces;
};
