#include "snapin/pages/identification_page.h"

#include <cstring>
#include <new>

#include "snapin/core/app_library.h"
#include "snapin/core/directory_helper.h"
#include "snapin/core/module_resource.h"
#include "snapin/core/common_resource.h"
#include "snapin/core/schema_names.h"
#include "snapin/core/snapin_object_type.h"
#include "snapin/core/snapin_utilities.h"
#include "snapin/pages/icon_browser_dlg.h"
#include "snapin/pages/icon_file.h"
#include "snapin/pages/object_attributes.h"
#include "snapin/pages/pages_resource.h"
#include "snapin/pages/ref_list_kit.h"

namespace {

constexpr DWORD kPathSize = 256;
constexpr DWORD kVersionSize = 128;

bool KeyHeld(int key) { return (GetKeyState(key) & 0x8000) != 0; }

}  // namespace

BEGIN_MESSAGE_MAP(CIdentificationPage, CAttributePage)
ON_EN_CHANGE(IDC_ID_CAPTION, OnChangeCaption)
ON_EN_CHANGE(IDC_ID_PATH, OnChangePath)
ON_EN_CHANGE(IDC_ID_VERSION, OnChangeVersion)
ON_BN_CLICKED(IDC_ID_RUN_ONCE, OnFlagClicked)
ON_BN_CLICKED(IDC_ID_DISTRIBUTE_ALWAYS, OnFlagClicked)
ON_BN_CLICKED(IDC_ID_REBOOT_ALWAYS, OnFlagClicked)
ON_BN_CLICKED(IDC_ID_REBOOT_AUTO, OnFlagClicked)
ON_BN_CLICKED(IDC_ID_REBOOT_NEVER, OnFlagClicked)
ON_BN_CLICKED(IDC_ID_HAS_PATH, OnPathClicked)
ON_BN_CLICKED(IDC_ID_INSTALL_ONLY, OnInstallOnlyClicked)
ON_BN_CLICKED(IDC_ID_BROWSE, OnBrowse)
ON_BN_CLICKED(IDC_ID_CHANGE_ICON, OnChangeIcon)
ON_WM_PAINT()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CIdentificationPage::CIdentificationPage()
    : CAttributePage(IDS_IDENTIFICATION_TITLE, IDD_IDENTIFICATION, HID_IDENTIFICATION) {}

CIdentificationPage::~CIdentificationPage() { ReleaseIcon(); }

void CIdentificationPage::ReleaseIcon() {
    if (m_icon) DestroyIcon(m_icon);
    m_icon = nullptr;
}

void CIdentificationPage::Enable(std::initializer_list<int> ids, BOOL enable) {
    for (int id : ids) GetDlgItem(id)->EnableWindow(enable);
}

BOOL CIdentificationPage::OnInitDialog() {
    CAttributePage::OnInitDialog();
    CheckRadioButton(IDC_ID_INSTALL_ONLY, IDC_ID_HAS_PATH, IDC_ID_HAS_PATH);
    SendDlgItemMessage(IDC_ID_CAPTION, EM_LIMITTEXT, 99, 0);
    SendDlgItemMessage(IDC_ID_PATH, EM_LIMITTEXT, 255, 0);
    SendDlgItemMessage(IDC_ID_VERSION, EM_LIMITTEXT, 127, 0);
    DIR_CONTEXT context = theDirectoryHelper.CreateContext();
    LPCSTR object = GetCurrentObjectName();
    ReleaseIcon();
    SetDlgItemText(IDC_ID_GUID, "");
    DWORD flags = 0;
    if (context >= 0) {
        CObjectAttributes read(context, object,
                               {snapin::kAttrCaption, snapin::kAttrPath, snapin::kAttrIcon, snapin::kAttrGuid,
                                snapin::kAttrVersionString, snapin::kAttrFlags});
        SetDlgItemText(IDC_ID_CAPTION, read.Text(snapin::kAttrCaption, kPathSize).c_str());
        m_keptPath = read.Text(snapin::kAttrPath, kPathSize).c_str();
        SetDlgItemText(IDC_ID_PATH, m_keptPath);
        SetDlgItemText(IDC_ID_VERSION, read.Text(snapin::kAttrVersionString, kVersionSize).c_str());
        if (const KmappValue* guid = read.First(snapin::kAttrGuid); guid && guid->data)
            SetDlgItemText(IDC_ID_GUID,
                           ("{" + std::string(static_cast<const char*>(guid->data), guid->length) + "}").c_str());
        if (const KmappValue* icon = read.First(snapin::kAttrIcon); icon && icon->data)
            m_icon = theAppLibrary.GetIconFromHandle(AfxGetInstanceHandle(), *static_cast<HFILE*>(icon->data));
        flags = read.Word(snapin::kAttrFlags);
    }
    ShowFlags(flags);
    if (context >= 0) ShowGuid(context, object);
    GetDlgItemText(IDC_ID_PATH, m_iconFile);
    m_iconBytes.reset(new (std::nothrow) uint8_t[kIconImageBufferSize]);
    if (m_iconBytes) std::memset(m_iconBytes.get(), 0, kIconImageBufferSize);
    m_iconCount = 0;
    for (BOOL& mark : m_marks) mark = FALSE;
    if (context >= 0) {
        ApplyRights(context, object);
        DirFreeContext(context);
    }
    return TRUE;
}

