// The Launcher Configuration page: the launcher record read into a zeroed
// buffer, shown, edited and written back whole.
#include "snapin/pages/launcher_config_page.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "snapin/core/app_library.h"
#include "snapin/core/schema_names.h"
#include "snapin/core/snapin_object_type.h"
#include "snapin/pages/pages_resource.h"
#include "snapin/pages/ref_list_kit.h"

namespace {

constexpr size_t kClassReplySize = 0x1000;
constexpr size_t kClassRequestSize = 0x400;
constexpr DWORD kOwnRights = DIR_ATTR_COMPARE | DIR_ATTR_READ;
constexpr DWORD kDefaultInterval = 3600;

// Syntaxes of attributes that may hold an e-mail address (texts and names).
bool MailSyntax(uint32_t syntax) {
    switch (syntax) {
    case 1: case 2: case 3: case 4: case 5: case 10: case 20: return true;
    default: return false;
    }
}

// The decimal value of a text as the person typed it: blanks, an optional
// sign, digits; no digits give 0. At most 49 characters are looked at.
DWORD DecimalValue(const CString& text) {
    char buffer[50] = {};
    std::strncpy(buffer, text, sizeof buffer - 1);
    return static_cast<DWORD>(std::atol(buffer));
}

// Check boxes whose checked state is their bit clear.
struct AllowBox {
    int id;
    DWORD bit;
};
constexpr AllowBox kAllowBoxes[] = {
    {IDC_LC_REFRESH, CLauncherConfigPage::kNoRefresh},
    {IDC_LC_SAVE_WINDOW, CLauncherConfigPage::kNoSaveWindow},
    {IDC_LC_LOG_IN, CLauncherConfigPage::kNoLogIn},
    {IDC_LC_EXIT, CLauncherConfigPage::kNoExit},
};

}  // namespace

BEGIN_MESSAGE_MAP(CLauncherConfigPage, CAttributePage)
ON_BN_CLICKED(IDC_LC_USE_INHERITED, OnUseInherited)
ON_BN_CLICKED(IDC_LC_USE_CURRENT, OnUseCurrent)
ON_BN_CLICKED(IDC_LC_VIEW_FOLDERS, OnViewFolders)
ON_BN_CLICKED(IDC_LC_TIMED_REFRESH, OnTimedRefresh)
ON_BN_CLICKED(IDC_LC_INHERIT, OnInheritLevels)
ON_BN_CLICKED(IDC_LC_EXIT, OnControlChange)
ON_BN_CLICKED(IDC_LC_LOG_IN, OnControlChange)
ON_BN_CLICKED(IDC_LC_REFRESH, OnControlChange)
ON_BN_CLICKED(IDC_LC_PERSONAL_FOLDERS, OnControlChange)
ON_BN_CLICKED(IDC_LC_SAVE_WINDOW, OnControlChange)
ON_EN_CHANGE(IDC_LC_INTERVAL, OnControlChange)
ON_EN_CHANGE(IDC_LC_LEVELS, OnControlChange)
ON_CBN_SELCHANGE(IDC_LC_MAIL_ATTRIBUTE, OnMailAttributeChange)
END_MESSAGE_MAP()

CLauncherConfigPage::CLauncherConfigPage()
    : CAttributePage(IDS_LC_TITLE, IDD_LAUNCHER_CONFIG, HID_LAUNCHER_CONFIG) {}

DWORD CLauncherConfigPage::Field(int offset) const {
    const BYTE* p = m_record + offset;
    return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24;
}

void CLauncherConfigPage::SetField(int offset, DWORD value) {
    for (int i = 0; i < 4; ++i) m_record[offset + i] = static_cast<BYTE>(value >> (8 * i));
}

void CLauncherConfigPage::SetFlag(DWORD bit, bool set) {
    DWORD flags = Field(kFlagsOffset);
    SetField(kFlagsOffset, set ? flags | bit : flags & ~bit);
}

CString CLauncherConfigPage::MailAttribute() const {
    const char* name = reinterpret_cast<const char*>(m_record + kMailOffset);
    return CString(std::string(name, strnlen(name, kMailSize - 1)).c_str());
}

