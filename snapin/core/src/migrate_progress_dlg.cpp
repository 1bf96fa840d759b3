#include <cstring>
#include <string>

#include "snapin/core/app_library.h"
#include "snapin/core/directory_helper.h"
#include "snapin/core/migrate_apps_dlg.h"
#include "snapin/core/schema_names.h"
#include "snapin/core/worker_thread.h"

using namespace snapin;

BEGIN_MESSAGE_MAP(CMigrateProgressDlg, CDialog)
ON_MESSAGE(WM_USER + 1, OnWorkerDone)
END_MESSAGE_MAP()

namespace {

constexpr int kRequestSize = 0x4000;
constexpr int kAssociationRequestSize = 0x1000;
constexpr DWORD kReadWriteRights = 3;

DWORD PlatformOfClass(const std::string& className) {
    if (className == kClassApplication95) return 2;
    if (className == kClassApplicationNT) return 4;
    return 7;  // DOS and Windows 3.x
}

// The old object's stream copied whole into the new object's stream; an
// empty one is left out.
int CopyStream(DIR_CONTEXT context, HFILE from, LPCSTR newName, LPCSTR attribute) {
    LONG size = _llseek(from, 0, FILE_END);
    if (size <= 0 || _llseek(from, 0, FILE_BEGIN) != 0) return 0;
    std::string bytes(static_cast<size_t>(size), '\0');
    UINT read = _lread(from, bytes.data(), static_cast<UINT>(size));
    if (read == 0 || read == static_cast<UINT>(HFILE_ERROR)) return 0;
    HFILE to = HFILE_ERROR;
    int status = theDirectoryHelper.OpenStreamAttribute(context, newName, attribute, DIR_STREAM_WRITE, &to);
    if (status != 0) return status;
    if (_lwrite(to, bytes.data(), read) != read) status = kStreamWriteFailed;
    if (_lclose(to) == HFILE_ERROR && status == 0) status = kStreamWriteFailed;
    return status;
}

// One further value of a multi-valued attribute.
int AddValue(DIR_CONTEXT context, LPCSTR object, DirBuffer* request, LPCSTR attribute, int syntax, const void* value) {
    int status = theDirectoryHelper.PutChange(context, object, request, DIR_CHANGE_ADD_VALUE, attribute);
    if (status == 0)
        status = theDirectoryHelper.PutValue(context, object, request, DIR_CHANGE_ADD_VALUE, attribute, syntax, value);
    return status;
}

// An object of the old "See Also" learns of the new application: the rights
// on it, its association (launcher, level 0x1) in a request of its own, and
// the rights to read its name and associations. The new object's back link
// goes into the new object's request.
int MigrateAssociation(DIR_CONTEXT context, LPCSTR associated, LPCSTR newName, DirBuffer* request) {
    int status = theAppLibrary.GrantAllRights(context, associated, newName);
    if (status != 0) return status;
    status = AddValue(context, newName, request, kAttrBackLink, DIR_SYNTAX_DIST_NAME, associated);
    if (status != 0) return status;

    DirBuffer* own = nullptr;
    status = DirAllocBuffer(kAssociationRequestSize, &own);
    if (status == 0) status = DirInitRequest(context, DIR_OP_MODIFY, own);
    DirTypedName association{const_cast<char*>(newName), kAssocLauncher, 0};
    if (status == 0) status = AddValue(context, associated, own, kAttrAssociations, DIR_SYNTAX_TYPED_NAME, &association);
    if (status == 0) status = DirModifyObject(context, associated, nullptr, 0, own);
    if (own) DirFreeBuffer(own);
    if (status != 0) return status;

    DirObjectInfo info{};
    DirReadObjectInfo(context, associated, nullptr, &info);
    LPCSTR nameAttribute = std::strcmp(info.baseClass, kClassUser) == 0 ? "Full Name" : "Description";
    theAppLibrary.GrantRightsToObject(context, associated, nameAttribute, associated, kReadWriteRights);
    theAppLibrary.GrantRightsToObject(context, associated, kAttrAssociations, associated, kReadWriteRights);
    return 0;
}

// The new attribute of an old one whose value is a text.
struct TextAttribute {
    const char* oldName;
    const char* newName;
    bool octets;  // written as an octet string, else in the attribute's own syntax
};
constexpr TextAttribute kTextAttributes[] = {
    {"App Path", kAttrPath, true},
    {"App Parameters", kAttrParameters, true},
    {"App Working Directory", kAttrWorkingDirectory, true},
    {"Description", kAttrCaption, false},
    {"App Blurb", kAttrDescription, false},
};

struct StreamAttribute {
    const char* oldName;
    const char* newName;
};
constexpr StreamAttribute kStreamAttributes[] = {
    {"App Icon", kAttrIcon},
    {"App Startup Script", kAttrStartupScript},
    {"App Shutdown Script", kAttrShutdownScript},
};

}  // namespace

