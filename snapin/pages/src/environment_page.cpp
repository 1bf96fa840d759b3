#include "snapin/pages/environment_page.h"

#include "snapin/core/directory_helper.h"
#include "snapin/core/schema_names.h"
#include "snapin/core/snapin_object_type.h"
#include "snapin/core/snapin_utilities.h"
#include "snapin/pages/object_attributes.h"
#include "snapin/pages/pages_resource.h"
#include "snapin/pages/ref_list_kit.h"

namespace {

constexpr int kTextSize = 256;

}  // namespace

BEGIN_MESSAGE_MAP(CEnvironmentPage, CAttributePage)
ON_EN_CHANGE(IDC_ENV_PARAMETERS, OnChangeParameters)
ON_EN_CHANGE(IDC_ENV_WORKING_DIRECTORY, OnChangeWorkingDirectory)
ON_EN_CHANGE(IDC_ENV_MONITOR_MODULE, OnChangeMonitorModule)
ON_EN_CHANGE(IDC_ENV_ERROR_LOG, OnChangeErrorLog)
ON_BN_CLICKED(IDC_ENV_NORMAL, OnFlagClicked)
ON_BN_CLICKED(IDC_ENV_MINIMIZED, OnFlagClicked)
ON_BN_CLICKED(IDC_ENV_MAXIMIZED, OnFlagClicked)
ON_BN_CLICKED(IDC_ENV_SHARED, OnFlagClicked)
ON_BN_CLICKED(IDC_ENV_SEPARATE, OnFlagClicked)
ON_BN_CLICKED(IDC_ENV_CLEAN_UP, OnCleanUpClicked)
ON_BN_CLICKED(IDC_ENV_ERROR_LOGGING, OnErrorLoggingClicked)
ON_BN_CLICKED(IDC_ENV_BROWSE_DIRECTORY, OnBrowseWorkingDirectory)
ON_BN_CLICKED(IDC_ENV_BROWSE_LOG, OnBrowseErrorLog)
END_MESSAGE_MAP()

CEnvironmentPage::CEnvironmentPage() : CAttributePage(IDS_ENVIRONMENT_TITLE, IDD_ENVIRONMENT, HID_ENVIRONMENT) {}

BOOL CEnvironmentPage::OnInitDialog() {
    CAttributePage::OnInitDialog();
    SendDlgItemMessage(IDC_ENV_MONITOR_MODULE, EM_LIMITTEXT, 127, 0);
    SendDlgItemMessage(IDC_ENV_PARAMETERS, EM_LIMITTEXT, 99, 0);
    SendDlgItemMessage(IDC_ENV_WORKING_DIRECTORY, EM_LIMITTEXT, 255, 0);
    SendDlgItemMessage(IDC_ENV_ERROR_LOG, EM_LIMITTEXT, 255, 0);
    DIR_CONTEXT context = theDirectoryHelper.CreateContext();
    LPCSTR object = GetCurrentObjectName();
    DWORD flags = 0;
    if (context >= 0) {
        CObjectAttributes read(context, object,
                               {snapin::kAttrParameters, snapin::kAttrWorkingDirectory, snapin::kAttrFlags,
                                snapin::kAttrMonitorModule, snapin::kAttrErrorLogPath});
        SetDlgItemText(IDC_ENV_PARAMETERS, read.Text(snapin::kAttrParameters, kTextSize).c_str());
        SetDlgItemText(IDC_ENV_WORKING_DIRECTORY, read.Text(snapin::kAttrWorkingDirectory, kTextSize).c_str());
        SetDlgItemText(IDC_ENV_MONITOR_MODULE, read.Text(snapin::kAttrMonitorModule, kTextSize).c_str());
        SetDlgItemText(IDC_ENV_ERROR_LOG, read.Text(snapin::kAttrErrorLogPath, kTextSize).c_str());
        flags = read.Word(snapin::kAttrFlags);
    }
    int run = (flags & snapin::kFlagLaunchMinimized)   ? IDC_ENV_MINIMIZED
              : (flags & snapin::kFlagLaunchMaximized) ? IDC_ENV_MAXIMIZED
                                                       : IDC_ENV_NORMAL;
    CheckRadioButton(IDC_ENV_NORMAL, IDC_ENV_MAXIMIZED, run);
    CheckRadioButton(IDC_ENV_SHARED, IDC_ENV_SEPARATE,
                     (flags & snapin::kFlagSeparateVdm) ? IDC_ENV_SEPARATE : IDC_ENV_SHARED);
    bool cleanUp = !(flags & snapin::kFlagKeepNetworkResources);
    CheckDlgButton(IDC_ENV_CLEAN_UP, cleanUp ? BST_CHECKED : BST_UNCHECKED);
    GetDlgItem(IDC_ENV_MONITOR_MODULE)->EnableWindow(cleanUp);
    GetDlgItem(IDC_ENV_MONITOR_LABEL)->EnableWindow(cleanUp);
    bool logging = (flags & snapin::kFlagErrorLogging) != 0;
    CheckDlgButton(IDC_ENV_ERROR_LOGGING, logging ? BST_CHECKED : BST_UNCHECKED);
    GetDlgItem(IDC_ENV_ERROR_LOG)->EnableWindow(logging);
    GetDlgItem(IDC_ENV_BROWSE_LOG)->EnableWindow(logging);
    if (context >= 0) {
        ApplyRights(context, object);
        DirFreeContext(context);
    }
    for (BOOL& mark : m_marks) mark = FALSE;  // filling the controls marked them
    return TRUE;
}

