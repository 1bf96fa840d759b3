// The shell's objects and calls: item identifier lists, the special
// folders, change notifications and the shell's task allocator.
#pragma once

#include "objbase.h"
#include "ole2.h"
#include "prsht.h"
#include "commctrl.h"

#pragma pack(push, 1)
// One item of an identifier list: its byte count (the count's own two bytes
// included), then its data. A list ends with a count of 0.
typedef struct _SHITEMID {
    USHORT cb;
    BYTE abID[1];
} SHITEMID, *LPSHITEMID;
typedef const SHITEMID* LPCSHITEMID;

typedef struct _ITEMIDLIST {
    SHITEMID mkid;
} ITEMIDLIST, *LPITEMIDLIST;
typedef const ITEMIDLIST* LPCITEMIDLIST;
#pragma pack(pop)

// Special folders.
#define CSIDL_DESKTOP 0x0000
#define CSIDL_PROGRAMS 0x0002
#define CSIDL_STARTMENU 0x000B
#define CSIDL_DESKTOPDIRECTORY 0x0010
#define CSIDL_COMMON_STARTMENU 0x0016
#define CSIDL_COMMON_PROGRAMS 0x0017
#define CSIDL_COMMON_DESKTOPDIRECTORY 0x0019

STDAPI SHGetMalloc(LPMALLOC* malloc);
// A fresh list from the task allocator: the desktop is the empty list, a
// folder of the file system one item per path component.
STDAPI SHGetSpecialFolderLocation(HWND owner, int folder, LPITEMIDLIST* list);
// The file-system path of a list (at least MAX_PATH bytes); FALSE and an
// empty text for a list that names no file-system object. The empty list
// is the desktop directory.
STDAPI_(BOOL) SHGetPathFromIDListA(LPCITEMIDLIST list, LPSTR path);

// Change notifications.
#define SHCNE_RENAMEITEM 0x00000001L
#define SHCNE_CREATE 0x00000002L
#define SHCNE_DELETE 0x00000004L
#define SHCNE_MKDIR 0x00000008L
#define SHCNE_RMDIR 0x00000010L
#define SHCNE_MEDIAINSERTED 0x00000020L
#define SHCNE_MEDIAREMOVED 0x00000040L
#define SHCNE_DRIVEREMOVED 0x00000080L
#define SHCNE_DRIVEADD 0x00000100L
#define SHCNE_NETSHARE 0x00000200L
#define SHCNE_NETUNSHARE 0x00000400L
#define SHCNE_ATTRIBUTES 0x00000800L
#define SHCNE_UPDATEDIR 0x00001000L
#define SHCNE_UPDATEITEM 0x00002000L
#define SHCNE_SERVERDISCONNECT 0x00004000L
#define SHCNE_UPDATEIMAGE 0x00008000L
#define SHCNE_DRIVEADDGUI 0x00010000L
#define SHCNE_RENAMEFOLDER 0x00020000L
#define SHCNE_FREESPACE 0x00040000L
#define SHCNE_ASSOCCHANGED 0x08000000L
#define SHCNE_ALLEVENTS 0x7FFFFFFFL

#define SHCNF_IDLIST 0x0000
#define SHCNF_PATHA 0x0001
#define SHCNF_PRINTERA 0x0002
#define SHCNF_DWORD 0x0003
#define SHCNF_PATH SHCNF_PATHA
#define SHCNF_TYPE 0x00FF
#define SHCNF_FLUSH 0x1000
#define SHCNF_FLUSHNOWAIT 0x2000

// Tells the shell that something changed; recorded in the machine's journal
// and handed to the running shell. A flush returns once the shell has queued
// the notification; it never waits for a window's thread.
STDAPI_(void) SHChangeNotify(LONG event, UINT flags, LPCVOID item1, LPCVOID item2);

