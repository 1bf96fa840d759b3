// The Contacts page: one list attribute of the application and the read
// rights of everybody on each new contact.
#include "snapin/pages/contacts_page.h"

#include "snapin/core/app_library.h"
#include "snapin/core/common_resource.h"
#include "snapin/core/directory_helper.h"
#include "snapin/core/schema_names.h"
#include "snapin/core/snapin_object_type.h"
#include "snapin/pages/pages_resource.h"
#include "snapin/pages/ref_list_kit.h"

namespace {

// What the workstation shows of a contact, after its "Full Name".
constexpr LPCSTR kShownAttributes[] = {"Tessary ID", "Telephone Number", "Mailbox ID"};

}  // namespace

BEGIN_MESSAGE_MAP(CContactsPage, CAttributePage)
ON_BN_CLICKED(IDC_CONTACTS_ADD, OnAdd)
ON_BN_CLICKED(IDC_CONTACTS_DELETE, OnDelete)
ON_LBN_SELCHANGE(IDC_CONTACTS_LIST, OnSelChange)
ON_WM_DRAWITEM()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CContactsPage::CContactsPage()
    : CAttributePage(IDS_CONTACTS_TITLE, IDD_CONTACTS, HID_CONTACTS),
      m_contacts(IDC_CONTACTS_LIST, IDC_CONTACTS_DELETE, {snapin::kClassUser}) {}

BOOL CContactsPage::OnInitDialog() {
    CAttributePage::OnInitDialog();
    m_contacts.Attach(this);
    LPCSTR application = GetCurrentObjectName();
    m_browseContext = BrowseStartContext(application);
    DIR_CONTEXT context = theDirectoryHelper.CreateContext();
    if (context >= 0) m_contacts.Load(context, application, snapin::kAttrContacts);
    m_contacts.m_bCanEdit = context >= 0 && theDirectoryHelper.CanWriteAttribute(context, application, snapin::kAttrContacts);
    if (!m_contacts.m_bCanEdit)
        for (int id : {IDC_CONTACTS_LABEL, IDC_CONTACTS_ADD, IDC_CONTACTS_DELETE}) GetDlgItem(id)->EnableWindow(FALSE);
    if (context >= 0) DirFreeContext(context);
    GetDlgItem(IDC_CONTACTS_DELETE)->EnableWindow(FALSE);
    return TRUE;
}

void CContactsPage::OnAdd() {
    if (m_contacts.Add(m_browseContext)) TellHostModified();
}

void CContactsPage::OnDelete() {
    if (m_contacts.Delete()) TellHostModified();
}

void CContactsPage::OnSelChange() { m_contacts.SelChange(); }

void CContactsPage::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT item) {
    if (!DrawRefRow(m_hWnd, item, 0)) CAttributePage::OnDrawItem(nIDCtl, item);
}

void CContactsPage::OnDestroy() {
    m_contacts.Close();
    CAttributePage::OnDestroy();
}

LONG CContactsPage::Save() {
    if (!m_contacts.m_bModified || !m_contacts.IsShown()) return 0;
    LONG status = WriteCurrentObject(
        [this](DIR_CONTEXT context, LPCSTR application) { return WriteContacts(context, application); });
    if (status == 0) m_contacts.m_bModified = FALSE;
    return status;
}

// All changes go in one request for the application, sent at the end (and
// whenever it fills). A contact whose read right cannot be given is left
// out; a row whose step fails is left, and the first failure is reported.
int CContactsPage::WriteContacts(DIR_CONTEXT context, LPCSTR application) {
    CRefItemList& rows = m_contacts.Rows();
    if (rows.IsEmpty()) return 0;
    CRequestBuffer a;
    int status = a.Alloc(kPageRequestSize);
    if (status == DIR_SUCCESS) status = DirInitRequest(context, DIR_OP_MODIFY, a.get());
    if (status != DIR_SUCCESS) return status;
    CFirstFailure failure;
    bool changed = false;
    auto putContact = [&](int change, LPCSTR contact) {
        int put = theDirectoryHelper.PutChange(context, application, a.get(), change, snapin::kAttrContacts);
        if (put == DIR_SUCCESS)
            put = theDirectoryHelper.PutValue(context, application, a.get(), change, snapin::kAttrContacts,
                                              DIR_SYNTAX_DIST_NAME, contact);
        return failure.Keep(put);
    };

    for (POSITION pos = rows.GetHeadPosition(); pos;) {
        auto* row = static_cast<CRefItem*>(rows.GetNext(pos));
        if (!row->GetDeleted()) continue;
        changed = true;
        putContact(DIR_CHANGE_REMOVE_VALUE, row->GetName());
    }
    for (POSITION pos = rows.GetHeadPosition(); pos;) {
        auto* row = static_cast<CRefItem*>(rows.GetNext(pos));
        if (!row->GetAdded()) continue;
        changed = true;
        CString contact = row->GetName();
        if (theAppLibrary.GrantRightsToObject(context, contact, "Full Name", DIR_PUBLIC_NAME, DIR_ATTR_READ) != 0) {
            ShowNameMessage(IDS_CONTACT_FAILED, contact, IDS_DRAVIK_ERROR, true);
            continue;
        }
        if (putContact(DIR_CHANGE_ADD_VALUE, contact)) continue;
        for (LPCSTR attribute : kShownAttributes)
            theAppLibrary.GrantRightsToObject(context, contact, attribute, DIR_PUBLIC_NAME, DIR_ATTR_READ);
    }
    if (changed) failure.Keep(DirModifyObject(context, application, nullptr, 0, a.get()));
    return failure.Get();
}
