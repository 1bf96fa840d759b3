// CShellView: the right-hand pane the shell browser shows for a folder of
// the extension. A child window holding the item list (CAppListCtrl) or, when
// the extension found problems at start, a read-only text of them. It merges
// its menus and toolbar buttons into the browser, keeps the column widths and
// view mode across navigations (the 44-byte view-state record), and refills
// on the module's "RefillViewMessage". The view never holds its folder item:
// it looks the item up in the cache by the folder's key for each use.
#pragma once

#include "afxwin.h"
#include "module/shell_ext_app.h"
#include "namespace/item_id_list.h"
#include "shlobj.h"

class CAppListCtrl;
class CFolderItem;
class CShellFolder;

// {C8E7C1A4-BE26-11CF-AE84-008029EF2ECB}: the private interface through
// which a new view takes the state of the view it replaces; also the
// record's signature.
DEFINE_GUID(IID_IViewStateTransfer, 0xC8E7C1A4, 0xBE26, 0x11CF, 0xAE, 0x84, 0x00, 0x80, 0x29, 0xEF, 0x2E, 0xCB);

struct IViewStateTransfer : IUnknown {
    // Copies the view's 44-byte record into `record`; S_OK.
    STDMETHOD(GetViewState)(ViewStateRecord* record) PURE;
};

// The stored record's size, and its form in bytes (little-endian whatever
// the host's order).
constexpr int kViewStateSize = 44;
// The defaults: signature, version 3, four columns 160, 100, 150, 150.
void SetDefaultViewState(ViewStateRecord* record);
void WriteViewState(const ViewStateRecord& record, BYTE bytes[kViewStateSize]);
// Takes `count` bytes read from a stream (the rest of the record counts as
// zero): TRUE, and `record` filled, when at least one byte was read, the
// signature matches and the version is 3; else FALSE and `record` untouched.
BOOL ReadViewState(const BYTE* bytes, ULONG count, ViewStateRecord* record);

// The view's control ids and its command numbers beyond the item commands.
constexpr UINT kViewControlId = 100;
constexpr UINT kCmdSelectAll = 12;
constexpr UINT kCmdInvertSelection = 13;
constexpr UINT kCmdSortByTitle = 20;
constexpr UINT kCmdSortByTree = 21;
constexpr UINT kCmdSortByName = 22;
constexpr UINT kCmdHelpContents = 23;
constexpr UINT kCmdHelpSearch = 24;
constexpr UINT kCmdAbout = 25;
constexpr UINT kCmdClose = 40993;
constexpr UINT kCmdToolBar = 41058;
constexpr UINT kCmdStatusBar = 41059;
constexpr UINT kCmdOptions = 41060;
constexpr UINT kCmdRefresh = 41061;
// A second Refresh within this many milliseconds of the last one is ignored.
constexpr DWORD kRefreshQuietMs = 500;

class CShellView : public CWnd {
    DECLARE_DYNAMIC(CShellView)
public:
    // Takes a reference on `folder` and copies its identifier list; starts
    // from the module's last saved record. Reference count 1.
    explicit CShellView(CShellFolder* folder);
    ~CShellView() override;
    CShellView(const CShellView&) = delete;
    CShellView& operator=(const CShellView&) = delete;

    // The view's IShellView (what CreateViewObject hands out).
    IShellView* GetShellView() { return &m_shellView; }

    // What the list control and the tests use of the view.
    const CItemIdList& GetFolderIdList() const { return m_folderList; }
    // The cache's item for the folder's key, or null; the caller releases it.
    CFolderItem* GetFolderItem();
    CShellFolder* GetShellFolder() const { return m_pFolder; }
    // The browser held since CreateViewWindow (no new reference); null before.
    IShellBrowser* GetShellBrowser() const { return m_pBrowser; }
    CAppListCtrl* GetListCtrl() const { return m_pList; }
    // Menu and toolbar states from the folder item and the selection.
    void UpdateCommandStates();
    // The browser's status bar: the row counts, or "Errors." in problem mode.
    void UpdateStatusText();
    // The last UIActivate state was 1 (active without focus).
    BOOL IsActiveWithoutFocus() const { return m_nActivationState == SVUIA_ACTIVATE_NOFOCUS; }
    BOOL IsListMode() const { return m_nListMode == 1; }
    const ViewStateRecord& GetViewState() const { return m_viewState; }
    UINT GetViewMode() const { return m_nViewMode; }
    UINT GetViewFlags() const { return m_nViewFlags; }
    // The list's rows against the folder's children in the cache.
    void FillList();
    // The view mode and folder flags (FVM_ value, 0x1 auto arrange, 0x4 line up).
    void ApplyViewMode(UINT mode, UINT flags);

