// The Fault Tolerance page: two lists of applications, their back links on
// the listed applications, the rights of the associated objects, and bits
// 0x18 of "App:Flags".
#include "snapin/pages/fault_tolerance_page.h"

#include <algorithm>
#include <vector>

#include "snapin/core/app_library.h"
#include "snapin/core/directory_helper.h"
#include "snapin/core/schema_names.h"
#include "snapin/core/snapin_object_type.h"
#include "snapin/core/snapin_utilities.h"
#include "snapin/pages/pages_resource.h"
#include "snapin/pages/ref_list_kit.h"

namespace {

constexpr LPCSTR kBitmapNames[] = {"UP_BUTTON_BMP", "UP_DISBUT_BMP", "UP_FOCBUT_BMP", "UP_CLICKBUT_BMP",
                                   "DN_BUTTON_BMP", "DN_DISBUT_BMP", "DN_FOCBUT_BMP", "DN_CLICKBUT_BMP"};
constexpr DWORD kListedRights = DIR_ATTR_COMPARE | DIR_ATTR_READ;
constexpr char kGrantFailed[] = "Error making the association to: ";
constexpr char kGrantFailedCaption[] = "Error";

// A row of the other list still lists the application unless the person
// deleted it there; a stored row that only moved (marked both ways) does.
bool ListedIn(const CRefItemList& rows, LPCSTR name) {
    const CRefItem* row = FindRefItem(&rows, name);
    return row && !(row->GetDeleted() && !row->GetAdded());
}

// One change of "App:Alt Back Link" naming this application, in a fresh
// request for the listed application. Its status is not looked at: the
// list's own value is what the save reports.
void ModifyAltBackLink(DIR_CONTEXT context, DirBuffer* request, LPCSTR listed, int change, LPCSTR application) {
    if (DirInitRequest(context, DIR_OP_MODIFY, request) != DIR_SUCCESS) return;
    if (DirPutChange(context, request, change, snapin::kAttrAltBackLink) != DIR_SUCCESS) return;
    if (DirPutValue(context, request, DIR_SYNTAX_DIST_NAME, application) != DIR_SUCCESS) return;
    DirModifyObject(context, listed, nullptr, 0, request);
}

}  // namespace

BEGIN_MESSAGE_MAP(CFaultTolerancePage, CAttributePage)
ON_WM_DESTROY()
ON_BN_CLICKED(IDC_FT_LB_ADD, OnAddLoadBalancing)
ON_BN_CLICKED(IDC_FT_LB_DELETE, OnDeleteLoadBalancing)
ON_LBN_SELCHANGE(IDC_FT_LB_LIST, OnSelChangeLoadBalancing)
ON_WM_DRAWITEM()
ON_BN_CLICKED(IDC_FT_ADD, OnAddFaultTolerance)
ON_BN_CLICKED(IDC_FT_DELETE, OnDeleteFaultTolerance)
ON_LBN_SELCHANGE(IDC_FT_LIST, OnSelChangeFaultTolerance)
ON_BN_CLICKED(IDC_FT_DOWN, OnMoveDown)
ON_BN_CLICKED(IDC_FT_UP, OnMoveUp)
ON_BN_CLICKED(IDC_FT_ENABLE, OnEnableFaultTolerance)
ON_BN_CLICKED(IDC_FT_LB_ENABLE, OnEnableLoadBalancing)
END_MESSAGE_MAP()

CFaultTolerancePage::CFaultTolerancePage()
    : CAttributePage(IDS_FT_TITLE, IDD_FAULT_TOLERANCE, HID_FAULT_TOLERANCE),
      m_loadBalancing(IDC_FT_LB_LIST, IDC_FT_LB_DELETE, {snapin::kClassApplication}),
      m_faultTolerance(IDC_FT_LIST, IDC_FT_DELETE, {snapin::kClassApplication}) {}

CFaultTolerancePage::~CFaultTolerancePage() { ReleaseBitmaps(); }

void CFaultTolerancePage::ReleaseBitmaps() {
    for (HBITMAP& bitmap : m_bitmaps) {
        if (bitmap) DeleteObject(bitmap);
        bitmap = nullptr;
    }
}

void CFaultTolerancePage::EnableControls(std::initializer_list<int> ids, BOOL enable) {
    for (int id : ids) GetDlgItem(id)->EnableWindow(enable);
}

