// The item property pages. Directory reads go through the module's binding
// of the launcher library (contexts, attribute lists, the launcher
// configuration) and, for an object's class and a name's short form, the
// directory client; mail through Simple MAPI.
#include "namespace/item_pages.h"

#include <cstring>

#include "cache/app_cache.h"
#include "items/folder_item.h"
#include "kmapp32.h"
#include "mapi.h"
#include "module/shell_app_library.h"
#include "module/shell_ext_app.h"
#include "vpr/directory/client.h"
#include "vpr/locale/locale.h"

namespace {

constexpr UINT IDB_GENERAL = 129;
constexpr UINT IDS_PERSONAL = 10256;
constexpr UINT IDS_SYSTEM = 10244;
constexpr UINT IDS_NO_MAIL_SUPPORT = 10411;
constexpr UINT IDS_MAIL_DLL_INVALID = 10412;
constexpr UINT IDS_SEND_FAILED = 10413;
constexpr UINT IDS_MAIL_SUBJECT = 10414;
constexpr int kMaxContactWidth = 200;  // pixels a contact's text counts at most
constexpr int kTabGap = 100;
constexpr const char* kDefaultMailboxAttribute = "Mailbox ID";
constexpr DWORD kConfigOwnRecordOnly = 0x80000000;  // flag bit 31: also the container's record

UINT CALLBACK ReleasePage(HWND, UINT message, LPPROPSHEETPAGEA page) {
    if (message == PSPCB_RELEASE && page) delete reinterpret_cast<CPropertyPage*>(page->lParam);
    return 1;
}

// The page deletes itself when its sheet lets it go.
void DeleteOnRelease(CPropertyPage* page) {
    page->m_psp.dwFlags |= PSP_USECALLBACK;
    page->m_psp.pfnCallback = ReleasePage;
}

CShellAppLibrary* Library() {
    CShellExtApp* app = GetShellExtApp();
    return app ? app->m_pLibrary : nullptr;
}

// The first value of an attribute as text ("" without one).
CString FirstText(const KmappAttribute* attribute) {
    const KmappValue* value = attribute ? attribute->values : nullptr;
    if (!value || !value->data) return CString();
    auto text = static_cast<const char*>(value->data);
    return CString(text, static_cast<int>(strnlen(text, value->length ? value->length : 0xFFFF)));
}

BOOL SameName(const char* a, const char* b) { return a && b && KMLstricmp(a, b) == 0; }

// The attributes of `object`, read with a context; null without one.
KmappAttribute* ReadAttributes(DIR_CONTEXT context, LPCSTR object, const LPCSTR* names, DWORD count) {
    CShellAppLibrary* library = Library();
    return library && context != CACHE_NO_CONTEXT ? library->GetObjectAttributes(context, object, names, count) : nullptr;
}

void FreeAttributes(KmappAttribute* list) {
    if (list && Library()) Library()->FreeGetObjectAttributes(list);
}

DIR_CONTEXT ContextFor(LPCSTR tree) {
    CShellAppLibrary* library = Library();
    return library ? library->AllocContext(tree) : CACHE_NO_CONTEXT;
}

void FreeContextOf(DIR_CONTEXT context) {
    if (context != CACHE_NO_CONTEXT && Library()) Library()->FreeContext(context);
}

CString LoadText(UINT id) {
    CString text;
    text.LoadString(id);
    return text;
}

}  // namespace

BOOL IsMailAvailable() {
    if (GetProfileIntA("MAIL", "MAPI", 0) == 0) return FALSE;
    char path[MAX_PATH] = {};
    return SearchPathA(nullptr, "MAPI32.DLL", nullptr, sizeof(path), path, nullptr) != 0;
}

CGeneralPage::CGeneralPage() : CPropertyPage(IDD_GENERAL_PAGE) { DeleteOnRelease(this); }

