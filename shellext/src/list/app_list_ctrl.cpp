#include "list/app_list_ctrl.h"

#include "cache/app_cache.h"
#include "items/folder_item.h"
#include "list/item_data_object.h"
#include "module/shell_app_library.h"
#include "module/shell_ext_app.h"
#include "namespace/shell_folder.h"
#include "tray/link_manager.h"
#include "view/shell_view.h"

namespace {

constexpr UINT kTitleHeader = 10245;      // "Title", then "Tree" and "Name"
constexpr UINT kDeleteQuestion = 10456;   // "Are you sure you want to delete these %d items?"
constexpr UINT kDeleteCaption = 10459;    // "Confirm Delete"
constexpr int kMaxColumns = 5;

CShellExtApp& App() { return *GetShellExtApp(); }

// The cache's item for a key with `parent` as its parent list; null when
// there is no cache or no such item. The caller releases it.
CFolderItem* LookUp(const CString& key, const CItemIdList& parent) {
    CAppCache* cache = App().m_pCache;
    CFolderItem* item = cache ? cache->GetItem(key, kNoContext) : nullptr;
    if (item) item->SetParentIdList(parent);
    return item;
}

}  // namespace

CListRow::CListRow(const CFolderItem& item) : m_strKey(item.GetKey()), m_icon(item.GetIcon()) {}

IMPLEMENT_DYNAMIC(CAppListCtrl, CListCtrl)

BEGIN_MESSAGE_MAP(CAppListCtrl, CListCtrl)
    ON_WM_DESTROY()
    ON_NOTIFY_REFLECT(NM_CLICK, OnClick)
    ON_NOTIFY_REFLECT(NM_DBLCLK, OnDoubleClick)
    ON_NOTIFY_REFLECT(NM_RCLICK, OnRightClick)
    ON_NOTIFY_REFLECT(LVN_KEYDOWN, OnKeyDownNotify)
    ON_NOTIFY_REFLECT(LVN_ITEMCHANGED, OnItemChanged)
    ON_NOTIFY_REFLECT(LVN_COLUMNCLICK, OnColumnClick)
    ON_NOTIFY_REFLECT(LVN_BEGINLABELEDIT, OnBeginLabelEdit)
    ON_NOTIFY_REFLECT(LVN_ENDLABELEDIT, OnEndLabelEdit)
    ON_NOTIFY_REFLECT(LVN_BEGINDRAG, OnBeginDrag)
    ON_NOTIFY_REFLECT(LVN_DELETEITEM, OnDeleteItemNotify)
    ON_MESSAGE(WM_INITMENUPOPUP, OnInitMenuPopupMessage)
    ON_MESSAGE(WM_MEASUREITEM, OnMeasureItemMessage)
    ON_MESSAGE(WM_DRAWITEM, OnDrawItemMessage)
END_MESSAGE_MAP()

CAppListCtrl::CAppListCtrl() = default;

CAppListCtrl::~CAppListCtrl() {
    if (m_hWnd) DestroyWindow();
}

BOOL CAppListCtrl::Create(DWORD style, const RECT& rect, CShellView* view, UINT id) {
    m_pView = view;
    if (!CListCtrl::Create(style, rect, view, id)) return FALSE;
    // The icon cache owns the lists; the view's style shares them.
    SendMessage(LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(App().GetLargeImageList()));
    SendMessage(LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(App().GetSmallImageList()));
    if (SUCCEEDED(OleInitialize(nullptr))) {
        m_bOleInitialized = TRUE;
        m_bDropRegistered = SUCCEEDED(RegisterDragDrop(m_hWnd, &m_xDropTarget));
    }
    return TRUE;
}

void CAppListCtrl::OnDestroy() {
    if (m_bDropRegistered) RevokeDragDrop(m_hWnd);
    m_bDropRegistered = FALSE;
    if (m_bOleInitialized) OleUninitialize();
    m_bOleInitialized = FALSE;
    CListCtrl::OnDestroy();
}