BOOL CLauncherConfigPage::OnInitDialog() {
    CAttributePage::OnInitDialog();
    m_bShowing = true;
    SendDlgItemMessage(IDC_LC_LEVELS, EM_LIMITTEXT, 2);
    SendDlgItemMessage(IDC_LC_INTERVAL, EM_LIMITTEXT, 6);
    LPCSTR object = GetCurrentObjectName();
    DIR_CONTEXT context = theDirectoryHelper.CreateContext();
    DirObjectInfo info{};
    if (context >= 0) DirReadObjectInfo(context, object, nullptr, &info);
    CString radio;
    radio.LoadString(std::strcmp(info.baseClass, snapin::kClassUser) == 0 ? IDS_USE_PARENT_SETTINGS
                                                                          : IDS_USE_DEFAULT_SETTINGS);
    SetDlgItemText(IDC_LC_USE_INHERITED, radio);
    m_mailAttributes.SubclassDlgItem(IDC_LC_MAIL_ATTRIBUTE, this);
    m_mailAttributes.AddString("");
    if (context >= 0) FillMailAttributeList(context, snapin::kClassUser);
    std::memset(m_record, 0, sizeof m_record);
    theDirectoryHelper.ReadLauncherConfig(context, object, m_record);
    bool inherited = (Field(kFlagsOffset) & kUseInherited) != 0;
    CheckDlgButton(IDC_LC_USE_INHERITED, inherited ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_LC_USE_CURRENT, inherited ? BST_UNCHECKED : BST_CHECKED);
    if (inherited)
        DisableAll();
    else
        ShowRecord();
    SetRights(context, object);
    if (context >= 0) DirFreeContext(context);
    m_bShowing = false;
    m_bModified = FALSE;
    return TRUE;
}

void CLauncherConfigPage::SetRights(DIR_CONTEXT context, LPCSTR object) {
    if (context >= 0 && theDirectoryHelper.CanWriteAttribute(context, object, snapin::kAttrLauncherConfig)) return;
    DisableAll();
    GetDlgItem(IDC_LC_USE_INHERITED)->EnableWindow(FALSE);
    GetDlgItem(IDC_LC_USE_CURRENT)->EnableWindow(FALSE);
}

// The attributes of the class and of its super classes whose syntax may
// hold an address go into the combo box. A failing call ends the walk.
int CLauncherConfigPage::FillMailAttributeList(DIR_CONTEXT context, LPCSTR className) {
    CRequestBuffer reply, request;
    int status = reply.Alloc(kClassReplySize);
    if (status == DIR_SUCCESS) status = request.Alloc(kClassRequestSize);
    if (status == DIR_SUCCESS) status = DirInitRequest(context, DIR_OP_READ_CLASS_DEFS, request.get());
    if (status == DIR_SUCCESS) status = DirPutClassName(context, request.get(), className);
    int32_t iteration = DIR_NO_MORE_ITERATIONS;
    while (status == DIR_SUCCESS) {
        status = DirReadClassDefs(context, 1, 0, request.get(), &iteration, reply.get());
        uint32_t definitions = 0;
        if (status == DIR_SUCCESS) status = DirGetClassDefCount(context, reply.get(), &definitions);
        for (uint32_t d = 0; d < definitions && status == DIR_SUCCESS; ++d) {
            char name[DIR_MAX_SCHEMA_NAME] = {};
            uint32_t flags = 0;
            status = DirGetNextClassDef(context, reply.get(), name, &flags);
            for (int list = 0; list < 5 && status == DIR_SUCCESS; ++list) {
                uint32_t count = 0;
                status = DirGetClassListCount(context, reply.get(), &count);
                for (uint32_t i = 0; i < count && status == DIR_SUCCESS; ++i) {
                    char item[DIR_MAX_SCHEMA_NAME] = {};
                    status = DirGetNextClassItem(context, reply.get(), item);
                    if (status != DIR_SUCCESS) break;
                    if (list == DIR_CLASS_LIST_SUPER_CLASSES) {
                        FillMailAttributeList(context, item);
                    } else if (list == DIR_CLASS_LIST_MANDATORY || list == DIR_CLASS_LIST_OPTIONAL) {
                        uint32_t syntax = 0;
                        if (DirGetAttributeSyntax(context, item, &syntax) == DIR_SUCCESS && MailSyntax(syntax) &&
                            m_mailAttributes.FindStringExact(-1, item) == CB_ERR)
                            m_mailAttributes.AddString(item);
                    }
                }
            }
        }
        if (iteration == DIR_NO_MORE_ITERATIONS) break;
    }
    return status;
}

void CLauncherConfigPage::DisableAll() {
    bool showing = m_bShowing;
    m_bShowing = true;
    for (int id : {IDC_LC_SECONDS, IDC_LC_LEVELS_TEXT, IDC_LC_MAIL_TEXT, IDC_LC_ALLOW}) GetDlgItem(id)->EnableWindow(FALSE);
    for (int id : {IDC_LC_INTERVAL, IDC_LC_LEVELS}) {
        SetDlgItemText(id, "");
        GetDlgItem(id)->EnableWindow(FALSE);
    }
    GetDlgItem(IDC_LC_SEPARATOR)->EnableWindow(FALSE);
    SendDlgItemMessage(IDC_LC_MAIL_ATTRIBUTE, CB_SETCURSEL, static_cast<WPARAM>(-1));
    GetDlgItem(IDC_LC_MAIL_ATTRIBUTE)->EnableWindow(FALSE);
    for (int id : {IDC_LC_VIEW_FOLDERS, IDC_LC_TIMED_REFRESH, IDC_LC_SAVE_WINDOW, IDC_LC_REFRESH, IDC_LC_LOG_IN,
                   IDC_LC_EXIT, IDC_LC_INHERIT, IDC_LC_PERSONAL_FOLDERS}) {
        CheckDlgButton(id, BST_UNCHECKED);
        GetDlgItem(id)->EnableWindow(FALSE);
    }
    m_bShowing = showing;
}