    // The view's reference count (shared by both interface parts).
    HRESULT QueryInterface(REFIID iid, void** object);
    ULONG AddRef();
    ULONG Release();

    // IShellView.
    HRESULT GetWindow(HWND* window);
    HRESULT TranslateAccelerator(MSG* message);
    HRESULT UIActivate(UINT state);
    HRESULT Refresh();
    HRESULT CreateViewWindow(IShellView* previous, LPCFOLDERSETTINGS settings, IShellBrowser* browser, RECT* rect,
                             HWND* window);
    HRESULT DestroyViewWindow();
    HRESULT GetCurrentInfo(LPFOLDERSETTINGS settings);
    HRESULT AddPropertySheetPages(DWORD reserved, LPFNADDPROPSHEETPAGE add, LPARAM param);
    HRESULT SaveViewState();
    HRESULT SelectItem(LPCITEMIDLIST item, UINT flags);
    HRESULT GetItemObject(UINT which, REFIID iid, LPVOID* object);

protected:
    afx_msg int OnCreate(LPCREATESTRUCTA create);
    afx_msg void OnDestroy();
    afx_msg void OnSize(UINT type, int cx, int cy);
    afx_msg void OnSetFocus(CWnd* oldWnd);
    afx_msg LRESULT OnQueryEndSession(WPARAM, LPARAM);
    afx_msg LRESULT OnRefill(WPARAM, LPARAM);
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;
    DECLARE_MESSAGE_MAP()

private:
    class CShellViewPart : public IShellView {
    public:
        explicit CShellViewPart(CShellView* view) : m_pView(view) {}
        STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;
        STDMETHODIMP GetWindow(HWND* window) override;
        STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;
        STDMETHODIMP TranslateAccelerator(MSG* message) override;
        STDMETHODIMP EnableModeless(BOOL enable) override;
        STDMETHODIMP UIActivate(UINT state) override;
        STDMETHODIMP Refresh() override;
        STDMETHODIMP CreateViewWindow(IShellView* previous, LPCFOLDERSETTINGS settings, IShellBrowser* browser,
                                      RECT* rect, HWND* window) override;
        STDMETHODIMP DestroyViewWindow() override;
        STDMETHODIMP GetCurrentInfo(LPFOLDERSETTINGS settings) override;
        STDMETHODIMP AddPropertySheetPages(DWORD reserved, LPFNADDPROPSHEETPAGE add, LPARAM param) override;
        STDMETHODIMP SaveViewState() override;
        STDMETHODIMP SelectItem(LPCITEMIDLIST item, UINT flags) override;
        STDMETHODIMP GetItemObject(UINT which, REFIID iid, LPVOID* object) override;

    private:
        CShellView* m_pView;
    };
    class CViewStateTransferPart : public IViewStateTransfer {
    public:
        explicit CViewStateTransferPart(CShellView* view) : m_pView(view) {}
        STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;
        STDMETHODIMP GetViewState(ViewStateRecord* record) override;

    private:
        CShellView* m_pView;
    };

    void LoadViewState();
    void MergeMenus();
    void RemoveMenus();
    void AddToolbarButtons();
    void OnNewPersonalFolder();
    void OnRenameCommand();
    void OnToolTipText(NMHDR* header);
    void OnListFocus();

    CShellViewPart m_shellView{this};
    CViewStateTransferPart m_viewStateTransfer{this};
    ULONG m_cRef = 1;
    CShellFolder* m_pFolder = nullptr;
    IShellBrowser* m_pBrowser = nullptr;
    HWND m_hBrowserWnd = nullptr;
    CAppListCtrl* m_pList = nullptr;
    CEdit m_problemEdit;
    int m_nListMode = 0;
    UINT m_nViewMode = FVM_ICON;
    UINT m_nViewFlags = 0x1;
    UINT m_nActivationState = SVUIA_DEACTIVATE;
    CMenu m_sharedMenu;
    ViewStateRecord m_viewState;
    CItemIdList m_folderList;
    DWORD m_dwLastRefreshTick = 0;
    BOOL m_bRefreshed = FALSE;
};
