#include "snapin/pages/ref_list_kit.h"

#include <cstring>

#include "snapin/core/app_library.h"
#include "snapin/core/directory_helper.h"
#include "snapin/core/object_browser.h"
#include "snapin/core/snapin_object_type.h"
#include "snapin/core/snapin_utilities.h"

namespace {

// Where the object part of a row is filled, right of the class icon.
constexpr int kIconWidth = 18;

void FillRow(const DRAWITEMSTRUCT* item, int left) {
    RECT area = item->rcItem;
    area.left = item->rcItem.left + left;
    bool selected = (item->itemState & ODS_SELECTED) != 0;
    FillRect(item->hDC, &area, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    SetTextColor(item->hDC, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    SetBkColor(item->hDC, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
}

void RestoreColours(const DRAWITEMSTRUCT* item) {
    SetTextColor(item->hDC, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(item->hDC, GetSysColor(COLOR_WINDOW));
}

}  // namespace

CString BrowseStartContext(LPCSTR objectName) {
    if (!objectName) return CString();
    const char* dot = std::strchr(objectName, '.');
    return dot ? CString(dot + 1) : CString();
}

std::vector<CString> BrowseObjects(CWnd* owner, const std::vector<LPCSTR>& classes, CString& startContext) {
    CObjectBrowser browser;
    for (LPCSTR className : classes) browser.AddClassFilter(className);
    browser.SetFlags(kBrowseSeveral);
    browser.Browse(owner->m_hWnd, startContext.IsEmpty() ? nullptr : static_cast<LPCSTR>(startContext));
    std::vector<CString> names;
    for (DWORD i = 0; i < browser.GetSelectedCount(); ++i) names.emplace_back(browser.GetSelectedName(i));
    if (browser.GetContext()) startContext = browser.GetContext();
    return names;
}

int AddRowEntry(CListBox& list, CRefItem* row) {
    int index = list.AddString(row->GetName());
    if (index >= 0) list.SetItemDataPtr(index, row);
    return index;
}

BOOL AddRefRows(CListBox& list, CRefItemList& rows, const std::vector<CString>& names) {
    BOOL changed = FALSE;
    for (const CString& name : names) {
        CRefItem* row = FindRefItem(&rows, name);
        if (!row) {
            row = new CRefItem(name, 0, 0);
            rows.AddTail(row);
            row->SetAdded(1);
            AddRowEntry(list, row);
            changed = TRUE;
        } else if (row->GetDeleted()) {
            row->SetDeleted(0);
            AddRowEntry(list, row);
            changed = TRUE;
        }
    }
    return changed;
}

BOOL LoadRefRows(DIR_CONTEXT context, LPCSTR object, LPCSTR attribute, CListBox& list, CRefItemList& rows) {
    CRefItemList read;
    BOOL found = theDirectoryHelper.ReadRefList(context, object, &read, attribute);
    while (!read.IsEmpty()) {
        auto* row = static_cast<CRefItem*>(read.RemoveHead());
        rows.AddTail(row);
        AddRowEntry(list, row);
    }
    return found;
}

void DeleteRows(CRefItemList& rows) {
    while (!rows.IsEmpty()) delete static_cast<CRefItem*>(rows.RemoveHead());
}

BOOL DrawRefRow(HWND dialog, const DRAWITEMSTRUCT* item, int left) {
    if (item->CtlType != ODT_LISTBOX || static_cast<int>(item->itemID) < 0) return FALSE;
    int objectLeft = left + kIconWidth;
    DRAWITEMSTRUCT moved = *item;
    moved.rcItem.left = item->rcItem.left + left;
    if (item->itemAction & ODA_DRAWENTIRE) {
        FillRow(item, objectLeft);
        theSnapinUtilities.DrawListItemIcon(dialog, &moved);
        RestoreColours(item);
    } else if (item->itemAction & ODA_SELECT) {
        FillRow(item, objectLeft);
        theSnapinUtilities.DrawListItemText(dialog, &moved, 1);
        RestoreColours(item);
    } else if (item->itemAction & ODA_FOCUS) {
        RECT focus = item->rcItem;
        focus.left = item->rcItem.left + objectLeft;
        DrawFocusRect(item->hDC, &focus);
    } else {
        return FALSE;
    }
    return TRUE;
}

LONG WriteCurrentObject(const std::function<LONG(DIR_CONTEXT, LPCSTR)>& write) {
    DIR_CONTEXT context = theDirectoryHelper.CreateContext();
    if (context < 0) return context;
    char object[DIR_MAX_NAME] = {};
    if (LPCSTR current = GetCurrentObjectName()) std::strncpy(object, current, sizeof object - 1);
    theAppLibrary.DereferenceAlias(context, object);
    LONG status = write(context, object);
    DirFreeContext(context);
    return status;
}

CRequestBuffer::~CRequestBuffer() {
    if (m_buffer) DirFreeBuffer(m_buffer);
}

int CRequestBuffer::Alloc(size_t size) {
    if (m_buffer) DirFreeBuffer(m_buffer);
    m_buffer = nullptr;
    return DirAllocBuffer(size, &m_buffer);
}

CObjectList::CObjectList(int listId, int deleteId, std::initializer_list<LPCSTR> classes)
    : m_listId(listId), m_deleteId(deleteId), m_classes(classes) {}

void CObjectList::Attach(CWnd* page) {
    m_pPage = page;
    DeleteRows(m_rows);
    m_list.SubclassDlgItem(m_listId, page);
    m_bModified = FALSE;
}

BOOL CObjectList::Load(DIR_CONTEXT context, LPCSTR object, LPCSTR attribute) {
    return LoadRefRows(context, object, attribute, m_list, m_rows);
}

BOOL CObjectList::Add(CString& browseContext) {
    if (!AddRefRows(m_list, m_rows, BrowseObjects(m_pPage, m_classes, browseContext))) return FALSE;
    m_bModified = TRUE;
    return TRUE;
}

BOOL CObjectList::Delete() {
    if (!RemoveSelectedRefItems(&m_list, &m_rows)) return FALSE;
    m_bModified = TRUE;
    m_pPage->GetDlgItem(m_deleteId)->EnableWindow(FALSE);
    return TRUE;
}

void CObjectList::SelChange() {
    if (m_bCanEdit) m_pPage->GetDlgItem(m_deleteId)->EnableWindow(m_list.GetSelCount() > 0);
}
