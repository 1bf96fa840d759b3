// The Schedule page of an application object.
#include "snapin/pages/schedule_page.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "snapin/core/common_resource.h"
#include "snapin/core/directory_helper.h"
#include "snapin/core/schema_names.h"
#include "snapin/core/snapin_object_type.h"
#include "snapin/core/snapin_utilities.h"
#include "snapin/pages/pages_resource.h"
#include "snapin/pages/ref_list_kit.h"
#include "snapin/pages/select_dates_dlg.h"
#include "snapin/pages/set_date_dlg.h"
#include "snapin/pages/time_input_dlg.h"
#include "vpr/win/clock.h"
#include "vpr/win/file.h"

namespace {

constexpr int kDayIds[7] = {5123, 5124, 5125, 5126, 5127, 5128, 5129};  // Sunday first
constexpr int32_t kDefaultWindow = 4 * 3600;

int32_t Now() { return static_cast<int32_t>(vpr::win::CurrentTime()); }

// Seconds after local midnight of a time value.
uint32_t SecondsOfDay(int32_t time) {
    std::tm local{};
    vpr::win::ToLocalTime(time, &local);
    return static_cast<uint32_t>(local.tm_hour * 3600 + local.tm_min * 60);
}

// Today at the hour and minute of a record's seconds after midnight.
int32_t TodayAt(uint32_t seconds) {
    std::tm local{};
    vpr::win::ToLocalTime(Now(), &local);
    local.tm_hour = static_cast<int>(seconds / 3600);
    local.tm_min = static_cast<int>(seconds % 3600 / 60);
    local.tm_sec = 0;
    local.tm_isdst = -1;
    return static_cast<int32_t>(vpr::win::FromLocalTime(&local));
}

}  // namespace

BEGIN_MESSAGE_MAP(CSchedulePage, CAttributePage)
ON_BN_CLICKED(IDC_SCHED_BY_RANGE, OnByRange)
ON_BN_CLICKED(IDC_SCHED_BY_SELECTION, OnBySelection)
VPR_MAP_ENTRY(WM_COMMAND, BN_CLICKED, IDC_SCHED_SUNDAY, IDC_SCHED_SATURDAY, self_->OnDay(LOWORD(wParam_)))
ON_BN_CLICKED(IDC_SCHED_START_DATE_BUTTON, OnStartDate)
ON_BN_CLICKED(IDC_SCHED_END_DATE_BUTTON, OnEndDate)
ON_BN_CLICKED(IDC_SCHED_MODIFY, OnModify)
ON_BN_CLICKED(IDC_SCHED_START_TIME_BUTTON, OnStartTime)
ON_BN_CLICKED(IDC_SCHED_END_TIME_BUTTON, OnEndTime)
ON_EN_CHANGE(IDC_SCHED_SPREAD, OnChangeSpread)
ON_BN_CLICKED(IDC_SCHED_GMT, OnGmt)
ON_WM_DRAWITEM()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CSchedulePage::CSchedulePage() : CAttributePage(IDS_SCHEDULE_TITLE, IDD_SCHEDULE, HID_SCHEDULE) {}

