#include "snapin/pages/drives_ports_page.h"

#include <cstring>

#include "snapin/core/app_library.h"
#include "snapin/core/directory_helper.h"
#include "snapin/core/schema_names.h"
#include "snapin/core/snapin_object_type.h"
#include "snapin/core/snapin_utilities.h"
#include "snapin/distribution/capture_flags_dlg.h"
#include "snapin/pages/object_attributes.h"
#include "snapin/pages/pages_resource.h"
#include "snapin/pages/ref_list_kit.h"

namespace {

// The controls of a row: the first row's id plus the row's step.
int DriveId(int firstRowId, int row) { return firstRowId + 5 * row; }
int PortId(int firstRowId, int row) {
    // The port rows' Set... and Capture Flags ids swap places after the first row.
    if (row > 0 && firstRowId == IDC_DP_SET_1) return IDC_DP_SET_1 + 5 * row - 1;
    if (row > 0 && firstRowId == IDC_DP_FLAGS_1) return IDC_DP_FLAGS_1 + 5 * row + 1;
    return firstRowId + 5 * row;
}

constexpr const char* kOptions[] = {"", "Drive", "S1", "S16"};
constexpr DWORD kMapSearchFirst = 0x01;
constexpr DWORD kMapSearchLast = 0x02;
constexpr DWORD kMapRoot = 0x04;
constexpr DWORD kMapNextDrive = 0x08;
constexpr size_t kQueueSize = 256;
constexpr size_t kDriveMapSize = 260;
constexpr size_t kDriveSize = 16;
constexpr size_t kPathSize = 256;

// The values of one attribute as texts, up to their first zero byte, at
// most `kRows` of them in the order returned.
void ReadValues(const KmappValue* value, std::string (&texts)[CDrivesPortsPage::kRows]) {
    for (int i = 0; value && i < CDrivesPortsPage::kRows; value = value->next, ++i)
        if (value->data) {
            const char* bytes = static_cast<const char*>(value->data);
            texts[i] = std::string(bytes, strnlen(bytes, value->length));
        }
}

}  // namespace

// The rows' clicks, selection changes and text changes, by range.
#define VPR_DP_ROWS(code)                                                                                \
    VPR_MAP_ENTRY(WM_COMMAND, code, IDC_DP_ROOT_1, IDC_DP_PATH_BROWSE_3,                              \
                  self_->OnDriveCommand(LOWORD(wParam_), HIWORD(wParam_)))                             \
    VPR_MAP_ENTRY(WM_COMMAND, code, IDC_DP_PORT_1, IDC_DP_FLAGS_3, self_->OnPortCommand(LOWORD(wParam_), HIWORD(wParam_)))

BEGIN_MESSAGE_MAP(CDrivesPortsPage, CAttributePage)
VPR_DP_ROWS(BN_CLICKED)
VPR_DP_ROWS(CBN_SELCHANGE)
VPR_DP_ROWS(EN_CHANGE)
END_MESSAGE_MAP()

CDrivesPortsPage::CDrivesPortsPage() : CAttributePage(IDS_DRIVES_PORTS_TITLE, IDD_DRIVES_PORTS, HID_DRIVES_PORTS) {}

BOOL CDrivesPortsPage::OnInitDialog() {
    CAttributePage::OnInitDialog();
    DIR_CONTEXT context = theDirectoryHelper.CreateContext();
    LPCSTR object = GetCurrentObjectName();
    m_browseContext = BrowseStartContext(object);
    for (int row = 0; row < kRows; ++row) {
        SendDlgItemMessage(DriveId(IDC_DP_PATH_1, row), EM_LIMITTEXT, 255, 0);
        SendDlgItemMessage(PortId(IDC_DP_QUEUE_1, row), EM_LIMITTEXT, 255, 0);
        m_driveValues[row].clear();
        m_portValues[row].clear();
        m_captureFlags[row] = 0;
        for (const char* option : kOptions)
            SendDlgItemMessage(DriveId(IDC_DP_OPTION_1, row), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(option));
        SendDlgItemMessage(DriveId(IDC_DP_DRIVE_1, row), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Next"));
        for (char letter = 'A'; letter <= 'Z'; ++letter) {
            char drive[3] = {letter, ':', 0};
            SendDlgItemMessage(DriveId(IDC_DP_DRIVE_1, row), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive));
        }
        SendDlgItemMessage(PortId(IDC_DP_PORT_1, row), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(""));
        for (char digit = '1'; digit <= '9'; ++digit) {
            char port[5] = {'L', 'P', 'T', digit, 0};
            SendDlgItemMessage(PortId(IDC_DP_PORT_1, row), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(port));
        }
    }
    if (context >= 0) {
        CObjectAttributes read(context, object, {snapin::kAttrDriveMappings, snapin::kAttrPrinterPorts});
        ReadValues(read.First(snapin::kAttrDriveMappings), m_driveValues);
        ReadValues(read.First(snapin::kAttrPrinterPorts), m_portValues);
    }
    for (int row = 0; row < kRows; ++row) {
        ShowDriveRow(row, m_driveValues[row]);
        ShowPortRow(row, m_portValues[row]);
        SendDlgItemMessage(PortId(IDC_DP_FLAGS_1, row), EM_SETREADONLY, TRUE, 0);
    }
    if (context >= 0) {
        ApplyRights(context, object);
        DirFreeContext(context);
    }
    m_bDrivesModified = FALSE;
    m_bPortsModified = FALSE;
    return TRUE;
}