CItemPage::CItemPage(UINT nIDTemplate, CFolderItem* item) : CPropertyPage(nIDTemplate), m_pItem(item) {
    if (m_pItem) m_pItem->AddRef();
    DeleteOnRelease(this);
}

CItemPage::~CItemPage() {
    if (m_pItem) m_pItem->Release();
}

CInformationPage::CInformationPage(CFolderItem* item) : CItemPage(IDD_INFORMATION_PAGE, item) {}

BOOL CInformationPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    CString first, second;
    m_pItem->SplitKey(nullptr, &first, &second);
    SetDlgItemText(IDC_INFO_TYPE, LoadText(m_pItem->IsPersonal() ? IDS_PERSONAL : IDS_SYSTEM));
    SetDlgItemText(IDC_INFO_NAME, second.IsEmpty() ? first : second);
    return TRUE;
}

CSystemPage::CSystemPage(CFolderItem* item) : CItemPage(IDD_SYSTEM_PAGE, item) {}

BOOL CSystemPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    CString first;
    m_pItem->SplitKey(nullptr, &first, nullptr);
    SetDlgItemText(IDC_SYSTEM_TREE, first);
    CStringArray names;
    CShellExtApp* app = GetShellExtApp();
    if (app && app->m_pCache) app->m_pCache->GetFolderObjectNames(m_pItem->GetKey(), names);
    HWND list = ::GetDlgItem(m_hWnd, IDC_SYSTEM_NAMES);
    for (INT_PTR i = 0; i < names.GetSize(); ++i) {
        ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(static_cast<LPCSTR>(names[i])));
    }
    ::SendMessageA(list, LB_SETCURSEL, 0, 0);
    OnSelectName();
    return TRUE;
}

void CSystemPage::OnSelectName() {
    char tree[DIR_MAX_NAME] = {};
    ::GetDlgItemTextA(m_hWnd, IDC_SYSTEM_TREE, tree, sizeof(tree));
    HWND list = ::GetDlgItem(m_hWnd, IDC_SYSTEM_NAMES);
    LRESULT row = ::SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (row < 0) return;
    LRESULT length = ::SendMessageA(list, LB_GETTEXTLEN, row, 0);
    if (length < 0) return;
    CString name;
    ::SendMessageA(list, LB_GETTEXT, row, reinterpret_cast<LPARAM>(name.GetBufferSetLength(static_cast<int>(length))));
    name.ReleaseBuffer();
    DIR_CONTEXT context = ContextFor(tree);
    if (context == CACHE_NO_CONTEXT) return;
    char found[DIR_MAX_NAME] = {};
    DirObjectInfo info{};
    if (DirReadObjectInfo(context, name, found, &info) == 0) SetDlgItemText(IDC_SYSTEM_TYPE, info.baseClass);
    FreeContextOf(context);
}

BOOL CSystemPage::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == IDC_SYSTEM_NAMES && HIWORD(wParam) == LBN_SELCHANGE) {
        OnSelectName();
        return TRUE;
    }
    return CPropertyPage::OnCommand(wParam, lParam);
}

CItemDescriptionPage::CItemDescriptionPage(CFolderItem* item) : CItemPage(IDD_DESCRIPTION_PAGE, item) {}

BOOL CItemDescriptionPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    CString tree, name;
    m_pItem->SplitKey(nullptr, &tree, &name);
    CString description;
    DIR_CONTEXT context = ContextFor(tree);
    if (context != CACHE_NO_CONTEXT) {
        const LPCSTR names[] = {"App Blurb", "App:Description"};
        KmappAttribute* list = ReadAttributes(context, name, names, 2);
        // The last attribute of either name gives its first value.
        for (const KmappAttribute* a = list; a; a = a->next) {
            if (SameName(a->name, names[0]) || SameName(a->name, names[1])) description = FirstText(a);
        }
        FreeAttributes(list);
        FreeContextOf(context);
    }
    SetDlgItemText(IDC_DESCRIPTION_TEXT, description);
    SetDlgItemText(IDC_DESCRIPTION_TREE, tree);
    SetDlgItemText(IDC_DESCRIPTION_NAME, name);
    return TRUE;
}