BOOL CSchedulePage::OnInitDialog() {
    CAttributePage::OnInitDialog();
    m_loading = true;
    m_bModified = FALSE;
    m_startDate = m_endDate = LocalMidnight(Now());
    m_startTime = m_endTime = Now();
    DIR_CONTEXT context = theDirectoryHelper.CreateContext();
    LPCSTR object = GetCurrentObjectName();
    if (context >= 0) ReadRecord(context, object);

    m_faces.Attach(this, {
        {IDC_SCHED_END_TIME_BUTTON, IDB_SCHED_TIME_FACE, false, IDB_TIME_NORMAL, IDB_TIME_PRESSED, IDB_TIME_FOCUSED,
         IDB_TIME_DISABLED},
        {IDC_SCHED_START_TIME_BUTTON, IDB_SCHED_TIME_FACE, false, IDB_TIME_NORMAL, IDB_TIME_PRESSED,
         IDB_TIME_FOCUSED, IDB_TIME_DISABLED},
        {IDC_SCHED_END_DATE_BUTTON, IDB_SCHED_DATE_FACE, false, IDB_DATE_NORMAL, IDB_DATE_PRESSED, IDB_DATE_FOCUSED,
         IDB_DATE_DISABLED},
        {IDC_SCHED_START_DATE_BUTTON, IDB_SCHED_DATE_FACE, false, IDB_DATE_NORMAL, IDB_DATE_PRESSED,
         IDB_DATE_FOCUSED, IDB_DATE_DISABLED},
    });

    if (IsDlgButtonChecked(IDC_SCHED_BY_RANGE) == BST_CHECKED) {
        EnableRange(TRUE);
        EnableSelection(FALSE);
        SpreadAndGmt(TRUE);
    } else if (IsDlgButtonChecked(IDC_SCHED_BY_SELECTION) == BST_CHECKED) {
        EnableRange(FALSE);
        EnableSelection(TRUE);
        SpreadAndGmt(TRUE);
    } else {
        SetTimeCaption(IDS_TIME_DISABLED);
        EnableRange(FALSE);
        EnableSelection(FALSE);
        EnableTimes(FALSE);
        SpreadAndGmt(FALSE);
    }

    if (context >= 0) {
        if (!theDirectoryHelper.CanWriteAttribute(context, object, snapin::kAttrSchedule)) {
            for (int id : kDayIds) Enable({id}, FALSE);
            Enable({IDC_SCHED_DAYS_LABEL, IDC_SCHED_MODIFY, IDC_SCHED_HEADING, IDC_SCHED_DATE_GROUP,
                    IDC_SCHED_BY_RANGE, IDC_SCHED_BY_SELECTION},
                   FALSE);
            EnableRange(FALSE);
            EnableTimes(FALSE);
            SpreadAndGmt(FALSE);
        }
        DirFreeContext(context);
    }
    SendDlgItemMessage(IDC_SCHED_SPREAD, EM_LIMITTEXT, 6, 0);
    m_loading = false;
    return TRUE;
}

void CSchedulePage::ReadRecord(DIR_CONTEXT context, LPCSTR object) {
    m_record = ScheduleBlock();
    HFILE file = HFILE_ERROR;
    if (DirOpenStreamAttribute(context, object, snapin::kAttrSchedule, DIR_STREAM_READ, &file) != DIR_SUCCESS) {
        CheckAllDays();
        return;
    }
    uint8_t data[ScheduleBlock::kSize];
    size_t size = 0;
    while (size < sizeof data) {
        UINT got = _lread(file, data + size, static_cast<UINT>(sizeof data - size));
        if (got == 0 || got == static_cast<UINT>(HFILE_ERROR)) break;
        size += got;
    }
    _lclose(file);
    if (size == 0) {
        CheckDlgButton(IDC_SCHED_BY_RANGE, BST_UNCHECKED);
        CheckDlgButton(IDC_SCHED_BY_SELECTION, BST_UNCHECKED);
        EnableRange(FALSE);
        EnableSelection(FALSE);
        CheckAllDays();
        return;
    }
    // A value shorter than a whole record, or of an unknown type, is no schedule.
    m_record = ScheduleBlock::FromStoredValue(data, size);
    CheckDlgButton(IDC_SCHED_GMT, (m_record.flags & ScheduleBlock::kFlagGmt) ? BST_CHECKED : BST_UNCHECKED);
    if (m_record.spread > 0) {
        char text[16];
        std::snprintf(text, sizeof text, "%d", static_cast<int>(m_record.spread / 60));
        SetDlgItemText(IDC_SCHED_SPREAD, text);
    }
    for (int day = 0; day < 7; ++day) {
        bool on = m_record.type != ScheduleBlock::kDayMask || (m_record.dayMask & (1u << day));
        CheckDlgButton(kDayIds[day], on ? BST_CHECKED : BST_UNCHECKED);
    }
    FillDates();
    switch (m_record.type) {
    case ScheduleBlock::kStartStop:
    case ScheduleBlock::kDayMask:
        CheckDlgButton(IDC_SCHED_BY_RANGE, BST_CHECKED);
        CheckDlgButton(IDC_SCHED_BY_SELECTION, BST_UNCHECKED);
        m_startDate = m_record.startDate;
        m_endDate = m_record.endDate;
        m_startTime = TodayAt(m_record.startTime);
        m_endTime = TodayAt(m_record.endTime);
        ShowDates();
        ShowTimes();
        break;
    case ScheduleBlock::kSelected:
        CheckDlgButton(IDC_SCHED_BY_RANGE, BST_UNCHECKED);
        CheckDlgButton(IDC_SCHED_BY_SELECTION, BST_CHECKED);
        m_startTime = TodayAt(m_record.startTime);
        m_endTime = TodayAt(m_record.endTime);
        ShowTimes();
        break;
    default:
        CheckDlgButton(IDC_SCHED_BY_RANGE, BST_UNCHECKED);
        CheckDlgButton(IDC_SCHED_BY_SELECTION, BST_UNCHECKED);
        EnableRange(FALSE);
        EnableSelection(FALSE);
        CheckAllDays();
        break;
    }
}

