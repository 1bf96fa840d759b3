// Reading a shortcut file (.lnk) as a way into the extension's name space:
// the item key its target list names and whether that list passes through
// the extension's root item. The shell extension's shortcut manager and the
// loader (which removes such shortcuts) read them the same way.
#pragma once

#include "afxwin.h"

// Loads the shortcut at `path` through the shell link object (COM is
// initialised and uninitialised around it). TRUE when its target list
// passes through the root item; `key` is the item key of the list's last
// item. The list is walked only inside its allocated block. `description`,
// when given, receives the shortcut's description (at most 255 bytes). A
// file that cannot be read as a shortcut leads nowhere: FALSE, empty key.
BOOL ReadNameSpaceLink(LPCSTR path, CString& key, CString* description);