CItemContactsPage::CItemContactsPage(CFolderItem* item) : CItemPage(IDD_CONTACTS_PAGE, item) {}

CItemContactsPage::~CItemContactsPage() { FreeContacts(); }

void CItemContactsPage::FreeContacts() {
    for (INT_PTR i = 0; i < m_contacts.GetSize(); ++i) delete static_cast<CContact*>(m_contacts[i]);
    m_contacts.RemoveAll();
}

BOOL CItemContactsPage::OnInitDialog() {
    CPropertyPage::OnInitDialog();
    CString tree, application;
    m_pItem->SplitKey(nullptr, &tree, &application);
    DIR_CONTEXT context = ContextFor(tree);
    if (context == CACHE_NO_CONTEXT) return TRUE;

    // The mailbox attribute: the user's own launcher configuration may name
    // another one.
    CString mailbox = kDefaultMailboxAttribute;
    BYTE config[KMAPP_CONFIG_SIZE] = {};
    if (Library() && Library()->ReadLauncherConfig(context, config) == 0) {
        const BYTE* at = config + KMAPP_CONFIG_OFFSET_FLAGS;
        DWORD flags = at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<DWORD>(at[3]) << 24);
        auto text = reinterpret_cast<const char*>(config + KMAPP_CONFIG_OFFSET_MAIL_ATTRIBUTE);
        CString named(text, static_cast<int>(strnlen(text, KMAPP_CONFIG_SIZE - KMAPP_CONFIG_OFFSET_MAIL_ATTRIBUTE)));
        if (!(flags & kConfigOwnRecordOnly) && !named.IsEmpty()) mailbox = named;
    }

    HWND list = ::GetDlgItem(m_hWnd, IDC_CONTACTS_LIST);
    CClientDC dc(CWnd::FromHandle(list));
    int widest = 0;
    const LPCSTR names[] = {"App Contacts", "App:Contacts"};
    KmappAttribute* attributes = ReadAttributes(context, application, names, 2);
    for (const KmappAttribute* a = attributes; a; a = a->next) {
        if (!SameName(a->name, "App:Contacts")) continue;
        for (const KmappValue* v = a->values; v; v = v->next) {
            if (!v->data) continue;
            CString contactName(static_cast<const char*>(v->data));
            const LPCSTR fields[] = {"Full Name", "Telephone Number", mailbox};
            KmappAttribute* found = ReadAttributes(context, contactName, fields, 3);
            auto* contact = new CContact;
            for (const KmappAttribute* f = found; f; f = f->next) {
                if (SameName(f->name, fields[0])) contact->name = FirstText(f);
                if (SameName(f->name, fields[1])) contact->phone = FirstText(f);
                if (SameName(f->name, fields[2])) contact->mailbox = FirstText(f);
            }
            FreeAttributes(found);
            if (contact->name.IsEmpty()) {
                char shortName[DIR_MAX_NAME] = {};
                if (DirAbbreviateName(context, contactName, shortName) == 0) contact->name = shortName;
            }
            CString text;
            text.Format("%s\t%s\t%s", static_cast<LPCSTR>(contact->name), static_cast<LPCSTR>(contact->phone),
                        static_cast<LPCSTR>(contact->mailbox));
            int width = dc.GetTextExtent(text).cx;
            if (width > kMaxContactWidth) width = kMaxContactWidth;
            if (width > widest) widest = width;
            ::SendMessageA(list, LB_SETHORIZONTALEXTENT, widest, 0);
            m_contacts.Add(contact);
            LRESULT row = ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(static_cast<LPCSTR>(text)));
            if (row >= 0) ::SendMessageA(list, LB_SETITEMDATA, row, reinterpret_cast<LPARAM>(contact));
        }
    }
    int tabStop = widest + kTabGap;
    ::SendMessageA(list, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tabStop));
    ::SendMessageA(list, LB_SETSEL, TRUE, 1);
    FreeAttributes(attributes);
    FreeContextOf(context);
    return TRUE;
}