void CDrivesPortsPage::ShowDriveRow(int row, const std::string& value) {
    DWORD flags = 0;
    char drive[kDriveSize] = {};
    char path[kPathSize] = {};
    if (value.empty() || theAppLibrary.ParseDriveMapString(value.c_str(), &flags, drive, path) != 0) {
        EnableDriveRow(row, FALSE);
        return;
    }
    int option = (flags & kMapSearchFirst) ? 2 : (flags & kMapSearchLast) ? 3 : 1;
    SendDlgItemMessage(DriveId(IDC_DP_OPTION_1, row), CB_SETCURSEL, option, 0);
    CheckDlgButton(DriveId(IDC_DP_ROOT_1, row), (flags & kMapRoot) ? BST_CHECKED : BST_UNCHECKED);
    HWND driveList = ::GetDlgItem(m_hWnd, DriveId(IDC_DP_DRIVE_1, row));
    if (flags & kMapNextDrive)
        ::SendMessageA(driveList, CB_SETCURSEL, 0, 0);
    else
        ::SendMessageA(driveList, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(drive));
    SetDlgItemText(DriveId(IDC_DP_PATH_1, row), path);
}

// A stored value without options holds its queue with the space the builder
// puts after it: the row shows the queue without it, so that saving builds
// the same value again.
void CDrivesPortsPage::ShowPortRow(int row, const std::string& value) {
    DWORD flags = 0;
    char port[5] = {};
    char queue[kQueueSize] = {};
    if (value.empty() || CAppLibrary::ParseCaptureFlags(value.c_str(), &flags, port, queue, sizeof queue) != 0) {
        EnablePortRow(row, FALSE);
        return;
    }
    size_t length = std::strlen(queue);
    if (flags == 0 && length > 0 && queue[length - 1] == ' ') queue[length - 1] = 0;
    SendDlgItemMessage(PortId(IDC_DP_PORT_1, row), CB_SELECTSTRING, static_cast<WPARAM>(-1),
                       reinterpret_cast<LPARAM>(port));
    SetDlgItemText(PortId(IDC_DP_QUEUE_1, row), queue);
    m_captureFlags[row] = flags;
    if (flags) ShowCaptureFlags(row);
}

void CDrivesPortsPage::EnableDriveRow(int row, BOOL enable) {
    for (int id : {IDC_DP_ROOT_1, IDC_DP_DRIVE_1, IDC_DP_PATH_1, IDC_DP_PATH_BROWSE_1})
        GetDlgItem(DriveId(id, row))->EnableWindow(enable);
}

void CDrivesPortsPage::EnablePortRow(int row, BOOL enable) {
    for (int id : {IDC_DP_QUEUE_1, IDC_DP_QUEUE_BROWSE_1, IDC_DP_SET_1}) GetDlgItem(PortId(id, row))->EnableWindow(enable);
}

void CDrivesPortsPage::ShowCaptureFlags(int row) {
    SetDlgItemText(PortId(IDC_DP_FLAGS_1, row), CAppLibrary::FormatCaptureFlags(m_captureFlags[row]).c_str());
}