void CIdentificationPage::ShowFlags(DWORD flags) {
    if (flags & snapin::kFlagInstallOnly) {
        CheckRadioButton(IDC_ID_INSTALL_ONLY, IDC_ID_HAS_PATH, IDC_ID_INSTALL_ONLY);
        SetDlgItemText(IDC_ID_PATH, "");
        Enable({IDC_ID_PATH, IDC_ID_BROWSE}, FALSE);
    } else {
        CheckRadioButton(IDC_ID_INSTALL_ONLY, IDC_ID_HAS_PATH, IDC_ID_HAS_PATH);
    }
    CheckDlgButton(IDC_ID_RUN_ONCE, (flags & snapin::kFlagRunOnce) ? BST_CHECKED : BST_UNCHECKED);
    int reboot = (flags & snapin::kFlagAlwaysReboot)  ? IDC_ID_REBOOT_ALWAYS
                 : (flags & snapin::kFlagNeverReboot) ? IDC_ID_REBOOT_NEVER
                                                      : IDC_ID_REBOOT_AUTO;
    CheckRadioButton(IDC_ID_REBOOT_ALWAYS, IDC_ID_REBOOT_NEVER, reboot);
    CheckDlgButton(IDC_ID_DISTRIBUTE_ALWAYS, (flags & snapin::kFlagAlwaysDistribute) ? BST_CHECKED : BST_UNCHECKED);
}

// Shift, Alt and Ctrl held while the page opens give the object a new GUID;
// otherwise an object without one gets its first. The GUID is written now.
void CIdentificationPage::ShowGuid(DIR_CONTEXT context, LPCSTR object) {
    std::string guid;
    if (KeyHeld(VK_SHIFT) && KeyHeld(VK_MENU) && KeyHeld(VK_CONTROL))
        guid = theDirectoryHelper.AssignNewGuid(context, object, TRUE);
    else if (GetDlgItem(IDC_ID_GUID)->GetWindowTextLength() == 0)
        guid = theDirectoryHelper.AssignNewGuid(context, object, FALSE);
    if (!guid.empty()) SetDlgItemText(IDC_ID_GUID, ("{" + guid + "}").c_str());
}

void CIdentificationPage::ApplyRights(DIR_CONTEXT context, LPCSTR object) {
    auto denied = [&](LPCSTR attribute) { return !theDirectoryHelper.CanWriteAttribute(context, object, attribute); };
    auto readOnly = [this](int id) { SendDlgItemMessage(id, EM_SETREADONLY, TRUE, 0); };
    if (denied(snapin::kAttrCaption)) {
        Enable({IDC_ID_CAPTION_LABEL}, FALSE);
        readOnly(IDC_ID_CAPTION);
    }
    if (denied(snapin::kAttrPath)) {
        readOnly(IDC_ID_PATH);
        Enable({IDC_ID_BROWSE}, FALSE);
    }
    if (denied(snapin::kAttrIcon)) Enable({IDC_ID_CHANGE_ICON}, FALSE);
    if (denied(snapin::kAttrFlags) || !theAppLibrary.IsAttributeDefined(context, snapin::kAttrGuid))
        Enable({IDC_ID_HAS_PATH, IDC_ID_INSTALL_ONLY, IDC_ID_RUN_ONCE, IDC_ID_REBOOT_ALWAYS, IDC_ID_REBOOT_AUTO,
                IDC_ID_REBOOT_NEVER, IDC_ID_REBOOT_GROUP, IDC_ID_DISTRIBUTE_ALWAYS},
               FALSE);
    if (denied(snapin::kAttrVersionString)) {
        Enable({IDC_ID_VERSION_LABEL, IDC_ID_GUID_LABEL, IDC_ID_GUID}, FALSE);
        readOnly(IDC_ID_VERSION);
    }
}

