// The Associations page: both sides of each association, written row by row.
#include "snapin/pages/associations_page.h"

#include <cstring>

#include "snapin/core/app_library.h"
#include "snapin/core/common_resource.h"
#include "snapin/core/directory_helper.h"
#include "snapin/core/schema_names.h"
#include "snapin/core/snapin_object_type.h"
#include "snapin/pages/pages_resource.h"
#include "snapin/pages/ref_list_kit.h"

namespace {

constexpr DWORD kOwnRights = DIR_ATTR_COMPARE | DIR_ATTR_READ;

// The object may read its own attribute.
bool ObjectReadsOwn(DIR_CONTEXT context, LPCSTR object, LPCSTR attribute) {
    uint32_t rights = 0;
    return DirGetEffectiveRights(context, object, object, attribute, &rights) == DIR_SUCCESS &&
           (rights & DIR_ATTR_READ) != 0;
}

// One change with one typed-name value in a fresh modify request for the object.
int ModifyTypedName(DIR_CONTEXT context, DirBuffer* request, LPCSTR object, int change, LPCSTR name,
                    DWORD level) {
    DirTypedName value{const_cast<char*>(name), level, 0};
    int status = DirInitRequest(context, DIR_OP_MODIFY, request);
    if (status == DIR_SUCCESS) status = DirPutChange(context, request, change, snapin::kAttrAssociations);
    if (status == DIR_SUCCESS) status = DirPutValue(context, request, DIR_SYNTAX_TYPED_NAME, &value);
    if (status == DIR_SUCCESS) status = DirModifyObject(context, object, nullptr, 0, request);
    return status;
}

}  // namespace

void GrantAssociatedObjectRights(DIR_CONTEXT context, LPCSTR object) {
    DirObjectInfo info{};
    DirReadObjectInfo(context, object, nullptr, &info);
    LPCSTR own = std::strcmp(info.baseClass, snapin::kClassUser) == 0 ? "Full Name" : "Description";
    theAppLibrary.GrantRightsToObject(context, object, own, object, kOwnRights);
    theAppLibrary.GrantRightsToObject(context, object, snapin::kAttrAssociations, object, kOwnRights);
}

BEGIN_MESSAGE_MAP(CAssociationsPage, CAttributePage)
ON_BN_CLICKED(IDC_ASSOC_ADD, OnAdd)
ON_BN_CLICKED(IDC_ASSOC_DELETE, OnDelete)
ON_LBN_SELCHANGE(IDC_ASSOC_LIST, OnSelChange)
ON_WM_DRAWITEM()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CAssociationsPage::CAssociationsPage()
    : CAttributePage(IDS_ASSOC_TITLE, IDD_ASSOCIATIONS, HID_ASSOCIATIONS),
      m_objects(IDC_ASSOC_LIST, IDC_ASSOC_DELETE, {"User", "Group", "Organization", "Organizational Unit"}) {}

BOOL CAssociationsPage::OnInitDialog() {
    CAttributePage::OnInitDialog();
    m_objects.Attach(this);
    LPCSTR application = GetCurrentObjectName();
    m_browseContext = BrowseStartContext(application);
    DIR_CONTEXT context = theDirectoryHelper.CreateContext();
    if (context >= 0) {
        m_objects.Load(context, application, snapin::kAttrBackLink);
        SetRights(context, application);
        DirFreeContext(context);
    } else {
        SetRights(context, application);
    }
    GetDlgItem(IDC_ASSOC_DELETE)->EnableWindow(FALSE);
    return TRUE;
}

void CAssociationsPage::SetRights(DIR_CONTEXT context, LPCSTR application) {
    m_objects.m_bCanEdit = context >= 0 && (theDirectoryHelper.CanWriteAttribute(context, application, snapin::kAttrBackLink) ||
                                  theDirectoryHelper.CanWriteAttribute(context, application, "ACL"));
    if (m_objects.m_bCanEdit) return;
    for (int id : {IDC_ASSOC_LABEL, IDC_ASSOC_ADD, IDC_ASSOC_DELETE}) GetDlgItem(id)->EnableWindow(FALSE);
}

void CAssociationsPage::OnAdd() {
    if (m_objects.Add(m_browseContext)) TellHostModified();
}

void CAssociationsPage::OnDelete() {
    if (m_objects.Delete()) TellHostModified();
}

void CAssociationsPage::OnSelChange() { m_objects.SelChange(); }