void CDrivesPortsPage::ApplyRights(DIR_CONTEXT context, LPCSTR object) {
    if (!theDirectoryHelper.CanWriteAttribute(context, object, snapin::kAttrDriveMappings)) {
        for (int row = 0; row < kRows; ++row) {
            for (int id : {IDC_DP_ROOT_1, IDC_DP_OPTION_1, IDC_DP_DRIVE_1, IDC_DP_PATH_BROWSE_1})
                GetDlgItem(DriveId(id, row))->EnableWindow(FALSE);
            SendDlgItemMessage(DriveId(IDC_DP_PATH_1, row), EM_SETREADONLY, TRUE, 0);
        }
        for (int id : {IDC_DP_DRIVES_HEADING, IDC_DP_DRIVE_HEADING, IDC_DP_OPTION_HEADING, IDC_DP_PATH_HEADING,
                       IDC_DP_ROOT_HEADING})
            GetDlgItem(id)->EnableWindow(FALSE);
    }
    if (!theDirectoryHelper.CanWriteAttribute(context, object, snapin::kAttrPrinterPorts)) {
        for (int row = 0; row < kRows; ++row) {
            for (int id : {IDC_DP_PORT_1, IDC_DP_QUEUE_BROWSE_1, IDC_DP_SET_1, IDC_DP_FLAGS_1})
                GetDlgItem(PortId(id, row))->EnableWindow(FALSE);
            SendDlgItemMessage(PortId(IDC_DP_QUEUE_1, row), EM_SETREADONLY, TRUE, 0);
        }
        for (int id : {IDC_DP_PORTS_HEADING, IDC_DP_PORT_HEADING, IDC_DP_QUEUE_HEADING, IDC_DP_FLAGS_HEADING})
            GetDlgItem(id)->EnableWindow(FALSE);
    }
}