void CAppListCtrl::SetColumns(const LONG* widths) {
    for (int column = kMaxColumns - 1; column >= 0; --column) DeleteColumn(column);
    for (int column = 0; column < kListColumnCount; ++column) {
        InsertColumn(column, App().LoadText(kTitleHeader + column), LVCFMT_LEFT, static_cast<int>(widths[column]));
    }
}

int CAppListCtrl::AddRow(CFolderItem* item) {
    if (!item) return -1;
    CString tree, name;
    item->SplitKey(nullptr, &tree, &name);
    auto* row = new CListRow(*item);
    const int index = InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, GetItemCount(), item->GetName(), 0, 0,
                                 item->GetIcon().GetIndex(), reinterpret_cast<LPARAM>(row));
    if (index < 0) {
        delete row;
        return index;
    }
    SetItemText(index, 1, tree);
    SetItemText(index, 2, name);
    return index;
}

BOOL CAppListCtrl::UpdateRowText(int row, const CString& key) {
    CFolderItem* item = LookUp(key, m_pView->GetFolderIdList());
    if (!item) return FALSE;
    const BOOL changed = GetItemText(row, 0) != item->GetName();
    if (changed) SetItemText(row, 0, item->GetName());
    item->Release();
    return changed;
}

CFolderItem* CAppListCtrl::GetRowItem(int row) {
    if (row == -1) return m_pView->GetFolderItem();
    CString key;
    if (!GetRowKey(row, key)) return nullptr;
    return LookUp(key, m_pView->GetFolderIdList());
}

BOOL CAppListCtrl::GetRowKey(int row, CString& key) const {
    key.Empty();
    if (row < 0 || row >= GetItemCount()) return FALSE;
    const auto* record = reinterpret_cast<const CListRow*>(GetItemData(row));
    if (!record) return FALSE;
    key = record->m_strKey;
    return TRUE;
}

void CAppListCtrl::SelectKey(LPCSTR key) {
    SetFocus();
    CString rowKey;
    for (int row = 0; row < GetItemCount(); ++row) {
        const BOOL match = GetRowKey(row, rowKey) && rowKey == key;
        SetItemState(row, match ? LVIS_SELECTED : 0, LVIS_SELECTED);
    }
}

int CAppListCtrl::GetSelectedKeys(CStringArray& keys) const {
    int count = 0;
    CString key;
    for (int row = GetNextItem(-1, LVNI_SELECTED); row >= 0; row = GetNextItem(row, LVNI_SELECTED)) {
        if (GetRowKey(row, key)) keys.Add(key);
        ++count;
    }
    return count;
}

void CAppListCtrl::GetColumnWidths(int count, LONG* widths) const {
    // Only the details and list modes have column widths to read.
    if (!(GetStyle() & 0x1)) return;
    int column = 0;
    for (int i = 0; i < count; ++i) {
        if (widths[i] > 0) widths[i] = GetColumnWidth(column++);
    }
}

void CAppListCtrl::SetColumnWidths(int count, const LONG* widths) {
    int column = 0;
    for (int i = 0; i < count; ++i) {
        if (widths[i] > 0) SetColumnWidth(column++, static_cast<int>(widths[i]));
    }
}

void CAppListCtrl::GetStatusText(CString& text) const {
    const UINT selected = GetSelectedCount();
    if (selected) {
        text.Format("%d Object(s) Selected ", static_cast<int>(selected));
    } else {
        text.Format("%d Object(s)", GetItemCount());
    }
}

void CAppListCtrl::Sort(int column, BOOL restart) {
    if (restart || column != m_nSortColumn) {
        m_nSortColumn = static_cast<WORD>(column);
        m_bSortDescending = FALSE;
    } else {
        m_bSortDescending = !m_bSortDescending;
    }
    SortItems(&CAppListCtrl::CompareRows, reinterpret_cast<DWORD_PTR>(this));
    m_pView->UpdateCommandStates();
    m_pView->UpdateStatusText();
}

