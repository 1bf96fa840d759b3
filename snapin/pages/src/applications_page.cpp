// The Applications page: the association pair written from the side of the
// user, group or container.
#include "snapin/pages/applications_page.h"

#include <vector>

#include "snapin/core/app_library.h"
#include "snapin/core/common_resource.h"
#include "snapin/core/directory_helper.h"
#include "snapin/core/schema_names.h"
#include "snapin/core/snapin_object_type.h"
#include "snapin/core/snapin_utilities.h"
#include "snapin/pages/associations_page.h"
#include "snapin/pages/pages_resource.h"
#include "snapin/pages/ref_list_kit.h"

namespace {

// Where the object part of a row starts, right of the flag columns.
constexpr int kObjectLeft = 82;

// The picture of each owner-drawn bitmap button.
struct ButtonBitmap {
    int id;
    LPCSTR bitmap;
};
constexpr ButtonBitmap kButtonBitmaps[] = {
    {IDC_APPS_LEGEND_FORCE_RUN, "FORCERUN_BMP"},  {IDC_APPS_HEAD_FORCE_RUN, "FORCERUN_BMP"},
    {IDC_APPS_LEGEND_LAUNCHER, "STANDARD_BMP"},   {IDC_APPS_HEAD_LAUNCHER, "STANDARD_BMP"},
    {IDC_APPS_LEGEND_START_MENU, "START_BMP"},    {IDC_APPS_HEAD_START_MENU, "START_BMP"},
    {IDC_APPS_LEGEND_DESKTOP, "DESKTOP_BMP"},     {IDC_APPS_HEAD_DESKTOP, "DESKTOP_BMP"},
    {IDC_APPS_LEGEND_SYSTEM_TRAY, "SYSTRAY_BMP"}, {IDC_APPS_HEAD_SYSTEM_TRAY, "SYSTRAY_BMP"},
};

// One change with the object's name as the value, in a fresh modify request
// for the application.
int ModifyBackLink(DIR_CONTEXT context, DirBuffer* request, LPCSTR application, int change, LPCSTR object) {
    int status = DirInitRequest(context, DIR_OP_MODIFY, request);
    if (status == DIR_SUCCESS) status = DirPutChange(context, request, change, snapin::kAttrBackLink);
    if (status == DIR_SUCCESS) status = DirPutValue(context, request, DIR_SYNTAX_DIST_NAME, object);
    if (status == DIR_SUCCESS) status = DirModifyObject(context, application, nullptr, 0, request);
    return status;
}

}  // namespace

BEGIN_MESSAGE_MAP(CApplicationsPage, CAttributePage)
ON_BN_CLICKED(IDC_APPS_TOGGLE_LAUNCHER, OnToggleLauncher)
ON_BN_CLICKED(IDC_APPS_TOGGLE_START_MENU, OnToggleStartMenu)
ON_BN_CLICKED(IDC_APPS_TOGGLE_DESKTOP, OnToggleDesktop)
ON_BN_CLICKED(IDC_APPS_TOGGLE_SYSTEM_TRAY, OnToggleSystemTray)
ON_BN_CLICKED(IDC_APPS_TOGGLE_FORCE_RUN, OnToggleForceRun)
ON_LBN_SELCHANGE(IDC_APPS_LIST, OnSelChange)
ON_BN_CLICKED(IDC_APPS_DELETE, OnDelete)
ON_BN_CLICKED(IDC_APPS_ADD, OnAdd)
ON_WM_DRAWITEM()
ON_WM_DESTROY()
END_MESSAGE_MAP()

CApplicationsPage::CApplicationsPage() : CAttributePage(IDS_APPS_TITLE, IDD_APPLICATIONS, HID_APPLICATIONS) {}

BOOL CApplicationsPage::OnInitDialog() {
    CAttributePage::OnInitDialog();
    m_list.SubclassDlgItem(IDC_APPS_LIST, this);
    m_list.SetPage(this);
    LPCSTR object = GetCurrentObjectName();
    m_browseContext = BrowseStartContext(object);
    DIR_CONTEXT context = theDirectoryHelper.CreateContext();
    if (context >= 0) {
        CRefItemList read;
        theDirectoryHelper.ReadRefList(context, object, &read, snapin::kAttrAssociations);
        while (!read.IsEmpty()) {
            auto* row = static_cast<CRefItem*>(read.RemoveHead());
            row->SetStoredFlags(row->GetLevel());
            row->SetFlags(row->GetLevel());
            m_rows.AddTail(row);
            AddRowEntry(m_list, row);
        }
    }
    SetRights(context, object);
    if (context >= 0) DirFreeContext(context);
    GetDlgItem(IDC_APPS_DELETE)->EnableWindow(FALSE);
    m_bModified = FALSE;
    return TRUE;
}