int ConvertOldApplicationObject(DIR_CONTEXT context, KmappAttribute* list, LPCSTR oldName, LPCSTR newName,
                                BOOL migrateAssociations) {
    DirBuffer* request = nullptr;
    int status = DirAllocBuffer(kRequestSize, &request);
    if (status == 0) status = DirInitRequest(context, DIR_OP_MODIFY, request);
    DirObjectInfo info{};
    if (status == 0) status = DirReadObjectInfo(context, oldName, nullptr, &info);
    if (status == 0)
        status = theDirectoryHelper.ReplaceValue(context, newName, request, kAttrPlatform, PlatformOfClass(info.baseClass));
    for (KmappAttribute* node = list; node && status == 0; node = node->next) {
        const std::string name = node->name;
        KmappValue* value = node->values;
        if (!value) continue;
        if (name == "App Flags") {
            status = theDirectoryHelper.ReplaceValue(context, newName, request, kAttrFlags,
                                                     *static_cast<DWORD*>(value->data));
            continue;
        }
        bool done = false;
        for (const TextAttribute& text : kTextAttributes) {
            if (name != text.oldName) continue;
            LPCSTR data = static_cast<LPCSTR>(value->data);
            status = text.octets ? theDirectoryHelper.PutOctetStringValue(context, newName, request, text.newName, data)
                                 : theDirectoryHelper.PutStringValue(context, newName, request, text.newName, data);
            done = true;
        }
        for (const StreamAttribute& stream : kStreamAttributes) {
            if (name != stream.oldName) continue;
            status = CopyStream(context, *static_cast<HFILE*>(value->data), newName, stream.newName);
            done = true;
        }
        if (done) continue;
        if (name == "App Drive Mappings" || name == "App Printer Ports") {
            LPCSTR attribute = name == "App Drive Mappings" ? kAttrDriveMappings : kAttrPrinterPorts;
            for (KmappValue* each = value; each && status == 0; each = each->next) {
                auto* text = static_cast<char*>(each->data);
                DirOctetString octets{static_cast<uint32_t>(std::strlen(text)), reinterpret_cast<unsigned char*>(text)};
                status = AddValue(context, newName, request, attribute, DIR_SYNTAX_OCTET_STRING, &octets);
            }
        } else if (name == "App Contacts") {
            for (KmappValue* each = value; each && status == 0; each = each->next)
                status = AddValue(context, newName, request, kAttrContacts, DIR_SYNTAX_DIST_NAME, each->data);
        } else if (name == "See Also" && migrateAssociations) {
            for (KmappValue* each = value; each && status == 0; each = each->next)
                status = MigrateAssociation(context, static_cast<LPCSTR>(each->data), newName, request);
        }
    }
    if (status == 0) status = DirModifyObject(context, newName, nullptr, 0, request);
    if (request) DirFreeBuffer(request);
    return status;
}

// ---- the progress dialog ---------------------------------------------------

CMigrateProgressDlg::CMigrateProgressDlg(CWnd* pParent) : CDialog(IDD_MIGRATE_PROGRESS, pParent) {}