int CALLBACK CAppListCtrl::CompareRows(LPARAM first, LPARAM second, LPARAM list) {
    auto* self = reinterpret_cast<CAppListCtrl*>(list);
    const auto* one = reinterpret_cast<const CListRow*>(first);
    const auto* other = reinterpret_cast<const CListRow*>(second);
    if (!one || !other) return 0;
    const CItemIdList& parent = self->m_pView->GetFolderIdList();
    CFolderItem* oneItem = LookUp(one->m_strKey, parent);
    CFolderItem* otherItem = oneItem ? LookUp(other->m_strKey, parent) : nullptr;
    int result = 0;
    if (oneItem && otherItem) result = oneItem->Compare(otherItem, self->m_nSortColumn, self->m_bSortDescending);
    if (otherItem) otherItem->Release();
    if (oneItem) oneItem->Release();
    return result;
}

void CAppListCtrl::SetBusy(BOOL busy) {
    SetCursor(LoadCursorA(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

IShellBrowser* CAppListCtrl::GetBrowser() const { return m_pView->GetShellBrowser(); }

int CAppListCtrl::RowAt(CPoint point) const {
    UINT flags = 0;
    const int row = HitTest(point, &flags);
    return (flags & LVHT_ONITEM) ? row : -1;
}

// ---- commands

BOOL CAppListCtrl::OnCommand(UINT id) {
    switch (id) {
    case kCmdDelete: return DeleteSelection();
    case kCmdCopy: return CopySelection();
    case kCmdPaste: return PasteClipboard();
    case kCmdSelectAll: SelectAll(); return TRUE;
    case kCmdInvertSelection: InvertSelection(); return TRUE;
    case kCmdSortByTitle:
    case kCmdSortByTree:
    case kCmdSortByName: Sort(static_cast<int>(id - kCmdSortByTitle), FALSE); return TRUE;
    default: break;
    }
    BOOL done = FALSE;
    for (int row = GetNextItem(-1, LVNI_SELECTED); row >= 0; row = GetNextItem(row, LVNI_SELECTED)) {
        if (CFolderItem* item = GetRowItem(row)) {
            done |= item->OnCommand(id, m_hWnd);
            item->Release();
        }
    }
    return done;
}

BOOL CAppListCtrl::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (lParam == 0 && m_pView && m_pView->m_hWnd) {
        m_pView->SendMessage(WM_COMMAND, wParam, 0);
        return TRUE;
    }
    return CListCtrl::OnCommand(wParam, lParam);
}

BOOL CAppListCtrl::DeleteSelection() {
    CStringArray keys;
    const int count = GetSelectedKeys(keys);
    if (count == 0) return FALSE;
    if (count >= 2) {
        CString question;
        question.Format(App().LoadText(kDeleteQuestion), count);
        if (MessageBoxA(GetDesktopWindow(), question, App().LoadText(kDeleteCaption), MB_YESNO | MB_ICONQUESTION) !=
            IDYES)
            return TRUE;
    }
    // One row asks its own question; after the common one nobody asks again.
    const BOOL askEach = count == 1;
    const CString folderKey = m_pView->GetShellFolder() ? m_pView->GetShellFolder()->GetKey() : CString();
    BOOL deleted = FALSE;
    for (INT_PTR i = 0; i < keys.GetSize(); ++i) {
        if (CFolderItem* item = LookUp(keys[i], m_pView->GetFolderIdList())) {
            deleted |= item->Delete(folderKey, askEach);
            item->Release();
        }
    }
    if (deleted && App().m_pCache) App().m_pCache->Rebuild(TRUE);
    return TRUE;
}

CItemDataObject* CAppListCtrl::MakeDataObject() {
    CStringArray keys;
    if (GetSelectedKeys(keys) == 0 || keys.GetSize() == 0) return nullptr;
    auto* data = new CItemDataObject(m_pView->GetFolderIdList());
    for (INT_PTR i = 0; i < keys.GetSize(); ++i) data->Add(CItemIdList(static_cast<LPCSTR>(keys[i])));
    return data;
}

BOOL CAppListCtrl::CopySelection() {
    CItemDataObject* data = MakeDataObject();
    if (!data) return FALSE;
    if (SUCCEEDED(OleInitialize(nullptr))) {
        if (SUCCEEDED(OleSetClipboard(data))) OleFlushClipboard();
        OleUninitialize();
    }
    data->Release();
    return TRUE;
}

BOOL CAppListCtrl::PasteClipboard() {
    IDataObject* data = nullptr;
    if (FAILED(OleGetClipboard(&data)) || !data) return FALSE;
    const int row = GetNextItem(-1, LVNI_SELECTED);
    if (CFolderItem* item = GetRowItem(row)) {
        IDropTarget* target = nullptr;
        if (SUCCEEDED(item->QueryInterface(IID_IDropTarget, reinterpret_cast<void**>(&target))) && target) {
            DWORD effect = DROPEFFECT_COPY;
            target->Drop(data, 0, POINTL{0, 0}, &effect);
            target->Release();
        }
        item->Release();
    }
    data->Release();
    return TRUE;
}

void CAppListCtrl::SelectAll() {
    SetFocus();
    for (int row = 0; row < GetItemCount(); ++row) SetItemState(row, LVIS_SELECTED, LVIS_SELECTED);
}

void CAppListCtrl::InvertSelection() {
    for (int row = 0; row < GetItemCount(); ++row) {
        SetItemState(row, GetItemState(row, LVIS_SELECTED) ^ LVIS_SELECTED, LVIS_SELECTED);
    }
}

void CAppListCtrl::DragSelection() {
    CItemDataObject* data = MakeDataObject();
    if (!data) return;
    if (SUCCEEDED(OleInitialize(nullptr))) {
        DWORD effect = DROPEFFECT_NONE;
        const HRESULT result = DoDragDrop(data, data->GetDropSource(), DROPEFFECT_COPY | DROPEFFECT_LINK, &effect);
        // A drop may have made or moved shortcuts on the desktop.
        if (result == DRAGDROP_S_DROP && App().m_pLinkManager) App().m_pLinkManager->UpdateLinks();
        OleUninitialize();
    }
    data->Release();
}

void CAppListCtrl::RenameRow(int row, LPCSTR text) {
    CFolderItem* item = GetRowItem(row);
    if (!item) return;
    const CItemIdList oldList = item->GetAbsoluteIdList();
    if (item->Rename(text)) {
        const CItemIdList newList = item->GetAbsoluteIdList();
        if (App().m_pCache) App().m_pCache->Rebuild(FALSE);
        SHChangeNotify(SHCNE_RENAMEFOLDER, SHCNF_FLUSH, oldList.GetList(), newList.GetList());
        // The row now names the item by its new key.
        if (auto* record = reinterpret_cast<CListRow*>(GetItemData(row))) record->m_strKey = item->GetKey();
        SetItemText(row, 0, item->GetName());
        SetItemState(row, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    }
    item->Release();
}

// ---- notifications

CFolderItem* CAppListCtrl::ClickedItem(CPoint& at) {
    const DWORD pos = GetMessagePos();
    at = CPoint(GET_X_LPARAM(pos), GET_Y_LPARAM(pos));
    ScreenToClient(&at);
    const int row = RowAt(at);
    return row >= 0 ? GetRowItem(row) : nullptr;
}

void CAppListCtrl::OnClick(NMHDR*, LRESULT* result) {
    CPoint at;
    if (CFolderItem* item = ClickedItem(at)) {
        item->OnClick(at.x, at.y, m_hWnd);
        item->Release();
    }
    *result = 0;
}

void CAppListCtrl::OnDoubleClick(NMHDR*, LRESULT* result) {
    CPoint at;
    if (CFolderItem* item = ClickedItem(at)) {
        item->DoDefaultCommand(at.x, at.y, m_hWnd, GetBrowser());
        item->Release();
    }
    *result = 0;
}

void CAppListCtrl::OnRightClick(NMHDR*, LRESULT* result) {
    CPoint at;
    if (CFolderItem* item = ClickedItem(at)) {
        item->ShowContextMenu(at.x, at.y, m_hWnd);
        item->Release();
    }
    *result = 0;
}

void CAppListCtrl::OnKeyDownNotify(NMHDR* header, LRESULT* result) {
    const auto* info = reinterpret_cast<NMLVKEYDOWN*>(header);
    *result = 0;
    if (info->wVKey != VK_RETURN) return;
    for (int row = GetNextItem(-1, LVNI_SELECTED); row >= 0; row = GetNextItem(row, LVNI_SELECTED)) {
        if (CFolderItem* item = GetRowItem(row)) {
            item->DoDefaultCommandFor(m_hWnd, GetBrowser());
            item->Release();
        }
    }
}

void CAppListCtrl::OnItemChanged(NMHDR* header, LRESULT* result) {
    const auto* info = reinterpret_cast<NMLISTVIEW*>(header);
    if (info->uChanged & LVIF_STATE) {
        m_pView->UpdateCommandStates();
        m_pView->UpdateStatusText();
    }
    *result = 0;
}

void CAppListCtrl::OnColumnClick(NMHDR* header, LRESULT* result) {
    Sort(reinterpret_cast<NMLISTVIEW*>(header)->iSubItem, FALSE);
    *result = 0;
}

void CAppListCtrl::OnBeginLabelEdit(NMHDR* header, LRESULT* result) {
    const auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
    BOOL canRename = FALSE;
    if (CFolderItem* item = GetRowItem(info->item.iItem)) {
        canRename = (item->GetAttributes() & SFGAO_CANRENAME) != 0;
        item->Release();
    }
    // TRUE refuses the edit.
    *result = canRename ? FALSE : TRUE;
}

void CAppListCtrl::OnEndLabelEdit(NMHDR* header, LRESULT* result) {
    const auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
    // A label that ends as it began (opened by a click on the selected row,
    // left by a click elsewhere) renames nothing.
    const int row = info->item.iItem;
    if (info->item.pszText && row >= 0 && row < GetItemCount() && GetItemText(row, 0) != info->item.pszText) {
        RenameRow(row, info->item.pszText);
    }
    // The edited text is dropped: the row's text comes from the item.
    *result = FALSE;
}

void CAppListCtrl::OnBeginDrag(NMHDR*, LRESULT* result) {
    DragSelection();
    *result = 0;
}

void CAppListCtrl::OnDeleteItemNotify(NMHDR* header, LRESULT* result) {
    const auto* info = reinterpret_cast<NMLISTVIEW*>(header);
    // The record gives its icon slot's use back as it goes.
    delete reinterpret_cast<CListRow*>(info->lParam);
    *result = 0;
}

BOOL CAppListCtrl::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    // The view reflects the drawing of rows.
    if (message == WM_DRAWITEM) {
        DrawRow(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
        if (result) *result = TRUE;
        return TRUE;
    }
    return CListCtrl::OnChildNotify(message, wParam, lParam, result);
}

BOOL CAppListCtrl::PassMenuMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const int row = GetNextItem(-1, LVNI_SELECTED);
    CFolderItem* item = row >= 0 ? GetRowItem(row) : nullptr;
    if (!item) return FALSE;
    IContextMenu2* menu = nullptr;
    if (SUCCEEDED(item->QueryInterface(IID_IContextMenu2, reinterpret_cast<void**>(&menu))) && menu) {
        menu->HandleMenuMsg(message, wParam, lParam);
        menu->Release();
    }
    item->Release();
    return TRUE;
}

LRESULT CAppListCtrl::OnInitMenuPopupMessage(WPARAM wParam, LPARAM lParam) {
    if (!PassMenuMessage(WM_INITMENUPOPUP, wParam, lParam)) Default();
    return 0;
}

LRESULT CAppListCtrl::OnMeasureItemMessage(WPARAM wParam, LPARAM lParam) {
    const auto* measure = reinterpret_cast<const MEASUREITEMSTRUCT*>(lParam);
    if (measure && measure->CtlType == ODT_MENU && PassMenuMessage(WM_MEASUREITEM, wParam, lParam)) return TRUE;
    return Default();
}

LRESULT CAppListCtrl::OnDrawItemMessage(WPARAM wParam, LPARAM lParam) {
    const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
    if (draw && draw->CtlType == ODT_MENU && PassMenuMessage(WM_DRAWITEM, wParam, lParam)) return TRUE;
    return Default();
}

void CAppListCtrl::DrawRow(LPDRAWITEMSTRUCT draw) {
    if (!draw) return;
    if (draw->itemAction & ODA_FOCUS) {
        DrawFocusRect(draw->hDC, &draw->rcItem);
        return;
    }
    const int row = static_cast<int>(draw->itemID);
    if (!(draw->itemAction & (ODA_DRAWENTIRE | ODA_SELECT)) || row < 0 || row >= GetItemCount()) return;
    const BOOL selected = (draw->itemState & ODS_SELECTED) != 0;
    const COLORREF oldText = SetTextColor(draw->hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const COLORREF oldBack = SetBkColor(draw->hDC, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    CString name;
    if (CFolderItem* item = GetRowItem(row)) {
        name = item->GetName();
        item->Release();
    }
    ExtTextOutA(draw->hDC, draw->rcItem.left, draw->rcItem.top, ETO_OPAQUE, &draw->rcItem, name, name.GetLength(),
                nullptr);
    SetTextColor(draw->hDC, oldText);
    SetBkColor(draw->hDC, oldBack);
}

// ---- the drop target part

STDMETHODIMP CAppListCtrl::XDropTarget::QueryInterface(REFIID iid, void** object) {
    if (!object) return E_INVALIDARG;
    *object = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDropTarget)) return E_NOINTERFACE;
    *object = static_cast<IDropTarget*>(this);
    return S_OK;
}

STDMETHODIMP_(ULONG) CAppListCtrl::XDropTarget::AddRef() { return 1; }
STDMETHODIMP_(ULONG) CAppListCtrl::XDropTarget::Release() { return 1; }

CFolderItem* CAppListCtrl::ItemAtScreenPoint(POINTL point) {
    CPoint client(point.x, point.y);
    ScreenToClient(&client);
    const int row = RowAt(client);
    return row >= 0 ? GetRowItem(row) : nullptr;
}

namespace {

// Hands one drop-target call to the item's own drop target; no item under
// the point means no drop.
template <class Call>
void PassToItem(CFolderItem* item, DWORD* effect, Call call) {
    IDropTarget* target = nullptr;
    if (item && SUCCEEDED(item->QueryInterface(IID_IDropTarget, reinterpret_cast<void**>(&target))) && target) {
        call(target);
        target->Release();
    } else if (effect) {
        *effect = DROPEFFECT_NONE;
    }
    if (item) item->Release();
}

}  // namespace

STDMETHODIMP CAppListCtrl::XDropTarget::DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
    PassToItem(m_pOwner->ItemAtScreenPoint(point), effect,
               [&](IDropTarget* target) { target->DragEnter(data, keyState, point, effect); });
    return S_OK;
}

STDMETHODIMP CAppListCtrl::XDropTarget::DragOver(DWORD keyState, POINTL point, DWORD* effect) {
    PassToItem(m_pOwner->ItemAtScreenPoint(point), effect,
               [&](IDropTarget* target) { target->DragOver(keyState, point, effect); });
    return S_OK;
}

STDMETHODIMP CAppListCtrl::XDropTarget::DragLeave() { return S_OK; }

STDMETHODIMP CAppListCtrl::XDropTarget::Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) {
    PassToItem(m_pOwner->ItemAtScreenPoint(point), effect,
               [&](IDropTarget* target) { target->Drop(data, keyState, point, effect); });
    return S_OK;
}