void CDrivesPortsPage::OnDriveCommand(UINT id, UINT code) {
    int row = static_cast<int>(id - IDC_DP_ROOT_1) / 5;
    int part = IDC_DP_ROOT_1 + static_cast<int>(id - IDC_DP_ROOT_1) % 5;
    if (part == IDC_DP_PATH_BROWSE_1) {
        if (code != BN_CLICKED) return;
        CString path;
        if (theSnapinUtilities.BrowseDirectory(m_hWnd, path, m_browseContext))
            SetDlgItemText(DriveId(IDC_DP_PATH_1, row), path);
        return;
    }
    bool change = (part == IDC_DP_OPTION_1 && code == CBN_SELCHANGE) ||
                  (part == IDC_DP_DRIVE_1 && code == CBN_SELCHANGE) || (part == IDC_DP_ROOT_1 && code == BN_CLICKED) ||
                  (part == IDC_DP_PATH_1 && code == EN_CHANGE);
    if (!change) return;
    m_bDrivesModified = TRUE;
    TellHostModified();
    if (part != IDC_DP_OPTION_1) return;
    BOOL used = SendDlgItemMessage(DriveId(IDC_DP_OPTION_1, row), CB_GETCURSEL, 0, 0) > 0;
    if (!used) {
        CheckDlgButton(DriveId(IDC_DP_ROOT_1, row), BST_UNCHECKED);
        SetDlgItemText(DriveId(IDC_DP_PATH_1, row), "");
        SendDlgItemMessage(DriveId(IDC_DP_DRIVE_1, row), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    }
    EnableDriveRow(row, used);
}

void CDrivesPortsPage::OnPortCommand(UINT id, UINT code) {
    for (int row = 0; row < kRows; ++row) {
        int which = static_cast<int>(id);
        if (which == PortId(IDC_DP_PORT_1, row) && code == CBN_SELCHANGE) {
            m_bPortsModified = TRUE;
            TellHostModified();
            BOOL used = SendDlgItemMessage(which, CB_GETCURSEL, 0, 0) > 0;
            if (!used) {
                SetDlgItemText(PortId(IDC_DP_QUEUE_1, row), "");
                SetDlgItemText(PortId(IDC_DP_FLAGS_1, row), "");
            }
            EnablePortRow(row, used);
        } else if (which == PortId(IDC_DP_QUEUE_1, row) && code == EN_CHANGE) {
            m_bPortsModified = TRUE;
            TellHostModified();
        } else if (which == PortId(IDC_DP_QUEUE_BROWSE_1, row) && code == BN_CLICKED) {
            CString queue;
            if (theSnapinUtilities.BrowsePrintQueue(m_hWnd, queue, m_browseContext))
                SetDlgItemText(PortId(IDC_DP_QUEUE_1, row), queue);
        } else if (which == PortId(IDC_DP_SET_1, row) && code == BN_CLICKED) {
            OnSetCaptureFlags(row);
        }
    }
}

// The dialog previews into the row's Capture Flags edit; afterwards the
// edit shows the row's flags, changed only by OK.
void CDrivesPortsPage::OnSetCaptureFlags(int row) {
    CCaptureFlagsDlg dialog(nullptr);
    dialog.SetFlags(m_captureFlags[row]);
    dialog.SetPreviewWindow(GetDlgItem(PortId(IDC_DP_FLAGS_1, row)));
    if (dialog.DoModal() == IDOK) {
        m_captureFlags[row] = dialog.GetFlags();
        m_bPortsModified = TRUE;
        TellHostModified();
    }
    ShowCaptureFlags(row);
}

bool CDrivesPortsPage::BuildPortValues() {
    bool complete = true;
    for (int row = 0; row < kRows; ++row) {
        CString port, queue;
        GetDlgItemText(PortId(IDC_DP_PORT_1, row), port);
        GetDlgItemText(PortId(IDC_DP_QUEUE_1, row), queue);
        if (port.IsEmpty()) {
            m_portValues[row].clear();
        } else if (queue.IsEmpty()) {
            complete = false;
        } else {
            m_portValues[row] = CAppLibrary::BuildCaptureString(m_captureFlags[row], port, queue);
        }
    }
    return complete;
}

bool CDrivesPortsPage::BuildDriveValues() {
    bool complete = true;
    for (int row = 0; row < kRows; ++row) {
        int option = static_cast<int>(SendDlgItemMessage(DriveId(IDC_DP_OPTION_1, row), CB_GETCURSEL, 0, 0));
        if (option <= 0) {
            m_driveValues[row].clear();
            continue;
        }
        CString path, drive;
        GetDlgItemText(DriveId(IDC_DP_PATH_1, row), path);
        GetDlgItemText(DriveId(IDC_DP_DRIVE_1, row), drive);
        if (path.IsEmpty() || drive.IsEmpty()) {
            complete = false;
            continue;
        }
        DWORD flags = option == 2 ? kMapSearchFirst : option == 3 ? kMapSearchLast : 0;
        if (IsDlgButtonChecked(DriveId(IDC_DP_ROOT_1, row)) == BST_CHECKED) flags |= kMapRoot;
        if (SendDlgItemMessage(DriveId(IDC_DP_DRIVE_1, row), CB_GETCURSEL, 0, 0) == 0) {
            flags |= kMapNextDrive;
            drive.Empty();
        }
        char text[kDriveMapSize] = {};
        theAppLibrary.BuildDriveMapString(flags, drive, path, text);
        m_driveValues[row] = text;
    }
    return complete;
}

BOOL CDrivesPortsPage::CanClose() {
    CString caption, text;
    caption.LoadString(IDS_DRIVES_PORTS_TITLE);
    if (!BuildPortValues()) {
        text.LoadString(IDS_PORT_PARAMETER_MISSING);
        MessageBox(text, caption, MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    if (!BuildDriveValues()) {
        text.LoadString(IDS_DRIVE_PARAMETER_MISSING);
        MessageBox(text, caption, MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    return TRUE;
}

// All values of the attribute go, then the non-empty rows' in row order.
int CDrivesPortsPage::PutValues(DIR_CONTEXT context, LPCSTR object, DirBuffer* request, LPCSTR attribute,
                                const std::string (&values)[kRows]) {
    int status = theDirectoryHelper.PutChange(context, object, request, DIR_CHANGE_REMOVE_ALL_VALUES, attribute);
    for (int row = 0; status == DIR_SUCCESS && row < kRows; ++row) {
        if (values[row].empty()) continue;
        status = theDirectoryHelper.PutChange(context, object, request, DIR_CHANGE_ADD_VALUE, attribute);
        DirOctetString octets{static_cast<uint32_t>(values[row].size()),
                              reinterpret_cast<uint8_t*>(const_cast<char*>(values[row].data()))};
        if (status == DIR_SUCCESS)
            status = theDirectoryHelper.PutValue(context, object, request, DIR_CHANGE_ADD_VALUE, attribute,
                                                 DIR_SYNTAX_OCTET_STRING, &octets);
    }
    return status;
}

LONG CDrivesPortsPage::Save() {
    if (!m_bDrivesModified && !m_bPortsModified) return 0;
    LONG status = WriteCurrentObject([this](DIR_CONTEXT context, LPCSTR object) {
        CRequestBuffer request;
        int result = request.Alloc(kPageRequestSize);
        if (result == DIR_SUCCESS) result = DirInitRequest(context, DIR_OP_MODIFY, request.get());
        bool put = false;
        if (result == DIR_SUCCESS && m_bPortsModified && ::IsWindow(m_hWnd)) {
            result = PutValues(context, object, request.get(), snapin::kAttrPrinterPorts, m_portValues);
            put = true;
        }
        if (result == DIR_SUCCESS && m_bDrivesModified && ::IsWindow(m_hWnd)) {
            result = PutValues(context, object, request.get(), snapin::kAttrDriveMappings, m_driveValues);
            put = true;
        }
        if (result == DIR_SUCCESS && put) result = DirModifyObject(context, object, nullptr, 0, request.get());
        return result;
    });
    if (status == 0) m_bDrivesModified = m_bPortsModified = FALSE;
    return status;
}