void CLauncherConfigPage::ShowRecord() {
    bool showing = m_bShowing;
    m_bShowing = true;
    DWORD flags = Field(kFlagsOffset);
    GetDlgItem(IDC_LC_ALLOW)->EnableWindow(TRUE);
    GetDlgItem(IDC_LC_TIMED_REFRESH)->EnableWindow(TRUE);
    bool timed = !(flags & kNoTimedRefresh);
    if (timed) {
        CheckDlgButton(IDC_LC_TIMED_REFRESH, BST_CHECKED);
        SetDlgItemInt(IDC_LC_INTERVAL, Field(kIntervalOffset), FALSE);
    }
    GetDlgItem(IDC_LC_SECONDS)->EnableWindow(timed);
    GetDlgItem(IDC_LC_INTERVAL)->EnableWindow(timed);

    GetDlgItem(IDC_LC_INHERIT)->EnableWindow(TRUE);
    DWORD levels = Field(kLevelsOffset);
    if (levels) {
        CheckDlgButton(IDC_LC_INHERIT, BST_CHECKED);
        SetDlgItemInt(IDC_LC_LEVELS, levels, FALSE);
    }
    GetDlgItem(IDC_LC_LEVELS_TEXT)->EnableWindow(levels != 0);
    GetDlgItem(IDC_LC_LEVELS)->EnableWindow(levels != 0);

    GetDlgItem(IDC_LC_SEPARATOR)->EnableWindow(TRUE);
    GetDlgItem(IDC_LC_VIEW_FOLDERS)->EnableWindow(TRUE);
    bool folders = !(flags & kNoViewFolders);
    if (folders) {
        CheckDlgButton(IDC_LC_VIEW_FOLDERS, BST_CHECKED);
        if (!(flags & kNoPersonalFolders)) CheckDlgButton(IDC_LC_PERSONAL_FOLDERS, BST_CHECKED);
    }
    GetDlgItem(IDC_LC_PERSONAL_FOLDERS)->EnableWindow(folders);

    for (const AllowBox& box : kAllowBoxes) {
        GetDlgItem(box.id)->EnableWindow(TRUE);
        if (!(flags & box.bit)) CheckDlgButton(box.id, BST_CHECKED);
    }
    GetDlgItem(IDC_LC_MAIL_TEXT)->EnableWindow(TRUE);
    GetDlgItem(IDC_LC_MAIL_ATTRIBUTE)->EnableWindow(TRUE);
    m_mailAttributes.SelectString(-1, MailAttribute());
    m_bShowing = showing;
}

void CLauncherConfigPage::ReadControls() {
    if (IsDlgButtonChecked(IDC_LC_VIEW_FOLDERS)) {
        SetFlag(kNoViewFolders, false);
        SetFlag(kNoPersonalFolders, !IsDlgButtonChecked(IDC_LC_PERSONAL_FOLDERS));
    } else {
        SetFlag(kNoViewFolders | kNoPersonalFolders, true);
    }
    CString text;
    if (IsDlgButtonChecked(IDC_LC_TIMED_REFRESH)) {
        SetFlag(kNoTimedRefresh, false);
        GetDlgItemText(IDC_LC_INTERVAL, text);
        SetField(kIntervalOffset, DecimalValue(text));
    } else {
        SetFlag(kNoTimedRefresh, true);
        SetField(kIntervalOffset, 0);
    }
    text.Empty();
    if (IsDlgButtonChecked(IDC_LC_INHERIT)) GetDlgItemText(IDC_LC_LEVELS, text);
    SetField(kLevelsOffset, DecimalValue(text));
    for (const AllowBox& box : kAllowBoxes) SetFlag(box.bit, !IsDlgButtonChecked(box.id));
}

void CLauncherConfigPage::Changed() {
    if (m_bShowing) return;
    m_bModified = TRUE;
    TellHostModified();
}

void CLauncherConfigPage::OnUseInherited() {
    if (!IsDlgButtonChecked(IDC_LC_USE_INHERITED) || (Field(kFlagsOffset) & kUseInherited)) return;
    ReadControls();
    DisableAll();
    SetFlag(kUseInherited, true);
    Changed();
}

void CLauncherConfigPage::OnUseCurrent() {
    if (!IsDlgButtonChecked(IDC_LC_USE_CURRENT) || !(Field(kFlagsOffset) & kUseInherited)) return;
    ShowRecord();
    SetFlag(kUseInherited, false);
    Changed();
}

