// QRADM32: the support library that the administration host KMAdmin offers
// its snap-in modules, and the contract between the host and a module.
//
// A snap-in module exports `InitSnapin` and `ShutDown`; during InitSnapin it
// registers Tools list items (HostRegisterMenu) and directory object classes
// (HostRegisterObjectType). The host then talks to each class through its
// callback with the codes below and to each item through its two exports.
//
// Records exchanged as bytes (selection and chosen-object records) are plain
// character arrays at fixed offsets; everything else is an in-memory record
// with native pointer sizes.
#pragma once

#include "windows.h"

// Class callback codes, host to module.
#define SNAPIN_CREATE_PAGES 0x100   // once per class, when it is registered
#define SNAPIN_DELETE_PAGES 0x101   // once per class, before ShutDown
#define SNAPIN_CREATE_OBJECT 0x102  // data: the context; p3: char[514] for the new name
#define SNAPIN_OPEN_DETAILS 0x103   // data: the object's name; result: page count
#define SNAPIN_GET_PAGE 0x104       // p3: page index; p4: SnapinPageRecord*
#define SNAPIN_SAVE_PAGES 0x106     // the user pressed OK; 0 or -1
#define SNAPIN_CLASS_FLAGS 0x110    // result: the class flags
#define SNAPIN_CLOSE_DETAILS 0x111  // the details dialog is closing

// Results of SNAPIN_CREATE_OBJECT.
#define SNAPIN_CREATED 0         // nothing more to do (also: cancelled)
#define SNAPIN_CREATED_DETAILS 2  // open the new object's details
#define SNAPIN_CREATED_ANOTHER 3  // the user wants to create another one

// Page messages: window messages of a page's dialog window.
#define PGM_SETMODIFIED 0x520  // page to host: lParam high word 1 modified, 0 not
#define PGM_CANCLOSE 0x521     // host to page: may it be left? (the page's dialog procedure answers)
#define PGM_HELP 0x539         // host to page: show help

// Tools item states (MenuValid).
#define SNAPIN_MENU_ENABLED 0
#define SNAPIN_MENU_GRAYED 3

// The version word modules pass at registration.
#define SNAPIN_INTERFACE_VERSION 0x01010000

// Object browse callback codes, host to module.
#define BROWSE_HOST_VALUE 512     // a: the host's value
#define BROWSE_OBJECT_CHOSEN 513  // b: SnapinObjectRecord* of a chosen object
#define BROWSE_FILTER_COUNT 514   // a: DWORD* to receive the number of class filters
#define BROWSE_FILTER 515         // a: filter index; b: char[66] to receive the class name

// Sizes of the texts exchanged.
#define SNAPIN_NAME_SIZE 514         // full object names and contexts
#define SNAPIN_CLASS_NAME_SIZE 66    // class names
#define SNAPIN_TREE_NAME_SIZE 68     // tree names (HostGetCurrentContext)
#define SNAPIN_BROWSE_BUFFER_SIZE 516

// A selected or chosen object: 646 bytes. Bytes 0-65 the tree name, 66-131
// the class name, 132-645 the full name, each zero-terminated.
#define SNAPIN_RECORD_TREE 0
#define SNAPIN_RECORD_CLASS 66
#define SNAPIN_RECORD_NAME 132
#define SNAPIN_RECORD_SIZE 646
typedef struct SnapinObjectRecord {
    char bytes[SNAPIN_RECORD_SIZE];
} SnapinObjectRecord;

// One property page of a class, as the class hands it to the host (code
// 0x104): the host makes the page's dialog from `dialogTemplate` in
// `instance` (a number made with MAKEINTRESOURCE, or a name), with
// `dialogProc` as its dialog procedure and `initParam` as the lParam of its
// WM_INITDIALOG; `title` is the tab's text.
typedef struct SnapinPageRecord {
    DLGPROC dialogProc;
    HINSTANCE instance;
    LPCSTR dialogTemplate;
    LPCSTR title;
    LPARAM initParam;
} SnapinPageRecord;

typedef LONG(CALLBACK* SnapinClassCallBack)(char* data, WORD code, ULONG_PTR p3, ULONG_PTR p4);
typedef void(CALLBACK* SnapinMenuAction)(void);
typedef void(CALLBACK* SnapinMenuValid)(unsigned* state);
typedef LONG(CALLBACK* SnapinBrowseCallBack)(void* browser, UINT code, ULONG_PTR a, ULONG_PTR b);
typedef LONG(CALLBACK* SnapinInitSnapin)(void);
typedef LONG(CALLBACK* SnapinShutDown)(void);

#ifdef __cplusplus
extern "C" {
#endif

// Every call returns 0 on success and -1 when the host refuses it (no host
// running, a missing or unknown argument).

// A Tools list item: the host writes its command id to *menuId and calls
// `valid` to learn the item's state, `action` when the user chooses it.
LONG WINAPI HostRegisterMenu(LPCSTR menuName, DWORD reserved1, DWORD reserved2, DWORD reserved3, UINT* menuId,
                             LPCSTR text, LPCSTR hint, SnapinMenuAction action, SnapinMenuValid valid,
                             DWORD version);
// A directory object class served by the module. The host sends the class
// code 0x100 before this call returns, then asks its flags (0x110).
LONG WINAPI HostRegisterObjectType(LPCSTR nameSpace, LPCSTR className, LPCSTR moduleName, HINSTANCE instance,
                                   SnapinClassCallBack callBack, DWORD version);
LONG WINAPI HostRegisterObjectTypeBitmaps(LPCSTR className, LPCSTR displayText, HBITMAP normal, HBITMAP alias,
                                          HBITMAP readOnly);
HWND WINAPI HostGetMainWindow(void);
LONG WINAPI HostGetSelectionCount(DWORD* count);
// Fills the record of selected object `index`; an index past the selection
// gives -1 and a record of zeros.
LONG WINAPI HostGetSelectedObject(DWORD index, SnapinObjectRecord* record);
// The current tree (68 bytes) and context (514 bytes).
LONG WINAPI HostGetCurrentContext(char* tree, char* context);
// The object browse dialog. The host asks the callback for its class filters
// (514, 515), lets the user pick objects, reports each chosen object once
// (513) and leaves in `start` (516 bytes, a context to start in) the context
// where the user ended. Returns when the dialog is closed: 0 after OK, -1
// when cancelled. Flag 8 lets several objects be picked.
LONG WINAPI HostBrowseObjects(HWND owner, void* browser, char* start, LPCSTR text1, LPCSTR text2, LPCSTR text3,
                              DWORD flags, SnapinBrowseCallBack callBack);
// The same with a second 516-byte name buffer, which also receives the
// context where the user ended.
LONG WINAPI HostBrowseObjectsEx(HWND owner, void* browser, char* start, char* second, LPCSTR text1, LPCSTR text2,
                                LPCSTR text3, DWORD flags, SnapinBrowseCallBack callBack);
// The normal bitmap of a class (registered by a module, or one of the host's
// own classes).
LONG WINAPI HostGetClassBitmap(LPCSTR className, HBITMAP* bitmap);

#ifdef __cplusplus
}
#endif

#define BROWSE_MULTIPLE 8
