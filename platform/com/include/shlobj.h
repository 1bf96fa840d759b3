// The shell's objects and calls: item identifier lists, the special
// folders, change notifications and the shell's task allocator.
#pragma once

#include "objbase.h"

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