void CAssociationsPage::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT item) {
    if (!DrawRefRow(m_hWnd, item, 0)) CAttributePage::OnDrawItem(nIDCtl, item);
}

void CAssociationsPage::OnDestroy() {
    m_objects.Close();
    CAttributePage::OnDestroy();
}

LONG CAssociationsPage::Save() {
    if (!m_objects.m_bModified || !m_objects.IsShown()) return 0;
    LONG status = WriteCurrentObject(
        [this](DIR_CONTEXT context, LPCSTR application) { return WriteAssociations(context, application); });
    if (status == 0) m_objects.m_bModified = FALSE;
    return status;
}

BOOL CAssociationsPage::CanChangeTarget(DIR_CONTEXT context, LPCSTR object) {
    if (!theDirectoryHelper.CanWriteAttribute(context, object, snapin::kAttrAssociations)) return 0;
    if (theDirectoryHelper.CanWriteAttribute(context, object, "ACL")) return 1;
    return ObjectReadsOwn(context, object, snapin::kAttrAssociations) &&
           ObjectReadsOwn(context, object, snapin::kAttrLauncherConfig);
}

// The application's back links collect in request A, sent at the end (and
// whenever it fills); each object's typed name goes in its own request B.
// A row whose step fails is left and the others go on; the first failure
// is what the save reports.
int CAssociationsPage::WriteAssociations(DIR_CONTEXT context, LPCSTR application) {
    CRefItemList& rows = m_objects.Rows();
    if (rows.IsEmpty()) return 0;
    CRequestBuffer a, b;
    int status = a.Alloc(kPageRequestSize);
    if (status == DIR_SUCCESS) status = DirInitRequest(context, DIR_OP_MODIFY, a.get());
    if (status == DIR_SUCCESS) status = b.Alloc(kPageRequestSize);
    if (status != DIR_SUCCESS) return status;
    CFirstFailure failure;
    bool changed = false;
    auto putBackLink = [&](int change, LPCSTR object) {
        int put = theDirectoryHelper.PutChange(context, application, a.get(), change, snapin::kAttrBackLink);
        if (put == DIR_SUCCESS)
            put = theDirectoryHelper.PutValue(context, application, a.get(), change, snapin::kAttrBackLink,
                                              DIR_SYNTAX_DIST_NAME, object);
        return failure.Keep(put);
    };

    for (POSITION pos = rows.GetHeadPosition(); pos;) {
        auto* row = static_cast<CRefItem*>(rows.GetNext(pos));
        if (!row->GetDeleted()) continue;
        CString object = row->GetName();
        if (!CanChangeTarget(context, object)) {
            ShowNameMessage(IDS_CANNOT_REMOVE_TARGET, object, IDS_DRAVIK_WARNING, false);
            continue;
        }
        changed = true;
        if (putBackLink(DIR_CHANGE_REMOVE_VALUE, object)) continue;
        theAppLibrary.RevokeAllRights(context, object, application, application);
        SearchValueResult found{};
        if (theDirectoryHelper.SearchValue(context, object, snapin::kAttrAssociations, application, &found) == 1)
            failure.Keep(ModifyTypedName(context, b.get(), object, DIR_CHANGE_REMOVE_VALUE, found.name, found.level));
    }

    for (POSITION pos = rows.GetHeadPosition(); pos;) {
        auto* row = static_cast<CRefItem*>(rows.GetNext(pos));
        if (!row->GetAdded()) continue;
        CString object = row->GetName();
        if (!CanChangeTarget(context, object)) {
            ShowNameMessage(IDS_CANNOT_ADD_TARGET, object, IDS_DRAVIK_WARNING, false);
            continue;
        }
        changed = true;
        if (theAppLibrary.GrantAllRights(context, object, application) != 0) {
            ShowNameMessage(IDS_GRANT_FAILED, object, IDS_DRAVIK_ERROR, true);
            continue;
        }
        if (putBackLink(DIR_CHANGE_ADD_VALUE, object)) continue;
        if (failure.Keep(ModifyTypedName(context, b.get(), object, DIR_CHANGE_ADD_VALUE, application,
                                         snapin::kAssocLauncher)))
            continue;
        GrantAssociatedObjectRights(context, object);
    }

    if (changed) failure.Keep(DirModifyObject(context, application, nullptr, 0, a.get()));
    return failure.Get();
}