void CItemContactsPage::OnSelectContact() {
    HWND list = ::GetDlgItem(m_hWnd, IDC_CONTACTS_LIST);
    LRESULT row = ::SendMessageA(list, LB_GETCURSEL, 0, 0);
    auto* contact = row >= 0 ? reinterpret_cast<CContact*>(::SendMessageA(list, LB_GETITEMDATA, row, 0)) : nullptr;
    if (reinterpret_cast<LRESULT>(contact) == LB_ERR) contact = nullptr;
    SetDlgItemText(IDC_CONTACTS_PHONE, contact ? contact->phone : CString());
    SetDlgItemText(IDC_CONTACTS_MAIL, contact ? contact->mailbox : CString());
    HWND send = ::GetDlgItem(m_hWnd, IDC_CONTACTS_SEND);
    ::EnableWindow(send, FALSE);
    if (contact && !contact->mailbox.IsEmpty() && IsMailAvailable()) ::EnableWindow(send, TRUE);
}

void CItemContactsPage::OnSendMail() {
    CWaitCursor wait;
    HMODULE mail = LoadLibraryA("MAPI32.DLL");
    if (!mail) {
        AfxMessageBox(IDS_NO_MAIL_SUPPORT);
        return;
    }
    auto send = reinterpret_cast<LPMAPISENDMAIL>(GetProcAddress(mail, "MAPISendMail"));
    if (!send) {
        AfxMessageBox(IDS_MAIL_DLL_INVALID);
        FreeLibrary(mail);
        return;
    }
    CString application, subject, recipientName;
    m_pItem->SplitKey(nullptr, nullptr, &application);
    subject.Format(LoadText(IDS_MAIL_SUBJECT), static_cast<LPCSTR>(application));
    char to[DIR_MAX_NAME] = {};
    ::GetDlgItemTextA(m_hWnd, IDC_CONTACTS_MAIL, to, sizeof(to));
    char note[1] = {};
    MapiRecipDesc recipient{};
    recipient.ulRecipClass = MAPI_TO;
    recipient.lpszName = to;
    MapiMessage message{};
    message.lpszSubject = subject.GetBuffer();
    message.lpszNoteText = note;
    message.nRecipCount = 1;
    message.lpRecips = &recipient;

    // The sheet waits while the mail dialog is up.
    HWND owner = ::GetParent(m_hWnd) ? ::GetParent(m_hWnd) : m_hWnd;
    ::EnableWindow(owner, FALSE);
    ::SetCapture(owner);
    ULONG result = send(0, reinterpret_cast<ULONG_PTR>(owner), &message, MAPI_LOGON_UI | MAPI_DIALOG, 0);
    ::ReleaseCapture();
    ::EnableWindow(owner, TRUE);
    ::SetActiveWindow(owner);
    subject.ReleaseBuffer();
    if (result != SUCCESS_SUCCESS && result != MAPI_USER_ABORT && result != MAPI_E_LOGON_FAILURE) {
        AfxMessageBox(IDS_SEND_FAILED);
    }
    FreeLibrary(mail);
}

BOOL CItemContactsPage::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (LOWORD(wParam) == IDC_CONTACTS_LIST && HIWORD(wParam) == LBN_SELCHANGE) {
        OnSelectContact();
        return TRUE;
    }
    if (LOWORD(wParam) == IDC_CONTACTS_SEND && HIWORD(wParam) == BN_CLICKED) {
        OnSendMail();
        return TRUE;
    }
    return CPropertyPage::OnCommand(wParam, lParam);
}