void CMigrateProgressDlg::SetLists(CListBox* oldNames, CListBox* newNames, BOOL deleteOld, BOOL migrateAssociations) {
    m_pOldNames = oldNames;
    m_pNewNames = newNames;
    m_bDeleteOld = deleteOld;
    m_bMigrateAssociations = migrateAssociations;
}

BOOL CMigrateProgressDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    m_bSuccess = FALSE;
    m_bRunning = FALSE;
    m_pThread = nullptr;
    m_clip.SubclassDlgItem(IDC_MIGRATE_CLIP, this);
    m_clip.Open(IDR_MIGRATE_CLIP);
    m_clip.Play(0, static_cast<UINT>(-1), static_cast<UINT>(-1));
    if (!m_bRunning) {
        m_pThread = StartWorkerThread(Worker, this);
        if (!m_pThread) EndDialog(0);
    }
    return TRUE;
}

UINT CMigrateProgressDlg::Worker(LPVOID self) {
    auto* dialog = static_cast<CMigrateProgressDlg*>(self);
    dialog->m_bRunning = TRUE;
    try {
        MigrateApplicationObjects(dialog);
    } catch (...) {
    }
    dialog->m_bRunning = FALSE;
    if (::IsWindow(dialog->m_hWnd))
        dialog->PostMessage(WM_USER + 1);
    else
        dialog->EndDialog(dialog->m_bSuccess);
    return 0;
}

CMigrateProgressDlg::~CMigrateProgressDlg() { JoinWorkerThread(m_pThread); }

LRESULT CMigrateProgressDlg::OnWorkerDone(WPARAM, LPARAM) {
    JoinWorkerThread(m_pThread);
    EndDialog(m_bSuccess);
    return 0;
}

// The dialog ends only when the worker is done.
void CMigrateProgressDlg::OnCancel() {}

void MigrateApplicationObjects(CMigrateProgressDlg* dialog) {
    int count = dialog->m_pOldNames->GetCount();
    if (count <= 0) return;
    DIR_CONTEXT context = theDirectoryHelper.CreateContext();
    dialog->SendDlgItemMessage(IDC_MIGRATE_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, count));
    for (int i = 0; i < count; ++i) {
        CString oldName, newName;
        dialog->m_pOldNames->GetText(i, oldName);
        dialog->m_pNewNames->GetText(i, newName);
        dialog->SendDlgItemMessage(IDC_MIGRATE_PROGRESS, PBM_SETPOS, static_cast<WPARAM>(i));
        dialog->SetDlgItemText(IDC_MIGRATE_FROM, oldName);
        dialog->SetDlgItemText(IDC_MIGRATE_TO, newName);

        // An old object that cannot be read is kept and reported as a
        // failed creation; one without any value is converted as it is.
        DirObjectInfo info{};
        int status = DirReadObjectInfo(context, oldName, nullptr, &info);
        KmappAttribute* list = status == 0 ? theAppLibrary.GetObjectAttributes(context, oldName, nullptr, 0) : nullptr;
        if (status == 0)
            status = theAppLibrary.CreateObject(context, newName, kClassApplication, "MIGRATE", "MIGRATE", 0);
        if (status == 0)
            status = ConvertOldApplicationObject(context, list, oldName, newName, dialog->m_bMigrateAssociations);
        if (status == 0) dialog->m_bSuccess = TRUE;
        theAppLibrary.FreeGetObjectAttributes(list);

        if (status != 0) {
            CString format, text, caption;
            caption.LoadString(IDS_DRAVIK_ERROR);
            if (dialog->m_bDeleteOld) {
                format.LoadString(IDS_MIGRATE_FAILED_KEPT);
                text.Format(format, static_cast<LPCSTR>(newName), static_cast<LPCSTR>(oldName), status);
            } else {
                format.LoadString(IDS_MIGRATE_FAILED);
                text.Format(format, static_cast<LPCSTR>(newName), status);
            }
            MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONEXCLAMATION);
        } else if (dialog->m_bDeleteOld) {
            DirRemoveObject(context, oldName);
        }
    }
    if (context > 0) DirFreeContext(context);
}
