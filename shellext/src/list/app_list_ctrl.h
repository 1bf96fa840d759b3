// CAppListCtrl: the list-view control inside the shell view. One row per
// child item of the view's folder, three columns (Title, Tree, Name), the
// icon cache's image lists, label editing for renaming, sorting by column,
// the selection commands, copy and paste through the OLE clipboard, drags
// out of the view and drops onto a row. A row never holds its item: it keeps
// the item's key (and a use of its icon slot), and every operation looks the
// item up in the application cache by that key, uses it and releases it.
// Runs on the browser's thread only.
#pragma once

#include "afxwin.h"
#include "module/icon_cache.h"
#include "ole2.h"
#include "shlobj.h"

class CShellView;
class CFolderItem;
class CItemDataObject;

// The list's columns: Title, Tree and Name.
constexpr int kListColumnCount = 3;

// The record of one row, owned by the row (its item data): the item's key
// and a use of the item's icon slot, given back when the row is deleted.
class CListRow {
public:
    explicit CListRow(const CFolderItem& item);
    CString m_strKey;
    CIconRef m_icon;
};

class CAppListCtrl : public CListCtrl {
    DECLARE_DYNAMIC(CAppListCtrl)
public:
    CAppListCtrl();
    ~CAppListCtrl() override;

    // Creates the control as a child of the view's window, remembers the
    // view and hands it the icon cache's two image lists (the style should
    // hold LVS_SHAREIMAGELISTS so that the control never destroys them).
    BOOL Create(DWORD style, const RECT& rect, CShellView* view, UINT id);
    // Deletes any columns and makes Title, Tree and Name with the first
    // three widths.
    void SetColumns(const LONG* widths);
    // Appends a row for the item (display name, icon slot, the key's tree
    // and name parts); the row's index, -1 when it could not be added.
    int AddRow(CFolderItem* item);
    // Replaces the row's text when the item of `key` has another display
    // name; whether it changed.
    BOOL UpdateRowText(int row, const CString& key);
    // The cache's item of the row's key with the view's folder list as its
    // parent; row -1 gives the view's own folder item. Null when the cache
    // knows no such item. The caller releases it.
    CFolderItem* GetRowItem(int row);
    BOOL GetRowKey(int row, CString& key) const;
    // Focus to the control; exactly the rows whose key equals `key` selected.
    void SelectKey(LPCSTR key);
    // Appends the keys of the selected rows in row order; their number.
    int GetSelectedKeys(CStringArray& keys) const;
    // Each positive width of the `count` is read from (only in the details
    // and list modes) or written to the next column in turn.
    void GetColumnWidths(int count, LONG* widths) const;
    void SetColumnWidths(int count, const LONG* widths);
    // "%d Object(s) Selected " or "%d Object(s)".
    void GetStatusText(CString& text) const;
    // Sorts by the column: ascending for another column or with `restart`,
    // else the direction toggles; then the view's command states and status
    // text are brought up to date.
    void Sort(int column, BOOL restart);
    int GetSortColumn() const { return m_nSortColumn; }
    BOOL IsSortDescending() const { return m_bSortDescending; }
    // Runs an item command on the selection (or one of the list's own);
    // non-zero when something was done.
    BOOL OnCommand(UINT id);
    // A command chosen from an item's menu over the list (the list owns the
    // menu) goes to the view, which runs it as any other command; control
    // notifications (the label editor's) stay the list's.
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    // The busy state while the view waits for the cache's refresh: the
    // wait cursor from the call with TRUE to the call with FALSE.
    void SetBusy(BOOL busy);

    IDropTarget* GetDropTarget() { return &m_xDropTarget; }

protected:
    // Renders the selected keys as a data object of the view's folder;
    // null when nothing is selected.
    CItemDataObject* MakeDataObject();
    // The row under a point in the control's client coordinates, -1 none.
    int RowAt(CPoint point) const;
    // The item of the row under the cursor as it was when the click's message
    // was taken, and where (client coordinates); null when it hit no row.
    CFolderItem* ClickedItem(CPoint& at);
    // The item of the row under a screen point; null when none.
    CFolderItem* ItemAtScreenPoint(POINTL point);
    // The command steps.
    BOOL DeleteSelection();
    BOOL CopySelection();
    BOOL PasteClipboard();
    void SelectAll();
    void InvertSelection();
    void DragSelection();
    void RenameRow(int row, LPCSTR text);
    // The shell browser of the view (for the items' default commands).
    IShellBrowser* GetBrowser() const;
    static int CALLBACK CompareRows(LPARAM first, LPARAM second, LPARAM list);

    afx_msg void OnDestroy();
    afx_msg void OnClick(NMHDR* header, LRESULT* result);
    afx_msg void OnDoubleClick(NMHDR* header, LRESULT* result);
    afx_msg void OnRightClick(NMHDR* header, LRESULT* result);
    afx_msg void OnKeyDownNotify(NMHDR* header, LRESULT* result);
    afx_msg void OnItemChanged(NMHDR* header, LRESULT* result);
    afx_msg void OnColumnClick(NMHDR* header, LRESULT* result);
    afx_msg void OnBeginLabelEdit(NMHDR* header, LRESULT* result);
    afx_msg void OnEndLabelEdit(NMHDR* header, LRESULT* result);
    afx_msg void OnBeginDrag(NMHDR* header, LRESULT* result);
    afx_msg void OnDeleteItemNotify(NMHDR* header, LRESULT* result);
    // Drawing a row, reflected by the view.
    BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    void DrawRow(LPDRAWITEMSTRUCT draw);
    // The messages of an item's menu shown over the list (the list owns it):
    // the first selected row's item measures and draws its owner-drawn
    // entry. FALSE when no row is selected.
    BOOL PassMenuMessage(UINT message, WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnInitMenuPopupMessage(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnMeasureItemMessage(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnDrawItemMessage(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

    // The drop target part; lives as long as the control, so it counts
    // nothing (AddRef and Release answer 1).
    struct XDropTarget : IDropTarget {
        explicit XDropTarget(CAppListCtrl* owner) : m_pOwner(owner) {}
        CAppListCtrl* const m_pOwner;
        STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;
        STDMETHODIMP DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
        STDMETHODIMP DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
        STDMETHODIMP DragLeave() override;
        STDMETHODIMP Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    } m_xDropTarget{this};

    CShellView* m_pView = nullptr;
    WORD m_nSortColumn = 0;         // 0 Title, 1 Tree, 2 Name
    BOOL m_bSortDescending = FALSE;
    BOOL m_bOleInitialized = FALSE;
    BOOL m_bDropRegistered = FALSE;
};