// The list shows the selected dates in ascending order, each line's data
// being its date.
void CSchedulePage::FillDates() {
    SendDlgItemMessage(IDC_SCHED_DATES, LB_RESETCONTENT, 0, 0);
    for (int32_t date : m_record.selectedDates) {
        if (!date) continue;
        int count = static_cast<int>(SendDlgItemMessage(IDC_SCHED_DATES, LB_GETCOUNT, 0, 0));
        int at = 0;
        while (at < count &&
               static_cast<int32_t>(SendDlgItemMessage(IDC_SCHED_DATES, LB_GETITEMDATA, at, 0)) <= date)
            ++at;
        CString text = theSnapinUtilities.FormatDate(date);
        int index = static_cast<int>(SendDlgItemMessage(IDC_SCHED_DATES, LB_INSERTSTRING, at,
                                                        reinterpret_cast<LPARAM>(static_cast<LPCSTR>(text))));
        if (index >= 0) SendDlgItemMessage(IDC_SCHED_DATES, LB_SETITEMDATA, index, date);
    }
}

void CSchedulePage::Enable(std::initializer_list<int> ids, BOOL enable) {
    for (int id : ids)
        if (CWnd* control = GetDlgItem(id)) control->EnableWindow(enable);
}

void CSchedulePage::EnableRange(BOOL enable) {
    Enable({IDC_SCHED_START_DATE_BUTTON, IDC_SCHED_END_DATE_BUTTON, IDC_SCHED_START_DATE, IDC_SCHED_END_DATE,
            IDC_SCHED_START_DATE_LABEL, IDC_SCHED_END_DATE_LABEL, IDC_SCHED_DAYS_LABEL},
           enable);
    for (int id : kDayIds) Enable({id}, enable);
}

void CSchedulePage::EnableSelection(BOOL enable) { Enable({IDC_SCHED_DATES, IDC_SCHED_MODIFY}, enable); }

void CSchedulePage::EnableTimes(BOOL enable) {
    Enable({IDC_SCHED_START_TIME_BUTTON, IDC_SCHED_END_TIME_BUTTON, IDC_SCHED_START_TIME, IDC_SCHED_END_TIME,
            IDC_SCHED_START_TIME_LABEL, IDC_SCHED_END_TIME_LABEL, IDC_SCHED_TIME_GROUP},
           enable);
}

