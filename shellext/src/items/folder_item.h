// CFolderItem: the object behind every entry the extension shows (the
// name-space root, a directory tree, a folder, an application). One object
// answers the shell's per-item interfaces through nested interface parts
// (icons in both widths, the context menu, the drop target, the property
// sheet extension) that all share its one reference count, and carries the
// extension's own operations that the folder, the views and the tray call.
// Every item counts in the module's live-object count while it exists.
#pragma once

#include <atomic>

#include "afxwin.h"
#include "module/icon_cache.h"
#include "namespace/item_id_list.h"
#include "ole2.h"
#include "shlobj.h"

// Item command numbers, offsets from the first identifier a menu's caller
// assigns; the items, the view, the list control and the tray share them.
enum ItemCommand : UINT {
    kCmdOpen = 0,
    kCmdExplore = 1,
    kCmdNewPersonalFolder = 2,
    kCmdVerify = 3,
    kCmdCreateShortcut = 4,
    kCmdDelete = 5,
    kCmdRename = 6,
    kCmdProperties = 7,
    kCmdCut = 8,
    kCmdCopy = 9,
    kCmdPaste = 10,
    kCmdLargeIcons = 14,
    kCmdSmallIcons = 15,
    kCmdList = 16,
    kCmdDetails = 17,
    kCmdAutoArrange = 18,
    kCmdLineUpIcons = 19,
};

// Flag bit of an item in the user's personal folders.
constexpr DWORD kPersonalItem = 0x80000000;

// Show flags of Open: the verb "Open" or "Explore".
constexpr UINT kOpenShow = 0x10;
constexpr UINT kExploreShow = 0x20;

// The menu text (string 10200 + number) and help text of a command; FALSE
// (and an empty text) for a number without one.
BOOL GetItemCommandText(UINT command, BOOL helpText, CString& text);

// Copies text into a buffer of `size` bytes, cut before a character that
// does not fit whole; always terminated when size > 0.
void CopyItemText(LPSTR buffer, UINT size, LPCSTR text);

class CFolderItem : public CObject {
    DECLARE_DYNAMIC(CFolderItem)
public:
    // The full constructor: key = first part + second part (empty without a
    // first part), own list from the key; an icon handle goes into the icon
    // cache, else the default folder icon (the personal one for bit 31).
    CFolderItem(LPCSTR firstPart, LPCSTR secondPart, DWORD flags, LPCSTR displayName, HICON icon);
    // Key, name, flags, icon, parent and own list copied; reference count 1.
    CFolderItem(const CFolderItem& other);
    CFolderItem();
    ~CFolderItem() override;
    CFolderItem& operator=(const CFolderItem&) = delete;

    // The item's own reference count, shared by every interface part.
    HRESULT QueryInterface(REFIID iid, void** object);
    ULONG AddRef();
    ULONG Release();
    // The item's IUnknown (its context menu part).
    IUnknown* GetUnknown();

    // The extension's own operations, in this order.
    virtual int AddSheetPages(CPropertySheet* sheet);
    virtual DWORD GetAttributes();
    virtual void GetDisplayName(UINT nameFlags, LPSTR buffer, UINT size);
    virtual void OnClick(int x, int y, HWND listControl);
    // The view is given by its window and its shell browser.
    virtual void DoDefaultCommand(int x, int y, HWND view, IShellBrowser* browser);
    virtual void ShowContextMenu(int x, int y, HWND view);
    virtual void OnHook(int, int, int);  // no caller; keeps its place
    virtual void DoDefaultCommandFor(HWND view, IShellBrowser* browser);
    virtual BOOL OnCommand(UINT command, HWND owner);
    virtual void Open(UINT showFlags);
    virtual void CreateShortcut(const CItemIdList& list, LPCSTR description, LPCSTR path);
    virtual void ShowProperties(HWND owner);
    virtual int Compare(CFolderItem* other, int column, BOOL descending);
    virtual BOOL Rename(LPCSTR newName);
    virtual BOOL Delete(LPCSTR parentKey, BOOL askFirst);

    // What the interface parts do; subclasses replace some.
    virtual HRESULT QueryContextMenu(HMENU menu, UINT position, UINT firstId, UINT lastId, UINT flags);
    virtual HRESULT InvokeCommand(LPCMINVOKECOMMANDINFO info);
    virtual HRESULT GetCommandString(UINT_PTR command, UINT type, LPSTR buffer, UINT size);
    virtual HRESULT HandleMenuMsg(UINT message, WPARAM wParam, LPARAM lParam);
    virtual HRESULT GetIconLocation(UINT flags, LPSTR file, UINT size, int* index, UINT* outFlags);
    virtual HRESULT GetIconLocation(UINT flags, LPWSTR file, UINT size, int* index, UINT* outFlags);
    virtual HRESULT Extract(HICON* large, HICON* small, UINT sizes);
    virtual HRESULT DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect);
    virtual HRESULT DragOver(DWORD keyState, POINTL point, DWORD* effect);
    virtual HRESULT DragLeave();
    virtual HRESULT Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect);
    virtual HRESULT AddPages(LPFNADDPROPSHEETPAGE add, LPARAM param);

    // Whole key, text before the first TAB, text after it (each may be null).
    void SplitKey(CString* key, CString* first, CString* second) const;
    void SetParentIdList(const CItemIdList& list) { m_parentList = list; }
    void GetDisplayText(CString& text) const { text = m_strDisplayName; }
    // The parent list followed by the own list.
    CItemIdList GetAbsoluteIdList() const;

    const CString& GetKey() const { return m_strKey; }
    const CString& GetName() const { return m_strDisplayName; }
    DWORD GetFlags() const { return m_dwFlags; }
    BOOL IsPersonal() const { return (m_dwFlags & kPersonalItem) != 0; }
    const CIconRef& GetIcon() const { return m_icon; }
    const CItemIdList& GetParentIdList() const { return m_parentList; }
    const CItemIdList& GetOwnIdList() const { return m_ownList; }