BOOL CIdentificationPage::CanClose() {
    CString text, part;
    text.LoadString(IDS_INVALID_FIELDS);
    bool invalid = false;
    auto append = [&](UINT id) {
        part.LoadString(id);
        text += part;
        part.LoadString(IDS_NEWLINE);
        text += part;
        invalid = true;
    };
    if (GetDlgItem(IDC_ID_CAPTION)->GetWindowTextLength() == 0) append(IDS_INVALID_CAPTION);
    if (IsDlgButtonChecked(IDC_ID_INSTALL_ONLY) != BST_CHECKED && GetDlgItem(IDC_ID_PATH)->GetWindowTextLength() == 0)
        append(IDS_INVALID_PATH);
    if (!invalid) return TRUE;
    CString caption;
    caption.LoadString(IDS_DRAVIK_WARNING);
    MessageBox(text, caption, MB_OK | MB_ICONSTOP);
    return FALSE;
}

void CIdentificationPage::SetMark(Mark mark) {
    m_marks[mark] = TRUE;
    TellHostModified();
}

void CIdentificationPage::OnChangeCaption() { SetMark(kCaption); }
void CIdentificationPage::OnChangeVersion() { SetMark(kVersion); }
void CIdentificationPage::OnFlagClicked() { SetMark(kFlags); }

void CIdentificationPage::OnChangePath() {
    GetDlgItemText(IDC_ID_PATH, m_iconFile);
    SetMark(kPath);
}

void CIdentificationPage::OnPathClicked() {
    if (!m_keptPath.IsEmpty() && m_keptPath != snapin::kInstallOnlyPath) SetDlgItemText(IDC_ID_PATH, m_keptPath);
    Enable({IDC_ID_PATH, IDC_ID_BROWSE}, TRUE);
    SetMark(kPath);
    SetMark(kFlags);
}

void CIdentificationPage::OnInstallOnlyClicked() {
    if (GetDlgItem(IDC_ID_PATH)->GetWindowTextLength() > 0) GetDlgItemText(IDC_ID_PATH, m_keptPath);
    SetDlgItemText(IDC_ID_PATH, "");
    Enable({IDC_ID_PATH, IDC_ID_BROWSE}, FALSE);
    SetMark(kPath);
    SetMark(kFlags);
}

void CIdentificationPage::OnBrowse() {
    CString path, context;
    if (theSnapinUtilities.BrowseFile(m_hWnd, path, context)) SetDlgItemText(IDC_ID_PATH, path);
}

// An icon whose bytes cannot be held (too big for the buffer, or no buffer)
// is not taken: the old icon stays shown and stored.
void CIdentificationPage::OnChangeIcon() {
    CIconBrowserDlg browser(nullptr);
    browser.SetFileName(m_iconFile);
    if (browser.DoModal() != IDCANCEL) {
        HICON chosen = browser.GetIcon();
        if (chosen) {
            int count = 0;
            if (m_iconBytes) {
                std::memset(m_iconBytes.get(), 0, kIconImageBufferSize);
                count = browser.GetIconImage(m_iconBytes.get());
            }
            if (count > 0) {
                ReleaseIcon();
                m_icon = chosen;
                m_iconCount = count;
                SetMark(kIcon);
                Invalidate();
            } else {
                DestroyIcon(chosen);
                if (m_iconBytes) std::memset(m_iconBytes.get(), 0, kIconImageBufferSize);
            }
        }
    }
    m_iconFile = browser.GetFileName();
}

void CIdentificationPage::OnPaint() {
    CPaintDC dc(this);
    if (!m_icon) return;
    CRect frame;
    GetDlgItem(IDC_ID_ICON_FRAME)->GetWindowRect(&frame);
    ScreenToClient(&frame);
    int left = frame.left + frame.Width() / 2 - GetSystemMetrics(SM_CXICON) / 2;
    int top = frame.top + frame.Height() / 2 - GetSystemMetrics(SM_CYICON) / 2;
    DrawIcon(dc.m_hDC, left, top, m_icon);
}

void CIdentificationPage::OnDestroy() {
    m_iconBytes.reset();
    m_iconCount = 0;
    CAttributePage::OnDestroy();
}

DWORD CIdentificationPage::PageFlags() {
    DWORD bits = 0;
    if (IsDlgButtonChecked(IDC_ID_RUN_ONCE) == BST_CHECKED) bits |= snapin::kFlagRunOnce;
    if (IsDlgButtonChecked(IDC_ID_INSTALL_ONLY) == BST_CHECKED) bits |= snapin::kFlagInstallOnly;
    if (IsDlgButtonChecked(IDC_ID_REBOOT_ALWAYS) == BST_CHECKED) bits |= snapin::kFlagAlwaysReboot;
    if (IsDlgButtonChecked(IDC_ID_REBOOT_NEVER) == BST_CHECKED) bits |= snapin::kFlagNeverReboot;
    if (IsDlgButtonChecked(IDC_ID_DISTRIBUTE_ALWAYS) == BST_CHECKED) bits |= snapin::kFlagAlwaysDistribute;
    return bits;
}