// A date range restricted to some days is never meant in GMT.
void CSchedulePage::SpreadAndGmt(BOOL on) {
    Enable({IDC_SCHED_SPREAD_LABEL, IDC_SCHED_SPREAD, IDC_SCHED_MINUTES_LABEL}, on);
    bool gmt = on && !(IsDlgButtonChecked(IDC_SCHED_BY_RANGE) == BST_CHECKED && DaysRestricted());
    Enable({IDC_SCHED_GMT}, gmt);
    if (!gmt) {
        CheckDlgButton(IDC_SCHED_GMT, BST_UNCHECKED);
        m_record.flags = 0;
    }
}

void CSchedulePage::CheckAllDays() {
    for (int id : kDayIds) CheckDlgButton(id, BST_CHECKED);
}

void CSchedulePage::SetTimeCaption(UINT stringId) {
    CString caption;
    caption.LoadString(stringId);
    SetDlgItemText(IDC_SCHED_TIME_GROUP, caption);
}

bool CSchedulePage::DaysRestricted() {
    for (int id : kDayIds)
        if (IsDlgButtonChecked(id) != BST_CHECKED) return true;
    return false;
}

void CSchedulePage::KeepEndAfterStart() {
    if (m_endTime >= m_startTime) return;
    m_endTime = m_startTime;
    m_record.endTime = SecondsOfDay(m_endTime);
    ShowTimes();
}

void CSchedulePage::ShowDates() {
    SetDlgItemText(IDC_SCHED_START_DATE, theSnapinUtilities.FormatDate(m_startDate));
    SetDlgItemText(IDC_SCHED_END_DATE, theSnapinUtilities.FormatDate(m_endDate));
}

void CSchedulePage::ShowTimes() {
    SetDlgItemText(IDC_SCHED_START_TIME, theSnapinUtilities.FormatTime(m_startTime));
    SetDlgItemText(IDC_SCHED_END_TIME, theSnapinUtilities.FormatTime(m_endTime));
}

void CSchedulePage::Changed() {
    if (m_loading) return;
    TellHostModified();
    m_bModified = TRUE;
}

void CSchedulePage::OnByRange() {
    if (IsDlgButtonChecked(IDC_SCHED_BY_RANGE) == BST_CHECKED) {
        bool restricted = DaysRestricted();
        m_record.type = restricted ? ScheduleBlock::kDayMask : ScheduleBlock::kStartStop;
        SetTimeCaption(restricted ? IDS_TIME_FOR_WEEK_DAY : IDS_TIME_FOR_RANGE);
        CheckDlgButton(IDC_SCHED_BY_SELECTION, BST_UNCHECKED);
        EnableRange(TRUE);
        EnableSelection(FALSE);
        EnableTimes(TRUE);
        SpreadAndGmt(TRUE);
    } else {
        SetTimeCaption(IDS_TIME_DISABLED);
        m_record.type = ScheduleBlock::kNoSchedule;
        EnableRange(FALSE);
        EnableTimes(FALSE);
        SpreadAndGmt(FALSE);
    }
    Changed();
}

void CSchedulePage::OnBySelection() {
    if (IsDlgButtonChecked(IDC_SCHED_BY_SELECTION) == BST_CHECKED) {
        SetTimeCaption(IDS_TIME_FOR_DATES);
        m_record.type = ScheduleBlock::kSelected;
        CheckDlgButton(IDC_SCHED_BY_RANGE, BST_UNCHECKED);
        KeepEndAfterStart();
        EnableSelection(TRUE);
        EnableRange(FALSE);
        EnableTimes(TRUE);
        SpreadAndGmt(TRUE);
    } else {
        SetTimeCaption(IDS_TIME_DISABLED);
        m_record.type = ScheduleBlock::kNoSchedule;
        EnableSelection(FALSE);
        EnableTimes(FALSE);
        SpreadAndGmt(FALSE);
    }
    Changed();
}