protected:
    // Inserts one command (plain or owner-drawn); returns 1.
    UINT InsertCommand(HMENU menu, UINT position, UINT firstId, UINT command, BOOL ownerDrawn);
    void InsertSeparator(HMENU menu, UINT position);
    // Open and Explore in the order of the menu's kind, the first the default;
    // advances `at` past them and answers how many went in.
    UINT InsertOpenAndExplore(HMENU menu, UINT& at, UINT firstId, UINT flags);
    // Sets the key and rebuilds the own list from it (a rename).
    void SetKey(const CString& key);
    // Makes a shell page of a class-library page and hands it to the add
    // function; a page refused (or not made) is destroyed.
    static void AddShellPage(CPropertyPage* page, LPFNADDPROPSHEETPAGE add, LPARAM param);

    // The nested interface parts; each passes IUnknown to the item.
    struct XExtractIconA : IExtractIconA {
        explicit XExtractIconA(CFolderItem* owner) : m_pOwner(owner) {}
        CFolderItem* const m_pOwner;
        STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;
        STDMETHODIMP GetIconLocation(UINT flags, LPSTR file, UINT size, int* index, UINT* outFlags) override;
        STDMETHODIMP Extract(LPCSTR file, UINT index, HICON* large, HICON* small, UINT sizes) override;
    } m_xExtractIconA{this};
    struct XExtractIconW : IExtractIconW {
        explicit XExtractIconW(CFolderItem* owner) : m_pOwner(owner) {}
        CFolderItem* const m_pOwner;
        STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;
        STDMETHODIMP GetIconLocation(UINT flags, LPWSTR file, UINT size, int* index, UINT* outFlags) override;
        STDMETHODIMP Extract(LPCWSTR file, UINT index, HICON* large, HICON* small, UINT sizes) override;
    } m_xExtractIconW{this};
    struct XContextMenu : IContextMenu2 {
        explicit XContextMenu(CFolderItem* owner) : m_pOwner(owner) {}
        CFolderItem* const m_pOwner;
        STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;
        STDMETHODIMP QueryContextMenu(HMENU menu, UINT index, UINT first, UINT last, UINT flags) override;
        STDMETHODIMP InvokeCommand(LPCMINVOKECOMMANDINFO info) override;
        STDMETHODIMP GetCommandString(UINT_PTR command, UINT type, UINT* reserved, LPSTR name, UINT size) override;
        STDMETHODIMP HandleMenuMsg(UINT message, WPARAM wParam, LPARAM lParam) override;
    } m_xContextMenu{this};
    struct XDropTarget : IDropTarget {
        explicit XDropTarget(CFolderItem* owner) : m_pOwner(owner) {}
        CFolderItem* const m_pOwner;
        STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;
        STDMETHODIMP DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
        STDMETHODIMP DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
        STDMETHODIMP DragLeave() override;
        STDMETHODIMP Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    } m_xDropTarget{this};
    struct XShellPropSheetExt : IShellPropSheetExt {
        explicit XShellPropSheetExt(CFolderItem* owner) : m_pOwner(owner) {}
        CFolderItem* const m_pOwner;
        STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;
        STDMETHODIMP AddPages(LPFNADDPROPSHEETPAGE add, LPARAM param) override;
        STDMETHODIMP ReplacePage(UINT page, LPFNADDPROPSHEETPAGE replace, LPARAM param) override;
    } m_xShellPropSheetExt{this};

    CString m_strKey;
    CString m_strDisplayName;
    DWORD m_dwFlags = 0;
    CIconRef m_icon;
    CItemIdList m_parentList;
    CItemIdList m_ownList;
    // Shared by the threads that hold copies of the cache's instance.
    std::atomic<LONG> m_nRefs{1};
};

// The hash of the cache's item map: the first character's code plus 65536
// times the second's, each a signed byte (a missing one counts 0), taken as
// an unsigned number modulo the bucket count.
UINT ItemKeyHash(LPCSTR key, UINT buckets);

// Releases items from the last to the first.
void ReleaseItems(CFolderItem** items, int count);
