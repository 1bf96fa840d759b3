// CSchedulePage: the Schedule page of an application object. It edits the
// object's schedule record ("App:Schedule"): no schedule, a date range
// (restricted to some days of the week or not) or single dates, the daily
// times, the spread and the GMT flag. Dates come from the Set Date and
// Select Dates dialogs, times from the Time Input dialog.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "snapin/pages/attribute_page.h"
#include "snapin/pages/button_faces.h"
#include "template/schedule_block.h"
#include "vpr/directory/client.h"

class CSchedulePage : public CAttributePage {
public:
    CSchedulePage();
    LONG Save() override;
    BOOL CanClose() override;

    // The record as the page holds it now (what Save writes, but for the
    // type, time zone and day mask that Save settles).
    const ScheduleBlock& Record() const { return m_record; }

protected:
    BOOL OnInitDialog() override;
    afx_msg void OnByRange();
    afx_msg void OnBySelection();
    afx_msg void OnDay(int id);
    afx_msg void OnStartDate();
    afx_msg void OnEndDate();
    afx_msg void OnModify();
    afx_msg void OnStartTime();
    afx_msg void OnEndTime();
    afx_msg void OnChangeSpread();
    afx_msg void OnGmt();
    afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    void ReadRecord(DIR_CONTEXT context, LPCSTR object);
    void FillDates();
    void Enable(std::initializer_list<int> ids, BOOL enable);
    void EnableRange(BOOL enable);
    void EnableSelection(BOOL enable);
    void EnableTimes(BOOL enable);
    void SpreadAndGmt(BOOL on);
    void CheckAllDays();
    void SetTimeCaption(UINT stringId);
    // True unless all seven day boxes are checked.
    bool DaysRestricted();
    // The end time moves up to the start time when it lies before it.
    void KeepEndAfterStart();
    void ShowDates();
    void ShowTimes();
    void TimeButton(bool start);
    void Changed();

    ScheduleBlock m_record;
    BOOL m_bModified = FALSE;
    bool m_loading = false;
    int32_t m_startDate = 0, m_endDate = 0, m_startTime = 0, m_endTime = 0;
    CButtonFaces m_faces;
};