void CEnvironmentPage::ApplyRights(DIR_CONTEXT context, LPCSTR object) {
    auto denied = [&](LPCSTR attribute) { return !theDirectoryHelper.CanWriteAttribute(context, object, attribute); };
    auto disable = [this](std::initializer_list<int> ids) {
        for (int id : ids) GetDlgItem(id)->EnableWindow(FALSE);
    };
    auto readOnly = [this](int id) { SendDlgItemMessage(id, EM_SETREADONLY, TRUE, 0); };
    if (denied(snapin::kAttrParameters)) {
        disable({IDC_ENV_PARAMETERS_LABEL});
        readOnly(IDC_ENV_PARAMETERS);
    }
    if (denied(snapin::kAttrWorkingDirectory)) {
        disable({IDC_ENV_WORKING_DIRECTORY_LABEL, IDC_ENV_BROWSE_DIRECTORY});
        readOnly(IDC_ENV_WORKING_DIRECTORY);
    }
    if (denied(snapin::kAttrFlags))
        disable({IDC_ENV_RUN_GROUP, IDC_ENV_NT_GROUP, IDC_ENV_NORMAL, IDC_ENV_MINIMIZED, IDC_ENV_MAXIMIZED,
                 IDC_ENV_SHARED, IDC_ENV_SEPARATE, IDC_ENV_CLEAN_UP, IDC_ENV_ERROR_LOGGING, IDC_ENV_SESSION_LABEL});
    if (denied(snapin::kAttrMonitorModule)) {
        disable({IDC_ENV_MONITOR_LABEL});
        readOnly(IDC_ENV_MONITOR_MODULE);
    }
    if (denied(snapin::kAttrErrorLogPath)) {
        disable({IDC_ENV_ERROR_LOGGING, IDC_ENV_BROWSE_LOG});
        readOnly(IDC_ENV_ERROR_LOG);
    }
}

void CEnvironmentPage::SetMark(Mark mark) {
    m_marks[mark] = TRUE;
    TellHostModified();
}

void CEnvironmentPage::OnChangeParameters() { SetMark(kParameters); }
void CEnvironmentPage::OnChangeWorkingDirectory() { SetMark(kWorkingDirectory); }
void CEnvironmentPage::OnChangeMonitorModule() { SetMark(kMonitorModule); }
void CEnvironmentPage::OnFlagClicked() { SetMark(kFlags); }

// Bit 0x400 depends on the log path being empty.
void CEnvironmentPage::OnChangeErrorLog() {
    SetMark(kErrorLog);
    SetMark(kFlags);
}

void CEnvironmentPage::OnCleanUpClicked() {
    BOOL checked = IsDlgButtonChecked(IDC_ENV_CLEAN_UP) == BST_CHECKED;
    GetDlgItem(IDC_ENV_MONITOR_MODULE)->EnableWindow(checked);
    GetDlgItem(IDC_ENV_MONITOR_LABEL)->EnableWindow(checked);
    SetMark(kMonitorModule);
    SetMark(kFlags);
}

void CEnvironmentPage::OnErrorLoggingClicked() {
    BOOL checked = IsDlgButtonChecked(IDC_ENV_ERROR_LOGGING) == BST_CHECKED;
    if (!checked) SetDlgItemText(IDC_ENV_ERROR_LOG, "");
    GetDlgItem(IDC_ENV_ERROR_LOG)->EnableWindow(checked);
    GetDlgItem(IDC_ENV_BROWSE_LOG)->EnableWindow(checked);
    SetMark(kErrorLog);
    SetMark(kFlags);
}

