// What the pages whose lists name directory objects share (associations,
// contacts, the fault-tolerance and load-balancing lists, the applications
// of a user or container): where the object browser starts, adding the
// chosen objects as rows, drawing a row, freeing the rows, the frame of a
// save and the status a save reports.
#pragma once

#include <functional>
#include <initializer_list>
#include <vector>

#include "afxwin.h"
#include "snapin/distribution/ref_item.h"
#include "vpr/directory/client.h"

// The context the object browser starts in: the object's container (its
// name after the first "."), empty when the name holds no ".".
CString BrowseStartContext(LPCSTR objectName);

// Runs the object browser owned by `owner` for several objects of these
// classes, starting at `startContext`, which then becomes the context the
// person ended in. The chosen full names, in order.
std::vector<CString> BrowseObjects(CWnd* owner, const std::vector<LPCSTR>& classes, CString& startContext);

// Adds a list entry for the row (the row as its item data); its index.
int AddRowEntry(CListBox& list, CRefItem* row);

// Adds the chosen names to a list of rows: a new name gets a row marked
// added and an entry; a row marked deleted loses the mark and gets its
// entry back; a name listed already is ignored. TRUE when anything changed.
BOOL AddRefRows(CListBox& list, CRefItemList& rows, const std::vector<CString>& names);

// Reads a list attribute of the object into rows and entries (the context's
// tree, the launcher library's read). TRUE when the attribute was read.
BOOL LoadRefRows(DIR_CONTEXT context, LPCSTR object, LPCSTR attribute, CListBox& list, CRefItemList& rows);

// Deletes every row of the list.
void DeleteRows(CRefItemList& rows);

// Draws a row of an object list whose object part starts `left` pixels in:
// the row from left + 18 filled with the window colour (or the highlight),
// the class icon and name; a selection change fills the same area and
// redraws the name; a focus change draws the focus rectangle from
// left + 18. FALSE for a request it does not draw (no row).
BOOL DrawRefRow(HWND dialog, const DRAWITEMSTRUCT* item, int left);

// The frame of a save: a context on the host's tree, the current object's
// name with its aliases followed, the write, the context freed. The write's
// status, or the context's failure.
LONG WriteCurrentObject(const std::function<LONG(DIR_CONTEXT, LPCSTR)>& write);

// One list of directory objects on a page (associations, contacts, the
// load-balancing and fault-tolerance lists): its list box, its Delete
// button, its rows (owned: freed when the page's window goes), its
// change mark and whether the person may edit it.
class CObjectList {
public:
    CObjectList(int listId, int deleteId, std::initializer_list<LPCSTR> classes);
    ~CObjectList() { DeleteRows(m_rows); }
    CObjectList(const CObjectList&) = delete;
    CObjectList& operator=(const CObjectList&) = delete;

    // Binds the list box of the page's new window; no rows, no change yet.
    void Attach(CWnd* page);
    // Reads a list attribute into rows and entries. TRUE when it was read.
    BOOL Load(DIR_CONTEXT context, LPCSTR object, LPCSTR attribute);
    // Add: the object browser, then AddRefRows. TRUE when the list changed.
    BOOL Add(CString& browseContext);
    // Delete: RemoveSelectedRefItems; Delete is disabled. TRUE when the list changed.
    BOOL Delete();
    // Delete is enabled exactly when something is selected (when the person may edit).
    void SelChange();
    // The rows go with the page's window.
    void Close() { DeleteRows(m_rows); }
    // The list's window exists (the page was opened).
    BOOL IsShown() const { return m_list.m_hWnd && ::IsWindow(m_list.m_hWnd); }

    CListBox& List() { return m_list; }
    CRefItemList& Rows() { return m_rows; }
    int ListId() const { return m_listId; }

    BOOL m_bModified = FALSE;
    BOOL m_bCanEdit = FALSE;

private:
    int m_listId, m_deleteId;
    std::vector<LPCSTR> m_classes;
    CWnd* m_pPage = nullptr;
    CListBox m_list;
    CRefItemList m_rows;
};

// The status a save reports when it goes on past failing rows: the first
// failure it met, 0 when none.
class CFirstFailure {
public:
    // Keeps the status when it is the first failure; returns it.
    int Keep(int status) {
        if (status != 0 && m_status == 0) m_status = status;
        return status;
    }
    int Get() const { return m_status; }

private:
    int m_status = 0;
};

// A request buffer of the directory client, freed with its owner.
class CRequestBuffer {
public:
    CRequestBuffer() = default;
    ~CRequestBuffer();
    CRequestBuffer(const CRequestBuffer&) = delete;
    CRequestBuffer& operator=(const CRequestBuffer&) = delete;

    // Allocates `size` bytes: the directory status.
    int Alloc(size_t size);
    DirBuffer* get() const { return m_buffer; }

private:
    DirBuffer* m_buffer = nullptr;
};

// The size of the modify requests the pages make.
constexpr size_t kPageRequestSize = 0x4000;