BOOL CFaultTolerancePage::OnInitDialog() {
    CAttributePage::OnInitDialog();
    m_loadBalancing.Attach(this);
    m_faultTolerance.Attach(this);
    LPCSTR application = GetCurrentObjectName();
    m_browseContext = BrowseStartContext(application);
    DIR_CONTEXT context = theDirectoryHelper.CreateContext();
    ReleaseBitmaps();
    for (int i = 0; i < kBitmaps; ++i) m_bitmaps[i] = LoadBitmapA(AfxGetResourceHandle(), kBitmapNames[i]);
    DWORD flags = 0;
    if (context >= 0) {
        theDirectoryHelper.ReadRefList(context, application, &m_faultTolerance.Rows(), snapin::kAttrFaultTolerance);
        m_loadBalancing.Load(context, application, snapin::kAttrLoadBalancing);
        flags = theDirectoryHelper.ReadAppFlags(context, application);
    }
    SortByLevel();
    for (POSITION pos = m_faultTolerance.Rows().GetHeadPosition(); pos;)
        AddRowEntry(m_faultTolerance.List(), static_cast<CRefItem*>(m_faultTolerance.Rows().GetNext(pos)));
    if (flags & snapin::kFlagLoadBalancing)
        CheckDlgButton(IDC_FT_LB_ENABLE, BST_CHECKED);
    else
        EnableControls({IDC_FT_LB_ADD, IDC_FT_LB_LIST}, FALSE);
    if (flags & snapin::kFlagFaultTolerance)
        CheckDlgButton(IDC_FT_ENABLE, BST_CHECKED);
    else
        EnableControls({IDC_FT_ADD, IDC_FT_LIST}, FALSE);
    EnableControls({IDC_FT_LB_DELETE, IDC_FT_DELETE, IDC_FT_DOWN, IDC_FT_UP}, FALSE);
    SetRights(context, application);
    if (context >= 0) DirFreeContext(context);
    m_bFlagsModified = FALSE;
    return TRUE;
}

// Stable by level (unsigned), as passes of neighbour swaps leave it.
void CFaultTolerancePage::SortByLevel() {
    CRefItemList& list = m_faultTolerance.Rows();
    std::vector<CRefItem*> rows;
    while (!list.IsEmpty()) rows.push_back(static_cast<CRefItem*>(list.RemoveHead()));
    std::stable_sort(rows.begin(), rows.end(),
                     [](const CRefItem* a, const CRefItem* b) { return a->GetLevel() < b->GetLevel(); });
    for (CRefItem* row : rows) list.AddTail(row);
}

void CFaultTolerancePage::SetRights(DIR_CONTEXT context, LPCSTR application) {
    m_faultTolerance.m_bCanEdit =
        context >= 0 && theDirectoryHelper.CanWriteAttribute(context, application, snapin::kAttrFaultTolerance);
    if (!m_faultTolerance.m_bCanEdit)
        EnableControls({IDC_FT_ADD, IDC_FT_DELETE, IDC_FT_DOWN, IDC_FT_UP, IDC_FT_ENABLE}, FALSE);
    m_loadBalancing.m_bCanEdit =
        context >= 0 && theDirectoryHelper.CanWriteAttribute(context, application, snapin::kAttrLoadBalancing);
    if (!m_loadBalancing.m_bCanEdit) EnableControls({IDC_FT_LB_ADD, IDC_FT_LB_DELETE, IDC_FT_LB_ENABLE}, FALSE);
}

void CFaultTolerancePage::OnAddLoadBalancing() {
    if (m_loadBalancing.Add(m_browseContext)) TellHostModified();
}

void CFaultTolerancePage::OnAddFaultTolerance() {
    if (m_faultTolerance.Add(m_browseContext)) TellHostModified();
}

void CFaultTolerancePage::OnDeleteLoadBalancing() {
    if (m_loadBalancing.Delete()) TellHostModified();
}

void CFaultTolerancePage::OnDeleteFaultTolerance() {
    if (m_faultTolerance.Delete()) TellHostModified();
}

void CFaultTolerancePage::OnSelChangeLoadBalancing() { m_loadBalancing.SelChange(); }

void CFaultTolerancePage::OnSelChangeFaultTolerance() {
    if (!m_faultTolerance.m_bCanEdit) return;
    m_faultTolerance.SelChange();
    CListBox& list = m_faultTolerance.List();
    int selected = list.GetSelCount();
    int count = list.GetCount();
    int index = -1;
    if (selected == 1) list.GetSelItems(1, &index);
    GetDlgItem(IDC_FT_UP)->EnableWindow(selected == 1 && index > 0 && count > 1);
    GetDlgItem(IDC_FT_DOWN)->EnableWindow(selected == 1 && count >= 2 && index != count - 1);
}

void CFaultTolerancePage::OnMoveUp() { MoveSelected(-1); }
void CFaultTolerancePage::OnMoveDown() { MoveSelected(+1); }