void CEnvironmentPage::OnBrowseWorkingDirectory() {
    CString path, context;
    if (theSnapinUtilities.BrowseDirectory(m_hWnd, path, context)) SetDlgItemText(IDC_ENV_WORKING_DIRECTORY, path);
}

void CEnvironmentPage::OnBrowseErrorLog() {
    CString path, context;
    if (!theSnapinUtilities.BrowseFile(m_hWnd, path, context)) return;
    SetDlgItemText(IDC_ENV_ERROR_LOG, path);
    SetMark(kFlags);
    SetMark(kErrorLog);
}

DWORD CEnvironmentPage::PageFlags() {
    DWORD bits = 0;
    if (IsDlgButtonChecked(IDC_ENV_MAXIMIZED) == BST_CHECKED)
        bits |= snapin::kFlagLaunchMaximized;
    else if (IsDlgButtonChecked(IDC_ENV_MINIMIZED) == BST_CHECKED)
        bits |= snapin::kFlagLaunchMinimized;
    if (IsDlgButtonChecked(IDC_ENV_SEPARATE) == BST_CHECKED) bits |= snapin::kFlagSeparateVdm;
    if (IsDlgButtonChecked(IDC_ENV_CLEAN_UP) != BST_CHECKED) bits |= snapin::kFlagKeepNetworkResources;
    if (IsDlgButtonChecked(IDC_ENV_ERROR_LOGGING) == BST_CHECKED &&
        GetDlgItem(IDC_ENV_ERROR_LOG)->GetWindowTextLength() > 0)
        bits |= snapin::kFlagErrorLogging;
    return bits;
}

int CEnvironmentPage::PutChanges(DIR_CONTEXT context, LPCSTR object, DirBuffer* request, bool* put) {
    struct Text {
        Mark mark;
        int editId;
        LPCSTR attribute;
    };
    const Text texts[] = {{kParameters, IDC_ENV_PARAMETERS, snapin::kAttrParameters},
                          {kWorkingDirectory, IDC_ENV_WORKING_DIRECTORY, snapin::kAttrWorkingDirectory},
                          {kMonitorModule, IDC_ENV_MONITOR_MODULE, snapin::kAttrMonitorModule},
                          {kErrorLog, IDC_ENV_ERROR_LOG, snapin::kAttrErrorLogPath}};
    for (const Text& text : texts) {
        if (!m_marks[text.mark] || !::IsWindow(::GetDlgItem(m_hWnd, text.editId))) continue;
        CString value;
        GetDlgItemText(text.editId, value);
        // The monitor module goes when clean-up is off.
        if (text.mark == kMonitorModule && IsDlgButtonChecked(IDC_ENV_CLEAN_UP) != BST_CHECKED) value.Empty();
        int status = theDirectoryHelper.PutOctetStringValue(context, object, request, text.attribute, value);
        if (status != DIR_SUCCESS) return status;
        *put = true;
    }
    if (m_marks[kFlags] && ::IsWindow(::GetDlgItem(m_hWnd, IDC_ENV_MAXIMIZED))) {
        DWORD flags = snapin::MergeAppFlags(theDirectoryHelper.ReadAppFlags(context, object), PageFlags(),
                                            snapin::kEnvironmentFlagsMask);
        int status = theDirectoryHelper.ReplaceValue(context, object, request, snapin::kAttrFlags, flags);
        if (status != DIR_SUCCESS) return status;
        *put = true;
    }
    return DIR_SUCCESS;
}

LONG CEnvironmentPage::Save() {
    bool marked = false;
    for (BOOL mark : m_marks) marked = marked || mark;
    if (!marked) return 0;
    LONG status = WriteCurrentObject([this](DIR_CONTEXT context, LPCSTR object) {
        CRequestBuffer request;
        int result = request.Alloc(kPageRequestSize);
        if (result == DIR_SUCCESS) result = DirInitRequest(context, DIR_OP_MODIFY, request.get());
        bool put = false;
        if (result == DIR_SUCCESS) result = PutChanges(context, object, request.get(), &put);
        if (result == DIR_SUCCESS && put) result = DirModifyObject(context, object, nullptr, 0, request.get());
        return result;
    });
    if (status == 0)
        for (BOOL& mark : m_marks) mark = FALSE;
    return status;
}