void CApplicationsPage::SetRights(DIR_CONTEXT context, LPCSTR object) {
    m_bCanEdit = context >= 0 && theDirectoryHelper.CanWriteAttribute(context, object, snapin::kAttrAssociations);
    m_list.SetReadOnly(!m_bCanEdit);
    if (m_bCanEdit) return;
    GetDlgItem(IDC_APPS_ADD)->EnableWindow(FALSE);
    GetDlgItem(IDC_APPS_DELETE)->EnableWindow(FALSE);
}

void CApplicationsPage::OnRowFlagToggled() {
    m_bModified = TRUE;
    TellHostModified();
}

void CApplicationsPage::ToggleFlag(DWORD bit) {
    if (!m_bCanEdit || m_list.GetSelCount() != 1) return;
    int index = -1;
    m_list.GetSelItems(1, &index);
    auto* row = static_cast<CRefItem*>(m_list.GetItemDataPtr(index));
    if (!row || row == reinterpret_cast<CRefItem*>(LB_ERR)) return;
    row->SetFlags(row->GetFlags() ^ bit);
    RECT rect{};
    if (m_list.GetItemRect(index, &rect) != LB_ERR) m_list.InvalidateRect(&rect, FALSE);
    OnRowFlagToggled();
}

void CApplicationsPage::OnToggleLauncher() { ToggleFlag(snapin::kAssocLauncher); }
void CApplicationsPage::OnToggleStartMenu() { ToggleFlag(snapin::kAssocStartMenu); }
void CApplicationsPage::OnToggleDesktop() { ToggleFlag(snapin::kAssocDesktop); }
void CApplicationsPage::OnToggleSystemTray() { ToggleFlag(snapin::kAssocSystemTray); }
void CApplicationsPage::OnToggleForceRun() { ToggleFlag(snapin::kAssocForceRun); }

int CApplicationsPage::FindRowEntry(const CRefItem* row) const {
    for (int i = 0; i < m_list.GetCount(); ++i)
        if (m_list.GetItemDataPtr(i) == row) return i;
    return -1;
}

void CApplicationsPage::OnAdd() {
    std::vector<CString> names = BrowseObjects(this, {snapin::kClassApplication}, m_browseContext);
    BOOL changed = FALSE;
    for (const CString& name : names) {
        CRefItem* row = FindRefItem(&m_rows, name);
        if (!row) {
            row = new CRefItem(name, 0, 0);
            row->SetFlags(snapin::kAssocLauncher);
            m_rows.AddTail(row);
            AddRowEntry(m_list, row);
            changed = TRUE;
        } else if (row->GetFlags() == 0) {
            // A stored row comes back with its stored flags; one never stored
            // (its boxes cleared) as a new association.
            row->SetFlags(row->GetStoredFlags() ? row->GetStoredFlags() : snapin::kAssocLauncher);
            if (FindRowEntry(row) < 0) AddRowEntry(m_list, row);
            m_list.Invalidate();
            changed = TRUE;
        }
    }
    if (!changed) return;
    m_bModified = TRUE;
    TellHostModified();
}

void CApplicationsPage::OnDelete() {
    if (!RemoveSelectedAssociations(&m_list, &m_rows)) return;
    m_bModified = TRUE;
    TellHostModified();
    GetDlgItem(IDC_APPS_DELETE)->EnableWindow(FALSE);
}

void CApplicationsPage::OnSelChange() {
    if (m_bCanEdit) GetDlgItem(IDC_APPS_DELETE)->EnableWindow(m_list.GetSelCount() > 0);
}

void CApplicationsPage::DrawListRow(const DRAWITEMSTRUCT* item) {
    if (!DrawRefRow(m_hWnd, item, kObjectLeft)) return;
    if (item->itemAction & ODA_DRAWENTIRE) theSnapinUtilities.DrawCheckBoxColumns(m_hWnd, item, m_bCanEdit);
}

void CApplicationsPage::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT item) {
    for (const ButtonBitmap& button : kButtonBitmaps) {
        if (button.id != nIDCtl) continue;
        if (HBITMAP bitmap = LoadBitmapA(AfxGetResourceHandle(), button.bitmap)) {
            theSnapinUtilities.DrawTransparentBitmap(item->hDC, bitmap, item->rcItem.left, item->rcItem.top);
            DeleteObject(bitmap);
        }
        return;
    }
    CAttributePage::OnDrawItem(nIDCtl, item);
}