void CFaultTolerancePage::MoveSelected(int step) {
    CListBox& list = m_faultTolerance.List();
    int index = -1;
    if (list.GetSelItems(1, &index) != 1) return;
    int to = index + step;
    int count = list.GetCount();
    if (to < 0 || to >= count) return;
    auto* row = static_cast<CRefItem*>(list.GetItemDataPtr(index));
    list.DeleteString(static_cast<UINT>(index));
    if (list.InsertString(to, row->GetName()) == to) {
        list.SetItemDataPtr(to, row);
        list.SetSel(to, TRUE);
    }
    GetDlgItem(IDC_FT_UP)->EnableWindow(to != 0);
    GetDlgItem(IDC_FT_DOWN)->EnableWindow(to != count - 1);
    m_faultTolerance.m_bModified = TRUE;
    TellHostModified();
}

void CFaultTolerancePage::OnEnableFaultTolerance() {
    if (IsDlgButtonChecked(IDC_FT_ENABLE))
        EnableControls({IDC_FT_ADD, IDC_FT_LIST}, TRUE);
    else
        EnableControls({IDC_FT_ADD, IDC_FT_DELETE, IDC_FT_LIST, IDC_FT_UP, IDC_FT_DOWN}, FALSE);
    m_bFlagsModified = TRUE;
    TellHostModified();
}

void CFaultTolerancePage::OnEnableLoadBalancing() {
    if (IsDlgButtonChecked(IDC_FT_LB_ENABLE))
        EnableControls({IDC_FT_LB_ADD, IDC_FT_LB_LIST}, TRUE);
    else
        EnableControls({IDC_FT_LB_ADD, IDC_FT_LB_DELETE, IDC_FT_LB_LIST}, FALSE);
    m_bFlagsModified = TRUE;
    TellHostModified();
}

void CFaultTolerancePage::OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT item) {
    if (nIDCtl == IDC_FT_UP || nIDCtl == IDC_FT_DOWN)
        DrawUpDown(nIDCtl, item);
    else if (!DrawRefRow(m_hWnd, item, 0))
        CAttributePage::OnDrawItem(nIDCtl, item);
}

void CFaultTolerancePage::DrawUpDown(int id, const DRAWITEMSTRUCT* item) {
    int first = id == IDC_FT_UP ? kUp : kDown;
    int which = (item->itemState & ODS_DISABLED)   ? first + 1
                : (item->itemState & ODS_SELECTED) ? first + 3
                : (item->itemState & ODS_FOCUS)    ? first + 2
                                                   : first;
    if (m_bitmaps[which])
        theSnapinUtilities.DrawTransparentBitmap(item->hDC, m_bitmaps[which], item->rcItem.left, item->rcItem.top);
}

void CFaultTolerancePage::OnDestroy() {
    m_loadBalancing.Close();
    m_faultTolerance.Close();
    ReleaseBitmaps();
    CAttributePage::OnDestroy();
}

void CFaultTolerancePage::Renumber() {
    CListBox& list = m_faultTolerance.List();
    for (int i = 0; i < list.GetCount(); ++i) {
        auto* row = static_cast<CRefItem*>(list.GetItemDataPtr(i));
        if (!row || row == reinterpret_cast<CRefItem*>(LB_ERR)) continue;
        DWORD position = static_cast<DWORD>(i);
        row->SetFlags(position);
        if (!row->GetAdded() && row->GetLevel() != position) {
            row->SetAdded(1);
            row->SetDeleted(1);
        }
    }
}

// Each step that succeeds clears its own mark; the first failing step's
// status is what the save reports.
LONG CFaultTolerancePage::Save() {
    if (!m_faultTolerance.m_bModified && !m_loadBalancing.m_bModified && !m_bFlagsModified) return 0;
    return WriteCurrentObject([this](DIR_CONTEXT context, LPCSTR application) {
        CFirstFailure failure;
        if (m_faultTolerance.m_bModified && m_faultTolerance.IsShown()) {
            Renumber();
            if (!failure.Keep(WriteAppList(context, m_faultTolerance.Rows(), m_loadBalancing.Rows(),
                                           snapin::kAttrFaultTolerance, application)))
                m_faultTolerance.m_bModified = FALSE;
        }
        if (m_loadBalancing.m_bModified && m_loadBalancing.IsShown()) {
            if (!failure.Keep(WriteAppList(context, m_loadBalancing.Rows(), m_faultTolerance.Rows(),
                                           snapin::kAttrLoadBalancing, application)))
                m_loadBalancing.m_bModified = FALSE;
        }
        if (m_bFlagsModified && ::IsWindow(::GetDlgItem(m_hWnd, IDC_FT_ENABLE))) {
            if (!failure.Keep(WriteFlags(context, application))) m_bFlagsModified = FALSE;
        }
        return failure.Get();
    });
}

