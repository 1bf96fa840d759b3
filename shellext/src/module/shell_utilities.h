// Utilities of the extension that need the module object, the launcher
// library binding or OLE: the default tree's name, the shell window's status
// text, the ID-list data format, submenus by command.
#pragma once

#include "afxwin.h"
#include "ole2.h"

// The tree of a fresh context on the default tree; empty when none can be made.
void GetDefaultTreeName(CString& tree);
// Shows `text` in the shell window's status bar (simple mode); 0 when no
// shell window with a status bar exists, else the result of the last post.
BOOL SetShellStatusText(LPCSTR text);
// The submenu of `menu` whose item has command `id`; null when none.
HMENU GetSubMenuById(HMENU menu, UINT id);
// Whether `data` offers the module's "Shell IDList Array" format in global memory.
BOOL HasIdListFormat(IDataObject* data);