// The shell's interfaces, in their documented slot order.
DEFINE_GUID(IID_IShellFolder, 0x000214E6, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IPersistFolder, 0x000214EA, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IShellExtInit, 0x000214E8, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IShellView, 0x000214E3, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IShellBrowser, 0x000214E2, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IEnumIDList, 0x000214F2, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IExtractIconA, 0x000214EB, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IExtractIconW, 0x000214FA, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IContextMenu, 0x000214E4, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IContextMenu2, 0x000214F4, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IShellPropSheetExt, 0x000214E9, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(IID_IShellLinkA, 0x000214EE, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(CLSID_ShellLink, 0x00021401, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
DEFINE_GUID(CLSID_ShellDesktop, 0x00021400, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);

// Display names and attributes.
#define STRRET_WSTR 0x0000
#define STRRET_OFFSET 0x0001
#define STRRET_CSTR 0x0002
typedef struct _STRRET {
    UINT uType;
    union {
        LPWSTR pOleStr;
        UINT uOffset;
        char cStr[MAX_PATH];
    };
} STRRET, *LPSTRRET;

#define SHGDN_NORMAL 0x0000
#define SHGDN_INFOLDER 0x0001
#define SHGDN_INCLUDE_NONFILESYS 0x2000
#define SHGDN_FORADDRESSBAR 0x4000
#define SHGDN_FORPARSING 0x8000

#define SFGAO_CANCOPY 0x00000001L
#define SFGAO_CANMOVE 0x00000002L
#define SFGAO_CANLINK 0x00000004L
#define SFGAO_CANRENAME 0x00000010L
#define SFGAO_CANDELETE 0x00000020L
#define SFGAO_HASPROPSHEET 0x00000040L
#define SFGAO_DROPTARGET 0x00000100L
#define SFGAO_LINK 0x00010000L
#define SFGAO_SHARE 0x00020000L
#define SFGAO_READONLY 0x00040000L
#define SFGAO_GHOSTED 0x00080000L
#define SFGAO_FILESYSANCESTOR 0x10000000L
#define SFGAO_FOLDER 0x20000000L
#define SFGAO_FILESYSTEM 0x40000000L
#define SFGAO_HASSUBFOLDER 0x80000000L
#define SFGAO_CONTENTSMASK 0x80000000L
#define SFGAO_VALIDATE 0x01000000L
#define SFGAO_REMOVABLE 0x02000000L

#define SHCONTF_FOLDERS 0x0020
#define SHCONTF_NONFOLDERS 0x0040
#define SHCONTF_INCLUDEHIDDEN 0x0080

struct IEnumIDList : IUnknown {
    STDMETHOD(Next)(ULONG count, LPITEMIDLIST* lists, ULONG* fetched) PURE;
    STDMETHOD(Skip)(ULONG count) PURE;
    STDMETHOD(Reset)() PURE;
    STDMETHOD(Clone)(IEnumIDList** clone) PURE;
};
typedef IEnumIDList* LPENUMIDLIST;

struct IBindCtx;
struct IShellFolder : IUnknown {
    STDMETHOD(ParseDisplayName)(HWND owner, IBindCtx* bind, LPOLESTR name, ULONG* eaten, LPITEMIDLIST* list,
                                ULONG* attributes) PURE;
    STDMETHOD(EnumObjects)(HWND owner, DWORD flags, LPENUMIDLIST* items) PURE;
    STDMETHOD(BindToObject)(LPCITEMIDLIST list, IBindCtx* bind, REFIID iid, LPVOID* object) PURE;
    STDMETHOD(BindToStorage)(LPCITEMIDLIST list, IBindCtx* bind, REFIID iid, LPVOID* object) PURE;
    STDMETHOD(CompareIDs)(LPARAM column, LPCITEMIDLIST first, LPCITEMIDLIST second) PURE;
    STDMETHOD(CreateViewObject)(HWND owner, REFIID iid, LPVOID* object) PURE;
    STDMETHOD(GetAttributesOf)(UINT count, LPCITEMIDLIST* lists, ULONG* attributes) PURE;
    STDMETHOD(GetUIObjectOf)(HWND owner, UINT count, LPCITEMIDLIST* lists, REFIID iid, UINT* reserved,
                             LPVOID* object) PURE;
    STDMETHOD(GetDisplayNameOf)(LPCITEMIDLIST list, DWORD flags, LPSTRRET name) PURE;
    STDMETHOD(SetNameOf)(HWND owner, LPCITEMIDLIST list, LPCOLESTR name, DWORD flags, LPITEMIDLIST* newList) PURE;
};
typedef IShellFolder* LPSHELLFOLDER;

struct IPersistFolder : IPersist {
    STDMETHOD(Initialize)(LPCITEMIDLIST list) PURE;
};

struct HKEY__;
struct IShellExtInit : IUnknown {
    STDMETHOD(Initialize)(LPCITEMIDLIST folder, LPDATAOBJECT data, HKEY key) PURE;
};

typedef BOOL(CALLBACK* LPFNADDPROPSHEETPAGE)(HPROPSHEETPAGE page, LPARAM param);
struct IShellPropSheetExt : IUnknown {
    STDMETHOD(AddPages)(LPFNADDPROPSHEETPAGE add, LPARAM param) PURE;
    STDMETHOD(ReplacePage)(UINT page, LPFNADDPROPSHEETPAGE replace, LPARAM param) PURE;
};

// Icons.
#define GIL_OPENICON 0x0001
#define GIL_FORSHELL 0x0002
#define GIL_SIMULATEDOC 0x0001
#define GIL_PERINSTANCE 0x0002
#define GIL_PERCLASS 0x0004
#define GIL_NOTFILENAME 0x0008
#define GIL_DONTCACHE 0x0010
struct IExtractIconA : IUnknown {
    STDMETHOD(GetIconLocation)(UINT flags, LPSTR file, UINT size, int* index, UINT* outFlags) PURE;
    STDMETHOD(Extract)(LPCSTR file, UINT index, HICON* large, HICON* small, UINT sizes) PURE;
};
struct IExtractIconW : IUnknown {
    STDMETHOD(GetIconLocation)(UINT flags, LPWSTR file, UINT size, int* index, UINT* outFlags) PURE;
    STDMETHOD(Extract)(LPCWSTR file, UINT index, HICON* large, HICON* small, UINT sizes) PURE;
};

// Context menus.
#define CMF_NORMAL 0x00000000
#define CMF_DEFAULTONLY 0x00000001
#define CMF_VERBSONLY 0x00000002
#define CMF_EXPLORE 0x00000004
#define CMF_NOVERBS 0x00000008
#define CMF_CANRENAME 0x00000010
#define CMF_NODEFAULT 0x00000020
#define CMF_INCLUDESTATIC 0x00000040
#define CMF_RESERVED 0xFFFF0000
#define GCS_VERBA 0x00000000
#define GCS_HELPTEXTA 0x00000001
#define GCS_VALIDATEA 0x00000002
#define GCS_VERBW 0x00000004
#define GCS_HELPTEXTW 0x00000005
#define CMIC_MASK_FLAG_NO_UI 0x00000400
typedef struct _CMINVOKECOMMANDINFO {
    DWORD cbSize;
    DWORD fMask;
    HWND hwnd;
    LPCSTR lpVerb;  // a verb, or MAKEINTRESOURCE of the command offset
    LPCSTR lpParameters;
    LPCSTR lpDirectory;
    int nShow;
    DWORD dwHotKey;
    HANDLE hIcon;
} CMINVOKECOMMANDINFO, *LPCMINVOKECOMMANDINFO;

struct IContextMenu : IUnknown {
    STDMETHOD(QueryContextMenu)(HMENU menu, UINT index, UINT firstCommand, UINT lastCommand, UINT flags) PURE;
    STDMETHOD(InvokeCommand)(LPCMINVOKECOMMANDINFO info) PURE;
    STDMETHOD(GetCommandString)(UINT_PTR command, UINT type, UINT* reserved, LPSTR name, UINT size) PURE;
};
typedef IContextMenu* LPCONTEXTMENU;
struct IContextMenu2 : IContextMenu {
    STDMETHOD(HandleMenuMsg)(UINT message, WPARAM wParam, LPARAM lParam) PURE;
};

// Views and browsers.
typedef struct {
    UINT ViewMode;
    UINT fFlags;
} FOLDERSETTINGS, *LPFOLDERSETTINGS;
typedef const FOLDERSETTINGS* LPCFOLDERSETTINGS;
#define FVM_ICON 1
#define FVM_SMALLICON 2
#define FVM_LIST 3
#define FVM_DETAILS 4

#define SVUIA_DEACTIVATE 0
#define SVUIA_ACTIVATE_NOFOCUS 1
#define SVUIA_ACTIVATE_FOCUS 2
#define SVUIA_INPLACEACTIVATE 3

#define SVSI_DESELECT 0x0000
#define SVSI_SELECT 0x0001
#define SVSI_EDIT 0x0003
#define SVSI_DESELECTOTHERS 0x0004
#define SVSI_ENSUREVISIBLE 0x0008
#define SVSI_FOCUSED 0x0010

#define SVGIO_BACKGROUND 0x00000000
#define SVGIO_SELECTION 0x00000001
#define SVGIO_ALLVIEW 0x00000002

typedef LPARAM LPTBBUTTONSB;
struct IShellBrowser;
typedef void* LPFNSVADDPROPSHEETPAGE;

struct IShellView : IOleWindow {
    STDMETHOD(TranslateAccelerator)(MSG* message) PURE;
    STDMETHOD(EnableModeless)(BOOL enable) PURE;
    STDMETHOD(UIActivate)(UINT state) PURE;
    STDMETHOD(Refresh)() PURE;
    STDMETHOD(CreateViewWindow)(IShellView* previous, LPCFOLDERSETTINGS settings, IShellBrowser* browser,
                                RECT* rect, HWND* window) PURE;
    STDMETHOD(DestroyViewWindow)() PURE;
    STDMETHOD(GetCurrentInfo)(LPFOLDERSETTINGS settings) PURE;
    STDMETHOD(AddPropertySheetPages)(DWORD reserved, LPFNADDPROPSHEETPAGE add, LPARAM param) PURE;
    STDMETHOD(SaveViewState)() PURE;
    STDMETHOD(SelectItem)(LPCITEMIDLIST item, UINT flags) PURE;
    STDMETHOD(GetItemObject)(UINT item, REFIID iid, LPVOID* object) PURE;
};
typedef IShellView* LPSHELLVIEW;

// Where a browser is asked to go.
#define SBSP_DEFBROWSER 0x0000
#define SBSP_SAMEBROWSER 0x0001
#define SBSP_NEWBROWSER 0x0002
#define SBSP_DEFMODE 0x0000
#define SBSP_OPENMODE 0x0010
#define SBSP_EXPLOREMODE 0x0020
#define SBSP_ABSOLUTE 0x0000
#define SBSP_RELATIVE 0x1000
#define SBSP_PARENT 0x2000

// The browser's controls.
#define FCW_STATUS 0x0001
#define FCW_TOOLBAR 0x0002
#define FCW_TREE 0x0003

#define FCT_MERGE 0x0001
#define FCT_CONFIGABLE 0x0002
#define FCT_ADDTOEND 0x0004

// The browser's menu: the pop-ups' positions and command ranges a view merges into.
#define FCIDM_SHVIEWFIRST 0x0000
#define FCIDM_SHVIEWLAST 0x7FFF
#define FCIDM_BROWSERFIRST 0xA000
#define FCIDM_BROWSERLAST 0xBF00
#define FCIDM_GLOBALFIRST 0x8000
#define FCIDM_GLOBALLAST 0x9FFF
#define FCIDM_MENU_FILE (FCIDM_GLOBALFIRST + 0x0000)
#define FCIDM_MENU_EDIT (FCIDM_GLOBALFIRST + 0x0040)
#define FCIDM_MENU_VIEW (FCIDM_GLOBALFIRST + 0x0080)
#define FCIDM_MENU_VIEW_SEP_OPTIONS (FCIDM_GLOBALFIRST + 0x0081)
#define FCIDM_MENU_TOOLS (FCIDM_GLOBALFIRST + 0x00C0)
#define FCIDM_MENU_TOOLS_SEP_GOTO (FCIDM_GLOBALFIRST + 0x00C1)
#define FCIDM_MENU_HELP (FCIDM_GLOBALFIRST + 0x0100)
#define FCIDM_MENU_FIND (FCIDM_GLOBALFIRST + 0x0140)
#define FCIDM_MENU_EXPLORE (FCIDM_GLOBALFIRST + 0x0150)
#define FCIDM_MENU_FAVORITES (FCIDM_GLOBALFIRST + 0x0170)
#define FCIDM_TOOLBAR (FCIDM_BROWSERFIRST + 0)
#define FCIDM_STATUS (FCIDM_BROWSERFIRST + 1)

typedef struct _OLEMENUGROUPWIDTHS {
    LONG width[6];
} OLEMENUGROUPWIDTHS, *LPOLEMENUGROUPWIDTHS;

struct IShellBrowser : IOleWindow {
    STDMETHOD(InsertMenusSB)(HMENU shared, LPOLEMENUGROUPWIDTHS widths) PURE;
    STDMETHOD(SetMenuSB)(HMENU shared, HANDLE reserved, HWND activeObject) PURE;
    STDMETHOD(RemoveMenusSB)(HMENU shared) PURE;
    STDMETHOD(SetStatusTextSB)(LPCOLESTR text) PURE;
    STDMETHOD(EnableModelessSB)(BOOL enable) PURE;
    STDMETHOD(TranslateAcceleratorSB)(MSG* message, WORD id) PURE;
    STDMETHOD(BrowseObject)(LPCITEMIDLIST list, UINT flags) PURE;
    STDMETHOD(GetViewStateStream)(DWORD mode, IStream** stream) PURE;
    STDMETHOD(GetControlWindow)(UINT id, HWND* window) PURE;
    STDMETHOD(SendControlMsg)(UINT id, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) PURE;
    STDMETHOD(QueryActiveShellView)(IShellView** view) PURE;
    STDMETHOD(OnViewWindowActive)(IShellView* view) PURE;
    STDMETHOD(SetToolbarItems)(LPTBBUTTON buttons, UINT count, UINT flags) PURE;
};
typedef IShellBrowser* LPSHELLBROWSER;

// The shell link object.
#define SLGP_SHORTPATH 0x0001
#define SLGP_UNCPRIORITY 0x0002
#define SLGP_RAWPATH 0x0004
#define SLR_NO_UI 0x0001
struct IShellLinkA : IUnknown {
    STDMETHOD(GetPath)(LPSTR file, int size, WIN32_FIND_DATAA* data, DWORD flags) PURE;
    STDMETHOD(GetIDList)(LPITEMIDLIST* list) PURE;
    STDMETHOD(SetIDList)(LPCITEMIDLIST list) PURE;
    STDMETHOD(GetDescription)(LPSTR name, int size) PURE;
    STDMETHOD(SetDescription)(LPCSTR name) PURE;
    STDMETHOD(GetWorkingDirectory)(LPSTR dir, int size) PURE;
    STDMETHOD(SetWorkingDirectory)(LPCSTR dir) PURE;
    STDMETHOD(GetArguments)(LPSTR args, int size) PURE;
    STDMETHOD(SetArguments)(LPCSTR args) PURE;
    STDMETHOD(GetHotkey)(WORD* hotkey) PURE;
    STDMETHOD(SetHotkey)(WORD hotkey) PURE;
    STDMETHOD(GetShowCmd)(int* show) PURE;
    STDMETHOD(SetShowCmd)(int show) PURE;
    STDMETHOD(GetIconLocation)(LPSTR iconPath, int size, int* icon) PURE;
    STDMETHOD(SetIconLocation)(LPCSTR iconPath, int icon) PURE;
    STDMETHOD(SetRelativePath)(LPCSTR relativePath, DWORD reserved) PURE;
    STDMETHOD(Resolve)(HWND window, DWORD flags) PURE;
    STDMETHOD(SetPath)(LPCSTR file) PURE;
};
typedef IShellLinkA* LPSHELLLINKA;
#define IShellLink IShellLinkA
#define IID_IShellLink IID_IShellLinkA

// Data formats the shell exchanges.
#define CFSTR_SHELLIDLIST "Shell IDList Array"
#pragma pack(push, 1)
// Parent list and child lists of a set of items: cidl, then cidl + 1 offsets
// from the start of the block (the parent's first), then the lists.
typedef struct _IDA {
    UINT cidl;
    UINT aoffset[1];
} CIDA, *LPIDA;
#pragma pack(pop)

STDAPI SHGetDesktopFolder(LPSHELLFOLDER* folder);