// The list's changes collect in request A for this application, sent at
// the end (and whenever it fills); each listed application's back link
// goes in its own request B.
int CFaultTolerancePage::WriteAppList(DIR_CONTEXT context, CRefItemList& rows, CRefItemList& otherRows,
                                      LPCSTR attribute, LPCSTR application) {
    uint32_t syntax = 0;
    int status = DirGetAttributeSyntax(context, attribute, &syntax);
    if (rows.IsEmpty()) return 0;
    if (status != DIR_SUCCESS) return status;
    CRefItemList associated;
    theDirectoryHelper.ReadRefList(context, application, &associated, snapin::kAttrBackLink);
    CRequestBuffer a, b;
    status = a.Alloc(kPageRequestSize);
    if (status == DIR_SUCCESS) status = DirInitRequest(context, DIR_OP_MODIFY, a.get());
    if (status == DIR_SUCCESS) status = b.Alloc(kPageRequestSize);
    if (status != DIR_SUCCESS) {
        DeleteRows(associated);
        return status;
    }
    CFirstFailure failure;
    bool changed = false;
    auto putListed = [&](int change, const CRefItem* row, DWORD level) {
        CString name = row->GetName();
        int put = theDirectoryHelper.PutChange(context, application, a.get(), change, attribute);
        if (put != DIR_SUCCESS) return failure.Keep(put);
        if (syntax == DIR_SYNTAX_DIST_NAME) {
            put = theDirectoryHelper.PutValue(context, application, a.get(), change, attribute, DIR_SYNTAX_DIST_NAME,
                                              static_cast<LPCSTR>(name));
        } else if (syntax == DIR_SYNTAX_TYPED_NAME) {
            DirTypedName value{const_cast<char*>(static_cast<LPCSTR>(name)), level, row->GetInterval()};
            put = theDirectoryHelper.PutValue(context, application, a.get(), change, attribute, DIR_SYNTAX_TYPED_NAME,
                                              &value);
        }
        return failure.Keep(put);
    };

    for (POSITION pos = rows.GetHeadPosition(); pos;) {
        auto* row = static_cast<CRefItem*>(rows.GetNext(pos));
        if (!row->GetDeleted()) continue;
        changed = true;
        CString listed = row->GetName();
        if (!ListedIn(otherRows, listed)) {
            ModifyAltBackLink(context, b.get(), listed, DIR_CHANGE_REMOVE_VALUE, application);
            for (POSITION user = associated.GetHeadPosition(); user;) {
                CString object = static_cast<CRefItem*>(associated.GetNext(user))->GetName();
                if (theAppLibrary.CanRevokeAllRights(context, object, listed, application) & 0xFF)
                    theAppLibrary.RemoveAllRightsFromObject(context, listed, object);
            }
        }
        putListed(DIR_CHANGE_REMOVE_VALUE, row, row->GetLevel());
    }

    for (POSITION pos = rows.GetHeadPosition(); pos;) {
        auto* row = static_cast<CRefItem*>(rows.GetNext(pos));
        if (!row->GetAdded()) continue;
        changed = true;
        CString listed = row->GetName();
        LONG granted = 0;
        for (POSITION user = associated.GetHeadPosition(); user;) {
            CString object = static_cast<CRefItem*>(associated.GetNext(user))->GetName();
            granted = theAppLibrary.GrantRightsToObject(context, listed, DIR_ALL_ATTRIBUTES_RIGHTS, object,
                                                        kListedRights);
        }
        if (granted != 0) {
            MessageBox(CString(kGrantFailed) + listed, kGrantFailedCaption, MB_OK);
            continue;
        }
        ModifyAltBackLink(context, b.get(), listed, DIR_CHANGE_ADD_VALUE, application);
        putListed(DIR_CHANGE_ADD_VALUE, row, row->GetFlags());
    }

    if (changed) failure.Keep(DirModifyObject(context, application, nullptr, 0, a.get()));
    DeleteRows(associated);
    return failure.Get();
}

int CFaultTolerancePage::WriteFlags(DIR_CONTEXT context, LPCSTR application) {
    CRequestBuffer request;
    int status = request.Alloc(kPageRequestSize);
    if (status == DIR_SUCCESS) status = DirInitRequest(context, DIR_OP_MODIFY, request.get());
    if (status != DIR_SUCCESS) return status;
    DWORD pageBits = (IsDlgButtonChecked(IDC_FT_ENABLE) ? snapin::kFlagFaultTolerance : 0) |
                     (IsDlgButtonChecked(IDC_FT_LB_ENABLE) ? snapin::kFlagLoadBalancing : 0);
    DWORD flags = snapin::MergeAppFlags(theDirectoryHelper.ReadAppFlags(context, application), pageBits,
                                        snapin::kFaultToleranceFlagsMask);
    status = theDirectoryHelper.ReplaceValue(context, application, request.get(), snapin::kAttrFlags, flags);
    if (status == DIR_SUCCESS) status = DirModifyObject(context, application, nullptr, 0, request.get());
    return status;
}