void CApplicationsPage::OnDestroy() {
    DeleteRows(m_rows);
    CAttributePage::OnDestroy();
}

LONG CApplicationsPage::Save() {
    if (!m_bModified || !m_list.m_hWnd || !::IsWindow(m_list.m_hWnd)) return 0;
    LONG status = WriteCurrentObject(
        [this](DIR_CONTEXT context, LPCSTR object) { return WriteAssociations(context, object); });
    if (status == 0) m_bModified = FALSE;
    return status;
}

BOOL CApplicationsPage::CanChangeApplication(DIR_CONTEXT context, LPCSTR application) {
    return theDirectoryHelper.CanWriteAttribute(context, application, snapin::kAttrBackLink) &&
           theDirectoryHelper.CanWriteAttribute(context, application, "ACL");
}

// The object's typed names collect in request P, sent once at the end (and
// whenever it fills): the removal of a changed row's old value and the
// addition of its new one travel together. Each application's back link
// goes in its own request Q. A row whose step fails is left, the others go
// on, and the first failure is what the save reports.
int CApplicationsPage::WriteAssociations(DIR_CONTEXT context, LPCSTR object) {
    if (m_rows.IsEmpty()) return 0;
    CRequestBuffer p, q;
    int status = p.Alloc(kPageRequestSize);
    if (status == DIR_SUCCESS) status = DirInitRequest(context, DIR_OP_MODIFY, p.get());
    if (status == DIR_SUCCESS) status = q.Alloc(kPageRequestSize);
    if (status != DIR_SUCCESS) return status;
    CFirstFailure failure;
    bool changed = false;
    auto putAssociation = [&](int change, LPCSTR application, DWORD level) {
        DirTypedName value{const_cast<char*>(application), level, 0};
        int put = theDirectoryHelper.PutChange(context, object, p.get(), change, snapin::kAttrAssociations);
        if (put == DIR_SUCCESS)
            put = theDirectoryHelper.PutValue(context, object, p.get(), change, snapin::kAttrAssociations,
                                              DIR_SYNTAX_TYPED_NAME, &value);
        return failure.Keep(put);
    };

    for (POSITION pos = m_rows.GetHeadPosition(); pos;) {
        auto* row = static_cast<CRefItem*>(m_rows.GetNext(pos));
        if (row->GetStoredFlags() == 0 || row->GetStoredFlags() == row->GetFlags()) continue;
        CString application = row->GetName();
        if (!CanChangeApplication(context, application)) {
            ShowNameMessage(IDS_CANNOT_REMOVE_APPLICATION, application, IDS_DRAVIK_WARNING, false);
            continue;
        }
        changed = true;
        if (row->GetFlags() == 0 &&
            failure.Keep(ModifyBackLink(context, q.get(), application, DIR_CHANGE_REMOVE_VALUE, object)) == 0)
            theAppLibrary.RevokeAllRights(context, object, application, application);
        putAssociation(DIR_CHANGE_REMOVE_VALUE, application, row->GetLevel());
    }

    for (POSITION pos = m_rows.GetHeadPosition(); pos;) {
        auto* row = static_cast<CRefItem*>(m_rows.GetNext(pos));
        if (row->GetFlags() == 0 || row->GetFlags() == row->GetStoredFlags()) continue;
        CString application = row->GetName();
        if (!CanChangeApplication(context, application)) {
            ShowNameMessage(IDS_CANNOT_ADD_APPLICATION, application, IDS_DRAVIK_WARNING, false);
            continue;
        }
        changed = true;
        if (row->GetStoredFlags() == 0) {
            // A new association comes whole or not at all: without the
            // application's rights and back link no typed value is written.
            if (theAppLibrary.GrantAllRights(context, object, application) != 0) {
                ShowNameMessage(IDS_GRANT_FAILED, application, IDS_DRAVIK_ERROR, true);
                continue;
            }
            if (failure.Keep(ModifyBackLink(context, q.get(), application, DIR_CHANGE_ADD_VALUE, object))) continue;
        }
        if (putAssociation(DIR_CHANGE_ADD_VALUE, application, row->GetFlags())) continue;
        GrantAssociatedObjectRights(context, object);
    }

    if (changed) failure.Keep(DirModifyObject(context, object, nullptr, 0, p.get()));
    return failure.Get();
}
