// The System Requirements page of an application object.
#include "snapin/pages/system_requirements_page.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "snapin/core/app_library.h"
#include "snapin/core/directory_helper.h"
#include "snapin/core/schema_names.h"
#include "snapin/core/snapin_object_type.h"
#include "snapin/core/snapin_utilities.h"
#include "snapin/pages/object_attributes.h"
#include "snapin/pages/pages_resource.h"
#include "snapin/pages/ref_list_kit.h"
#include "template/template_library.h"
#include "vpr/win/file.h"

namespace {

constexpr int kDiskRows = 3;
constexpr int kDiskIds[kDiskRows] = {IDC_SR_DISK_1, IDC_SR_DISK_2, IDC_SR_DISK_3};
constexpr int kDriveIds[kDiskRows] = {IDC_SR_DRIVE_1, IDC_SR_DRIVE_2, IDC_SR_DRIVE_3};
constexpr int kMbOnIds[kDiskRows] = {IDC_SR_MB_ON_1, IDC_SR_MB_ON_2, IDC_SR_MB_ON_3};

// The platform rows: Windows 3.x, 95 and NT, their bit, box, edits and
// labels; the version records' subtypes are the row numbers from 1.
struct PlatformRow {
    DWORD bit;
    int box, major, minor, majorLabel, minorLabel;
};
constexpr PlatformRow kPlatforms[3] = {
    {0x1, IDC_SR_PLATFORM_3X, IDC_SR_MAJOR_3X, IDC_SR_MINOR_3X, IDC_SR_MAJOR_LABEL_3X, IDC_SR_MINOR_LABEL_3X},
    {0x2, IDC_SR_PLATFORM_95, IDC_SR_MAJOR_95, IDC_SR_MINOR_95, IDC_SR_MAJOR_LABEL_95, IDC_SR_MINOR_LABEL_95},
    {0x4, IDC_SR_PLATFORM_NT, IDC_SR_MAJOR_NT, IDC_SR_MINOR_NT, IDC_SR_MAJOR_LABEL_NT, IDC_SR_MINOR_LABEL_NT},
};

// The directory macros a disk row may name, by their display strings.
struct DriveMacro {
    UINT displayId;
    const char* macro;
};
constexpr DriveMacro kMacros[3] = {
    {IDS_WINSYSDIR_DRIVE, "*WINSYSDIR"}, {IDS_WINDIR_DRIVE, "*WINDIR"}, {IDS_TEMPDIR_DRIVE, "*TEMPDIR"}};

const char* const kProcessors[3] = {"386", "486", "Pentium"};

CString Stored(const DriveMacro& macro) {
    CString text;
    text.Format("%%%s%%", macro.macro);
    return text;
}

CString Display(const DriveMacro& macro) {
    CString text;
    text.LoadString(macro.displayId);
    return text;
}

}  // namespace

BEGIN_MESSAGE_MAP(CSystemRequirementsPage, CAttributePage)
ON_BN_CLICKED(IDC_SR_DISPLAY, OnDisplay)
VPR_MAP_ENTRY(WM_COMMAND, BN_CLICKED, IDC_SR_PLATFORM_3X, IDC_SR_PLATFORM_NT, self_->OnPlatform(LOWORD(wParam_)))
VPR_MAP_ENTRY(WM_COMMAND, EN_CHANGE, IDC_SR_DISK_1, IDC_SR_DISK_3, self_->OnChangeDisk(LOWORD(wParam_)))
VPR_MAP_ENTRY(WM_COMMAND, CBN_SELCHANGE, IDC_SR_PROCESSOR, IDC_SR_PROCESSOR, self_->OnInventoryChanged())
VPR_MAP_ENTRY(WM_COMMAND, CBN_SELCHANGE, IDC_SR_DRIVE_1, IDC_SR_DRIVE_3, self_->OnInventoryChanged())
VPR_MAP_ENTRY(WM_COMMAND, EN_CHANGE, IDC_SR_RAM, IDC_SR_RAM, self_->OnInventoryChanged())
VPR_MAP_ENTRY(WM_COMMAND, EN_CHANGE, IDC_SR_MAJOR_3X, IDC_SR_MINOR_NT, self_->OnInventoryChanged())
END_MESSAGE_MAP()

CSystemRequirementsPage::CSystemRequirementsPage()
    : CAttributePage(IDS_SYSTEM_REQUIREMENTS_TITLE, IDD_SYSTEM_REQUIREMENTS, HID_SYSTEM_REQUIREMENTS) {}