void CLauncherConfigPage::OnViewFolders() {
    bool checked = IsDlgButtonChecked(IDC_LC_VIEW_FOLDERS) != 0;
    if (!checked) CheckDlgButton(IDC_LC_PERSONAL_FOLDERS, BST_UNCHECKED);
    GetDlgItem(IDC_LC_PERSONAL_FOLDERS)->EnableWindow(checked);
    Changed();
}

void CLauncherConfigPage::OnTimedRefresh() {
    bool checked = IsDlgButtonChecked(IDC_LC_TIMED_REFRESH) != 0;
    m_bShowing = true;
    if (checked) {
        DWORD interval = Field(kIntervalOffset);
        SetDlgItemInt(IDC_LC_INTERVAL, interval ? interval : kDefaultInterval, FALSE);
    } else {
        SetDlgItemText(IDC_LC_INTERVAL, "");
    }
    m_bShowing = false;
    GetDlgItem(IDC_LC_SECONDS)->EnableWindow(checked);
    GetDlgItem(IDC_LC_INTERVAL)->EnableWindow(checked);
    Changed();
}

void CLauncherConfigPage::OnInheritLevels() {
    bool checked = IsDlgButtonChecked(IDC_LC_INHERIT) != 0;
    m_bShowing = true;
    if (checked)
        SetDlgItemInt(IDC_LC_LEVELS, Field(kLevelsOffset), FALSE);
    else
        SetDlgItemText(IDC_LC_LEVELS, "");
    m_bShowing = false;
    GetDlgItem(IDC_LC_LEVELS_TEXT)->EnableWindow(checked);
    GetDlgItem(IDC_LC_LEVELS)->EnableWindow(checked);
    Changed();
}

void CLauncherConfigPage::OnControlChange() { Changed(); }

void CLauncherConfigPage::OnMailAttributeChange() {
    CString name;
    int index = m_mailAttributes.GetCurSel();
    if (index >= 0) m_mailAttributes.GetLBText(index, name);
    std::memset(m_record + kMailOffset, 0, kMailSize);
    std::strncpy(reinterpret_cast<char*>(m_record + kMailOffset), name, kMailSize - 1);
    Changed();
}

LONG CLauncherConfigPage::Save() {
    HWND current = ::GetDlgItem(m_hWnd, IDC_LC_USE_CURRENT);
    if (!m_bModified || !m_hWnd || !current || !::IsWindow(current)) return 0;
    LONG status = WriteCurrentObject([this](DIR_CONTEXT context, LPCSTR object) {
        if (IsDlgButtonChecked(IDC_LC_USE_CURRENT)) ReadControls();
        return WriteLauncherConfig(context, object);
    });
    if (status == 0) m_bModified = FALSE;
    return status;
}

// A missing attribute or value is made first (the object's own name as the
// stream value) and the stream opened again; the second open decides. The
// record replaces the stream's content whole; a write the stream did not
// take whole is reported.
int CLauncherConfigPage::WriteLauncherConfig(DIR_CONTEXT context, LPCSTR object) {
    HFILE file = HFILE_ERROR;
    int status = DirOpenStreamAttribute(context, object, snapin::kAttrLauncherConfig, DIR_STREAM_WRITE, &file);
    if (status == DIR_ERR_NO_SUCH_ATTRIBUTE || status == DIR_ERR_NO_STREAM_VALUE) {
        CRequestBuffer request;
        if (request.Alloc(kPageRequestSize) == DIR_SUCCESS) {
            DirInitRequest(context, DIR_OP_MODIFY, request.get());
            if (status == DIR_ERR_NO_SUCH_ATTRIBUTE)
                DirPutChange(context, request.get(), DIR_CHANGE_ADD_ATTRIBUTE, snapin::kAttrLauncherConfig);
            DirPutChange(context, request.get(), DIR_CHANGE_ADD_VALUE, snapin::kAttrLauncherConfig);
            DirPutValue(context, request.get(), DIR_SYNTAX_STREAM, object);
            DirModifyObject(context, object, nullptr, 0, request.get());
        }
        status = DirOpenStreamAttribute(context, object, snapin::kAttrLauncherConfig, DIR_STREAM_WRITE, &file);
    }
    if (status != DIR_SUCCESS) return status;
    theAppLibrary.GrantRightsToObject(context, object, snapin::kAttrLauncherConfig, object, kOwnRights);
    bool written = _lwrite(file, "", 0) == 0;
    if (written) written = _lwrite(file, reinterpret_cast<LPCSTR>(m_record), kLauncherConfigSize) == kLauncherConfigSize;
    if (_lclose(file) == HFILE_ERROR) written = false;
    return written ? status : kStreamWriteFailed;
}