int CIdentificationPage::PutChanges(DIR_CONTEXT context, LPCSTR object, DirBuffer* request, bool* put) {
    auto exists = [this](int id) { return ::IsWindow(::GetDlgItem(m_hWnd, id)) != 0; };
    auto text = [this](int id) {
        CString value;
        GetDlgItemText(id, value);
        return value;
    };
    int status = DIR_SUCCESS;
    if (m_marks[kCaption] && exists(IDC_ID_CAPTION)) {
        status = theDirectoryHelper.PutStringValue(context, object, request, snapin::kAttrCaption, text(IDC_ID_CAPTION));
        if (status != DIR_SUCCESS) return status;
        *put = true;
    }
    if (m_marks[kPath] && exists(IDC_ID_PATH)) {
        CString path = IsDlgButtonChecked(IDC_ID_INSTALL_ONLY) == BST_CHECKED ? CString(snapin::kInstallOnlyPath)
                                                                              : text(IDC_ID_PATH);
        status = theDirectoryHelper.PutOctetStringValue(context, object, request, snapin::kAttrPath, path);
        if (status != DIR_SUCCESS) return status;
        *put = true;
    }
    if (m_marks[kVersion] && exists(IDC_ID_VERSION)) {
        status = theDirectoryHelper.PutOctetStringValue(context, object, request, snapin::kAttrVersionString,
                                                        text(IDC_ID_VERSION));
        if (status != DIR_SUCCESS) return status;
        *put = true;
    }
    if (m_marks[kFlags] && exists(IDC_ID_HAS_PATH)) {
        DWORD flags = snapin::MergeAppFlags(theDirectoryHelper.ReadAppFlags(context, object), PageFlags(),
                                            snapin::kIdentificationFlagsMask);
        status = theDirectoryHelper.ReplaceValue(context, object, request, snapin::kAttrFlags, flags);
        if (status != DIR_SUCCESS) return status;
        *put = true;
    }
    return status;
}

// The stream is emptied, then given the held bytes; a short write or a
// failed close is reported.
int CIdentificationPage::WriteIcon(DIR_CONTEXT context, LPCSTR object) {
    HFILE file = HFILE_ERROR;
    int status = theDirectoryHelper.OpenStreamAttribute(context, object, snapin::kAttrIcon, DIR_STREAM_WRITE, &file);
    if (status != DIR_SUCCESS) return status;
    bool written = _lwrite(file, "", 0) == 0;
    UINT count = static_cast<UINT>(m_iconCount);
    if (written && count && m_iconBytes)
        written = _lwrite(file, reinterpret_cast<LPCSTR>(m_iconBytes.get()), count) == count;
    if (_lclose(file) == HFILE_ERROR) written = false;
    return written ? DIR_SUCCESS : kStreamWriteFailed;
}

// The caption, path, version and flags go in one request; the icon is its
// own stream. Each part that is written clears its marks; the icon's failure
// comes first (it is written first), then the request's.
LONG CIdentificationPage::Save() {
    bool marked = false;
    for (BOOL mark : m_marks) marked = marked || mark;
    if (!marked) return 0;
    return WriteCurrentObject([this](DIR_CONTEXT context, LPCSTR object) {
        CRequestBuffer request;
        int status = request.Alloc(kPageRequestSize);
        if (status == DIR_SUCCESS) status = DirInitRequest(context, DIR_OP_MODIFY, request.get());
        if (status != DIR_SUCCESS) return status;
        bool put = false;
        CFirstFailure failure;
        int puts = PutChanges(context, object, request.get(), &put);
        if (puts != DIR_SUCCESS) return puts;
        if (m_marks[kIcon] && ::IsWindow(::GetDlgItem(m_hWnd, IDC_ID_CHANGE_ICON))) {
            if (!failure.Keep(WriteIcon(context, object))) m_marks[kIcon] = FALSE;
        }
        if (put && !failure.Keep(DirModifyObject(context, object, nullptr, 0, request.get()))) {
            for (Mark mark : {kCaption, kPath, kFlags, kVersion}) m_marks[mark] = FALSE;
        }
        if (!put) {
            for (Mark mark : {kCaption, kPath, kFlags, kVersion}) m_marks[mark] = FALSE;
        }
        return failure.Get();
    });
}