// A mask of 0 means every day: unchecking a day starts from all seven.
void CSchedulePage::OnDay(int id) {
    uint32_t bit = 1u << (id - IDC_SCHED_SUNDAY);
    if (IsDlgButtonChecked(id) == BST_CHECKED) {
        m_record.dayMask |= bit;
    } else {
        if (m_record.dayMask == 0) m_record.dayMask = ScheduleBlock::kAllDays;
        m_record.dayMask &= ~bit;
    }
    if (DaysRestricted()) {
        m_record.type = ScheduleBlock::kDayMask;
        SetTimeCaption(IDS_TIME_FOR_WEEK_DAY);
        Enable({IDC_SCHED_GMT}, FALSE);
        CheckDlgButton(IDC_SCHED_GMT, BST_UNCHECKED);
        KeepEndAfterStart();
        m_record.flags = 0;
    } else {
        m_record.type = ScheduleBlock::kStartStop;
        SetTimeCaption(IDS_TIME_FOR_RANGE);
        Enable({IDC_SCHED_GMT}, TRUE);
    }
    Changed();
}

void CSchedulePage::OnStartDate() {
    CSetDateDlg dialog(this);
    dialog.SetDate(m_startDate);
    if (dialog.DoModal() == IDCANCEL) return;
    m_startDate = dialog.GetDate();
    m_record.startDate = m_startDate;
    if (m_endDate < m_startDate) {
        m_endDate = m_startDate;
        m_record.endDate = m_endDate;
    }
    ShowDates();
    Changed();
}

void CSchedulePage::OnEndDate() {
    CSetDateDlg dialog(this);
    dialog.SetDate(m_endDate);
    if (dialog.DoModal() == IDCANCEL) return;
    m_endDate = dialog.GetDate();
    m_record.endDate = m_endDate;
    if (m_startDate > m_endDate) {
        m_startDate = m_endDate;
        m_record.startDate = m_startDate;
    }
    ShowDates();
    Changed();
}

void CSchedulePage::OnModify() {
    CSelectDatesDlg dialog(this);
    dialog.SetDates(m_record.selectedDates.data());
    if (dialog.DoModal() == IDCANCEL) return;
    m_record.selectedDates.fill(0);
    dialog.GetDates(m_record.selectedDates.data());
    m_record.dateCount = static_cast<uint32_t>(dialog.GetCount());
    FillDates();
    Changed();
}

// A plain date range takes one time per button; restricted days and
// selected dates take the daily window from either button.
void CSchedulePage::TimeButton(bool start) {
    bool window = DaysRestricted() || IsDlgButtonChecked(IDC_SCHED_BY_SELECTION) == BST_CHECKED;
    if (m_startTime == 0) m_startTime = Now();
    if (!window) {
        int32_t& time = start ? m_startTime : m_endTime;
        if (time == 0) time = Now();
        CTimeInputDlg dialog(this, time);
        if (dialog.DoModal() == IDCANCEL) return;
        time = dialog.GetStartTime();
        (start ? m_record.startTime : m_record.endTime) = SecondsOfDay(time);
    } else {
        int32_t duration = m_endTime ? m_endTime - m_startTime : kDefaultWindow;
        CTimeInputDlg dialog(this, m_startTime, duration);
        if (dialog.DoModal() == IDCANCEL) return;
        m_startTime = dialog.GetStartTime();
        m_endTime = dialog.GetEndTime();
        m_record.startTime = SecondsOfDay(m_startTime);
        m_record.endTime = SecondsOfDay(m_endTime);
    }
    ShowTimes();
    Changed();
}

void CSchedulePage::OnStartTime() { TimeButton(true); }
void CSchedulePage::OnEndTime() { TimeButton(false); }

void CSchedulePage::OnChangeSpread() {
    if (m_loading) return;
    CString text;
    GetDlgItemText(IDC_SCHED_SPREAD, text);
    m_record.spread = text.IsEmpty() ? 0 : static_cast<uint32_t>(std::atoi(text) * 60);
    Changed();
}