BOOL CSystemRequirementsPage::OnInitDialog() {
    CAttributePage::OnInitDialog();
    m_loading = true;
    for (int id : kDriveIds) {
        SendDlgItemMessage(id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(""));
        for (const DriveMacro& macro : kMacros) {
            CString display = Display(macro);
            SendDlgItemMessage(id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(static_cast<LPCSTR>(display)));
        }
        for (char letter = 'A'; letter <= 'Z'; ++letter) {
            char drive[3] = {letter, ':', '\0'};
            SendDlgItemMessage(id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(drive));
        }
    }
    SendDlgItemMessage(IDC_SR_PROCESSOR, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(""));
    for (int i = 0; i < 3; ++i) {
        CString name;
        name.LoadString(IDS_PROCESSOR_386 + i);
        SendDlgItemMessage(IDC_SR_PROCESSOR, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(static_cast<LPCSTR>(name)));
    }
    DIR_CONTEXT context = theDirectoryHelper.CreateContext();
    LPCSTR object = GetCurrentObjectName();
    if (context >= 0) {
        ReadInventory(context, object);
        ReadPlatform(context, object);
    }
    if (IsDlgButtonChecked(IDC_SR_DISPLAY) == BST_CHECKED) {
        for (int row = 0; row < kDiskRows; ++row)
            if (GetDlgItem(kDiskIds[row])->GetWindowTextLength() == 0) {
                SendDlgItemMessage(kDriveIds[row], CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
                Enable({kDriveIds[row]}, FALSE);
            }
    } else {
        OnDisplay();
    }
    for (int id : {IDC_SR_RAM, IDC_SR_DISK_1, IDC_SR_DISK_2, IDC_SR_DISK_3, IDC_SR_MAJOR_3X, IDC_SR_MINOR_3X,
                   IDC_SR_MAJOR_95, IDC_SR_MINOR_95, IDC_SR_MAJOR_NT, IDC_SR_MINOR_NT})
        SendDlgItemMessage(id, EM_LIMITTEXT, 10, 0);
    if (context >= 0) {
        ApplyRights(context, object);
        DirFreeContext(context);
    }
    m_bInventoryModified = m_bPlatformModified = FALSE;
    m_loading = false;
    return TRUE;
}

void CSystemRequirementsPage::ReadInventory(DIR_CONTEXT context, LPCSTR object) {
    HFILE file = HFILE_ERROR;
    if (DirOpenStreamAttribute(context, object, snapin::kAttrInventory, DIR_STREAM_READ, &file) != DIR_SUCCESS) return;
    EntryList* list = nullptr;
    theAppLibrary.TemplateGetEntries(file, 0, 1, &list);
    _lclose(file);
    int disks = 0;
    for (EntryList* node = list; node; node = node->next) {
        const TemplateEntry* entry = node->entry;
        if (!entry) continue;
        char number[16];
        std::snprintf(number, sizeof number, "%lu", static_cast<unsigned long>(entry->values[0]));
        switch (entry->kind) {
        case TEMPLATE_KIND_INV_RAM:
            SetDlgItemText(IDC_SR_RAM, number);
            CheckDlgButton(IDC_SR_DISPLAY, BST_CHECKED);
            break;
        case TEMPLATE_KIND_INV_DISK: {
            CheckDlgButton(IDC_SR_DISPLAY, BST_CHECKED);
            if (disks >= kDiskRows) break;  // a fourth disk is not shown
            int row = disks++;
            SetDlgItemText(kDiskIds[row], number);
            CString drive = FieldText(entry->fields[0]).c_str();
            for (const DriveMacro& macro : kMacros)
                if (drive == Stored(macro)) drive = Display(macro);
            SendDlgItemMessage(kDriveIds[row], CB_SELECTSTRING, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>(static_cast<LPCSTR>(drive)));
            break;
        }
        case TEMPLATE_KIND_INV_PROCESSOR: {
            CheckDlgButton(IDC_SR_DISPLAY, BST_CHECKED);
            DWORD value = entry->values[0];
            const char* name = value >= 1 && value <= 3 ? kProcessors[value - 1] : "";
            int index = static_cast<int>(
                SendDlgItemMessage(IDC_SR_PROCESSOR, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>(name)));
            SendDlgItemMessage(IDC_SR_PROCESSOR, CB_SETCURSEL, index < 0 ? 0 : index, 0);
            break;
        }
        case TEMPLATE_KIND_INV_OS_VERSION: {
            if (entry->subtype < 1 || entry->subtype > 3) break;
            const PlatformRow& row = kPlatforms[entry->subtype - 1];
            char minor[16];
            std::snprintf(minor, sizeof minor, "%lu", static_cast<unsigned long>(entry->values[1]));
            SetDlgItemText(row.major, number);
            SetDlgItemText(row.minor, minor);
            break;
        }
        default:
            break;
        }
    }
    if (list) theAppLibrary.TemplateFreeEntries(list);
}

void CSystemRequirementsPage::ReadPlatform(DIR_CONTEXT context, LPCSTR object) {
    CObjectAttributes read(context, object, {snapin::kAttrPlatform});
    const KmappValue* value = read.First(snapin::kAttrPlatform);
    if (!value || !value->data || value->length == 0) return;
    DWORD bits = *static_cast<const BYTE*>(value->data);
    for (int row = 0; row < 3; ++row) {
        bool on = (bits & kPlatforms[row].bit) != 0;
        CheckDlgButton(kPlatforms[row].box, on ? BST_CHECKED : BST_UNCHECKED);
        if (!on) EnableVersions(row, FALSE);
    }
}

void CSystemRequirementsPage::ApplyRights(DIR_CONTEXT context, LPCSTR object) {
    if (!theDirectoryHelper.CanWriteAttribute(context, object, snapin::kAttrPlatform))
        Enable({IDC_SR_PLATFORM_3X, IDC_SR_PLATFORM_95, IDC_SR_PLATFORM_NT}, FALSE);
    m_bVersionsEditable = theDirectoryHelper.CanWriteAttribute(context, object, snapin::kAttrInventory);
    if (m_bVersionsEditable) return;
    Enable({IDC_SR_DISPLAY, IDC_SR_DRIVE_1, IDC_SR_DRIVE_2, IDC_SR_DRIVE_3, IDC_SR_PROCESSOR, IDC_SR_DISK_GROUP,
            IDC_SR_PLATFORM_GROUP, IDC_SR_RAM_LABEL, IDC_SR_PROCESSOR_LABEL, IDC_SR_MB_ON_1, IDC_SR_MB_ON_2,
            IDC_SR_MB_ON_3, IDC_SR_MAJOR_LABEL_3X, IDC_SR_MINOR_LABEL_3X, IDC_SR_MAJOR_LABEL_95,
            IDC_SR_MINOR_LABEL_95, IDC_SR_MAJOR_LABEL_NT, IDC_SR_MINOR_LABEL_NT},
           FALSE);
    for (int id : {IDC_SR_RAM, IDC_SR_DISK_1, IDC_SR_DISK_2, IDC_SR_DISK_3, IDC_SR_MAJOR_3X, IDC_SR_MINOR_3X,
                   IDC_SR_MAJOR_95, IDC_SR_MINOR_95, IDC_SR_MAJOR_NT, IDC_SR_MINOR_NT})
        SendDlgItemMessage(id, EM_SETREADONLY, TRUE, 0);
}

void CSystemRequirementsPage::Enable(std::initializer_list<int> ids, BOOL enable) {
    for (int id : ids)
        if (CWnd* control = GetDlgItem(id)) control->EnableWindow(enable);
}

void CSystemRequirementsPage::EnableVersions(int row, BOOL enable) {
    const PlatformRow& platform = kPlatforms[row];
    if (!enable) {
        SetDlgItemText(platform.major, "");
        SetDlgItemText(platform.minor, "");
    }
    Enable({platform.major, platform.minor, platform.majorLabel, platform.minorLabel}, enable);
}

void CSystemRequirementsPage::OnDisplay() {
    BOOL on = IsDlgButtonChecked(IDC_SR_DISPLAY) == BST_CHECKED;
    if (!on) {
        SetDlgItemText(IDC_SR_RAM, "");
        for (int row = 0; row < kDiskRows; ++row) {
            SetDlgItemText(kDiskIds[row], "");
            SendDlgItemMessage(kDriveIds[row], CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        }
        SendDlgItemMessage(IDC_SR_PROCESSOR, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        Enable({IDC_SR_DRIVE_1, IDC_SR_DRIVE_2, IDC_SR_DRIVE_3}, FALSE);
    }
    Enable({IDC_SR_RAM, IDC_SR_RAM_LABEL, IDC_SR_DISK_1, IDC_SR_DISK_2, IDC_SR_DISK_3, IDC_SR_MB_ON_1,
            IDC_SR_MB_ON_2, IDC_SR_MB_ON_3, IDC_SR_PROCESSOR, IDC_SR_PROCESSOR_LABEL, IDC_SR_DISK_GROUP},
           on);
    OnInventoryChanged();
}

void CSystemRequirementsPage::OnPlatform(int id) {
    if (m_bVersionsEditable) {
        for (int row = 0; row < 3; ++row)
            if (kPlatforms[row].box == id) EnableVersions(row, IsDlgButtonChecked(id) == BST_CHECKED);
    }
    if (m_loading) return;
    TellHostModified();
    m_bPlatformModified = TRUE;
}

void CSystemRequirementsPage::OnChangeDisk(int id) {
    for (int row = 0; row < kDiskRows; ++row) {
        if (kDiskIds[row] != id) continue;
        bool filled = GetDlgItem(id)->GetWindowTextLength() > 0;
        if (filled) {
            Enable({kDriveIds[row], kMbOnIds[row]}, TRUE);
        } else {
            SendDlgItemMessage(kDriveIds[row], CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
            Enable({kDriveIds[row]}, FALSE);
        }
    }
    OnInventoryChanged();
}

void CSystemRequirementsPage::OnInventoryChanged() {
    if (m_loading) return;
    TellHostModified();
    m_bInventoryModified = TRUE;
}

CString CSystemRequirementsPage::Text(int id) {
    CString text;
    GetDlgItemText(id, text);
    return text;
}

DWORD CSystemRequirementsPage::Number(int id) {
    char text[51] = {};
    ::GetDlgItemTextA(m_hWnd, id, text, sizeof text);
    return static_cast<DWORD>(std::strtoul(text, nullptr, 10));
}

// The records in their order: memory, disks, processor, versions. The
// first writer's error ends the stream there and is the result.
LONG CSystemRequirementsPage::WriteInventory(HFILE file) {
    LONG result = theAppLibrary.TemplateWriteSignature(file);
    if (result == 0 && !Text(IDC_SR_RAM).IsEmpty() && Number(IDC_SR_RAM) != 0)
        result = theAppLibrary.TemplateWriteInvRAMEntry(file, 1, Number(IDC_SR_RAM));
    for (int row = 0; row < kDiskRows && result == 0; ++row) {
        CString drive = Text(kDriveIds[row]);
        if (Text(kDiskIds[row]).IsEmpty() || drive.IsEmpty() || Number(kDiskIds[row]) == 0) continue;
        for (const DriveMacro& macro : kMacros)
            if (drive == Display(macro)) drive = Stored(macro);
        result = theAppLibrary.TemplateWriteInvDiskEntry(file, 1, Number(kDiskIds[row]), drive);
    }
    CString processor = Text(IDC_SR_PROCESSOR);
    if (result == 0 && !processor.IsEmpty()) {
        DWORD value = 0;
        for (int i = 0; i < 3; ++i)
            if (processor == kProcessors[i]) value = static_cast<DWORD>(i + 1);
        result = theAppLibrary.TemplateWriteInvProcessorEntry(file, 1, value);
    }
    for (int row = 0; row < 3 && result == 0; ++row) {
        const PlatformRow& platform = kPlatforms[row];
        bool typed = !Text(platform.major).IsEmpty() || !Text(platform.minor).IsEmpty();
        if (!typed || Number(platform.major) == 0) continue;
        result = theAppLibrary.TemplateWriteInvOSVersionEntry(file, static_cast<DWORD>(row + 1),
                                                              Number(platform.major), Number(platform.minor));
    }
    return result;
}

LONG CSystemRequirementsPage::WritePlatform(DIR_CONTEXT context, LPCSTR object) {
    CRequestBuffer request;
    int result = request.Alloc(0x4000);
    if (result == DIR_SUCCESS) result = DirInitRequest(context, DIR_OP_MODIFY, request.get());
    if (result != DIR_SUCCESS) return result;
    DWORD bits = 0;
    for (const PlatformRow& platform : kPlatforms)
        if (IsDlgButtonChecked(platform.box) == BST_CHECKED) bits |= platform.bit;
    result = theDirectoryHelper.ReplaceValue(context, object, request.get(), snapin::kAttrPlatform, bits);
    if (result == DIR_SUCCESS) result = DirModifyObject(context, object, nullptr, 0, request.get());
    return result;
}

// The inventory is written as a whole stream; App:Platform is written even
// when the inventory failed.
LONG CSystemRequirementsPage::Save() {
    bool window = ::IsWindow(m_hWnd) != FALSE;
    bool inventory = m_bInventoryModified && window;
    bool platform = m_bPlatformModified && window;
    if (!inventory && !platform) return 0;
    bool inventoryWritten = false;
    LONG status = WriteCurrentObject([&](DIR_CONTEXT context, LPCSTR object) -> LONG {
        LONG result = 0;
        if (inventory) {
            HFILE file = HFILE_ERROR;
            result = theDirectoryHelper.OpenStreamAttribute(context, object, snapin::kAttrInventory,
                                                            DIR_STREAM_WRITE, &file);
            if (result == 0) {
                _llseek(file, 0, FILE_BEGIN);
                result = _lwrite(file, "", 0) == 0 ? 0 : kStreamWriteFailed;
                if (result == 0) result = WriteInventory(file);
                if (_lclose(file) == HFILE_ERROR && result == 0) result = kStreamWriteFailed;
                inventoryWritten = result == 0;
            }
        }
        if (platform) {
            LONG written = WritePlatform(context, object);
            if (result == 0) result = written;
        }
        return result;
    });
    if (inventoryWritten) m_bInventoryModified = FALSE;
    return status;
}
