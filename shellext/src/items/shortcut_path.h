// File names of the shortcuts the extension writes from an item's display
// name. A display name comes from the directory, so it may hold any
// character: it is made into one plain file name that stays in the folder
// it is meant for, and an existing file is never overwritten unless it is
// already the shortcut wanted.
#pragma once

#include <functional>

#include "afxwin.h"

// The display name as one file name: every character a file name may not
// hold (control characters and \ / : * ? " < > |) becomes "_", stepping
// whole characters of the code page. Empty when nothing usable is left: an
// empty name, "." and "..".
CString CleanFileName(LPCSTR displayName);

// Where the shortcut "name.lnk" for the display name goes in the folder:
// "folder\name.lnk", else "folder\name (2).lnk", "(3)" and so on, skipping
// every existing file for which isSameShortcut is FALSE. exists tells that
// the path found is already the shortcut wanted. FALSE when the name is
// refused or no free name is found.
BOOL FindShortcutPath(LPCSTR folder, LPCSTR displayName, const std::function<BOOL(LPCSTR path)>& isSameShortcut,
                      CString& path, BOOL& exists);