void CSchedulePage::OnGmt() {
    if (IsDlgButtonChecked(IDC_SCHED_GMT) == BST_CHECKED)
        m_record.flags |= ScheduleBlock::kFlagGmt;
    else
        m_record.flags &= ~ScheduleBlock::kFlagGmt;
    Changed();
}

void CSchedulePage::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT item) {
    if (!m_faces.Draw(item)) CAttributePage::OnDrawItem(nIDCtl, item);
}

void CSchedulePage::OnDestroy() {
    m_faces.Release();
    CAttributePage::OnDestroy();
}

BOOL CSchedulePage::CanClose() {
    if (!::IsWindow(m_hWnd)) return TRUE;  // a page never shown holds nothing to check
    auto filled = [this](int id) { return GetDlgItem(id)->GetWindowTextLength() > 0; };
    bool valid = true;
    if (IsDlgButtonChecked(IDC_SCHED_BY_RANGE) == BST_CHECKED)
        valid = filled(IDC_SCHED_START_DATE) && filled(IDC_SCHED_END_DATE) && filled(IDC_SCHED_START_TIME) &&
                filled(IDC_SCHED_END_TIME);
    else if (IsDlgButtonChecked(IDC_SCHED_BY_SELECTION) == BST_CHECKED)
        valid = filled(IDC_SCHED_START_TIME) && filled(IDC_SCHED_END_TIME) &&
                SendDlgItemMessage(IDC_SCHED_DATES, LB_GETCOUNT, 0, 0) > 0;
    if (valid) return TRUE;
    CString text, caption;
    text.LoadString(IDS_SCHEDULE_INCOMPLETE);
    caption.LoadString(IDS_DRAVIK_WARNING);
    MessageBox(text, caption, MB_OK | MB_ICONEXCLAMATION);
    return FALSE;
}

// The whole record, or no bytes for no schedule. The old value is emptied
// first so that nothing of a longer one stays behind the record; a write
// that does not store every byte, or a failed close, is reported and the
// page keeps its changes.
LONG CSchedulePage::Save() {
    if (!m_bModified || !::IsWindow(m_hWnd)) return 0;
    LONG status = WriteCurrentObject([this](DIR_CONTEXT context, LPCSTR object) -> LONG {
        if (m_record.flags & ScheduleBlock::kFlagGmt) {
            m_record.timeZone = 0;
        } else {
            _tzset();
            m_record.timeZone = static_cast<int32_t>(_timezone);
        }
        if (IsDlgButtonChecked(IDC_SCHED_BY_RANGE) == BST_CHECKED) {
            if (DaysRestricted()) {
                m_record.type = ScheduleBlock::kDayMask;
            } else {
                m_record.type = ScheduleBlock::kStartStop;
                m_record.dayMask = 0;
            }
        } else if (IsDlgButtonChecked(IDC_SCHED_BY_SELECTION) == BST_CHECKED) {
            m_record.type = ScheduleBlock::kSelected;
        } else {
            m_record.type = ScheduleBlock::kNoSchedule;
        }
        HFILE file = HFILE_ERROR;
        int opened = theDirectoryHelper.OpenStreamAttribute(context, object, snapin::kAttrSchedule, DIR_STREAM_WRITE,
                                                            &file);
        if (opened != DIR_SUCCESS) return opened;
        std::vector<uint8_t> value = m_record.ToStoredValue();
        bool written = _lwrite(file, "", 0) == 0;
        if (written && !value.empty())
            written = _lwrite(file, reinterpret_cast<LPCSTR>(value.data()), static_cast<UINT>(value.size())) ==
                      value.size();
        if (_lclose(file) == HFILE_ERROR) written = false;
        return written ? DIR_SUCCESS : kStreamWriteFailed;
    });
    if (status == 0) m_bModified = FALSE;
    return status;
}
